/** @file
 * Threads, the portable part: records and their references, the registry of
 * known threads, creation, registration of foreign threads, the user and
 * termination events, and the common body every created thread runs.
 *
 * The registry is an AVL tree keyed by native thread identifier, changed only
 * under the write lock of one read-write semaphore. A record is in it while its
 * RTTHREADINT_F_IN_REGISTRY flag is set; that flag changes only under the lock.
 */
#include <rt/string.h>
#include <rt/mem.h>
#include "internal/thread.h"
#include "internal/message.h"
#include "internal/seam.h"

namespace
{

/** Guards the tree and the counts below; made by RTThreadSubsystemInit. */
RTSEMRW g_hThreadRWSem = NIL_RTSEMRW;
RTAVLU32TREE g_ThreadTree = NULL;
/** Records in the tree, in total and per type. */
uint32_t g_cThreadsInTree = 0;
uint32_t g_acThreadsByType[RTTHREADTYPE_END] = {};
bool volatile g_fThreadInitialized = false;
bool volatile g_fProcessTerminating = false;

void rtThreadLockRegistry(void)
{
    if (__atomic_load_n(&g_hThreadRWSem, __ATOMIC_ACQUIRE) == NIL_RTSEMRW)
        RTThreadSubsystemInit();
    int rc = RTSemRWWriteLock(g_hThreadRWSem, RT_INDEFINITE_WAIT);
    if (RT_FAILURE(rc))
        rtThreadReportFailure(true, "%Rra\n", rc);
}

void rtThreadUnlockRegistry(void)
{
    int rc = RTSemRWWriteUnlock(g_hThreadRWSem);
    if (RT_FAILURE(rc))
        rtThreadReportFailure(true, "%Rra\n", rc);
}

uint32_t rtThreadLoadFlags(uint32_t const volatile *pfFlags)
{
    return __atomic_load_n(pfFlags, __ATOMIC_SEQ_CST);
}

/** Unlinks @a pThread, which is in the tree, and updates the counts. Registry lock held. */
void rtThreadUnlinkLocked(PRTTHREADINT pThread)
{
    PRTAVLU32NODECORE pRemoved = rtAvlU32Remove(&g_ThreadTree, pThread->Core.Key);
    if (pRemoved != &pThread->Core)
        rtThreadReportFailure(true, "Lock problem? %p (%RTnthrd) %s\n", pThread, (RTNATIVETHREAD)pThread->Core.Key,
                              pThread->szName);
    __atomic_and_fetch(&pThread->fIntFlags, ~RTTHREADINT_F_IN_REGISTRY, __ATOMIC_SEQ_CST);
    g_cThreadsInTree--;
    g_acThreadsByType[pThread->enmType]--;
}

void rtThreadRemoveFromRegistry(PRTTHREADINT pThread)
{
    rtThreadLockRegistry();
    if (rtThreadLoadFlags(&pThread->fIntFlags) & RTTHREADINT_F_IN_REGISTRY)
        rtThreadUnlinkLocked(pThread);
    rtThreadUnlockRegistry();
}

/** Destroys a record whose last reference is gone. */
void rtThreadDestroyRecord(PRTTHREADINT pThread)
{
    if (rtThreadLoadFlags(&pThread->fIntFlags) & RTTHREADINT_F_IN_REGISTRY)
        rtThreadRemoveFromRegistry(pThread);
    __atomic_store_n(&pThread->u32Magic, RTTHREADINT_MAGIC_DEAD, __ATOMIC_SEQ_CST);
    pThread->Core.Key = 0;
    RTSemEventMultiDispose(pThread->EventUser);
    pThread->EventUser = NIL_RTSEMEVENTMULTI;
    RTSemEventMultiDispose(pThread->EventTerminated);
    pThread->EventTerminated = NIL_RTSEMEVENTMULTI;
    rtThreadNativeDestroy(pThread);
    RTMemFree(pThread);
}

/** Allocates and fills a record with both events (references 2, plus 1 when waitable). */
int rtThreadAllocRecord(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName,
                        PRTTHREADINT *ppThread)
{
    PRTTHREADINT pThread = (PRTTHREADINT)RT_SEAM(g_rtSeamsThread, RTMemAllocZTag)(sizeof(*pThread), RTMEM_TAG);
    if (!pThread)
        return ERR_NO_TMP_MEMORY;
    pThread->u32Magic = RTTHREADINT_MAGIC;
    RTStrCopy(pThread->szName, sizeof(pThread->szName), pszName);
    pThread->rc = ERR_RESULT_PENDING;
    pThread->cRefs = 2 + (int32_t)(fFlags & RTTHREADCREATE_F_WAITABLE);
    pThread->enmType = enmType;
    pThread->fFlags = fFlags;
    pThread->fIntFlags = fIntFlags;
    pThread->enmState = RTTHREADSTATE_INITIALIZING;
    pThread->hThread = RTTHREADINT_NO_HANDLE;
    int rc = RTSemEventMultiMake(&pThread->EventUser, RTSEMEVENTMULTI_F_NO_VALIDATION);
    if (RT_SUCCESS(rc))
    {
        rc = RTSemEventMultiMake(&pThread->EventTerminated, RTSEMEVENTMULTI_F_NO_VALIDATION);
        if (RT_SUCCESS(rc))
        {
            *ppThread = pThread;
            return 0;
        }
        RTSemEventMultiDispose(pThread->EventUser);
    }
    RTMemFree(pThread);
    return rc;
}

/** Destroys a record that never got going, whatever references it holds. */
void rtThreadDiscardRecord(PRTTHREADINT pThread)
{
    __atomic_store_n(&pThread->cRefs, 1, __ATOMIC_SEQ_CST);
    rtThreadRelease(pThread);
}

/** @a hThread's record with a reference taken, or null when the handle is not a live thread. */
PRTTHREADINT rtThreadRetainHandle(RTTHREAD hThread)
{
    if (!RT_VALID_PTR(hThread) || __atomic_load_n(&hThread->u32Magic, __ATOMIC_SEQ_CST) != RTTHREADINT_MAGIC)
        return NULL;
    int32_t cRefs = __atomic_load_n(&hThread->cRefs, __ATOMIC_SEQ_CST);
    while (cRefs > 0)
        if (__atomic_compare_exchange_n(&hThread->cRefs, &cRefs, cRefs + 1, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST))
            return hThread;
    return NULL;
}

bool rtThreadIsLiveHandle(RTTHREAD hThread)
{
    return RT_VALID_PTR(hThread) && __atomic_load_n(&hThread->u32Magic, __ATOMIC_SEQ_CST) == RTTHREADINT_MAGIC;
}

} // namespace

void rtThreadReportFailure(bool fFatal, const char *pszFormat, ...)
{
    char szMsg[256];
    va_list va;
    va_start(va, pszFormat);
    size_t cch = RTStrBufPrintfV(szMsg, sizeof(szMsg), pszFormat, va);
    va_end(va);
    rtMsgWriteStdErr(szMsg, cch);
    if (fFatal)
        __builtin_trap();
}

/*
 * Registry.
 */

void rtThreadInsert(PRTTHREADINT pThread, RTNATIVETHREAD NativeThread)
{
    uint32_t const uKey = (uint32_t)NativeThread;
    rtThreadLockRegistry();
    if (!(rtThreadLoadFlags(&pThread->fIntFlags) & RTTHREADINT_F_TERMINATED))
    {
        PRTTHREADINT pOld = (PRTTHREADINT)rtAvlU32Get(&g_ThreadTree, uKey);
        if (pOld != pThread)
        {
            if (pOld)
            {
                /* A dead thread whose identifier the system gave out again. A registered
                   thread was kept alive by the registry alone: that reference goes too. */
                rtThreadUnlinkLocked(pOld);
                if (rtThreadLoadFlags(&pOld->fIntFlags) & RTTHREADINT_F_REGISTERED)
                    rtThreadRelease(pOld);
            }
            pThread->Core.Key = uKey;
            if (!rtAvlU32Insert(&g_ThreadTree, &pThread->Core))
                rtThreadReportFailure(true, "Lock problem? %p (%RTnthrd) %s\n", pThread, NativeThread, pThread->szName);
            __atomic_or_fetch(&pThread->fIntFlags, RTTHREADINT_F_IN_REGISTRY, __ATOMIC_SEQ_CST);
            g_cThreadsInTree++;
            g_acThreadsByType[pThread->enmType]++;
        }
    }
    rtThreadUnlockRegistry();
}

PRTTHREADINT rtThreadGetByNative(RTNATIVETHREAD NativeThread)
{
    rtThreadLockRegistry();
    PRTTHREADINT pThread = (PRTTHREADINT)rtAvlU32Get(&g_ThreadTree, (uint32_t)NativeThread);
    if (pThread)
        __atomic_add_fetch(&pThread->cRefs, 1, __ATOMIC_SEQ_CST);
    rtThreadUnlockRegistry();
    return pThread;
}

uint32_t rtThreadRegistryCount(void)
{
    rtThreadLockRegistry();
    uint32_t cThreads = g_cThreadsInTree;
    rtThreadUnlockRegistry();
    return cThreads;
}

uint32_t rtThreadRelease(PRTTHREADINT pThread)
{
    int32_t cRefs = __atomic_sub_fetch(&pThread->cRefs, 1, __ATOMIC_SEQ_CST);
    if (cRefs == 0)
        rtThreadDestroyRecord(pThread);
    return cRefs > 0 ? (uint32_t)cRefs : 0;
}

/*
 * The thread's own life.
 */

int rtThreadMain(PRTTHREADINT pThread, RTNATIVETHREAD NativeThread)
{
    rtThreadInsert(pThread, NativeThread);
    rtThreadNativeSetPriority(pThread, pThread->enmType);

    __atomic_store_n(&pThread->enmState, RTTHREADSTATE_RUNNING, __ATOMIC_SEQ_CST);
    int rc = pThread->pfnThread(pThread, pThread->pvUser);

    pThread->rc = rc;
    __atomic_store_n(&pThread->enmState, RTTHREADSTATE_TERMINATED, __ATOMIC_SEQ_CST);
    __atomic_or_fetch(&pThread->fIntFlags, RTTHREADINT_F_TERMINATED, __ATOMIC_SEQ_CST);
    RTSemEventMultiRaise(pThread->EventTerminated);

    rtThreadRemoveFromRegistry(pThread);
    rtThreadRelease(pThread);
    return rc;
}

PRTTHREADINT rtThreadBlocking(RTTHREADSTATE enmState)
{
    PRTTHREADINT pThread = rtThreadNativeGetSelf();
    if (!rtThreadIsLiveHandle(pThread))
        return NULL;
    int32_t enmExpected = RTTHREADSTATE_RUNNING;
    __atomic_compare_exchange_n(&pThread->enmState, &enmExpected, (int32_t)enmState, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    __atomic_store_n(&pThread->fReallySleeping, true, __ATOMIC_SEQ_CST);
    return pThread;
}

void rtThreadUnblocked(PRTTHREADINT pThread, RTTHREADSTATE enmState)
{
    if (!pThread)
        return;
    __atomic_store_n(&pThread->fReallySleeping, false, __ATOMIC_SEQ_CST);
    int32_t enmExpected = (int32_t)enmState;
    __atomic_compare_exchange_n(&pThread->enmState, &enmExpected, (int32_t)RTTHREADSTATE_RUNNING, false,
                                __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
}

void rtThreadSetProcessTerminating(void)
{
    __atomic_store_n(&g_fProcessTerminating, true, __ATOMIC_SEQ_CST);
}

bool rtThreadIsProcessTerminating(void)
{
    return __atomic_load_n(&g_fProcessTerminating, __ATOMIC_SEQ_CST);
}

/*
 * Public functions.
 */

int RTThreadCreate(PRTTHREAD phThread, PFNRTTHREAD pfnThread, void *pvUser, size_t cbStack, RTTHREADTYPE enmType,
                   uint32_t fFlags, const char *pszName)
{
    int rc = rtThreadValidateCreateArgs(phThread, pfnThread, enmType, fFlags, pszName);
    if (RT_FAILURE(rc))
        return rc;

    PRTTHREADINT pThread = NULL;
    rc = rtThreadAllocRecord(enmType, fFlags, 0, pszName, &pThread);
    if (RT_SUCCESS(rc))
    {
        pThread->pfnThread = pfnThread;
        pThread->pvUser = pvUser;
        pThread->cbStack = cbStack;
        RTNATIVETHREAD NativeThread = NIL_RTNATIVETHREAD;
        rc = rtThreadNativeCreate(pThread, &NativeThread);
        if (RT_SUCCESS(rc))
        {
            rtThreadInsert(pThread, NativeThread);
            rtThreadRelease(pThread);
            if (phThread)
                *phThread = pThread;
            return 0;
        }
        rtThreadDiscardRecord(pThread);
    }
    rtThreadReportFailure(false, "%Rra\n", rc);
    return rc;
}

int RTThreadRegisterCurrent(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName)
{
    int rc = rtThreadValidateName(pszName);
    if (RT_FAILURE(rc))
        return rc;
    if (enmType <= RTTHREADTYPE_INVALID || enmType >= RTTHREADTYPE_END)
        return ERR_INVALID_PARAMETER;
    if (fFlags & ~RTTHREADCREATE_F_VALID_MASK)
        return ERR_INVALID_FLAGS;

    PRTTHREADINT pThread = NULL;
    rc = rtThreadAllocRecord(enmType, fFlags & ~RTTHREADCREATE_F_WAITABLE, fIntFlags | RTTHREADINT_F_REGISTERED,
                             pszName, &pThread);
    if (RT_FAILURE(rc))
        return rc == ERR_NO_TMP_MEMORY ? ERR_NO_MEMORY : rc;
    if (RT_FAILURE(rtThreadNativeSetSelf(pThread)))
    {
        rtThreadDiscardRecord(pThread);
        return ERR_SELF_TLS_NOT_SET;
    }
    rtThreadNativePublishName(pThread);
    rtThreadInsert(pThread, RTThreadNativeSelf());
    __atomic_store_n(&pThread->enmState, RTTHREADSTATE_RUNNING, __ATOMIC_SEQ_CST);
    rtThreadRelease(pThread); /* the registry's reference remains */
    return 0;
}

int RTThreadSubsystemInit(void)
{
    if (__atomic_load_n(&g_fThreadInitialized, __ATOMIC_SEQ_CST))
        return INF_ALREADY_INITIALIZED;
    RTSEMRW hRWSem = NIL_RTSEMRW;
    int rc = RTSemRWMake(&hRWSem, RTSEMRW_F_NO_VALIDATION);
    if (RT_FAILURE(rc))
        return rc;
    __atomic_store_n(&g_hThreadRWSem, hRWSem, __ATOMIC_RELEASE);
    rc = rtThreadNativeInit();
    if (RT_SUCCESS(rc))
        rc = RTThreadRegisterCurrent(RTTHREADTYPE_DEFAULT, 0, RTTHREADINT_F_MAIN, "main");
    if (RT_SUCCESS(rc))
    {
        __atomic_store_n(&g_fThreadInitialized, true, __ATOMIC_SEQ_CST);
        return 0;
    }
    __atomic_store_n(&g_hThreadRWSem, NIL_RTSEMRW, __ATOMIC_RELEASE);
    RTSemRWDispose(hRWSem);
    return rc;
}

int RTThreadSignalUserEvent(RTTHREAD hThread)
{
    PRTTHREADINT pThread = rtThreadRetainHandle(hThread);
    if (!pThread)
        return ERR_INVALID_HANDLE;
    int rc = RTSemEventMultiRaise(pThread->EventUser);
    rtThreadRelease(pThread);
    return rc;
}

int RTThreadWaitUserEvent(RTTHREAD hThread, RTMSINTERVAL cMillies)
{
    PRTTHREADINT pThread = rtThreadRetainHandle(hThread);
    if (!pThread)
        return ERR_INVALID_HANDLE;
    int rc = RTSemEventMultiWait(pThread->EventUser, cMillies);
    rtThreadRelease(pThread);
    return rc;
}

int RTThreadWaitForExit(RTTHREAD hThread, RTMSINTERVAL cMillies, int *prcThread)
{
    PRTTHREADINT pThread = rtThreadRetainHandle(hThread);
    if (!pThread)
        return ERR_INVALID_HANDLE;
    int rc = ERR_NOT_WAITABLE;
    if (rtThreadLoadFlags(&pThread->fFlags) & RTTHREADCREATE_F_WAITABLE)
    {
        if (rtThreadIsProcessTerminating() && rtThreadNativeVanishedAtExit(pThread))
        {
            /* The process is ending and took the thread with it: its function never returned. */
            if (pThread->rc == ERR_RESULT_PENDING)
                pThread->rc = ERR_THREAD_ENDED_ABNORMALLY;
            rc = 0;
        }
        else
            rc = RTSemEventMultiWait(pThread->EventTerminated, cMillies);
        if (RT_SUCCESS(rc))
        {
            if (prcThread)
                *prcThread = pThread->rc;
            uint32_t fOld = __atomic_fetch_and(&pThread->fFlags, ~RTTHREADCREATE_F_WAITABLE, __ATOMIC_SEQ_CST);
            if (fOld & RTTHREADCREATE_F_WAITABLE)
                rtThreadRelease(pThread);
            rc = 0;
        }
    }
    rtThreadRelease(pThread);
    return rc;
}

RTTHREAD RTThreadSelf(void)
{
    PRTTHREADINT pThread = rtThreadNativeGetSelf();
    return rtThreadIsLiveHandle(pThread) ? pThread : NIL_RTTHREAD;
}

const char *RTThreadGetSelfName(void)
{
    PRTTHREADINT pThread = RTThreadSelf();
    return pThread ? pThread->szName : NULL;
}

const char *RTThreadGetName(RTTHREAD hThread)
{
    return rtThreadIsLiveHandle(hThread) ? hThread->szName : NULL;
}

RTNATIVETHREAD RTThreadGetNative(RTTHREAD hThread)
{
    if (!rtThreadIsLiveHandle(hThread) || hThread->Core.Key == 0)
        return NIL_RTNATIVETHREAD;
    return hThread->Core.Key;
}

RTTHREADSTATE RTThreadGetState(RTTHREAD hThread)
{
    if (!rtThreadIsLiveHandle(hThread))
        return RTTHREADSTATE_INVALID;
    return (RTTHREADSTATE)__atomic_load_n(&hThread->enmState, __ATOMIC_SEQ_CST);
}

RTTHREAD RTThreadAddRef(RTTHREAD hThread)
{
    return rtThreadRetainHandle(hThread);
}

uint32_t RTThreadDropRef(RTTHREAD hThread)
{
    if (!rtThreadIsLiveHandle(hThread))
        return 0;
    return rtThreadRelease(hThread);
}
