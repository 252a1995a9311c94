/** @file
 * Auto-reset event semaphores on NT synchronisation events.
 *
 * The record is reference-counted: every operation holds a reference around
 * its native call, so a concurrent destroy only closes the native event once
 * the last user has left it.
 */
#include <rt/mem.h>
#include <rt/semaphore.h>
#include "internal/sem-nt.h"
#include "internal/seam.h"

/** Magic of a live auto-reset event; destruction adds 1. */
#define RTSEMEVENT_MAGIC UINT32_C(0x19601110)

struct RTSEMEVENTINTERNAL
{
    uint32_t volatile u32Magic;
    int32_t volatile cRefs;
    HANDLE hEvent;
};

namespace
{

bool rtSemEventRetain(RTSEMEVENTINTERNAL *pThis)
{
    if (__atomic_load_n(&pThis->u32Magic, __ATOMIC_SEQ_CST) != RTSEMEVENT_MAGIC)
        return false;
    __atomic_add_fetch(&pThis->cRefs, 1, __ATOMIC_SEQ_CST);
    return true;
}

void rtSemEventRelease(RTSEMEVENTINTERNAL *pThis)
{
    if (__atomic_sub_fetch(&pThis->cRefs, 1, __ATOMIC_SEQ_CST) == 0)
    {
        NtClose(pThis->hEvent);
        pThis->hEvent = NULL;
        RTMemFree(pThis);
    }
}

} // namespace

int RTSemEventMake(PRTSEMEVENT phEventSem, uint32_t fFlags)
{
    if (fFlags & ~(RTSEMEVENT_F_NO_VALIDATION | RTSEMEVENT_F_EARLY))
        return ERR_INVALID_PARAMETER;
    RTSEMEVENTINTERNAL *pThis = (RTSEMEVENTINTERNAL *)RTMemAllocTag(sizeof(*pThis), RTMEM_TAG);
    if (!pThis)
        return ERR_NO_MEMORY;
    NTSTATUS rcNt = RT_SEAM(g_rtSeamsSemNt, NtCreateEvent)(&pThis->hEvent, RTNT_EVENT_ALL_ACCESS, NULL,
                                                           RTNT_SYNCHRONIZATION_EVENT, FALSE);
    if (!NT_SUCCESS(rcNt))
    {
        RTMemFree(pThis);
        return RTErrConvertFromNtStatus(rcNt);
    }
    pThis->cRefs = 1;
    __atomic_store_n(&pThis->u32Magic, RTSEMEVENT_MAGIC, __ATOMIC_SEQ_CST);
    *phEventSem = pThis;
    return 0;
}

int RTSemEventDispose(RTSEMEVENT hEventSem)
{
    if (hEventSem == NIL_RTSEMEVENT)
        return 0;
    if (!RT_VALID_PTR(hEventSem))
        return ERR_INVALID_HANDLE;
    uint32_t u32Magic = RTSEMEVENT_MAGIC;
    if (!__atomic_compare_exchange_n(&hEventSem->u32Magic, &u32Magic, RTSEMEVENT_MAGIC + 1, false, __ATOMIC_SEQ_CST,
                                     __ATOMIC_SEQ_CST))
        return ERR_INVALID_HANDLE;
    /* Wake a waiter: it sees the changed magic and passes the news on by returning. */
    NtSetEvent(hEventSem->hEvent, NULL);
    rtSemEventRelease(hEventSem);
    return 0;
}

int RTSemEventSignal(RTSEMEVENT hEventSem)
{
    if (!RT_VALID_PTR(hEventSem) || !rtSemEventRetain(hEventSem))
        return ERR_INVALID_HANDLE;
    NTSTATUS rcNt = RT_SEAM(g_rtSeamsSemNt, NtSetEvent)(hEventSem->hEvent, NULL);
    rtSemEventRelease(hEventSem);
    return NT_SUCCESS(rcNt) ? 0 : RTErrConvertFromNtStatus(rcNt);
}

int RTSemEventWaitFlags(RTSEMEVENT hEventSem, uint32_t fFlags, uint64_t uTimeout)
{
    if (hEventSem == NIL_RTSEMEVENT)
        return ERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(hEventSem) || __atomic_load_n(&hEventSem->u32Magic, __ATOMIC_SEQ_CST) != RTSEMEVENT_MAGIC)
        return ERR_INVALID_HANDLE;
    if (!RTSemWaitAreFlagsValid(fFlags))
        return ERR_INVALID_FLAGS;
    if (!rtSemEventRetain(hEventSem))
        return ERR_INVALID_HANDLE;
    int rc = rtSemNtWaitEvent(hEventSem->hEvent, &hEventSem->u32Magic, RTSEMEVENT_MAGIC, fFlags, uTimeout,
                              RTTHREADSTATE_EVENT);
    rtSemEventRelease(hEventSem);
    return rc;
}

int RTSemEventWait(RTSEMEVENT hEventSem, uint32_t cMillies)
{
    if (cMillies == RT_INDEFINITE_WAIT)
        return RTSemEventWaitFlags(hEventSem, RTSEMWAIT_F_RESUME | RTSEMWAIT_F_INDEFINITE, 0);
    return RTSemEventWaitFlags(hEventSem, RTSEMWAIT_F_RESUME | RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS, cMillies);
}
