/** @file
 * The not-content-indexed marking that new files and directories get.
 */
#include <windows.h>
#include <rt/err.h>
#include "internal/file.h"

int rtFileSetNotContentIndexed(const RTUTF16 *pwszPath)
{
    if (!RT_SEAM(g_rtSeamsFile, SetFileAttributesW)((LPCWSTR)pwszPath, FILE_ATTRIBUTE_NOT_CONTENT_INDEXED))
        return RTErrConvertFromWinError(GetLastError());
    return INF_SUCCESS;
}
