/** @file
 * Windows Installer invocation with the Installer's calls replaced: the user
 * interface level, the log and common-controls arguments, what reaches the
 * Installer, the failures before it runs, and the meaning of every kind of
 * result with its exact message in both modes. Real installations are in
 * tests/installer/actions.
 */
#include "support/stub-capture.h"
#include "TarnStubMsi.h"
#include "TarnStubMsi-win.h"
#include "TarnStubCmdLine.h"

#include <string>
#include <vector>

namespace
{

/** What the replaced calls saw, and what the Installer answers. */
struct MsiCalls
{
    std::vector<INSTALLUILEVEL> aUiLevels;
    std::vector<std::string> aUiWindowArgs; /* "null" or "set" */
    std::vector<std::string> aLogCalls;     /* "<mode>|<path>|<attributes>" */
    std::vector<std::string> aControls;     /* "<size>|<classes>" */
    std::vector<std::string> aInstalls;     /* "<package>|<command line>" */
    std::vector<std::string> aLoads;        /* "<path>|<file handle>|<flags>" */
    std::vector<std::string> aFormats;      /* "<flags>|<module>|<number>|<language>" */
    std::vector<std::string> aOrder;
    UINT uInstallResult = ERROR_SUCCESS;
    INSTALLUILEVEL enmPreviousUi = INSTALLUILEVEL_BASIC;
    UINT uLogResult = ERROR_SUCCESS;
    HMODULE hmodNetMsg = NULL;
};
MsiCalls *g_pCalls = NULL;

std::string narrow(const WCHAR *pwsz)
{
    std::string str;
    for (; pwsz && *pwsz; pwsz++)
        str += *pwsz < 0x80 ? (char)*pwsz : '?';
    return str;
}

std::string hex(uint32_t u)
{
    char sz[16];
    snprintf(sz, sizeof(sz), "%#x", u);
    return sz;
}

INSTALLUILEVEL WINAPI recordUi(INSTALLUILEVEL enmLevel, HWND *phWnd)
{
    g_pCalls->aUiLevels.push_back(enmLevel);
    g_pCalls->aUiWindowArgs.push_back(phWnd ? "set" : "null");
    g_pCalls->aOrder.push_back("ui");
    return g_pCalls->enmPreviousUi;
}

UINT WINAPI recordLog(DWORD fMode, LPCWSTR pwszLogFile, DWORD fAttributes)
{
    g_pCalls->aLogCalls.push_back(hex(fMode) + "|" + narrow(pwszLogFile) + "|" + hex(fAttributes));
    g_pCalls->aOrder.push_back("log");
    return g_pCalls->uLogResult;
}

BOOL WINAPI recordControls(const INITCOMMONCONTROLSEX *pControls)
{
    g_pCalls->aControls.push_back(std::to_string(pControls->dwSize) + "|" + hex(pControls->dwICC));
    g_pCalls->aOrder.push_back("controls");
    return TRUE;
}

UINT WINAPI recordInstall(LPCWSTR pwszPackage, LPCWSTR pwszCommandLine)
{
    g_pCalls->aInstalls.push_back(narrow(pwszPackage) + "|" + (pwszCommandLine ? narrow(pwszCommandLine) : "<null>"));
    g_pCalls->aOrder.push_back("install");
    return g_pCalls->uInstallResult;
}

HMODULE WINAPI recordLoad(LPCWSTR pwszName, HANDLE hFile, DWORD fFlags)
{
    g_pCalls->aLoads.push_back(narrow(pwszName) + "|" + (hFile ? "handle" : "null") + "|" + hex(fFlags));
    return g_pCalls->hmodNetMsg;
}

DWORD WINAPI recordFormat(DWORD fFlags, LPCVOID pvSource, DWORD uMessage, DWORD uLanguage, LPWSTR pwszBuffer,
                          DWORD cwcMin, va_list *pArgs)
{
    g_pCalls->aFormats.push_back(hex(fFlags) + "|" + (pvSource ? "module" : "null") + "|" + std::to_string(uMessage) +
                                 "|" + hex(uLanguage));
    return FormatMessageW(fFlags, pvSource, uMessage, uLanguage, pwszBuffer, cwcMin, pArgs);
}

DWORD WINAPI formatNothing(DWORD fFlags, LPCVOID pvSource, DWORD uMessage, DWORD uLanguage, LPWSTR, DWORD, va_list *)
{
    g_pCalls->aFormats.push_back(hex(fFlags) + "|" + (pvSource ? "module" : "null") + "|" + std::to_string(uMessage) +
                                 "|" + hex(uLanguage));
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
}

/** The system's own text for @a uNumber, as a test expects to see it (UTF-8, ASCII texts only). */
std::string systemText(DWORD uNumber)
{
    WCHAR *pwsz = NULL;
    DWORD cwc = FormatMessageW(0x1300, NULL, uNumber, 0x400, (LPWSTR)&pwsz, 0, NULL);
    std::string str = cwc ? narrow(pwsz) : "";
    LocalFree(pwsz);
    return str;
}

/** The directory of the system's libraries, as the loader is asked for netmsg.dll. */
std::string systemDirectory(void)
{
    WCHAR wsz[MAX_PATH];
    UINT cwc = GetSystemDirectoryW(wsz, MAX_PATH);
    return cwc ? narrow(wsz) : "";
}

/** Where a module loaded as a data file is mapped (its handle carries a mark in the low bits). */
void *dataFileMapping(HMODULE hmod)
{
    return (void *)((uintptr_t)hmod & ~(uintptr_t)3);
}

bool isMapped(void *pv)
{
    MEMORY_BASIC_INFORMATION Info;
    return VirtualQuery(pv, &Info, sizeof(Info)) == sizeof(Info) && Info.State != MEM_FREE;
}

class StubMsiTest : public StubCaptureTest
{
  protected:
    void SetUp() override
    {
        StubCaptureTest::SetUp();
        g_pCalls = &m_Calls;
        g_StubSeamsMsi.pfnMsiSetInternalUI = recordUi;
        g_StubSeamsMsi.pfnMsiEnableLogW = recordLog;
        g_StubSeamsMsi.pfnInitCommonControlsEx = recordControls;
        g_StubSeamsMsi.pfnMsiInstallProductW = recordInstall;
        g_StubSeamsMsi.pfnLoadLibraryExW = recordLoad;
        g_StubSeamsMsi.pfnFormatMessageW = recordFormat;
    }
    void TearDown() override
    {
        if (m_Calls.hmodNetMsg)
            FreeLibrary(m_Calls.hmodNetMsg);
        g_pCalls = NULL;
        StubCaptureTest::TearDown();
    }

    /** Runs the package C:\Pkg\a.msi with the Installer answering @a uResult. */
    int install(UINT uResult)
    {
        m_Calls.uInstallResult = uResult;
        return RunMsiPackage("C:\\Pkg\\a.msi", "", NULL);
    }

    /** The one message of the last run, from the box or from standard error, whichever the mode uses. */
    std::string message() const
    {
        if (g_fSilent)
            return m_strStdErr;
        return m_aBoxes.empty() ? "" : m_aBoxes.back().strText;
    }

    MsiCalls m_Calls;
};

TEST_F(StubMsiTest, SilentRunHasNoInterfaceAndAFreshFlushedVerboseLog)
{
    g_fSilent = true;
    EXPECT_EQ(0, RunMsiPackage("C:\\Users\\Ann\\AppData\\Local\\Temp\\X\\Tarn.msi", "TARN_A=1 TARN_B=\"x y\"",
                               "D:\\logs\\install log.txt"));
    EXPECT_EQ(std::vector<INSTALLUILEVEL>{INSTALLUILEVEL_NONE}, m_Calls.aUiLevels);
    EXPECT_EQ(std::vector<std::string>{"null"}, m_Calls.aUiWindowArgs);
    EXPECT_EQ(std::vector<std::string>{"0x1000|D:\\logs\\install log.txt|0x2"}, m_Calls.aLogCalls);
    EXPECT_EQ(std::vector<std::string>{"8|0xd2ff"}, m_Calls.aControls);
    EXPECT_EQ(std::vector<std::string>{"C:\\Users\\Ann\\AppData\\Local\\Temp\\X\\Tarn.msi|TARN_A=1 TARN_B=\"x y\""},
              m_Calls.aInstalls);
    EXPECT_EQ((std::vector<std::string>{"ui", "log", "controls", "install"}), m_Calls.aOrder);
    EXPECT_EQ("", m_strStdErr);
    EXPECT_EQ("", m_strStdOut);
}

TEST_F(StubMsiTest, InteractiveRunHasTheFullInterfaceAndNoLogUnlessAsked)
{
    EXPECT_EQ(0, RunMsiPackage("C:\\Pkg\\a.msi", "", NULL));
    EXPECT_EQ(std::vector<INSTALLUILEVEL>{INSTALLUILEVEL_FULL}, m_Calls.aUiLevels);
    EXPECT_EQ(std::vector<std::string>{"null"}, m_Calls.aUiWindowArgs);
    EXPECT_TRUE(m_Calls.aLogCalls.empty());
    /* An empty parameter string is an empty command line, not a missing one. */
    EXPECT_EQ(std::vector<std::string>{"C:\\Pkg\\a.msi|"}, m_Calls.aInstalls);
    EXPECT_EQ("", boxes());
}

TEST_F(StubMsiTest, EveryPackageSetsTheInterfaceAndControlsAgain)
{
    g_fSilent = true;
    RunMsiPackage("C:\\Pkg\\a.msi", "", "C:\\log.txt");
    RunMsiPackage("C:\\Pkg\\b.msi", "", "C:\\log.txt");
    EXPECT_EQ((std::vector<std::string>{"ui", "log", "controls", "install", "ui", "log", "controls", "install"}),
              m_Calls.aOrder);
}

std::vector<std::wstring> g_awstrSeen;

UINT WINAPI keepInstallArgs(LPCWSTR pwszPackage, LPCWSTR pwszCmdLine)
{
    g_awstrSeen.push_back(pwszPackage);
    g_awstrSeen.push_back(pwszCmdLine);
    return ERROR_SUCCESS;
}

UINT WINAPI keepLogArg(DWORD, LPCWSTR pwszLog, DWORD)
{
    g_awstrSeen.push_back(pwszLog);
    return ERROR_SUCCESS;
}

TEST_F(StubMsiTest, NonAsciiPathsReachTheInstallerAsUtf16)
{
    g_awstrSeen.clear();
    g_StubSeamsMsi.pfnMsiInstallProductW = keepInstallArgs;
    g_StubSeamsMsi.pfnMsiEnableLogW = keepLogArg;
    EXPECT_EQ(
        0, RunMsiPackage("C:\\\xc3\x84nderung\\p\xe2\x82\xac.msi", "NAME=\"J\xc3\xb6rg\"", "C:\\\xf0\x9f\x93\x9c.log"));
    EXPECT_EQ(
        (std::vector<std::wstring>{L"C:\\\xd83d\xdcdc.log", L"C:\\\x00c4nderung\\p\x20ac.msi", L"NAME=\"J\x00f6rg\""}),
        g_awstrSeen);
}

/* Failures before the Installer runs: one message each, result 1, nothing installed. */
TEST_F(StubMsiTest, FailuresBeforeTheInstallationStopIt)
{
    struct Case
    {
        const char *pszWhat;
        INSTALLUILEVEL enmPreviousUi;
        UINT uLogResult;
        const char *pszMsi;
        const char *pszParams;
        const char *pszLog;
        const char *pszMessage;
        size_t cLogCalls;
    } const aCases[] = {
        {"no interface level", INSTALLUILEVEL_NOCHANGE, ERROR_SUCCESS, "C:\\a.msi", "", "C:\\l.txt",
         "Internal error: MsiSetInternalUI failed.", 0},
        {"log refused", INSTALLUILEVEL_BASIC, ERROR_INVALID_PARAMETER, "C:\\a.msi", "", "C:\\l.txt",
         "MsiEnableLogW failed", 1},
        {"log path not UTF-8", INSTALLUILEVEL_BASIC, ERROR_SUCCESS, "C:\\a.msi", "", "C:\\\xff.txt",
         "RTStrToUtf16 failed on 'C:\\\xff.txt': ERR_INVALID_UTF8_ENCODING", 0},
        {"package path not UTF-8", INSTALLUILEVEL_BASIC, ERROR_SUCCESS, "C:\\\xc3.msi", "", NULL,
         "RTStrToUtf16 failed on 'C:\\\xc3.msi': ERR_INVALID_UTF8_ENCODING", 0},
        {"parameters not UTF-8", INSTALLUILEVEL_BASIC, ERROR_SUCCESS, "C:\\a.msi", "A=\x80", NULL,
         "RTStrToUtf16 failed on 'A=\x80': ERR_INVALID_UTF8_ENCODING", 0},
    };
    g_fSilent = true;
    for (const Case &c : aCases)
    {
        m_Calls = MsiCalls();
        m_strStdErr.clear();
        m_Calls.enmPreviousUi = c.enmPreviousUi;
        m_Calls.uLogResult = c.uLogResult;
        EXPECT_EQ(1, RunMsiPackage(c.pszMsi, c.pszParams, c.pszLog)) << c.pszWhat;
        EXPECT_EQ(std::string("setup.exe: error: ") + c.pszMessage + "\n", m_strStdErr) << c.pszWhat;
        EXPECT_TRUE(m_Calls.aInstalls.empty()) << c.pszWhat;
        EXPECT_EQ(c.cLogCalls, m_Calls.aLogCalls.size()) << c.pszWhat;
    }
}

/* Results with a fixed meaning, in both modes. */
TEST_F(StubMsiTest, ResultTable)
{
    struct Case
    {
        UINT uResult;
        int rcExit;
        const char *pszInteractive; /* the box text, "" for no box */
        const char *pszSilentErr;   /* standard error in silent mode */
        const char *pszSilentOut;   /* standard output in silent mode */
    } const aCases[] = {
        {ERROR_SUCCESS, 0, "", "", ""},
        {ERROR_SUCCESS_REBOOT_REQUIRED, 3010, "", "", "setup.exe: info: Reboot required (by C:\\Pkg\\a.msi)\n"},
        {ERROR_INSTALL_USEREXIT, 1, "", "", ""},
        {ERROR_INSTALL_PACKAGE_VERSION, 1,
         "This installation package cannot be installed by the Windows Installer service.\n"
         "You must install a Windows service pack that contains a newer version of the Windows Installer service.",
         "setup.exe: error: This installation package cannot be installed by the Windows Installer service.\n"
         "setup.exe: error: You must install a Windows service pack that contains a newer version of the Windows "
         "Installer service.\n",
         ""},
        {ERROR_INSTALL_PLATFORM_UNSUPPORTED, 1, "This installation package is not supported on this platform.",
         "setup.exe: error: This installation package is not supported on this platform.\n", ""},
    };
    for (const Case &c : aCases)
    {
        for (bool fSilent : {false, true})
        {
            g_fSilent = fSilent;
            m_aBoxes.clear();
            m_strStdErr.clear();
            m_strStdOut.clear();
            EXPECT_EQ(c.rcExit, install(c.uResult)) << c.uResult;
            if (fSilent)
            {
                EXPECT_EQ(c.pszSilentErr, m_strStdErr) << c.uResult;
                EXPECT_EQ(c.pszSilentOut, m_strStdOut) << c.uResult;
                EXPECT_EQ("", boxes()) << c.uResult;
            }
            else
            {
                EXPECT_EQ(*c.pszInteractive ? std::string("W|0x10|Tarnvale Installer|") + c.pszInteractive + "\n" : "",
                          boxes())
                    << c.uResult;
                EXPECT_EQ("", m_strStdErr + m_strStdOut) << c.uResult;
            }
        }
    }
    EXPECT_TRUE(m_Calls.aLoads.empty());
    EXPECT_TRUE(m_Calls.aFormats.empty());
}

/* Every other result is a failure described by the system's own text, line break and all; a restart the
   Installer has already started (1641) included. */
TEST_F(StubMsiTest, OtherResultsShowTheSystemText)
{
    for (UINT uResult : {1641u, 1603u, 5u, 3000u, 2099u})
    {
        std::string const strText = systemText(uResult);
        m_aBoxes.clear();
        m_Calls.aFormats.clear();
        EXPECT_EQ(1, install(uResult));
        if (strText.empty())
            EXPECT_EQ("Installation failed! Error: " + std::to_string(uResult), message()) << uResult;
        else
        {
            EXPECT_EQ("Installation failed! Error: " + strText, message()) << uResult;
            EXPECT_EQ("\r\n", strText.substr(strText.size() - 2)) << "the system's texts end in a line break";
        }
        EXPECT_EQ(std::vector<std::string>{"0x1300|null|" + std::to_string(uResult) + "|0x400"}, m_Calls.aFormats);
    }
    EXPECT_NE("", systemText(1603)) << "the system should describe a failed installation";
    EXPECT_TRUE(m_Calls.aLoads.empty()) << "netmsg.dll is for network errors only";
}

/* Network errors 2100..2999: netmsg.dll from the system directory, as a data file, asked first. The test's
   stand-in is a message table of its own (netmsg-fixture.mc, linked into this program). */
TEST_F(StubMsiTest, NetworkErrorsAreLookedUpInNetMsg)
{
    /* A copy of this program: the program itself is mapped already, a copy is mapped by the load alone. */
    WCHAR wszSelf[MAX_PATH], wszDir[MAX_PATH], wszCopy[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameW(NULL, wszSelf, MAX_PATH));
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, wszDir));
    ASSERT_NE(0u, GetTempFileNameW(wszDir, L"nmf", 0, wszCopy));
    ASSERT_TRUE(CopyFileW(wszSelf, wszCopy, FALSE));
    static const struct
    {
        UINT uResult;
        const char *pszText;
    } s_aCases[] = {
        {2100, "Fixture network text 2100.\r\n"},
        {2250, "Fixture network text 2250:\r\nthe connection is not there.\r\n"},
        {2999, "Fixture network text 2999.\r\n"},
    };
    std::string const strNetMsg = systemDirectory() + "\\netmsg.dll";
    for (const auto &c : s_aCases)
    {
        m_Calls.aLoads.clear();
        m_Calls.aFormats.clear();
        m_aBoxes.clear();
        m_Calls.hmodNetMsg = LoadLibraryExW(wszCopy, NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, m_Calls.hmodNetMsg);
        void *const pvMapping = dataFileMapping(m_Calls.hmodNetMsg);
        ASSERT_TRUE(isMapped(pvMapping));
        EXPECT_EQ(1, install(c.uResult));
        EXPECT_EQ(std::string("Installation failed! Error: ") + c.pszText, message());
        EXPECT_EQ(std::vector<std::string>{strNetMsg + "|null|0x2"}, m_Calls.aLoads);
        EXPECT_EQ(std::vector<std::string>{"0x1b00|module|" + std::to_string(c.uResult) + "|0x400"}, m_Calls.aFormats);
        /* Released once the text is formatted: no data file stays mapped for nothing. */
        EXPECT_FALSE(isMapped(pvMapping)) << c.uResult;
        if (isMapped(pvMapping))
            FreeLibrary(m_Calls.hmodNetMsg); /* so the copy can be deleted */
        m_Calls.hmodNetMsg = NULL;
    }
    DeleteFileW(wszCopy);
}

/* Without netmsg.dll the system's own table is asked; without any text the number is shown. */
TEST_F(StubMsiTest, NetworkErrorWithoutNetMsgOrTextShowsTheNumber)
{
    g_fSilent = true;
    g_StubSeamsMsi.pfnFormatMessageW = formatNothing;
    EXPECT_EQ(1, install(2250));
    EXPECT_EQ(1u, m_Calls.aLoads.size());
    EXPECT_EQ(std::vector<std::string>{"0x1300|null|2250|0x400"}, m_Calls.aFormats);
    EXPECT_EQ("setup.exe: error: Installation failed! Error: 2250\n", m_strStdErr);
}

} // namespace
