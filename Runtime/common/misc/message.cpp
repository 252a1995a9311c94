/** @file
 * Program messages: the line splitting and prefixing of RTMsgError and
 * RTMsgInfo, and the report of a failed runtime initialisation.
 */
#include <rt/message.h>
#include <rt/mem.h>
#include <rt/stream.h>
#include <rt/string.h>
#include "internal/message.h"
#include "internal/process.h"
#include "internal/seam.h"

namespace
{

const char g_szCategoryError[] = "error: ";
const char g_szCategoryInfo[] = "info: ";

/** Every write of this file goes through here. */
void rtMsgStreamPrintfV(PRTSTREAM pStream, const char *pszFormat, va_list va)
{
    RT_SEAM(g_rtSeamsMsg, RTStreamPrintfV)(pStream, pszFormat, va);
}

void rtMsgStreamPrintf(PRTSTREAM pStream, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    rtMsgStreamPrintfV(pStream, pszFormat, va);
    va_end(va);
}

/** "<program>: <category>", or just the category while the program name is unknown. */
void rtMsgWritePrefix(PRTSTREAM pStream, const char *pszCategory)
{
    const char *pszName = rtProcGetExeName();
    if (pszName)
        rtMsgStreamPrintf(pStream, "%s: %s", pszName, pszCategory);
    else
        rtMsgStreamPrintf(pStream, "%s", pszCategory);
}

/** Writes @a pszText line by line, prefixing each non-empty line. */
void rtMsgWritePrefixedLines(PRTSTREAM pStream, const char *pszCategory, const char *pszText)
{
    const char *pszName = rtProcGetExeName();
    const char *pszLine = pszText;
    while (*pszLine)
    {
        const char *pszEnd = pszLine;
        while (*pszEnd && *pszEnd != '\n')
            pszEnd++;
        int const cchLine = (int)(pszEnd - pszLine);
        if (cchLine == 0)
            rtMsgStreamPrintf(pStream, "\n");
        else if (pszName)
            rtMsgStreamPrintf(pStream, "%s: %s%.*s\n", pszName, pszCategory, cchLine, pszLine);
        else
            rtMsgStreamPrintf(pStream, "%s%.*s\n", pszCategory, cchLine, pszLine);
        pszLine = *pszEnd ? pszEnd + 1 : pszEnd;
    }
}

bool rtMsgContainsNewline(const char *psz)
{
    for (; *psz; psz++)
        if (*psz == '\n')
            return true;
    return false;
}

int rtMsgWrite(PRTSTREAM pStream, const char *pszCategory, const char *pszFormat, va_list va)
{
    if (!RT_VALID_PTR(pszFormat) || pszFormat[0] == '\0' || (pszFormat[0] == '\n' && pszFormat[1] == '\0'))
    {
        rtMsgStreamPrintf(pStream, "\n");
        return 0;
    }

    char *pszText = NULL;
    va_list vaCopy;
    va_copy(vaCopy, va);
    int cch = RTStrAllocPrintfV(&pszText, pszFormat, vaCopy, RTMEM_TAG);
    va_end(vaCopy);
    if (cch >= 0 && pszText)
    {
        rtMsgWritePrefixedLines(pStream, pszCategory, pszText);
        RTStrFree(pszText);
        return 0;
    }

    /* No memory for the text: write it straight onto the stream, unsplit. */
    rtMsgWritePrefix(pStream, pszCategory);
    rtMsgStreamPrintfV(pStream, pszFormat, va);
    if (!rtMsgContainsNewline(pszFormat))
        rtMsgStreamPrintf(pStream, "\n");
    return 0;
}

} // namespace

int RTMsgErrorV(const char *pszFormat, va_list va)
{
    return rtMsgWrite(g_pStdErr, g_szCategoryError, pszFormat, va);
}

int RTMsgError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    RTMsgErrorV(pszFormat, va);
    va_end(va);
    return 0;
}

int RTMsgInfoV(const char *pszFormat, va_list va)
{
    return rtMsgWrite(g_pStdOut, g_szCategoryInfo, pszFormat, va);
}

int RTMsgInfo(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    RTMsgInfoV(pszFormat, va);
    va_end(va);
    return 0;
}

int RTMsgInitFailure(int rcInit)
{
    const char *pszName = rtProcGetExeName();
    if (pszName)
        rtMsgStreamPrintf(g_pStdErr, "%s: fatal error: RTR3Init: %Rrc\n", pszName, rcInit);
    else
        rtMsgStreamPrintf(g_pStdErr, "fatal error: RTR3Init: %Rrc\n", rcInit);
    return 3;
}
