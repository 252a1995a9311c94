/** @file
 * Emptying the installer's Windows seam tables (test variant only).
 */
#include "TarnStubSeams.h"
#include "TarnStubCertUtil-win.h"
#include "TarnStubCleanup-win.h"
#include "TarnStubCustomDir-win.h"
#include "TarnStubExtract.h"
#include "TarnStubHostArch-win.h"
#include "TarnStubMsi-win.h"

#ifdef RT_WITH_SEAMS
void stubSeamsResetOs(void)
{
    g_StubSeamsHostArch = STUBSEAMSHOSTARCH();
    g_StubSeamsExtract = STUBSEAMSEXTRACT();
    g_StubSeamsCleanup = STUBSEAMSCLEANUP();
    g_StubSeamsMsi = STUBSEAMSMSI();
    g_StubSeamsCustomDir = STUBSEAMSCUSTOMDIR();
    g_StubSeamsCert = STUBSEAMSCERT();
}
#endif
