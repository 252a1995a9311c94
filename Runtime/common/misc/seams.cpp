/** @file
 * Test library only: the seam tables of the portable runtime and the reset of all seams.
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
#include "internal/message.h"
#include "internal/process.h"
#include "internal/rand.h"
#include "internal/thread.h"

RTSEAMSTHREAD g_rtSeamsThread;
RTSEAMSMSG g_rtSeamsMsg;
RTSEAMSRAND g_rtSeamsRand;
RTSEAMSATEXIT g_rtSeamsAtExit;

void rtSeamsResetAll(void)
{
    g_rtSeamsThread = RTSEAMSTHREAD();
    g_rtSeamsMsg = RTSEAMSMSG();
    g_rtSeamsRand = RTSEAMSRAND();
    g_rtSeamsAtExit = RTSEAMSATEXIT();
    rtRandSeamsForget();
    rtAtExitSeamsForget();
    rtSeamsResetOs();
}

#endif
