/** @file
 * The portable runtime's seam tables and the reset of every table, both
 * driven by the registry (test variant only).
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
#include "internal/message.h"
#include "internal/process.h"
#include "internal/rand.h"
#include "internal/thread.h"

RT_SEAM_TABLES_PORTABLE(RT_SEAM_DEFINE_TABLE)

void rtSeamsResetAll(void)
{
    RT_SEAM_TABLES_PORTABLE(RT_SEAM_EMPTY_TABLE)
    RT_SEAM_MEMORY_PORTABLE(RT_SEAM_FORGET)
    rtSeamsResetOs();
}

#endif
