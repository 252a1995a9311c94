/** @file
 * Internal output path of the program messages.
 */
#ifndef RT_INTERNAL_MESSAGE_H
#define RT_INTERNAL_MESSAGE_H

#include <rt/types.h>

/** Writes @a cch bytes to the process's standard error, unbuffered. On Windows
 * every "\n" is written as "\r\n". Failures are ignored: there is nowhere left to report them. */
void rtMsgWriteStdErr(const char *pch, size_t cch);

/** Receives the bytes of the program messages instead of standard error. */
typedef void FNRTMSGTESTOUTPUT(void *pvUser, const char *pch, size_t cch);
typedef FNRTMSGTESTOUTPUT *PFNRTMSGTESTOUTPUT;

/** Sends all program-message output to @a pfnOutput (before newline translation)
 * until called again with null. For tests; not thread-safe. */
void rtMsgTestSetOutput(PFNRTMSGTESTOUTPUT pfnOutput, void *pvUser);

#endif
