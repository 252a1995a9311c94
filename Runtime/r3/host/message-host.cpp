/** @file
 * Unbuffered error text for the host build: the raw writer as it is.
 */
#include <rt/rawwrite.h>
#include "internal/message.h"

void rtMsgWriteStdErr(const char *pch, size_t cch)
{
    RTRawWrite(pch, cch);
}
