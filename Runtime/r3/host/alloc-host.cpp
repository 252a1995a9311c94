/** @file
 * Heap allocation for the host build: the C library's heap stands in for the
 * Windows process heap.
 */
#include <stdlib.h>
#include <rt/mem.h>
#include "internal/mem.h"

void *RTMemAllocTag(size_t cb, const char *pszTag)
{
    (void)pszTag;
    return RT_SEAM(g_rtSeamsMem, malloc)(cb ? cb : 1);
}

void *RTMemAllocZTag(size_t cb, const char *pszTag)
{
    (void)pszTag;
    return RT_SEAM(g_rtSeamsMem, calloc)(1, cb ? cb : 1);
}

void *RTMemReallocTag(void *pv, size_t cbNew, const char *pszTag)
{
    if (!pv)
        return RTMemAllocTag(cbNew, pszTag);
    return RT_SEAM(g_rtSeamsMem, realloc)(pv, cbNew ? cbNew : 1);
}

void RTMemFree(void *pv)
{
    free(pv);
}
