/** @file
 * The remembered answer whether the file system takes FILE_OPEN_REPARSE_POINT,
 * as the native directory open and the path information query each keep it.
 * Both start at UNKNOWN, probe on first need, and then remember ACCEPTED or
 * REFUSED for the rest of the process (a refusal means opening without the
 * option from then on; the test runtime forgets it at every seams reset).
 */
#ifndef RT_INTERNAL_REPARSE_H
#define RT_INTERNAL_REPARSE_H

/** Whether FILE_OPEN_REPARSE_POINT is taken. */
typedef enum RTREPARSESTATE
{
    RTREPARSESTATE_UNKNOWN = 0,
    RTREPARSESTATE_ACCEPTED,
    RTREPARSESTATE_REFUSED
} RTREPARSESTATE;

#endif
