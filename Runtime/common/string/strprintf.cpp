/** @file
 * Formatting into a caller's buffer.
 */
#include <rt/string.h>

namespace
{

/** Copies what fits into the buffer, always leaving room for the NUL, and
 * counts the full length of the text. */
struct BUFSINK
{
    char *pszNext;
    size_t cbLeft; /**< bytes left including the one the NUL needs; 0 when nothing may be written */
    size_t cchTotal;
};

size_t rtstrPrintfBufOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    BUFSINK *pSink = (BUFSINK *)pvArg;
    pSink->cchTotal += cbChars;
    if (pSink->cbLeft == 0)
        return cbChars;
    size_t const cbCopy = RT_MIN(cbChars, pSink->cbLeft - 1);
    for (size_t i = 0; i < cbCopy; i++)
        pSink->pszNext[i] = pachChars[i];
    pSink->pszNext += cbCopy;
    pSink->cbLeft -= cbCopy;
    *pSink->pszNext = '\0';
    return cbChars;
}

/** Formats into the buffer; returns the full length of the text in *pcchTotal
 * and the bytes stored. */
size_t rtstrPrintfIntoBuffer(char *pszBuffer, size_t cbBuffer, const char *pszFormat, va_list args, size_t *pcchTotal)
{
    BUFSINK Sink = {pszBuffer, cbBuffer, 0};
    if (cbBuffer)
        *pszBuffer = '\0';
    RTStrFmtV(rtstrPrintfBufOutput, &Sink, NULL, NULL, pszFormat, args);
    *pcchTotal = Sink.cchTotal;
    return cbBuffer ? (size_t)(Sink.pszNext - pszBuffer) : 0;
}

} // namespace

size_t RTStrBufPrintfV(char *pszBuffer, size_t cbBuffer, const char *pszFormat, va_list args)
{
    if (!cbBuffer)
        return 0;
    size_t cchTotal;
    return rtstrPrintfIntoBuffer(pszBuffer, cbBuffer, pszFormat, args, &cchTotal);
}

size_t RTStrBufPrintf(char *pszBuffer, size_t cbBuffer, const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    size_t const cch = RTStrBufPrintfV(pszBuffer, cbBuffer, pszFormat, args);
    va_end(args);
    return cch;
}

intptr_t RTStrBufPrintfExV(char *pszBuffer, size_t cbBuffer, const char *pszFormat, va_list args)
{
    size_t cchTotal;
    rtstrPrintfIntoBuffer(pszBuffer, cbBuffer, pszFormat, args, &cchTotal);
    return cchTotal < cbBuffer ? (intptr_t)cchTotal : ~(intptr_t)cchTotal;
}

intptr_t RTStrBufPrintfEx(char *pszBuffer, size_t cbBuffer, const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    intptr_t const cch = RTStrBufPrintfExV(pszBuffer, cbBuffer, pszFormat, args);
    va_end(args);
    return cch;
}
