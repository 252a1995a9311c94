/** @file
 * Test library only: the seam tables of the Windows runtime and their reset.
 */
#include "internal/seam.h"
#include "internal/sem-nt.h"
#include "internal/thread-win.h"

#ifdef RT_WITH_SEAMS

RTSEAMSSEMNT g_rtSeamsSemNt;
RTSEAMSTHREADWIN g_rtSeamsThreadWin;

void rtSeamsResetOs(void)
{
    g_rtSeamsSemNt = RTSEAMSSEMNT();
    g_rtSeamsThreadWin = RTSEAMSTHREADWIN();
}

#endif
