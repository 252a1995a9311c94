/** @file
 * The runtime's own process start-up and exit, seen from outside: the no-CRT
 * probe started with raw UTF-16 command lines. Its arguments against the C
 * runtime's splitting (argv-echo.exe), the exit code passed through, exit
 * handlers in reverse order, static initialisers in order and the report of a
 * failing one, a command line that is not valid UTF-16, and a failing runtime
 * initialisation.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include "win/child-process.h"

#include <string>
#include <vector>

using namespace childtest;

namespace
{

typedef std::vector<std::string> Args;

/** The arguments argv-echo.exe's C runtime split from @a wstrArgs (program path left out). */
::testing::AssertionResult crtSplit(const std::wstring &wstrArgs, Args *pArgs)
{
    ChildResult Result;
    ::testing::AssertionResult Ok =
        runChild(testProgramDir() + L"argv-echo.exe", L"argv-echo.exe " + wstrArgs, &Result);
    if (!Ok)
        return Ok;
    /* argv-echo's output is the probe's report without the "init:" line. */
    ProbeReport Report;
    Ok = parseProbeOutput(Result.strOut + "init: \r\n", &Report);
    if (!Ok)
        return Ok;
    pArgs->assign(Report.Args.begin() + 1, Report.Args.end());
    return ::testing::AssertionSuccess();
}

TEST(NoCrtStartup, ArgumentsSplitLikeTheCRuntime)
{
    static const wchar_t *const s_apwszLines[] = {
        L"plain two  three",
        L"\"quoted arg\" \"\" end",
        L"a\\\\\\\"b c\\\\\"d e\" f",         /* backslash runs before quotes */
        L"x\\y\\\\z \\\\server\\share\\",     /* backslashes not before quotes */
        L"\"in \"\"doubled\"\" quotes\"",     /* a doubled quote inside quotes */
        L"\ttabs\t\t\"and\tquoted\ttabs\"\t", /* tabs separate, quoted ones do not */
        L"\x00fc\x00df \"\x20ac \x00e9\" \xd83d\xde00",
    };
    for (const wchar_t *pwszLine : s_apwszLines)
    {
        ChildResult Result;
        ASSERT_TRUE(runChild(probePath(), std::wstring(L"nocrt-probe.exe ") + pwszLine, &Result));
        EXPECT_EQ(0u, Result.uExitCode);
        ProbeReport Report;
        ASSERT_TRUE(parseProbeOutput(Result.strOut, &Report));
        Args Expected;
        ASSERT_TRUE(crtSplit(pwszLine, &Expected));
        ASSERT_FALSE(Report.Args.empty());
        EXPECT_EQ(Expected, Args(Report.Args.begin() + 1, Report.Args.end())) << "line [" << Result.strOut << "]";
    }
}

TEST(NoCrtStartup, ProgramPathIsTheFirstArgument)
{
    ChildResult Result;
    ASSERT_TRUE(runChild(probePath(), L"\"C:\\some dir\\probe.exe\" x", &Result));
    ProbeReport Report;
    ASSERT_TRUE(parseProbeOutput(Result.strOut, &Report));
    EXPECT_EQ((Args{"C:\\some dir\\probe.exe", "x"}), Report.Args);
}

TEST(NoCrtStartup, ExitCodeIsStubMainsResult)
{
    static const struct
    {
        const wchar_t *pwszArgs;
        DWORD uExitCode;
    } s_aCases[] = {
        {L"", 0}, {L"--exit=1", 1}, {L"--exit=2", 2}, {L"--exit=3010", 3010}, {L"--exit=-5", 0xfffffffb},
    };
    for (const auto &Case : s_aCases)
    {
        ChildResult Result;
        ASSERT_TRUE(runChild(probePath(), std::wstring(L"nocrt-probe.exe ") + Case.pwszArgs, &Result));
        EXPECT_EQ(Case.uExitCode, Result.uExitCode) << "arguments [" << Result.strOut << "]";
        EXPECT_EQ("", Result.strErr);
    }
}

TEST(NoCrtStartup, StaticInitialisersRunInOrderBeforeMain)
{
    ChildResult Result;
    ASSERT_TRUE(runChild(probePath(), L"nocrt-probe.exe", &Result));
    ProbeReport Report;
    ASSERT_TRUE(parseProbeOutput(Result.strOut, &Report));
    /* 'a' sits in an earlier section than 'b'; 'c' is a second-stage initialiser. */
    EXPECT_EQ("abc", Report.strInitOrder);
}

TEST(NoCrtStartup, ExitHandlersRunInReverseOrderEachOnce)
{
    ChildResult Result;
    ASSERT_TRUE(
        runChild(probePath(), L"nocrt-probe.exe --atexit=1 --atexit=2 --atexit=3 --atexit=2 --exit=4", &Result));
    EXPECT_EQ(4u, Result.uExitCode);
    ProbeReport Report;
    ASSERT_TRUE(parseProbeOutput(Result.strOut, &Report));
    /* "early" was registered by a static initialiser, before all others. */
    EXPECT_EQ("atexit 2\r\natexit 3\r\natexit 2\r\natexit 1\r\natexit early\r\n", Report.strRest);
}

TEST(NoCrtStartup, FailingStaticInitialiserEndsTheProcessWithItsValue)
{
    static const struct
    {
        const wchar_t *pwszArgs;
        DWORD uExitCode;
        const char *pszMessage;
    } s_aCases[] = {
        {L"--fail-init=7", 7, "A C static initializor failed (7 (0x7)\r\n"},
        {L"--fail-init=300 --exit=1", 300, "A C static initializor failed (300 (0x12c)\r\n"},
        {L"--fail-init=-2", 0xfffffffe, "A C static initializor failed (4294967294 (0xfffffffe)\r\n"},
    };
    for (const auto &Case : s_aCases)
    {
        ChildResult Result;
        ASSERT_TRUE(runChild(probePath(), std::wstring(L"nocrt-probe.exe ") + Case.pwszArgs, &Result));
        EXPECT_EQ(Case.uExitCode, Result.uExitCode);
        EXPECT_EQ(Case.pszMessage, Result.strErr);
        /* No main, no exit handler (the early one is registered) and no terminator ran. */
        EXPECT_EQ("", Result.strOut);
    }
}

TEST(NoCrtStartup, UnpairedSurrogateInTheCommandLine)
{
    static const wchar_t *const s_apwszLines[] = {L"nocrt-probe.exe a\xd800z", L"nocrt-probe.exe \xdc00",
                                                  L"nocrt-probe.exe ok \xd83d"};
    for (const wchar_t *pwszLine : s_apwszLines)
    {
        ChildResult Result;
        ASSERT_TRUE(runChild(probePath(), pwszLine, &Result));
        EXPECT_EQ(3u, Result.uExitCode);
        EXPECT_EQ("Failed to convert command line to UTF-8: -62\r\n", Result.strErr);
        /* Exit handlers and terminators run on this path: the early handler prints. */
        EXPECT_EQ("atexit early\r\n", Result.strOut);
    }
}

TEST(NoCrtStartup, FailedRuntimeInitialisationGivesExitCode3)
{
    ChildResult Result;
    ASSERT_TRUE(runChild(probePath(L"nocrt-probe-inject.exe"), L"nocrt-probe-inject.exe --fail-hardening", &Result));
    EXPECT_EQ(3u, Result.uExitCode);
    EXPECT_EQ("nocrt-probe-inject.exe: fatal error: RTR3Init: ERR_INTERNAL_ERROR_3\r\n", Result.strErr);
    EXPECT_EQ("atexit early\r\n", Result.strOut);

    /* The same variant starts normally without the fault. */
    ASSERT_TRUE(runChild(probePath(L"nocrt-probe-inject.exe"), L"nocrt-probe-inject.exe --exit=5", &Result));
    EXPECT_EQ(5u, Result.uExitCode);
    EXPECT_EQ("", Result.strErr);
}

} // namespace
