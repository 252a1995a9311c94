/** @file
 * The C runtime style of RTGetOptArgvSplit against the Windows C runtime's own
 * splitting: argv-echo.exe (next to this program) prints the arguments its C
 * runtime split from the command line it was started with, and every argument
 * after the program path must match ours for the same line.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/getoptargv.h>
#include <rt/err.h>
#include "support/widen.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace
{

typedef std::vector<std::string> Args;

std::wstring echoExePath()
{
    wchar_t wszPath[MAX_PATH];
    DWORD cwc = GetModuleFileNameW(NULL, wszPath, MAX_PATH);
    std::wstring wstr(wszPath, cwc);
    return wstr.substr(0, wstr.find_last_of(L"\\/") + 1) + L"argv-echo.exe";
}

std::string readAll(HANDLE hRead)
{
    std::string str;
    char ach[4096];
    DWORD cbRead;
    while (ReadFile(hRead, ach, sizeof(ach), &cbRead, NULL) && cbRead)
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

/** Parses argv-echo's output: "argc <n>" then one hex line per argument. */
bool parseEchoOutput(const std::string &strOut, Args *pArgs)
{
    std::vector<std::string> Lines;
    size_t offStart = 0;
    for (size_t off; (off = strOut.find('\n', offStart)) != std::string::npos; offStart = off + 1)
    {
        std::string strLine = strOut.substr(offStart, off - offStart);
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        Lines.push_back(strLine);
    }
    if (Lines.empty() || Lines[0].compare(0, 5, "argc ") != 0)
        return false;
    size_t cArgs = (size_t)std::stoul(Lines[0].substr(5));
    if (Lines.size() != cArgs + 1)
        return false;
    pArgs->clear();
    for (size_t i = 1; i < Lines.size(); i++)
        pArgs->push_back(fromHex(Lines[i]));
    return true;
}

/** A started argv-echo.exe and the read end of its output pipe. */
struct EchoRun
{
    PROCESS_INFORMATION Pi;
    HANDLE hRead;
};

/** Starts argv-echo.exe with @a strCmdLine (UTF-8). */
::testing::AssertionResult startEcho(const std::string &strCmdLine, EchoRun *pRun)
{
    SECURITY_ATTRIBUTES Sa = {sizeof(Sa), NULL, TRUE};
    HANDLE hWrite;
    /* The output is a few hundred bytes at most: the pipe holds it until it is read. */
    if (!CreatePipe(&pRun->hRead, &hWrite, &Sa, 65536))
        return ::testing::AssertionFailure() << "CreatePipe: " << GetLastError();
    SetHandleInformation(pRun->hRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW Si = {};
    Si.cb = sizeof(Si);
    Si.dwFlags = STARTF_USESTDHANDLES;
    Si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    Si.hStdOutput = hWrite;
    Si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring wstrExe = echoExePath();
    std::wstring wstrCmdLine = tst::widen(strCmdLine);
    BOOL fStarted = CreateProcessW(wstrExe.c_str(), &wstrCmdLine[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL,
                                   &Si, &pRun->Pi);
    DWORD dwErr = GetLastError();
    CloseHandle(hWrite);
    if (!fStarted)
    {
        CloseHandle(pRun->hRead);
        return ::testing::AssertionFailure() << "CreateProcessW: " << dwErr;
    }
    return ::testing::AssertionSuccess();
}

/** Collects what a started argv-echo.exe printed: the arguments its C runtime split. */
::testing::AssertionResult finishEcho(EchoRun *pRun, Args *pArgs)
{
    std::string strOut = readAll(pRun->hRead);
    CloseHandle(pRun->hRead);
    WaitForSingleObject(pRun->Pi.hProcess, INFINITE);
    DWORD dwExit = 1;
    GetExitCodeProcess(pRun->Pi.hProcess, &dwExit);
    CloseHandle(pRun->Pi.hProcess);
    CloseHandle(pRun->Pi.hThread);
    if (dwExit != 0 || !parseEchoOutput(strOut, pArgs))
        return ::testing::AssertionFailure() << "argv-echo exit " << dwExit << ", output [" << strOut << "]";
    return ::testing::AssertionSuccess();
}

/** Our split of @a strCmdLine in C runtime style. */
::testing::AssertionResult ourSplit(const std::string &strCmdLine, Args *pArgs)
{
    char **papszArgv = NULL;
    int cArgs = 0;
    int rc = RTGetOptArgvSplit(&papszArgv, &cArgs, strCmdLine.c_str(), RTARGV_STYLE_MSCRT, NULL);
    if (RT_FAILURE(rc))
        return ::testing::AssertionFailure() << "RTGetOptArgvSplit: " << rc;
    pArgs->assign(papszArgv, papszArgv + cArgs);
    RTGetOptArgvFree(papszArgv, RTARGV_STYLE_MSCRT);
    return ::testing::AssertionSuccess();
}

std::string printable(const std::string &str)
{
    std::string strOut;
    for (unsigned char ch : str)
    {
        if (ch == '\t')
            strOut += "\\t";
        else if (ch < 0x20)
            strOut += "\\x" + std::to_string(ch);
        else
            strOut += (char)ch;
    }
    return strOut;
}

/** The program path both splitters agree on; the arguments under test follow it. */
const char g_szProgram[] = "argv-echo.exe ";

/** Both splits of every line (without the program path) must agree. A few processes run at a time. */
void checkLinesAgree(const std::vector<std::string> &Lines)
{
    const size_t cBatch = 6;
    for (size_t idxFirst = 0; idxFirst < Lines.size(); idxFirst += cBatch)
    {
        size_t const cRuns = std::min(cBatch, Lines.size() - idxFirst);
        EchoRun aRuns[cBatch];
        for (size_t i = 0; i < cRuns; i++)
            ASSERT_TRUE(startEcho(g_szProgram + Lines[idxFirst + i], &aRuns[i]));
        for (size_t i = 0; i < cRuns; i++)
        {
            const std::string &strArgs = Lines[idxFirst + i];
            Args Crt, Ours;
            ASSERT_TRUE(finishEcho(&aRuns[i], &Crt));
            ASSERT_TRUE(ourSplit(g_szProgram + strArgs, &Ours));
            ASSERT_FALSE(Crt.empty());
            ASSERT_FALSE(Ours.empty());
            Crt.erase(Crt.begin());
            Ours.erase(Ours.begin());
            EXPECT_EQ(Crt, Ours) << "line [" << printable(strArgs) << "]";
        }
    }
}

TEST(GetOptArgvCrtDiff, HandPickedLines)
{
    static const char *const s_apszLines[] = {
        "",
        "a b c",
        "  a\t\tb  ",
        "\"\" a \"\" \"\"",
        "\"a b\" c\"d e\"f",
        "a\\\\\\\"b",
        "a\\\\\\\\\"b c\"",
        "\\\\\\\\ \\\\\\ \\\\\" x\"",
        "C:\\Program\\ Files\\ \"C:\\dir\\\\\"",
        "\"a\\\"b\" \"\\\"\"",
        "--msiparams \"PROP=\"\"a b c\"\"\"",
        "\"\"\"\"",
        "\"a\"\"b\"",
        "\xC3\xA9t\xC3\xA9 \"\xE2\x82\xAC \xF0\x9F\x98\x80\" \xE4\xB8\xAD\\\"",
        "\"unterminated \\\\",
    };
    checkLinesAgree(std::vector<std::string>(std::begin(s_apszLines), std::end(s_apszLines)));
}

/*
 * Where the two differ, our rules hold. The C runtime separates arguments by
 * spaces and tabs only; ours also by line feeds and carriage returns, so a
 * line break pasted into a command line never glues two arguments together.
 * Both results are pinned so that a change on either side is seen.
 */
TEST(GetOptArgvCrtDiff, KnownDifferences)
{
    struct
    {
        const char *pszArgs;
        Args Ours;
        Args Crt;
    } const aCases[] = {
        {"a\nb", {"a", "b"}, {"a\nb"}},
        {"a\r\nb \"c\nd\"", {"a", "b", "c\nd"}, {"a\r\nb", "c\nd"}},
        {"\n", {}, {"\n"}},
    };
    for (const auto &c : aCases)
    {
        std::string strLine = g_szProgram + std::string(c.pszArgs);
        EchoRun Run;
        Args Crt, Ours;
        ASSERT_TRUE(startEcho(strLine, &Run));
        ASSERT_TRUE(finishEcho(&Run, &Crt));
        ASSERT_TRUE(ourSplit(strLine, &Ours));
        Crt.erase(Crt.begin());
        Ours.erase(Ours.begin());
        EXPECT_EQ(c.Ours, Ours) << "line [" << printable(c.pszArgs) << "]";
        EXPECT_EQ(c.Crt, Crt) << "line [" << printable(c.pszArgs) << "]";
    }
}

/** A small deterministic generator for the corpus. */
uint32_t nextRandom(uint32_t *puState)
{
    *puState = *puState * 1103515245u + 12345u;
    return *puState >> 8;
}

TEST(GetOptArgvCrtDiff, GeneratedCorpus)
{
    static const char *const s_apszPieces[] = {
        "\"", "\"\"", "\\", "\\\\", "\\\\\\",   "\\\"",         "\\\\\"",           "\\\\\\\"", " ",
        "  ", "\t",   "a",  "bc",   "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "x y",
    };
    uint32_t uState = 20240611;
    std::vector<std::string> Lines;
    for (int iLine = 0; iLine < 200; iLine++)
    {
        std::string strArgs;
        int cPieces = 1 + (int)(nextRandom(&uState) % 10);
        for (int i = 0; i < cPieces; i++)
            strArgs += s_apszPieces[nextRandom(&uState) % RT_ELEMENTS(s_apszPieces)];
        Lines.push_back(strArgs);
    }
    checkLinesAgree(Lines);
}

} // namespace
