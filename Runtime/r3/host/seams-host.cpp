/** @file
 * Test library only: the seam tables of the host shim and their reset.
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
#include "internal/mem.h"
#include "internal/path-shim.h"

RTSEAMSMEM g_rtSeamsMem;

void rtSeamsResetOs(void)
{
    g_rtSeamsMem = RTSEAMSMEM();
    /* The shim's current directory is what the tests set; each test starts from the start-up state. */
    rtPathShimReset();
}

#endif
