/** @file
 * Event semaphores under Wine: signalling and auto-reset, raise and lower,
 * time-outs, invalid handles and flags, destruction while a thread waits,
 * interruption by an APC (real, and replayed through the seams with a fixed
 * clock to check that a resumed wait continues for the remaining time only),
 * and the mapping of every other wait outcome.
 */
#include "win/thread-fixture.h"

#include <vector>

#include <rt/semaphore.h>
#include <rt/thread.h>
#include "internal/seam.h"
#include "internal/sem-nt.h"
#include "internal/thread.h"

namespace
{

uint32_t const g_fRelMsResume = RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_RESUME;
uint32_t const g_fRelMsNoResume = RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_NORESUME;

TEST(SemEvent, AutoResetReleasesOneWait)
{
    RTSEMEVENT hEvent = NIL_RTSEMEVENT;
    ASSERT_EQ(0, RTSemEventMake(&hEvent, 0));
    EXPECT_EQ(ERR_TIMEOUT, RTSemEventWait(hEvent, 0));
    EXPECT_EQ(ERR_TIMEOUT, RTSemEventWait(hEvent, 20));
    EXPECT_EQ(0, RTSemEventSignal(hEvent));
    EXPECT_EQ(0, RTSemEventWait(hEvent, 0));
    EXPECT_EQ(ERR_TIMEOUT, RTSemEventWait(hEvent, 0)); /* reset by the wait */
    EXPECT_EQ(0, RTSemEventSignal(hEvent));
    EXPECT_EQ(0, RTSemEventWaitFlags(hEvent, RTSEMWAIT_F_INDEFINITE | RTSEMWAIT_F_NORESUME, 0));
    EXPECT_EQ(0, RTSemEventDispose(hEvent));
    EXPECT_EQ(0, RTSemEventDispose(NIL_RTSEMEVENT));
}

TEST(SemEvent, ManualResetStaysRaised)
{
    RTSEMEVENTMULTI hEvent = NIL_RTSEMEVENTMULTI;
    ASSERT_EQ(0, RTSemEventMultiMake(&hEvent, 0));
    EXPECT_EQ(ERR_TIMEOUT, RTSemEventMultiWait(hEvent, 0));
    EXPECT_EQ(ERR_TIMEOUT, RTSemEventMultiWaitNoResume(hEvent, 20));
    EXPECT_EQ(0, RTSemEventMultiRaise(hEvent));
    EXPECT_EQ(0, RTSemEventMultiWait(hEvent, 0));
    EXPECT_EQ(0, RTSemEventMultiWaitNoResume(hEvent, RT_INDEFINITE_WAIT));
    EXPECT_EQ(0, RTSemEventMultiLower(hEvent));
    EXPECT_EQ(ERR_TIMEOUT, RTSemEventMultiWait(hEvent, 0));
    EXPECT_EQ(0, RTSemEventMultiDispose(hEvent));
    EXPECT_EQ(0, RTSemEventMultiDispose(NIL_RTSEMEVENTMULTI));
}

TEST(SemEvent, AbsoluteDeadlines)
{
    RTSEMEVENT hEvent = NIL_RTSEMEVENT;
    ASSERT_EQ(0, RTSemEventMake(&hEvent, 0));
    FILETIME Ft;
    GetSystemTimeAsFileTime(&Ft);
    uint64_t const nsNow =
        ((((uint64_t)Ft.dwHighDateTime << 32) | Ft.dwLowDateTime) - UINT64_C(116444736000000000)) * 100;
    uint32_t const fAbsNs = RTSEMWAIT_F_ABSOLUTE | RTSEMWAIT_F_NANOSECS | RTSEMWAIT_F_NORESUME;
    EXPECT_EQ(ERR_TIMEOUT, RTSemEventWaitFlags(hEvent, fAbsNs, nsNow - 1000000000)); /* already past */
    EXPECT_EQ(ERR_TIMEOUT, RTSemEventWaitFlags(hEvent, fAbsNs, nsNow + 20000000));
    RTSemEventSignal(hEvent);
    EXPECT_EQ(0, RTSemEventWaitFlags(hEvent, fAbsNs, nsNow + UINT64_C(60000000000)));
    RTSemEventDispose(hEvent);
}

TEST(SemEvent, InvalidHandlesAndFlags)
{
    RTSEMEVENT hEvent = NIL_RTSEMEVENT;
    RTSEMEVENTMULTI hMulti = NIL_RTSEMEVENTMULTI;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemEventMake(&hEvent, 0x2));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemEventMake(&hEvent, 0x8));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemEventMultiMake(&hMulti, 0x2));
    ASSERT_EQ(0, RTSemEventMake(&hEvent, RTSEMEVENT_F_NO_VALIDATION | RTSEMEVENT_F_EARLY));
    ASSERT_EQ(0, RTSemEventMultiMake(&hMulti, RTSEMEVENTMULTI_F_NO_VALIDATION));

    uint32_t const fBadFlags = RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS; /* no resume mode */
    EXPECT_EQ(ERR_INVALID_FLAGS, RTSemEventWaitFlags(hEvent, fBadFlags, 0));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemEventMultiWaitFlags(hMulti, fBadFlags, 0));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemEventWaitFlags(NIL_RTSEMEVENT, g_fRelMsResume, 0));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemEventMultiWaitFlags(NIL_RTSEMEVENTMULTI, g_fRelMsResume, 0));

    RTSEMEVENT const hBadEvent = (RTSEMEVENT)(uintptr_t)0x20;
    RTSEMEVENTMULTI const hBadMulti = (RTSEMEVENTMULTI)(uintptr_t)0x20;
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemEventWaitFlags(hBadEvent, g_fRelMsResume, 0));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemEventSignal(hBadEvent));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemEventDispose(hBadEvent));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemEventMultiWaitFlags(hBadMulti, g_fRelMsResume, 0));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemEventMultiRaise(hBadMulti));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemEventMultiDispose(hBadMulti));

    /* A destroyed object is invalid too (the records here are kept alive by a waiter's reference). */
    EXPECT_EQ(0, RTSemEventDispose(hEvent));
    EXPECT_EQ(0, RTSemEventMultiDispose(hMulti));
}

/*
 * Destruction while a thread waits.
 */
struct Waiter
{
    RTSEMEVENT hEvent = NIL_RTSEMEVENT;
    RTSEMEVENTMULTI hMulti = NIL_RTSEMEVENTMULTI;
};

int waitOnEvent(RTTHREAD, void *pvUser)
{
    return RTSemEventWait(((Waiter *)pvUser)->hEvent, RT_INDEFINITE_WAIT);
}

int waitOnMulti(RTTHREAD, void *pvUser)
{
    return RTSemEventMultiWait(((Waiter *)pvUser)->hMulti, RT_INDEFINITE_WAIT);
}

/** Waits until @a hThread sits in a blocking wait in @a enmState. */
void awaitBlocked(RTTHREAD hThread, RTTHREADSTATE enmState)
{
    for (unsigned i = 0; i < 5000 && RTThreadGetState(hThread) != enmState; i++)
        Sleep(1);
    ASSERT_EQ(enmState, RTThreadGetState(hThread));
}

TEST(SemEvent, DestroyWakesWaiters)
{
    threadtest::initThreads();
    DWORD const cHandlesBefore = threadtest::handleCount();
    Waiter waiter;
    ASSERT_EQ(0, RTSemEventMake(&waiter.hEvent, 0));
    ASSERT_EQ(0, RTSemEventMultiMake(&waiter.hMulti, 0));
    RTTHREAD hEventWaiter = NIL_RTTHREAD;
    RTTHREAD ahMultiWaiters[3];
    ASSERT_EQ(0, RTThreadCreate(&hEventWaiter, waitOnEvent, &waiter, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                "evwait"));
    for (RTTHREAD &hThread : ahMultiWaiters)
        ASSERT_EQ(0, RTThreadCreate(&hThread, waitOnMulti, &waiter, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                    "mwait"));
    awaitBlocked(hEventWaiter, RTTHREADSTATE_EVENT);
    for (RTTHREAD hThread : ahMultiWaiters)
        awaitBlocked(hThread, RTTHREADSTATE_EVENT_MULTI);

    EXPECT_EQ(0, RTSemEventDispose(waiter.hEvent));
    EXPECT_EQ(0, RTSemEventMultiDispose(waiter.hMulti));
    int rcThread = 0;
    EXPECT_EQ(0, RTThreadWaitForExit(hEventWaiter, 5000, &rcThread));
    EXPECT_EQ(ERR_SEM_DESTROYED, rcThread);
    for (RTTHREAD hThread : ahMultiWaiters)
    {
        EXPECT_EQ(0, RTThreadWaitForExit(hThread, 5000, &rcThread));
        EXPECT_EQ(ERR_SEM_DESTROYED, rcThread);
    }
    /* The last waiter's reference closed the native events. */
    EXPECT_LE(threadtest::handleCountSettledAt(cHandlesBefore), cHandlesBefore);
}

/*
 * A real APC ends a wait without resume.
 */
void CALLBACK doNothingApc(ULONG_PTR) {}

int waitNoResume(RTTHREAD, void *pvUser)
{
    return RTSemEventMultiWaitNoResume(((Waiter *)pvUser)->hMulti, RT_INDEFINITE_WAIT);
}

TEST(SemEvent, ApcInterruptsWaitWithoutResume)
{
    threadtest::initThreads();
    Waiter waiter;
    ASSERT_EQ(0, RTSemEventMultiMake(&waiter.hMulti, 0));
    RTTHREAD hThread = NIL_RTTHREAD;
    ASSERT_EQ(
        0, RTThreadCreate(&hThread, waitNoResume, &waiter, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE, "apc"));
    awaitBlocked(hThread, RTTHREADSTATE_EVENT_MULTI);
    ASSERT_NE(0u, QueueUserAPC(doNothingApc, (HANDLE)hThread->hThread, 0));
    int rcThread = 0;
    EXPECT_EQ(0, RTThreadWaitForExit(hThread, 5000, &rcThread));
    EXPECT_EQ(ERR_INTERRUPTED, rcThread);
    RTSemEventMultiDispose(waiter.hMulti);
}

/*
 * The wait loop replayed: scripted outcomes, a clock that moves only when a
 * wait "takes time", and the timeouts each native wait was given.
 */
struct Step
{
    NTSTATUS rcNt;
    uint64_t msTaken;
};
std::vector<Step> g_aSteps;
size_t g_iStep;
std::vector<int64_t> g_aTimeouts; /* in 100 ns units, negative = relative; 1 = none */
uint64_t g_u100nsClock;

void WINAPI fakeClock(FILETIME *pFt)
{
    pFt->dwLowDateTime = (DWORD)g_u100nsClock;
    pFt->dwHighDateTime = (DWORD)(g_u100nsClock >> 32);
}

NTSTATUS NTAPI scriptedWait(HANDLE, BOOLEAN fAlertable, PLARGE_INTEGER pTimeout)
{
    EXPECT_TRUE(fAlertable);
    g_aTimeouts.push_back(pTimeout ? pTimeout->QuadPart : 1);
    if (g_iStep >= g_aSteps.size())
        return RTNT_STATUS_TIMEOUT;
    Step const &step = g_aSteps[g_iStep++];
    g_u100nsClock += step.msTaken * 10000;
    return step.rcNt;
}

class SemEventScripted : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_aSteps.clear();
        g_iStep = 0;
        g_aTimeouts.clear();
        g_u100nsClock = UINT64_C(133000000000000000); /* some day in 2022 */
        ASSERT_EQ(0, RTSemEventMake(&m_hEvent, 0));
        ASSERT_EQ(0, RTSemEventMultiMake(&m_hMulti, 0));
        g_rtSeamsSemNt.pfnGetSystemTimeAsFileTime = fakeClock;
        g_rtSeamsSemNt.pfnNtWaitForSingleObject = scriptedWait;
    }
    void TearDown() override
    {
        rtSeamsResetAll();
        RTSemEventDispose(m_hEvent);
        RTSemEventMultiDispose(m_hMulti);
    }
    RTSEMEVENT m_hEvent = NIL_RTSEMEVENT;
    RTSEMEVENTMULTI m_hMulti = NIL_RTSEMEVENTMULTI;
};

TEST_F(SemEventScripted, ResumedWaitContinuesForTheRemainingTime)
{
    g_aSteps = {{RTNT_STATUS_USER_APC, 20}, {RTNT_STATUS_ALERTED, 15}, {RTNT_STATUS_TIMEOUT, 25}};
    EXPECT_EQ(ERR_TIMEOUT, RTSemEventWaitFlags(m_hEvent, g_fRelMsResume, 60));
    EXPECT_EQ((std::vector<int64_t>{-600000, -400000, -250000}), g_aTimeouts);
}

TEST_F(SemEventScripted, InterruptionsPastTheTimeoutWaitZero)
{
    g_aSteps = {{RTNT_STATUS_USER_APC, 80}, {STATUS_WAIT_0, 0}};
    EXPECT_EQ(0, RTSemEventMultiWaitFlags(m_hMulti, g_fRelMsResume, 60));
    EXPECT_EQ((std::vector<int64_t>{-600000, 0}), g_aTimeouts);
}

TEST_F(SemEventScripted, IndefiniteWaitResumesUnchanged)
{
    g_aSteps = {{RTNT_STATUS_USER_APC, 20}, {RTNT_STATUS_USER_APC, 20}, {STATUS_WAIT_0, 0}};
    EXPECT_EQ(0, RTSemEventWait(m_hEvent, RT_INDEFINITE_WAIT));
    EXPECT_EQ((std::vector<int64_t>{1, 1, 1}), g_aTimeouts);
}

TEST_F(SemEventScripted, OutcomesMapToStatuses)
{
    struct
    {
        NTSTATUS rcNt;
        uint32_t fFlags;
        int rcExpected;
    } const aCases[] = {
        {STATUS_WAIT_0, g_fRelMsNoResume, 0},
        {RTNT_STATUS_ABANDONED_WAIT_0, g_fRelMsNoResume, ERR_SEM_OWNER_DIED},
        {RTNT_STATUS_TIMEOUT, g_fRelMsResume, ERR_TIMEOUT},
        {RTNT_STATUS_USER_APC, g_fRelMsNoResume, ERR_INTERRUPTED},
        {RTNT_STATUS_ALERTED, g_fRelMsNoResume, ERR_INTERRUPTED},
        {(NTSTATUS)0xC0000008 /* STATUS_INVALID_HANDLE */, g_fRelMsResume, ERR_INTERNAL_ERROR_4},
        {(NTSTATUS)0x00000001 /* a second wait object */, g_fRelMsResume, ERR_INTERNAL_ERROR_4},
    };
    for (auto const &c : aCases)
    {
        g_aSteps = {{c.rcNt, 0}};
        g_iStep = 0;
        EXPECT_EQ(c.rcExpected, RTSemEventWaitFlags(m_hEvent, c.fFlags, 10)) << std::hex << c.rcNt;
        g_iStep = 0;
        EXPECT_EQ(c.rcExpected, RTSemEventMultiWaitFlags(m_hMulti, c.fFlags, 10)) << std::hex << c.rcNt;
    }
}

NTSTATUS NTAPI createEventNoMemory(HANDLE *, ACCESS_MASK, OBJECT_ATTRIBUTES *, int, BOOLEAN)
{
    return (NTSTATUS)0xC0000017; /* STATUS_NO_MEMORY */
}

NTSTATUS NTAPI setEventFailing(HANDLE, LONG *)
{
    return (NTSTATUS)0xC0000008; /* STATUS_INVALID_HANDLE */
}

TEST_F(SemEventScripted, NativeFailuresConverted)
{
    RTSEMEVENT hEvent = NIL_RTSEMEVENT;
    RTSEMEVENTMULTI hMulti = NIL_RTSEMEVENTMULTI;
    g_rtSeamsSemNt.pfnNtCreateEvent = createEventNoMemory;
    EXPECT_EQ(ERR_NO_MEMORY, RTSemEventMake(&hEvent, 0));
    EXPECT_EQ(ERR_NO_MEMORY, RTSemEventMultiMake(&hMulti, 0));
    EXPECT_EQ(NIL_RTSEMEVENT, hEvent);
    EXPECT_EQ(NIL_RTSEMEVENTMULTI, hMulti);
    g_rtSeamsSemNt.pfnNtSetEvent = setEventFailing;
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemEventSignal(m_hEvent));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemEventMultiRaise(m_hMulti));
}

} // namespace
