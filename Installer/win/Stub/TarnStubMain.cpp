/** @file
 * StubMain: the command line first, then the run.
 */
#include "TarnStubMain.h"

int StubMain(int cArgs, char **papszArgs, char **papszEnv)
{
    (void)papszEnv;
    /* The runtime's initialisation (RTR3InitExe, exit code 3 when it fails) comes first here once the runtime's
       start-up provides it; until then the interim entry records what the messages need. */
    static StubSettings s_Settings; /* 12 KB: kept off the stack */
    int rcExit = StubParseCommandLine(cArgs, papszArgs, &s_Settings);
    if (rcExit != STUB_CONTINUE)
        return rcExit;
    return StubRunInstaller(&s_Settings);
}
