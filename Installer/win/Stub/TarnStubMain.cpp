/** @file
 * StubMain: the runtime first, then the command line, then the run.
 */
#include "TarnStubCmdLine.h"
#include "TarnStubMain.h"
#include "TarnStubRun.h"
#include <rt/err.h>
#include <rt/init.h>
#include <rt/message.h>

int StubMain(int cArgs, char **papszArgs, char **papszEnv)
{
    (void)papszEnv;
    /* Only the system directory may supply the DLLs this process loads, from the first moment on. */
    int rc = RTR3InitExe(cArgs, &papszArgs, RTR3INIT_F_DLL_SEARCH_SYSTEM32);
    if (RT_FAILURE(rc))
        return RTMsgInitFailure(rc);

    static StubSettings s_Settings; /* 12 KB: kept off the stack */
    int rcExit = StubParseCommandLine(cArgs, papszArgs, &s_Settings);
    if (rcExit != STUB_CONTINUE)
        return rcExit;
    return StubRunInstaller(&s_Settings);
}
