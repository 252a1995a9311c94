/** @file
 * Internals of the path information query: the remembered answer about not
 * following links, and its forgetting for tests. The attribute query
 * (NtQueryFullAttributesFile) is one of start-up's optional entry points
 * (internal/initterm.h). Windows only.
 */
#ifndef RT_INTERNAL_PATHINFO_H
#define RT_INTERNAL_PATHINFO_H

#include <rt/pathinfo.h>
#include <windows.h>
#include <winternl.h>
#include "internal/seam.h"

/** Remembered answer whether the file system accepts FILE_OPEN_REPARSE_POINT. */
typedef enum RTPATHINFOREPARSESTATE
{
    RTPATHINFOREPARSESTATE_UNKNOWN = 0,
    RTPATHINFOREPARSESTATE_ACCEPTED,
    RTPATHINFOREPARSESTATE_REFUSED
} RTPATHINFOREPARSESTATE;

#ifdef RT_WITH_SEAMS
/** Forgets the remembered answer about FILE_OPEN_REPARSE_POINT. */
void rtPathInfoSeamsForget(void);
#endif

#endif
