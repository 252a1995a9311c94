/** @file
 * Critical sections on an atomic lockers count and an auto-reset event.
 *
 * cLockers is -1 when the section is free and counts the owner plus the
 * waiters otherwise; it is the only field changed by more than one thread.
 * Owner and nesting are written by the owner only.
 */
#include <rt/critsect.h>
#include "internal/thread.h"

namespace
{

/** Flags the set-up accepts; 0x2 and 0x4 have no effect of their own here. */
uint32_t const g_fCritSectValidFlags = UINT32_C(0xF);

bool rtCritSectIsNop(PRTCRITSECT pCritSect)
{
    return (pCritSect->fFlags & RTCRITSECT_F_NOP) != 0;
}

void rtCritSectTakeOwnership(PRTCRITSECT pCritSect, RTNATIVETHREAD NativeSelf)
{
    __atomic_store_n(&pCritSect->NativeThreadOwner, NativeSelf, __ATOMIC_SEQ_CST);
    pCritSect->cNestings = 1;
}

bool rtCritSectIsDead(PRTCRITSECT pCritSect)
{
    return __atomic_load_n(&pCritSect->u32Magic, __ATOMIC_SEQ_CST) != RTCRITSECT_MAGIC;
}

} // namespace

int RTCritSectSetup(PRTCRITSECT pCritSect, uint32_t fFlags, const char *pszName)
{
    (void)pszName; /* kept by lock validation only, which this runtime leaves out */
    if (fFlags & ~g_fCritSectValidFlags)
        return ERR_INVALID_PARAMETER;
    pCritSect->u32Magic = RTCRITSECT_MAGIC;
    pCritSect->fFlags = fFlags;
    pCritSect->cNestings = 0;
    pCritSect->cLockers = -1;
    pCritSect->NativeThreadOwner = NIL_RTNATIVETHREAD;
    pCritSect->pValidatorRec = NULL;
    pCritSect->EventSem = NIL_RTSEMEVENT;
    int rc = RTSemEventMake(&pCritSect->EventSem, (fFlags & RTCRITSECT_F_EARLY) | RTSEMEVENT_F_NO_VALIDATION);
    if (RT_FAILURE(rc))
        pCritSect->u32Magic = (uint32_t)rc;
    return rc;
}

int RTCritSectAcquire(PRTCRITSECT pCritSect)
{
    if (rtCritSectIsDead(pCritSect))
        return ERR_SEM_DESTROYED;
    if (rtCritSectIsNop(pCritSect))
        return 0;
    RTNATIVETHREAD const NativeSelf = RTThreadNativeSelf();
    if (__atomic_add_fetch(&pCritSect->cLockers, 1, __ATOMIC_SEQ_CST) > 0)
    {
        if (__atomic_load_n(&pCritSect->NativeThreadOwner, __ATOMIC_SEQ_CST) == NativeSelf)
        {
            if (pCritSect->fFlags & RTCRITSECT_F_NO_NESTING)
            {
                __atomic_sub_fetch(&pCritSect->cLockers, 1, __ATOMIC_SEQ_CST);
                return ERR_SEM_NESTED;
            }
            pCritSect->cNestings++;
            return 0;
        }
        for (;;)
        {
            PRTTHREADINT pSelf = rtThreadBlocking(RTTHREADSTATE_CRITSECT);
            int rc = RTSemEventWait(pCritSect->EventSem, RT_INDEFINITE_WAIT);
            rtThreadUnblocked(pSelf, RTTHREADSTATE_CRITSECT);
            if (rtCritSectIsDead(pCritSect))
                return ERR_SEM_DESTROYED;
            if (rc == 0)
                break;
        }
    }
    rtCritSectTakeOwnership(pCritSect, NativeSelf);
    return 0;
}

int RTCritSectTryAcquire(PRTCRITSECT pCritSect)
{
    if (rtCritSectIsDead(pCritSect))
        return ERR_SEM_DESTROYED;
    if (rtCritSectIsNop(pCritSect))
        return 0;
    RTNATIVETHREAD const NativeSelf = RTThreadNativeSelf();
    int32_t cFree = -1;
    if (__atomic_compare_exchange_n(&pCritSect->cLockers, &cFree, 0, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST))
    {
        rtCritSectTakeOwnership(pCritSect, NativeSelf);
        return 0;
    }
    if (__atomic_load_n(&pCritSect->NativeThreadOwner, __ATOMIC_SEQ_CST) != NativeSelf)
        return ERR_SEM_BUSY;
    if (pCritSect->fFlags & RTCRITSECT_F_NO_NESTING)
        return ERR_SEM_NESTED;
    __atomic_add_fetch(&pCritSect->cLockers, 1, __ATOMIC_SEQ_CST);
    pCritSect->cNestings++;
    return 0;
}

int RTCritSectLeave(PRTCRITSECT pCritSect)
{
    if (rtCritSectIsNop(pCritSect))
        return 0;
    if (--pCritSect->cNestings > 0)
    {
        __atomic_sub_fetch(&pCritSect->cLockers, 1, __ATOMIC_SEQ_CST);
        return 0;
    }
    __atomic_store_n(&pCritSect->NativeThreadOwner, NIL_RTNATIVETHREAD, __ATOMIC_SEQ_CST);
    if (__atomic_sub_fetch(&pCritSect->cLockers, 1, __ATOMIC_SEQ_CST) >= 0)
    {
        int rc = RTSemEventSignal(pCritSect->EventSem);
        if (RT_FAILURE(rc))
            rtThreadReportFailure(true, "RTSemEventSignal -> %Rrc\n", rc);
    }
    return 0;
}

int RTCritSectTeardown(PRTCRITSECT pCritSect)
{
    __atomic_store_n(&pCritSect->u32Magic, ~RTCRITSECT_MAGIC, __ATOMIC_SEQ_CST);
    pCritSect->fFlags = 0;
    pCritSect->cNestings = 0;
    pCritSect->NativeThreadOwner = NIL_RTNATIVETHREAD;
    RTSEMEVENT hEvent = pCritSect->EventSem;
    pCritSect->EventSem = NIL_RTSEMEVENT;
    /* Wake every waiter; each sees the dead magic and gives up. */
    while (__atomic_load_n(&pCritSect->cLockers, __ATOMIC_SEQ_CST) >= 0)
    {
        __atomic_sub_fetch(&pCritSect->cLockers, 1, __ATOMIC_SEQ_CST);
        RTSemEventSignal(hEvent);
    }
    __atomic_store_n(&pCritSect->cLockers, -1, __ATOMIC_SEQ_CST);
    return RTSemEventDispose(hEvent);
}

bool RTCritSectIsOwner(PRTCRITSECT pCritSect)
{
    if (rtCritSectIsNop(pCritSect))
        return true;
    return __atomic_load_n(&pCritSect->NativeThreadOwner, __ATOMIC_SEQ_CST) == RTThreadNativeSelf();
}
