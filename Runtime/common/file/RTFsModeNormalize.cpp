/** @file
 * Completing a file mode so that its Unix and Windows halves agree.
 */
#include <rt/dir.h>
#include <rt/string.h>
#include "internal/path.h"

namespace
{

/** Whether the file-name part of the first @a cchName bytes starts with '.' and is neither "." nor "..". */
bool rtFsModeIsHiddenName(const char *pszName, size_t cchName)
{
    size_t offName = cchName;
    while (offName > 0 && !rtPathIsNameBoundary(pszName[offName - 1]))
        offName--;
    size_t const cchFile = cchName - offName;
    const char *pchFile = pszName + offName;
    if (cchFile == 0 || pchFile[0] != '.')
        return false;
    if (cchFile == 1 || (cchFile == 2 && pchFile[1] == '.'))
        return false;
    return true;
}

/** A mode that has Windows attributes: the type follows the directory attribute and vice versa. */
RTFMODE rtFsModeCompleteFromAttributes(RTFMODE fMode)
{
    if (!(fMode & RTFS_TYPE_MASK))
        fMode |= fMode & RTFS_DOS_DIRECTORY ? RTFS_TYPE_DIRECTORY : RTFS_TYPE_FILE;
    if ((fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY)
        fMode |= RTFS_DOS_DIRECTORY;
    return fMode;
}

/** A mode with Unix bits only: the attributes are derived from the type and the permissions. */
RTFMODE rtFsModeCompleteFromUnix(RTFMODE fMode, const char *pszName, size_t cchName, RTFMODE fType)
{
    if (!(fMode & RTFS_TYPE_MASK))
        fMode |= fType & RTFS_TYPE_MASK;
    if (!(fMode & RTFS_UNIX_ALL_WRITE))
        fMode |= RTFS_DOS_READONLY;
    if ((fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY)
        fMode |= RTFS_DOS_DIRECTORY;
    if (!(fMode & RTFS_DOS_MASK))
        fMode |= RTFS_DOS_NT_NORMAL;
    if (pszName && rtFsModeIsHiddenName(pszName, cchName))
        fMode |= RTFS_DOS_HIDDEN;
    return fMode;
}

} // namespace

RTFMODE RTFsModeNormalize(RTFMODE fMode, const char *pszName, size_t cchName, RTFMODE fType)
{
    if (pszName && !RT_VALID_PTR(pszName))
        pszName = NULL;
    if (pszName && cchName == 0)
        cchName = RTStrLen(pszName);
    if (!(fMode & (RTFS_UNIX_MASK | RTFS_TYPE_MASK)))
        return RTFsModeFromWinAttr(fMode, pszName, cchName, 0, fType);
    if (fMode & RTFS_DOS_MASK)
        return rtFsModeCompleteFromAttributes(fMode);
    return rtFsModeCompleteFromUnix(fMode, pszName, cchName, fType);
}

bool RTFsModeIsConsistent(RTFMODE fMode)
{
    bool const fDirType = (fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY;
    bool const fDirAttr = (fMode & RTFS_DOS_DIRECTORY) != 0;
    return fDirType == fDirAttr;
}
