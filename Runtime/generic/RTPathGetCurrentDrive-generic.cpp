/** @file
 * The current drive, cut from the current directory.
 */
#include <rt/path.h>
#include <rt/mem.h>
#include <rt/string.h>
#include "internal/path.h"

namespace
{

/** Room for any current directory when the caller's buffer is too small for it. */
const size_t g_cbCwdTmp = 65536;

size_t rtPathNameRunLen(const char *psz)
{
    size_t cch = 0;
    while (psz[cch] && !rtPathIsDosSep(psz[cch]))
        cch++;
    return cch;
}

/** Length of the drive part of a current directory ('X:' or '\\server\share'), 0 when it has neither. */
size_t rtPathDriveSpecLen(const char *pszCwd)
{
    if (rtPathStartsWithDrive(pszCwd))
        return 2;
    if (!rtPathIsDosSep(pszCwd[0]) || !rtPathIsDosSep(pszCwd[1]))
        return 0;
    size_t cchServer = rtPathNameRunLen(&pszCwd[2]);
    if (!cchServer)
        return 0;
    size_t off = 2 + cchServer;
    size_t offShare = off;
    while (rtPathIsDosSep(pszCwd[offShare]))
        offShare++;
    size_t cchShare = rtPathNameRunLen(&pszCwd[offShare]);
    return cchShare ? offShare + cchShare : off;
}

} // namespace

int RTPathGetCurrentDrive(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;

    char *pszTmp = NULL;
    char *pszCwd = pszPath;
    int rc = RTPathGetCurrent(pszPath, cbPath);
    if (rc == ERR_BUFFER_OVERFLOW)
    {
        pszTmp = (char *)RTMemAllocTag(g_cbCwdTmp, RTMEM_TAG);
        if (!pszTmp)
            return ERR_NO_TMP_MEMORY;
        pszCwd = pszTmp;
        rc = RTPathGetCurrent(pszTmp, g_cbCwdTmp);
    }
    if (RT_SUCCESS(rc))
    {
        size_t const cchDrive = rtPathDriveSpecLen(pszCwd);
        if (!cchDrive)
            rc = ERR_INTERNAL_ERROR_4;
        else if (!pszTmp)
            pszPath[cchDrive] = '\0';
        else if (cchDrive < cbPath)
        {
            for (size_t i = 0; i < cchDrive; i++)
                pszPath[i] = pszTmp[i];
            pszPath[cchDrive] = '\0';
        }
        else
            rc = ERR_BUFFER_OVERFLOW;
    }
    if (RT_FAILURE(rc) && cbPath)
        pszPath[0] = '\0';
    RTMemFree(pszTmp);
    return rc;
}
