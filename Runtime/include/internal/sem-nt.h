/** @file
 * The event semaphores on the native event calls: the native declarations the
 * toolchain's headers lack, the shared wait loop and the test seams of the
 * semaphore area. Windows only.
 */
#ifndef RT_INTERNAL_SEM_NT_H
#define RT_INTERNAL_SEM_NT_H

#include <rt/semaphore.h>
#include <rt/thread.h>
#include <windows.h>
#include <winternl.h>
#include "internal/seam.h"

/** NT event types. */
#define RTNT_NOTIFICATION_EVENT    0
#define RTNT_SYNCHRONIZATION_EVENT 1
/** EVENT_ALL_ACCESS. */
#define RTNT_EVENT_ALL_ACCESS 0x1F0003

/** Wait outcomes of NtWaitForSingleObject beyond STATUS_WAIT_0 and STATUS_TIMEOUT. */
#define RTNT_STATUS_ABANDONED_WAIT_0 ((NTSTATUS)0x00000080L)
#define RTNT_STATUS_USER_APC         ((NTSTATUS)0x000000C0L)
#define RTNT_STATUS_ALERTED          ((NTSTATUS)0x00000101L)
#define RTNT_STATUS_TIMEOUT          ((NTSTATUS)0x00000102L)

extern "C" NTSTATUS NTAPI NtCreateEvent(HANDLE *phEvent, ACCESS_MASK fDesiredAccess, OBJECT_ATTRIBUTES *pObjAttribs,
                                        int enmEventType, BOOLEAN fInitialState);
extern "C" NTSTATUS NTAPI NtSetEvent(HANDLE hEvent, LONG *plPreviousState);
extern "C" NTSTATUS NTAPI NtResetEvent(HANDLE hEvent, LONG *plPreviousState);

/**
 * The wait loop both event kinds share: waits alertably on @a hEvent under the
 * wait flags @a fFlags (already checked) and timeout @a uTimeout, with the
 * calling thread marked blocked in @a enmBlockState meanwhile. @a pu32Magic is
 * the object's magic and @a u32Magic its live value: a change means the object
 * was destroyed during the wait.
 * @returns 0, ERR_TIMEOUT, ERR_INTERRUPTED, ERR_SEM_DESTROYED, ERR_SEM_OWNER_DIED or ERR_INTERNAL_ERROR_4.
 */
int rtSemNtWaitEvent(HANDLE hEvent, uint32_t const volatile *pu32Magic, uint32_t u32Magic, uint32_t fFlags,
                     uint64_t uTimeout, RTTHREADSTATE enmBlockState);

#ifdef RT_WITH_SEAMS
/** Test seams of the event semaphores. */
typedef struct RTSEAMSSEMNT
{
    NTSTATUS(NTAPI *pfnNtCreateEvent)(HANDLE *, ACCESS_MASK, OBJECT_ATTRIBUTES *, int, BOOLEAN);
    NTSTATUS(NTAPI *pfnNtWaitForSingleObject)(HANDLE, BOOLEAN, PLARGE_INTEGER);
    NTSTATUS(NTAPI *pfnNtSetEvent)(HANDLE, LONG *);
    void(WINAPI *pfnGetSystemTimeAsFileTime)(FILETIME *);
} RTSEAMSSEMNT;
#endif

#endif
