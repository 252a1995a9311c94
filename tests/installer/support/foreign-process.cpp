/** @file
 * Windows tests only: the other process, and the disabled test it runs to
 * hold a file.
 */
#include "support/foreign-process.h"
#include "support/scoped.h"
#include "support/widen.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{

const wchar_t g_wszEnvDoneEvent[] = L"TARN_CHILD_DONE_EVENT";
const wchar_t g_wszEnvHoldPath[] = L"TARN_HOLD_PATH";
const wchar_t g_wszEnvHoldShare[] = L"TARN_HOLD_SHARE";
const wchar_t g_wszEnvHoldMs[] = L"TARN_HOLD_MS";
const wchar_t g_wszEnvHoldReady[] = L"TARN_HOLD_READY_EVENT";
const wchar_t g_wszEnvHoldRelease[] = L"TARN_HOLD_RELEASE_EVENT";

/** How long a child may take to start, or a holder to open its file. */
const DWORD g_cMsChildStart = 120000;
/** A holder that is never released lets go after this, so no process is left behind. */
const DWORD g_cMsHoldLimit = 300000;

/** A name for a named event that no other test or process uses. */
std::wstring uniqueEventName(const wchar_t *pwszPurpose)
{
    static unsigned s_iNext = 0;
    return std::wstring(L"TarnTest-") + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++s_iNext) +
           L"-" + pwszPurpose;
}

std::wstring envValue(const wchar_t *pwszName)
{
    wchar_t wsz[4096];
    DWORD cwc = GetEnvironmentVariableW(pwszName, wsz, 4096);
    return cwc > 0 && cwc < 4096 ? std::wstring(wsz, cwc) : std::wstring();
}

/** A child process of this program running @a pszTest, its output going to a file. */
struct Child
{
    HANDLE hProcess = NULL;
    std::wstring wstrOutput;

    bool start(const char *pszTest, const tst::ChildEnv &Env)
    {
        wchar_t wszExe[MAX_PATH];
        GetModuleFileNameW(NULL, wszExe, MAX_PATH);
        std::wstring wstrCmdLine =
            std::wstring(L"\"") + wszExe + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + tst::widen(pszTest);

        wchar_t wszTemp[MAX_PATH];
        GetTempPathW(MAX_PATH, wszTemp);
        wstrOutput = std::wstring(wszTemp) + uniqueEventName(L"output.txt");
        SECURITY_ATTRIBUTES Sa = {sizeof(Sa), NULL, TRUE};
        HANDLE hOutput = CreateFileW(wstrOutput.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &Sa,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (hOutput == INVALID_HANDLE_VALUE)
            return false;

        tst::ScopedEnv ScopedVars;
        for (const auto &Var : Env)
            ScopedVars.setW(Var.first.c_str(), Var.second.c_str());
        STARTUPINFOW Si = {};
        Si.cb = sizeof(Si);
        Si.dwFlags = STARTF_USESTDHANDLES;
        Si.hStdInput = NULL;
        Si.hStdOutput = hOutput;
        Si.hStdError = hOutput;
        PROCESS_INFORMATION Pi;
        BOOL fStarted =
            CreateProcessW(wszExe, &wstrCmdLine[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &Si, &Pi);
        CloseHandle(hOutput);
        if (!fStarted)
            return false;
        CloseHandle(Pi.hThread);
        hProcess = Pi.hProcess;
        return true;
    }

    /** What the child wrote, for failure messages. */
    std::string output() const
    {
        std::ifstream File(tst::narrow(wstrOutput.c_str()), std::ios::binary);
        std::stringstream Stream;
        Stream << File.rdbuf();
        return Stream.str();
    }

    DWORD waitForExit(DWORD cMsTimeout)
    {
        DWORD uExit = STILL_ACTIVE;
        if (WaitForSingleObject(hProcess, cMsTimeout) != WAIT_OBJECT_0)
            TerminateProcess(hProcess, 99);
        WaitForSingleObject(hProcess, INFINITE);
        GetExitCodeProcess(hProcess, &uExit);
        return uExit;
    }

    ~Child()
    {
        if (hProcess)
            CloseHandle(hProcess);
        if (!wstrOutput.empty())
            DeleteFileW(wstrOutput.c_str());
    }
};

} // namespace

namespace tst
{

::testing::AssertionResult runTestInChild(const char *pszTest, const ChildEnv &Env)
{
    std::wstring wstrDone = uniqueEventName(L"done");
    HANDLE hDone = CreateEventW(NULL, TRUE, FALSE, wstrDone.c_str());
    if (!hDone)
        return ::testing::AssertionFailure() << "CreateEventW: " << GetLastError();
    ChildEnv EnvWithDone = Env;
    EnvWithDone.push_back({g_wszEnvDoneEvent, wstrDone});

    Child Proc;
    if (!Proc.start(pszTest, EnvWithDone))
    {
        CloseHandle(hDone);
        return ::testing::AssertionFailure() << "cannot start the child: " << GetLastError();
    }
    DWORD uExit = Proc.waitForExit(g_cMsChildStart);
    bool const fPassed = WaitForSingleObject(hDone, 0) == WAIT_OBJECT_0;
    CloseHandle(hDone);
    /* A test that did not run at all ends with 0 too; only the event says it got to its end. */
    if (uExit != 0 || !fPassed)
        return ::testing::AssertionFailure() << pszTest << " in a child: exit " << uExit << ", output:\n"
                                             << Proc.output();
    return ::testing::AssertionSuccess();
}

void reportChildPassed(void)
{
    if (::testing::Test::HasFailure())
        return;
    HANDLE hDone = OpenEventW(EVENT_MODIFY_STATE, FALSE, envValue(g_wszEnvDoneEvent).c_str());
    ASSERT_TRUE(hDone != NULL) << "no parent waits for this test";
    SetEvent(hDone);
    CloseHandle(hDone);
}

::testing::AssertionResult ForeignFileHolder::hold(const std::string &strPath, DWORD fShare, DWORD cMsHold)
{
    release();
    std::wstring wstrReady = uniqueEventName(L"ready");
    std::wstring wstrRelease = uniqueEventName(L"release");
    HANDLE hReady = CreateEventW(NULL, TRUE, FALSE, wstrReady.c_str());
    m_hRelease = CreateEventW(NULL, TRUE, FALSE, wstrRelease.c_str());
    if (!hReady || !m_hRelease)
        return ::testing::AssertionFailure() << "CreateEventW: " << GetLastError();

    ChildEnv Env = {{g_wszEnvHoldPath, widen(strPath)},
                    {g_wszEnvHoldShare, std::to_wstring(fShare)},
                    {g_wszEnvHoldMs, std::to_wstring(cMsHold)},
                    {g_wszEnvHoldReady, wstrReady},
                    {g_wszEnvHoldRelease, wstrRelease}};
    Child Proc;
    if (!Proc.start("ForeignProcess.DISABLED_HoldFile", Env))
    {
        CloseHandle(hReady);
        return ::testing::AssertionFailure() << "cannot start the holder: " << GetLastError();
    }
    HANDLE ahWait[2] = {hReady, Proc.hProcess};
    DWORD uWait = WaitForMultipleObjects(2, ahWait, FALSE, g_cMsChildStart);
    CloseHandle(hReady);
    if (uWait != WAIT_OBJECT_0)
    {
        DWORD uExit = Proc.waitForExit(0);
        return ::testing::AssertionFailure()
               << "the holder did not open " << strPath << " (exit " << uExit << "), output:\n"
               << Proc.output();
    }
    m_hProcess = Proc.hProcess;
    Proc.hProcess = NULL; /* ours now; the output file goes with Proc */
    return ::testing::AssertionSuccess();
}

void ForeignFileHolder::release()
{
    if (m_hRelease)
    {
        SetEvent(m_hRelease);
        CloseHandle(m_hRelease);
        m_hRelease = NULL;
    }
    if (m_hProcess)
    {
        WaitForSingleObject(m_hProcess, g_cMsChildStart);
        CloseHandle(m_hProcess);
        m_hProcess = NULL;
    }
}

} // namespace tst

/** Run only by ForeignFileHolder::hold, in a process of its own. */
TEST(ForeignProcess, DISABLED_HoldFile)
{
    std::wstring wstrPath = envValue(g_wszEnvHoldPath);
    DWORD const fShare = (DWORD)std::wcstoul(envValue(g_wszEnvHoldShare).c_str(), NULL, 10);
    DWORD const cMsHold = (DWORD)std::wcstoul(envValue(g_wszEnvHoldMs).c_str(), NULL, 10);
    HANDLE hReady = OpenEventW(EVENT_MODIFY_STATE, FALSE, envValue(g_wszEnvHoldReady).c_str());
    HANDLE hRelease = OpenEventW(SYNCHRONIZE, FALSE, envValue(g_wszEnvHoldRelease).c_str());
    ASSERT_TRUE(hReady && hRelease) << "no parent waits for this holder";

    HANDLE hFile =
        CreateFileW(wstrPath.c_str(), GENERIC_READ, fShare, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile) << "error " << GetLastError();
    SetEvent(hReady);
    WaitForSingleObject(hRelease, cMsHold < g_cMsHoldLimit ? cMsHold : g_cMsHoldLimit);
    CloseHandle(hFile);
    CloseHandle(hReady);
    CloseHandle(hRelease);
}
