/** @file
 * Handing paths to Win32 calls: every UTF-8 path a Win32 path call takes is
 * converted here, so the long form for deep paths is added in one place.
 */
#include <rt/path-win.h>
#include "internal/path.h"

int rtPathWin32FromUtf8(RTUTF16 **ppwszPath, const char *pszPath)
{
    return RTPathToWin32(ppwszPath, pszPath);
}

void rtPathWin32Free(RTUTF16 *pwszPath)
{
    RTPathWin32Free(pwszPath);
}
