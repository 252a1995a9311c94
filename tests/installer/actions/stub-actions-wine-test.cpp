/** @file
 * The installer's actions against the real system under Wine, in a prefix of
 * their own (actions-wine.sh runs this program and then checks the prefix):
 * Windows Installer installing real packages with properties, a log, a
 * reboot request and a failure; the certificate going into the local
 * machine's trusted-publisher store.
 *
 * Environment: TARN_ACTIONS_MSI_DIR (Linux path of the test packages),
 * TARN_ACTIONS_CERT (Linux path of a DER certificate made for this run).
 */
#include "support/stub-capture.h"
#include "support/widen.h"
#include "TarnStubCertUtil.h"
#include "TarnStubMsi.h"
#include "TarnStubCmdLine.h"

#include <windows.h>
#include <msi.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

/** The product codes of the test packages (fixed in their .wxs sources). */
const wchar_t g_wszPropsProduct[] = L"{70A91700-B868-4095-B8E7-D726D790CFC8}";
const wchar_t g_wszRebootProduct[] = L"{DA835E7A-7196-4207-A8CB-3521C26AF691}";
const wchar_t g_wszFailProduct[] = L"{83D0BE8C-EA3D-408F-9C49-232593000DB8}";

/** A Linux path as Wine's drive Z: shows it. */
std::string fromLinux(const char *pszPath)
{
    std::string str = std::string("Z:") + pszPath;
    for (char &ch : str)
        if (ch == '/')
            ch = '\\';
    return str;
}

std::string envPath(const char *pszName)
{
    const char *psz = getenv(pszName);
    EXPECT_TRUE(psz && *psz) << pszName << " is not set";
    return psz ? fromLinux(psz) : "";
}

std::string package(const char *pszName)
{
    return envPath("TARN_ACTIONS_MSI_DIR") + "\\" + pszName;
}

/** The Installer's calls the installer itself does not make, looked up in msi.dll. */
typedef INSTALLSTATE(WINAPI *PFNQUERYPRODUCTSTATE)(LPCWSTR);
typedef UINT(WINAPI *PFNCONFIGUREPRODUCT)(LPCWSTR, int, INSTALLSTATE);

INSTALLSTATE productState(const wchar_t *pwszProduct)
{
    HMODULE hmod = LoadLibraryW(L"msi.dll");
    PFNQUERYPRODUCTSTATE pfn = (PFNQUERYPRODUCTSTATE)(void *)GetProcAddress(hmod, "MsiQueryProductStateW");
    return pfn ? pfn(pwszProduct) : INSTALLSTATE_UNKNOWN;
}

/** Removes a product an earlier run of this test installed into the prefix. */
void removeProduct(const wchar_t *pwszProduct)
{
    if (productState(pwszProduct) != INSTALLSTATE_DEFAULT)
        return;
    HMODULE hmod = LoadLibraryW(L"msi.dll");
    PFNCONFIGUREPRODUCT pfn = (PFNCONFIGUREPRODUCT)(void *)GetProcAddress(hmod, "MsiConfigureProductW");
    ASSERT_NE(nullptr, pfn);
    MsiSetInternalUI(INSTALLUILEVEL_NONE, NULL);
    UINT const uRc = pfn(pwszProduct, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
    ASSERT_TRUE(uRc == ERROR_SUCCESS || uRc == ERROR_SUCCESS_REBOOT_REQUIRED) << uRc;
    ASSERT_NE(INSTALLSTATE_DEFAULT, productState(pwszProduct));
}

/** A string value under HKLM in the 64-bit view, where x86-64 packages write; "<missing>" when absent. */
std::string machineValue(const wchar_t *pwszKey, const wchar_t *pwszName)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, pwszKey, 0, KEY_READ | KEY_WOW64_64KEY, &hKey) != ERROR_SUCCESS)
        return "<missing>";
    wchar_t wszValue[512] = L"";
    DWORD cbValue = sizeof(wszValue) - sizeof(wchar_t);
    DWORD uType = 0;
    LONG const lRc = RegQueryValueExW(hKey, pwszName, NULL, &uType, (BYTE *)wszValue, &cbValue);
    RegCloseKey(hKey);
    return lRc == ERROR_SUCCESS && uType == REG_SZ ? tst::narrow(wszValue) : "<missing>";
}

std::string readFile(const std::string &strPath)
{
    std::ifstream File(tst::widen(strPath).c_str(), std::ios::binary);
    std::stringstream Content;
    Content << File.rdbuf();
    return Content.str();
}

class StubActionsWine : public StubCaptureTest
{
  protected:
    void SetUp() override
    {
        StubCaptureTest::SetUp();
        g_fSilent = true;
    }
};

/* Properties of the parameter string, with and without spaces, arrive in the installed product; the verbose log
   is started afresh. */
TEST_F(StubActionsWine, PropertiesArriveAndTheLogIsWritten)
{
    removeProduct(g_wszPropsProduct);
    std::string const strRun = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    std::string const strParams = "TARN_PLAIN=plain-" + strRun + " TARN_SPACED=\"two words " + strRun + "\"";
    wchar_t wszTemp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, wszTemp));
    std::string const strLog = tst::narrow(wszTemp) + "tarn actions log " + strRun + ".txt";
    {
        /* Longer than the new log, so that no part of it can survive being written over. */
        std::ofstream Stale(tst::widen(strLog).c_str());
        for (int i = 0; i < 65536; i++)
            Stale << "STALE LOG OF AN EARLIER RUN\n";
    }

    EXPECT_EQ(0, RunMsiPackage(package("TarnActProps.msi").c_str(), strParams.c_str(), strLog.c_str()));
    EXPECT_EQ("", m_strStdErr + m_strStdOut);
    EXPECT_EQ(INSTALLSTATE_DEFAULT, productState(g_wszPropsProduct));
    EXPECT_EQ("plain-" + strRun, machineValue(L"Software\\TarnvaleActionsTest\\Props", L"Plain"));
    EXPECT_EQ("two words " + strRun, machineValue(L"Software\\TarnvaleActionsTest\\Props", L"Spaced"));

    std::string const strLogText = readFile(strLog);
    EXPECT_EQ(std::string::npos, strLogText.find("STALE")) << "the log is started afresh";
    EXPECT_NE(std::string::npos, strLogText.find("WriteRegistryValues")) << strLogText.substr(0, 2000);
    DeleteFileW(tst::widen(strLog).c_str());
}

TEST_F(StubActionsWine, RebootRequestGives3010)
{
    removeProduct(g_wszRebootProduct);
    std::string const strPackage = package("TarnActReboot.msi");
    EXPECT_EQ(3010, RunMsiPackage(strPackage.c_str(), "", NULL));
    EXPECT_EQ("setup.exe: info: Reboot required (by " + strPackage + ")\n", m_strStdOut);
    EXPECT_EQ("", m_strStdErr);
    EXPECT_EQ("yes", machineValue(L"Software\\TarnvaleActionsTest\\Reboot", L"Installed"));
}

/* A package whose custom action ends the installation: result 1 and the system's text for the failure. */
TEST_F(StubActionsWine, FailingPackageGivesOneWithTheSystemText)
{
    wchar_t *pwszText = NULL;
    ASSERT_NE(0u, FormatMessageW(0x1300, NULL, ERROR_INSTALL_FAILURE, 0x400, (LPWSTR)&pwszText, 0, NULL));
    std::string const strText = tst::narrow(pwszText);
    LocalFree(pwszText);

    EXPECT_EQ(1, RunMsiPackage(package("TarnActFail.msi").c_str(), "", NULL));
    /* A one-line system text keeps its line break ("\r\n") behind the error prefix. */
    EXPECT_EQ("setup.exe: error: Installation failed! Error: " + strText, m_strStdErr);
    EXPECT_EQ("", m_strStdOut);
    EXPECT_NE(INSTALLSTATE_DEFAULT, productState(g_wszFailProduct));
    EXPECT_EQ("<missing>", machineValue(L"Software\\TarnvaleActionsTest\\Failure", L"Installed"));
}

/* Into the local machine's trusted publishers; a second add replaces the first. actions-wine.sh finds it in the
   prefix's system.reg afterwards. */
TEST_F(StubActionsWine, CertificateGoesIntoTheTrustedPublisherStore)
{
    std::string const strCert = readFile(envPath("TARN_ACTIONS_CERT"));
    ASSERT_GT(strCert.size(), 100u);
    for (int i = 0; i < 2; i++)
        EXPECT_TRUE(PutCertificateInStore(STUB_CERT_STORE_LOCAL_MACHINE, STUB_CERT_STORE_TRUSTED_PUBLISHER,
                                          strCert.data(), (uint32_t)strCert.size()))
            << i;
    EXPECT_EQ("", m_strStdErr);
}

} // namespace
