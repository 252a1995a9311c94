/** @file
 * Test library only: the seam tables of the Windows runtime and their reset.
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS

void rtSeamsResetOs(void) {}

#endif
