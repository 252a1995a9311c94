/** @file
 * Saving and restoring the calling thread's Windows error state, so that
 * diagnostics can make Windows calls without changing the error the
 * interrupted code is about to read.
 */
#include <windows.h>
#include <rt/err.h>
#include "internal/err.h"

namespace
{

typedef int(WINAPI *PFNWSAGETLASTERROR)(void);
typedef void(WINAPI *PFNWSASETLASTERROR)(int iError);

/** Winsock's error accessors; null until rtErrStateInitSockets found a loaded
 * socket library. Written once during initialisation, read-only afterwards. */
PFNWSAGETLASTERROR g_pfnWSAGetLastError = NULL;
PFNWSASETLASTERROR g_pfnWSASetLastError = NULL;

/** The first already-loaded socket library, never loading one. */
HMODULE rtErrStateFindSocketLibrary(void)
{
    HMODULE hMod = GetModuleHandleW(L"ws2_32.dll");
    if (!hMod)
        hMod = GetModuleHandleW(L"wsock32.dll");
    return hMod;
}

} /* namespace */

void rtErrStateInitSockets(void)
{
    HMODULE hMod = rtErrStateFindSocketLibrary();
    if (!hMod)
        return;
    /* The detour through void * keeps the compiler from judging the cast of
     * the generic procedure type to the real signature. */
    g_pfnWSAGetLastError = (PFNWSAGETLASTERROR)(void *)GetProcAddress(hMod, "WSAGetLastError");
    g_pfnWSASetLastError = (PFNWSASETLASTERROR)(void *)GetProcAddress(hMod, "WSASetLastError");
}

RTERRSTATE *RTErrStateSave(RTERRSTATE *pState)
{
    /* GetLastError comes first: nothing here may change it before it is read. */
    uint32_t const uLastError = GetLastError();
    if (!RT_VALID_PTR(pState))
        return NULL;
    PFNWSAGETLASTERROR const pfnGet = g_pfnWSAGetLastError;
    pState->u32Magic = RTERRSTATE_MAGIC;
    pState->uLastError = uLastError;
    pState->iSocketError = pfnGet ? pfnGet() : RTERRSTATE_NO_SOCKET_ERROR;
    return pState;
}

void RTErrStateRestore(RTERRSTATE const *pState)
{
    if (!RT_VALID_PTR(pState) || pState->u32Magic != RTERRSTATE_MAGIC)
        return;
    PFNWSASETLASTERROR const pfnSet = g_pfnWSASetLastError;
    if (pfnSet && pState->iSocketError != RTERRSTATE_NO_SOCKET_ERROR)
        pfnSet(pState->iSocketError);
    /* Last, because on current systems the socket error shares its storage. */
    SetLastError(pState->uLastError);
}
