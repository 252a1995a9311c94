/** @file
 * The executable's path, as the loader knows it.
 */
#include <windows.h>
#include <rt/path.h>
#include <rt/mem.h>
#include <rt/utf16.h>
#include "internal/process.h"

int rtProcInitExePath(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;
    if (!cbPath)
        return ERR_BUFFER_OVERFLOW;
    RTUTF16 *pwszExe = (RTUTF16 *)RTMemAllocTag(RTPATH_MAX * sizeof(RTUTF16), RTMEM_TAG);
    if (!pwszExe)
        return ERR_NO_TMP_MEMORY;

    int rc;
    DWORD cwc = GetModuleFileNameW(GetModuleHandleA(NULL), (LPWSTR)pwszExe, RTPATH_MAX);
    if (cwc == 0)
        rc = RTErrConvertFromWinError(GetLastError());
    else if (cwc >= RTPATH_MAX) /* cut short, and not terminated on older systems */
        rc = ERR_FILENAME_TOO_LONG;
    else
        rc = RTUtf16ToUtf8Ex(pwszExe, cwc, &pszPath, cbPath, NULL, RTMEM_TAG);
    RTMemFree(pwszExe);
    return rc;
}
