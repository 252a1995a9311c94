/** @file
 * The pieces of the runtime's own process start-up (no C runtime), shared by
 * its entry points. Windows only.
 */
#ifndef RT_INTERNAL_NOCRT_STARTUP_H
#define RT_INTERNAL_NOCRT_STARTUP_H

#include <rt/types.h>

/** Exit code of a start-up that could not get the program's arguments. */
#define RTNOCRT_EXIT_START_FAILED 3

/**
 * Records the executable's path in the store of internal/process.h, early,
 * before any initialiser runs. A failure is written to standard error
 * ("initProcExecPath: ...") and leaves the store empty; start-up goes on.
 */
void rtNoCrtStartupInitExePath(void);

/**
 * Converts the process's command line (from the process parameters) to UTF-8
 * and splits it with C runtime quoting into an argument vector that lives as
 * long as the process. A failure is written to standard error ("No command
 * line", "Failed to convert command line to UTF-8: <status>", "Error parsing
 * command line: <status>").
 * @returns 0, or RTNOCRT_EXIT_START_FAILED.
 */
int rtNoCrtStartupSplitCommandLine(int *pcArgs, char ***ppapszArgs);

#endif
