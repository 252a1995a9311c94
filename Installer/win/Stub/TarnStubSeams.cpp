/** @file
 * The installer's portable seam tables and their reset, driven by the registry (test variant only).
 */
#include "TarnStubSeams.h"
#include "TarnStubConsole.h"
#include "TarnStubMsgBox.h"

#ifdef RT_WITH_SEAMS
STUB_SEAM_TABLES_PORTABLE(RT_SEAM_DEFINE_TABLE)

void stubSeamsResetAll(void)
{
    STUB_SEAM_TABLES_PORTABLE(RT_SEAM_EMPTY_TABLE)
    stubSeamsResetOs();
}
#endif
