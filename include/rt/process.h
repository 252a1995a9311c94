/** @file
 * The process's exit: exit handlers and the ending of the process.
 */
#ifndef RT_PROCESS_H
#define RT_PROCESS_H

#include <rt/types.h>

/** An exit handler: no arguments, no result. */
typedef void FNRTATEXIT(void);
typedef FNRTATEXIT *PFNRTATEXIT;

/** Most exit handlers a process can register. */
#define RTATEXIT_MAX_HANDLERS 8192

/**
 * Registers @a pfnHandler to run at the process's exit (RTProcExit with
 * handlers), after every handler registered later: handlers run in the reverse
 * order of their registration, each once. Safe from any thread.
 * @returns 0; -1 when RTATEXIT_MAX_HANDLERS are registered already or the
 *          memory for the handler's block cannot be had.
 */
int RTAtExitRegister(PFNRTATEXIT pfnHandler);

/**
 * Runs the registered exit handlers, the last registered first, each once, and
 * empties the list. Called by the exit path on the exiting thread.
 */
void RTAtExitRun(void);

/**
 * Ends the process with @a rcExit. With @a fRunHandlers the exit handlers run
 * first (RTAtExitRun), then the program's pre-terminators and terminators,
 * which write out and free the output streams (rt/stream.h). Windows only.
 */
[[noreturn]] void RTProcExit(int rcExit, bool fRunHandlers);

#endif
