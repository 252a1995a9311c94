/** @file
 * Fast mutexes: a heap-allocated, non-nesting critical section.
 */
#include <rt/critsect.h>
#include <rt/mem.h>

int RTSemFastMutexMake(PRTSEMFASTMUTEX phFastMtx)
{
    PRTCRITSECT pCritSect = (PRTCRITSECT)RTMemAllocTag(sizeof(*pCritSect), RTMEM_TAG);
    if (!pCritSect)
        return ERR_NO_MEMORY;
    int rc = RTCritSectSetup(pCritSect, RTCRITSECT_F_NO_NESTING, NULL);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pCritSect);
        return rc;
    }
    *phFastMtx = pCritSect;
    return 0;
}

int RTSemFastMutexDispose(RTSEMFASTMUTEX hFastMtx)
{
    if (hFastMtx == NIL_RTSEMFASTMUTEX)
        return 0;
    if (!RT_VALID_PTR(hFastMtx) || hFastMtx->u32Magic != RTCRITSECT_MAGIC)
        return ERR_INVALID_HANDLE;
    int rc = RTCritSectTeardown(hFastMtx);
    RTMemFree(hFastMtx);
    return rc;
}

int RTSemFastMutexRequest(RTSEMFASTMUTEX hFastMtx)
{
    return RTCritSectAcquire(hFastMtx);
}

int RTSemFastMutexRelease(RTSEMFASTMUTEX hFastMtx)
{
    return RTCritSectLeave(hFastMtx);
}
