/** @file
 * Formatting into a fresh heap string. Short texts are built on the stack and
 * only the final, exactly sized copy is allocated.
 */
#include <rt/string.h>
#include <rt/mem.h>

namespace
{

size_t const g_cbStackBuffer = 2048;
size_t const g_cbGrowthMax = 1024 * 1024;              /**< a growth step adds at most this much... */
size_t const g_cbGrowthPieceAlign = 4096;              /**< ...unless one piece needs more, rounded up */
size_t const g_cbGrowthStepLimit = 1024 * 1024 * 1024; /**< a larger step fails like an allocation */
size_t const g_cchResultMax = (size_t)INT32_MAX - 1;   /**< the length must fit the int result */

struct ALLOCSINK
{
    char *pchBuf; /**< achStack until the text outgrows it, then the heap */
    size_t cbBuf;
    size_t cch;   /**< text so far, without terminator */
    bool fFailed; /**< an allocation failed: the rest is discarded */
    const char *pszTag;
    char achStack[g_cbStackBuffer];
};

size_t rtstrAPrintfGrowthStep(size_t cbBuf, size_t cbPiece)
{
    size_t cbStep = RT_MIN(cbBuf, g_cbGrowthMax);
    if (cbPiece > g_cbGrowthStepLimit)
        return cbPiece; /* rejected by the caller; also avoids overflow in the rounding */
    size_t const cbPieceAligned = (cbPiece + g_cbGrowthPieceAlign - 1) & ~(g_cbGrowthPieceAlign - 1);
    return RT_MAX(cbStep, cbPieceAligned);
}

/** Makes room for @a cbPiece more bytes and a terminator. */
bool rtstrAPrintfGrow(ALLOCSINK *pSink, size_t cbPiece)
{
    size_t const cbStep = rtstrAPrintfGrowthStep(pSink->cbBuf, cbPiece);
    if (cbStep > g_cbGrowthStepLimit || pSink->cbBuf + cbStep - 1 > g_cchResultMax)
        return false;
    size_t const cbNew = pSink->cbBuf + cbStep;
    if (pSink->pchBuf == pSink->achStack)
    {
        char *pchNew = (char *)RTMemAllocTag(cbNew, pSink->pszTag);
        if (!pchNew)
            return false;
        for (size_t i = 0; i < pSink->cch; i++)
            pchNew[i] = pSink->achStack[i];
        pSink->pchBuf = pchNew;
    }
    else
    {
        char *pchNew = (char *)RTMemReallocTag(pSink->pchBuf, cbNew, pSink->pszTag);
        if (!pchNew)
            return false;
        pSink->pchBuf = pchNew;
    }
    pSink->cbBuf = cbNew;
    return true;
}

size_t rtstrAPrintfAllocOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    ALLOCSINK *pSink = (ALLOCSINK *)pvArg;
    if (pSink->fFailed || !cbChars)
        return 0;
    if (cbChars >= pSink->cbBuf - pSink->cch && !rtstrAPrintfGrow(pSink, cbChars))
    {
        pSink->fFailed = true;
        return 0;
    }
    for (size_t i = 0; i < cbChars; i++)
        pSink->pchBuf[pSink->cch + i] = pachChars[i];
    pSink->cch += cbChars;
    return cbChars;
}

/** Moves the finished text into an allocation of exactly its size. */
char *rtstrAPrintfFinish(ALLOCSINK *pSink)
{
    size_t const cbResult = pSink->cch + 1;
    char *pszResult;
    if (pSink->pchBuf == pSink->achStack)
    {
        pszResult = (char *)RTMemAllocTag(cbResult, pSink->pszTag);
        if (pszResult)
            for (size_t i = 0; i < pSink->cch; i++)
                pszResult[i] = pSink->achStack[i];
    }
    else
    {
        pszResult = (char *)RTMemReallocTag(pSink->pchBuf, cbResult, pSink->pszTag);
        if (!pszResult)
            RTMemFree(pSink->pchBuf);
    }
    if (pszResult)
        pszResult[pSink->cch] = '\0';
    return pszResult;
}

} // namespace

int RTStrAllocPrintfV(char **ppszBuffer, const char *pszFormat, va_list args, const char *pszTag)
{
    ALLOCSINK Sink;
    Sink.pchBuf = Sink.achStack;
    Sink.cbBuf = sizeof(Sink.achStack);
    Sink.cch = 0;
    Sink.fFailed = false;
    Sink.pszTag = pszTag;
    RTStrFmtV(rtstrAPrintfAllocOutput, &Sink, NULL, NULL, pszFormat, args);

    if (Sink.fFailed)
    {
        if (Sink.pchBuf != Sink.achStack)
            RTMemFree(Sink.pchBuf);
        *ppszBuffer = NULL;
        return -1;
    }
    *ppszBuffer = rtstrAPrintfFinish(&Sink);
    return *ppszBuffer ? (int)Sink.cch : -1;
}

int RTStrAllocPrintf(char **ppszBuffer, const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    int const cch = RTStrAllocPrintfV(ppszBuffer, pszFormat, args, RTMEM_TAG);
    va_end(args);
    return cch;
}
