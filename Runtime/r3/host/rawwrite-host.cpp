/** @file
 * The raw writer for the host build: write(2) on standard error.
 */
#include <unistd.h>
#include <rt/rawwrite.h>
#include "internal/write-all-host.h"

void RTRawWrite(const char *pch, size_t cch)
{
    rtHostWriteAll(STDERR_FILENO, pch, cch);
}
