/** @file
 * Test library only: the seam tables of the Windows runtime and their reset.
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
#include "internal/dir.h"
#include "internal/file.h"
#include "internal/init.h"
#include "internal/init-win.h"
#include "internal/initterm.h"
#include "internal/ldr-win.h"
#include "internal/mem.h"
#include "internal/nt.h"
#include "internal/pathinfo.h"
#include "internal/sem-nt.h"
#include "internal/stream.h"
#include "internal/thread-win.h"

RTSEAMSDIR g_rtSeamsDir;
RTSEAMSFILE g_rtSeamsFile;
RTSEAMSINIT g_rtSeamsInit;
RTSEAMSLDR g_rtSeamsLdr;
RTSEAMSMEM g_rtSeamsMem;
RTSEAMSNT g_rtSeamsNt;
RTSEAMSSEMNT g_rtSeamsSemNt;
RTSEAMSTHREADWIN g_rtSeamsThreadWin;
RTSEAMSSTREAM g_rtSeamsStream;

void rtSeamsResetOs(void)
{
    g_rtSeamsDir = RTSEAMSDIR();
    g_rtSeamsFile = RTSEAMSFILE();
    g_rtSeamsInit = RTSEAMSINIT();
    g_rtSeamsLdr = RTSEAMSLDR();
    g_rtSeamsMem = RTSEAMSMEM();
    g_rtSeamsNt = RTSEAMSNT();
    g_rtSeamsSemNt = RTSEAMSSEMNT();
    g_rtSeamsThreadWin = RTSEAMSTHREADWIN();
    g_rtSeamsStream = RTSEAMSSTREAM();
    rtDirSeamsForget();
    rtFileSeamsForget();
    rtInitSeamsForget();
    rtLdrSeamsForget();
    rtPathInfoSeamsForget();
    rtR3InitSeamsForget();
    rtR3InitWinSeamsForget();
}

#endif
