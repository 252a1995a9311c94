/** @file
 * Formatted output on standard output and standard error: the formatter's
 * pieces go straight to the OS writer, so no text is allocated.
 */
#include "TarnStubConsole.h"
#include <rt/string.h>
#include "internal/seam.h"

namespace
{

size_t writePiece(void *pvArg, const char *pachChars, size_t cbChars)
{
    StubStdHandle const enmHandle = *static_cast<const StubStdHandle *>(pvArg);
    if (cbChars > 0)
        RT_SEAM(g_StubSeamsConsole, stubConsoleWrite)(enmHandle, pachChars, cbChars);
    return cbChars;
}

void printV(StubStdHandle enmHandle, const char *pszFormat, va_list va)
{
    va_list vaCopy;
    va_copy(vaCopy, va);
    RTStrFmtV(writePiece, &enmHandle, NULL, NULL, pszFormat, vaCopy);
    va_end(vaCopy);
}

} // namespace

void stubPrintStdOutV(const char *pszFormat, va_list va)
{
    printV(STUBSTDHANDLE_OUTPUT, pszFormat, va);
}

void stubPrintStdErrV(const char *pszFormat, va_list va)
{
    printV(STUBSTDHANDLE_ERROR, pszFormat, va);
}

void stubPrintStdOut(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    stubPrintStdOutV(pszFormat, va);
    va_end(va);
}

void stubPrintStdErr(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    stubPrintStdErrV(pszFormat, va);
    va_end(va);
}
