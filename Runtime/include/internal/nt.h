/** @file
 * Native (NT) declarations the toolchain's headers lack, and the runtime's
 * internal view of the native layer: the system's major version and the test
 * seams of native path handling. Windows only.
 */
#ifndef RT_INTERNAL_NT_H
#define RT_INTERNAL_NT_H

#include <rt/types.h>
#include <windows.h>
#include <winternl.h>
#include "internal/seam.h"

/* The status values winnt.h lacks (it has STATUS_INVALID_PARAMETER, but as an unsigned value). */
#define RTNT_STATUS_INVALID_PARAMETER    ((NTSTATUS)0xC000000DL)
#define RTNT_STATUS_OBJECT_TYPE_MISMATCH ((NTSTATUS)0xC0000024L)
#define RTNT_STATUS_OBJECT_NAME_INVALID  ((NTSTATUS)0xC0000033L)

/* Object directory access rights. */
#ifndef DIRECTORY_QUERY
#define DIRECTORY_QUERY               0x0001
#define DIRECTORY_TRAVERSE            0x0002
#define DIRECTORY_CREATE_OBJECT       0x0004
#define DIRECTORY_CREATE_SUBDIRECTORY 0x0008
#define DIRECTORY_ALL_ACCESS          (STANDARD_RIGHTS_REQUIRED | 0x000F)
#endif

extern "C" PEB *NTAPI RtlGetCurrentPeb(void);
extern "C" NTSTATUS NTAPI NtOpenDirectoryObject(HANDLE *phDirectory, ACCESS_MASK fDesiredAccess,
                                                OBJECT_ATTRIBUTES *pObjAttribs);

/** The system's major version as the process environment block records it. */
uint32_t rtNtOsMajorVersion(void);

#ifdef RT_WITH_SEAMS
/** The calls of the native layer that tests may replace (see internal/seam.h). */
typedef struct RTSEAMSNT
{
    /** The opens of RTNtPathOpen and of the path information query. */
    decltype(&NtCreateFile) pfnNtCreateFile;
    /** Where rtNtOsMajorVersion reads the version. */
    decltype(&RtlGetCurrentPeb) pfnRtlGetCurrentPeb;
} RTSEAMSNT;
#endif

#endif
