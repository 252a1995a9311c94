/** @file
 * Unbuffered error text on Windows: the raw writer, each "\n" written as "\r\n".
 */
#include <rt/rawwrite.h>
#include "internal/message.h"

void rtMsgWriteStdErr(const char *pch, size_t cch)
{
    size_t offRun = 0;
    for (size_t off = 0; off < cch; off++)
        if (pch[off] == '\n')
        {
            RTRawWrite(&pch[offRun], off - offRun);
            RTRawWrite("\r\n", 2);
            offRun = off + 1;
        }
    RTRawWrite(&pch[offRun], cch - offRun);
}
