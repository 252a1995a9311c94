/** @file
 * The splash screen on a real (virtual) display: the window, the picture from
 * the program's own "PNG" resources, the dot moved by ticks the test sends,
 * the start and stop hand-overs and their failures.
 *
 * The dot's timer is replaced by the test (the seam of SetTimer), so the
 * angle is exactly what the ticks sent make it. When TARN_SPLASH_SHOT_DIR is
 * set, the first test writes "ready" there (holding the dot's angle) once the
 * frame is drawn and waits for "done", so that a screenshot of the display can be taken and checked
 * pixel by pixel (splash-window.sh, check-splash-shot.py).
 */
#include "support/stub-capture.h"
#include "TarnStubSplash-win.h"
#include <rt/err.h>
#include <rt/mem.h>

#include <cstdlib>
#include <string>

namespace
{

/** Identifiers of the test program's resources of type "PNG". */
const WORD TEST_PICTURE = 102;        /* the 800 x 200 test picture */
const WORD TEST_BROKEN_PICTURE = 103; /* bytes that do not decode */
const WORD TEST_NO_PICTURE = 104;     /* no such resource */

/** Ticks the screenshot test sends: a turn and 15 ticks, ending at 150 degrees,
 * where a better π than the dot's (3.14159) would put the dot a pixel higher,
 * and where neither offset is 0, so that a sign error shows too. */
const unsigned TEST_TICKS = 51;
const uint32_t TEST_ANGLE = 150;

struct TimerCall
{
    unsigned cCalls;
    HWND hWnd;
    UINT_PTR idTimer;
    UINT cMillies;
    TIMERPROC pfnTimer;
};
TimerCall g_Timer;

/** No timer runs: the test moves the dot itself. */
UINT_PTR WINAPI recordTimer(HWND hWnd, UINT_PTR idTimer, UINT cMillies, TIMERPROC pfnTimer)
{
    g_Timer.cCalls++;
    g_Timer.hWnd = hWnd;
    g_Timer.idTimer = idTimer;
    g_Timer.cMillies = cMillies;
    g_Timer.pfnTimer = pfnTimer;
    return idTimer;
}

WORD g_idPicture;
bool g_fAskedForThePicture;

/** Looks up @c g_idPicture instead, after noting that "PNG" 102 was asked for. */
HRSRC WINAPI redirectPicture(HMODULE hModule, LPCWSTR pwszName, LPCWSTR pwszType)
{
    g_fAskedForThePicture = IS_INTRESOURCE(pwszName) && (WORD)(uintptr_t)pwszName == TEST_PICTURE &&
                            !IS_INTRESOURCE(pwszType) && wcscmp(pwszType, L"PNG") == 0;
    return FindResourceW(hModule, MAKEINTRESOURCEW(g_idPicture), pwszType);
}

int WINAPI screenMetric(int idx)
{
    return idx == SM_CXSCREEN ? 640 : idx == SM_CYSCREEN ? 100 : GetSystemMetrics(idx);
}

HWND WINAPI failWindowCreation(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID)
{
    SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return NULL;
}

RTTHREAD g_hThreadSeen;
RTMSINTERVAL g_cMilliesSeen;
int g_rcThreadSeen;

int failThreadCreation(PRTTHREAD, PFNRTTHREAD, void *, size_t, RTTHREADTYPE, uint32_t, const char *)
{
    return ERR_NO_MEMORY;
}

int timeOutStartWait(RTTHREAD hThread, RTMSINTERVAL cMillies)
{
    g_hThreadSeen = hThread;
    g_cMilliesSeen = cMillies;
    return ERR_TIMEOUT;
}

int timeOutStopWait(RTTHREAD hThread, RTMSINTERVAL cMillies, int *)
{
    g_hThreadSeen = hThread;
    g_cMilliesSeen = cMillies;
    return ERR_TIMEOUT;
}

/** The real wait, with the thread's result turned into a failure. */
int failThreadResult(RTTHREAD hThread, RTMSINTERVAL cMillies, int *prcThread)
{
    int rc = RTThreadWaitForExit(hThread, cMillies, &g_rcThreadSeen);
    *prcThread = ERR_INVALID_POINTER;
    return rc;
}

std::string windowClass(HWND hWnd)
{
    char sz[64] = "";
    GetClassNameA(hWnd, sz, sizeof(sz));
    return sz;
}

std::string windowText(HWND hWnd)
{
    char sz[64] = "";
    GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}

/** Lets the screenshot be taken when the display test runs under splash-window.sh. */
void waitForScreenshot(void)
{
    const char *pszDir = getenv("TARN_SPLASH_SHOT_DIR");
    if (!pszDir || !*pszDir)
        return;
    std::string const strReady = std::string(pszDir) + "\\ready";
    std::string const strDone = std::string(pszDir) + "\\done";
    HANDLE hFile = CreateFileA(strReady.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    std::string const strAngle = std::to_string(TEST_ANGLE);
    DWORD cbWritten = 0;
    WriteFile(hFile, strAngle.data(), (DWORD)strAngle.size(), &cbWritten, NULL);
    CloseHandle(hFile);
    for (int i = 0; i < 1200 && GetFileAttributesA(strDone.c_str()) == INVALID_FILE_ATTRIBUTES; i++)
        Sleep(50);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strDone.c_str())) << "no screenshot within a minute";
}

class SplashScreenTest : public StubCaptureTest
{
  protected:
    void SetUp() override
    {
        StubCaptureTest::SetUp();
        g_Timer = TimerCall();
        g_fAskedForThePicture = false;
        g_hThreadSeen = NIL_RTTHREAD;
        g_cMilliesSeen = 0;
        g_rcThreadSeen = -1;
        g_StubSeamsSplash.pfnSetTimer = recordTimer;
    }

    void usePicture(WORD idPicture)
    {
        g_idPicture = idPicture;
        g_StubSeamsSplash.pfnFindResourceW = redirectPicture;
    }

    /** Stops @a pSplash and checks that the thread and its window are gone in time. */
    void stopAndCheck(SplashScreen *pSplash)
    {
        HWND hWnd = pSplash->hWnd;
        RTTHREAD hThread = RTThreadAddRef(pSplash->hThread);
        ULONGLONG const msStart = GetTickCount64();
        StopSplashScreen(&pSplash);
        ULONGLONG const cMillies = GetTickCount64() - msStart;
        EXPECT_TRUE(pSplash == NULL);
        EXPECT_LT(cMillies, (ULONGLONG)STUB_SPLASH_HANDOVER_MS) << "the thread ended only after " << cMillies << " ms";
        EXPECT_EQ(RTTHREADSTATE_TERMINATED, RTThreadGetState(hThread));
        RTThreadDropRef(hThread);
        if (hWnd)
        {
            EXPECT_FALSE(IsWindow(hWnd));
        }
    }
};

TEST_F(SplashScreenTest, PictureCentredWithTheDotAtItsAngle)
{
    SplashScreen *pSplash = StartSplashScreen();
    ASSERT_TRUE(pSplash != NULL);
    HWND hWnd = pSplash->hWnd;
    ASSERT_TRUE(hWnd != NULL);
    EXPECT_TRUE(pSplash->pImage != NULL);
    EXPECT_EQ(GetModuleHandleA(NULL), pSplash->hModule);
    EXPECT_STREQ("trnStbSplsh", RTThreadGetName(pSplash->hThread));
    EXPECT_NE(GetCurrentThreadId(), GetWindowThreadProcessId(hWnd, NULL));

    /* A visible popup without frame, of the picture's size, centred. */
    EXPECT_EQ("TarnSplashScreenClass", windowClass(hWnd));
    EXPECT_EQ("Tarnvale Installer", windowText(hWnd));
    EXPECT_EQ((LONG)(WS_POPUP | WS_VISIBLE),
              GetWindowLongA(hWnd, GWL_STYLE) & (LONG)(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME));
    EXPECT_EQ(0, GetWindowLongA(hWnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    EXPECT_EQ((LONG_PTR)GetModuleHandleA(NULL), GetWindowLongPtrA(hWnd, GWLP_HINSTANCE));
    RECT Rect;
    ASSERT_TRUE(GetWindowRect(hWnd, &Rect));
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 800) / 2, Rect.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 200) / 2, Rect.top);
    EXPECT_EQ(800, Rect.right - Rect.left);
    EXPECT_EQ(200, Rect.bottom - Rect.top);

    /* The dot's timer: identifier 1, every 50 ms, on the window. */
    EXPECT_EQ(1u, g_Timer.cCalls);
    EXPECT_EQ(hWnd, g_Timer.hWnd);
    EXPECT_EQ(1u, g_Timer.idTimer);
    EXPECT_EQ(50u, g_Timer.cMillies);
    EXPECT_TRUE(g_Timer.pfnTimer == NULL);

    EXPECT_EQ(0u, pSplash->uAngle);
    for (unsigned i = 0; i < TEST_TICKS; i++)
        SendMessageA(hWnd, WM_TIMER, 1, 0);
    EXPECT_EQ(TEST_ANGLE, pSplash->uAngle);
    UpdateWindow(hWnd); /* paints on the splash thread before it returns */
    HBITMAP hBitmap = pSplash->hBitmap;
    EXPECT_TRUE(pSplash->hMemDC != NULL);
    EXPECT_EQ(OBJ_BITMAP, (DWORD)GetObjectType(hBitmap));

    waitForScreenshot();

    stopAndCheck(pSplash);
    EXPECT_EQ(0u, (DWORD)GetObjectType(hBitmap)) << "the off-screen bitmap outlived the splash screen";
    EXPECT_EQ("", boxes());
}

TEST_F(SplashScreenTest, MissingPictureIsReportedAndMakesNoWindow)
{
    usePicture(TEST_NO_PICTURE);
    SplashScreen *pSplash = StartSplashScreen();
    ASSERT_TRUE(pSplash != NULL);
    EXPECT_TRUE(g_fAskedForThePicture) << "not looked up as \"PNG\" 102";
    EXPECT_TRUE(pSplash->hWnd == NULL);
    EXPECT_TRUE(pSplash->pImage == NULL);
    EXPECT_EQ(0u, g_Timer.cCalls);
    EXPECT_TRUE(FindWindowA("TarnSplashScreenClass", NULL) == NULL);
    EXPECT_EQ("W|0x10|Tarnvale Installer|Error loading splash image\n", boxes());
    stopAndCheck(pSplash);
    EXPECT_EQ(1u, m_aBoxes.size());
}

TEST_F(SplashScreenTest, UndecodablePictureGivesAnEmptyWindowSilently)
{
    usePicture(TEST_BROKEN_PICTURE);
    SplashScreen *pSplash = StartSplashScreen();
    ASSERT_TRUE(pSplash != NULL);
    EXPECT_TRUE(pSplash->pImage != NULL);
    ASSERT_TRUE(pSplash->hWnd != NULL);
    RECT Rect;
    ASSERT_TRUE(GetWindowRect(pSplash->hWnd, &Rect));
    EXPECT_EQ(0, Rect.right - Rect.left);
    EXPECT_EQ(0, Rect.bottom - Rect.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2, Rect.left);
    EXPECT_EQ(1u, g_Timer.cCalls);
    stopAndCheck(pSplash);
    EXPECT_EQ("", boxes());
}

TEST_F(SplashScreenTest, ScreenSmallerThanThePicture)
{
    g_StubSeamsSplash.pfnGetSystemMetrics = screenMetric;
    SplashScreen *pSplash = StartSplashScreen();
    ASSERT_TRUE(pSplash != NULL);
    ASSERT_TRUE(pSplash->hWnd != NULL);
    RECT Rect;
    ASSERT_TRUE(GetWindowRect(pSplash->hWnd, &Rect));
    EXPECT_EQ(-80, Rect.left);
    EXPECT_EQ(-50, Rect.top);
    EXPECT_EQ(800, Rect.right - Rect.left);
    stopAndCheck(pSplash);
}

TEST_F(SplashScreenTest, WindowCreationFailureIsReported)
{
    g_StubSeamsSplash.pfnCreateWindowExA = failWindowCreation;
    SplashScreen *pSplash = StartSplashScreen();
    ASSERT_TRUE(pSplash != NULL);
    EXPECT_TRUE(pSplash->hWnd == NULL);
    EXPECT_EQ(0u, g_Timer.cCalls);
    EXPECT_EQ("W|0x10|Tarnvale Installer|Error creating splash window, rc=ERR_NO_MEMORY (0x5aa)\n", boxes());
    stopAndCheck(pSplash);
    EXPECT_EQ(1u, m_aBoxes.size());
}

TEST_F(SplashScreenTest, FailedStartsGiveNoSplashAndNoMessage)
{
    g_StubSeamsSplash.pfnRTThreadCreate = failThreadCreation;
    EXPECT_TRUE(StartSplashScreen() == NULL);
    EXPECT_TRUE(FindWindowA("TarnSplashScreenClass", NULL) == NULL);

    /* The thread that did not signal in time keeps running with its record. */
    g_StubSeamsSplash.pfnRTThreadCreate = NULL;
    g_StubSeamsSplash.pfnRTThreadWaitUserEvent = timeOutStartWait;
    EXPECT_TRUE(StartSplashScreen() == NULL);
    EXPECT_EQ(5000u, g_cMilliesSeen);
    ASSERT_TRUE(g_hThreadSeen != NIL_RTTHREAD);
    EXPECT_EQ(INF_SUCCESS, RTThreadWaitUserEvent(g_hThreadSeen, 5000));
    HWND hWnd = FindWindowA("TarnSplashScreenClass", NULL);
    ASSERT_TRUE(hWnd != NULL);
    EXPECT_TRUE(IsWindowVisible(hWnd));
    PostMessageA(hWnd, WM_QUIT, 0, 0);
    int rcThread = -1;
    EXPECT_EQ(INF_SUCCESS, RTThreadWaitForExit(g_hThreadSeen, 5000, &rcThread));
    EXPECT_EQ(INF_SUCCESS, rcThread);
    EXPECT_EQ("", boxes());
}

TEST_F(SplashScreenTest, FailedStopsAreReported)
{
    /* The wait times out: reported, and the record stays for the thread. */
    SplashScreen *pSplash = StartSplashScreen();
    ASSERT_TRUE(pSplash != NULL);
    SplashScreen *pKept = pSplash;
    RTTHREAD hThread = pSplash->hThread;
    g_StubSeamsSplash.pfnRTThreadWaitForExit = timeOutStopWait;
    StopSplashScreen(&pSplash);
    EXPECT_TRUE(pSplash == NULL);
    EXPECT_EQ(hThread, g_hThreadSeen);
    EXPECT_EQ(5000u, g_cMilliesSeen);
    EXPECT_EQ("W|0x10|Tarnvale Installer|Destruction of splash screen failed with ERR_TIMEOUT\n\n", boxes());
    /* The quit message was posted all the same: the thread ends by itself. */
    int rcThread = -1;
    EXPECT_EQ(INF_SUCCESS, RTThreadWaitForExit(hThread, 5000, &rcThread));
    EXPECT_EQ(INF_SUCCESS, rcThread);
    EXPECT_TRUE(pKept->hWnd == NULL);
    RTMemFree(pKept);

    /* The thread ends with a failure: reported with that status. */
    m_aBoxes.clear();
    g_StubSeamsSplash.pfnRTThreadWaitForExit = failThreadResult;
    pSplash = StartSplashScreen();
    ASSERT_TRUE(pSplash != NULL);
    StopSplashScreen(&pSplash);
    EXPECT_EQ(INF_SUCCESS, g_rcThreadSeen);
    EXPECT_EQ("W|0x10|Tarnvale Installer|Destruction of splash screen failed with ERR_INVALID_POINTER\n\n", boxes());

    /* Nothing to stop. */
    m_aBoxes.clear();
    StopSplashScreen(&pSplash);
    EXPECT_EQ("", boxes());
}

TEST_F(SplashScreenTest, ThreadRefusesAnInvalidRecord)
{
    EXPECT_EQ(ERR_INVALID_POINTER, SplashThreadMain(NIL_RTTHREAD, NULL));
    EXPECT_EQ(ERR_INVALID_POINTER, SplashThreadMain(NIL_RTTHREAD, (void *)(uintptr_t)16));
    EXPECT_EQ("", boxes());
}

} // namespace
