/** @file
 * Stopping the process after a failure nobody can handle: the runtime's
 * release-assertion stop.
 */
#ifndef RT_INTERNAL_FATAL_H
#define RT_INTERNAL_FATAL_H

#include <rt/types.h>

/** The exit code of a process stopped by rtFatalStop. */
#define RTFATAL_EXIT_CODE 1

/**
 * Writes the message formatted from @a pszFormat (RTStrBufPrintf conversions,
 * at most 1023 bytes, taken as it is: no prefix, no added newline) to standard
 * error and ends the process at once with RTFATAL_EXIT_CODE. No exit handler
 * or terminator runs: the process's state is not to be trusted any more.
 */
[[noreturn]] void rtFatalStop(const char *pszFormat, ...);

/** The OS part of rtFatalStop: ends the process with @a uExitCode, never returning. */
[[noreturn]] void rtFatalTerminate(uint32_t uExitCode);

#endif
