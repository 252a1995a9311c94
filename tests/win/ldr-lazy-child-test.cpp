/** @file
 * Lazy binding in a program of its own: lazy-probe.exe (next to this program),
 * built without the C runtime and importing none of the libraries it calls.
 * Its fatal endings are checked from outside: the exact message on standard
 * error and the exit code. A planted MSI.DLL beside it and in its current
 * directory must never be loaded.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "support/scratch-tree.h"
#include "win/child-process.h"

using childtest::ChildResult;

namespace
{

std::wstring exeDirectory()
{
    WCHAR wsz[MAX_PATH];
    DWORD cwc = GetModuleFileNameW(NULL, wsz, MAX_PATH);
    std::wstring wstr(wsz, cwc);
    return wstr.substr(0, wstr.find_last_of(L"\\/"));
}

std::wstring toUtf16(const std::string &str)
{
    return std::wstring(str.begin(), str.end());
}

std::string toAscii(const std::wstring &wstr)
{
    std::string str;
    for (wchar_t wc : wstr)
        str += wc < 0x80 ? (char)wc : '?';
    return str;
}

std::wstring probePath()
{
    return exeDirectory() + L"\\lazy-probe.exe";
}

/** Runs the probe @a wstrExe with the mode @a pszMode in @a wstrCwd (empty: this one's). */
::testing::AssertionResult runChild(const std::wstring &wstrExe, const char *pszMode, ChildResult *pResult,
                                    const std::wstring &wstrCwd = std::wstring())
{
    return childtest::runChild(wstrExe, L"\"" + wstrExe + L"\" " + toUtf16(pszMode), pResult, wstrCwd);
}

TEST(LdrLazyChild, FatalEndings)
{
    struct
    {
        const char *pszMode;
        const char *pszStdErr;
    } const aCases[] = {
        {"missing-function", "Lazy loader failed to resolve symbol \"TarnLazyMissingFunction\" in \"VERSION.DLL\": "
                             "ERR_SYMBOL_NOT_FOUND\r\n"},
        {"missing-library", "Lazy loader failed to load \"TARNNOSUCHLIB.DLL\": ERR_MODULE_NOT_FOUND\r\n"},
        {"before-init",
         "rtldrNativeLoadSystem(version,,) is called before SOLT has configured the windows loader!\r\n"},
    };
    for (const auto &c : aCases)
    {
        ChildResult Result;
        ASSERT_TRUE(runChild(probePath(), c.pszMode, &Result));
        EXPECT_EQ(1u, Result.uExitCode) << c.pszMode;
        EXPECT_EQ(c.pszStdErr, Result.strErr) << c.pszMode;
        EXPECT_EQ("", Result.strOut) << c.pszMode << ": the call never returns";
    }
}

TEST(LdrLazyChild, CallsWithoutImports)
{
    ChildResult Result;
    ASSERT_TRUE(runChild(probePath(), "calls", &Result));
    EXPECT_EQ(0u, Result.uExitCode) << Result.strErr;
    /* The previous user-interface level of a fresh process is INSTALLUILEVEL_DEFAULT (1). */
    EXPECT_EQ("desktop same argc 2 last calls ui 1\n", Result.strOut);
    EXPECT_EQ("", Result.strErr);
}

class LdrLazyPlanted : public tst::ScratchTree
{
};

TEST_F(LdrLazyPlanted, PlantedMsiIsNeverLoaded)
{
    /* The probe in a directory of its own with an MSI.DLL beside it, started in
     * another directory that holds one as well. */
    std::wstring const wstrAppDir = toUtf16(makeDir("app"));
    std::wstring const wstrCwd = toUtf16(makeDir("cwd"));
    std::wstring const wstrPlant = exeDirectory() + L"\\plant\\MSI.DLL";
    std::wstring const wstrProbe = wstrAppDir + L"\\lazy-probe.exe";
    ASSERT_TRUE(CopyFileW(probePath().c_str(), wstrProbe.c_str(), TRUE));
    ASSERT_TRUE(CopyFileW(wstrPlant.c_str(), (wstrAppDir + L"\\MSI.DLL").c_str(), TRUE));
    ASSERT_TRUE(CopyFileW(wstrPlant.c_str(), (wstrCwd + L"\\MSI.DLL").c_str(), TRUE));

    ChildResult Result;
    ASSERT_TRUE(runChild(wstrProbe, "msi-path", &Result, wstrCwd));
    EXPECT_EQ(0u, Result.uExitCode) << Result.strErr;
    WCHAR wszSystemDir[MAX_PATH];
    GetSystemDirectoryW(wszSystemDir, MAX_PATH);
    std::string const strExpected = "msi " + toAscii(wszSystemDir) + "\\MSI.DLL\n";
    EXPECT_EQ(0, _stricmp(strExpected.c_str(), Result.strOut.c_str())) << Result.strOut;
    EXPECT_FALSE(exists("app\\MSI.DLL.loaded"));
    EXPECT_FALSE(exists("cwd\\MSI.DLL.loaded"));

    /* The same start with the system's own search does load a planted one:
     * the set-up would catch a loader that searched like that. (Wine prefers
     * its own msi.dll wherever a file of that name lies unless told otherwise:
     * the test's environment has WINEDLLOVERRIDES with "msi=n,b".) */
    ASSERT_TRUE(runChild(wstrProbe, "plain-load", &Result, wstrCwd));
    EXPECT_TRUE(exists("app\\MSI.DLL.loaded") || exists("cwd\\MSI.DLL.loaded")) << Result.strOut;
}

} // namespace
