/** @file
 * The host build has no OS seams of the installer (test variant only).
 */
#include "TarnStubSeams.h"

#ifdef RT_WITH_SEAMS
void stubSeamsResetOs(void) {}
#endif
