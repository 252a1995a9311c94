/** @file
 * Test library only: the seam tables of the portable runtime and the reset of all seams.
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
#include "internal/message.h"
#include "internal/rand.h"
#include "internal/thread.h"

RTSEAMSMSG g_rtSeamsMsg;
RTSEAMSRAND g_rtSeamsRand;
RTSEAMSTHREAD g_rtSeamsThread;

void rtSeamsResetAll(void)
{
    g_rtSeamsMsg = RTSEAMSMSG();
    g_rtSeamsRand = RTSEAMSRAND();
    rtRandSeamsForget();
    g_rtSeamsThread = RTSEAMSTHREAD();
    rtSeamsResetOs();
}

#endif
