/** @file
 * Running the runtime out of memory on purpose: a countdown of the
 * allocations that may still succeed, put into the allocators' seams.
 */
#ifndef TARN_TESTS_SUPPORT_ALLOC_FAILURE_H
#define TARN_TESTS_SUPPORT_ALLOC_FAILURE_H

namespace tst
{

/**
 * Lets the next @a cAllocsToSucceed allocations of the runtime (RTMemAllocTag,
 * RTMemAllocZTag and RTMemReallocTag, on any thread) succeed and fails every
 * one after them, until endAllocationFailures() or the end of the test.
 */
void failAllocationsAfter(unsigned cAllocsToSucceed);

/** Allocations succeed again as the system lets them. */
void endAllocationFailures(void);

/** failAllocationsAfter() for the life of the object. */
class AllocationFailures
{
  public:
    explicit AllocationFailures(unsigned cAllocsToSucceed) { failAllocationsAfter(cAllocsToSucceed); }
    ~AllocationFailures() { endAllocationFailures(); }
    AllocationFailures(const AllocationFailures &) = delete;
    AllocationFailures &operator=(const AllocationFailures &) = delete;
};

} // namespace tst

#endif
