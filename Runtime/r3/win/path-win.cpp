/** @file
 * Current directory and renaming on Windows.
 */
#include <windows.h>
#include <rt/path.h>
#include <rt/path-win.h>
#include <rt/mem.h>
#include <rt/utf16.h>
#include "internal/path.h"

namespace
{

int rtPathLastError(void)
{
    return RTErrConvertFromWinError(GetLastError());
}

/**
 * Gets the full form of @a pwszPath (GetFullPathNameW) and converts it into
 * the caller's UTF-8 buffer.
 */
int rtPathFullToUtf8(const RTUTF16 *pwszPath, char *pszPath, size_t cbPath)
{
    RTUTF16 *pwszFull = (RTUTF16 *)RTMemAllocTag(RTPATH_MAX * sizeof(RTUTF16), RTMEM_TAG);
    if (!pwszFull)
        return ERR_NO_TMP_MEMORY;
    int rc;
    DWORD cwc = GetFullPathNameW((LPCWSTR)pwszPath, RTPATH_MAX, (LPWSTR)pwszFull, NULL);
    if (cwc == 0)
        rc = rtPathLastError();
    else if (cwc >= RTPATH_MAX)
        rc = ERR_FILENAME_TOO_LONG;
    else
        rc = RTUtf16ToUtf8Ex(pwszFull, RTSTR_MAX, &pszPath, cbPath, NULL, RTMEM_TAG);
    RTMemFree(pwszFull);
    return rc;
}

} // namespace

int rtPathNativeGetCurrent(char *pszPath, size_t cbPath)
{
    RTUTF16 *pwszCwd = (RTUTF16 *)RTMemAllocTag(RTPATH_MAX * sizeof(RTUTF16), RTMEM_TAG);
    if (!pwszCwd)
        return ERR_NO_TMP_MEMORY;
    int rc;
    DWORD cwc = GetCurrentDirectoryW(RTPATH_MAX, (LPWSTR)pwszCwd);
    if (cwc == 0)
        rc = rtPathLastError();
    else if (cwc >= RTPATH_MAX) /* the size it would need: more than the wide buffers take */
        rc = ERR_FILENAME_TOO_LONG;
    else
        rc = rtPathFullToUtf8(pwszCwd, pszPath, cbPath);
    RTMemFree(pwszCwd);
    return rc;
}

int rtPathNativeGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath)
{
    RTUTF16 const wszDrive[] = {(RTUTF16)chDrive, ':', '\0'};
    return rtPathFullToUtf8(wszDrive, pszPath, cbPath);
}

int rtPathNativeSetCurrent(const char *pszPath)
{
    RTUTF16 *pwszPath;
    int rc = RTPathToWin32(&pwszPath, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    if (!SetCurrentDirectoryW((LPCWSTR)pwszPath))
        rc = rtPathLastError();
    RTPathWin32Free(pwszPath);
    return rc;
}

int RTPathRename(const char *pszSrc, const char *pszDst, uint32_t fRename, uint32_t fFileType)
{
    if (!RT_VALID_PTR(pszSrc) || !RT_VALID_PTR(pszDst))
        return ERR_INVALID_POINTER;

    RTUTF16 *pwszSrc;
    int rc = RTPathToWin32(&pwszSrc, pszSrc);
    if (RT_FAILURE(rc))
        return rc;
    RTUTF16 *pwszDst;
    rc = RTPathToWin32(&pwszDst, pszDst);
    if (RT_SUCCESS(rc))
    {
        if (fFileType & RTPATH_RENAME_TYPE_MASK)
        {
            DWORD fAttribs = GetFileAttributesW((LPCWSTR)pwszSrc);
            bool const fWantDir = (fFileType & RTPATH_RENAME_TYPE_MASK) == RTPATH_RENAME_TYPE_DIRECTORY;
            if (fAttribs == INVALID_FILE_ATTRIBUTES)
                rc = rtPathLastError();
            else if (fWantDir && !(fAttribs & FILE_ATTRIBUTE_DIRECTORY))
                rc = ERR_NOT_A_DIRECTORY;
            else if (!fWantDir && (fAttribs & FILE_ATTRIBUTE_DIRECTORY))
                rc = ERR_IS_A_DIRECTORY;
        }
        if (RT_SUCCESS(rc) && !MoveFileExW((LPCWSTR)pwszSrc, (LPCWSTR)pwszDst, fRename))
            rc = rtPathLastError();
        RTPathWin32Free(pwszDst);
    }
    RTPathWin32Free(pwszSrc);
    return rc;
}
