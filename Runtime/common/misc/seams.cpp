/** @file
 * Test library only: the seam tables of the portable runtime and the reset of all seams.
 */
#include "internal/seam.h"
#include "internal/message.h"
#include "internal/process.h"
#include "internal/thread.h"

#ifdef RT_WITH_SEAMS

RTSEAMSTHREAD g_rtSeamsThread;
RTSEAMSMSG g_rtSeamsMsg;
RTSEAMSATEXIT g_rtSeamsAtExit;

void rtSeamsResetAll(void)
{
    g_rtSeamsThread = RTSEAMSTHREAD();
    g_rtSeamsMsg = RTSEAMSMSG();
    g_rtSeamsAtExit = RTSEAMSATEXIT();
    rtAtExitSeamsForget();
    rtSeamsResetOs();
}

#endif
