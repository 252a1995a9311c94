/** @file
 * The plain and long forms of Win32 paths: which paths Win32 takes as they
 * are, and the long form made from a native path.
 */
#include <rt/err.h>
#include "internal/path.h"
#include "internal/win32pathform.h"

namespace
{

/** Root-relative and '\\' paths get the current drive (2 more units) put in front. */
const size_t g_cwcPlainRootRelMax = 241;
/** UNC and '\\?\' paths may be rewritten with a longer prefix. */
const size_t g_cwcPlainUncMax = 240;
/** The current directory's length (with terminator) plus a relative path must not exceed this. */
const size_t g_cwcPlainRelMax = 242;

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

RTWIN32PATHFORM rtPathWin32Form(const char *psz)
{
    if (rtPathStartsWithDrive(psz))
        return rtPathIsDosSep(psz[2]) ? RTWIN32PATHFORM_DRIVE_ABS : RTWIN32PATHFORM_DRIVE_REL;
    if (!rtPathIsDosSep(psz[0]))
        return RTWIN32PATHFORM_RELATIVE;
    if (!rtPathIsDosSep(psz[1]))
        return RTWIN32PATHFORM_ROOT_REL;
    if (psz[2] == '\0' || rtPathIsDosSep(psz[2]))
        return RTWIN32PATHFORM_ROOT_REL;
    if (psz[2] == '?' && !rtPathIsDosSep(psz[3]))
        return RTWIN32PATHFORM_QUESTION_OTHER;
    return RTWIN32PATHFORM_UNC;
}

} // namespace

RTPATHWIN32PLAIN rtPathWin32PlainRule(const char *pszPath, size_t cwc)
{
    if (cwc > RTPATHWIN32_PLAIN_MAX)
        return RTPATHWIN32PLAIN_NO;
    switch (rtPathWin32Form(pszPath))
    {
        case RTWIN32PATHFORM_DRIVE_ABS:
        case RTWIN32PATHFORM_QUESTION_OTHER:
            return RTPATHWIN32PLAIN_YES;
        case RTWIN32PATHFORM_ROOT_REL:
            return cwc <= g_cwcPlainRootRelMax ? RTPATHWIN32PLAIN_YES : RTPATHWIN32PLAIN_NO;
        case RTWIN32PATHFORM_UNC:
            return cwc <= g_cwcPlainUncMax ? RTPATHWIN32PLAIN_YES : RTPATHWIN32PLAIN_NO;
        case RTWIN32PATHFORM_RELATIVE:
            return RTPATHWIN32PLAIN_IF_CWD_FITS;
        case RTWIN32PATHFORM_DRIVE_REL:
            return RTPATHWIN32PLAIN_IF_FULL_FITS;
    }
    return RTPATHWIN32PLAIN_NO;
}

bool rtPathWin32RelativeFits(size_t cwcCwdWithTerm, size_t cwc)
{
    return cwcCwdWithTerm + cwc <= g_cwcPlainRelMax;
}

int rtPathWin32LongFromNtText(char *pszNtText)
{
    if (pszNtText[0] != '\\' || pszNtText[1] != '?' || pszNtText[2] != '?' || pszNtText[3] != '\\')
        return ERR_FILENAME_TOO_LONG; /* Win32 has no way to say it */
    pszNtText[1] = '\\';
    return INF_SUCCESS;
}
