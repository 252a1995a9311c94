/** @file
 * Handing paths to Win32 calls: every UTF-8 path a Win32 path call takes is
 * converted here, so the long form for deep paths is added in one place.
 */
#include <windows.h>
#include <rt/mem.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/path.h"

int rtPathWin32FromUtf8(RTUTF16 **ppwszPath, const char *pszPath)
{
    return RTStrToUtf16(pszPath, ppwszPath, RTMEM_TAG);
}

void rtPathWin32Free(RTUTF16 *pwszPath)
{
    RTUtf16Free(pwszPath);
}
