/** @file
 * Streams for the host build: the standard streams write straight through,
 * unbuffered and unconverted (the error stream as the unbuffered error text
 * rtMsgWriteStdErr, the others to file descriptors 0 and 1); opening by name
 * is not supported (the mode string is still checked).
 */
#include <rt/err.h>
#include <rt/string.h>
#include "internal/message.h"
#include "internal/stream.h"
#include "internal/write-all-host.h"

namespace
{

#define STD_STREAM_INIT(a_iStdHandle)                                                                                  \
    {                                                                                                                  \
        RTSTREAM_MAGIC, 0, a_iStdHandle, NIL_RTFILE, NULL, 0, 0, 0, RTSTREAM_DIR_NONE, RTSTREAM_BUF_NONE, NULL, true,  \
            false, false, NULL,                                                                                        \
        {                                                                                                              \
            NULL, NULL                                                                                                 \
        }                                                                                                              \
    }

RTSTREAM g_StdIn = STD_STREAM_INIT(0);
RTSTREAM g_StdOut = STD_STREAM_INIT(1);
RTSTREAM g_StdErr = STD_STREAM_INIT(2);

bool rtStrmIsValid(PRTSTREAM pStream)
{
    return RT_VALID_PTR(pStream) && pStream->u32Magic == RTSTREAM_MAGIC;
}

size_t rtStrmOutputToFd(void *pvArg, const char *pch, size_t cch)
{
    int const fd = ((PRTSTREAM)pvArg)->iStdHandle;
    if (fd == 2)
    {
        if (cch)
            rtMsgWriteStdErr(pch, cch);
        return cch;
    }
    rtHostWriteAll(fd, pch, cch);
    return cch;
}

} // namespace

PRTSTREAM const g_pStdIn = &g_StdIn;
PRTSTREAM g_pStdOut = &g_StdOut;
PRTSTREAM g_pStdErr = &g_StdErr;

int RTStreamPrintfV(PRTSTREAM pStream, const char *pszFormat, va_list va)
{
    if (!rtStrmIsValid(pStream) || !RT_VALID_PTR(pszFormat))
        return ERR_INVALID_PARAMETER;
    return (int)RTStrFmtV(rtStrmOutputToFd, pStream, NULL, NULL, pszFormat, va);
}

int RTStreamPrintf(PRTSTREAM pStream, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    int cch = RTStreamPrintfV(pStream, pszFormat, va);
    va_end(va);
    return cch;
}

int RTStreamSetBuffering(PRTSTREAM pStream, int enmMode)
{
    if (!rtStrmIsValid(pStream))
        return ERR_INVALID_HANDLE;
    if (enmMode < RTSTRMBUFMODE_FULL || enmMode > RTSTRMBUFMODE_UNBUFFERED)
        return ERR_INVALID_PARAMETER;
    return 0;
}

int RTStreamOpen(const char *pszFilename, const char *pszMode, PRTSTREAM *ppStream)
{
    if (!pszFilename)
        return ERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(pszFilename) || !RT_VALID_PTR(ppStream))
        return ERR_INVALID_POINTER;
    uint64_t fOpen;
    bool fBinary;
    int rc = rtStrmParseMode(pszMode, &fOpen, &fBinary);
    return RT_FAILURE(rc) ? rc : ERR_NOT_IMPLEMENTED;
}

void rtStrmTerm(void) {}
