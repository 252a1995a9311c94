/** @file
 * The allocation countdown: replacements of the allocators' system calls that
 * fail once the countdown has run out.
 */
#include "support/alloc-failure.h"

#include <atomic>
#include "internal/mem.h"

namespace
{

/** Allocations left before failures start. */
std::atomic<unsigned> g_cAllocsLeft{0};

/** Takes one allocation from the countdown; false when it has run out. */
bool mayAllocate(void)
{
    unsigned cLeft = g_cAllocsLeft.load();
    while (cLeft > 0)
        if (g_cAllocsLeft.compare_exchange_weak(cLeft, cLeft - 1))
            return true;
    return false;
}

#ifdef RT_OS_WINDOWS
LPVOID WINAPI countedHeapAlloc(HANDLE hHeap, DWORD fFlags, SIZE_T cb)
{
    return mayAllocate() ? HeapAlloc(hHeap, fFlags, cb) : NULL;
}

LPVOID WINAPI countedHeapReAlloc(HANDLE hHeap, DWORD fFlags, LPVOID pv, SIZE_T cb)
{
    return mayAllocate() ? HeapReAlloc(hHeap, fFlags, pv, cb) : NULL;
}
#else
void *countedMalloc(size_t cb) noexcept
{
    return mayAllocate() ? malloc(cb) : NULL;
}

void *countedCalloc(size_t c, size_t cb) noexcept
{
    return mayAllocate() ? calloc(c, cb) : NULL;
}

void *countedRealloc(void *pv, size_t cb) noexcept
{
    return mayAllocate() ? realloc(pv, cb) : NULL;
}
#endif

} // namespace

namespace tst
{

void failAllocationsAfter(unsigned cAllocsToSucceed)
{
    g_cAllocsLeft = cAllocsToSucceed;
#ifdef RT_OS_WINDOWS
    g_rtSeamsMem.pfnHeapAlloc = countedHeapAlloc;
    g_rtSeamsMem.pfnHeapReAlloc = countedHeapReAlloc;
#else
    g_rtSeamsMem.pfnmalloc = countedMalloc;
    g_rtSeamsMem.pfncalloc = countedCalloc;
    g_rtSeamsMem.pfnrealloc = countedRealloc;
#endif
}

void endAllocationFailures(void)
{
    g_rtSeamsMem = RTSEAMSMEM();
}

} // namespace tst
