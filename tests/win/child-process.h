/** @file
 * Runs a program of the test build as a child process with a raw UTF-16
 * command line and captures what it wrote to its standard output and error
 * (each redirected to a file of its own), and its exit code.
 */
#ifndef TARN_TESTS_WIN_CHILD_PROCESS_H
#define TARN_TESTS_WIN_CHILD_PROCESS_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace childtest
{

/** What a child left behind. */
struct ChildResult
{
    DWORD uExitCode = 0;
    std::string strOut; /**< bytes written to the standard output handle */
    std::string strErr; /**< bytes written to the standard error handle */
};

/** The directory of the running test program, with a trailing backslash. */
std::wstring testProgramDir();

/** The no-CRT probe of the test build: "nocrt-probe.exe" or "nocrt-probe-inject.exe". */
std::wstring probePath(const wchar_t *pwszName = L"nocrt-probe.exe");

/**
 * Starts @a wstrExe with exactly @a wstrCmdLine as its command line (nothing
 * is quoted or added) in @a wstrCwd (empty: this program's current
 * directory), waits for its end and fills @a pResult.
 *
 * The wait has no limit of its own: under emulation a child's start alone can
 * take longer than any fixed figure, and the test judges what the child did,
 * not how fast. A child that hangs is ended by the test's time-out. The
 * output goes to files, never to pipes: a pipe's end is only seen once every
 * process holding its write side is gone, and a child's first window starts
 * Wine's desktop process with the child's standard error, which outlives it.
 */
::testing::AssertionResult runChild(const std::wstring &wstrExe, const std::wstring &wstrCmdLine, ChildResult *pResult,
                                    const std::wstring &wstrCwd = std::wstring());

/** The probe's report: its arguments (decoded from hexadecimal), the order of its
 * static initialisers, and every line after those. */
struct ProbeReport
{
    std::vector<std::string> Args;
    std::string strInitOrder;
    std::string strRest; /**< the output after the "init:" line, as it came */
};

/** Parses the probe's standard output; fails when it does not start with the report. */
::testing::AssertionResult parseProbeOutput(const std::string &strOut, ProbeReport *pReport);

} // namespace childtest

#endif
