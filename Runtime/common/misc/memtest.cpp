/** @file
 * The allocation-failure countdown that tests use to reach out-of-memory paths.
 */
#include "internal/mem.h"

namespace
{
/** Allocations left before failures start; negative means never fail. */
int32_t volatile g_cAllocsToSucceed = -1;
} // namespace

void rtMemTestFailAfter(int32_t cAllocsToSucceed)
{
    __atomic_store_n(&g_cAllocsToSucceed, cAllocsToSucceed, __ATOMIC_SEQ_CST);
}

bool rtMemTestMayAllocate(void)
{
    int32_t cLeft = __atomic_load_n(&g_cAllocsToSucceed, __ATOMIC_SEQ_CST);
    while (cLeft >= 0)
    {
        if (cLeft == 0)
            return false;
        if (__atomic_compare_exchange_n(&g_cAllocsToSucceed, &cLeft, cLeft - 1, false, __ATOMIC_SEQ_CST,
                                        __ATOMIC_SEQ_CST))
            return true;
    }
    return true;
}
