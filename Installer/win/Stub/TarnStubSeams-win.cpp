/** @file
 * Emptying the installer's Windows seam tables (test variant only).
 */
#include "TarnStubSeams.h"
#include "TarnStubCleanup-win.h"
#include "TarnStubExtract.h"
#include "TarnStubHostArch-win.h"

#ifdef RT_WITH_SEAMS
void stubSeamsResetOs(void)
{
    g_StubSeamsHostArch = STUBSEAMSHOSTARCH();
    g_StubSeamsExtract = STUBSEAMSEXTRACT();
    g_StubSeamsCleanup = STUBSEAMSCLEANUP();
}
#endif
