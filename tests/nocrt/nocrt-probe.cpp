/** @file
 * A program without the C runtime that links every object of the runtime
 * library. That it links at all proves the runtime needs nothing from a C
 * runtime; running it proves the freestanding code works in such a process.
 * It formats a line with the runtime and writes it to standard output.
 */
#include <windows.h>
#include <rt/string.h>

extern "C" DWORD WINAPI NoCrtProbeEntry(void)
{
    char szLine[RTSTR_NUMBER_BUF_SIZE + 32] = "nocrt probe: ";
    size_t cch = RTStrLen(szLine);
    cch += RTStrFmtNumber(&szLine[cch], 53900000, 10, 0, 0, RTFMT_F_GROUP);
    szLine[cch++] = '\r';
    szLine[cch++] = '\n';
    DWORD cbWritten = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), szLine, (DWORD)cch, &cbWritten, NULL);
    ExitProcess(0);
}
