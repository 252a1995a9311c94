/** @file
 * A program on the runtime's own start-up (no C runtime) that links every
 * object of the runtime library. That it links at all proves the runtime needs
 * nothing from a C runtime; the tests run it to check the start-up, the exit
 * path and the streams from outside.
 *
 * Output on the standard output stream: "argc <n>", one line per argument in
 * hexadecimal UTF-8 bytes (as argv-echo prints them), and "init: <order>" with
 * the letters of the static initialisers in the order they ran. Then the
 * arguments below are acted on in order; others are only printed:
 *   --exit=N       StubMain returns N (default 0)
 *   --atexit=K     registers exit handler K (0 to 7), which prints "atexit K"
 *   --out=TEXT     TEXT on the output stream; "\n", "\\" and "\xHH" are escapes
 *   --err=TEXT     the same on the error stream
 *   --info=TEXT    RTMsgInfo("%s", TEXT), escapes as above
 *   --error=TEXT   RTMsgError("%s", TEXT), escapes as above
 *   --raw=TEXT     TEXT straight onto the standard output handle, past the stream
 *   --raw-err=TEXT the same on the standard error handle
 *   --file=PATH    opens PATH as a stream ("w") and writes "line 1\nline 2\n"; it
 *                  is left to the process exit to write out and close
 *   --fail-init=N  read from the command line by a static initialiser, which
 *                  then fails with N
 * A static initialiser registers an exit handler that prints "atexit early".
 *
 * The variant linked with the runtime's test library (nocrt-probe-inject) also
 * takes, before initialising the runtime:
 *   --fail-hardening  SetDllDirectoryW fails, so RTR3Init does
 */
#include <windows.h>
#include <rt/err.h>
#include <rt/init.h>
#include <rt/message.h>
#include <rt/process.h>
#include <rt/stream.h>
#include <rt/string.h>
#include "internal/cinit.h"
#ifdef RT_WITH_SEAMS
#include "internal/initterm.h"
#endif

namespace
{

/** The letters of the static initialisers, in the order they ran. */
char g_szInitOrder[8];
size_t g_cchInitOrder = 0;

void noteInit(char chInit)
{
    if (g_cchInitOrder + 1 < sizeof(g_szInitOrder))
        g_szInitOrder[g_cchInitOrder++] = chInit;
}

bool startsWith(const char *psz, const char *pszPrefix, const char **ppszRest)
{
    size_t const cch = RTStrLen(pszPrefix);
    for (size_t i = 0; i < cch; i++)
        if (psz[i] != pszPrefix[i])
            return false;
    *ppszRest = psz + cch;
    return true;
}

/** A decimal number with an optional '-'; 0 when there is none. */
int parseInt(const char *psz)
{
    bool const fNegative = *psz == '-';
    if (fNegative)
        psz++;
    int iValue = 0;
    while (*psz >= '0' && *psz <= '9')
        iValue = iValue * 10 + (*psz++ - '0');
    return fNegative ? -iValue : iValue;
}

int hexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

/** Decodes "\n", "\\" and "\xHH" in place. */
char *unescape(char *psz)
{
    char *pszDst = psz;
    for (const char *pszSrc = psz; *pszSrc;)
    {
        if (pszSrc[0] == '\\' && pszSrc[1] == 'n')
        {
            *pszDst++ = '\n';
            pszSrc += 2;
        }
        else if (pszSrc[0] == '\\' && pszSrc[1] == '\\')
        {
            *pszDst++ = '\\';
            pszSrc += 2;
        }
        else if (pszSrc[0] == '\\' && pszSrc[1] == 'x' && hexDigit(pszSrc[2]) >= 0 && hexDigit(pszSrc[3]) >= 0)
        {
            *pszDst++ = (char)(hexDigit(pszSrc[2]) * 16 + hexDigit(pszSrc[3]));
            pszSrc += 4;
        }
        else
            *pszDst++ = *pszSrc++;
    }
    *pszDst = '\0';
    return psz;
}

/*
 * Static initialisers: "a" sorts before the "U" entries, "b" and the failing
 * one are first-stage entries, "c" a second-stage one.
 */

void earlyExitHandler(void)
{
    RTStreamPrintf(g_pStdOut, "atexit early\n");
}

int initEarly(void)
{
    noteInit('a');
    RTAtExitRegister(earlyExitHandler);
    return 0;
}
__attribute__((section(".ctors.XIB"), used)) PFNRTCINIT const g_pfnProbeInitEarly = initEarly;

int initSecond(void)
{
    noteInit('b');
    return 0;
}
RT_C_INITIALIZER(initSecond);

/** Fails with the value of "--fail-init=N" when the command line holds it. */
int initMayFail(void)
{
    const wchar_t *pwsz = GetCommandLineW();
    static const wchar_t s_wszOption[] = L"--fail-init=";
    for (; *pwsz; pwsz++)
    {
        size_t i = 0;
        while (s_wszOption[i] && pwsz[i] == s_wszOption[i])
            i++;
        if (s_wszOption[i] == L'\0')
        {
            char szValue[16];
            size_t cch = 0;
            for (pwsz += i; cch + 1 < sizeof(szValue) && (*pwsz == L'-' || (*pwsz >= L'0' && *pwsz <= L'9')); pwsz++)
                szValue[cch++] = (char)*pwsz;
            szValue[cch] = '\0';
            return parseInt(szValue);
        }
    }
    return 0;
}
RT_C_INITIALIZER(initMayFail);

void initConstructor(void)
{
    noteInit('c');
}
RT_C_CONSTRUCTOR(initConstructor);

/*
 * Exit handlers 0 to 7.
 */

template <int t_iHandler> void exitHandler(void)
{
    RTStreamPrintf(g_pStdOut, "atexit %d\n", t_iHandler);
}

PFNRTATEXIT const g_apfnExitHandlers[] = {exitHandler<0>, exitHandler<1>, exitHandler<2>, exitHandler<3>,
                                          exitHandler<4>, exitHandler<5>, exitHandler<6>, exitHandler<7>};

void printArguments(int cArgs, char **papszArgs)
{
    RTStreamPrintf(g_pStdOut, "argc %d\n", cArgs);
    for (int i = 0; i < cArgs; i++)
    {
        for (const char *pch = papszArgs[i]; *pch; pch++)
            RTStreamPrintf(g_pStdOut, "%02x", (unsigned char)*pch);
        RTStreamPrintf(g_pStdOut, "\n");
    }
    g_szInitOrder[g_cchInitOrder] = '\0';
    RTStreamPrintf(g_pStdOut, "init: %s\n", g_szInitOrder);
}

void writeRaw(DWORD idStdHandle, const char *psz)
{
    DWORD cbWritten = 0;
    WriteFile(GetStdHandle(idStdHandle), psz, (DWORD)RTStrLen(psz), &cbWritten, NULL);
}

void writeFileStream(const char *pszPath)
{
    PRTSTREAM pStream = NULL;
    int rc = RTStreamOpen(pszPath, "w", &pStream);
    if (RT_SUCCESS(rc))
        RTStreamPrintf(pStream, "line 1\nline 2\n");
    else
        RTMsgError("RTStreamOpen: %Rrc", rc);
}

/** Acts on one argument; updates *prcExit for "--exit=". */
void actOn(char *pszArg, int *prcExit)
{
    const char *pszValue;
    if (startsWith(pszArg, "--exit=", &pszValue))
        *prcExit = parseInt(pszValue);
    else if (startsWith(pszArg, "--atexit=", &pszValue))
        RTAtExitRegister(g_apfnExitHandlers[parseInt(pszValue) & 7]);
    else if (startsWith(pszArg, "--out=", &pszValue))
        RTStreamPrintf(g_pStdOut, "%s", unescape(pszArg + 6));
    else if (startsWith(pszArg, "--err=", &pszValue))
        RTStreamPrintf(g_pStdErr, "%s", unescape(pszArg + 6));
    else if (startsWith(pszArg, "--info=", &pszValue))
        RTMsgInfo("%s", unescape(pszArg + 7));
    else if (startsWith(pszArg, "--error=", &pszValue))
        RTMsgError("%s", unescape(pszArg + 8));
    else if (startsWith(pszArg, "--raw=", &pszValue))
        writeRaw(STD_OUTPUT_HANDLE, pszValue);
    else if (startsWith(pszArg, "--raw-err=", &pszValue))
        writeRaw(STD_ERROR_HANDLE, pszValue);
    else if (startsWith(pszArg, "--file=", &pszValue))
        writeFileStream(pszValue);
}

#ifdef RT_WITH_SEAMS
BOOL WINAPI failingSetDllDirectoryW(LPCWSTR)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

FARPROC WINAPI getProcAddressFailingHardening(HMODULE hMod, LPCSTR pszName)
{
    if (RTStrICmpAscii(pszName, "SetDllDirectoryW") == 0)
        return (FARPROC)(void *)failingSetDllDirectoryW;
    return GetProcAddress(hMod, pszName);
}

/** Installs the faults the arguments ask for. */
void injectFaults(int cArgs, char **papszArgs)
{
    for (int i = 1; i < cArgs; i++)
        if (RTStrICmpAscii(papszArgs[i], "--fail-hardening") == 0)
            g_rtSeamsInit.pfnGetProcAddress = getProcAddressFailingHardening;
}
#endif

} // namespace

int StubMain(int cArgs, char **papszArgs, char **papszEnv)
{
    (void)papszEnv;
#ifdef RT_WITH_SEAMS
    injectFaults(cArgs, papszArgs);
#endif
    int rc = RTR3InitExe(cArgs, &papszArgs, RTR3INIT_F_DLL_SEARCH_SYSTEM32);
    if (RT_FAILURE(rc))
        return RTMsgInitFailure(rc);

    printArguments(cArgs, papszArgs);
    int rcExit = 0;
    for (int i = 1; i < cArgs; i++)
        actOn(papszArgs[i], &rcExit);
    return rcExit;
}
