/** @file
 * Child processes of the Wine tests: see child-process.h.
 */
#include "win/child-process.h"

namespace childtest
{

namespace
{

/** A file that the child inherits as a standard handle and that is gone once closed. */
HANDLE createCaptureFile(void)
{
    wchar_t wszDir[MAX_PATH], wszFile[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, wszDir) || !GetTempFileNameW(wszDir, L"cap", 0, wszFile))
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES Sa = {sizeof(Sa), NULL, TRUE};
    return CreateFileW(wszFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &Sa, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
}

std::string readFromStart(HANDLE hFile)
{
    std::string str;
    SetFilePointer(hFile, 0, NULL, FILE_BEGIN);
    char ach[4096];
    DWORD cbRead = 0;
    while (ReadFile(hFile, ach, sizeof(ach), &cbRead, NULL) && cbRead)
        str.append(ach, cbRead);
    return str;
}

std::string fromHex(const std::string &strHex)
{
    std::string str;
    for (size_t off = 0; off + 1 < strHex.size(); off += 2)
        str += (char)std::stoi(strHex.substr(off, 2), nullptr, 16);
    return str;
}

} // namespace

std::wstring testProgramDir()
{
    wchar_t wszPath[MAX_PATH];
    DWORD cwc = GetModuleFileNameW(NULL, wszPath, MAX_PATH);
    std::wstring wstr(wszPath, cwc);
    return wstr.substr(0, wstr.find_last_of(L"\\/") + 1);
}

std::wstring probePath(const wchar_t *pwszName)
{
    return testProgramDir() + L"nocrt\\" + pwszName;
}

::testing::AssertionResult runChild(const std::wstring &wstrExe, const std::wstring &wstrCmdLine, ChildResult *pResult,
                                    const std::wstring &wstrCwd)
{
    HANDLE hOut = createCaptureFile();
    HANDLE hErr = createCaptureFile();
    if (hOut == INVALID_HANDLE_VALUE || hErr == INVALID_HANDLE_VALUE)
        return ::testing::AssertionFailure() << "capture files: " << GetLastError();

    STARTUPINFOW Si = {};
    Si.cb = sizeof(Si);
    Si.dwFlags = STARTF_USESTDHANDLES;
    Si.hStdInput = NULL;
    Si.hStdOutput = hOut;
    Si.hStdError = hErr;
    std::wstring wstrMutable = wstrCmdLine;
    wstrMutable.push_back(L'\0');
    PROCESS_INFORMATION Pi = {};
    BOOL fStarted = CreateProcessW(wstrExe.c_str(), &wstrMutable[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL,
                                   wstrCwd.empty() ? NULL : wstrCwd.c_str(), &Si, &Pi);
    DWORD const uErr = GetLastError();
    ::testing::AssertionResult Result = ::testing::AssertionSuccess();
    if (!fStarted)
        Result = ::testing::AssertionFailure() << "CreateProcessW: " << uErr;
    else
    {
        DWORD const uWait = WaitForSingleObject(Pi.hProcess, INFINITE);
        if (uWait != WAIT_OBJECT_0)
        {
            TerminateProcess(Pi.hProcess, 99);
            Result = ::testing::AssertionFailure()
                     << "waiting for the child failed: " << uWait << "/" << GetLastError();
        }
        GetExitCodeProcess(Pi.hProcess, &pResult->uExitCode);
        CloseHandle(Pi.hThread);
        CloseHandle(Pi.hProcess);
        pResult->strOut = readFromStart(hOut);
        pResult->strErr = readFromStart(hErr);
    }
    CloseHandle(hOut);
    CloseHandle(hErr);
    return Result;
}

::testing::AssertionResult parseProbeOutput(const std::string &strOut, ProbeReport *pReport)
{
    std::vector<std::string> Lines;
    size_t offLine = 0;
    for (size_t off; (off = strOut.find("\r\n", offLine)) != std::string::npos;)
    {
        Lines.push_back(strOut.substr(offLine, off - offLine));
        offLine = off + 2;
        if (Lines.back().compare(0, 6, "init: ") == 0)
            break;
    }
    if (Lines.empty() || Lines[0].compare(0, 5, "argc ") != 0)
        return ::testing::AssertionFailure() << "no \"argc\" line in [" << strOut << "]";
    size_t const cArgs = (size_t)std::stoul(Lines[0].substr(5));
    if (Lines.size() != cArgs + 2 || Lines.back().compare(0, 6, "init: ") != 0)
        return ::testing::AssertionFailure() << "not " << cArgs << " arguments and the init line in [" << strOut << "]";
    pReport->Args.clear();
    for (size_t i = 1; i <= cArgs; i++)
        pReport->Args.push_back(fromHex(Lines[i]));
    pReport->strInitOrder = Lines.back().substr(6);
    pReport->strRest = strOut.substr(offLine);
    return ::testing::AssertionSuccess();
}

} // namespace childtest
