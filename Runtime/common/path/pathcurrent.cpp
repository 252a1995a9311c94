/** @file
 * The current-directory operations both builds share: argument checks, the
 * upper-case drive letter of RTPathGetCurrent and the trailing separator
 * RTPathSetCurrent drops. The system side is rtPathNativeGetCurrent,
 * rtPathNativeGetCurrentOnDrive and rtPathNativeSetCurrent.
 */
#include <rt/path.h>
#include <rt/mem.h>
#include <rt/string.h>
#include "internal/path.h"

int RTPathGetCurrent(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;
    if (!cbPath)
        return ERR_BUFFER_OVERFLOW;
    int rc = rtPathNativeGetCurrent(pszPath, cbPath);
    /* A cut-off answer keeps the letter's case as the full one would have it. */
    if ((RT_SUCCESS(rc) || rc == ERR_BUFFER_OVERFLOW) && rtPathStartsWithDrive(pszPath))
        pszPath[0] = rtPathUpper(pszPath[0]);
    return rc;
}

int RTPathGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;
    if (!cbPath)
        return ERR_BUFFER_OVERFLOW;
    if (!rtPathIsLetter(chDrive))
        return ERR_INVALID_PARAMETER;
    return rtPathNativeGetCurrentOnDrive(chDrive, pszPath, cbPath);
}

size_t rtPathSetCurrentLength(const char *pszPath)
{
    size_t const cch = RTStrLen(pszPath);
    if (cch > 1 && rtPathIsDosSep(pszPath[cch - 1]) && pszPath[cch - 2] != ':')
        return cch - 1;
    return cch;
}

int RTPathSetCurrent(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;
    if (!*pszPath)
        return ERR_INVALID_PARAMETER;

    size_t const cch = rtPathSetCurrentLength(pszPath);
    if (!pszPath[cch])
        return rtPathNativeSetCurrent(pszPath);
    char *pszTrimmed = RTStrDupN(pszPath, cch, RTMEM_TAG);
    if (!pszTrimmed)
        return ERR_NO_STR_MEMORY;
    int rc = rtPathNativeSetCurrent(pszTrimmed);
    RTStrFree(pszTrimmed);
    return rc;
}
