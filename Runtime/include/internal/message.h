/** @file
 * Internal output path of the program messages.
 */
#ifndef RT_INTERNAL_MESSAGE_H
#define RT_INTERNAL_MESSAGE_H

#include <rt/types.h>
#include "internal/seam.h"

/** Writes @a cch bytes to the process's standard error, unbuffered. On Windows
 * every "\n" is written as "\r\n". Failures are ignored: there is nowhere left to report them. */
void rtMsgWriteStdErr(const char *pch, size_t cch);

#ifdef RT_WITH_SEAMS
/** The calls of the program messages that tests may replace (see internal/seam.h):
 * the output, which a replacement receives before the newline translation. */
typedef struct RTSEAMSMSG
{
    decltype(&rtMsgWriteStdErr) pfnrtMsgWriteStdErr;
} RTSEAMSMSG;
extern RTSEAMSMSG g_rtSeamsMsg;
#endif

#endif
