/** @file
 * The end of a process after a fatal failure, on Windows.
 */
#include <windows.h>
#include "internal/fatal.h"

void rtFatalTerminate(uint32_t uExitCode)
{
    /* TerminateProcess on the own process does not return once it succeeded;
     * should it ever fail, trying again is all there is left. */
    for (;;)
        TerminateProcess(GetCurrentProcess(), uExitCode);
}
