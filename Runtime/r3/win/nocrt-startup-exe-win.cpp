/** @file
 * The process entry of an executable on the runtime's own start-up (no C
 * runtime): executable path, static initialisers, command line, StubMain,
 * and the exit with its result.
 *
 * Link with -Wl,-e,_rtNoCrtStartupExe@0 (TARN_NOCRT_ENTRY in the build).
 */
#include <windows.h>
#include <rt/init.h>
#include <rt/process.h>
#include <rt/rawwrite.h>
#include "internal/cinit.h"
#include "internal/nocrt-startup.h"

extern "C" DWORD WINAPI rtNoCrtStartupExe(void)
{
    rtNoCrtStartupInitExePath();

    int rc = rtCInitRunInitializers();
    if (rc != 0)
    {
        /* The program's state is incomplete: no exit handler or terminator may run on it. */
        static const char s_szMsg[] = "A C static initializor failed (";
        RTRawWrite(s_szMsg, sizeof(s_szMsg) - 1);
        RTRawWriteDecHex((size_t)(unsigned)rc);
        RTRawWrite("\r\n", 2);
        RTProcExit(rc, false);
    }
    rtCInitRunConstructors();

    int cArgs = 0;
    char **papszArgs = NULL;
    int rcExit = rtNoCrtStartupSplitCommandLine(&cArgs, &papszArgs);
    if (rcExit != 0)
        RTProcExit(rcExit, true);
    RTProcExit(StubMain(cArgs, papszArgs, NULL), true);
}
