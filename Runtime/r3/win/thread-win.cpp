/** @file
 * Threads on Windows: the native start through CreateThread (the runtime has
 * no C runtime whose thread start it could use), the self slot in a TLS
 * index, name publication, priorities, sleeping and yielding.
 */
#include <windows.h>
#include <rt/string.h>
#include "internal/thread.h"
#include "internal/thread-win.h"
#include "internal/seam.h"

namespace
{

typedef HRESULT(WINAPI *PFNSETTHREADDESCRIPTION)(HANDLE hThread, const WCHAR *pwszDescription);
typedef BOOL(WINAPI *PFNISDEBUGGERPRESENT)(void);

/** The self slot; TLS_OUT_OF_INDEXES until rtThreadNativeInit. */
DWORD g_iSelfTls = TLS_OUT_OF_INDEXES;
/** Optional entry points (null where the system lacks them). */
PFNSETTHREADDESCRIPTION g_pfnSetThreadDescription = NULL;
PFNISDEBUGGERPRESENT g_pfnIsDebuggerPresent = NULL;

/** The exception a debugger reads thread names from. */
DWORD const g_uThreadNameException = 0x406D1388;

/** Lets the name exception go on after the debugger had its look; nothing else. */
LONG CALLBACK rtThreadSwallowNameException(EXCEPTION_POINTERS *pXcpt)
{
    if (pXcpt->ExceptionRecord->ExceptionCode == g_uThreadNameException)
        return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

void rtThreadTellDebugger(PRTTHREADINT pThread)
{
    ULONG_PTR auArgs[4];
    auArgs[0] = 0x1000; /* the record's type */
    auArgs[1] = (ULONG_PTR)pThread->szName;
    auArgs[2] = GetCurrentThreadId();
    auArgs[3] = 0; /* flags */
    void *pvHandler = AddVectoredExceptionHandler(1, rtThreadSwallowNameException);
    if (!pvHandler)
        return; /* without the handler the exception could end the process */
    RaiseException(g_uThreadNameException, 0, RT_ELEMENTS(auArgs), auArgs);
    RemoveVectoredExceptionHandler(pvHandler);
}

DWORD WINAPI rtThreadNativeMain(void *pvThread)
{
    PRTTHREADINT pThread = (PRTTHREADINT)pvThread;
    if (!RT_SEAM(g_rtSeamsThreadWin, TlsSetValue)(g_iSelfTls, pThread))
        rtThreadReportFailure(true, "failed to set self TLS. lasterr=%d thread '%s'\n", (int)GetLastError(),
                              pThread->szName);
    rtThreadNativePublishName(pThread);
    bool const fComInitialized = rtThreadComInit(pThread->fFlags);

    int rc = rtThreadMain(pThread, GetCurrentThreadId());

    /* The record may be gone now: only the thread's own state is left to tidy. */
    TlsSetValue(g_iSelfTls, NULL);
    if (fComInitialized)
        rtThreadComUninit();
    rtThreadComBalance();
    return (DWORD)rc;
}

} // namespace

int rtThreadNativeInit(void)
{
    g_iSelfTls = TlsAlloc();
    if (g_iSelfTls == TLS_OUT_OF_INDEXES)
        return ERR_TLS_UNAVAILABLE;
    HMODULE hKernel32 = GetModuleHandleW(L"kernel32.dll");
    if (hKernel32)
    {
        g_pfnSetThreadDescription =
            (PFNSETTHREADDESCRIPTION)(void (*)(void))GetProcAddress(hKernel32, "SetThreadDescription");
        g_pfnIsDebuggerPresent = (PFNISDEBUGGERPRESENT)(void (*)(void))GetProcAddress(hKernel32, "IsDebuggerPresent");
    }
    return 0;
}

int rtThreadNativeSetSelf(PRTTHREADINT pThread)
{
    if (g_iSelfTls == TLS_OUT_OF_INDEXES || !RT_SEAM(g_rtSeamsThreadWin, TlsSetValue)(g_iSelfTls, pThread))
        return ERR_SELF_TLS_NOT_SET;
    return 0;
}

PRTTHREADINT rtThreadNativeGetSelf(void)
{
    if (g_iSelfTls == TLS_OUT_OF_INDEXES)
        return NULL;
    return (PRTTHREADINT)TlsGetValue(g_iSelfTls);
}

void rtThreadNativePublishName(PRTTHREADINT pThread)
{
    if (g_pfnIsDebuggerPresent && g_pfnIsDebuggerPresent())
        rtThreadTellDebugger(pThread);
    if (g_pfnSetThreadDescription)
    {
        /* Names are short; widening byte by byte is what debuggers show anyway. */
        WCHAR wszName[RTTHREAD_NAME_LEN + 1];
        for (size_t i = 0; i < RT_ELEMENTS(wszName); i++)
            wszName[i] = (unsigned char)pThread->szName[i];
        wszName[RTTHREAD_NAME_LEN] = '\0';
        g_pfnSetThreadDescription(GetCurrentThread(), wszName);
    }
}

int rtThreadNativeCreate(PRTTHREADINT pThread, RTNATIVETHREAD *pNativeThread)
{
    size_t cbStack = pThread->cbStack;
    if (cbStack >= UINT32_C(0xFFFFFFFF))
        return ERR_INVALID_PARAMETER;
    /* A whole number of 64 KiB would lose a page to the guard: give it one more. */
    if (cbStack != 0 && cbStack % 0x10000 == 0)
        cbStack += 0x1000;
    DWORD idThread = 0;
    HANDLE hThread =
        RT_SEAM(g_rtSeamsThreadWin, CreateThread)(NULL, cbStack, rtThreadNativeMain, pThread, 0, &idThread);
    if (!hThread)
        return RTErrConvertFromWinError(GetLastError());
    pThread->hThread = (uintptr_t)hThread;
    *pNativeThread = idThread;
    return 0;
}

void rtThreadNativeSetPriority(PRTTHREADINT pThread, RTTHREADTYPE enmType)
{
    HANDLE hThread = rtThreadNativeGetSelf() == pThread ? GetCurrentThread() : (HANDLE)pThread->hThread;
    if (hThread != (HANDLE)RTTHREADINT_NO_HANDLE)
        SetThreadPriority(hThread, rtThreadTypePriority(enmType));
}

bool rtThreadNativeVanishedAtExit(PRTTHREADINT pThread)
{
    if (pThread->hThread == RTTHREADINT_NO_HANDLE)
        return false;
    return WaitForSingleObject((HANDLE)pThread->hThread, 0) == WAIT_OBJECT_0;
}

void rtThreadNativeDestroy(PRTTHREADINT pThread)
{
    if (rtThreadNativeGetSelf() == pThread)
        TlsSetValue(g_iSelfTls, NULL);
    if (pThread->hThread != RTTHREADINT_NO_HANDLE)
    {
        CloseHandle((HANDLE)pThread->hThread);
        pThread->hThread = RTTHREADINT_NO_HANDLE;
    }
}

RTNATIVETHREAD RTThreadNativeSelf(void)
{
    return GetCurrentThreadId();
}

int RTThreadSleepMs(RTMSINTERVAL cMillies)
{
    Sleep(cMillies);
    return 0;
}

bool RTThreadYieldCpu(void)
{
    uint64_t const uStart = __builtin_ia32_rdtsc();
    Sleep(0);
    return __builtin_ia32_rdtsc() - uStart > 1500;
}
