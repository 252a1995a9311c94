/** @file
 * Program messages: formatted text on standard error, every line prefixed
 * with the program's file name and a category.
 */
#ifndef RT_MESSAGE_H
#define RT_MESSAGE_H

#include <rt/types.h>

/**
 * Writes an error message to standard error.
 *
 * The message is formatted (RTStrAllocPrintfV conversions) and split at '\n':
 * each non-empty line is written as "<program>: error: <line>\n", each empty
 * line between two '\n' as a bare "\n", and text after the last '\n' as a line
 * of its own, so "a\nb" and "a\nb\n" both give two lines. An empty format or
 * exactly "\n" writes a single "\n". Without a recorded executable path the
 * "<program>: " part is left out. When the text cannot be allocated, the prefix
 * and the message are written unsplit, followed by "\n" unless the format
 * holds one. On Windows every "\n" reaches the handle as "\r\n".
 * @returns 0.
 */
int RTMsgError(const char *pszFormat, ...);
/** RTMsgError with an argument list. */
int RTMsgErrorV(const char *pszFormat, va_list va);

#endif
