/** @file
 * Program-message output on Windows: WriteFile on the standard error handle,
 * each "\n" written as "\r\n".
 */
#include <windows.h>
#include "internal/message.h"

namespace
{

void rtMsgWriteAll(HANDLE hStdErr, const char *pch, size_t cch)
{
    while (cch > 0)
    {
        DWORD cbWritten = 0;
        DWORD cbChunk = cch > 0x10000 ? 0x10000 : (DWORD)cch;
        if (!WriteFile(hStdErr, pch, cbChunk, &cbWritten, NULL) || cbWritten == 0)
            return;
        pch += cbWritten;
        cch -= cbWritten;
    }
}

} // namespace

void rtMsgWriteStdErr(const char *pch, size_t cch)
{
    HANDLE hStdErr = GetStdHandle(STD_ERROR_HANDLE);
    if (hStdErr == NULL || hStdErr == INVALID_HANDLE_VALUE)
        return;
    /* Runs of text go out as they are; each newline becomes CR LF. */
    size_t offRun = 0;
    for (size_t off = 0; off < cch; off++)
        if (pch[off] == '\n')
        {
            rtMsgWriteAll(hStdErr, &pch[offRun], off - offRun);
            rtMsgWriteAll(hStdErr, "\r\n", 2);
            offRun = off + 1;
        }
    rtMsgWriteAll(hStdErr, &pch[offRun], cch - offRun);
}
