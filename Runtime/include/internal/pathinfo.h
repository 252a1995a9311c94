/** @file
 * Test seams of the path information query. Windows only.
 */
#ifndef RT_INTERNAL_PATHINFO_H
#define RT_INTERNAL_PATHINFO_H

#include <rt/pathinfo.h>
#include <windows.h>
#include <winternl.h>
#include "internal/reparse.h"

/** Signature of NtQueryFullAttributesFile. */
typedef NTSTATUS(NTAPI *PFNRTNTQUERYFULLATTRIBUTESFILE)(OBJECT_ATTRIBUTES *pObjAttribs,
                                                        FILE_NETWORK_OPEN_INFORMATION *pInfo);
/** Signature of NtCreateFile. */
typedef NTSTATUS(NTAPI *PFNRTPATHINFONTCREATEFILE)(HANDLE *phFile, ACCESS_MASK fDesiredAccess,
                                                   OBJECT_ATTRIBUTES *pObjAttribs, IO_STATUS_BLOCK *pIos,
                                                   LARGE_INTEGER *pcbAllocation, ULONG fFileAttribs, ULONG fShareAccess,
                                                   ULONG uDisposition, ULONG fCreateOptions, void *pvEaBuffer,
                                                   ULONG cbEa);

/**
 * Tests only: makes RTPathQueryInfoEx use @a pfn as NtQueryFullAttributesFile;
 * null makes it behave as on a system that lacks the entry point. Call
 * rtPathInfoTestReset to go back to the system's own.
 */
void rtPathInfoTestSetQueryFullAttributes(PFNRTNTQUERYFULLATTRIBUTESFILE pfn);

/** Tests only: routes the NtCreateFile calls of RTPathQueryInfoEx through @a pfn; null restores the real one. */
void rtPathInfoTestSetCreateFile(PFNRTPATHINFONTCREATEFILE pfn);

/** Tests only: the remembered answer. */
RTREPARSESTATE rtPathInfoTestGetReparseState(void);

/** Tests only: restores the system's entry points and forgets the remembered answer. */
void rtPathInfoTestReset(void);

#endif
