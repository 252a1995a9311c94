/** @file
 * UTF-8 paths to the UTF-16 form the Win32 file calls take: plain while the
 * path is short enough for the Win32 layer's own length limit, the long
 * '\\?\' form otherwise.
 */
#include <rt/path-win.h>
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/string.h>
#include <rt/utf16.h>

namespace
{

/** Longest path passed in plain form; the Win32 layer's limit is 260 with the terminator,
 * and some calls (CreateDirectoryW) keep room for an 8.3 file name below it. */
const size_t g_cwcPlainMax = 243;
/** Root-relative and '\\' paths get the current drive (2 more units) put in front. */
const size_t g_cwcPlainRootRelMax = 241;
/** UNC and '\\?\' paths may be rewritten with a longer prefix. */
const size_t g_cwcPlainUncMax = 240;
/** The current directory's length (with terminator) plus a relative path must not exceed this. */
const size_t g_cwcPlainRelMax = 242;
/** GetFullPathNameW's buffer for drive-relative paths. */
const size_t g_cwcFullPathBuf = 261;

enum RTWIN32PATHFORM
{
    /** 'X:\...': passed as it is. */
    RTWIN32PATHFORM_DRIVE_ABS,
    /** 'X:...': expanded to its full path. */
    RTWIN32PATHFORM_DRIVE_REL,
    /** '\x', or '\\' followed by the end or another separator. */
    RTWIN32PATHFORM_ROOT_REL,
    /** '\\server...' or '\\?\...'. */
    RTWIN32PATHFORM_UNC,
    /** '\\?' followed by anything but a separator: passed as it is. */
    RTWIN32PATHFORM_QUESTION_OTHER,
    /** Everything else: relative to the current directory. */
    RTWIN32PATHFORM_RELATIVE
};

bool rtPathWin32IsSep(RTUTF16 wc)
{
    return wc == '\\' || wc == '/';
}

bool rtPathWin32IsLetter(RTUTF16 wc)
{
    return (wc >= 'A' && wc <= 'Z') || (wc >= 'a' && wc <= 'z');
}

RTWIN32PATHFORM rtPathWin32Form(const RTUTF16 *pwsz)
{
    if (rtPathWin32IsLetter(pwsz[0]) && pwsz[1] == ':')
        return rtPathWin32IsSep(pwsz[2]) ? RTWIN32PATHFORM_DRIVE_ABS : RTWIN32PATHFORM_DRIVE_REL;
    if (!rtPathWin32IsSep(pwsz[0]))
        return RTWIN32PATHFORM_RELATIVE;
    if (!rtPathWin32IsSep(pwsz[1]))
        return RTWIN32PATHFORM_ROOT_REL;
    if (pwsz[2] == '\0' || rtPathWin32IsSep(pwsz[2]))
        return RTWIN32PATHFORM_ROOT_REL;
    if (pwsz[2] == '?' && !rtPathWin32IsSep(pwsz[3]))
        return RTWIN32PATHFORM_QUESTION_OTHER;
    return RTWIN32PATHFORM_UNC;
}

/**
 * Sets *ppwsz to the plain form of @a pwsz (@a cwc units) when the path has
 * one: @a pwsz itself, or the full path of a drive-relative path (then @a pwsz
 * has been freed). Leaves it null when the long form is needed. Fails only
 * for lack of memory, leaving @a pwsz to the caller.
 */
int rtPathWin32TryPlain(RTUTF16 *pwsz, size_t cwc, RTUTF16 **ppwsz)
{
    *ppwsz = NULL;
    if (cwc > g_cwcPlainMax)
        return INF_SUCCESS;
    bool fPlain = false;
    switch (rtPathWin32Form(pwsz))
    {
        case RTWIN32PATHFORM_DRIVE_ABS:
        case RTWIN32PATHFORM_QUESTION_OTHER:
            fPlain = true;
            break;
        case RTWIN32PATHFORM_ROOT_REL:
            fPlain = cwc <= g_cwcPlainRootRelMax;
            break;
        case RTWIN32PATHFORM_UNC:
            fPlain = cwc <= g_cwcPlainUncMax;
            break;
        case RTWIN32PATHFORM_RELATIVE:
            fPlain = GetCurrentDirectoryW(0, NULL) + cwc <= g_cwcPlainRelMax;
            break;
        case RTWIN32PATHFORM_DRIVE_REL:
        {
            WCHAR wszFull[g_cwcFullPathBuf];
            DWORD cwcFull = GetFullPathNameW((LPCWSTR)pwsz, (DWORD)g_cwcFullPathBuf, wszFull, NULL);
            if (cwcFull == 0 || cwcFull > g_cwcPlainMax)
                return INF_SUCCESS;
            RTUTF16 *pwszFull = RTUtf16Dup((const RTUTF16 *)wszFull, RTMEM_TAG);
            if (!pwszFull)
                return ERR_NO_UTF16_MEMORY;
            RTUtf16Free(pwsz);
            *ppwsz = pwszFull;
            return INF_SUCCESS;
        }
    }
    if (fPlain)
        *ppwsz = pwsz;
    return INF_SUCCESS;
}

/** The long form: the native path with its '\??\' turned into '\\?\'. */
int rtPathWin32LongForm(const char *pszPath, RTUTF16 **ppwsz)
{
    RTNTPATH NtName;
    HANDLE hRootDir;
    int rc = RTNtPathFromWinUtf8(&NtName, &hRootDir, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    RTUTF16 *pwsz = (RTUTF16 *)NtName.Buffer;
    if (NtName.Length < 4 * sizeof(RTUTF16) || pwsz[0] != '\\' || pwsz[1] != '?' || pwsz[2] != '?' || pwsz[3] != '\\')
    {
        /* A raw native path, or one under '\DosDevices\': Win32 has no way to say it. */
        RTNtPathFree(&NtName);
        return ERR_FILENAME_TOO_LONG;
    }
    pwsz[1] = '\\';
    *ppwsz = pwsz;
    return INF_SUCCESS;
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
    rc = rtPathWin32TryPlain(pwsz, cwc, &pwszPlain);
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
