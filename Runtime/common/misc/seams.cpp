/** @file
 * Test library only: the seam tables of the portable runtime and the reset of all seams.
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS

void rtSeamsResetAll(void)
{
    rtSeamsResetOs();
}

#endif
