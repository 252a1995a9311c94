/** @file
 * Manual-reset event semaphores on NT notification events.
 *
 * Reference-counted like the auto-reset events: every operation holds a
 * reference around its native call.
 */
#include <rt/mem.h>
#include <rt/semaphore.h>
#include "internal/sem-nt.h"
#include "internal/seam.h"

/** Magic of a live manual-reset event; destruction adds 1. */
#define RTSEMEVENTMULTI_MAGIC UINT32_C(0x19200102)

struct RTSEMEVENTMULTIINTERNAL
{
    uint32_t volatile u32Magic;
    int32_t volatile cRefs;
    HANDLE hEvent;
};

namespace
{

bool rtSemEventMultiRetain(RTSEMEVENTMULTIINTERNAL *pThis)
{
    if (!RT_VALID_PTR(pThis) || __atomic_load_n(&pThis->u32Magic, __ATOMIC_SEQ_CST) != RTSEMEVENTMULTI_MAGIC)
        return false;
    __atomic_add_fetch(&pThis->cRefs, 1, __ATOMIC_SEQ_CST);
    return true;
}

void rtSemEventMultiRelease(RTSEMEVENTMULTIINTERNAL *pThis)
{
    if (__atomic_sub_fetch(&pThis->cRefs, 1, __ATOMIC_SEQ_CST) == 0)
    {
        NtClose(pThis->hEvent);
        pThis->hEvent = NULL;
        RTMemFree(pThis);
    }
}

/** Runs NtSetEvent or NtResetEvent on a held event. */
int rtSemEventMultiSetOrReset(RTSEMEVENTMULTI hEventMultiSem, bool fSet)
{
    if (!rtSemEventMultiRetain(hEventMultiSem))
        return ERR_INVALID_HANDLE;
    NTSTATUS rcNt = fSet ? RT_SEAM(g_rtSeamsSemNt, NtSetEvent)(hEventMultiSem->hEvent, NULL)
                         : NtResetEvent(hEventMultiSem->hEvent, NULL);
    rtSemEventMultiRelease(hEventMultiSem);
    return NT_SUCCESS(rcNt) ? 0 : RTErrConvertFromNtStatus(rcNt);
}

int rtSemEventMultiWaitMillies(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies, uint32_t fResume)
{
    if (cMillies == RT_INDEFINITE_WAIT)
        return RTSemEventMultiWaitFlags(hEventMultiSem, fResume | RTSEMWAIT_F_INDEFINITE, 0);
    return RTSemEventMultiWaitFlags(hEventMultiSem, fResume | RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS, cMillies);
}

} // namespace

int RTSemEventMultiMake(PRTSEMEVENTMULTI phEventMultiSem, uint32_t fFlags)
{
    if (fFlags & ~RTSEMEVENTMULTI_F_NO_VALIDATION)
        return ERR_INVALID_PARAMETER;
    RTSEMEVENTMULTIINTERNAL *pThis = (RTSEMEVENTMULTIINTERNAL *)RTMemAllocTag(sizeof(*pThis), RTMEM_TAG);
    if (!pThis)
        return ERR_NO_MEMORY;
    NTSTATUS rcNt = RT_SEAM(g_rtSeamsSemNt, NtCreateEvent)(&pThis->hEvent, RTNT_EVENT_ALL_ACCESS, NULL,
                                                           RTNT_NOTIFICATION_EVENT, FALSE);
    if (!NT_SUCCESS(rcNt))
    {
        RTMemFree(pThis);
        return RTErrConvertFromNtStatus(rcNt);
    }
    pThis->cRefs = 1;
    __atomic_store_n(&pThis->u32Magic, RTSEMEVENTMULTI_MAGIC, __ATOMIC_SEQ_CST);
    *phEventMultiSem = pThis;
    return 0;
}

int RTSemEventMultiDispose(RTSEMEVENTMULTI hEventMultiSem)
{
    if (hEventMultiSem == NIL_RTSEMEVENTMULTI)
        return 0;
    if (!RT_VALID_PTR(hEventMultiSem))
        return ERR_INVALID_HANDLE;
    uint32_t u32Magic = RTSEMEVENTMULTI_MAGIC;
    if (!__atomic_compare_exchange_n(&hEventMultiSem->u32Magic, &u32Magic, RTSEMEVENTMULTI_MAGIC + 1, false,
                                     __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST))
        return ERR_INVALID_HANDLE;
    /* Every waiter wakes, sees the changed magic and returns ERR_SEM_DESTROYED. */
    NtSetEvent(hEventMultiSem->hEvent, NULL);
    rtSemEventMultiRelease(hEventMultiSem);
    return 0;
}

int RTSemEventMultiRaise(RTSEMEVENTMULTI hEventMultiSem)
{
    return rtSemEventMultiSetOrReset(hEventMultiSem, true);
}

int RTSemEventMultiLower(RTSEMEVENTMULTI hEventMultiSem)
{
    return rtSemEventMultiSetOrReset(hEventMultiSem, false);
}

int RTSemEventMultiWaitFlags(RTSEMEVENTMULTI hEventMultiSem, uint32_t fFlags, uint64_t uTimeout)
{
    if (!RTSemWaitAreFlagsValid(fFlags) || !rtSemEventMultiRetain(hEventMultiSem))
        return ERR_INVALID_PARAMETER;
    int rc = rtSemNtWaitEvent(hEventMultiSem->hEvent, &hEventMultiSem->u32Magic, RTSEMEVENTMULTI_MAGIC, fFlags,
                              uTimeout, RTTHREADSTATE_EVENT_MULTI);
    rtSemEventMultiRelease(hEventMultiSem);
    return rc;
}

int RTSemEventMultiWait(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies)
{
    return rtSemEventMultiWaitMillies(hEventMultiSem, cMillies, RTSEMWAIT_F_RESUME);
}

int RTSemEventMultiWaitNoResume(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies)
{
    return rtSemEventMultiWaitMillies(hEventMultiSem, cMillies, RTSEMWAIT_F_NORESUME);
}
