/** @file
 * Semaphores: auto-reset and manual-reset events, the fast mutex, the spin
 * mutex and the read-write semaphore.
 *
 * Each kind is an opaque, heap-allocated object made by its Make function and
 * freed by its destroy function. A handle that is null, lies in the first or
 * last 4 KiB of the address space or names a destroyed object is invalid; what
 * each function returns for it is stated below. Destroying an object while
 * other threads wait on it wakes them with ERR_SEM_DESTROYED. All functions
 * are thread-safe.
 */
#ifndef RT_SEMAPHORE_H
#define RT_SEMAPHORE_H

#include <rt/types.h>
#include <rt/err.h>

/** An auto-reset event: a signal releases one waiter and resets itself. */
typedef struct RTSEMEVENTINTERNAL *RTSEMEVENT;
typedef RTSEMEVENT *PRTSEMEVENT;
#define NIL_RTSEMEVENT ((RTSEMEVENT)0)

/** A manual-reset event: stays raised, releasing every waiter, until lowered. */
typedef struct RTSEMEVENTMULTIINTERNAL *RTSEMEVENTMULTI;
typedef RTSEMEVENTMULTI *PRTSEMEVENTMULTI;
#define NIL_RTSEMEVENTMULTI ((RTSEMEVENTMULTI)0)

/** A fast mutex: a non-nesting critical section of its own. */
typedef struct RTCRITSECT *RTSEMFASTMUTEX;
typedef RTSEMFASTMUTEX *PRTSEMFASTMUTEX;
#define NIL_RTSEMFASTMUTEX ((RTSEMFASTMUTEX)0)

/** A spin mutex: a non-nesting critical section for short holds. */
typedef struct RTCRITSECT *RTSEMSPINMUTEX;
typedef RTSEMSPINMUTEX *PRTSEMSPINMUTEX;
#define NIL_RTSEMSPINMUTEX ((RTSEMSPINMUTEX)0)

/** A read-write semaphore (this runtime uses and offers its write side). */
typedef struct RTSEMRWINTERNAL *RTSEMRW;
typedef RTSEMRW *PRTSEMRW;
#define NIL_RTSEMRW ((RTSEMRW)0)

/** @name Creation flags of the events
 * @{ */
/** The object takes no part in lock-order validation. */
#define RTSEMEVENT_F_NO_VALIDATION UINT32_C(0x00000001)
/** The event may be used before the runtime is initialised (auto-reset events only). */
#define RTSEMEVENT_F_EARLY UINT32_C(0x00000004)
/** Same for manual-reset events. */
#define RTSEMEVENTMULTI_F_NO_VALIDATION UINT32_C(0x00000001)
/** Same for the spin mutex. */
#define RTSEMSPINMUTEX_F_NO_VALIDATION UINT32_C(0x00000001)
/** Same for the read-write semaphore. */
#define RTSEMRW_F_NO_VALIDATION UINT32_C(0x00000001)
/** @} */

/** @name Wait flags (RTSemEventWaitFlags, RTSemEventMultiWaitFlags)
 * Valid: RTSEMWAIT_F_INDEFINITE with exactly one of RESUME / NORESUME; or exactly
 * one of RELATIVE / ABSOLUTE, one of NANOSECS / MILLISECS and one of RESUME /
 * NORESUME. Nothing above 0x7F.
 * @{ */
/** The timeout counts from now. */
#define RTSEMWAIT_F_RELATIVE UINT32_C(0x00000001)
/** The timeout is a point in time: system time since 1970 (UTC). */
#define RTSEMWAIT_F_ABSOLUTE UINT32_C(0x00000002)
/** The timeout is in nanoseconds. */
#define RTSEMWAIT_F_NANOSECS UINT32_C(0x00000004)
/** The timeout is in milliseconds. */
#define RTSEMWAIT_F_MILLISECS UINT32_C(0x00000008)
/** No timeout: wait until signalled (the timeout argument is ignored). */
#define RTSEMWAIT_F_INDEFINITE UINT32_C(0x00000010)
/** An interruption (APC, alert) ends the wait with ERR_INTERRUPTED. */
#define RTSEMWAIT_F_NORESUME UINT32_C(0x00000020)
/** An interruption continues the wait for the time that is left. */
#define RTSEMWAIT_F_RESUME UINT32_C(0x00000040)
/** Every wait flag. */
#define RTSEMWAIT_F_VALID_MASK UINT32_C(0x0000007F)
/** @} */

/** True when @a fFlags is a valid combination of RTSEMWAIT_F_* (see above). */
bool RTSemWaitAreFlagsValid(uint32_t fFlags);

/** @name Auto-reset events
 * @{ */
/** Makes an event (not signalled). @a fFlags: RTSEMEVENT_F_NO_VALIDATION and
 * RTSEMEVENT_F_EARLY only, else ERR_INVALID_PARAMETER. @returns 0, ERR_NO_MEMORY,
 * or the system's failure converted. */
int RTSemEventMake(PRTSEMEVENT phEventSem, uint32_t fFlags);
/** Destroys @a hEventSem (null: does nothing); waiters wake with ERR_SEM_DESTROYED.
 * @returns 0 or ERR_INVALID_HANDLE. */
int RTSemEventDispose(RTSEMEVENT hEventSem);
/** Signals @a hEventSem. @returns 0, ERR_INVALID_HANDLE, or the system's failure converted. */
int RTSemEventSignal(RTSEMEVENT hEventSem);
/**
 * Waits for @a hEventSem under the wait flags @a fFlags with the timeout @a uTimeout.
 * @returns 0; ERR_TIMEOUT; ERR_INTERRUPTED (RTSEMWAIT_F_NORESUME only);
 *          ERR_SEM_DESTROYED; ERR_SEM_OWNER_DIED; ERR_INTERNAL_ERROR_4 for an
 *          unexpected system answer; ERR_INVALID_PARAMETER for a null handle,
 *          ERR_INVALID_HANDLE for a bad one; ERR_INVALID_FLAGS for bad flags.
 */
int RTSemEventWaitFlags(RTSEMEVENT hEventSem, uint32_t fFlags, uint64_t uTimeout);
/** RTSemEventWaitFlags for @a cMillies milliseconds (RT_INDEFINITE_WAIT: no limit), resuming after interruptions. */
int RTSemEventWait(RTSEMEVENT hEventSem, uint32_t cMillies);
/** @} */

/** @name Manual-reset events
 * @{ */
/** Makes an event (lowered). @a fFlags: 0 or RTSEMEVENTMULTI_F_NO_VALIDATION, else
 * ERR_INVALID_PARAMETER. @returns 0, ERR_NO_MEMORY, or the system's failure converted. */
int RTSemEventMultiMake(PRTSEMEVENTMULTI phEventMultiSem, uint32_t fFlags);
/** Destroys @a hEventMultiSem (null: does nothing); waiters wake with ERR_SEM_DESTROYED.
 * @returns 0 or ERR_INVALID_HANDLE. */
int RTSemEventMultiDispose(RTSEMEVENTMULTI hEventMultiSem);
/** Raises the event: every waiter, now and later, is released until it is lowered. */
int RTSemEventMultiRaise(RTSEMEVENTMULTI hEventMultiSem);
/** Lowers the event. */
int RTSemEventMultiLower(RTSEMEVENTMULTI hEventMultiSem);
/** As RTSemEventWaitFlags, except that a null or bad handle and bad flags all give ERR_INVALID_PARAMETER. */
int RTSemEventMultiWaitFlags(RTSEMEVENTMULTI hEventMultiSem, uint32_t fFlags, uint64_t uTimeout);
/** Waits @a cMillies milliseconds (RT_INDEFINITE_WAIT: no limit), resuming after interruptions. */
int RTSemEventMultiWait(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies);
/** Waits @a cMillies milliseconds; an interruption ends the wait with ERR_INTERRUPTED. */
int RTSemEventMultiWaitNoResume(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies);
/** @} */

/** @name Fast mutex (a critical section with RTCRITSECT_F_NO_NESTING)
 * @{ */
/** Makes a fast mutex. @returns 0, ERR_NO_MEMORY, or the event's failure. */
int RTSemFastMutexMake(PRTSEMFASTMUTEX phFastMtx);
/** Destroys @a hFastMtx (null: does nothing). @returns 0 or ERR_INVALID_HANDLE. */
int RTSemFastMutexDispose(RTSEMFASTMUTEX hFastMtx);
/** Takes @a hFastMtx; the owner taking it again gets ERR_SEM_NESTED. */
int RTSemFastMutexRequest(RTSEMFASTMUTEX hFastMtx);
/** Releases @a hFastMtx. */
int RTSemFastMutexRelease(RTSEMFASTMUTEX hFastMtx);
/** @} */

/** @name Spin mutex (a critical section with flags 0x3, named "RTSemSpinMutex")
 * @{ */
/** Makes a spin mutex. @a fFlags: 0 or RTSEMSPINMUTEX_F_NO_VALIDATION, else ERR_INVALID_PARAMETER. */
int RTSemSpinMutexMake(PRTSEMSPINMUTEX phSpinMtx, uint32_t fFlags);
/** Destroys @a hSpinMtx. @returns 0; ERR_INVALID_PARAMETER for a null handle. */
int RTSemSpinMutexDestroy(RTSEMSPINMUTEX hSpinMtx);
/** Takes @a hSpinMtx; the owner taking it again gets ERR_SEM_NESTED. */
int RTSemSpinMutexRequest(RTSEMSPINMUTEX hSpinMtx);
/** Releases @a hSpinMtx. */
int RTSemSpinMutexRelease(RTSEMSPINMUTEX hSpinMtx);
/** @} */

/** @name Read-write semaphore (write side)
 * @{ */
/** Makes a read-write semaphore. @a fFlags: 0 or RTSEMRW_F_NO_VALIDATION, else
 * ERR_INVALID_PARAMETER. @returns 0, ERR_NO_MEMORY, or an event's failure. */
int RTSemRWMake(PRTSEMRW phRWSem, uint32_t fFlags);
/** Destroys @a hRWSem (null: 0). @returns 0; ERR_INVALID_HANDLE; ERR_SEM_BUSY while it is held. */
int RTSemRWDispose(RTSEMRW hRWSem);
/**
 * Takes the write lock, waiting at most @a cMillies (RT_INDEFINITE_WAIT: no limit);
 * the holder may take it again (it must release as often).
 * @returns 0; ERR_TIMEOUT; ERR_SEM_DESTROYED; ERR_INVALID_HANDLE.
 */
int RTSemRWWriteLock(RTSEMRW hRWSem, uint32_t cMillies);
/** Releases the write lock once. @returns 0; ERR_NOT_OWNER when the caller does not
 * hold it; ERR_INVALID_HANDLE. */
int RTSemRWWriteUnlock(RTSEMRW hRWSem);
/** True when the calling thread holds the write lock. */
bool RTSemRWIsWriteOwner(RTSEMRW hRWSem);
/** @} */

#endif
