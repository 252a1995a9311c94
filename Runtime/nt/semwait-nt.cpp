/** @file
 * The alertable wait loop the event semaphores share, on NtWaitForSingleObject.
 */
#include "internal/sem-nt.h"
#include "internal/semwait.h"
#include "internal/thread.h"
#include "internal/seam.h"
#include "internal/uint64div.h"

namespace
{

/** The system time in nanoseconds since 1970. */
uint64_t rtSemWaitSystemTimeNs(void)
{
    FILETIME Ft;
    RT_SEAM(g_rtSeamsSemNt, GetSystemTimeAsFileTime)(&Ft);
    uint64_t const u100ns = ((uint64_t)Ft.dwHighDateTime << 32) | Ft.dwLowDateTime;
    uint64_t const u100nsFrom1601To1970 = UINT64_C(116444736000000000);
    return u100ns >= u100nsFrom1601To1970 ? (u100ns - u100nsFrom1601To1970) * 100 : 0;
}

NTSTATUS rtSemWaitOnce(HANDLE hEvent, uint64_t nsTimeout, RTTHREADSTATE enmBlockState)
{
    PRTTHREADINT pSelf = rtThreadBlocking(enmBlockState);
    NTSTATUS rcNt;
    if (nsTimeout == RTSEMWAIT_NS_INDEFINITE)
        rcNt = RT_SEAM(g_rtSeamsSemNt, NtWaitForSingleObject)(hEvent, TRUE, NULL);
    else
    {
        LARGE_INTEGER Timeout;
        Timeout.QuadPart = -(LONGLONG)rtUInt64DivRem(nsTimeout, 100, NULL); /* negative: relative, in 100 ns units */
        rcNt = RT_SEAM(g_rtSeamsSemNt, NtWaitForSingleObject)(hEvent, TRUE, &Timeout);
    }
    rtThreadUnblocked(pSelf, enmBlockState);
    return rcNt;
}

} // namespace

int rtSemNtWaitEvent(HANDLE hEvent, uint32_t const volatile *pu32Magic, uint32_t u32Magic, uint32_t fFlags,
                     uint64_t uTimeout, RTTHREADSTATE enmBlockState)
{
    uint64_t nsStart = rtSemWaitNeedsStartTime(fFlags) ? rtSemWaitSystemTimeNs() : 0;
    uint64_t nsTimeout = rtSemWaitRelativeNs(fFlags, uTimeout, nsStart);
    for (;;)
    {
        NTSTATUS rcNt = rtSemWaitOnce(hEvent, nsTimeout, enmBlockState);
        if (__atomic_load_n(pu32Magic, __ATOMIC_SEQ_CST) != u32Magic)
            return ERR_SEM_DESTROYED;
        switch (rcNt)
        {
            case STATUS_WAIT_0:
                return 0;
            case RTNT_STATUS_ABANDONED_WAIT_0:
                return ERR_SEM_OWNER_DIED;
            case RTNT_STATUS_TIMEOUT:
                return ERR_TIMEOUT;
            case RTNT_STATUS_USER_APC:
            case RTNT_STATUS_ALERTED:
                if (!(fFlags & RTSEMWAIT_F_RESUME))
                    return ERR_INTERRUPTED;
                if (nsTimeout != RTSEMWAIT_NS_INDEFINITE && nsTimeout != 0)
                {
                    uint64_t const nsNow = rtSemWaitSystemTimeNs();
                    nsTimeout = rtSemWaitRemainingNs(nsTimeout, nsNow > nsStart ? nsNow - nsStart : 0);
                    nsStart = nsNow;
                }
                break;
            default:
                return ERR_INTERNAL_ERROR_4;
        }
    }
}
