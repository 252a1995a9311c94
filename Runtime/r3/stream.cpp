/** @file
 * Output streams: the standard streams, streams opened by name, buffering,
 * code-page conversion and newline translation, and the flush at process end.
 */
#include <rt/stream.h>
#include <rt/critsect.h>
#include <rt/err.h>
#include <rt/init.h>
#include <rt/mem.h>
#include <rt/string.h>
#include "internal/cinit.h"
#include "internal/seam.h"
#include "internal/stream.h"

namespace
{

/** A standard stream as it is before its first write. */
#define STD_STREAM_INIT(a_iStdHandle, a_enmBufMode)                                                                    \
    {                                                                                                                  \
        RTSTREAM_MAGIC, 0, a_iStdHandle, NIL_RTFILE, NULL, 0, 0, 0, RTSTREAM_DIR_NONE, a_enmBufMode, NULL, true,       \
            false, false, NULL,                                                                                        \
        {                                                                                                              \
            NULL, NULL                                                                                                 \
        }                                                                                                              \
    }

RTSTREAM g_StdIn = STD_STREAM_INIT(0, RTSTREAM_BUF_NONE);
RTSTREAM g_StdOut = STD_STREAM_INIT(1, RTSTREAM_BUF_LINE);
RTSTREAM g_StdErr = STD_STREAM_INIT(2, RTSTREAM_BUF_NONE);

/** The streams opened by name (a ring through RTSTREAM::Link), guarded by g_ListCritSect. */
RTSTREAM *g_pOpenedFirst = NULL;
RTCRITSECT g_ListCritSect;

/** Life of g_ListCritSect. */
enum : uint32_t
{
    kListUnset = 0,
    kListBusy = 1,
    kListReady = 2
};
uint32_t volatile g_uListState = kListUnset;

bool rtStrmIsValid(PRTSTREAM pStream)
{
    return RT_VALID_PTR(pStream) && pStream->u32Magic == RTSTREAM_MAGIC;
}

/** Keeps the first failure; every later write returns it. */
int rtStrmSetError(PRTSTREAM pStream, int rc)
{
    if (pStream->i32Error >= 0)
        pStream->i32Error = rc;
    return rc;
}

/*
 * Locking.
 */

/** The stream's lock, made on first use. Before the runtime is initialised the
 * lock is made without lock validation, which needs the thread layer. */
RTSEMSPINMUTEX rtStrmGetLock(PRTSTREAM pStream, int *prc)
{
    RTSEMSPINMUTEX hLock = __atomic_load_n(&pStream->hLock, __ATOMIC_ACQUIRE);
    if (hLock)
        return hLock;
    uint32_t fFlags = RTR3InitIsInitialized() ? 0 : RTSEMSPINMUTEX_F_NO_VALIDATION;
    *prc = RTSemSpinMutexMake(&hLock, fFlags);
    if (RT_FAILURE(*prc))
        return NULL;
    RTSEMSPINMUTEX hExpected = NULL;
    if (!__atomic_compare_exchange_n(&pStream->hLock, &hExpected, hLock, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
    {
        /* Another thread was quicker: use its lock. */
        RTSemSpinMutexDestroy(hLock);
        hLock = hExpected;
    }
    return hLock;
}

/*
 * Buffer and file.
 */

/** Allocates the buffer and its secondary on the first write, halving both after a failure. */
int rtStrmEnsureWriteBuffer(PRTSTREAM pStream)
{
    if (pStream->enmBufDir == RTSTREAM_DIR_WRITE)
        return 0;
    uint32_t cb = pStream->enmBufMode == RTSTREAM_BUF_FULL ? RTSTREAM_BUF_SIZE_FULL : RTSTREAM_BUF_SIZE_OTHER;
    for (; cb >= RTSTREAM_BUF_SIZE_MIN; cb /= 2)
    {
        char *pchBuf = (char *)RT_SEAM(g_rtSeamsStream, RTMemAllocTag)(cb, RTMEM_TAG);
        char *pchSecondary = pchBuf ? (char *)RT_SEAM(g_rtSeamsStream, RTMemAllocTag)(cb / 8, RTMEM_TAG) : NULL;
        if (pchSecondary)
        {
            pStream->pchBuf = pchBuf;
            pStream->pchSecondary = pchSecondary;
            pStream->cbBufAlloc = cb;
            pStream->offBufFirst = pStream->offBufEnd = 0;
            pStream->enmBufDir = RTSTREAM_DIR_WRITE;
            return 0;
        }
        RTMemFree(pchBuf);
    }
    return ERR_NO_MEMORY;
}

void rtStrmFreeBuffer(PRTSTREAM pStream)
{
    RTMemFree(pStream->pchBuf);
    RTMemFree(pStream->pchSecondary);
    pStream->pchBuf = pStream->pchSecondary = NULL;
    pStream->cbBufAlloc = pStream->offBufFirst = pStream->offBufEnd = 0;
    pStream->enmBufDir = RTSTREAM_DIR_NONE;
}

/** Binds a standard stream to its handle on the first write-out; a handle that
 * is no console makes the stream fully buffered. */
int rtStrmEnsureFile(PRTSTREAM pStream)
{
    if (pStream->hFile != NIL_RTFILE)
        return 0;
    if (pStream->iStdHandle == RTSTREAM_NOT_STANDARD)
        return ERR_INVALID_HANDLE;
    RTFILE hFile = NIL_RTFILE;
    bool fConsole = false;
    int rc = rtStrmNativeStdHandle(pStream->iStdHandle, &hFile, &fConsole);
    if (RT_FAILURE(rc))
        return rc;
    pStream->hFile = hFile;
    if (!fConsole)
        pStream->enmBufMode = RTSTREAM_BUF_FULL;
    return 0;
}

/** Writes the buffered bytes before @a offEnd to the file and moves the rest to the front. */
int rtStrmWriteOut(PRTSTREAM pStream, uint32_t offEnd)
{
    if (offEnd > pStream->offBufFirst)
    {
        int rc = rtStrmEnsureFile(pStream);
        if (RT_FAILURE(rc))
            return rc;
        rc = RTFileWrite(pStream->hFile, &pStream->pchBuf[pStream->offBufFirst], offEnd - pStream->offBufFirst, NULL);
        if (RT_FAILURE(rc))
            return rc;
    }
    uint32_t const cbRest = pStream->offBufEnd - offEnd;
    __builtin_memmove(pStream->pchBuf, &pStream->pchBuf[offEnd], cbRest);
    pStream->offBufFirst = 0;
    pStream->offBufEnd = cbRest;
    return 0;
}

/** Copies bytes into the buffer, writing it out whenever it is full. */
int rtStrmPutBytes(PRTSTREAM pStream, const char *pch, size_t cch)
{
    while (cch > 0)
    {
        if (pStream->offBufEnd == pStream->cbBufAlloc)
        {
            int rc = rtStrmWriteOut(pStream, pStream->offBufEnd);
            if (RT_FAILURE(rc))
                return rc;
        }
        size_t const cbCopy = RT_MIN(cch, (size_t)(pStream->cbBufAlloc - pStream->offBufEnd));
        __builtin_memcpy(&pStream->pchBuf[pStream->offBufEnd], pch, cbCopy);
        pStream->offBufEnd += (uint32_t)cbCopy;
        pch += cbCopy;
        cch -= cbCopy;
    }
    return 0;
}

/** Buffers text, storing each "\n" as "\r\n" unless the stream is binary. */
int rtStrmPutText(PRTSTREAM pStream, const char *pch, size_t cch)
{
    if (pStream->fBinary)
        return rtStrmPutBytes(pStream, pch, cch);
    while (cch > 0)
    {
        size_t cchRun = 0;
        while (cchRun < cch && pch[cchRun] != '\n')
            cchRun++;
        int rc = rtStrmPutBytes(pStream, pch, cchRun);
        if (RT_SUCCESS(rc) && cchRun < cch)
        {
            rc = rtStrmPutBytes(pStream, "\r\n", 2);
            cchRun++;
        }
        if (RT_FAILURE(rc))
            return rc;
        pch += cchRun;
        cch -= cchRun;
    }
    return 0;
}

/** Buffers a piece converted to the ANSI code page. Text that is not valid
 * UTF-8 has no conversion and is buffered as it is, so nothing is lost. */
int rtStrmPutConverted(PRTSTREAM pStream, const char *pch, size_t cch)
{
    /* The converter wants a terminated string; the formatter's pieces are not. */
    char *pszCopy = cch < pStream->cbBufAlloc / 8 ? pStream->pchSecondary : RTStrAlloc(cch + 1, RTMEM_TAG);
    if (!pszCopy)
        return ERR_NO_MEMORY;
    __builtin_memcpy(pszCopy, pch, cch);
    pszCopy[cch] = '\0';

    char *pszAnsi = NULL;
    int rc = RTStrUtf8ToAnsi(&pszAnsi, pszCopy, RTMEM_TAG);
    if (RT_SUCCESS(rc))
    {
        rc = rtStrmPutText(pStream, pszAnsi, RTStrLen(pszAnsi));
        RTStrFree(pszAnsi);
    }
    else if (rc == ERR_INVALID_UTF8_ENCODING)
    {
        int rc2 = rtStrmPutText(pStream, pch, cch);
        if (RT_FAILURE(rc2))
            rc = rc2;
    }
    if (pszCopy != pStream->pchSecondary)
        RTStrFree(pszCopy);
    return rc;
}

/** Writes out what the buffering mode says must not wait. */
int rtStrmWriteOutAfterPiece(PRTSTREAM pStream)
{
    if (pStream->enmBufMode == RTSTREAM_BUF_FULL)
        return 0;
    uint32_t offEnd = pStream->offBufEnd;
    if (pStream->enmBufMode == RTSTREAM_BUF_LINE)
    {
        while (offEnd > pStream->offBufFirst && pStream->pchBuf[offEnd - 1] != '\n')
            offEnd--;
        if (offEnd == pStream->offBufFirst)
            return 0;
    }
    /* Binding the file may turn the stream fully buffered: then it all waits. */
    int rc = rtStrmEnsureFile(pStream);
    if (RT_FAILURE(rc) || pStream->enmBufMode == RTSTREAM_BUF_FULL)
        return rc;
    return rtStrmWriteOut(pStream, offEnd);
}

/** Writes one piece of formatted text; the stream's lock is held. */
int rtStrmWriteLocked(PRTSTREAM pStream, const char *pch, size_t cch)
{
    if (pStream->i32Error < 0)
        return pStream->i32Error;
    pStream->fPending = false;
    int rc = rtStrmEnsureWriteBuffer(pStream);
    if (RT_FAILURE(rc))
        return rtStrmSetError(pStream, rc);

    if (pStream->fCurrentCodeSet && !pStream->fBinary && !rtStrmNativeAnsiIsUtf8())
        rc = rtStrmPutConverted(pStream, pch, cch);
    else
        rc = rtStrmPutText(pStream, pch, cch);
    if (RT_SUCCESS(rc) || rc == ERR_INVALID_UTF8_ENCODING)
    {
        int rc2 = rtStrmWriteOutAfterPiece(pStream);
        if (RT_FAILURE(rc2))
            rc = rc2;
    }
    if (RT_FAILURE(rc) && rc != ERR_INVALID_UTF8_ENCODING)
        rtStrmSetError(pStream, rc);
    return rc;
}

size_t rtStrmOutputToStream(void *pvArg, const char *pachChars, size_t cbChars)
{
    if (cbChars)
        rtStrmWriteLocked((PRTSTREAM)pvArg, pachChars, cbChars);
    return cbChars;
}

/** Writes out everything a stream holds and frees its buffer; the lock (when there is one) is taken. */
void rtStrmFlushAndFreeBuffer(PRTSTREAM pStream)
{
    RTSEMSPINMUTEX hLock = __atomic_load_n(&pStream->hLock, __ATOMIC_ACQUIRE);
    if (hLock)
        RTSemSpinMutexRequest(hLock);
    if (pStream->enmBufDir == RTSTREAM_DIR_WRITE)
    {
        if (pStream->i32Error >= 0)
        {
            int rc = rtStrmWriteOut(pStream, pStream->offBufEnd);
            if (RT_FAILURE(rc))
                rtStrmSetError(pStream, rc);
        }
        rtStrmFreeBuffer(pStream);
    }
    if (hLock)
        RTSemSpinMutexRelease(hLock);
}

/*
 * The list of streams opened by name.
 */

/** Sets the list's critical section up on first use; concurrent first callers wait for it. */
int rtStrmEnsureListReady(void)
{
    for (;;)
    {
        uint32_t uState = __atomic_load_n(&g_uListState, __ATOMIC_ACQUIRE);
        if (uState == kListReady)
            return 0;
        if (uState == kListUnset &&
            __atomic_compare_exchange_n(&g_uListState, &uState, kListBusy, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED))
        {
            int rc = RTCritSectSetup(&g_ListCritSect, 0, "RTStreamList");
            __atomic_store_n(&g_uListState, RT_SUCCESS(rc) ? kListReady : kListUnset, __ATOMIC_RELEASE);
            return rc;
        }
        __builtin_ia32_pause();
    }
}

void rtStrmLinkOpened(PRTSTREAM pStream)
{
    RTCritSectAcquire(&g_ListCritSect);
    if (g_pOpenedFirst)
    {
        pStream->Link.pNext = g_pOpenedFirst;
        pStream->Link.pPrev = g_pOpenedFirst->Link.pPrev;
        pStream->Link.pPrev->Link.pNext = pStream;
        g_pOpenedFirst->Link.pPrev = pStream;
    }
    else
    {
        pStream->Link.pNext = pStream->Link.pPrev = pStream;
        g_pOpenedFirst = pStream;
    }
    RTCritSectLeave(&g_ListCritSect);
}

/** Takes the first opened stream off the list, or returns null when none is left. */
PRTSTREAM rtStrmUnlinkFirstOpened(void)
{
    RTCritSectAcquire(&g_ListCritSect);
    PRTSTREAM pStream = g_pOpenedFirst;
    if (pStream)
    {
        if (pStream->Link.pNext == pStream)
            g_pOpenedFirst = NULL;
        else
        {
            g_pOpenedFirst = pStream->Link.pNext;
            pStream->Link.pNext->Link.pPrev = pStream->Link.pPrev;
            pStream->Link.pPrev->Link.pNext = pStream->Link.pNext;
        }
        pStream->Link.pNext = pStream->Link.pPrev = NULL;
    }
    RTCritSectLeave(&g_ListCritSect);
    return pStream;
}

void rtStrmDestroyOpened(PRTSTREAM pStream)
{
    rtStrmFlushAndFreeBuffer(pStream);
    pStream->u32Magic = RTSTREAM_MAGIC_DEAD;
    RTFileClose(pStream->hFile);
    pStream->hFile = NIL_RTFILE;
    if (pStream->hLock)
        RTSemSpinMutexDestroy(pStream->hLock);
    RTMemFree(pStream);
}

} // namespace

PRTSTREAM const g_pStdIn = &g_StdIn;
PRTSTREAM g_pStdOut = &g_StdOut;
PRTSTREAM g_pStdErr = &g_StdErr;

int RTStreamPrintfV(PRTSTREAM pStream, const char *pszFormat, va_list va)
{
    if (!rtStrmIsValid(pStream) || !RT_VALID_PTR(pszFormat))
        return ERR_INVALID_PARAMETER;
    int rc = 0;
    RTSEMSPINMUTEX hLock = rtStrmGetLock(pStream, &rc);
    if (!hLock)
        return rc;
    RTSemSpinMutexRequest(hLock);
    int cch = -1;
    if (pStream->i32Error >= 0)
        cch = (int)RTStrFmtV(rtStrmOutputToStream, pStream, NULL, NULL, pszFormat, va);
    RTSemSpinMutexRelease(hLock);
    return cch;
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
    uint32_t enmBufMode;
    switch (enmMode)
    {
        case RTSTRMBUFMODE_FULL:
            enmBufMode = RTSTREAM_BUF_FULL;
            break;
        case RTSTRMBUFMODE_LINE:
            enmBufMode = RTSTREAM_BUF_LINE;
            break;
        case RTSTRMBUFMODE_UNBUFFERED:
            enmBufMode = RTSTREAM_BUF_NONE;
            break;
        default:
            return ERR_INVALID_PARAMETER;
    }
    /* Not in the middle of another thread's write. */
    RTSEMSPINMUTEX hLock = __atomic_load_n(&pStream->hLock, __ATOMIC_ACQUIRE);
    if (hLock)
        RTSemSpinMutexRequest(hLock);
    pStream->enmBufMode = enmBufMode;
    if (hLock)
        RTSemSpinMutexRelease(hLock);
    return 0;
}

int RTStreamOpen(const char *pszFilename, const char *pszMode, PRTSTREAM *ppStream)
{
    if (!pszFilename)
        return ERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(pszFilename) || !RT_VALID_PTR(ppStream))
        return ERR_INVALID_POINTER;
    uint64_t fOpen = 0;
    bool fBinary = false;
    int rc = rtStrmParseMode(pszMode, &fOpen, &fBinary);
    if (RT_FAILURE(rc))
        return rc;
    rc = rtStrmEnsureListReady();
    if (RT_FAILURE(rc))
        return rc;

    PRTSTREAM pStream = (PRTSTREAM)RT_SEAM(g_rtSeamsStream, RTMemAllocTag)(sizeof(*pStream), RTMEM_TAG);
    if (!pStream)
        return ERR_NO_MEMORY;
    rc = RTFileOpen(&pStream->hFile, pszFilename, fOpen);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pStream);
        return rc;
    }
    pStream->u32Magic = RTSTREAM_MAGIC;
    pStream->i32Error = 0;
    pStream->iStdHandle = RTSTREAM_NOT_STANDARD;
    pStream->pchBuf = pStream->pchSecondary = NULL;
    pStream->cbBufAlloc = pStream->offBufFirst = pStream->offBufEnd = 0;
    pStream->enmBufDir = RTSTREAM_DIR_NONE;
    pStream->enmBufMode = RTSTREAM_BUF_FULL;
    pStream->fCurrentCodeSet = false;
    pStream->fBinary = fBinary;
    pStream->fPending = false;
    pStream->hLock = NULL;
    rtStrmLinkOpened(pStream);
    *ppStream = pStream;
    return 0;
}

void rtStrmTerm(void)
{
    rtStrmFlushAndFreeBuffer(&g_StdOut);
    rtStrmFlushAndFreeBuffer(&g_StdErr);
    rtStrmFlushAndFreeBuffer(&g_StdIn);
    if (__atomic_load_n(&g_uListState, __ATOMIC_ACQUIRE) != kListReady)
        return;
    PRTSTREAM pStream;
    while ((pStream = rtStrmUnlinkFirstOpened()) != NULL)
        rtStrmDestroyOpened(pStream);
}

RT_TERMINATOR(rtStrmTerm);
