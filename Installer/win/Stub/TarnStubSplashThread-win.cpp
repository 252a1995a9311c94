/** @file
 * The splash thread: its window, the window's procedure and its message loop.
 */
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include "TarnStubSplash-win.h"
#include "TarnStubSplashGeometry.h"
#include "TarnStubMessages.h"
#include <rt/err.h>
#include "internal/seam.h"

namespace
{

/** WS_POPUP | WS_VISIBLE: no frame, no caption, shown at once. */
const DWORD SPLASH_WINDOW_STYLE = WS_POPUP | WS_VISIBLE;

void registerWindowClass(HMODULE hModule)
{
    WNDCLASSA Class;
    Class.style = 0;
    Class.lpfnWndProc = SplashWindowProc;
    Class.cbClsExtra = 0;
    Class.cbWndExtra = 0;
    Class.hInstance = hModule;
    Class.hIcon = NULL;
    Class.hCursor = NULL;
    Class.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    Class.lpszMenuName = NULL;
    Class.lpszClassName = STUB_SPLASH_CLASS;
    /* A second splash screen in the same process finds the class registered already. */
    RegisterClassA(&Class);
}

/** Makes the centred window of the picture's size and starts the dot's timer. */
void createWindow(SplashScreen *pSplash)
{
    registerWindowClass(pSplash->hModule);

    uint32_t const cxPicture = stubSplashImageWidth(pSplash->pImage);
    uint32_t const cyPicture = stubSplashImageHeight(pSplash->pImage);
    SplashPoint const Origin =
        stubSplashWindowOrigin(RT_SEAM(g_StubSeamsSplash, GetSystemMetrics)(SM_CXSCREEN),
                               RT_SEAM(g_StubSeamsSplash, GetSystemMetrics)(SM_CYSCREEN), cxPicture, cyPicture);
    HWND hWnd = RT_SEAM(g_StubSeamsSplash, CreateWindowExA)(0, STUB_SPLASH_CLASS, STUB_SPLASH_TITLE,
                                                            SPLASH_WINDOW_STYLE, Origin.x, Origin.y, (int)cxPicture,
                                                            (int)cyPicture, NULL, NULL, pSplash->hModule, pSplash);
    stubSplashSetWindow(pSplash, hWnd);
    if (hWnd)
        RT_SEAM(g_StubSeamsSplash, SetTimer)(hWnd, STUB_SPLASH_TIMER_ID, STUB_SPLASH_TICK_MS, NULL);
    else
    {
        DWORD const dwErr = GetLastError();
        ShowError("Error creating splash window, rc=%Rrc (%#x)", RTErrConvertFromWinError(dwErr), (unsigned)dwErr);
    }
}

void runMessageLoop(void)
{
    /* GetMessageA fails (-1) only for a bad window filter, and there is none;
     * ending on it keeps a failure from spinning the thread. */
    MSG Msg;
    while (GetMessageA(&Msg, NULL, 0, 0) > 0)
    {
        TranslateMessage(&Msg);
        DispatchMessageA(&Msg);
    }
}

/** Releases what the thread made, the window last. */
void tearDown(SplashScreen *pSplash)
{
    stubSplashImageDelete(pSplash->pImage);
    pSplash->pImage = NULL;
    /* The DC goes before its bitmap: a bitmap still selected into a DC cannot
     * be deleted. */
    if (pSplash->hMemDC)
        DeleteDC(pSplash->hMemDC);
    pSplash->hMemDC = NULL;
    if (pSplash->hBitmap)
        DeleteObject(pSplash->hBitmap);
    pSplash->hBitmap = NULL;
    HWND hWnd = stubSplashWindow(pSplash);
    if (hWnd && IsWindow(hWnd))
        DestroyWindow(hWnd);
    stubSplashSetWindow(pSplash, NULL);
}

/** The record stored with the window at its creation; null before. */
SplashScreen *recordOf(HWND hWnd)
{
    return (SplashScreen *)GetWindowLongPtrA(hWnd, GWLP_USERDATA);
}

} // namespace

int SplashThreadMain(RTTHREAD hSelf, void *pvSplash)
{
    if (!RT_VALID_PTR(pvSplash))
        return ERR_INVALID_POINTER;
    SplashScreen *pSplash = (SplashScreen *)pvSplash;

    Gdiplus::GdiplusStartupInput Input;
    Input.GdiplusVersion = 1;
    Input.DebugEventCallback = NULL;
    Input.SuppressBackgroundThread = FALSE;
    Input.SuppressExternalCodecs = FALSE;
    ULONG_PTR uGdiplusToken = 0;
    Gdiplus::GdiplusStartup(&uGdiplusToken, &Input, NULL);

    pSplash->pImage = stubSplashImageLoad(pSplash->hModule);
    if (pSplash->pImage)
        createWindow(pSplash);
    else
        ShowError("Error loading splash image");

    /* In every case: the run sequence waits for this before it goes on. */
    RTThreadSignalUserEvent(hSelf);

    if (stubSplashWindow(pSplash))
        runMessageLoop();

    tearDown(pSplash);
    Gdiplus::GdiplusShutdown(uGdiplusToken);
    CoUninitialize();
    return INF_SUCCESS;
}

LRESULT CALLBACK SplashWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
        case WM_NCCREATE:
        {
            SplashScreen *pSplash = (SplashScreen *)((CREATESTRUCTA *)lParam)->lpCreateParams;
            if (!RT_VALID_PTR(pSplash))
                return 0;
            SetWindowLongPtrA(hWnd, GWLP_USERDATA, (LONG_PTR)pSplash);
            break;
        }
        case WM_TIMER:
        {
            SplashScreen *pSplash = recordOf(hWnd);
            if (!RT_VALID_PTR(pSplash))
                return 0;
            pSplash->uAngle = stubSplashNextAngle(pSplash->uAngle);
            InvalidateRect(hWnd, NULL, FALSE);
            break;
        }
        case WM_PAINT:
        {
            SplashScreen *pSplash = recordOf(hWnd);
            if (!RT_VALID_PTR(pSplash))
                return 0;
            PAINTSTRUCT Paint;
            HDC hDC = BeginPaint(hWnd, &Paint);
            if (hDC)
            {
                SplashPaint(pSplash, hDC);
                EndPaint(hWnd, &Paint);
            }
            break;
        }
        case WM_DESTROY:
            KillTimer(hWnd, STUB_SPLASH_TIMER_ID);
            PostQuitMessage(0);
            break;
        default:
            break;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
