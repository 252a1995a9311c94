/** @file
 * Directories on Windows: creating them (private ones with their own
 * descriptor) and removing them through the Win32 calls, and the case folding
 * file names compare with.
 */
#include <windows.h>
#include <rt/dir.h>
#include <rt/path-win.h>
#include "internal/dir.h"
#include "internal/dir-win.h"
#include "internal/file.h"

extern "C" WCHAR NTAPI RtlUpcaseUnicodeChar(WCHAR wc);

int RTDirCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;
    if (fCreate & ~RTDIRCREATE_F_VALID_MASK)
        return ERR_INVALID_FLAGS;
    /* Only whether the mode is private counts here, but a contradictory one is still a caller's mistake. */
    fMode = RTFsModeNormalize(fMode, pszPath, 0, RTFS_TYPE_DIRECTORY);
    if (!RTFsModeIsConsistent(fMode))
        return ERR_INVALID_FMODE;

    RTDIRPRIVATESD PrivateSd;
    SECURITY_ATTRIBUTES PrivateAttrs = {sizeof(PrivateAttrs), &PrivateSd.Sd, FALSE};
    SECURITY_ATTRIBUTES *pAttrs = NULL;
    if (rtDirWinIsPrivateMode(fMode))
    {
        int rc = rtDirWinInitPrivateSd(&PrivateSd);
        if (RT_FAILURE(rc))
            return rc;
        pAttrs = &PrivateAttrs;
    }

    RTUTF16 *pwszPath = NULL;
    int rc = RTPathToWin32(&pwszPath, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    if (!CreateDirectoryW((LPCWSTR)pwszPath, pAttrs))
        rc = RTErrConvertFromWinError(GetLastError());
    else if (!(fCreate & RTDIRCREATE_F_KEEP_INDEXED))
    {
        int rcMark = rtFileSetNotContentIndexed(pwszPath);
        if (RT_FAILURE(rcMark) && !(fCreate & RTDIRCREATE_F_INDEX_ATTR_OPTIONAL))
            rc = rcMark;
    }
    RTPathWin32Free(pwszPath);
    return rc;
}

int RTDirRemove(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;
    RTUTF16 *pwszPath = NULL;
    int rc = RTPathToWin32(&pwszPath, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    if (!RemoveDirectoryW((LPCWSTR)pwszPath))
        rc = RTErrConvertFromWinError(GetLastError());
    RTPathWin32Free(pwszPath);
    return rc;
}

RTUNICP rtDirFoldUpper(RTUNICP uc)
{
    /* The system's table covers the basic plane, which is where file systems fold. */
    if (uc > 0xffff || (uc >= 0xd800 && uc <= 0xdfff))
        return uc;
    return RtlUpcaseUnicodeChar((WCHAR)uc);
}
