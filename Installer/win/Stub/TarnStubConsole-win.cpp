/** @file
 * Console output on Windows: WriteFile on the standard handle, each "\n"
 * written as "\r\n". Until the runtime's output streams take this over, the
 * text goes out as UTF-8 bytes, unbuffered.
 */
#include <windows.h>
#include "TarnStubConsole.h"

namespace
{

void writeAll(HANDLE hFile, const char *pch, size_t cch)
{
    while (cch > 0)
    {
        DWORD cbWritten = 0;
        DWORD const cbChunk = cch > 0x10000 ? 0x10000 : (DWORD)cch;
        if (!WriteFile(hFile, pch, cbChunk, &cbWritten, NULL) || cbWritten == 0)
            return;
        pch += cbWritten;
        cch -= cbWritten;
    }
}

} // namespace

void stubConsoleWrite(STUBSTDHANDLE enmHandle, const char *pch, size_t cch)
{
    HANDLE const hFile = GetStdHandle(enmHandle == STUBSTDHANDLE_OUTPUT ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (hFile == NULL || hFile == INVALID_HANDLE_VALUE)
        return;
    size_t offRun = 0;
    for (size_t off = 0; off < cch; off++)
        if (pch[off] == '\n')
        {
            writeAll(hFile, &pch[offRun], off - offRun);
            writeAll(hFile, "\r\n", 2);
            offRun = off + 1;
        }
    writeAll(hFile, &pch[offRun], cch - offRun);
}
