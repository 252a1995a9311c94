/** @file
 * Buffered output streams: the process's three standard streams and streams
 * opened on files by name.
 *
 * The standard streams are bound to the process's standard handles on their
 * first write-out. Their text is UTF-8 inside the program and is converted to
 * the ANSI code page on the way out (left as it is when that code page is
 * UTF-8, 65001); every "\n" reaches the handle as "\r\n". Output is line
 * buffered, error output unbuffered; a standard stream whose handle turns out
 * not to be a console (redirected to a file or a pipe) becomes fully buffered.
 * Streams opened by name are fully buffered, write their text unconverted and
 * translate newlines unless opened as binary.
 *
 * The first failure of a stream is kept: every later write returns it. All
 * buffered text is written out when the process ends (RTProcExit); there is no
 * explicit close. Any thread may write to any stream: one formatted write is
 * never interleaved with another thread's on the same stream.
 *
 * Reading from streams is not supported.
 */
#ifndef RT_STREAM_H
#define RT_STREAM_H

#include <rt/types.h>

/** A stream (opaque). */
typedef struct RTSTREAM RTSTREAM;
/** Pointer to a stream. */
typedef RTSTREAM *PRTSTREAM;

/** Standard input (handle index 0). */
extern PRTSTREAM const g_pStdIn;
/** Standard output (handle index 1): line buffered. A program may point it at
 * a stream of its own (the installer's verbose console) from its main thread
 * while no other thread writes. */
extern PRTSTREAM g_pStdOut;
/** Standard error (handle index 2): unbuffered. Replaceable like g_pStdOut. */
extern PRTSTREAM g_pStdErr;

/** @name Buffering modes of RTStreamSetBuffering
 * @{ */
/** Text is kept until the buffer is full or the process ends. */
#define RTSTRMBUFMODE_FULL 1
/** Text up to the last "\n" is written out after every write. */
#define RTSTRMBUFMODE_LINE 2
/** Text is written out after every write. */
#define RTSTRMBUFMODE_UNBUFFERED 3
/** @} */

/**
 * Formats @a pszFormat (the conversions of RTStrFmtV) onto @a pStream, holding
 * the stream's lock for the whole call.
 * @returns the number of bytes formatted (before conversion and newline
 *          translation); ERR_INVALID_PARAMETER for a null or invalid stream;
 *          -1 when the stream already holds a failure.
 */
int RTStreamPrintfV(PRTSTREAM pStream, const char *pszFormat, va_list va);
/** RTStreamPrintfV with the arguments inline. */
int RTStreamPrintf(PRTSTREAM pStream, const char *pszFormat, ...);

/**
 * Sets the buffering mode of @a pStream (RTSTRMBUFMODE_*); it applies from the
 * next write on. Text already buffered stays until then.
 * @returns 0; ERR_INVALID_HANDLE for an invalid stream; ERR_INVALID_PARAMETER
 *          for another mode.
 */
int RTStreamSetBuffering(PRTSTREAM pStream, int enmMode);

/**
 * Opens a fully buffered stream on the file @a pszFilename.
 *
 * @a pszMode holds, in any order: exactly one of 'r' (open an existing file
 * for reading), 'w' (create or replace it for writing) and 'a' (open or
 * create it for appending); optionally '+' (read and write), 'x' (with 'w'
 * only: create a new file, for reading and writing), 'b' (binary: no newline
 * translation) or 't' (text, the default), 'N' or 'e' (the handle is not
 * inherited by child processes) or 'E' (inherited, the default); the last of
 * 'b'/'t' and of 'N'/'e'/'E' counts. The file is shared with everyone and
 * created with mode 0666.
 *
 * @returns 0 and the stream in *ppStream; ERR_INVALID_PARAMETER for a null
 *          @a pszFilename; ERR_INVALID_POINTER for a bad @a ppStream;
 *          ERR_INVALID_FLAGS for a null, empty or unknown mode; ERR_NO_MEMORY;
 *          the failure of the open.
 */
int RTStreamOpen(const char *pszFilename, const char *pszMode, PRTSTREAM *ppStream);

#endif
