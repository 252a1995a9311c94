/** @file
 * Internal allocation hooks for tests.
 */
#ifndef RT_INTERNAL_MEM_H
#define RT_INTERNAL_MEM_H

#include <rt/types.h>

/**
 * Makes allocations fail on purpose so tests can reach out-of-memory paths:
 * the next @a cAllocsToSucceed allocations (RTMemAllocTag, RTMemAllocZTag,
 * RTMemReallocTag) succeed and every one after that fails, until the hook is
 * reset with -1 (the default: never fail). Counts allocations on all threads.
 */
void rtMemTestFailAfter(int32_t cAllocsToSucceed);

/** Shared by the allocators: consumes one allocation from the countdown, false when it must fail. */
bool rtMemTestMayAllocate(void);

#endif
