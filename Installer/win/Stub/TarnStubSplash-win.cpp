/** @file
 * Starting and stopping the splash screen: the run sequence's side of the
 * hand-overs with the splash thread.
 */
#include <windows.h>
#include "TarnStubSplash-win.h"
#include "TarnStubMessages.h"
#include <rt/err.h>
#include <rt/mem.h>
#include "internal/seam.h"

SplashScreen *StartSplashScreen(void)
{
    SplashScreen *pSplash = (SplashScreen *)RTMemAllocZTag(sizeof(*pSplash), RTMEM_TAG);
    if (!pSplash)
        return NULL;
    pSplash->hModule = GetModuleHandleA(NULL);

    int rc = RT_SEAM(g_StubSeamsSplash, RTThreadCreate)(&pSplash->hThread, SplashThreadMain, pSplash, 0 /*cbStack*/,
                                                        RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                                        STUB_SPLASH_THREAD_NAME);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pSplash);
        return NULL;
    }

    rc = RT_SEAM(g_StubSeamsSplash, RTThreadWaitUserEvent)(pSplash->hThread, STUB_SPLASH_HANDOVER_MS);
    if (RT_FAILURE(rc))
        return NULL; /* The thread still has the record: it stays allocated. */
    return pSplash;
}

void StopSplashScreen(SplashScreen **ppSplash)
{
    SplashScreen *pSplash = *ppSplash;
    *ppSplash = NULL;
    if (!pSplash)
        return;

    HWND hWnd = stubSplashWindow(pSplash);
    if (hWnd)
        PostMessageA(hWnd, WM_QUIT, 0, 0);

    int rcThread = INF_SUCCESS;
    int rc = RT_SEAM(g_StubSeamsSplash, RTThreadWaitForExit)(pSplash->hThread, STUB_SPLASH_HANDOVER_MS, &rcThread);
    if (RT_FAILURE(rc))
    {
        /* The thread may still use the record: it stays allocated. */
        ShowError("Destruction of splash screen failed with %Rrc\n", rc);
        return;
    }
    if (RT_FAILURE(rcThread))
        ShowError("Destruction of splash screen failed with %Rrc\n", rcThread);
    RTMemFree(pSplash);
}
