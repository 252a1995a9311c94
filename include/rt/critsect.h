/** @file
 * Critical sections: recursive (by default) mutual exclusion between the
 * threads of one process, embedded in the caller's own record.
 *
 * Fast path: one atomic change of the lockers count; a contended acquire waits
 * on the section's auto-reset event. The owner is recorded by native thread
 * identifier, so a section works on threads the runtime does not know.
 *
 * A section is set up once (RTCritSectSetup), used from any thread and torn
 * down by its last user (RTCritSectTeardown); it must not be copied or moved
 * while set up. Leaving a section that the caller does not own is a
 * programming error and is not detected.
 */
#ifndef RT_CRITSECT_H
#define RT_CRITSECT_H

#include <rt/types.h>
#include <rt/err.h>
#include <rt/semaphore.h>
#include <rt/thread.h>

/** Magic of a set-up critical section. */
#define RTCRITSECT_MAGIC UINT32_C(0x19790326)
/** Magic after teardown: the bitwise complement. */
#define RTCRITSECT_MAGIC_DEAD UINT32_C(0xE686FCD9)

/** @name RTCritSectSetup flags
 * @{ */
/** Re-entry by the owner fails with ERR_SEM_NESTED instead of nesting. */
#define RTCRITSECT_F_NO_NESTING UINT32_C(0x00000001)
/** The section takes no part in lock-order validation. */
#define RTCRITSECT_F_NO_VALIDATION UINT32_C(0x00000002)
/** The section may be used before the runtime is initialised (passed on to its event). */
#define RTCRITSECT_F_EARLY UINT32_C(0x00000004)
/** Every operation succeeds without doing anything. */
#define RTCRITSECT_F_NOP UINT32_C(0x00000008)
/** @} */

/** A critical section. The fields are the implementation's; use the functions. */
typedef struct RTCRITSECT
{
    /** RTCRITSECT_MAGIC while set up; the failure status when the set-up failed. */
    uint32_t volatile u32Magic;
    /** Threads holding or wanting the section minus one: -1 free, 0 owned, more = waiters. */
    int32_t volatile cLockers;
    /** The owner's native identifier, NIL_RTNATIVETHREAD when free. */
    RTNATIVETHREAD volatile NativeThreadOwner;
    /** How often the owner holds it. */
    int32_t volatile cNestings;
    /** RTCRITSECT_F_*. */
    uint32_t fFlags;
    /** Waiters sleep here. */
    RTSEMEVENT EventSem;
    /** Lock-order validation record; unused (null) in this runtime. */
    void *pValidatorRec;
} RTCRITSECT;
/** Pointer to a critical section. */
typedef RTCRITSECT *PRTCRITSECT;

/**
 * Sets @a pCritSect up with @a fFlags (RTCRITSECT_F_*; other bits below 0x10 are
 * accepted) under the diagnostic name @a pszName (may be null).
 * @returns 0; ERR_INVALID_PARAMETER for flags above 0xF; the event's creation
 *          failure, which is then also left in the magic field.
 */
int RTCritSectSetup(PRTCRITSECT pCritSect, uint32_t fFlags, const char *pszName);

/**
 * Tears @a pCritSect down: every thread waiting in RTCritSectAcquire wakes with
 * ERR_SEM_DESTROYED. @returns the event's destruction status (0).
 */
int RTCritSectTeardown(PRTCRITSECT pCritSect);

/**
 * Enters @a pCritSect, waiting as long as it takes. The owner may enter again
 * (it must leave as often) unless the section was set up with
 * RTCRITSECT_F_NO_NESTING.
 * @returns 0; ERR_SEM_NESTED for re-entry into a non-nesting section (it stays
 *          held once); ERR_SEM_DESTROYED when the section is or gets torn down.
 */
int RTCritSectAcquire(PRTCRITSECT pCritSect);

/** Enters @a pCritSect only if that needs no wait.
 * @returns 0; ERR_SEM_BUSY when another thread owns it; ERR_SEM_NESTED as RTCritSectAcquire. */
int RTCritSectTryAcquire(PRTCRITSECT pCritSect);

/** Leaves @a pCritSect once; the last leave of the owner wakes one waiter. @returns 0. */
int RTCritSectLeave(PRTCRITSECT pCritSect);

/** True when the calling thread owns @a pCritSect. */
bool RTCritSectIsOwner(PRTCRITSECT pCritSect);

#endif
