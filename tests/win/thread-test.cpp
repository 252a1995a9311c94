/** @file
 * Threads under Wine: the splash hand-over (waitable thread, user event,
 * wait for the end, result passed back), time-outs, waitability, invalid
 * handles, names, registration, the stack-size rule, priorities by type, COM
 * apartments and the balancing of what a thread function leaves initialised,
 * and creation failures made through the seams.
 */
#include "win/thread-fixture.h"

#include <objbase.h>
#include <ole2.h>
#include <string.h>
#include <string>

#include <rt/thread.h>
#include "internal/seam.h"
#include "internal/sem-nt.h"
#include "internal/thread.h"
#include "internal/thread-win.h"

namespace
{

using threadtest::handleCount;
using threadtest::handleCountSettledAt;

class Thread : public ::testing::Test
{
  protected:
    void SetUp() override { threadtest::initThreads(); }
};

/** What a thread saw of itself, filled in by the thread functions below. */
struct Observed
{
    RTTHREAD hSelf = NIL_RTTHREAD;
    std::string strSelfName;
    int iPriority = -99;
    RTTHREADSTATE enmState = RTTHREADSTATE_INVALID;
    std::wstring wstrDescription;
};

typedef HRESULT(WINAPI *PFNGETTHREADDESCRIPTION)(HANDLE, PWSTR *);

/** The calling thread's description as the system keeps it (empty where the call is missing). */
std::wstring threadDescription()
{
    PFNGETTHREADDESCRIPTION pfn = (PFNGETTHREADDESCRIPTION)(void (*)(void))GetProcAddress(
        GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription");
    PWSTR pwsz = NULL;
    if (!pfn || FAILED(pfn(GetCurrentThread(), &pwsz)) || !pwsz)
        return L"";
    std::wstring wstr(pwsz);
    LocalFree(pwsz);
    return wstr;
}

int observeSelf(RTTHREAD hSelf, void *pvUser)
{
    Observed *pObs = (Observed *)pvUser;
    pObs->wstrDescription = threadDescription();
    pObs->hSelf = RTThreadSelf();
    const char *pszName = RTThreadGetSelfName();
    pObs->strSelfName = pszName ? pszName : "(null)";
    pObs->iPriority = GetThreadPriority(GetCurrentThread());
    pObs->enmState = RTThreadGetState(hSelf);
    return 4711;
}

/** The splash thread's pattern: make its window, signal, run until told to stop. */
struct Splash
{
    HANDLE hStop;
    bool fWindowMade = false;
};

int splashThread(RTTHREAD hSelf, void *pvUser)
{
    Splash *pSplash = (Splash *)pvUser;
    pSplash->fWindowMade = true;
    RTThreadSignalUserEvent(hSelf);
    WaitForSingleObject(pSplash->hStop, INFINITE);
    return 42;
}

int waitForStop(RTTHREAD, void *pvUser)
{
    WaitForSingleObject((HANDLE)pvUser, INFINITE);
    return 7;
}

TEST_F(Thread, SplashHandOver)
{
    DWORD const cHandlesBefore = handleCount();
    Splash splash;
    splash.hStop = CreateEventW(NULL, TRUE, FALSE, NULL);
    RTTHREAD hThread = NIL_RTTHREAD;
    ASSERT_EQ(0, RTThreadCreate(&hThread, splashThread, &splash, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                "trnStbSplsh"));
    ASSERT_EQ(0, RTThreadWaitUserEvent(hThread, 5000));
    EXPECT_TRUE(splash.fWindowMade);
    /* The event stays raised: later waits return at once. */
    EXPECT_EQ(0, RTThreadWaitUserEvent(hThread, 0));
    EXPECT_EQ(0, RTThreadWaitUserEvent(hThread, 0));
    EXPECT_STREQ("trnStbSplsh", RTThreadGetName(hThread));

    /* Still running: a wait of 0 times out and leaves the thread waitable. */
    int rcThread = 0;
    EXPECT_EQ(ERR_TIMEOUT, RTThreadWaitForExit(hThread, 0, &rcThread));
    EXPECT_EQ(ERR_TIMEOUT, RTThreadWaitForExit(hThread, 20, &rcThread));
    EXPECT_EQ(0, rcThread);

    SetEvent(splash.hStop);
    EXPECT_EQ(0, RTThreadWaitForExit(hThread, 5000, &rcThread));
    EXPECT_EQ(42, rcThread);
    CloseHandle(splash.hStop);
    EXPECT_LE(handleCountSettledAt(cHandlesBefore), cHandlesBefore);
}

TEST_F(Thread, SecondWaitIsNotWaitable)
{
    HANDLE hStop = CreateEventW(NULL, TRUE, TRUE, NULL);
    RTTHREAD hThread = NIL_RTTHREAD;
    ASSERT_EQ(
        0, RTThreadCreate(&hThread, waitForStop, hStop, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE, "twice"));
    /* Keep the record alive past the first wait so the second one reads a live handle. */
    ASSERT_EQ(hThread, RTThreadAddRef(hThread));
    int rcThread = 0;
    EXPECT_EQ(0, RTThreadWaitForExit(hThread, 5000, &rcThread));
    EXPECT_EQ(7, rcThread);
    EXPECT_EQ(ERR_NOT_WAITABLE, RTThreadWaitForExit(hThread, 5000, &rcThread));
    EXPECT_EQ(RTTHREADSTATE_TERMINATED, RTThreadGetState(hThread));
    RTThreadDropRef(hThread);
    CloseHandle(hStop);
}

TEST_F(Thread, NotWaitableThread)
{
    uint32_t const cThreadsBefore = rtThreadRegistryCount();
    HANDLE hStop = CreateEventW(NULL, TRUE, FALSE, NULL);
    RTTHREAD hThread = NIL_RTTHREAD;
    ASSERT_EQ(0, RTThreadCreate(&hThread, waitForStop, hStop, 0, RTTHREADTYPE_DEFAULT, 0, "plain"));
    /* The thread holds its own reference until it is told to stop. */
    EXPECT_EQ(ERR_NOT_WAITABLE, RTThreadWaitForExit(hThread, 100, NULL));
    SetEvent(hStop);
    /* Nothing can wait for it, so watch it leave the registry: later tests count threads and handles. */
    for (unsigned i = 0; i < 5000 && rtThreadRegistryCount() > cThreadsBefore; i++)
        Sleep(1);
    EXPECT_EQ(cThreadsBefore, rtThreadRegistryCount());
    CloseHandle(hStop);
}

TEST_F(Thread, InvalidHandles)
{
    RTTHREAD const ahBad[] = {NIL_RTTHREAD, (RTTHREAD)(uintptr_t)0xfff, (RTTHREAD)(uintptr_t)(UINTPTR_MAX - 100)};
    for (RTTHREAD hBad : ahBad)
    {
        EXPECT_EQ(ERR_INVALID_HANDLE, RTThreadWaitForExit(hBad, 0, NULL));
        EXPECT_EQ(ERR_INVALID_HANDLE, RTThreadSignalUserEvent(hBad));
        EXPECT_EQ(ERR_INVALID_HANDLE, RTThreadWaitUserEvent(hBad, 0));
        EXPECT_EQ(NIL_RTTHREAD, RTThreadAddRef(hBad));
        EXPECT_EQ(0u, RTThreadDropRef(hBad));
    }
    /* A record whose magic is wrong: what a destroyed thread looks like. */
    RTTHREADINT Fake;
    memset(&Fake, 0, sizeof(Fake));
    Fake.u32Magic = RTTHREADINT_MAGIC_DEAD;
    Fake.cRefs = 1;
    EXPECT_EQ(ERR_INVALID_HANDLE, RTThreadWaitForExit(&Fake, 0, NULL));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTThreadSignalUserEvent(&Fake));
    /* Live magic but no references left: being destroyed. */
    Fake.u32Magic = RTTHREADINT_MAGIC;
    Fake.cRefs = 0;
    EXPECT_EQ(ERR_INVALID_HANDLE, RTThreadWaitUserEvent(&Fake, 0));
}

TEST_F(Thread, UserEventTimesOut)
{
    HANDLE hStop = CreateEventW(NULL, TRUE, FALSE, NULL);
    RTTHREAD hThread = NIL_RTTHREAD;
    ASSERT_EQ(0, RTThreadCreate(&hThread, waitForStop, hStop, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                "nosignal"));
    EXPECT_EQ(ERR_TIMEOUT, RTThreadWaitUserEvent(hThread, 0));
    EXPECT_EQ(ERR_TIMEOUT, RTThreadWaitUserEvent(hThread, 30));
    SetEvent(hStop);
    EXPECT_EQ(0, RTThreadWaitForExit(hThread, 5000, NULL));
    CloseHandle(hStop);
}

TEST_F(Thread, NamesAndSelf)
{
    EXPECT_EQ(INF_ALREADY_INITIALIZED, RTThreadSubsystemInit());
    /* The test program's thread set the layer up, so it is "main". */
    EXPECT_STREQ("main", RTThreadGetSelfName());
    EXPECT_NE(NIL_RTTHREAD, RTThreadSelf());
    EXPECT_EQ(RTThreadNativeSelf(), (RTNATIVETHREAD)GetCurrentThreadId());
    EXPECT_EQ(RTThreadNativeSelf(), RTThreadGetNative(RTThreadSelf()));

    Observed obs;
    RTTHREAD hThread = NIL_RTTHREAD;
    ASSERT_EQ(0, RTThreadCreate(&hThread, observeSelf, &obs, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                "fifteen-chars-x"));
    int rcThread = 0;
    ASSERT_EQ(0, RTThreadWaitForExit(hThread, 5000, &rcThread));
    EXPECT_EQ(4711, rcThread);
    EXPECT_EQ(hThread, obs.hSelf);
    EXPECT_EQ("fifteen-chars-x", obs.strSelfName);
    EXPECT_EQ(RTTHREADSTATE_RUNNING, obs.enmState);
    if (GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription"))
    {
        EXPECT_EQ(L"fifteen-chars-x", obs.wstrDescription);
    }

    EXPECT_EQ(ERR_INVALID_PARAMETER,
              RTThreadCreate(&hThread, observeSelf, &obs, 0, RTTHREADTYPE_DEFAULT, 0, "sixteen-chars-xx"));
}

TEST_F(Thread, PriorityFollowsType)
{
    int const aiExpected[] = {THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                              THREAD_PRIORITY_NORMAL,  THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_NORMAL,
                              THREAD_PRIORITY_NORMAL,  THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL,
                              THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_HIGHEST};
    for (int iType = RTTHREADTYPE_BACKGROUND; iType < RTTHREADTYPE_END; iType++)
    {
        Observed obs;
        RTTHREAD hThread = NIL_RTTHREAD;
        ASSERT_EQ(
            0, RTThreadCreate(&hThread, observeSelf, &obs, 0, (RTTHREADTYPE)iType, RTTHREADCREATE_F_WAITABLE, "prio"));
        ASSERT_EQ(0, RTThreadWaitForExit(hThread, 5000, NULL));
        EXPECT_EQ(aiExpected[iType - 1], obs.iPriority) << "type " << iType;
    }
}

/*
 * The native start, watched through the CreateThread seam.
 */
SIZE_T g_cbStackSeen;

HANDLE WINAPI createThreadRecordingStack(SECURITY_ATTRIBUTES *pSa, SIZE_T cbStack, LPTHREAD_START_ROUTINE pfn, void *pv,
                                         DWORD fFlags, DWORD *pidThread)
{
    g_cbStackSeen = cbStack;
    return CreateThread(pSa, cbStack, pfn, pv, fFlags, pidThread);
}

HANDLE WINAPI createThreadFailing(SECURITY_ATTRIBUTES *, SIZE_T, LPTHREAD_START_ROUTINE, void *, DWORD, DWORD *)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return NULL;
}

TEST_F(Thread, StackSizeRule)
{
    g_rtSeamsThreadWin.pfnCreateThread = createThreadRecordingStack;
    struct
    {
        size_t cbAsked;
        SIZE_T cbExpected;
    } const aCases[] = {{0, 0}, {65536, 69632}, {65537, 65537}, {262144, 266240}, {100000, 100000}};
    for (auto const &c : aCases)
    {
        Observed obs;
        RTTHREAD hThread = NIL_RTTHREAD;
        g_cbStackSeen = 1;
        ASSERT_EQ(0, RTThreadCreate(&hThread, observeSelf, &obs, c.cbAsked, RTTHREADTYPE_DEFAULT,
                                    RTTHREADCREATE_F_WAITABLE, "stack"));
        EXPECT_EQ(c.cbExpected, g_cbStackSeen) << c.cbAsked;
        EXPECT_EQ(0, RTThreadWaitForExit(hThread, 5000, NULL));
    }
    RTTHREAD hThread = NIL_RTTHREAD;
    EXPECT_EQ(ERR_INVALID_PARAMETER,
              RTThreadCreate(&hThread, observeSelf, NULL, 0xFFFFFFFF, RTTHREADTYPE_DEFAULT, 0, "stack"));
}

/*
 * Failures after validation: nothing is left behind.
 */
void *allocFailing(size_t, const char *)
{
    return NULL;
}

unsigned g_cEventsMade;
unsigned g_cEventsBeforeFailure;

NTSTATUS NTAPI createEventFailingLater(HANDLE *phEvent, ACCESS_MASK fAccess, OBJECT_ATTRIBUTES *pAttr, int enmType,
                                       BOOLEAN fState)
{
    if (g_cEventsMade++ >= g_cEventsBeforeFailure)
        return (NTSTATUS)0xC0000017; /* STATUS_NO_MEMORY */
    return NtCreateEvent(phEvent, fAccess, pAttr, enmType, fState);
}

TEST_F(Thread, CreationFailuresLeaveNothing)
{
    DWORD const cHandlesBefore = handleCount();
    uint32_t const cThreadsBefore = rtThreadRegistryCount();
    RTTHREAD hThread = NIL_RTTHREAD;

    g_rtSeamsThread.pfnRTMemAllocZTag = allocFailing;
    EXPECT_EQ(ERR_NO_TMP_MEMORY, RTThreadCreate(&hThread, observeSelf, NULL, 0, RTTHREADTYPE_DEFAULT, 0, "nomem"));
    g_rtSeamsThread.pfnRTMemAllocZTag = NULL;

    /* The user event, then the termination event fails. */
    g_rtSeamsSemNt.pfnNtCreateEvent = createEventFailingLater;
    for (unsigned cOk = 0; cOk < 2; cOk++)
    {
        g_cEventsMade = 0;
        g_cEventsBeforeFailure = cOk;
        EXPECT_EQ(ERR_NO_MEMORY, RTThreadCreate(&hThread, observeSelf, NULL, 0, RTTHREADTYPE_DEFAULT,
                                                RTTHREADCREATE_F_WAITABLE, "noevent"));
        EXPECT_EQ(cOk + 1, g_cEventsMade);
    }
    g_rtSeamsSemNt.pfnNtCreateEvent = NULL;

    g_rtSeamsThreadWin.pfnCreateThread = createThreadFailing;
    EXPECT_EQ(ERR_NO_MEMORY, RTThreadCreate(&hThread, observeSelf, NULL, 0, RTTHREADTYPE_DEFAULT,
                                            RTTHREADCREATE_F_WAITABLE, "nothread"));
    g_rtSeamsThreadWin.pfnCreateThread = NULL;

    EXPECT_EQ(NIL_RTTHREAD, hThread);
    EXPECT_EQ(cThreadsBefore, rtThreadRegistryCount());
    EXPECT_LE(threadtest::handleCountSettledAt(cHandlesBefore), cHandlesBefore);
}

/*
 * Registration of threads the runtime did not create.
 */
struct Foreign
{
    int rcRegister = 1;
    std::string strName;
    RTTHREADTYPE enmType = RTTHREADTYPE_INVALID;
    bool fWaitable = true;
    uint32_t fIntFlags = 0;
};

DWORD WINAPI foreignThread(void *pv)
{
    Foreign *pForeign = (Foreign *)pv;
    pForeign->rcRegister =
        RTThreadRegisterCurrent(RTTHREADTYPE_GUI, RTTHREADCREATE_F_WAITABLE, RTTHREADINT_F_MAIN, "foreign");
    if (pForeign->rcRegister == 0)
    {
        pForeign->strName = RTThreadGetSelfName();
        RTTHREAD hSelf = RTThreadSelf();
        pForeign->fWaitable = RTThreadWaitForExit(hSelf, 0, NULL) != ERR_NOT_WAITABLE;
        pForeign->fIntFlags = hSelf->fIntFlags;
    }
    return 0;
}

BOOL WINAPI tlsSetValueFailing(DWORD, void *)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

TEST_F(Thread, RegisterForeignThread)
{
    Foreign foreign;
    DWORD idThread = 0;
    HANDLE hThread = CreateThread(NULL, 0, foreignThread, &foreign, 0, &idThread);
    ASSERT_NE(nullptr, hThread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hThread, 5000));
    CloseHandle(hThread);
    EXPECT_EQ(0, foreign.rcRegister);
    EXPECT_EQ("foreign", foreign.strName);
    EXPECT_FALSE(foreign.fWaitable);
    EXPECT_EQ(RTTHREADINT_F_REGISTERED | RTTHREADINT_F_MAIN | RTTHREADINT_F_IN_REGISTRY, foreign.fIntFlags);

    /* The registry keeps the ended thread's record until the identifier returns. */
    PRTTHREADINT pRecord = rtThreadGetByNative(idThread);
    ASSERT_NE(nullptr, pRecord);
    EXPECT_STREQ("foreign", pRecord->szName);
    rtThreadRelease(pRecord);
}

TEST_F(Thread, RegisterFailures)
{
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTThreadRegisterCurrent(RTTHREADTYPE_DEFAULT, 0, 0, ""));
    EXPECT_EQ(ERR_INVALID_FLAGS, RTThreadRegisterCurrent(RTTHREADTYPE_DEFAULT, 0x10, 0, "x"));

    uint32_t const cThreadsBefore = rtThreadRegistryCount();
    RTTHREAD const hSelfBefore = RTThreadSelf();
    g_rtSeamsThreadWin.pfnTlsSetValue = tlsSetValueFailing;
    EXPECT_EQ(ERR_SELF_TLS_NOT_SET, RTThreadRegisterCurrent(RTTHREADTYPE_DEFAULT, 0, 0, "again"));
    g_rtSeamsThreadWin.pfnTlsSetValue = NULL;
    g_rtSeamsThread.pfnRTMemAllocZTag = allocFailing;
    EXPECT_EQ(ERR_NO_MEMORY, RTThreadRegisterCurrent(RTTHREADTYPE_DEFAULT, 0, 0, "again"));
    g_rtSeamsThread.pfnRTMemAllocZTag = NULL;
    EXPECT_EQ(cThreadsBefore, rtThreadRegistryCount());
    EXPECT_EQ(hSelfBefore, RTThreadSelf());
    EXPECT_STREQ("main", RTThreadGetSelfName());
}

/*
 * COM apartments and leftovers.
 */
unsigned g_cCoUninitialize;
unsigned g_cOleUninitialize;

void WINAPI countingCoUninitialize(void)
{
    g_cCoUninitialize++;
    CoUninitialize();
}

void WINAPI countingOleUninitialize(void)
{
    g_cOleUninitialize++;
    OleUninitialize();
}

struct ComState
{
    HRESULT hrcMtaProbe = E_FAIL;
    bool fLeaveOle = false;
    uint32_t cComInits = 0;
    uint32_t cOleInits = 0;
};

int comThread(RTTHREAD, void *pvUser)
{
    ComState *pState = (ComState *)pvUser;
    /* S_FALSE when the thread is already in the MTA, RPC_E_CHANGED_MODE in an STA. */
    pState->hrcMtaProbe = CoInitializeEx(NULL, COINIT_MULTITHREADED);
    if (pState->fLeaveOle)
    {
        CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
        OleInitialize(NULL);
    }
    rtThreadComGetCounts(&pState->cComInits, &pState->cOleInits);
    return 0;
}

TEST_F(Thread, ComApartmentsAndLeftovers)
{
    struct
    {
        uint32_t fFlags;
        bool fLeaveOle;
        HRESULT hrcProbe;
        uint32_t cComInits, cOleInits;
        unsigned cOleUninit, cCoUninit;
    } const aCases[] = {
        /* MTA: ours + the probe's S_FALSE; we uninitialise once, the leftover once more. */
        {RTTHREADCREATE_F_COM_MTA, false, S_FALSE, 2, 0, 0, 2},
        /* STA: the probe fails; ours + one STA + OLE's own: OLE once, then COM twice. */
        {RTTHREADCREATE_F_COM_STA, true, RPC_E_CHANGED_MODE, 3, 1, 1, 2},
        /* No apartment of ours: the probe joins the MTA and is balanced. */
        {0, false, S_OK, 1, 0, 0, 1},
    };
    g_rtSeamsThreadWin.pfnCoUninitialize = countingCoUninitialize;
    g_rtSeamsThreadWin.pfnOleUninitialize = countingOleUninitialize;
    for (auto const &c : aCases)
    {
        g_cCoUninitialize = g_cOleUninitialize = 0;
        ComState state;
        state.fLeaveOle = c.fLeaveOle;
        RTTHREAD hThread = NIL_RTTHREAD;
        ASSERT_EQ(0, RTThreadCreate(&hThread, comThread, &state, 0, RTTHREADTYPE_DEFAULT,
                                    c.fFlags | RTTHREADCREATE_F_WAITABLE, "com"));
        /* The balancing runs after the function, so wait for the native thread itself. */
        HANDLE hNative = NULL;
        DuplicateHandle(GetCurrentProcess(), (HANDLE)hThread->hThread, GetCurrentProcess(), &hNative, SYNCHRONIZE,
                        FALSE, 0);
        ASSERT_EQ(0, RTThreadWaitForExit(hThread, 5000, NULL));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hNative, 5000));
        CloseHandle(hNative);
        EXPECT_EQ(c.hrcProbe, state.hrcMtaProbe) << "flags " << c.fFlags;
        EXPECT_EQ(c.cComInits, state.cComInits) << "flags " << c.fFlags;
        EXPECT_EQ(c.cOleInits, state.cOleInits) << "flags " << c.fFlags;
        EXPECT_EQ(c.cOleUninit, g_cOleUninitialize) << "flags " << c.fFlags;
        EXPECT_EQ(c.cCoUninit, g_cCoUninitialize) << "flags " << c.fFlags;
    }
}

TEST_F(Thread, SleepAndYield)
{
    EXPECT_EQ(0, RTThreadSleepMs(0));
    EXPECT_EQ(0, RTThreadSleepMs(1));
    RTThreadYieldCpu(); /* either answer is right; it must simply return */
}

} // namespace
