/** @file
 * Console output for the host build: write(2) on descriptor 1 or 2.
 */
#include <errno.h>
#include <unistd.h>
#include "TarnStubConsole.h"

void stubConsoleWrite(StubStdHandle enmHandle, const char *pch, size_t cch)
{
    int const fd = enmHandle == STUBSTDHANDLE_OUTPUT ? STDOUT_FILENO : STDERR_FILENO;
    while (cch > 0)
    {
        ssize_t cbWritten = write(fd, pch, cch);
        if (cbWritten < 0 && errno == EINTR)
            continue;
        if (cbWritten <= 0)
            return;
        pch += cbWritten;
        cch -= (size_t)cbWritten;
    }
}
