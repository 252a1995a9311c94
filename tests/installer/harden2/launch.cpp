/** @file
 * Starts a program the way a script would, in an environment the test
 * chooses, and records its full exit code (a Unix exit status keeps only the
 * low byte, so Wine's own exit status cannot tell 2 from 258).
 *
 * Usage: launch <exit-code-file> [NAME=VALUE | -NAME]... -- <program> [argument]...
 *
 * NAME=VALUE sets a variable, -NAME removes it. The program inherits standard
 * input, output and error. Once it has ended, its exit code is written to the
 * exit-code file in decimal; launch itself exits with 0, or 120 when it could
 * not start the program (the file is then not written).
 */
#include <windows.h>
#include <stdio.h>

#include <string>

namespace
{

/** Appends @a strArg to @a strCmd so that the Microsoft C runtime's splitting gives it back unchanged. */
void appendQuoted(std::wstring &strCmd, const std::wstring &strArg)
{
    if (!strCmd.empty())
        strCmd += L' ';
    if (!strArg.empty() && strArg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
    {
        strCmd += strArg;
        return;
    }
    strCmd += L'"';
    size_t cBackslashes = 0;
    for (wchar_t wc : strArg)
    {
        if (wc == L'\\')
        {
            cBackslashes++;
            continue;
        }
        /* Backslashes count double only in front of a quote. */
        strCmd.append(wc == L'"' ? cBackslashes * 2 + 1 : cBackslashes, L'\\');
        cBackslashes = 0;
        strCmd += wc;
    }
    strCmd.append(cBackslashes * 2, L'\\');
    strCmd += L'"';
}

bool applyEnvironmentArgument(const wchar_t *pwszArg)
{
    if (pwszArg[0] == L'-')
        return SetEnvironmentVariableW(pwszArg + 1, NULL) || GetLastError() == ERROR_ENVVAR_NOT_FOUND;
    const wchar_t *pwszEquals = wcschr(pwszArg, L'=');
    if (!pwszEquals || pwszEquals == pwszArg)
        return false;
    std::wstring strName(pwszArg, pwszEquals - pwszArg);
    return SetEnvironmentVariableW(strName.c_str(), pwszEquals + 1) != FALSE;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 4)
    {
        fputs("usage: launch <exit-code-file> [NAME=VALUE | -NAME]... -- <program> [argument]...\n", stderr);
        return 120;
    }
    int iArg = 2;
    for (; iArg < argc && wcscmp(argv[iArg], L"--") != 0; iArg++)
        if (!applyEnvironmentArgument(argv[iArg]))
        {
            fwprintf(stderr, L"launch: cannot apply '%ls'\n", argv[iArg]);
            return 120;
        }
    if (iArg + 1 >= argc)
    {
        fputs("launch: no program after --\n", stderr);
        return 120;
    }

    std::wstring strCmd;
    for (int i = iArg + 1; i < argc; i++)
        appendQuoted(strCmd, argv[i]);

    STARTUPINFOW StartInfo = {};
    StartInfo.cb = sizeof(StartInfo);
    StartInfo.dwFlags = STARTF_USESTDHANDLES;
    StartInfo.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    StartInfo.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    StartInfo.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION ProcInfo = {};
    if (!CreateProcessW(argv[iArg + 1], &strCmd[0], NULL, NULL, TRUE /*bInheritHandles*/, 0, NULL, NULL, &StartInfo,
                        &ProcInfo))
    {
        fwprintf(stderr, L"launch: cannot start '%ls': error %lu\n", argv[iArg + 1], GetLastError());
        return 120;
    }
    WaitForSingleObject(ProcInfo.hProcess, INFINITE);
    DWORD uExitCode = 0;
    GetExitCodeProcess(ProcInfo.hProcess, &uExitCode);
    CloseHandle(ProcInfo.hThread);
    CloseHandle(ProcInfo.hProcess);

    FILE *pFile = _wfopen(argv[1], L"w");
    if (!pFile)
        return 120;
    fprintf(pFile, "%lu\n", uExitCode);
    return fclose(pFile) == 0 ? 0 : 120;
}
