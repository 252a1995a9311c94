/** @file
 * Windows Installer invocation: user interface, log, common controls, the
 * installation and the meaning of its result.
 */
#include "TarnStubMsi.h"
#include "TarnStubMsi-win.h"
#include "TarnStubMessages.h"
#include "TarnStubCmdLine.h"
#include "internal/seam.h"
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/message.h>
#include <rt/string.h>
#include <rt/utf16.h>

#include <string.h>

namespace
{

/** Verbose logging and nothing else (0x1000). */
const DWORD STUB_MSI_LOG_MODE = INSTALLLOGMODE_VERBOSE;
/** Without INSTALLLOGATTRIBUTES_APPEND: a fresh log, flushed line by line (2). */
const DWORD STUB_MSI_LOG_ATTRIBUTES = INSTALLLOGATTRIBUTES_FLUSHEACHLINE;
/** The common controls an installation's dialogs may use (0xD2FF). */
const DWORD STUB_ICC_CLASSES =
    ICC_WIN95_CLASSES | ICC_USEREX_CLASSES | ICC_PAGESCROLLER_CLASS | ICC_STANDARD_CLASSES | ICC_LINK_CLASS;
/** The network-management error numbers, whose texts are in netmsg.dll. */
const UINT STUB_NETMSG_FIRST = 2100;
const UINT STUB_NETMSG_LAST = 2999;
/** A buffer of the system's text, inserts left as they are (0x1300). */
const DWORD STUB_FORMAT_FLAGS =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
/** Neutral language, default sub-language (0x0400). */
const DWORD STUB_FORMAT_LANGUAGE = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

/**
 * netmsg.dll as a data file, from the system directory only: its messages are
 * read, never run, but a copy elsewhere must not put words in the system's
 * mouth. Null when it is not there.
 */
HMODULE loadNetMsg(void)
{
    static const WCHAR s_wszName[] = L"\\netmsg.dll";
    WCHAR wszPath[MAX_PATH + RT_ELEMENTS(s_wszName)];
    UINT const cwcDir = GetSystemDirectoryW(wszPath, MAX_PATH);
    if (cwcDir == 0 || cwcDir >= MAX_PATH)
        return NULL;
    memcpy(&wszPath[cwcDir], s_wszName, sizeof(s_wszName));
    return RT_SEAM(g_StubSeamsMsi, LoadLibraryExW)(wszPath, NULL, LOAD_LIBRARY_AS_DATAFILE);
}

/** Reports an Installer result that is no success with the system's text for it, or its number. */
int showInstallFailure(UINT uResult)
{
    HMODULE const hmodNetMsg = uResult >= STUB_NETMSG_FIRST && uResult <= STUB_NETMSG_LAST ? loadNetMsg() : NULL;
    WCHAR *pwszText = NULL;
    DWORD const cwcText =
        RT_SEAM(g_StubSeamsMsi, FormatMessageW)(STUB_FORMAT_FLAGS | (hmodNetMsg ? FORMAT_MESSAGE_FROM_HMODULE : 0),
                                                hmodNetMsg, uResult, STUB_FORMAT_LANGUAGE, (LPWSTR)&pwszText, 0, NULL);
    int rcExit;
    if (cwcText > 0 && pwszText)
        rcExit = ShowError("Installation failed! Error: %ls", (const RTUTF16 *)pwszText);
    else
        rcExit = ShowError("Installation failed! Error: %u", uResult);
    if (pwszText)
        LocalFree(pwszText);
    if (hmodNetMsg)
        FreeLibrary(hmodNetMsg);
    return rcExit;
}

/** The exit-code value of an Installer result, with its message. */
int mapInstallResult(UINT uResult, const char *pszMsi)
{
    switch (uResult)
    {
        case ERROR_SUCCESS:
            return STUB_EXIT_SUCCESS;
        case ERROR_SUCCESS_REBOOT_REQUIRED:
            if (g_fSilent)
                RTMsgInfo("Reboot required (by %s)\n", pszMsi);
            return STUB_EXIT_REBOOT_NEEDED;
        case ERROR_INSTALL_USEREXIT:
            return STUB_EXIT_FAILURE;
        case ERROR_INSTALL_PACKAGE_VERSION:
            return ShowError("This installation package cannot be installed by the Windows Installer service.\n"
                             "You must install a Windows service pack that contains a newer version of the Windows "
                             "Installer service.");
        case ERROR_INSTALL_PLATFORM_UNSUPPORTED:
            return ShowError("This installation package is not supported on this platform.");
        default:
            return showInstallFailure(uResult);
    }
}

/** Has the Installer write a verbose log to @a pszMsiLogFile; 0 or the exit-code value of the reported failure. */
int enableLog(const char *pszMsiLogFile)
{
    RTUTF16 *pwszLogFile = NULL;
    int rc = RTStrToUtf16(pszMsiLogFile, &pwszLogFile, RTMEM_TAG);
    if (RT_FAILURE(rc))
        return ShowError("RTStrToUtf16 failed on '%s': %Rrc", pszMsiLogFile, rc);
    UINT const uRc =
        RT_SEAM(g_StubSeamsMsi, MsiEnableLogW)(STUB_MSI_LOG_MODE, (LPCWSTR)pwszLogFile, STUB_MSI_LOG_ATTRIBUTES);
    RTUtf16Free(pwszLogFile);
    if (uRc != ERROR_SUCCESS)
        return ShowError("MsiEnableLogW failed");
    return 0;
}

void initCommonControls(void)
{
    INITCOMMONCONTROLSEX Controls;
    Controls.dwSize = sizeof(Controls);
    Controls.dwICC = STUB_ICC_CLASSES;
    RT_SEAM(g_StubSeamsMsi, InitCommonControlsEx)(&Controls);
}

} // namespace

int RunMsiPackage(const char *pszMsi, const char *pszMsiParams, const char *pszMsiLogFile)
{
    INSTALLUILEVEL const enmLevel = g_fSilent ? INSTALLUILEVEL_NONE : INSTALLUILEVEL_FULL;
    if (RT_SEAM(g_StubSeamsMsi, MsiSetInternalUI)(enmLevel, NULL) == INSTALLUILEVEL_NOCHANGE)
        return ShowError("Internal error: MsiSetInternalUI failed.");

    if (pszMsiLogFile)
    {
        int const rcExit = enableLog(pszMsiLogFile);
        if (rcExit != 0)
            return rcExit;
    }

    initCommonControls();

    RTUTF16 *pwszMsi = NULL;
    int rc = RTStrToUtf16(pszMsi, &pwszMsi, RTMEM_TAG);
    if (RT_FAILURE(rc))
        return ShowError("RTStrToUtf16 failed on '%s': %Rrc", pszMsi, rc);
    RTUTF16 *pwszParams = NULL;
    rc = RTStrToUtf16(pszMsiParams, &pwszParams, RTMEM_TAG);
    if (RT_FAILURE(rc))
    {
        RTUtf16Free(pwszMsi);
        return ShowError("RTStrToUtf16 failed on '%s': %Rrc", pszMsiParams, rc);
    }

    UINT const uResult = RT_SEAM(g_StubSeamsMsi, MsiInstallProductW)((LPCWSTR)pwszMsi, (LPCWSTR)pwszParams);
    RTUtf16Free(pwszParams);
    RTUtf16Free(pwszMsi);
    return mapInstallResult(uResult, pszMsi);
}
