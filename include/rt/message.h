/** @file
 * Program messages: formatted text on the standard streams (rt/stream.h),
 * every line prefixed with the program's file name and a category.
 */
#ifndef RT_MESSAGE_H
#define RT_MESSAGE_H

#include <rt/types.h>

/**
 * Writes an error message to the standard error stream.
 *
 * The message is formatted (RTStrAllocPrintfV conversions) and split at '\n':
 * each non-empty line is written as "<program>: error: <line>\n", each empty
 * line between two '\n' as a bare "\n", and text after the last '\n' as a line
 * of its own, so "a\nb" and "a\nb\n" both give two lines. An empty format or
 * exactly "\n" writes a single "\n". The program is the file name of the
 * executable path recorded at start-up; without one the "<program>: " part is
 * left out. When the text cannot be allocated, the prefix and the message are
 * written unsplit, followed by "\n" unless the format holds one. The stream
 * converts the text and writes every "\n" as "\r\n" (rt/stream.h).
 * @returns 0.
 */
int RTMsgError(const char *pszFormat, ...);
/** RTMsgError with an argument list. */
int RTMsgErrorV(const char *pszFormat, va_list va);

/** As RTMsgError, on the standard output stream with the category "info: ". @returns 0. */
int RTMsgInfo(const char *pszFormat, ...);
/** RTMsgInfo with an argument list. */
int RTMsgInfoV(const char *pszFormat, va_list va);

/**
 * Reports that the runtime could not be initialised (RTR3Init failed with
 * @a rcInit): "<program>: fatal error: RTR3Init: <status name>\n" on the
 * standard error stream, or without "<program>: " while the executable path is
 * not recorded.
 * @returns 3, the exit code of a program whose runtime cannot start.
 */
int RTMsgInitFailure(int rcInit);

#endif
