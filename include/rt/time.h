/** @file
 * Time values.
 */
#ifndef RT_TIME_H
#define RT_TIME_H

#include <rt/types.h>

/** A point in time: nanoseconds since 1970-01-01 00:00 UTC (negative before).
 * "%RDtimespec" takes a pointer to it and prints the count as "%'lld ns". */
typedef struct RTTIMESPEC
{
    int64_t i64NanosecondsRelativeToUnixEpoch;
} RTTIMESPEC;

/** A monotonic time stamp in nanoseconds from an arbitrary start (the
 * system's performance counter); for measuring intervals only. Windows only. */
uint64_t RTTimeNanoTS(void);

#endif
