/** @file
 * Heap allocation on the process heap.
 */
#include <windows.h>
#include <rt/mem.h>
#include "internal/mem.h"

void *RTMemAllocTag(size_t cb, const char *pszTag)
{
    (void)pszTag;
    return RT_SEAM(g_rtSeamsMem, HeapAlloc)(GetProcessHeap(), 0, cb ? cb : 1);
}

void *RTMemAllocZTag(size_t cb, const char *pszTag)
{
    (void)pszTag;
    return RT_SEAM(g_rtSeamsMem, HeapAlloc)(GetProcessHeap(), HEAP_ZERO_MEMORY, cb ? cb : 1);
}

void *RTMemReallocTag(void *pv, size_t cbNew, const char *pszTag)
{
    if (!pv)
        return RTMemAllocTag(cbNew, pszTag);
    return RT_SEAM(g_rtSeamsMem, HeapReAlloc)(GetProcessHeap(), 0, pv, cbNew ? cbNew : 1);
}

void RTMemFree(void *pv)
{
    if (pv)
        HeapFree(GetProcessHeap(), 0, pv);
}
