/** @file
 * Internals of the program messages.
 */
#ifndef RT_INTERNAL_MESSAGE_H
#define RT_INTERNAL_MESSAGE_H

#include <rt/types.h>
#include <rt/stream.h>
#include "internal/seam.h"

/** Writes @a cch bytes to the process's standard error, unbuffered, for reports
 * that must not wait for a stream (a failing lock, for example). On Windows every
 * "\n" is written as "\r\n". Failures are ignored: there is nowhere left to report them. */
void rtMsgWriteStdErr(const char *pch, size_t cch);

#ifdef RT_WITH_SEAMS
/** The calls of the program messages that tests may replace (see internal/seam.h):
 * every write to a stream. */
typedef struct RTSEAMSMSG
{
    decltype(&RTStreamPrintfV) pfnRTStreamPrintfV;
} RTSEAMSMSG;
#endif

#endif
