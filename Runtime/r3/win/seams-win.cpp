/** @file
 * Test library only: the seam tables of the Windows runtime and their reset.
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
#include "internal/dir.h"
#include "internal/file.h"
#include "internal/init.h"
#include "internal/init-win.h"
#include "internal/ldr-win.h"
#include "internal/mem.h"
#include "internal/nt.h"
#include "internal/pathinfo.h"
#include "internal/sem-nt.h"
#include "internal/stream.h"
#include "internal/thread-win.h"

RTSEAMSDIR g_rtSeamsDir;
RTSEAMSFILE g_rtSeamsFile;
RTSEAMSMEM g_rtSeamsMem;
RTSEAMSNT g_rtSeamsNt;
RTSEAMSPATHINFO g_rtSeamsPathInfo;
RTSEAMSSEMNT g_rtSeamsSemNt;
RTSEAMSTHREADWIN g_rtSeamsThreadWin;
RTSEAMSSTREAM g_rtSeamsStream;
RTSEAMSINITWIN g_rtSeamsInitWin;

void rtSeamsResetOs(void)
{
    g_rtSeamsDir = RTSEAMSDIR();
    g_rtSeamsFile = RTSEAMSFILE();
    g_rtSeamsMem = RTSEAMSMEM();
    g_rtSeamsNt = RTSEAMSNT();
    g_rtSeamsPathInfo = RTSEAMSPATHINFO();
    g_rtSeamsSemNt = RTSEAMSSEMNT();
    g_rtSeamsThreadWin = RTSEAMSTHREADWIN();
    g_rtSeamsLdr = RTSEAMSLDR();
    g_rtSeamsStream = RTSEAMSSTREAM();
    g_rtSeamsInitWin = RTSEAMSINITWIN();
    rtDirSeamsForget();
    rtFileSeamsForget();
    rtPathInfoSeamsForget();
    rtLdrSeamsForget();
    rtR3InitSeamsForget();
    rtR3InitWinSeamsForget();
}

#endif
