/** @file
 * Internals of the path information query: forgetting, for tests, its
 * remembered answer about not following links (internal/reparse.h). The attribute query
 * (NtQueryFullAttributesFile) is one of start-up's optional entry points
 * (internal/initterm.h). Windows only.
 */
#ifndef RT_INTERNAL_PATHINFO_H
#define RT_INTERNAL_PATHINFO_H

#include <rt/pathinfo.h>
#include <windows.h>
#include <winternl.h>
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
/** Forgets the remembered answer about FILE_OPEN_REPARSE_POINT. */
void rtPathInfoSeamsForget(void);
#endif

#endif
