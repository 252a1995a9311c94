/** @file
 * File modes built from Windows attributes. Portable: the directory code and
 * the file information both use it, and every build checks it.
 */
#include <rt/file.h>
#include <rt/string.h>

namespace
{

char rtFsModeLowerAscii(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? (char)(ch - 'A' + 'a') : ch;
}

/** Whether the three characters at @a pchExt are @a pszLower, ignoring case. */
bool rtFsModeIsExt(const char *pchExt, const char *pszLower)
{
    for (unsigned i = 0; i < 3; i++)
        if (rtFsModeLowerAscii(pchExt[i]) != pszLower[i])
            return false;
    return true;
}

/** Names the system runs as programs get execute permission. */
bool rtFsModeIsExecutableName(const char *pszName, size_t cbName)
{
    if (!pszName)
        return false;
    size_t const cch = cbName ? RTStrNLen(pszName, cbName) : RTStrLen(pszName);
    if (cch < 4 || pszName[cch - 4] != '.')
        return false;
    const char *pchExt = &pszName[cch - 3];
    static const char s_aszExts[][4] = {"exe", "bat", "com", "cmd", "btm"};
    for (size_t i = 0; i < RT_ELEMENTS(s_aszExts); i++)
        if (rtFsModeIsExt(pchExt, s_aszExts[i]))
            return true;
    return false;
}

} /* namespace */

RTFMODE RTFsModeFromWinAttr(RTFMODE fMode, const char *pszName, size_t cbName, uint32_t uReparseTag, RTFMODE fType)
{
    fMode &= RTFS_DOS_MASK;
    if ((fType & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY)
        fMode |= RTFS_DOS_DIRECTORY;

    bool const fDirectory = (fMode & RTFS_DOS_DIRECTORY) != 0;
    if (fDirectory)
        fMode |= RTFS_TYPE_DIRECTORY | RTFS_UNIX_ALL_READ | RTFS_UNIX_ALL_EXEC;
    else if (rtFsModeIsExecutableName(pszName, cbName))
        fMode |= RTFS_TYPE_FILE | RTFS_UNIX_ALL_READ | RTFS_UNIX_ALL_EXEC;
    else
        fMode |= RTFS_TYPE_FILE | RTFS_UNIX_ALL_READ;

    if ((fMode & RTFS_DOS_NT_REPARSE_POINT) && uReparseTag == RTFS_REPARSE_TAG_SYMLINK)
        fMode = (fMode & ~RTFS_TYPE_MASK) | RTFS_TYPE_SYMLINK;

    /* Read-only means nothing for directories on Windows: they stay writable. */
    if (fDirectory || !(fMode & RTFS_DOS_READONLY))
        fMode |= RTFS_UNIX_ALL_WRITE;
    return fMode;
}
