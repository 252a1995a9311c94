/** @file
 * UTF-8 paths to the UTF-16 form the Win32 file calls take: plain while the
 * path is short enough for the Win32 layer's own length limit, the long
 * '\\?\' form otherwise. The rules are in win32pathform.cpp; this file asks
 * the system what they need.
 */
#include <rt/path-win.h>
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/nt.h"
#include "internal/ntpathtext.h"
#include "internal/win32pathform.h"

namespace
{

/**
 * The full path of the drive-relative path @a pwsz when it is short enough
 * for the plain form: sets *ppwszFull to a fresh copy, or leaves it null when
 * the long form is needed. Fails only for lack of memory.
 */
int rtPathWin32FullIfPlain(const RTUTF16 *pwsz, RTUTF16 **ppwszFull)
{
    *ppwszFull = NULL;
    WCHAR wszFull[RTPATHWIN32_FULL_PATH_BUF];
    DWORD cwcFull = GetFullPathNameW((LPCWSTR)pwsz, RTPATHWIN32_FULL_PATH_BUF, wszFull, NULL);
    if (cwcFull == 0 || cwcFull > RTPATHWIN32_PLAIN_MAX)
        return INF_SUCCESS;
    *ppwszFull = RTUtf16Dup((const RTUTF16 *)wszFull, RTMEM_TAG);
    return *ppwszFull ? INF_SUCCESS : ERR_NO_UTF16_MEMORY;
}

/**
 * Sets *ppwsz to the plain form of @a pwsz (@a cwc units, converted from
 * @a pszPath) when the path has one: @a pwsz itself, or the full path of a
 * drive-relative path (then @a pwsz has been freed). Leaves it null when the
 * long form is needed. Fails only for lack of memory, leaving @a pwsz to the caller.
 */
int rtPathWin32TryPlain(const char *pszPath, RTUTF16 *pwsz, size_t cwc, RTUTF16 **ppwsz)
{
    *ppwsz = NULL;
    switch (rtPathWin32PlainRule(pszPath, cwc))
    {
        case RTPATHWIN32PLAIN_NO:
            break;
        case RTPATHWIN32PLAIN_YES:
            *ppwsz = pwsz;
            break;
        case RTPATHWIN32PLAIN_IF_CWD_FITS:
            if (rtPathWin32RelativeFits(GetCurrentDirectoryW(0, NULL), cwc))
                *ppwsz = pwsz;
            break;
        case RTPATHWIN32PLAIN_IF_FULL_FITS:
        {
            int rc = rtPathWin32FullIfPlain(pwsz, ppwsz);
            if (*ppwsz)
                RTUtf16Free(pwsz);
            return rc;
        }
    }
    return INF_SUCCESS;
}

/** The long form: the native path with its '\??\' turned into '\\?\'. */
int rtPathWin32LongForm(const char *pszPath, RTUTF16 **ppwsz)
{
    RTNTPATHTEXT Text;
    rtNtPathTextInit(&Text);
    int rc = rtNtPathTextFromWin(&Text, pszPath, rtNtOsMajorVersion());
    if (RT_SUCCESS(rc))
        rc = rtPathWin32LongFromNtText(Text.psz);
    if (RT_SUCCESS(rc))
    {
        size_t cwc;
        rc = rtNtPathTextToUtf16(Text.psz, ppwsz, &cwc);
    }
    rtNtPathTextFree(&Text);
    return rc;
}

} // namespace

int RTPathToWin32(RTUTF16 **ppwszPath, const char *pszPath)
{
    if (!RT_VALID_PTR(ppwszPath))
        return ERR_INVALID_POINTER;
    *ppwszPath = NULL;
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;

    RTUTF16 *pwsz = NULL;
    size_t cwc = 0;
    int rc = RTStrToUtf16Ex(pszPath, RTSTR_MAX, &pwsz, 0, &cwc, RTMEM_TAG);
    if (RT_FAILURE(rc))
        return rc;

    RTUTF16 *pwszPlain = NULL;
    rc = rtPathWin32TryPlain(pszPath, pwsz, cwc, &pwszPlain);
    if (pwszPlain)
    {
        *ppwszPath = pwszPlain;
        return INF_SUCCESS;
    }
    RTUtf16Free(pwsz);
    if (RT_FAILURE(rc))
        return rc;
    return rtPathWin32LongForm(pszPath, ppwszPath);
}

void RTPathWin32Free(RTUTF16 *pwszPath)
{
    RTUtf16Free(pwszPath);
}
