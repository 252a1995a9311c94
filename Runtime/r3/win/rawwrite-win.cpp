/** @file
 * The raw writer on Windows: WriteFile on the standard error handle, nothing else.
 */
#include <windows.h>
#include <rt/rawwrite.h>

void RTRawWrite(const char *pch, size_t cch)
{
    HANDLE hStdErr = GetStdHandle(STD_ERROR_HANDLE);
    if (hStdErr == NULL || hStdErr == INVALID_HANDLE_VALUE)
        return;
    while (cch > 0)
    {
        DWORD cbWritten = 0;
        if (!WriteFile(hStdErr, pch, (DWORD)cch, &cbWritten, NULL) || cbWritten == 0)
            return;
        pch += cbWritten;
        cch -= cbWritten;
    }
}
