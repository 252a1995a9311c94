/** @file
 * Test seams of the Windows Installer invocation (tests only; see
 * internal/seam.h): the Installer's calls, so tests can see their arguments
 * and give any result without installing; the netmsg.dll load and the text
 * look-up, so tests can offer a message table or none.
 */
#ifndef TARN_STUB_MSI_WIN_H
#define TARN_STUB_MSI_WIN_H

#include <windows.h>
#include <commctrl.h>
#include <msi.h>
#include "TarnStubSeams.h"

#ifdef RT_WITH_SEAMS
typedef struct StubSeamsMsi
{
    decltype(&MsiSetInternalUI) pfnMsiSetInternalUI;
    decltype(&MsiEnableLogW) pfnMsiEnableLogW;
    decltype(&InitCommonControlsEx) pfnInitCommonControlsEx;
    decltype(&MsiInstallProductW) pfnMsiInstallProductW;
    decltype(&LoadLibraryExW) pfnLoadLibraryExW;
    decltype(&FormatMessageW) pfnFormatMessageW;
} StubSeamsMsi;
#endif

#endif
