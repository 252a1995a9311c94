/** @file
 * System libraries in the host build: there are none to load, so every load
 * fails with ERR_NOT_IMPLEMENTED after the portable checks have run.
 */
#include <rt/err.h>
#include "internal/ldr.h"

namespace
{

int rtldrHostClose(PRTLDRMODINTERNAL pMod)
{
    pMod->hNative = NIL_RTLDRMOD_NATIVE;
    return INF_SUCCESS;
}

int rtldrHostGetSymbol(PRTLDRMODINTERNAL pMod, const char *pszSymbol, void **ppvValue)
{
    (void)pMod;
    (void)pszSymbol;
    *ppvValue = NULL;
    return ERR_SYMBOL_NOT_FOUND;
}

int rtldrHostDone(PRTLDRMODINTERNAL pMod)
{
    (void)pMod;
    return INF_SUCCESS;
}

int rtldrHostEnumSymbols(PRTLDRMODINTERNAL pMod, void *pvUser)
{
    (void)pMod;
    (void)pvUser;
    return ERR_REQUEST_NOT_SUPPORTED;
}

} // namespace

const RTLDROPS g_rtldrNativeOps = {
    RTLDROPS_NATIVE_NAME, rtldrHostClose, rtldrHostGetSymbol, rtldrHostDone, rtldrHostEnumSymbols, NULL, {},
    RTLDROPS_END_MARKER,
};

int rtldrNativeLoadSystem(const char *pszName, const char *pszExt, uint32_t fFlags, PRTLDRMOD phLdrMod)
{
    (void)pszName;
    (void)pszExt;
    (void)fFlags;
    (void)phLdrMod;
    return ERR_NOT_IMPLEMENTED;
}

int rtldrNativeLoad(const char *pszPath, uintptr_t *phNative, uint32_t fFlags, RTERRINFO *pErrInfo)
{
    (void)pszPath;
    (void)phNative;
    (void)fFlags;
    return RTErrInfoSet(pErrInfo, ERR_NOT_IMPLEMENTED, "no system libraries in the host build");
}
