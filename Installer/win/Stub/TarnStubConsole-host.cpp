/** @file
 * Console output for the host build: write(2) on descriptor 1 or 2.
 */
#include <unistd.h>
#include "TarnStubConsole.h"
#include "internal/write-all-host.h"

void stubConsoleWrite(StubStdHandle enmHandle, const char *pch, size_t cch)
{
    rtHostWriteAll(enmHandle == STUBSTDHANDLE_OUTPUT ? STDOUT_FILENO : STDERR_FILENO, pch, cch);
}
