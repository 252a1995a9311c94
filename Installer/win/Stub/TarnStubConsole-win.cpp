/** @file
 * Console output on Windows: through the runtime's standard output and
 * standard error streams, which convert the text to the ANSI code page, write
 * each "\n" as "\r\n" and write out what they hold when the process ends.
 * The installer's verbose console replaces both streams.
 */
#include "TarnStubConsole.h"
#include <rt/stream.h>

void stubConsoleWrite(StubStdHandle enmHandle, const char *pch, size_t cch)
{
    PRTSTREAM pStream = enmHandle == STUBSTDHANDLE_OUTPUT ? g_pStdOut : g_pStdErr;
    RTStreamPrintf(pStream, "%.*s", (int)cch, pch);
}
