/** @file
 * Internals of the streams: the stream record, the mode-string parser (portable)
 * and the hooks of the process exit.
 */
#ifndef RT_INTERNAL_STREAM_H
#define RT_INTERNAL_STREAM_H

#include <rt/stream.h>
#include <rt/file.h>
#include <rt/mem.h>
#include <rt/semaphore.h>
#include "internal/seam.h"

/** RTSTREAM::u32Magic of a usable stream. */
#define RTSTREAM_MAGIC UINT32_C(0xE44E44EE)
/** RTSTREAM::u32Magic of a stream freed at termination. */
#define RTSTREAM_MAGIC_DEAD UINT32_C(0xDEADDEAD)

/** @name RTSTREAM::enmBufMode values
 * @{ */
#define RTSTREAM_BUF_NONE 0
#define RTSTREAM_BUF_LINE 1
#define RTSTREAM_BUF_FULL 2
/** @} */

/** @name RTSTREAM::enmBufDir values
 * @{ */
#define RTSTREAM_DIR_NONE  0
#define RTSTREAM_DIR_WRITE 2
/** @} */

/** Standard handle index of a stream opened by name. */
#define RTSTREAM_NOT_STANDARD (-1)

/** The buffer of a fully buffered stream. */
#define RTSTREAM_BUF_SIZE_FULL UINT32_C(65536)
/** The buffer of a line-buffered or unbuffered stream. */
#define RTSTREAM_BUF_SIZE_OTHER UINT32_C(16384)
/** The allocation is halved down to this size before the stream gives up. */
#define RTSTREAM_BUF_SIZE_MIN UINT32_C(512)

/** Membership in the list of streams opened by name. */
typedef struct RTSTREAMLINK
{
    struct RTSTREAM *pNext;
    struct RTSTREAM *pPrev;
} RTSTREAMLINK;

/** One stream. */
struct RTSTREAM
{
    /** RTSTREAM_MAGIC while usable. */
    uint32_t u32Magic;
    /** 0, or the first failure: once negative, every write returns it. */
    int32_t i32Error;
    /** 0 input, 1 output, 2 error; RTSTREAM_NOT_STANDARD for streams opened by name. */
    int32_t iStdHandle;
    /** The file; NIL_RTFILE until bound. */
    RTFILE hFile;
    /** The buffer; null until the first write. */
    char *pchBuf;
    /** Size of pchBuf in bytes. */
    uint32_t cbBufAlloc;
    /** Offset of the first byte not yet written out. */
    uint32_t offBufFirst;
    /** Offset after the last buffered byte. */
    uint32_t offBufEnd;
    /** RTSTREAM_DIR_*. */
    uint32_t enmBufDir;
    /** RTSTREAM_BUF_*. */
    uint32_t enmBufMode;
    /** One eighth of the buffer, allocated and freed with it: where a piece of text
     * that is not NUL-terminated is copied for the code-page conversion. */
    char *pchSecondary;
    /** Text is converted from UTF-8 to the ANSI code page on output. */
    bool fCurrentCodeSet;
    /** No newline translation. */
    bool fBinary;
    /** Cleared on every write. */
    bool fPending;
    /** Serialises the writers; created on first use. */
    RTSEMSPINMUTEX volatile hLock;
    /** Membership in the list of streams opened by name. */
    RTSTREAMLINK Link;
};

/**
 * Parses an RTStreamOpen mode string into open flags (RTFILE_O_*, with
 * RTFILE_O_DENY_NONE, the creation mode 0666 and RTFILE_O_INHERIT unless
 * 'N' or 'e') and the binary choice.
 * @returns 0, or ERR_INVALID_FLAGS (outputs untouched).
 */
int rtStrmParseMode(const char *pszMode, uint64_t *pfOpen, bool *pfBinary);

/** @name Native part (Windows)
 * @{ */
/**
 * The standard handle of index @a iStdHandle (0 input, 1 output, 2 error) as a
 * file, and whether it is a console (GetConsoleMode works on it).
 * @returns 0; ERR_INVALID_HANDLE when the process has no such handle.
 */
int rtStrmNativeStdHandle(int iStdHandle, RTFILE *phFile, bool *pfConsole);
/** True when the ANSI code page is UTF-8 (65001): text then needs no conversion. */
bool rtStrmNativeAnsiIsUtf8(void);
/** @} */

#ifdef RT_WITH_SEAMS
/** Test seams of the streams: the allocations of buffers and records. */
typedef struct RTSEAMSSTREAM
{
    decltype(&RTMemAllocTag) pfnRTMemAllocTag;
} RTSEAMSSTREAM;
#endif

/** Flushes and frees every stream at process termination: the standard streams in
 * the order output, error, input, then every stream opened by name. */
void rtStrmTerm(void);

#endif
