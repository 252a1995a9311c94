/** @file
 * Runtime initialisation inside the test process: repeated initialisation,
 * the program-path limit, and the hardening step with the system calls it
 * makes replaced (so the test process itself stays as it is).
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/err.h>
#include <rt/init.h>
#include <rt/string.h>
#include "internal/init.h"
#include "internal/init-win.h"
#include "internal/initterm.h"
#include "internal/process.h"

#include <string>
#include <vector>

namespace
{

/*
 * Stand-ins for the entry points the hardening looks up.
 */

struct HardeningCalls
{
    bool fHaveSetDllDirectory = true;
    bool fHaveSetDefaultDllDirectories = true;
    bool fHaveSetFilter = true;
    BOOL fSetDllDirectoryResult = TRUE;
    BOOL fSetDefaultResult = TRUE;
    UINT fErrorModeBefore = 0x4;

    std::vector<std::wstring> SetDllDirectoryArgs;
    std::vector<DWORD> SetDefaultArgs;
    std::vector<UINT> ErrorModesSet;
    std::vector<LPTOP_LEVEL_EXCEPTION_FILTER> FiltersSet;
};
HardeningCalls g_Calls;

LONG WINAPI previousFilter(EXCEPTION_POINTERS *)
{
    return EXCEPTION_CONTINUE_EXECUTION;
}

BOOL WINAPI fakeSetDllDirectoryW(LPCWSTR pwszDir)
{
    g_Calls.SetDllDirectoryArgs.push_back(pwszDir ? pwszDir : L"(null)");
    return g_Calls.fSetDllDirectoryResult;
}

BOOL WINAPI fakeSetDefaultDllDirectories(DWORD fFlags)
{
    g_Calls.SetDefaultArgs.push_back(fFlags);
    return g_Calls.fSetDefaultResult;
}

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI fakeSetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER pfnFilter)
{
    g_Calls.FiltersSet.push_back(pfnFilter);
    return previousFilter;
}

UINT WINAPI fakeSetErrorMode(UINT fMode)
{
    g_Calls.ErrorModesSet.push_back(fMode);
    UINT const fOld = g_Calls.fErrorModeBefore;
    g_Calls.fErrorModeBefore = fMode;
    return fOld;
}

FARPROC WINAPI fakeGetProcAddress(HMODULE hMod, LPCSTR pszName)
{
    if (!strcmp(pszName, "SetDllDirectoryW"))
        return g_Calls.fHaveSetDllDirectory ? (FARPROC)(void *)fakeSetDllDirectoryW : NULL;
    if (!strcmp(pszName, "SetDefaultDllDirectories"))
        return g_Calls.fHaveSetDefaultDllDirectories ? (FARPROC)(void *)fakeSetDefaultDllDirectories : NULL;
    if (!strcmp(pszName, "SetUnhandledExceptionFilter"))
        return g_Calls.fHaveSetFilter ? (FARPROC)(void *)fakeSetUnhandledExceptionFilter : NULL;
    return GetProcAddress(hMod, pszName);
}

/** Routes the hardening to the stand-ins and keeps the executable-path store as it was. */
class R3InitTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_Calls = HardeningCalls();
        g_rtSeamsInit.pfnGetProcAddress = fakeGetProcAddress;
        g_rtSeamsInit.pfnSetErrorMode = fakeSetErrorMode;
        m_strSavedPath = g_szrtProcExePath;
    }
    void TearDown() override
    {
        RTStrCopy(g_szrtProcExePath, sizeof(g_szrtProcExePath), m_strSavedPath.c_str());
        rtProcMeasureExePath();
    }

    std::string m_strSavedPath;
};

struct HardenCase
{
    RTWINOSTYPE enmWinVer;
    uint32_t fFlags;
    bool fSetDefaultCalled;
    DWORD fSetDefaultArg;
};

TEST_F(R3InitTest, HardeningBySystemClassAndFlag)
{
    static const HardenCase s_aCases[] = {
        {RTWINOSTYPE_W7, 0, true, 0xa00},
        {RTWINOSTYPE_W10, RTR3INIT_F_DLL_SEARCH_SYSTEM32, true, 0x800},
        {RTWINOSTYPE_2008, 0, true, 0xa00}, /* the first class above Vista */
        {RTWINOSTYPE_VISTA, 0, false, 0},   /* Vista and before: not without the flag */
        {RTWINOSTYPE_XP, 0, false, 0},
        {RTWINOSTYPE_XP, RTR3INIT_F_DLL_SEARCH_SYSTEM32, true, 0x800}, /* with it even there */
    };
    for (const HardenCase &Case : s_aCases)
    {
        g_Calls = HardeningCalls();
        rtR3InitWinSeamsForget();
        EXPECT_EQ(0, rtR3InitHardenProcess(Case.fFlags, Case.enmWinVer)) << Case.enmWinVer;
        EXPECT_EQ(std::vector<std::wstring>{L""}, g_Calls.SetDllDirectoryArgs);
        EXPECT_EQ((std::vector<UINT>{0, 0x4 | 0x8001}), g_Calls.ErrorModesSet);
        if (Case.fSetDefaultCalled)
            EXPECT_EQ(std::vector<DWORD>{Case.fSetDefaultArg}, g_Calls.SetDefaultArgs) << Case.enmWinVer;
        else
            EXPECT_TRUE(g_Calls.SetDefaultArgs.empty()) << Case.enmWinVer;
        EXPECT_EQ(!Case.fSetDefaultCalled                        ? RTR3WINDLLSEARCH_NO_CURRENT_DIR
                  : Case.fFlags & RTR3INIT_F_DLL_SEARCH_SYSTEM32 ? RTR3WINDLLSEARCH_SYSTEM32_ONLY
                                                                 : RTR3WINDLLSEARCH_SYSTEM32_AND_APP_DIR,
                  g_enmrtR3WinDllSearch);
    }
}

TEST_F(R3InitTest, HardeningFailures)
{
    static const struct
    {
        BOOL fSetDllDirectoryResult, fSetDefaultResult;
        int rcExpected;
    } s_aCases[] = {
        {FALSE, TRUE, ERR_INTERNAL_ERROR_3},
        {TRUE, FALSE, ERR_INTERNAL_ERROR_4},
        {FALSE, FALSE, ERR_INTERNAL_ERROR_3}, /* the first failure is the one reported */
    };
    for (const auto &Case : s_aCases)
    {
        g_Calls = HardeningCalls();
        g_Calls.fSetDllDirectoryResult = Case.fSetDllDirectoryResult;
        g_Calls.fSetDefaultResult = Case.fSetDefaultResult;
        EXPECT_EQ(Case.rcExpected, rtR3InitHardenProcess(RTR3INIT_F_DLL_SEARCH_SYSTEM32, RTWINOSTYPE_W10));
        /* Each step is still tried. */
        EXPECT_EQ(1u, g_Calls.SetDllDirectoryArgs.size());
        EXPECT_EQ(1u, g_Calls.SetDefaultArgs.size());
    }
}

TEST_F(R3InitTest, MissingEntryPointsSkipTheirSteps)
{
    g_Calls.fHaveSetDllDirectory = g_Calls.fHaveSetDefaultDllDirectories = g_Calls.fHaveSetFilter = false;
    EXPECT_EQ(0, rtR3InitHardenProcess(RTR3INIT_F_DLL_SEARCH_SYSTEM32, RTWINOSTYPE_W10));
    EXPECT_TRUE(g_Calls.SetDllDirectoryArgs.empty());
    EXPECT_TRUE(g_Calls.SetDefaultArgs.empty());
    EXPECT_EQ(RTR3WINDLLSEARCH_DEFAULT, g_enmrtR3WinDllSearch);
    EXPECT_EQ(2u, g_Calls.ErrorModesSet.size());
}

TEST_F(R3InitTest, ExceptionFilterInstalledOnceAndChained)
{
    EXPECT_EQ(0, rtR3InitHardenProcess(0, RTWINOSTYPE_W10));
    EXPECT_EQ(0, rtR3InitHardenProcess(0, RTWINOSTYPE_W10));
    ASSERT_EQ(1u, g_Calls.FiltersSet.size());
    EXPECT_EQ(rtR3WinUnhandledXcptFilter, g_Calls.FiltersSet[0]);
    EXPECT_EQ(previousFilter, g_pfnrtR3WinPrevXcptFilter);

    /* The runtime's filter reports on standard error and lets the previous one decide. */
    HANDLE hSaved = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, INVALID_HANDLE_VALUE);
    EXCEPTION_RECORD XcptRec = {};
    XcptRec.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    EXCEPTION_POINTERS XcptPtrs = {&XcptRec, NULL};
    LONG lResult = rtR3WinUnhandledXcptFilter(&XcptPtrs);
    SetStdHandle(STD_ERROR_HANDLE, hSaved);
    EXPECT_EQ(EXCEPTION_CONTINUE_EXECUTION, lResult);
}

TEST_F(R3InitTest, RepeatedInitialisationAndArguments)
{
    char szProg[] = "prog", szArg[] = "x";
    char *apszArgs[] = {szProg, szArg, NULL};
    char *apszOther[] = {szProg, szArg, NULL};
    char **papszArgs = apszArgs, **papszOther = apszOther;

    EXPECT_FALSE(RTR3InitIsInitialized());
    ASSERT_EQ(INF_SUCCESS, RTR3Init(RTR3INIT_F_UNOBTRUSIVE, 0, NULL, NULL));
    EXPECT_TRUE(RTR3InitIsInitialized());
    EXPECT_EQ(-1, g_crtR3Args);
    /* Arguments come with a later call when the first brought none. */
    EXPECT_EQ(INF_SUCCESS, RTR3Init(RTR3INIT_F_UNOBTRUSIVE, 2, &papszArgs, NULL));
    EXPECT_EQ(2, g_crtR3Args);
    EXPECT_EQ(INF_SUCCESS, RTR3InitExe(2, &papszArgs, RTR3INIT_F_UNOBTRUSIVE));
    EXPECT_EQ(ERR_WRONG_ORDER, RTR3Init(RTR3INIT_F_UNOBTRUSIVE, 1, &papszArgs, NULL));
    EXPECT_EQ(ERR_WRONG_ORDER, RTR3Init(RTR3INIT_F_UNOBTRUSIVE, 2, &papszOther, NULL));
    EXPECT_EQ(apszArgs, g_papszrtR3Args);
    EXPECT_TRUE(RTR3InitIsInitialized());
}

TEST_F(R3InitTest, FirstInitialisationRecordsTheExecutable)
{
    char szProg[] = "prog";
    char *apszArgs[] = {szProg, NULL};
    char **papszArgs = apszArgs;
    ASSERT_EQ(INF_SUCCESS, RTR3InitExe(1, &papszArgs, RTR3INIT_F_UNOBTRUSIVE));
    EXPECT_STREQ("rt-tests.exe", rtProcGetExeName());
    EXPECT_EQ(GetCurrentProcessId(), g_rtR3ProcessSelf);
    EXPECT_NE(0u, g_u64rtR3ProgramStartNanoTS);
    EXPECT_TRUE(g_Calls.SetDllDirectoryArgs.empty()); /* unobtrusive */
}

TEST_F(R3InitTest, ProgramPathLimit)
{
    std::string const strTooLong = "C:\\" + std::string(4064, 'a') + ".exe"; /* 4,071 bytes */
    std::string const strLongest = "C:\\" + std::string(4060, 'a') + ".exe"; /* 4,067 bytes */
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTR3Init(RTR3INIT_F_UNOBTRUSIVE, 0, NULL, strTooLong.c_str()));
    EXPECT_FALSE(RTR3InitIsInitialized());
    ASSERT_EQ(INF_SUCCESS, RTR3Init(RTR3INIT_F_UNOBTRUSIVE, 0, NULL, strLongest.c_str()));
    EXPECT_EQ(strLongest, g_szrtProcExePath);
    EXPECT_EQ(strLongest.size(), g_cchrtProcExePath);
    EXPECT_EQ(3u, g_offrtProcName);

    /* A later call replaces it, when it fits. */
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTR3Init(RTR3INIT_F_UNOBTRUSIVE, 0, NULL, (strLongest + "x").c_str()));
    EXPECT_EQ(strLongest, g_szrtProcExePath);
    EXPECT_EQ(INF_SUCCESS, RTR3Init(RTR3INIT_F_UNOBTRUSIVE, 0, NULL, "D:\\tools\\other.exe"));
    EXPECT_STREQ("other.exe", rtProcGetExeName());
    EXPECT_EQ(8u, g_cchrtProcDir);
}

TEST_F(R3InitTest, ObtrusiveAfterUnobtrusiveHardensThen)
{
    ASSERT_EQ(INF_SUCCESS, RTR3Init(RTR3INIT_F_UNOBTRUSIVE, 0, NULL, NULL));
    EXPECT_TRUE(g_Calls.SetDllDirectoryArgs.empty());
    EXPECT_EQ(INF_SUCCESS, RTR3Init(RTR3INIT_F_DLL_SEARCH_SYSTEM32, 0, NULL, NULL));
    EXPECT_EQ(std::vector<std::wstring>{L""}, g_Calls.SetDllDirectoryArgs);
    EXPECT_EQ(std::vector<DWORD>{0x800}, g_Calls.SetDefaultArgs);
    EXPECT_EQ(RTR3INIT_F_DLL_SEARCH_SYSTEM32,
              g_frtR3InitFlags & (RTR3INIT_F_DLL_SEARCH_SYSTEM32 | RTR3INIT_F_UNOBTRUSIVE));
    /* Once hardened, nothing more happens. */
    EXPECT_EQ(INF_SUCCESS, RTR3Init(0, 0, NULL, NULL));
    EXPECT_EQ(1u, g_Calls.SetDllDirectoryArgs.size());
}

} // namespace
