/** @file
 * Renaming files on Windows: the path layer's rename, held to regular files.
 */
#include <windows.h>
#include <rt/file.h>
#include <rt/err.h>
#include <rt/path.h>

int RTFileRename(const char *pszSrc, const char *pszDst, uint32_t fRename)
{
    if (!RT_VALID_PTR(pszSrc) || !RT_VALID_PTR(pszDst))
        return ERR_INVALID_POINTER;
    if (fRename & ~RTFILE_RENAME_REPLACE)
        return ERR_INVALID_PARAMETER;
    DWORD const fMove = fRename & RTFILE_RENAME_REPLACE ? MOVEFILE_REPLACE_EXISTING : 0;
    return RTPathRename(pszSrc, pszDst, fMove, RTFS_TYPE_FILE);
}
