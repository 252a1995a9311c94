/** @file
 * UTF-8 to the active ANSI code page, for the few interfaces that take
 * ANSI text.
 */
#include <windows.h>
#include <rt/string.h>
#include "internal/utf.h"
#include <rt/utf16.h>
#include <rt/mem.h>

namespace
{

/** Converts validated UTF-16 to a fresh ANSI string. */
int rtStrUtf16ToAnsi(char **ppszAnsi, const RTUTF16 *pwsz, const char *pszTag)
{
    int cbAnsi = WideCharToMultiByte(CP_ACP, 0, (LPCWCH)pwsz, -1, NULL, 0, NULL, NULL);
    if (cbAnsi <= 0)
        return RTErrConvertFromWinError(GetLastError());
    char *pszAnsi = (char *)RTMemAllocTag((size_t)cbAnsi, pszTag);
    if (!pszAnsi)
        return ERR_NO_TMP_MEMORY;
    if (WideCharToMultiByte(CP_ACP, 0, (LPCWCH)pwsz, -1, pszAnsi, cbAnsi, NULL, NULL) <= 0)
    {
        int rc = RTErrConvertFromWinError(GetLastError());
        RTMemFree(pszAnsi);
        return rc;
    }
    *ppszAnsi = pszAnsi;
    return INF_SUCCESS;
}

} // namespace

int RTStrUtf8ToAnsi(char **ppszAnsi, const char *pszUtf8, const char *pszTag)
{
    if (!RT_VALID_PTR(ppszAnsi))
        return ERR_INVALID_POINTER;
    *ppszAnsi = NULL;
    if (!RT_VALID_PTR(pszUtf8))
        return ERR_INVALID_POINTER;
    if (GetACP() == CP_UTF8)
        return rtStrUtf8ToAnsiDup(ppszAnsi, pszUtf8, pszTag);

    RTUTF16 *pwsz;
    int rc = RTStrToUtf16(pszUtf8, &pwsz, pszTag);
    if (RT_FAILURE(rc))
        return rc;
    rc = rtStrUtf16ToAnsi(ppszAnsi, pwsz, pszTag);
    RTUtf16Free(pwsz);
    return rc;
}
