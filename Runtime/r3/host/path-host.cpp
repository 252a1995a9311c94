/** @file
 * Current directory for the host build: the text kept by the shim stands in
 * for the process's current directory and the per-drive ones.
 */
#include <stdlib.h>
#include <string.h>
#include <rt/path.h>
#include "internal/path.h"
#include "internal/path-shim.h"

namespace
{

char *g_pszShimCwd;
char *g_apszShimDriveCwd[26];

const char *rtPathShimCwd(void)
{
    return g_pszShimCwd ? g_pszShimCwd : "C:\\";
}

int rtPathShimStore(char **ppszSlot, const char *pszPath)
{
    char *pszNew = NULL;
    if (pszPath)
    {
        pszNew = strdup(pszPath);
        if (!pszNew)
            return ERR_NO_MEMORY;
    }
    free(*ppszSlot);
    *ppszSlot = pszNew;
    return INF_SUCCESS;
}

int rtPathShimCopyOut(const char *pszSrc, char *pszPath, size_t cbPath)
{
    size_t const cch = strlen(pszSrc);
    if (cch >= cbPath)
    {
        memcpy(pszPath, pszSrc, cbPath - 1);
        pszPath[cbPath - 1] = '\0';
        return ERR_BUFFER_OVERFLOW;
    }
    memcpy(pszPath, pszSrc, cch + 1);
    return INF_SUCCESS;
}

} // namespace

void rtPathShimReset(void)
{
    rtPathShimStore(&g_pszShimCwd, NULL);
    for (char *&pszDrive : g_apszShimDriveCwd)
        rtPathShimStore(&pszDrive, NULL);
}

int rtPathShimSetCurrent(const char *pszPath)
{
    int rc = rtPathShimStore(&g_pszShimCwd, pszPath);
    if (RT_SUCCESS(rc) && pszPath && rtPathStartsWithDrive(pszPath))
        rc = rtPathShimSetDriveCurrent(pszPath[0], pszPath);
    return rc;
}

int rtPathShimSetDriveCurrent(char chDrive, const char *pszPath)
{
    if (!rtPathIsLetter(chDrive))
        return ERR_INVALID_PARAMETER;
    return rtPathShimStore(&g_apszShimDriveCwd[rtPathUpper(chDrive) - 'A'], pszPath);
}

int rtPathNativeGetCurrent(char *pszPath, size_t cbPath)
{
    return rtPathShimCopyOut(rtPathShimCwd(), pszPath, cbPath);
}

int rtPathNativeGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath)
{
    const char *pszCwd = rtPathShimCwd();
    if (rtPathStartsWithDrive(pszCwd) && rtPathUpper(pszCwd[0]) == rtPathUpper(chDrive))
        return rtPathShimCopyOut(pszCwd, pszPath, cbPath);
    const char *pszDrive = g_apszShimDriveCwd[rtPathUpper(chDrive) - 'A'];
    if (pszDrive)
        return rtPathShimCopyOut(pszDrive, pszPath, cbPath);
    char const szRoot[] = {rtPathUpper(chDrive), ':', '\\', '\0'};
    return rtPathShimCopyOut(szRoot, pszPath, cbPath);
}

int rtPathNativeSetCurrent(const char *pszPath)
{
    /* Like the system, take a relative path from the current directory; the
     * result is stored as it comes, so the shared rules show in host tests. */
    size_t cbAbs = RTPATH_MAX;
    char *pszAbs = NULL;
    int rc = ERR_BUFFER_OVERFLOW;
    for (unsigned iTry = 0; iTry < 8 && rc == ERR_BUFFER_OVERFLOW; iTry++)
    {
        free(pszAbs);
        pszAbs = (char *)malloc(cbAbs);
        if (!pszAbs)
            return ERR_NO_MEMORY;
        rc = RTPathAbsEx(NULL, pszPath, RTPATH_STYLE_HOST, pszAbs, &cbAbs);
    }
    if (RT_SUCCESS(rc))
        rc = rtPathShimSetCurrent(pszAbs);
    free(pszAbs);
    return rc;
}
