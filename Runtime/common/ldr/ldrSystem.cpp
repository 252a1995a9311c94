/** @file
 * Loading system libraries by bare name: the checks of the name and flags,
 * and the one-call symbol look-up.
 */
#include <rt/ldr.h>
#include <rt/err.h>
#include <rt/path.h>
#include <rt/string.h>
#include "internal/ldr.h"

namespace
{

/** Names this long or longer are refused: no system library has one. */
const size_t g_cchNameLimit = 3075;
/** Load flags RTLdrOpenSystemLibraryEx refuses outright. */
const uint32_t g_fSystemFlagsRefused = UINT32_C(0xff0);

/** ".DLL" for a name without suffix, else nothing. */
const char *rtldrSystemLibraryExtension(const char *pszName)
{
    return RTPathSuffix(pszName) ? NULL : ".DLL";
}

} // namespace

int rtldrCheckSystemLibraryName(const char *pszName)
{
    if (!RT_VALID_PTR(pszName))
        return ERR_INVALID_PARAMETER;
    /* A separator or a drive would let the name leave the system directory;
     * an empty name would make the directory itself the file name. */
    if (pszName[0] == '\0' || RTPathHasPath(pszName))
        return ERR_INVALID_PARAMETER;
    return INF_SUCCESS;
}

int RTLdrOpenSystemLibrary(const char *pszName, bool fNoUnload, PRTLDRMOD phLdrMod)
{
    return RTLdrOpenSystemLibraryEx(pszName, fNoUnload ? RTLDRLOAD_F_NO_UNLOAD : 0, phLdrMod);
}

int RTLdrOpenSystemLibraryEx(const char *pszName, uint32_t fFlags, PRTLDRMOD phLdrMod)
{
    if (!RT_VALID_PTR(phLdrMod))
        return ERR_INVALID_PARAMETER;
    *phLdrMod = NIL_RTLDRMOD;
    int rc = rtldrCheckSystemLibraryName(pszName);
    if (RT_FAILURE(rc))
        return rc;
    if (fFlags & g_fSystemFlagsRefused)
        return ERR_INVALID_FLAGS;
    if (RTStrNLen(pszName, g_cchNameLimit) >= g_cchNameLimit)
        return ERR_INVALID_PARAMETER;
    return rtldrNativeLoadSystem(pszName, rtldrSystemLibraryExtension(pszName), fFlags, phLdrMod);
}

void *RTLdrFindSystemSymbol(const char *pszName, const char *pszSymbol)
{
    if (RT_FAILURE(rtldrCheckSystemLibraryName(pszName)) || RTStrNLen(pszName, g_cchNameLimit) >= g_cchNameLimit)
        return NULL;
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    if (RT_FAILURE(
            rtldrNativeLoadSystem(pszName, rtldrSystemLibraryExtension(pszName), RTLDRLOAD_F_NO_UNLOAD, &hLdrMod)))
        return NULL;
    void *pvValue = NULL;
    int const rc = RTLdrLookupSymbol(hLdrMod, pszSymbol, &pvValue);
    /* The library stays loaded (RTLDRLOAD_F_NO_UNLOAD), so the address stays good. */
    RTLdrCloseModule(hLdrMod);
    return RT_SUCCESS(rc) ? pvValue : NULL;
}
