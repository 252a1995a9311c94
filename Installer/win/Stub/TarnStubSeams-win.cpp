/** @file
 * The installer's Windows seam tables and their reset, driven by the registry (test variant only).
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
STUB_SEAM_TABLES_WIN(RT_SEAM_DEFINE_TABLE)

void stubSeamsResetOs(void)
{
    STUB_SEAM_TABLES_WIN(RT_SEAM_EMPTY_TABLE)
}
#endif
