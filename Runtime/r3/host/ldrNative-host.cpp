/** @file
 * System libraries in the host build: there are none to load, so every load
 * fails with ERR_NOT_IMPLEMENTED after the portable checks have run.
 */
#include <rt/err.h>
#include "internal/ldr.h"

namespace
{

int hostClose(PRTLDRMODINTERNAL pMod)
{
    pMod->hNative = NIL_RTLDRMOD_NATIVE;
    return INF_SUCCESS;
}

int hostGetSymbol(PRTLDRMODINTERNAL pMod, const char *pszSymbol, void **ppvValue)
{
    (void)pMod;
    (void)pszSymbol;
    *ppvValue = NULL;
    return ERR_SYMBOL_NOT_FOUND;
}

int hostDone(PRTLDRMODINTERNAL pMod)
{
    (void)pMod;
    return INF_SUCCESS;
}

int hostEnumSymbols(PRTLDRMODINTERNAL pMod, void *pvUser)
{
    (void)pMod;
    (void)pvUser;
    return ERR_REQUEST_NOT_SUPPORTED;
}

} // namespace

const RTLDROPS g_rtldrNativeOps = {
    RTLDROPS_NATIVE_NAME, hostClose, hostGetSymbol, hostDone, hostEnumSymbols, NULL, {}, RTLDROPS_END_MARKER,
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
