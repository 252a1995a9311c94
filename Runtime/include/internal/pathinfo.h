/** @file
 * Internals of the path information query: the attribute query it looks up,
 * the remembered answer about not following links, and its test seams.
 * Windows only.
 */
#ifndef RT_INTERNAL_PATHINFO_H
#define RT_INTERNAL_PATHINFO_H

#include <rt/pathinfo.h>
#include <windows.h>
#include <winternl.h>
#include "internal/seam.h"

/** Signature of NtQueryFullAttributesFile, which RTPathQueryInfoEx looks up in ntdll. */
typedef NTSTATUS(NTAPI *PFNRTNTQUERYFULLATTRIBUTESFILE)(OBJECT_ATTRIBUTES *pObjAttribs,
                                                        FILE_NETWORK_OPEN_INFORMATION *pInfo);

#ifdef RT_WITH_SEAMS
/** The calls of the path information query that tests may replace (see
 * internal/seam.h); its opens go through the native layer's NtCreateFile seam. */
typedef struct RTSEAMSPATHINFO
{
    /** The look-up of NtQueryFullAttributesFile. */
    decltype(&GetProcAddress) pfnGetProcAddress;
} RTSEAMSPATHINFO;
extern RTSEAMSPATHINFO g_rtSeamsPathInfo;

/** Forgets the looked-up attribute query and the remembered answer about FILE_OPEN_REPARSE_POINT. */
void rtPathInfoSeamsForget(void);
#endif

#endif
