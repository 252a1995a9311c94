/** @file
 * Threads: named, reference-counted threads with a scheduling type, a user
 * event for start-up hand-overs and a wait for their end.
 *
 * Every thread the runtime knows has a record (RTTHREAD). The records live in
 * a registry keyed by the native thread identifier; each thread finds its own
 * record through a thread-local self slot. A record stays valid while its
 * holder has a reference: the creator's reference is dropped when creation
 * returns, the thread's own when its function has returned, and the waitable
 * one by the first successful RTThreadWaitForExit.
 *
 * A handle passed to these functions is valid when it is not null, does not
 * lie in the first or last 4 KiB of the address space and names a live record;
 * anything else gives ERR_INVALID_HANDLE. All functions are thread-safe.
 */
#ifndef RT_THREAD_H
#define RT_THREAD_H

#include <rt/types.h>
#include <rt/err.h>

/** A thread of the runtime. */
typedef struct RTTHREADINT *RTTHREAD;
/** Pointer to a thread handle. */
typedef RTTHREAD *PRTTHREAD;
/** No thread. */
#define NIL_RTTHREAD ((RTTHREAD)0)

/** The system's identifier of a thread (the thread id on Windows). */
typedef uintptr_t RTNATIVETHREAD;
/** No native thread. */
#define NIL_RTNATIVETHREAD (~(RTNATIVETHREAD)0)

/** A time in milliseconds. */
typedef uint32_t RTMSINTERVAL;
/** Wait without a time limit. */
#define RT_INDEFINITE_WAIT UINT32_C(0xFFFFFFFF)

/** Scheduling type of a thread; it selects the thread's priority. */
typedef enum RTTHREADTYPE
{
    RTTHREADTYPE_INVALID = 0,
    /** Lowest priority: wakes rarely to look at something. */
    RTTHREADTYPE_BACKGROUND = 1,
    /** Below normal: long computations that must not slow the user down. */
    RTTHREADTYPE_BULK_WORKER = 2,
    /** Normal priority, types 3 to 7. */
    RTTHREADTYPE_EMULATION = 3,
    /** The ordinary type: the main thread and the splash thread use it. */
    RTTHREADTYPE_DEFAULT = 4,
    RTTHREADTYPE_GUI = 5,
    RTTHREADTYPE_MAIN_WORKER = 6,
    RTTHREADTYPE_NETWORK = 7,
    /** Above normal, types 8 and 9. */
    RTTHREADTYPE_DEBUGGER = 8,
    RTTHREADTYPE_MESSAGE_PUMP = 9,
    /** Highest priority, types 10 and 11. */
    RTTHREADTYPE_IO = 10,
    RTTHREADTYPE_TIMER = 11,
    /** One past the last valid type. */
    RTTHREADTYPE_END
} RTTHREADTYPE;

/** Life-cycle state of a thread, as RTThreadGetState reports it. */
typedef enum RTTHREADSTATE
{
    RTTHREADSTATE_INVALID = 0,
    RTTHREADSTATE_INITIALIZING = 1,
    RTTHREADSTATE_TERMINATED = 2,
    RTTHREADSTATE_RUNNING = 3,
    /** Blocked: waiting for a critical section. */
    RTTHREADSTATE_CRITSECT = 4,
    /** Blocked: waiting for an auto-reset event. */
    RTTHREADSTATE_EVENT = 5,
    /** Blocked: waiting for a manual-reset event. */
    RTTHREADSTATE_EVENT_MULTI = 6,
    /** Blocked: waiting for the write side of a read-write semaphore. */
    RTTHREADSTATE_RW_WRITE = 10
} RTTHREADSTATE;

/** @name RTThreadCreate flags
 * @{ */
/** Another thread may wait for the end of this one (RTThreadWaitForExit); it keeps
 * an extra reference until the first successful wait. */
#define RTTHREADCREATE_F_WAITABLE UINT32_C(0x00000001)
/** The thread joins COM's multi-threaded apartment before its function runs. */
#define RTTHREADCREATE_F_COM_MTA UINT32_C(0x00000002)
/** The thread makes a COM single-threaded apartment before its function runs. */
#define RTTHREADCREATE_F_COM_STA UINT32_C(0x00000004)
/** Every flag bit RTThreadCreate accepts; bit 0x8 is accepted and ignored. */
#define RTTHREADCREATE_F_VALID_MASK UINT32_C(0x0000000F)
/** @} */

/** @name Internal flags of a thread (RTThreadRegisterCurrent takes them)
 * @{ */
/** The thread was registered, not created by the runtime. */
#define RTTHREADINT_F_REGISTERED UINT32_C(0x00000001)
/** The thread function has returned. */
#define RTTHREADINT_F_TERMINATED UINT32_C(0x00000002)
/** The record is in the registry. */
#define RTTHREADINT_F_IN_REGISTRY UINT32_C(0x00000004)
/** The process's main thread. */
#define RTTHREADINT_F_MAIN UINT32_C(0x00000008)
/** @} */

/** Longest thread name in characters; names are stored in 16 bytes. */
#define RTTHREAD_NAME_LEN 15

/** A thread function: receives its own handle and the user argument; its status
 * becomes the thread's result (RTThreadWaitForExit). */
typedef int FNRTTHREAD(RTTHREAD hSelf, void *pvUser);
typedef FNRTTHREAD *PFNRTTHREAD;

/**
 * Creates and starts a thread.
 *
 * @param phThread  Receives the handle, may be null. Without RTTHREADCREATE_F_WAITABLE
 *                  the handle may go stale as soon as the thread ends: take a reference
 *                  from within the thread (RTThreadAddRef) to keep it.
 * @param pfnThread The thread function.
 * @param pvUser    Passed to @a pfnThread.
 * @param cbStack   Stack size in bytes, 0 for the platform's default. A non-zero
 *                  multiple of 64 KiB grows by 4 KiB (room for the guard page).
 * @param enmType   Scheduling type (1 to 11).
 * @param fFlags    RTTHREADCREATE_F_*.
 * @param pszName   1 to 15 characters.
 *
 * @returns 0 when the thread runs. ERR_INVALID_POINTER for an invalid @a phThread or
 *          @a pfnThread; ERR_INVALID_PARAMETER for a null, empty or too long name, an
 *          invalid type or a stack size of 0xFFFFFFFF or more; ERR_INVALID_FLAGS for
 *          flag bits above 0xF; ERR_NO_TMP_MEMORY when the record cannot be
 *          allocated; the converted system error when the events or the native
 *          thread cannot be made (the failure is also reported on standard error).
 */
int RTThreadCreate(PRTTHREAD phThread, PFNRTTHREAD pfnThread, void *pvUser, size_t cbStack, RTTHREADTYPE enmType,
                   uint32_t fFlags, const char *pszName);

/** Raises @a hThread's user event; it stays raised. @returns 0 or ERR_INVALID_HANDLE. */
int RTThreadSignalUserEvent(RTTHREAD hThread);

/**
 * Waits until @a hThread's user event is raised, at most @a cMillies
 * (RT_INDEFINITE_WAIT: no limit); interruptions by APCs do not end the wait.
 * @returns 0, ERR_TIMEOUT, or ERR_INVALID_HANDLE.
 */
int RTThreadWaitUserEvent(RTTHREAD hThread, RTMSINTERVAL cMillies);

/**
 * Waits until the function of the waitable thread @a hThread has returned, at most
 * @a cMillies (RT_INDEFINITE_WAIT: no limit), and stores its status through @a prcThread
 * (may be null). The first successful wait ends the thread's waitability and drops
 * the reference that kept it; the handle must not be used after that.
 * @returns 0; ERR_INVALID_HANDLE; ERR_NOT_WAITABLE for a thread created without
 *          RTTHREADCREATE_F_WAITABLE or already waited for; ERR_TIMEOUT (the thread
 *          stays waitable); other wait failures (ERR_INTERRUPTED, ERR_SEM_DESTROYED).
 */
int RTThreadWaitForExit(RTTHREAD hThread, RTMSINTERVAL cMillies, int *prcThread);

/**
 * Registers the calling thread, which the runtime did not create, under @a pszName
 * (1 to 15 characters) with the scheduling type @a enmType. @a fFlags are
 * RTTHREADCREATE_F_* (waitability is dropped: nobody can wait for a foreign thread),
 * @a fIntFlags RTTHREADINT_F_* (RTTHREADINT_F_REGISTERED is always added). The
 * registry keeps the record until a later thread with the same native identifier
 * replaces it.
 * @returns 0; ERR_INVALID_PARAMETER or ERR_INVALID_FLAGS for bad arguments;
 *          ERR_NO_MEMORY; ERR_SELF_TLS_NOT_SET when the self slot cannot be set.
 */
int RTThreadRegisterCurrent(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName);

/**
 * Sets the thread layer up, once per process: the registry, the self slot and the
 * calling thread registered as "main" (type RTTHREADTYPE_DEFAULT). Runtime
 * initialisation calls it; the registry also calls it on first use.
 * @returns 0; INF_ALREADY_INITIALIZED on a later call; ERR_TLS_UNAVAILABLE when no
 *          thread-local slot is left; the failure of the registry's lock or of
 *          the registration otherwise (the layer then stays uninitialised).
 */
int RTThreadSubsystemInit(void);

/** The calling thread's record, NIL_RTTHREAD when it is not known to the runtime.
 * No reference is taken: the record lives at least as long as the calling thread. */
RTTHREAD RTThreadSelf(void);

/** The calling thread's native identifier. */
RTNATIVETHREAD RTThreadNativeSelf(void);

/** The calling thread's name, null when the thread is not known to the runtime. */
const char *RTThreadGetSelfName(void);

/** @a hThread's name, null for an invalid handle. */
const char *RTThreadGetName(RTTHREAD hThread);

/** @a hThread's native identifier, NIL_RTNATIVETHREAD for an invalid handle. */
RTNATIVETHREAD RTThreadGetNative(RTTHREAD hThread);

/** @a hThread's state, RTTHREADSTATE_INVALID for an invalid handle. */
RTTHREADSTATE RTThreadGetState(RTTHREAD hThread);

/** Takes a reference to @a hThread. @returns @a hThread, or NIL_RTTHREAD for an invalid handle. */
RTTHREAD RTThreadAddRef(RTTHREAD hThread);

/** Drops a reference to @a hThread; the last one destroys the record.
 * @returns the references left, 0 for an invalid handle. */
uint32_t RTThreadDropRef(RTTHREAD hThread);

/** Sleeps @a cMillies milliseconds (a plain platform sleep). @returns 0. */
int RTThreadSleepMs(RTMSINTERVAL cMillies);

/** Gives up the rest of the time slice. @returns true when another thread probably
 * ran meanwhile (more than 1500 time-stamp ticks passed). */
bool RTThreadYieldCpu(void);

#endif
