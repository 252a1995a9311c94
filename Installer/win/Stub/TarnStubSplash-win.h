/** @file
 * The splash screen: the product picture in a borderless window centred on
 * the screen, with a dark-blue dot circling below the picture's centre while
 * the installer extracts its packages.
 *
 * The window belongs to a thread of its own ("trnStbSplsh", SplashThreadMain)
 * with its own message loop, so the run sequence never pumps messages. The
 * two threads share only the SplashScreen record:
 *
 *  - StartSplashScreen (run sequence, interactive mode only) allocates the
 *    record, starts the thread and waits at most STUB_SPLASH_HANDOVER_MS for
 *    the thread's user event, which the thread raises once its window exists
 *    or has failed. Before that signal the run sequence reads nothing of the
 *    record but the thread handle.
 *  - StopSplashScreen posts the quit message to the window and waits at most
 *    STUB_SPLASH_HANDOVER_MS for the thread's end. After posting, only the
 *    splash thread touches the window and the drawing resources; the record
 *    is freed only once the thread has ended.
 *
 * The picture is the resource of type "PNG", identifier 102, of the
 * executable; the window has the picture's size. A missing or unreadable
 * picture is reported ("Error loading splash image") and no window is made; a
 * picture that does not decode gives an empty (0 × 0) window and no message.
 * Either way the installation goes on. GDI+ is bound lazily (GDIPLUS.DLL from
 * the system directory): a failure to load it ends the process.
 */
#ifndef TARN_STUB_SPLASH_WIN_H
#define TARN_STUB_SPLASH_WIN_H

#include <windows.h>
#include <rt/thread.h>
#include "TarnStubSeams.h"

/** Resource type of the splash picture (a named type). */
#define STUB_SPLASH_RESOURCE_TYPE L"PNG"
/** Resource identifier of the splash picture. */
#define STUB_SPLASH_RESOURCE_ID 102
/** Window class of the splash window. */
#define STUB_SPLASH_CLASS "TarnSplashScreenClass"
/** Title of the splash window (never shown: the window has no caption). */
#define STUB_SPLASH_TITLE "Tarnvale Installer"
/** Name of the splash thread. */
#define STUB_SPLASH_THREAD_NAME "trnStbSplsh"
/** Identifier of the timer that moves the dot. */
#define STUB_SPLASH_TIMER_ID 1
/** Longest wait of each hand-over (start and stop), in milliseconds. */
#define STUB_SPLASH_HANDOVER_MS 5000

/** The decoded picture: a GDI+ image kept in an object of GDI+'s own heap. */
typedef struct SplashImage SplashImage;

/** The splash screen, shared by the run sequence and the splash thread. */
typedef struct SplashScreen
{
    /** The executable's module: resources, window class and window. */
    HMODULE hModule;
    /** The splash window; null until the splash thread made it, and again after
     * the thread destroyed it. Read and written atomically (stubSplashWindow,
     * stubSplashSetWindow). */
    HWND hWnd;
    /** The splash thread (waitable). */
    RTTHREAD hThread;
    /** The decoded picture; null when it could not be loaded. */
    SplashImage *pImage;
    /** The dot's angle in degrees: 0 to 350 in steps of 10. */
    uint32_t uAngle;
    /** Off-screen drawing surface, made at the first paint and reused. */
    HDC hMemDC;
    /** The off-screen bitmap selected into hMemDC. */
    HBITMAP hBitmap;
} SplashScreen;

/** @a pSplash's window, read atomically: the run sequence may read it while
 * the splash thread clears it. */
inline HWND stubSplashWindow(SplashScreen *pSplash)
{
    return __atomic_load_n(&pSplash->hWnd, __ATOMIC_ACQUIRE);
}

/** Sets @a pSplash's window atomically. */
inline void stubSplashSetWindow(SplashScreen *pSplash, HWND hWnd)
{
    __atomic_store_n(&pSplash->hWnd, hWnd, __ATOMIC_RELEASE);
}

/**
 * Starts the splash screen for the executable's picture: a zero-filled
 * record with the executable's module, the waitable thread "trnStbSplsh"
 * (default stack, type RTTHREADTYPE_DEFAULT), and a wait of at most
 * STUB_SPLASH_HANDOVER_MS for its user event.
 *
 * @returns The record, or null when the allocation, the thread's creation or
 *          the wait failed; nothing is reported. After a failed wait the
 *          thread keeps running with the record until the process ends.
 */
SplashScreen *StartSplashScreen(void);

/**
 * Stops the splash screen @a *ppSplash and sets @a *ppSplash to null; a null
 * record does nothing. Posts the quit message to the window if there is one,
 * waits at most STUB_SPLASH_HANDOVER_MS for the thread's end and frees the
 * record. A failed wait, or a negative result of the thread, is reported with
 * ShowError ("Destruction of splash screen failed with %Rrc\n"); after a
 * failed wait the record stays allocated, as the thread may still use it.
 */
void StopSplashScreen(SplashScreen **ppSplash);

/**
 * The splash thread: loads the picture, makes the window and the 50 ms timer
 * of the dot, raises the thread's user event in every case, runs the message
 * loop until the quit message, and releases everything it made.
 * @returns 0, or ERR_INVALID_POINTER when @a pvSplash is not a valid pointer
 *          (then nothing is done and the user event is not raised).
 */
int SplashThreadMain(RTTHREAD hSelf, void *pvSplash);

/** The splash window's procedure (class STUB_SPLASH_CLASS). */
LRESULT CALLBACK SplashWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

/** Draws one frame, picture and dot at @a pSplash's angle, into @a hDC. */
void SplashPaint(SplashScreen *pSplash, HDC hDC);

/** @name The picture (splash thread only)
 * @{ */
/** Decodes the picture resource of @a hModule; null when the resource is
 * missing or empty or no image object could be allocated. */
SplashImage *stubSplashImageLoad(HMODULE hModule);
/** The picture's width and height in pixels; 0 for a picture that did not decode. */
uint32_t stubSplashImageWidth(SplashImage *pImage);
uint32_t stubSplashImageHeight(SplashImage *pImage);
/** Disposes of the picture and frees its object; null does nothing. */
void stubSplashImageDelete(SplashImage *pImage);
/** @} */

#ifdef RT_WITH_SEAMS
/** Replaceable calls of the splash screen (tests only; see internal/seam.h):
 * the timer (so tests move the dot themselves), the picture lookup, the
 * screen size, the window creation and the thread hand-overs. */
typedef struct StubSeamsSplash
{
    decltype(&SetTimer) pfnSetTimer;
    decltype(&FindResourceW) pfnFindResourceW;
    decltype(&GetSystemMetrics) pfnGetSystemMetrics;
    decltype(&CreateWindowExA) pfnCreateWindowExA;
    decltype(&RTThreadCreate) pfnRTThreadCreate;
    decltype(&RTThreadWaitUserEvent) pfnRTThreadWaitUserEvent;
    decltype(&RTThreadWaitForExit) pfnRTThreadWaitForExit;
} StubSeamsSplash;
#endif

#endif
