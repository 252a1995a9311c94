/** @file
 * The portable arithmetic of semaphore waits: the wait-flag check and the
 * conversion of a timeout into the nanoseconds still to wait.
 */
#ifndef RT_INTERNAL_SEMWAIT_H
#define RT_INTERNAL_SEMWAIT_H

#include <rt/semaphore.h>

/** A wait without a time limit, in the nanosecond values below. */
#define RTSEMWAIT_NS_INDEFINITE UINT64_MAX

/** True when @a fFlags needs the current time before the first wait (absolute deadline or resume). */
bool rtSemWaitNeedsStartTime(uint32_t fFlags);

/**
 * Converts @a uTimeout under the valid wait flags @a fFlags into the relative
 * nanoseconds to wait, RTSEMWAIT_NS_INDEFINITE for no limit. Milliseconds of
 * 18,446,744,073,709 or more and the all-ones value mean no limit; a past
 * absolute deadline gives 0. @a nsNow is the current system time in
 * nanoseconds since 1970, used only for absolute deadlines.
 */
uint64_t rtSemWaitRelativeNs(uint32_t fFlags, uint64_t uTimeout, uint64_t nsNow);

/** What is left of @a nsTimeout after @a nsElapsed (0 when used up; no limit stays no limit). */
uint64_t rtSemWaitRemainingNs(uint64_t nsTimeout, uint64_t nsElapsed);

#endif
