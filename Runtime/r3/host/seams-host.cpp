/** @file
 * Test library only: the seam tables of the host shim and their reset.
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
#include "internal/mem.h"
#include "internal/path-shim.h"

RT_SEAM_TABLES_HOST(RT_SEAM_DEFINE_TABLE)

void rtSeamsResetOs(void)
{
    RT_SEAM_TABLES_HOST(RT_SEAM_EMPTY_TABLE)
    RT_SEAM_MEMORY_HOST(RT_SEAM_FORGET)
}

#endif
