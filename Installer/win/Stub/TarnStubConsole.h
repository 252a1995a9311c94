/** @file
 * Formatted text on the process's standard output and standard error.
 *
 * stubPrintStdOutV / stubPrintStdErrV format with the runtime formatter and
 * write the result; on Windows through the runtime's standard streams
 * (g_pStdOut, g_pStdErr), so each "\n" reaches the handle as "\r\n" and the
 * verbose console, once it replaces them, receives the text. Write failures
 * are ignored: there is nowhere left to report them.
 * stubConsoleWrite is the OS part (one call per formatted piece).
 */
#ifndef TARN_STUB_CONSOLE_H
#define TARN_STUB_CONSOLE_H

#include <rt/types.h>
#include "TarnStubSeams.h"

/** Which standard handle stubConsoleWrite writes to. */
typedef enum StubStdHandle
{
    STUBSTDHANDLE_OUTPUT = 1,
    STUBSTDHANDLE_ERROR = 2
} StubStdHandle;

void stubPrintStdOutV(const char *pszFormat, va_list va);
void stubPrintStdErrV(const char *pszFormat, va_list va);
void stubPrintStdOut(const char *pszFormat, ...);
void stubPrintStdErr(const char *pszFormat, ...);

/** Writes @a cch bytes of @a pch to the standard handle @a enmHandle. */
void stubConsoleWrite(StubStdHandle enmHandle, const char *pch, size_t cch);

#ifdef RT_WITH_SEAMS
/** Replaceable calls of the console output (tests only; see internal/seam.h). */
typedef struct StubSeamsConsole
{
    decltype(&stubConsoleWrite) pfnstubConsoleWrite;
} StubSeamsConsole;
#endif

#endif
