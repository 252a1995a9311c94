/** @file
 * What every program on the runtime's own start-up needs, whatever its entry
 * point: the static initialiser and terminator tables and their walks, the
 * early record of the executable's path, the command line as an argument
 * vector, and the process exit.
 */
#include <windows.h>
#if !defined(__i386__)
#error "The process environment block is read the 32-bit x86 way."
#endif
#include <winternl.h>
#include <rt/err.h>
#include <rt/getoptargv.h>
#include <rt/mem.h>
#include <rt/path.h>
#include <rt/process.h>
#include <rt/rawwrite.h>
#include <rt/utf16.h>
#include "internal/cinit.h"
#include "internal/nocrt-startup.h"
#include "internal/process.h"

/*
 * The tables: the linker sorts the sections by name, so everything placed in
 * ".ctors.XIU" (and the like) lies between the "A" and "Z" markers here. All
 * read-only, as the part of .text they end up in.
 */
extern "C"
{
    __attribute__((section(".ctors.XIA"), used)) PFNRTCINIT const g_apfnrtCInitStart[1] = {NULL};
    __attribute__((section(".ctors.XIZ"), used)) PFNRTCINIT const g_apfnrtCInitEnd[1] = {NULL};
    __attribute__((section(".ctors.XCA"), used)) PFNRTCTERM const g_apfnrtCCtorStart[1] = {NULL};
    __attribute__((section(".ctors.XCZ"), used)) PFNRTCTERM const g_apfnrtCCtorEnd[1] = {NULL};
    __attribute__((section(".ctors.XPA"), used)) PFNRTCTERM const g_apfnrtCPreTermStart[1] = {NULL};
    __attribute__((section(".ctors.XPZ"), used)) PFNRTCTERM const g_apfnrtCPreTermEnd[1] = {NULL};
    __attribute__((section(".ctors.XTA"), used)) PFNRTCTERM const g_apfnrtCTermStart[1] = {NULL};
    __attribute__((section(".ctors.XTZ"), used)) PFNRTCTERM const g_apfnrtCTermEnd[1] = {NULL};
}

namespace
{

/** Runs the functions between two markers in order, skipping null entries. The
 * bounds are read through volatile pointers: the compiler must not conclude from
 * the one-element marker arrays that nothing lies between them. */
void rtCInitRunVoidTable(PFNRTCTERM const *ppfnStart, PFNRTCTERM const *ppfnEnd)
{
    for (PFNRTCTERM const volatile *ppfn = ppfnStart; ppfn < (PFNRTCTERM const volatile *)ppfnEnd; ppfn++)
        if (*ppfn)
            (*ppfn)();
}

/** The process environment block: at fs:[0x30] on 32-bit x86. */
PEB *rtNoCrtStartupCurrentPeb(void)
{
    PEB *pPeb;
    __asm__("movl %%fs:0x30, %0" : "=r"(pPeb));
    return pPeb;
}

} // namespace

int rtCInitRunInitializers(void)
{
    for (PFNRTCINIT const volatile *ppfn = g_apfnrtCInitStart; ppfn < (PFNRTCINIT const volatile *)g_apfnrtCInitEnd;
         ppfn++)
        if (*ppfn)
        {
            int rc = (*ppfn)();
            if (rc != 0)
                return rc;
        }
    return 0;
}

void rtCInitRunConstructors(void)
{
    rtCInitRunVoidTable(g_apfnrtCCtorStart, g_apfnrtCCtorEnd);
}

void rtCInitRunTerminators(void)
{
    rtCInitRunVoidTable(g_apfnrtCPreTermStart, g_apfnrtCPreTermEnd);
    rtCInitRunVoidTable(g_apfnrtCTermStart, g_apfnrtCTermEnd);
}

void rtNoCrtStartupInitExePath(void)
{
    WCHAR wszPath[RTPATH_MAX];
    DWORD cwc = GetModuleFileNameW(NULL, wszPath, RT_ELEMENTS(wszPath));
    if (cwc == 0)
    {
        static const char s_szMsg[] = "initProcExecPath: GetModuleFileNameW failed: ";
        RTRawWrite(s_szMsg, sizeof(s_szMsg) - 1);
        RTRawWriteDecHex(GetLastError());
        RTRawWrite("\r\n", 2);
        return;
    }
    char *pszPath = g_szrtProcExePath;
    int rc = RTUtf16ToUtf8Ex((const RTUTF16 *)wszPath, cwc, &pszPath, sizeof(g_szrtProcExePath), NULL, RTMEM_TAG);
    if (RT_FAILURE(rc))
    {
        static const char s_szMsg[] = "initProcExecPath: RTUtf16ToUtf8Ex failed: ";
        RTRawWriteMsgStatus(s_szMsg, sizeof(s_szMsg) - 1, rc);
        g_szrtProcExePath[0] = '\0';
        return;
    }
    rtProcMeasureExePath();
}

int rtNoCrtStartupSplitCommandLine(int *pcArgs, char ***ppapszArgs)
{
    RTL_USER_PROCESS_PARAMETERS const *pParams = rtNoCrtStartupCurrentPeb()->ProcessParameters;
    if (!pParams)
    {
        static const char s_szMsg[] = "No command line\r\n";
        RTRawWrite(s_szMsg, sizeof(s_szMsg) - 1);
        return RTNOCRT_EXIT_START_FAILED;
    }

    static const RTUTF16 s_wszEmpty[] = {0};
    UNICODE_STRING const *pCmdLine = &pParams->CommandLine;
    const RTUTF16 *pwszCmdLine = pCmdLine->Buffer ? (const RTUTF16 *)pCmdLine->Buffer : s_wszEmpty;
    char *pszCmdLine = NULL;
    int rc = RTUtf16ToUtf8Ex(pwszCmdLine, pCmdLine->Length / sizeof(WCHAR), &pszCmdLine, 0, NULL, RTMEM_TAG);
    if (RT_FAILURE(rc))
    {
        static const char s_szMsg[] = "Failed to convert command line to UTF-8: ";
        RTRawWriteMsgStatus(s_szMsg, sizeof(s_szMsg) - 1, rc);
        return RTNOCRT_EXIT_START_FAILED;
    }

    /* The arguments live in the converted line for the rest of the process. */
    rc = RTGetOptArgvSplit(ppapszArgs, pcArgs, pszCmdLine, RTARGV_IN_PLACE | RTARGV_STYLE_MSCRT, NULL);
    if (RT_FAILURE(rc))
    {
        static const char s_szMsg[] = "Error parsing command line: ";
        RTRawWriteMsgStatus(s_szMsg, sizeof(s_szMsg) - 1, rc);
        RTStrFree(pszCmdLine);
        return RTNOCRT_EXIT_START_FAILED;
    }
    return 0;
}

void RTProcExit(int rcExit, bool fRunHandlers)
{
    if (fRunHandlers)
    {
        RTAtExitRun();
        rtCInitRunTerminators();
    }
    for (;;)
        TerminateProcess(GetCurrentProcess(), (UINT)rcExit);
}
