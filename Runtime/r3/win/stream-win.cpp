/** @file
 * The Windows side of the streams: standard handles and the ANSI code page.
 */
#include <windows.h>
#include <rt/err.h>
#include "internal/stream.h"

int rtStrmNativeStdHandle(int iStdHandle, RTFILE *phFile, bool *pfConsole)
{
    static DWORD const s_aidStdHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    if (iStdHandle < 0 || iStdHandle >= (int)RT_ELEMENTS(s_aidStdHandles))
        return ERR_INVALID_HANDLE;
    HANDLE hNative = GetStdHandle(s_aidStdHandles[iStdHandle]);
    if (hNative == NULL || hNative == INVALID_HANDLE_VALUE)
        return ERR_INVALID_HANDLE;
    int rc = RTFileFromNative(phFile, (intptr_t)hNative);
    if (RT_FAILURE(rc))
        return rc;
    DWORD fConsoleMode = 0;
    *pfConsole = GetConsoleMode(hNative, &fConsoleMode) != FALSE;
    return 0;
}

bool rtStrmNativeAnsiIsUtf8(void)
{
    return GetACP() == CP_UTF8;
}
