/** @file
 * Module handles: validation, symbol look-up, the native handle and closing.
 */
#include <rt/ldr.h>
#include <rt/err.h>
#include <rt/mem.h>
#include "internal/ldr.h"

bool rtldrIsValidModule(RTLDRMOD hLdrMod)
{
    return RT_VALID_PTR(hLdrMod) && hLdrMod->u32Magic == RTLDRMOD_MAGIC && hLdrMod->enmState == RTLDRSTATE_OPENED;
}

int RTLdrLookupSymbol(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue)
{
    if (!rtldrIsValidModule(hLdrMod))
        return ERR_INVALID_HANDLE;
    if (!pszSymbol)
        return ERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(ppvValue))
        return ERR_INVALID_POINTER;
    const RTLDROPS *pOps = hLdrMod->pOps;
    if (pOps->pfnGetSymbol)
        return pOps->pfnGetSymbol(hLdrMod, pszSymbol, ppvValue);
    return pOps->pfnGetSymbolEx(hLdrMod, pszSymbol, UINT32_MAX, ppvValue);
}

void *RTLdrLookupFunction(RTLDRMOD hLdrMod, const char *pszSymbol)
{
    void *pv = NULL;
    if (RT_FAILURE(RTLdrLookupSymbol(hLdrMod, pszSymbol, &pv)))
        return NULL;
    return pv;
}

int RTLdrCloseModule(RTLDRMOD hLdrMod)
{
    if (hLdrMod == NIL_RTLDRMOD)
        return INF_SUCCESS;
    if (!rtldrIsValidModule(hLdrMod))
        return ERR_INVALID_HANDLE;
    /* The handle goes away even when the system refuses to unload: the caller
     * cannot do anything better with it. */
    hLdrMod->pOps->pfnClose(hLdrMod);
    hLdrMod->u32Magic++;
    hLdrMod->enmState = RTLDRSTATE_INVALID;
    /* Only images read by the loader itself have a reader; the system's
     * loader needs none, so there is nothing to destroy here yet. */
    hLdrMod->pReader = NULL;
    RTMemFree(hLdrMod);
    return INF_SUCCESS;
}

uintptr_t RTLdrGetNativeHandle(RTLDRMOD hLdrMod)
{
    if (!rtldrIsValidModule(hLdrMod) || hLdrMod->pOps != &g_rtldrNativeOps)
        return NIL_RTLDRMOD_NATIVE;
    return hLdrMod->hNative;
}
