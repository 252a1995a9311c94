/** @file
 * What the first start-up step records: module handles, the version record
 * and its class, the optional entry points and the socket library.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/ldr.h>
#include "internal/initterm.h"

namespace
{

TEST(InitNativeFirst, ModulesAndVersion)
{
    EXPECT_EQ(GetModuleHandleW(L"kernel32.dll"), g_hModKernel32);
    EXPECT_EQ(GetModuleHandleW(L"ntdll.dll"), g_hModNtDll);

    RTL_OSVERSIONINFOEXW Expected = {};
    Expected.dwOSVersionInfoSize = sizeof(Expected);
    PFNRTLGETVERSION const pfnRtlGetVersion =
        (PFNRTLGETVERSION)(void *)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    ASSERT_NE(nullptr, pfnRtlGetVersion);
    ASSERT_EQ(0, pfnRtlGetVersion((RTL_OSVERSIONINFOW *)&Expected));
    EXPECT_EQ(sizeof(OSVERSIONINFOEXW), g_WinOsInfoEx.dwOSVersionInfoSize);
    EXPECT_EQ(Expected.dwMajorVersion, g_WinOsInfoEx.dwMajorVersion);
    EXPECT_EQ(Expected.dwMinorVersion, g_WinOsInfoEx.dwMinorVersion);
    EXPECT_EQ(Expected.dwBuildNumber, g_WinOsInfoEx.dwBuildNumber);
    EXPECT_EQ(Expected.dwPlatformId, g_WinOsInfoEx.dwPlatformId);
    EXPECT_EQ(Expected.wProductType, g_WinOsInfoEx.wProductType);
    EXPECT_STREQ(Expected.szCSDVersion, g_WinOsInfoEx.szCSDVersion);
    EXPECT_EQ(rtWinOsTypeFromVersion(Expected.dwPlatformId, Expected.dwMajorVersion, Expected.dwMinorVersion,
                                     Expected.dwBuildNumber, Expected.wProductType),
              g_enmWinVer);
    EXPECT_NE(RTWINOSTYPE_UNKNOWN, g_enmWinVer);
}

TEST(InitNativeFirst, OptionalEntryPoints)
{
    HMODULE const hKernel32 = GetModuleHandleW(L"kernel32.dll");
    HMODULE const hNtDll = GetModuleHandleW(L"ntdll.dll");
    /* Each pointer is its own function, from its own module. */
    EXPECT_EQ((void *)GetProcAddress(hKernel32, "IsDebuggerPresent"), (void *)g_pfnIsDebuggerPresent);
    EXPECT_EQ((void *)GetProcAddress(hKernel32, "GetSystemTimeAsFileTime"), (void *)g_pfnGetSystemTimeAsFileTime);
    EXPECT_EQ((void *)GetProcAddress(hKernel32, "IsProcessorFeaturePresent"), (void *)g_pfnIsProcessorFeaturePresent);
    EXPECT_EQ((void *)GetProcAddress(hKernel32, "PostQueuedCompletionStatus"), (void *)g_pfnPostQueuedCompletionStatus);
    EXPECT_EQ((void *)GetProcAddress(hKernel32, "GetSystemWindowsDirectoryW"), (void *)g_pfnGetSystemWindowsDirectoryW);
    EXPECT_EQ((void *)GetProcAddress(hNtDll, "NtQueryFullAttributesFile"), (void *)g_pfnNtQueryFullAttributesFile);
    EXPECT_EQ((void *)GetProcAddress(hNtDll, "RtlGetVersion"), (void *)g_pfnRtlGetVersion);
    EXPECT_EQ((void *)GetProcAddress(hNtDll, "NtAlertThread"), (void *)g_pfnNtAlertThread);
    EXPECT_NE(nullptr, (void *)g_pfnNtQueryFullAttributesFile);
}

TEST(InitNativeFirst, SocketLibraryFromTheSystemDirectory)
{
    ASSERT_NE(NIL_RTLDRMOD, g_hLdrModWinSock);
    EXPECT_FALSE(g_fWinSockIsWSock32);
    HMODULE const hWs2 = (HMODULE)RTLdrGetNativeHandle(g_hLdrModWinSock);
    EXPECT_EQ(GetModuleHandleW(L"ws2_32.dll"), hWs2);
    EXPECT_EQ((void *)GetProcAddress(hWs2, "WSAStartup"), (void *)g_rtR3WinSock.pfnWSAStartup);
    EXPECT_EQ((void *)GetProcAddress(hWs2, "__WSAFDIsSet"), (void *)g_rtR3WinSock.pfn__WSAFDIsSet);
    EXPECT_EQ((void *)GetProcAddress(hWs2, "gethostbyname"), (void *)g_rtR3WinSock.pfngethostbyname);
    EXPECT_NE(nullptr, (void *)g_rtR3WinSock.pfngethostbyname);
}

} // namespace
