/** @file
 * The end of a process after a fatal failure, for the host build.
 */
#include <unistd.h>
#include "internal/fatal.h"

void rtFatalTerminate(uint32_t uExitCode)
{
    _exit((int)uExitCode);
}
