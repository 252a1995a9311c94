/** @file
 * Interim process entry of the installer: records the executable path,
 * splits the UTF-16 command line with Microsoft C runtime quoting and ends
 * the process with StubMain's result. The runtime's own process entry
 * replaces this file (with its static initialisers, exit handlers and stream
 * terminators) when the runtime's start-up joins the installer.
 */
#include <windows.h>
#include "TarnStubMain.h"
#include <rt/getoptargv.h>
#include <rt/mem.h>
#include <rt/process.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/process.h"

extern "C" DWORD WINAPI TarnStubEntry(void)
{
    if (RT_SUCCESS(rtProcInitExePath(g_szrtProcExePath, RTPROC_EXE_PATH_LIMIT)))
        rtProcMeasureExePath();

    char *pszCmdLine = NULL;
    char **papszArgs = NULL;
    int cArgs = 0;
    int rc = RTUtf16ToUtf8Ex((const RTUTF16 *)GetCommandLineW(), RTSTR_MAX, &pszCmdLine, 0, NULL, RTMEM_TAG);
    if (RT_SUCCESS(rc))
        rc = RTGetOptArgvSplit(&papszArgs, &cArgs, pszCmdLine, RTARGV_STYLE_MSCRT | RTARGV_IN_PLACE, NULL);
    if (RT_FAILURE(rc))
        ExitProcess(STUB_EXIT_INIT_FAILURE);
    /* Through the runtime's exit: it writes out what the output streams still hold. */
    RTProcExit(StubMain(cArgs, papszArgs, NULL), true);
}
