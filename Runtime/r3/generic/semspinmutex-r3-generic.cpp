/** @file
 * Spin mutexes: a heap-allocated, non-nesting critical section without lock
 * validation, named "RTSemSpinMutex".
 */
#include <rt/critsect.h>
#include <rt/mem.h>

int RTSemSpinMutexMake(PRTSEMSPINMUTEX phSpinMtx, uint32_t fFlags)
{
    if (fFlags & ~RTSEMSPINMUTEX_F_NO_VALIDATION)
        return ERR_INVALID_PARAMETER;
    PRTCRITSECT pCritSect = (PRTCRITSECT)RTMemAllocTag(sizeof(*pCritSect), RTMEM_TAG);
    if (!pCritSect)
        return ERR_NO_MEMORY;
    int rc = RTCritSectSetup(pCritSect, RTCRITSECT_F_NO_NESTING | RTCRITSECT_F_NO_VALIDATION, "RTSemSpinMutex");
    if (RT_FAILURE(rc))
    {
        RTMemFree(pCritSect);
        return rc;
    }
    *phSpinMtx = pCritSect;
    return 0;
}

int RTSemSpinMutexDestroy(RTSEMSPINMUTEX hSpinMtx)
{
    if (!RT_VALID_PTR(hSpinMtx))
        return ERR_INVALID_PARAMETER;
    int rc = RTCritSectTeardown(hSpinMtx);
    RTMemFree(hSpinMtx);
    return rc;
}

int RTSemSpinMutexRequest(RTSEMSPINMUTEX hSpinMtx)
{
    return RTCritSectAcquire(hSpinMtx);
}

int RTSemSpinMutexRelease(RTSEMSPINMUTEX hSpinMtx)
{
    return RTCritSectLeave(hSpinMtx);
}
