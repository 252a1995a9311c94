/** @file
 * Critical sections, fast and spin mutexes under Wine: nesting, the
 * non-nesting refusal, the no-op flag, the flag check, try-acquire against
 * another owner, hand-over to a waiter, teardown waking every waiter, and a
 * failing event at set-up.
 */
#include "win/thread-fixture.h"

#include <rt/critsect.h>
#include <rt/semaphore.h>
#include <rt/thread.h>
#include "internal/seam.h"
#include "internal/sem-nt.h"

namespace
{

class CritSect : public ::testing::Test
{
  protected:
    void SetUp() override { threadtest::initThreads(); }
};

TEST_F(CritSect, NestingAndLeave)
{
    RTCRITSECT cs;
    ASSERT_EQ(0, RTCritSectSetup(&cs, 0, "nest"));
    EXPECT_FALSE(RTCritSectIsOwner(&cs));
    EXPECT_EQ(0, RTCritSectAcquire(&cs));
    EXPECT_EQ(0, RTCritSectAcquire(&cs));
    EXPECT_EQ(0, RTCritSectTryAcquire(&cs));
    EXPECT_EQ(3, cs.cNestings);
    EXPECT_EQ(2, cs.cLockers);
    EXPECT_TRUE(RTCritSectIsOwner(&cs));
    EXPECT_EQ(0, RTCritSectLeave(&cs));
    EXPECT_EQ(0, RTCritSectLeave(&cs));
    EXPECT_TRUE(RTCritSectIsOwner(&cs));
    EXPECT_EQ(0, RTCritSectLeave(&cs));
    EXPECT_FALSE(RTCritSectIsOwner(&cs));
    EXPECT_EQ(-1, cs.cLockers);
    EXPECT_EQ(0, RTCritSectTeardown(&cs));
    EXPECT_EQ(RTCRITSECT_MAGIC_DEAD, cs.u32Magic);
    EXPECT_EQ(ERR_SEM_DESTROYED, RTCritSectAcquire(&cs));
}

TEST_F(CritSect, NoNestingRefusesReentry)
{
    RTCRITSECT cs;
    ASSERT_EQ(0, RTCritSectSetup(&cs, RTCRITSECT_F_NO_NESTING, NULL));
    EXPECT_EQ(0, RTCritSectAcquire(&cs));
    EXPECT_EQ(ERR_SEM_NESTED, RTCritSectAcquire(&cs));
    EXPECT_EQ(ERR_SEM_NESTED, RTCritSectTryAcquire(&cs));
    /* Still held exactly once: one leave frees it. */
    EXPECT_EQ(1, cs.cNestings);
    EXPECT_EQ(0, cs.cLockers);
    EXPECT_EQ(0, RTCritSectLeave(&cs));
    EXPECT_EQ(-1, cs.cLockers);
    EXPECT_EQ(0, RTCritSectTeardown(&cs));
}

TEST_F(CritSect, FlagsAtSetup)
{
    struct
    {
        uint32_t fFlags;
        int rcExpected;
    } const aCases[] = {{0x1, 0},
                        {0x2, 0},
                        {0x4, 0},
                        {0x8, 0},
                        {0xF, 0},
                        {0x10, ERR_INVALID_PARAMETER},
                        {0x20, ERR_INVALID_PARAMETER},
                        {0x80000000, ERR_INVALID_PARAMETER}};
    for (auto const &c : aCases)
    {
        RTCRITSECT cs;
        EXPECT_EQ(c.rcExpected, RTCritSectSetup(&cs, c.fFlags, "flags")) << std::hex << c.fFlags;
        if (c.rcExpected == 0)
        {
            EXPECT_EQ(0, RTCritSectTeardown(&cs));
        }
    }
}

TEST_F(CritSect, NopDoesNothing)
{
    RTCRITSECT cs;
    ASSERT_EQ(0, RTCritSectSetup(&cs, RTCRITSECT_F_NOP | RTCRITSECT_F_NO_NESTING, NULL));
    EXPECT_EQ(0, RTCritSectAcquire(&cs));
    EXPECT_EQ(0, RTCritSectAcquire(&cs));
    EXPECT_EQ(0, RTCritSectTryAcquire(&cs));
    EXPECT_EQ(-1, cs.cLockers);
    EXPECT_EQ(NIL_RTNATIVETHREAD, cs.NativeThreadOwner);
    EXPECT_EQ(0, RTCritSectLeave(&cs));
    EXPECT_EQ(0, RTCritSectTeardown(&cs));
}

NTSTATUS NTAPI createEventNoMemory(HANDLE *, ACCESS_MASK, OBJECT_ATTRIBUTES *, int, BOOLEAN)
{
    return (NTSTATUS)0xC0000017; /* STATUS_NO_MEMORY */
}

TEST_F(CritSect, FailingEventAtSetup)
{
    g_rtSeamsSemNt.pfnNtCreateEvent = createEventNoMemory;
    RTCRITSECT cs;
    EXPECT_EQ(ERR_NO_MEMORY, RTCritSectSetup(&cs, 0, NULL));
    EXPECT_EQ((uint32_t)ERR_NO_MEMORY, cs.u32Magic); /* never mistaken for a live section */
    EXPECT_EQ(ERR_SEM_DESTROYED, RTCritSectAcquire(&cs));
    RTSEMFASTMUTEX hFast = NIL_RTSEMFASTMUTEX;
    RTSEMSPINMUTEX hSpin = NIL_RTSEMSPINMUTEX;
    EXPECT_EQ(ERR_NO_MEMORY, RTSemFastMutexMake(&hFast));
    EXPECT_EQ(ERR_NO_MEMORY, RTSemSpinMutexMake(&hSpin, 0));
}

/*
 * Two threads.
 */
struct Contender
{
    RTCRITSECT cs;
    int rcTry = 1;
    int rcAcquire = 1;
    bool fHeldWhenAcquired = false;
};

int tryThenAcquire(RTTHREAD hSelf, void *pvUser)
{
    Contender *pC = (Contender *)pvUser;
    pC->rcTry = RTCritSectTryAcquire(&pC->cs);
    RTThreadSignalUserEvent(hSelf);
    pC->rcAcquire = RTCritSectAcquire(&pC->cs);
    if (pC->rcAcquire == 0)
    {
        pC->fHeldWhenAcquired = RTCritSectIsOwner(&pC->cs);
        RTCritSectLeave(&pC->cs);
    }
    return 0;
}

void awaitState(RTTHREAD hThread, RTTHREADSTATE enmState)
{
    for (unsigned i = 0; i < 5000 && RTThreadGetState(hThread) != enmState; i++)
        Sleep(1);
    ASSERT_EQ(enmState, RTThreadGetState(hThread));
}

TEST_F(CritSect, WaiterGetsItOnLeave)
{
    Contender c;
    ASSERT_EQ(0, RTCritSectSetup(&c.cs, 0, NULL));
    ASSERT_EQ(0, RTCritSectAcquire(&c.cs));
    RTTHREAD hThread = NIL_RTTHREAD;
    ASSERT_EQ(0, RTThreadCreate(&hThread, tryThenAcquire, &c, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                "contender"));
    ASSERT_EQ(0, RTThreadWaitUserEvent(hThread, 5000));
    awaitState(hThread, RTTHREADSTATE_CRITSECT);
    EXPECT_EQ(ERR_SEM_BUSY, c.rcTry);
    EXPECT_EQ(1, c.cs.cLockers); /* owner + one waiter */
    EXPECT_EQ(0, RTCritSectLeave(&c.cs));
    EXPECT_EQ(0, RTThreadWaitForExit(hThread, 5000, NULL));
    EXPECT_EQ(0, c.rcAcquire);
    EXPECT_TRUE(c.fHeldWhenAcquired);
    EXPECT_EQ(-1, c.cs.cLockers);
    EXPECT_EQ(0, RTCritSectTeardown(&c.cs));
}

int acquireOnly(RTTHREAD, void *pvUser)
{
    return RTCritSectAcquire((PRTCRITSECT)pvUser);
}

/** Kernel waits begun by threads blocked on a critical section (a wait that is resumed counts again). */
uint32_t volatile g_cWaiterKernelWaits;

NTSTATUS NTAPI countWaiterKernelWaits(HANDLE hEvent, BOOLEAN fAlertable, PLARGE_INTEGER pTimeout)
{
    if (RTThreadGetState(RTThreadSelf()) == RTTHREADSTATE_CRITSECT)
        __atomic_add_fetch(&g_cWaiterKernelWaits, 1, __ATOMIC_SEQ_CST);
    return NtWaitForSingleObject(hEvent, fAlertable, pTimeout);
}

/** Waits until at least @a cWaits threads have begun kernel waits on critical sections. A thread
 * reports the critical-section state a moment before it waits; tearing down in
 * between would dispose the event under its feet. */
void awaitWaiterKernelWaits(uint32_t cWaits)
{
    for (unsigned i = 0; i < 5000 && __atomic_load_n(&g_cWaiterKernelWaits, __ATOMIC_SEQ_CST) < cWaits; i++)
        Sleep(1);
    ASSERT_LE(cWaits, __atomic_load_n(&g_cWaiterKernelWaits, __ATOMIC_SEQ_CST));
    Sleep(20); /* from the count to the system call itself */
}

TEST_F(CritSect, TeardownWakesAllWaiters)
{
    DWORD const cHandlesBefore = threadtest::handleCount();
    RTCRITSECT cs;
    ASSERT_EQ(0, RTCritSectSetup(&cs, 0, NULL));
    ASSERT_EQ(0, RTCritSectAcquire(&cs));
    g_cWaiterKernelWaits = 0;
    g_rtSeamsSemNt.pfnNtWaitForSingleObject = countWaiterKernelWaits;
    RTTHREAD ahThreads[3];
    for (RTTHREAD &hThread : ahThreads)
        ASSERT_EQ(0, RTThreadCreate(&hThread, acquireOnly, &cs, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                    "waiter"));
    for (RTTHREAD hThread : ahThreads)
        awaitState(hThread, RTTHREADSTATE_CRITSECT);
    awaitWaiterKernelWaits(RT_ELEMENTS(ahThreads));
    EXPECT_EQ(3, cs.cLockers);
    EXPECT_EQ(0, RTCritSectTeardown(&cs));
    for (RTTHREAD hThread : ahThreads)
    {
        int rcThread = 0;
        EXPECT_EQ(0, RTThreadWaitForExit(hThread, 5000, &rcThread));
        EXPECT_EQ(ERR_SEM_DESTROYED, rcThread);
    }
    EXPECT_EQ(-1, cs.cLockers);
    EXPECT_LE(threadtest::handleCountSettledAt(cHandlesBefore), cHandlesBefore);
}

TEST_F(CritSect, FastAndSpinMutexesDoNotNest)
{
    RTSEMFASTMUTEX hFast = NIL_RTSEMFASTMUTEX;
    ASSERT_EQ(0, RTSemFastMutexMake(&hFast));
    EXPECT_EQ(0, RTSemFastMutexRequest(hFast));
    EXPECT_EQ(ERR_SEM_NESTED, RTSemFastMutexRequest(hFast));
    EXPECT_EQ(0, RTSemFastMutexRelease(hFast));
    EXPECT_EQ(0, RTSemFastMutexRequest(hFast));
    EXPECT_EQ(0, RTSemFastMutexRelease(hFast));
    EXPECT_EQ(0, RTSemFastMutexDispose(hFast));
    EXPECT_EQ(0, RTSemFastMutexDispose(NIL_RTSEMFASTMUTEX));

    RTSEMSPINMUTEX hSpin = NIL_RTSEMSPINMUTEX;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemSpinMutexMake(&hSpin, 2));
    ASSERT_EQ(0, RTSemSpinMutexMake(&hSpin, RTSEMSPINMUTEX_F_NO_VALIDATION));
    EXPECT_EQ(RTCRITSECT_F_NO_NESTING | RTCRITSECT_F_NO_VALIDATION, hSpin->fFlags);
    EXPECT_EQ(0, RTSemSpinMutexRequest(hSpin));
    EXPECT_EQ(ERR_SEM_NESTED, RTSemSpinMutexRequest(hSpin));
    EXPECT_EQ(0, RTSemSpinMutexRelease(hSpin));
    EXPECT_EQ(0, RTSemSpinMutexDestroy(hSpin));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemSpinMutexDestroy(NIL_RTSEMSPINMUTEX));
}

} // namespace
