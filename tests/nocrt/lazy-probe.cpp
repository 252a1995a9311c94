/** @file
 * A program without the C runtime that calls system functions through the
 * runtime's lazy import tables, under their ordinary names and prototypes,
 * while importing none of their libraries. The last word of its command line
 * chooses what it does:
 *
 *   calls             GetDesktopWindow, CommandLineToArgvW and MsiSetInternalUI;
 *                     prints "desktop same argc <n> last <argument> ui <level>"
 *                     ("same": GetDesktopWindow answered as user32's own does)
 *   msi-path          MsiSetInternalUI, then prints "msi <path of the loaded msi.dll>"
 *   plain-load        loads "MSI.DLL" with the system's own search, prints its path
 *   missing-function  calls a function VERSION.DLL does not have
 *   missing-library   calls a function of a library that does not exist
 *   before-init       opens a system library before the runtime's start-up
 *
 * Exit code 0 when the calls return; the fatal cases end the process from
 * inside the loader.
 */
#include <windows.h>
#include <shellapi.h>
#include <msi.h>
#include <rt/err.h>
#include <rt/ldr.h>
#include <rt/string.h>
#include <rt/init.h>
#include "internal/initterm.h"

extern "C" int WINAPI TarnLazyMissingFunction(int iArg);
extern "C" int WINAPI TarnLazyNoLibraryFunction(void);

namespace
{

void writeLine(const char *pszFormat, ...)
{
    char szLine[1024];
    va_list va;
    va_start(va, pszFormat);
    size_t const cch = RTStrBufPrintfV(szLine, sizeof(szLine), pszFormat, va);
    va_end(va);
    DWORD cbWritten = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), szLine, (DWORD)cch, &cbWritten, NULL);
}

/** The text after the last space of the command line. */
const WCHAR *lastWord(void)
{
    const WCHAR *pwszCmdLine = GetCommandLineW();
    const WCHAR *pwszWord = pwszCmdLine;
    for (const WCHAR *pwc = pwszCmdLine; *pwc; pwc++)
        if (*pwc == ' ')
            pwszWord = pwc + 1;
    return pwszWord;
}

bool isMode(const WCHAR *pwszWord, const char *pszMode)
{
    for (; *pszMode; pszMode++, pwszWord++)
        if (*pwszWord != (WCHAR)*pszMode)
            return false;
    return *pwszWord == '\0';
}

typedef HWND(WINAPI *PFNGETDESKTOPWINDOW)(void);

/** Whether the lazily bound GetDesktopWindow answers as user32's own does. */
const char *checkDesktopWindow(void)
{
    HWND const hwndLazy = GetDesktopWindow();
    PFNGETDESKTOPWINDOW const pfnDirect =
        (PFNGETDESKTOPWINDOW)(void *)GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDesktopWindow");
    if (!hwndLazy || !pfnDirect)
        return "missing";
    return pfnDirect() == hwndLazy ? "same" : "different";
}

int doCalls(void)
{
    const char *pszDesktop = checkDesktopWindow();
    int cArgs = 0;
    LPWSTR *papwszArgs = CommandLineToArgvW(GetCommandLineW(), &cArgs);
    if (!papwszArgs)
        return 1;
    INSTALLUILEVEL const enmPrevUi = MsiSetInternalUI(INSTALLUILEVEL_NONE, NULL);
    writeLine("desktop %s argc %d last %ls ui %d\n", pszDesktop, cArgs, papwszArgs[cArgs - 1], (int)enmPrevUi);
    LocalFree(papwszArgs);
    return 0;
}

void writeModulePath(const char *pszLabel, HMODULE hMod)
{
    WCHAR wszPath[MAX_PATH];
    DWORD const cwc = hMod ? GetModuleFileNameW(hMod, wszPath, MAX_PATH) : 0;
    wszPath[cwc < MAX_PATH ? cwc : MAX_PATH - 1] = '\0';
    writeLine("%s %ls\n", pszLabel, wszPath);
}

int doMsiPath(void)
{
    MsiSetInternalUI(INSTALLUILEVEL_NONE, NULL);
    writeModulePath("msi", GetModuleHandleW(L"msi.dll"));
    return 0;
}

int doPlainLoad(void)
{
    writeModulePath("msi", LoadLibraryW(L"MSI.DLL"));
    return 0;
}

int doBeforeInit(void)
{
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    int const rc = RTLdrOpenSystemLibrary("version", true, &hLdrMod);
    writeLine("returned %Rrc\n", rc);
    return 0;
}

int run(void)
{
    const WCHAR *pwszMode = lastWord();
    /* This one must come before the start-up it is about. */
    if (isMode(pwszMode, "before-init"))
        return doBeforeInit();

    int const rc = rtR3InitNativeFirst(RTR3INIT_F_UNOBTRUSIVE);
    if (RT_FAILURE(rc))
    {
        writeLine("rtR3InitNativeFirst: %Rrc\n", rc);
        return 1;
    }
    if (isMode(pwszMode, "calls"))
        return doCalls();
    if (isMode(pwszMode, "msi-path"))
        return doMsiPath();
    if (isMode(pwszMode, "plain-load"))
        return doPlainLoad();
    if (isMode(pwszMode, "missing-function"))
        return TarnLazyMissingFunction(42);
    if (isMode(pwszMode, "missing-library"))
        return TarnLazyNoLibraryFunction();
    writeLine("unknown mode %ls\n", pwszMode);
    return 2;
}

} // namespace

extern "C" DWORD WINAPI LazyProbeEntry(void)
{
    ExitProcess((UINT)run());
}
