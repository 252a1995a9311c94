/** @file
 * Runtime initialisation: RTR3Init and its first-time body, and the runtime's
 * own exit handler.
 */
#include <rt/init.h>
#include <rt/err.h>
#include <rt/process.h>
#include <rt/string.h>
#include <rt/thread.h>
#include <rt/time.h>
#include "internal/init.h"
#include "internal/initterm.h"
#include "internal/process.h"
#include "internal/thread.h"

int32_t volatile g_crtR3Users = 0;
bool volatile g_frtR3Initializing = false;
bool volatile g_frtR3Terminating = false;
uint32_t volatile g_frtR3InitFlags = 0;
uint32_t g_rtR3ProcessSelf = 0;
int g_crtR3Args = -1;
char **g_papszrtR3OrgArgs = NULL;
char **g_papszrtR3Args = NULL;
uint64_t g_u64rtR3ProgramStartNanoTS = 0;

namespace
{

/** At exit: from now on the process is ending. */
void rtR3ExitCallback(void)
{
    __atomic_store_n(&g_frtR3Terminating, true, __ATOMIC_SEQ_CST);
    rtThreadSetProcessTerminating();
}

/** Replaces the stored executable path with @a pszPath and measures it. */
int rtR3InitStoreProgramPath(const char *pszPath)
{
    if (RTStrLen(pszPath) >= RTR3INIT_PROGRAM_PATH_LIMIT)
        return ERR_BUFFER_OVERFLOW;
    RTStrCopy(g_szrtProcExePath, sizeof(g_szrtProcExePath), pszPath);
    rtProcMeasureExePath();
    return 0;
}

/** Records the arguments when none are yet; others than those recorded are refused. */
int rtR3InitRecordArgs(int cArgs, char ***ppapszArgs)
{
    if (cArgs == 0)
        return 0;
    char **papszArgs = ppapszArgs ? *ppapszArgs : NULL;
    if (g_crtR3Args == -1)
    {
        g_crtR3Args = cArgs;
        g_papszrtR3OrgArgs = g_papszrtR3Args = papszArgs;
        return 0;
    }
    if (g_crtR3Args != cArgs || g_papszrtR3OrgArgs != papszArgs)
        return ERR_WRONG_ORDER;
    return 0;
}

/** A later initialisation: adds what it brings to the first one. */
int rtR3InitRepeated(uint32_t fFlags, int cArgs, char ***ppapszArgs, const char *pszProgramPath)
{
    int rc = 0;
    __atomic_or_fetch(&g_frtR3InitFlags, fFlags & RTR3INIT_F_FLAG_2, __ATOMIC_SEQ_CST);
    if ((g_frtR3InitFlags & RTR3INIT_F_UNOBTRUSIVE) && !(fFlags & RTR3INIT_F_UNOBTRUSIVE))
    {
        __atomic_and_fetch(&g_frtR3InitFlags, ~RTR3INIT_F_UNOBTRUSIVE, __ATOMIC_SEQ_CST);
        __atomic_or_fetch(&g_frtR3InitFlags, fFlags & RTR3INIT_F_DLL_SEARCH_SYSTEM32, __ATOMIC_SEQ_CST);
        rc = rtR3InitNativeObtrusive(g_frtR3InitFlags);
    }
    if (pszProgramPath)
    {
        int rc2 = rtR3InitStoreProgramPath(pszProgramPath);
        if (RT_FAILURE(rc2))
            rc = rc2;
    }
    int rc2 = rtR3InitRecordArgs(cArgs, ppapszArgs);
    if (RT_FAILURE(rc2))
        rc = rc2;
    return rc;
}

} // namespace

int rtR3InitBody(uint32_t fFlags, int cArgs, char ***ppapszArgs, const char *pszProgramPath)
{
    int rc = rtR3InitNativeFirst(fFlags);
    if (RT_FAILURE(rc))
        return rc;
    g_rtR3ProcessSelf = rtR3InitNativeProcessId();
    __atomic_or_fetch(&g_frtR3InitFlags, fFlags, __ATOMIC_SEQ_CST);

    rc = RTThreadSubsystemInit();
    if (RT_FAILURE(rc))
        return rc;

    if (pszProgramPath)
        rc = rtR3InitStoreProgramPath(pszProgramPath);
    else
    {
        rc = rtProcInitExePath(g_szrtProcExePath, RTPROC_EXE_PATH_LIMIT);
        if (RT_SUCCESS(rc))
            rtProcMeasureExePath();
    }
    if (RT_FAILURE(rc))
        return rc; /* the release log ("Failed to get executable directory path") is not part of this runtime */

    rc = rtR3InitRecordArgs(cArgs, ppapszArgs);
    if (RT_FAILURE(rc))
        return rc;

    g_u64rtR3ProgramStartNanoTS = RTTimeNanoTS();
    RTAtExitRegister(rtR3ExitCallback);
    return 0;
}

int RTR3Init(uint32_t fFlags, int cArgs, char ***ppapszArgs, const char *pszProgramPath)
{
    if (__atomic_add_fetch(&g_crtR3Users, 1, __ATOMIC_SEQ_CST) > 1)
        return rtR3InitRepeated(fFlags, cArgs, ppapszArgs, pszProgramPath);

    __atomic_store_n(&g_frtR3Initializing, true, __ATOMIC_SEQ_CST);
    int rc = rtR3InitBody(fFlags, cArgs, ppapszArgs, pszProgramPath);
    __atomic_store_n(&g_frtR3Initializing, false, __ATOMIC_SEQ_CST);
    if (RT_FAILURE(rc))
        __atomic_sub_fetch(&g_crtR3Users, 1, __ATOMIC_SEQ_CST);
    return rc;
}

int RTR3InitExe(int cArgs, char ***ppapszArgs, uint32_t fFlags)
{
    return RTR3Init(fFlags, cArgs, ppapszArgs, NULL);
}

bool RTR3InitIsInitialized(void)
{
    return __atomic_load_n(&g_crtR3Users, __ATOMIC_SEQ_CST) > 0 &&
           !__atomic_load_n(&g_frtR3Initializing, __ATOMIC_SEQ_CST);
}

bool RTR3InitIsTerminating(void)
{
    return __atomic_load_n(&g_frtR3Terminating, __ATOMIC_SEQ_CST);
}

#ifdef RT_WITH_SEAMS
void rtR3InitSeamsForget(void)
{
    __atomic_store_n(&g_crtR3Users, 0, __ATOMIC_SEQ_CST);
    g_frtR3Initializing = false;
    g_frtR3Terminating = false;
    g_frtR3InitFlags = 0;
    g_crtR3Args = -1;
    g_papszrtR3OrgArgs = g_papszrtR3Args = NULL;
}
#endif
