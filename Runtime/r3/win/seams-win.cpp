/** @file
 * Test library only: the seam tables of the Windows runtime and their reset.
 */
#include "internal/seam.h"
#include "internal/init.h"
#include "internal/init-win.h"
#include "internal/ldr-win.h"
#include "internal/sem-nt.h"
#include "internal/stream.h"
#include "internal/thread-win.h"

#ifdef RT_WITH_SEAMS

RTSEAMSSEMNT g_rtSeamsSemNt;
RTSEAMSTHREADWIN g_rtSeamsThreadWin;
RTSEAMSSTREAM g_rtSeamsStream;
RTSEAMSINITWIN g_rtSeamsInitWin;

void rtSeamsResetOs(void)
{
    g_rtSeamsSemNt = RTSEAMSSEMNT();
    g_rtSeamsThreadWin = RTSEAMSTHREADWIN();
    g_rtSeamsStream = RTSEAMSSTREAM();
    g_rtSeamsInitWin = RTSEAMSINITWIN();
    rtR3InitSeamsForget();
    rtR3InitWinSeamsForget();
    g_rtSeamsLdr = RTSEAMSLDR();
    rtLdrSeamsForget();
}

#endif
