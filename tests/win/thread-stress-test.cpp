/** @file
 * Threads and locks under load: eight threads taking one critical section
 * 10,000 times each around a plain shared counter, and threads created and
 * ending while others look themselves up in the registry. Both end with
 * exact counts and the process's handle count back where it started.
 */
#include "win/thread-fixture.h"

#include <rt/critsect.h>
#include <rt/semaphore.h>
#include <rt/thread.h>
#include "internal/thread.h"

namespace
{

using threadtest::handleCount;
using threadtest::handleCountSettledAt;

unsigned const g_cWorkers = 8;
unsigned const g_cRounds = 10000;

struct Counter
{
    RTCRITSECT CritSect;
    uint32_t cValue; /* deliberately not atomic: only the section protects it */
    uint32_t cNestedSeen;
    RTSEMEVENTMULTI hGo;
};

int countUnderLock(RTTHREAD, void *pvUser)
{
    Counter *pCounter = (Counter *)pvUser;
    RTSemEventMultiWait(pCounter->hGo, RT_INDEFINITE_WAIT);
    for (unsigned i = 0; i < g_cRounds; i++)
    {
        if (RT_FAILURE(RTCritSectAcquire(&pCounter->CritSect)))
            return -1;
        uint32_t const cOld = pCounter->cValue;
        if ((i & 63) == 0)
        {
            /* Nest now and then. */
            RTCritSectAcquire(&pCounter->CritSect);
            pCounter->cNestedSeen++;
            RTCritSectLeave(&pCounter->CritSect);
        }
        pCounter->cValue = cOld + 1;
        RTCritSectLeave(&pCounter->CritSect);
    }
    return 0;
}

TEST(ThreadStress, CriticalSectionCounter)
{
    threadtest::initThreads();
    DWORD const cHandlesBefore = handleCount();
    Counter counter = {};
    ASSERT_EQ(0, RTCritSectSetup(&counter.CritSect, 0, "counter"));
    ASSERT_EQ(0, RTSemEventMultiMake(&counter.hGo, 0));
    RTTHREAD ahThreads[g_cWorkers];
    for (unsigned i = 0; i < g_cWorkers; i++)
        ASSERT_EQ(0, RTThreadCreate(&ahThreads[i], countUnderLock, &counter, 0, RTTHREADTYPE_DEFAULT,
                                    RTTHREADCREATE_F_WAITABLE, "counter"));
    RTSemEventMultiRaise(counter.hGo);
    for (unsigned i = 0; i < g_cWorkers; i++)
    {
        int rcThread = -2;
        EXPECT_EQ(0, RTThreadWaitForExit(ahThreads[i], 60000, &rcThread));
        EXPECT_EQ(0, rcThread);
    }
    EXPECT_EQ(g_cWorkers * g_cRounds, counter.cValue);
    EXPECT_EQ(g_cWorkers * ((g_cRounds + 63) / 64), counter.cNestedSeen);
    /* Free again after all that: the count is back at -1 and nobody owns it. */
    EXPECT_EQ(-1, counter.CritSect.cLockers);
    EXPECT_EQ(NIL_RTNATIVETHREAD, counter.CritSect.NativeThreadOwner);
    EXPECT_EQ(0, RTCritSectTeardown(&counter.CritSect));
    EXPECT_EQ(0, RTSemEventMultiDispose(counter.hGo));
    EXPECT_LE(handleCountSettledAt(cHandlesBefore), cHandlesBefore);
}

/*
 * Churn: short-lived threads, some waitable and some not, while lookers
 * check that the registry finds each of them under its own identifier.
 */
unsigned const g_cLookers = 4;
unsigned const g_cChurners = 2;
unsigned const g_cChurnRounds = 150;

struct Churn
{
    uint32_t volatile cLookupsOk;
    uint32_t volatile cLookupsWrong;
    uint32_t volatile cShortLivedRan;
    uint32_t volatile fStop;
};

int shortLived(RTTHREAD hSelf, void *pvUser)
{
    Churn *pChurn = (Churn *)pvUser;
    PRTTHREADINT pFound = rtThreadGetByNative(RTThreadNativeSelf());
    if (pFound != hSelf)
        __atomic_add_fetch(&pChurn->cLookupsWrong, 1, __ATOMIC_SEQ_CST);
    if (pFound)
        rtThreadRelease(pFound);
    __atomic_add_fetch(&pChurn->cShortLivedRan, 1, __ATOMIC_SEQ_CST);
    return 0;
}

int looker(RTTHREAD hSelf, void *pvUser)
{
    Churn *pChurn = (Churn *)pvUser;
    while (!__atomic_load_n(&pChurn->fStop, __ATOMIC_SEQ_CST))
    {
        PRTTHREADINT pFound = rtThreadGetByNative(RTThreadNativeSelf());
        if (pFound == hSelf && RTThreadSelf() == hSelf)
            __atomic_add_fetch(&pChurn->cLookupsOk, 1, __ATOMIC_SEQ_CST);
        else
            __atomic_add_fetch(&pChurn->cLookupsWrong, 1, __ATOMIC_SEQ_CST);
        if (pFound)
            rtThreadRelease(pFound);
        RTThreadYieldCpu();
    }
    return 0;
}

int churner(RTTHREAD, void *pvUser)
{
    for (unsigned i = 0; i < g_cChurnRounds; i++)
    {
        RTTHREAD hThread = NIL_RTTHREAD;
        bool const fWaitable = (i & 1) != 0;
        int rc = RTThreadCreate(&hThread, shortLived, pvUser, 0, RTTHREADTYPE_DEFAULT,
                                fWaitable ? RTTHREADCREATE_F_WAITABLE : 0, "short");
        if (RT_FAILURE(rc))
            return rc;
        if (fWaitable && RT_FAILURE(rc = RTThreadWaitForExit(hThread, 60000, NULL)))
            return rc;
    }
    return 0;
}

TEST(ThreadStress, CreateAndEndWhileOthersLookUp)
{
    threadtest::initThreads();
    DWORD const cHandlesBefore = handleCount();
    uint32_t const cThreadsBefore = rtThreadRegistryCount();
    Churn churn = {};

    RTTHREAD ahLookers[g_cLookers];
    for (unsigned i = 0; i < g_cLookers; i++)
        ASSERT_EQ(0, RTThreadCreate(&ahLookers[i], looker, &churn, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                    "looker"));
    RTTHREAD ahChurners[g_cChurners];
    for (unsigned i = 0; i < g_cChurners; i++)
        ASSERT_EQ(0, RTThreadCreate(&ahChurners[i], churner, &churn, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                    "churner"));
    for (unsigned i = 0; i < g_cChurners; i++)
    {
        int rcThread = -2;
        EXPECT_EQ(0, RTThreadWaitForExit(ahChurners[i], 60000, &rcThread));
        EXPECT_EQ(0, rcThread);
    }
    __atomic_store_n(&churn.fStop, 1u, __ATOMIC_SEQ_CST);
    for (unsigned i = 0; i < g_cLookers; i++)
        EXPECT_EQ(0, RTThreadWaitForExit(ahLookers[i], 60000, NULL));

    /* Every short-lived thread ran (the non-waitable ones may still be finishing). */
    for (unsigned i = 0; i < 2000 && churn.cShortLivedRan != g_cChurners * g_cChurnRounds; i++)
        Sleep(1);
    EXPECT_EQ(g_cChurners * g_cChurnRounds, churn.cShortLivedRan);
    EXPECT_EQ(0u, churn.cLookupsWrong);
    EXPECT_GT(churn.cLookupsOk, 0u);
    EXPECT_LE(handleCountSettledAt(cHandlesBefore), cHandlesBefore);
    EXPECT_EQ(cThreadsBefore, rtThreadRegistryCount());
}

} // namespace
