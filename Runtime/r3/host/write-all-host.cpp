/** @file
 * Host build only: writing a whole buffer to a file descriptor.
 */
#include <errno.h>
#include <unistd.h>
#include "internal/write-all-host.h"

void rtHostWriteAll(int fd, const char *pch, size_t cch)
{
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
