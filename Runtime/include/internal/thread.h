/** @file
 * Internal view of the thread layer: the thread record, the registry, the
 * blocking marks the semaphores set, and the native part each OS supplies.
 *
 * The portable part (Runtime/common/misc/thread.cpp) owns records, references,
 * the registry and the waits; the native part (thread-win on Windows) starts
 * threads, keeps the self slot and sets priorities.
 */
#ifndef RT_INTERNAL_THREAD_H
#define RT_INTERNAL_THREAD_H

#include <rt/thread.h>
#include <rt/semaphore.h>
#include "internal/avl.h"
#include "internal/seam.h"

/** Magic of a live thread record. */
#define RTTHREADINT_MAGIC UINT32_C(0x18740529)
/** Magic of a destroyed thread record. */
#define RTTHREADINT_MAGIC_DEAD UINT32_C(0x19360614)

/** A thread record. */
typedef struct RTTHREADINT
{
    /** Registry node; the key is the native thread identifier (0 until inserted). */
    RTAVLU32NODECORE Core;
    /** RTTHREADINT_MAGIC while alive. */
    uint32_t volatile u32Magic;
    /** References: 2 at creation (creator, thread), plus 1 while waitable. */
    int32_t volatile cRefs;
    /** RTTHREADSTATE. */
    int32_t volatile enmState;
    /** Set while the thread sits in a blocking wait. */
    bool volatile fReallySleeping;
    /** The native thread handle, or RTTHREADINT_NO_HANDLE. */
    uintptr_t hThread;
    /** User event (manual reset): RTThreadSignalUserEvent / RTThreadWaitUserEvent. */
    RTSEMEVENTMULTI EventUser;
    /** Raised when the thread function has returned. */
    RTSEMEVENTMULTI EventTerminated;
    /** Scheduling type. */
    RTTHREADTYPE enmType;
    /** RTTHREADCREATE_F_*; the waitable bit is cleared by the first successful wait. */
    uint32_t volatile fFlags;
    /** RTTHREADINT_F_*. */
    uint32_t volatile fIntFlags;
    /** The thread function's status; ERR_RESULT_PENDING until it returns. */
    int32_t rc;
    PFNRTTHREAD pfnThread;
    void *pvUser;
    /** Requested stack size in bytes, 0 for the default. */
    size_t cbStack;
    /** The name, NUL-terminated. */
    char szName[RTTHREAD_NAME_LEN + 1];
} RTTHREADINT;
typedef RTTHREADINT *PRTTHREADINT;

/** Value of RTTHREADINT::hThread when there is no native handle. */
#define RTTHREADINT_NO_HANDLE (~(uintptr_t)0)

/** @name Portable part, used by the native part
 * @{ */
/**
 * The common body of every created thread, run on the thread itself: registry
 * insert, priority, the function, then result, termination event, removal and
 * the drop of the thread's own reference. @returns the function's status.
 */
int rtThreadMain(PRTTHREADINT pThread, RTNATIVETHREAD NativeThread);
/** Inserts @a pThread into the registry under @a NativeThread (see the registry rules in thread.cpp). */
void rtThreadInsert(PRTTHREADINT pThread, RTNATIVETHREAD NativeThread);
/** The record registered under @a NativeThread with a reference taken, or null. */
PRTTHREADINT rtThreadGetByNative(RTNATIVETHREAD NativeThread);
/** Drops a reference (rtThreadGetByNative's, for example). */
uint32_t rtThreadRelease(PRTTHREADINT pThread);
/** Number of records in the registry (for tests and diagnostics). */
uint32_t rtThreadRegistryCount(void);
/** @} */

/** @name Blocking marks, set by the semaphores around every blocking wait
 * @{ */
/** Marks the calling thread (when the runtime knows it) blocked in @a enmState; returns its record or null. */
PRTTHREADINT rtThreadBlocking(RTTHREADSTATE enmState);
/** Ends the mark rtThreadBlocking set (@a pThread may be null). */
void rtThreadUnblocked(PRTTHREADINT pThread, RTTHREADSTATE enmState);
/** @} */

/** @name Argument checks shared by the thread functions (portable, pure)
 * @{ */
/** Checks a thread name: 1 to 15 characters. @returns 0 or ERR_INVALID_PARAMETER. */
int rtThreadValidateName(const char *pszName);
/** Checks RTThreadCreate's arguments in their documented order. @returns 0 or the failure. */
int rtThreadValidateCreateArgs(PRTTHREAD phThread, PFNRTTHREAD pfnThread, RTTHREADTYPE enmType, uint32_t fFlags,
                               const char *pszName);
/** The platform priority (-2 lowest ... 2 highest) of a valid thread type. */
int rtThreadTypePriority(RTTHREADTYPE enmType);
/** @} */

/** @name Native part (one per OS)
 * @{ */
/** Allocates the self slot and looks up optional entry points. @returns 0 or ERR_TLS_UNAVAILABLE. */
int rtThreadNativeInit(void);
/** Stores @a pThread (null clears) in the calling thread's self slot. @returns 0 or ERR_SELF_TLS_NOT_SET. */
int rtThreadNativeSetSelf(PRTTHREADINT pThread);
/** The calling thread's self slot (null when unset or before initialisation). */
PRTTHREADINT rtThreadNativeGetSelf(void);
/** Publishes the calling thread's name to debuggers and the system. */
void rtThreadNativePublishName(PRTTHREADINT pThread);
/** Starts the native thread for @a pThread (stack rule applied) and returns its identifier. */
int rtThreadNativeCreate(PRTTHREADINT pThread, RTNATIVETHREAD *pNativeThread);
/** Sets the priority of @a enmType on @a pThread (the calling thread when it is the caller's own record). */
void rtThreadNativeSetPriority(PRTTHREADINT pThread, RTTHREADTYPE enmType);
/** True when the process is ending and @a pThread's native thread is already gone. */
bool rtThreadNativeVanishedAtExit(PRTTHREADINT pThread);
/** Releases the native resources of a record being destroyed (self slot if it holds it, handle). */
void rtThreadNativeDestroy(PRTTHREADINT pThread);
/** @} */

#ifdef RT_WITH_SEAMS
/** Test seams of the portable thread layer. */
typedef struct RTSEAMSTHREAD
{
    void *(*pfnRTMemAllocZTag)(size_t cb, const char *pszTag);
} RTSEAMSTHREAD;
#endif

/**
 * Reports a failure of the thread and lock layer the way a release assertion
 * does: the formatted text on standard error. With @a fFatal the process then
 * stops, because the state the check guards can no longer be trusted.
 */
void rtThreadReportFailure(bool fFatal, const char *pszFormat, ...);

/** Tells the thread layer that the process is ending (the exit path calls it). */
void rtThreadSetProcessTerminating(void);
/** True once rtThreadSetProcessTerminating was called. */
bool rtThreadIsProcessTerminating(void);

#endif
