/** @file
 * Read-write semaphores (the write side) on a critical section and two events.
 *
 * The internal critical section guards every field. A writer that cannot have
 * the lock counts itself as waiting and sleeps on the auto-reset write event;
 * the releasing writer hands over by signalling it. The manual-reset read
 * event is raised while no writer holds the lock.
 */
#include <rt/critsect.h>
#include <rt/mem.h>
#include "internal/thread.h"

/** Magic of a live read-write semaphore; destruction complements it. */
#define RTSEMRW_MAGIC UINT32_C(0x19640707)

struct RTSEMRWINTERNAL
{
    uint32_t volatile u32Magic;
    uint32_t u32Padding; /**< 0xA5A55A5A, a marker for memory dumps. */
    RTCRITSECT CritSect;
    uint32_t cReads;
    uint32_t cWrites;
    uint32_t cWriterReads;
    uint32_t cWritesWaiting;
    RTNATIVETHREAD volatile Writer;
    bool fNeedResetReadEvent;
    RTSEMEVENTMULTI ReadEvent;
    RTSEMEVENT WriteEvent;
};

namespace
{

bool rtSemRWIsLive(RTSEMRW hRWSem)
{
    return RT_VALID_PTR(hRWSem) && __atomic_load_n(&hRWSem->u32Magic, __ATOMIC_SEQ_CST) == RTSEMRW_MAGIC;
}

/** True when the write lock cannot be given to @a Self now. Lock held. */
bool rtSemRWIsTakenFor(RTSEMRWINTERNAL *pThis, RTNATIVETHREAD Self, uint32_t cMillies, bool fCountedAsWaiter)
{
    if (__atomic_load_n(&pThis->Writer, __ATOMIC_SEQ_CST) == Self)
        return false;
    /* Other waiting writers go first, unless we are one of them or only poll. */
    uint32_t const cOtherWaiters = pThis->cWritesWaiting - (fCountedAsWaiter ? 1 : 0);
    return pThis->cReads > 0 || pThis->cWrites > 0 || (cOtherWaiters > 0 && cMillies > 0 && !fCountedAsWaiter);
}

} // namespace

int RTSemRWMake(PRTSEMRW phRWSem, uint32_t fFlags)
{
    if (fFlags & ~RTSEMRW_F_NO_VALIDATION)
        return ERR_INVALID_PARAMETER;
    RTSEMRWINTERNAL *pThis = (RTSEMRWINTERNAL *)RTMemAllocZTag(sizeof(*pThis), RTMEM_TAG);
    if (!pThis)
        return ERR_NO_MEMORY;
    int rc = RTSemEventMake(&pThis->WriteEvent, RTSEMEVENT_F_NO_VALIDATION);
    if (RT_SUCCESS(rc))
    {
        rc = RTSemEventMultiMake(&pThis->ReadEvent, RTSEMEVENTMULTI_F_NO_VALIDATION);
        if (RT_SUCCESS(rc))
        {
            rc = RTCritSectSetup(&pThis->CritSect, RTCRITSECT_F_NO_VALIDATION, "RTSemRW");
            if (RT_SUCCESS(rc))
            {
                rc = RTSemEventMultiRaise(pThis->ReadEvent);
                if (RT_SUCCESS(rc))
                {
                    pThis->u32Padding = UINT32_C(0xA5A55A5A);
                    pThis->Writer = NIL_RTNATIVETHREAD;
                    pThis->fNeedResetReadEvent = true;
                    __atomic_store_n(&pThis->u32Magic, RTSEMRW_MAGIC, __ATOMIC_SEQ_CST);
                    *phRWSem = pThis;
                    return 0;
                }
                RTCritSectTeardown(&pThis->CritSect);
            }
            RTSemEventMultiDispose(pThis->ReadEvent);
        }
        RTSemEventDispose(pThis->WriteEvent);
    }
    RTMemFree(pThis);
    return rc;
}

int RTSemRWDispose(RTSEMRW hRWSem)
{
    if (hRWSem == NIL_RTSEMRW)
        return 0;
    if (!rtSemRWIsLive(hRWSem))
        return ERR_INVALID_HANDLE;
    if (RT_FAILURE(RTCritSectTryAcquire(&hRWSem->CritSect)))
        return ERR_SEM_BUSY;
    if (hRWSem->cReads > 0 || hRWSem->cWrites > 0)
    {
        RTCritSectLeave(&hRWSem->CritSect);
        return ERR_SEM_BUSY;
    }
    __atomic_store_n(&hRWSem->u32Magic, ~RTSEMRW_MAGIC, __ATOMIC_SEQ_CST);
    hRWSem->cWrites = UINT32_MAX; /* nobody gets the lock any more */
    int rc = RTSemEventDispose(hRWSem->WriteEvent);
    int rc2 = RTSemEventMultiDispose(hRWSem->ReadEvent);
    RTCritSectLeave(&hRWSem->CritSect);
    int rc3 = RTCritSectTeardown(&hRWSem->CritSect);
    RTMemFree(hRWSem);
    return RT_FAILURE(rc) ? rc : RT_FAILURE(rc2) ? rc2 : rc3;
}

int RTSemRWWriteLock(RTSEMRW hRWSem, uint32_t cMillies)
{
    if (!rtSemRWIsLive(hRWSem))
        return ERR_INVALID_HANDLE;
    RTSEMRWINTERNAL *pThis = hRWSem;
    RTNATIVETHREAD const Self = RTThreadNativeSelf();
    int rc = RTCritSectAcquire(&pThis->CritSect);
    if (RT_FAILURE(rc))
        return rc;

    bool fCountedAsWaiter = false;
    while (rtSemRWIsTakenFor(pThis, Self, cMillies, fCountedAsWaiter))
    {
        if (cMillies == 0)
        {
            if (fCountedAsWaiter)
                pThis->cWritesWaiting--;
            RTCritSectLeave(&pThis->CritSect);
            return ERR_TIMEOUT;
        }
        if (!fCountedAsWaiter)
        {
            pThis->cWritesWaiting++;
            fCountedAsWaiter = true;
        }
        RTCritSectLeave(&pThis->CritSect);

        PRTTHREADINT pSelf = rtThreadBlocking(RTTHREADSTATE_RW_WRITE);
        rc = RTSemEventWait(pThis->WriteEvent, cMillies);
        rtThreadUnblocked(pSelf, RTTHREADSTATE_RW_WRITE);
        if (!rtSemRWIsLive(hRWSem))
            return ERR_SEM_DESTROYED;
        int rc2 = RTCritSectAcquire(&pThis->CritSect);
        if (RT_FAILURE(rc2))
            return rc2;
        if (rc == ERR_TIMEOUT)
            cMillies = 0; /* one last look, then give up */
        else if (RT_FAILURE(rc))
        {
            pThis->cWritesWaiting--;
            RTCritSectLeave(&pThis->CritSect);
            return rc;
        }
    }

    if (pThis->fNeedResetReadEvent)
    {
        RTSemEventMultiLower(pThis->ReadEvent);
        pThis->fNeedResetReadEvent = false;
    }
    pThis->cWrites++;
    __atomic_store_n(&pThis->Writer, Self, __ATOMIC_SEQ_CST);
    if (fCountedAsWaiter)
        pThis->cWritesWaiting--;
    RTCritSectLeave(&pThis->CritSect);
    return 0;
}

int RTSemRWWriteUnlock(RTSEMRW hRWSem)
{
    if (!rtSemRWIsLive(hRWSem))
        return ERR_INVALID_HANDLE;
    RTSEMRWINTERNAL *pThis = hRWSem;
    int rc = RTCritSectAcquire(&pThis->CritSect);
    if (RT_FAILURE(rc))
        return rc;
    if (__atomic_load_n(&pThis->Writer, __ATOMIC_SEQ_CST) != RTThreadNativeSelf())
    {
        RTCritSectLeave(&pThis->CritSect);
        return ERR_NOT_OWNER;
    }
    if (--pThis->cWrites == 0)
    {
        if (pThis->cWriterReads > 0)
        {
            pThis->cWrites++;
            RTCritSectLeave(&pThis->CritSect);
            return ERR_WRONG_ORDER;
        }
        __atomic_store_n(&pThis->Writer, NIL_RTNATIVETHREAD, __ATOMIC_SEQ_CST);
    }
    if (pThis->cWritesWaiting > 0)
        RTSemEventSignal(pThis->WriteEvent);
    else
    {
        RTSemEventMultiRaise(pThis->ReadEvent);
        pThis->fNeedResetReadEvent = true;
    }
    RTCritSectLeave(&pThis->CritSect);
    return 0;
}

bool RTSemRWIsWriteOwner(RTSEMRW hRWSem)
{
    return rtSemRWIsLive(hRWSem) && __atomic_load_n(&hRWSem->Writer, __ATOMIC_SEQ_CST) == RTThreadNativeSelf();
}
