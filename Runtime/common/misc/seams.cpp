/** @file
 * Test library only: the seam tables of the portable runtime and the reset of all seams.
 */
#include "internal/seam.h"
#include "internal/thread.h"

#ifdef RT_WITH_SEAMS

RTSEAMSTHREAD g_rtSeamsThread;

void rtSeamsResetAll(void)
{
    g_rtSeamsThread = RTSEAMSTHREAD();
    rtSeamsResetOs();
}

#endif
