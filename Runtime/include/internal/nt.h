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

/** Signature of NtCreateFile, for the test seam below. */
typedef NTSTATUS(NTAPI *PFNRTNTCREATEFILE)(HANDLE *phFile, ACCESS_MASK fDesiredAccess, OBJECT_ATTRIBUTES *pObjAttribs,
                                           IO_STATUS_BLOCK *pIos, LARGE_INTEGER *pcbAllocation, ULONG fFileAttribs,
                                           ULONG fShareAccess, ULONG uDisposition, ULONG fCreateOptions,
                                           void *pvEaBuffer, ULONG cbEa);

/** The system's major version as the process environment block records it
 * (or as set by rtNtTestSetOsMajorVersion). */
uint32_t rtNtOsMajorVersion(void);

/** Tests only: makes rtNtOsMajorVersion report @a uMajor; 0 restores the real value. */
void rtNtTestSetOsMajorVersion(uint32_t uMajor);

/** Tests only: routes the NtCreateFile calls of RTNtPathOpen through @a pfn
 * (which may call the real NtCreateFile); null restores the direct call. */
void rtNtPathTestSetCreateFile(PFNRTNTCREATEFILE pfn);

#endif
