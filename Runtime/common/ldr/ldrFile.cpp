/** @file
 * Loading a library by its absolute path through the system's loader.
 */
#include <rt/ldr.h>
#include <rt/err.h>
#include <rt/mem.h>
#include "internal/ldr.h"

int RTLdrOpenFile(const char *pszPath, PRTLDRMOD phLdrMod, uint32_t fFlags, RTERRINFO *pErrInfo)
{
    RTErrInfoClear(pErrInfo);
    if (!RT_VALID_PTR(pszPath) || !RT_VALID_PTR(phLdrMod))
        return ERR_INVALID_POINTER;
    *phLdrMod = NIL_RTLDRMOD;
    if (fFlags & ~RTLDRLOAD_F_VALID_MASK)
        return ERR_INVALID_PARAMETER;

    PRTLDRMODINTERNAL pMod = (PRTLDRMODINTERNAL)RTMemAllocZTag(sizeof(*pMod), RTMEM_TAG);
    if (!pMod)
        return RTErrInfoSetF(pErrInfo, ERR_NO_MEMORY, "Failed to allocate %zu bytes for the module handle",
                             sizeof(*pMod));
    pMod->u32Magic = RTLDRMOD_MAGIC;
    pMod->enmState = RTLDRSTATE_OPENED;
    pMod->pOps = &g_rtldrNativeOps;
    pMod->pReader = NULL;
    pMod->enmFormat = RTLDRFMT_NATIVE;
    pMod->enmType = RTLDRTYPE_SHARED_LIBRARY;
    pMod->enmEndian = RTLDRENDIAN_LITTLE;
    pMod->enmArch = RTLDRARCH_HOST;
    pMod->hNative = NIL_RTLDRMOD_NATIVE;
    pMod->fFlags = fFlags;

    int const rc = rtldrNativeLoad(pszPath, &pMod->hNative, fFlags, pErrInfo);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pMod);
        return rc;
    }
    *phLdrMod = pMod;
    return INF_SUCCESS;
}
