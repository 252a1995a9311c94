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
#include "TarnStubSplash-win.h"

#ifdef RT_WITH_SEAMS
void stubSeamsResetOs(void)
{
    g_StubSeamsHostArch = StubSeamsHostArch();
    g_StubSeamsExtract = StubSeamsExtract();
    g_StubSeamsCleanup = StubSeamsCleanup();
    g_StubSeamsMsi = StubSeamsMsi();
    g_StubSeamsCustomDir = StubSeamsCustomDir();
    g_StubSeamsCert = StubSeamsCert();
    g_StubSeamsSplash = StubSeamsSplash();
}
#endif
