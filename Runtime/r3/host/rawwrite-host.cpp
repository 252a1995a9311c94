/** @file
 * The raw writer for the host build: write(2) on standard error.
 */
#include <errno.h>
#include <unistd.h>
#include <rt/rawwrite.h>

void RTRawWrite(const char *pch, size_t cch)
{
    while (cch > 0)
    {
        ssize_t cbWritten = write(STDERR_FILENO, pch, cch);
        if (cbWritten < 0 && errno == EINTR)
            continue;
        if (cbWritten <= 0)
            return;
        pch += cbWritten;
        cch -= (size_t)cbWritten;
    }
}
