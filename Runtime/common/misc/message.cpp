/** @file
 * Program messages: the line splitting and prefixing of RTMsgError.
 */
#include <rt/message.h>
#include <rt/mem.h>
#include <rt/string.h>
#include "internal/message.h"
#include "internal/process.h"

namespace
{

const char g_szCategoryError[] = "error: ";

void rtMsgWriteBytes(const char *pch, size_t cch)
{
    if (cch == 0)
        return;
    RT_SEAM(g_rtSeamsMsg, rtMsgWriteStdErr)(pch, cch);
}

void rtMsgWriteString(const char *psz)
{
    rtMsgWriteBytes(psz, RTStrLen(psz));
}

void rtMsgWriteNewline(void)
{
    rtMsgWriteBytes("\n", 1);
}

/** "<program>: <category>", or just the category while the program name is unknown. */
void rtMsgWritePrefix(const char *pszCategory)
{
    const char *pszName = rtProcGetExeName();
    if (pszName)
    {
        rtMsgWriteString(pszName);
        rtMsgWriteBytes(": ", 2);
    }
    rtMsgWriteString(pszCategory);
}

/** Writes @a pszText line by line, prefixing each non-empty line. */
void rtMsgWritePrefixedLines(const char *pszCategory, const char *pszText)
{
    const char *pszLine = pszText;
    while (*pszLine)
    {
        const char *pszEnd = pszLine;
        while (*pszEnd && *pszEnd != '\n')
            pszEnd++;
        if (pszEnd != pszLine)
        {
            rtMsgWritePrefix(pszCategory);
            rtMsgWriteBytes(pszLine, (size_t)(pszEnd - pszLine));
        }
        rtMsgWriteNewline();
        pszLine = *pszEnd ? pszEnd + 1 : pszEnd;
    }
}

size_t rtMsgFormatOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    (void)pvArg;
    rtMsgWriteBytes(pachChars, cbChars);
    return cbChars;
}

bool rtMsgContainsNewline(const char *psz)
{
    for (; *psz; psz++)
        if (*psz == '\n')
            return true;
    return false;
}

int rtMsgWrite(const char *pszCategory, const char *pszFormat, va_list va)
{
    if (!RT_VALID_PTR(pszFormat) || pszFormat[0] == '\0' || (pszFormat[0] == '\n' && pszFormat[1] == '\0'))
    {
        rtMsgWriteNewline();
        return 0;
    }

    char *pszText = NULL;
    va_list vaCopy;
    va_copy(vaCopy, va);
    int cch = RTStrAllocPrintfV(&pszText, pszFormat, vaCopy, RTMEM_TAG);
    va_end(vaCopy);
    if (cch >= 0 && pszText)
    {
        rtMsgWritePrefixedLines(pszCategory, pszText);
        RTStrFree(pszText);
        return 0;
    }

    /* No memory for the text: write it straight through, unsplit. */
    rtMsgWritePrefix(pszCategory);
    RTStrFmtV(rtMsgFormatOutput, NULL, NULL, NULL, pszFormat, va);
    if (!rtMsgContainsNewline(pszFormat))
        rtMsgWriteNewline();
    return 0;
}

} // namespace

int RTMsgErrorV(const char *pszFormat, va_list va)
{
    return rtMsgWrite(g_szCategoryError, pszFormat, va);
}

int RTMsgError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    RTMsgErrorV(pszFormat, va);
    va_end(va);
    return 0;
}
