/** @file
 * Test library only: the seam tables of the Windows runtime and their reset.
 */
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
#include "internal/dir.h"
#include "internal/file.h"
#include "internal/init.h"
#include "internal/init-win.h"
#include "internal/initterm.h"
#include "internal/ldr-win.h"
#include "internal/mem.h"
#include "internal/nt.h"
#include "internal/pathinfo.h"
#include "internal/sem-nt.h"
#include "internal/stream.h"
#include "internal/thread-win.h"

RT_SEAM_TABLES_WIN(RT_SEAM_DEFINE_TABLE)

void rtSeamsResetOs(void)
{
    RT_SEAM_TABLES_WIN(RT_SEAM_EMPTY_TABLE)
    RT_SEAM_MEMORY_WIN(RT_SEAM_FORGET)
}

#endif
