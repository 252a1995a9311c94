/** @file
 * The release-assertion stop: one message on standard error, then the end.
 */
#include <rt/string.h>
#include "internal/fatal.h"
#include "internal/message.h"

void rtFatalStop(const char *pszFormat, ...)
{
    /* On the stack: the heap may be what failed. */
    char szMsg[1024];
    va_list va;
    va_start(va, pszFormat);
    size_t const cch = RTStrBufPrintfV(szMsg, sizeof(szMsg), pszFormat, va);
    va_end(va);
    rtMsgWriteStdErr(szMsg, cch);
    rtFatalTerminate(RTFATAL_EXIT_CODE);
}
