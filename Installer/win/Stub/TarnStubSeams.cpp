/** @file
 * Emptying the installer's portable seam tables (test variant only).
 */
#include "TarnStubSeams.h"
#include "TarnStubConsole.h"
#include "TarnStubMsgBox.h"

#ifdef RT_WITH_SEAMS
void stubSeamsResetAll(void)
{
    g_StubSeamsMsgBox = StubSeamsMsgBox();
    g_StubSeamsConsole = StubSeamsConsole();
    stubSeamsResetOs();
}
#endif
