/** @file
 * The first native step of runtime initialisation on Windows: module handles,
 * the version record and its class, and the optional system entry points.
 */
#include <windows.h>
#include <winternl.h>
#include <rt/err.h>
#include <rt/ldr.h>
#include "internal/err.h"
#include "internal/init.h"
#include "internal/initterm.h"

HMODULE g_hModKernel32 = NULL;
HMODULE g_hModNtDll = NULL;
OSVERSIONINFOEXW g_WinOsInfoEx;
RTWINOSTYPE g_enmWinVer = RTWINOSTYPE_UNKNOWN;

decltype(&GetSystemWindowsDirectoryW) g_pfnGetSystemWindowsDirectoryW = NULL;
decltype(&GetWindowsDirectoryW) g_pfnGetWindowsDirectoryW = NULL;
decltype(&SystemTimeToTzSpecificLocalTime) g_pfnSystemTimeToTzSpecificLocalTime = NULL;
decltype(&CreateWaitableTimerExW) g_pfnCreateWaitableTimerExW = NULL;
decltype(&GetHandleInformation) g_pfnGetHandleInformation = NULL;
decltype(&SetHandleInformation) g_pfnSetHandleInformation = NULL;
decltype(&IsDebuggerPresent) g_pfnIsDebuggerPresent = NULL;
decltype(&GetSystemTimeAsFileTime) g_pfnGetSystemTimeAsFileTime = NULL;
decltype(&GetProcessAffinityMask) g_pfnGetProcessAffinityMask = NULL;
decltype(&SetThreadAffinityMask) g_pfnSetThreadAffinityMask = NULL;
decltype(&CreateIoCompletionPort) g_pfnCreateIoCompletionPort = NULL;
decltype(&GetQueuedCompletionStatus) g_pfnGetQueuedCompletionStatus = NULL;
decltype(&PostQueuedCompletionStatus) g_pfnPostQueuedCompletionStatus = NULL;
decltype(&IsProcessorFeaturePresent) g_pfnIsProcessorFeaturePresent = NULL;

PFNRTLGETVERSION g_pfnRtlGetVersion = NULL;
PFNNTQUERYFULLATTRIBUTESFILE g_pfnNtQueryFullAttributesFile = NULL;
PFNNTDUPLICATETOKEN g_pfnNtDuplicateToken = NULL;
PFNNTALERTTHREAD g_pfnNtAlertThread = NULL;

RTLDRMOD g_hLdrModWinSock = NIL_RTLDRMOD;
bool g_fWinSockIsWSock32 = false;
RTR3WINSOCKENTRIES g_rtR3WinSock;

namespace
{

/** The size of the basic version record, without service-pack numbers, suite and product type. */
const DWORD g_cbBasicVersionInfo = sizeof(OSVERSIONINFOW);
static_assert(sizeof(OSVERSIONINFOEXW) == 284 && sizeof(OSVERSIONINFOW) == 276, "the system's record sizes");

typedef BOOLEAN(NTAPI *PFNRTLGETNTPRODUCTTYPE)(ULONG *puProductType);

/** Looks up @a pszName in @a hMod and stores it, typed, in @a *ppfn (null when missing). */
template <typename T> void rtR3InitResolveEntry(HMODULE hMod, const char *pszName, T *ppfn)
{
    /* The detour through void * keeps the compiler from judging the cast of
     * the generic procedure type to the real signature. */
    *ppfn = (T)(void *)RT_SEAM(g_rtSeamsInit, GetProcAddress)(hMod, pszName);
}

/*
 * The version record.
 */

/** The product type when only a record without one could be had; workstation when unknown. */
BYTE rtR3InitQueryProductType(void)
{
    PFNRTLGETNTPRODUCTTYPE pfnGetProductType = NULL;
    rtR3InitResolveEntry(g_hModNtDll, "RtlGetNtProductType", &pfnGetProductType);
    ULONG uProductType = 0;
    if (!pfnGetProductType || !pfnGetProductType(&uProductType))
        return VER_NT_WORKSTATION;
    return (BYTE)uProductType;
}

/** The record from GetVersion's packed answer: the last resort. */
void rtR3InitFillFromGetVersion(OSVERSIONINFOEXW *pInfo)
{
    DWORD const uVersion = GetVersion();
    pInfo->dwMajorVersion = LOBYTE(LOWORD(uVersion));
    pInfo->dwMinorVersion = HIBYTE(LOWORD(uVersion));
    /* With the top bit set the high word is no build number. */
    pInfo->dwBuildNumber = (uVersion & UINT32_C(0x80000000)) ? 511 : HIWORD(uVersion);
    pInfo->dwPlatformId = VER_PLATFORM_WIN32_NT;
}

/** Whether GetVersionExW fills @a pInfo when told it is @a cbInfo bytes. */
bool rtR3InitFillFromGetVersionEx(OSVERSIONINFOEXW *pInfo, DWORD cbInfo)
{
    *pInfo = OSVERSIONINFOEXW();
    pInfo->dwOSVersionInfoSize = cbInfo;
    /* Deprecated for applications because of compatibility shims; here it
     * is only the fallback for systems without RtlGetVersion. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExW((OSVERSIONINFOW *)pInfo) != FALSE;
#pragma GCC diagnostic pop
}

void rtR3InitVersion(void)
{
    OSVERSIONINFOEXW Info = OSVERSIONINFOEXW();
    Info.dwOSVersionInfoSize = sizeof(Info);
    rtR3InitResolveEntry(g_hModNtDll, "RtlGetVersion", &g_pfnRtlGetVersion);
    if (!g_pfnRtlGetVersion || !NT_SUCCESS(g_pfnRtlGetVersion((RTL_OSVERSIONINFOW *)&Info)))
    {
        if (!rtR3InitFillFromGetVersionEx(&Info, sizeof(Info)))
        {
            if (!rtR3InitFillFromGetVersionEx(&Info, g_cbBasicVersionInfo))
                rtR3InitFillFromGetVersion(&Info);
            Info.wProductType = rtR3InitQueryProductType();
        }
    }
    g_WinOsInfoEx = Info;
    g_enmWinVer = rtWinOsTypeFromVersion(Info.dwPlatformId, Info.dwMajorVersion, Info.dwMinorVersion,
                                         Info.dwBuildNumber, Info.wProductType);
}

/*
 * Optional entry points.
 */

void rtR3InitResolveKernel32Entries(void)
{
    HMODULE const hMod = g_hModKernel32;
    rtR3InitResolveEntry(hMod, "GetSystemWindowsDirectoryW", &g_pfnGetSystemWindowsDirectoryW);
    rtR3InitResolveEntry(hMod, "GetWindowsDirectoryW", &g_pfnGetWindowsDirectoryW);
    rtR3InitResolveEntry(hMod, "SystemTimeToTzSpecificLocalTime", &g_pfnSystemTimeToTzSpecificLocalTime);
    rtR3InitResolveEntry(hMod, "CreateWaitableTimerExW", &g_pfnCreateWaitableTimerExW);
    rtR3InitResolveEntry(hMod, "GetHandleInformation", &g_pfnGetHandleInformation);
    rtR3InitResolveEntry(hMod, "SetHandleInformation", &g_pfnSetHandleInformation);
    rtR3InitResolveEntry(hMod, "IsDebuggerPresent", &g_pfnIsDebuggerPresent);
    rtR3InitResolveEntry(hMod, "GetSystemTimeAsFileTime", &g_pfnGetSystemTimeAsFileTime);
    rtR3InitResolveEntry(hMod, "GetProcessAffinityMask", &g_pfnGetProcessAffinityMask);
    rtR3InitResolveEntry(hMod, "SetThreadAffinityMask", &g_pfnSetThreadAffinityMask);
    rtR3InitResolveEntry(hMod, "CreateIoCompletionPort", &g_pfnCreateIoCompletionPort);
    rtR3InitResolveEntry(hMod, "GetQueuedCompletionStatus", &g_pfnGetQueuedCompletionStatus);
    rtR3InitResolveEntry(hMod, "PostQueuedCompletionStatus", &g_pfnPostQueuedCompletionStatus);
    rtR3InitResolveEntry(hMod, "IsProcessorFeaturePresent", &g_pfnIsProcessorFeaturePresent);
}

void rtR3InitResolveNtDllEntries(void)
{
    HMODULE const hMod = g_hModNtDll;
    rtR3InitResolveEntry(hMod, "RtlGetVersion", &g_pfnRtlGetVersion);
    rtR3InitResolveEntry(hMod, "NtQueryFullAttributesFile", &g_pfnNtQueryFullAttributesFile);
    rtR3InitResolveEntry(hMod, "NtDuplicateToken", &g_pfnNtDuplicateToken);
    rtR3InitResolveEntry(hMod, "NtAlertThread", &g_pfnNtAlertThread);
}

/** ws2_32.dll, else wsock32.dll, from the system directory; kept loaded for good. */
void rtR3InitLoadWinSock(void)
{
    if (g_hLdrModWinSock != NIL_RTLDRMOD)
        return;
    if (RT_SUCCESS(RTLdrOpenSystemLibrary("ws2_32.dll", true, &g_hLdrModWinSock)))
        return;
    if (RT_SUCCESS(RTLdrOpenSystemLibrary("wsock32.dll", true, &g_hLdrModWinSock)))
        g_fWinSockIsWSock32 = true;
}

struct WINSOCKENTRY
{
    const char *pszName;
    PFNRTWINSOCKENTRY RTR3WINSOCKENTRIES::*pMember;
};

constexpr WINSOCKENTRY rtR3InitWinSockEntry(const char *pszName, PFNRTWINSOCKENTRY RTR3WINSOCKENTRIES::*pMember)
{
    return WINSOCKENTRY{pszName, pMember};
}

#define WINSOCK_ENTRY(a_Name) rtR3InitWinSockEntry(#a_Name, &RTR3WINSOCKENTRIES::pfn##a_Name)
constexpr WINSOCKENTRY g_aWinSockEntries[] = {
    WINSOCK_ENTRY(WSAStartup),
    WINSOCK_ENTRY(WSACleanup),
    WINSOCK_ENTRY(WSAGetLastError),
    WINSOCK_ENTRY(WSASetLastError),
    WINSOCK_ENTRY(WSACreateEvent),
    WINSOCK_ENTRY(WSACloseEvent),
    WINSOCK_ENTRY(WSASetEvent),
    WINSOCK_ENTRY(WSAEventSelect),
    WINSOCK_ENTRY(WSAEnumNetworkEvents),
    WINSOCK_ENTRY(WSASocketW),
    WINSOCK_ENTRY(WSASend),
    WINSOCK_ENTRY(WSAIoctl),
    WINSOCK_ENTRY(socket),
    WINSOCK_ENTRY(closesocket),
    WINSOCK_ENTRY(recv),
    WINSOCK_ENTRY(send),
    WINSOCK_ENTRY(recvfrom),
    WINSOCK_ENTRY(sendto),
    WINSOCK_ENTRY(bind),
    WINSOCK_ENTRY(listen),
    WINSOCK_ENTRY(accept),
    WINSOCK_ENTRY(connect),
    WINSOCK_ENTRY(shutdown),
    WINSOCK_ENTRY(getsockopt),
    WINSOCK_ENTRY(setsockopt),
    WINSOCK_ENTRY(ioctlsocket),
    WINSOCK_ENTRY(getpeername),
    WINSOCK_ENTRY(getsockname),
    WINSOCK_ENTRY(__WSAFDIsSet),
    WINSOCK_ENTRY(select),
    WINSOCK_ENTRY(gethostbyname),
};
#undef WINSOCK_ENTRY
static_assert(RT_ELEMENTS(g_aWinSockEntries) * sizeof(PFNRTWINSOCKENTRY) == sizeof(RTR3WINSOCKENTRIES),
              "one name per entry point");

void rtR3InitResolveWinSockEntries(void)
{
    for (const WINSOCKENTRY &Entry : g_aWinSockEntries)
        g_rtR3WinSock.*Entry.pMember = (PFNRTWINSOCKENTRY)RTLdrLookupFunction(g_hLdrModWinSock, Entry.pszName);
}

} // namespace

#ifdef RT_WITH_SEAMS
void rtInitSeamsForget(void)
{
    /* Only what start-up found can be found again. */
    if (!g_hModKernel32 || !g_hModNtDll)
        return;
    rtR3InitVersion();
    rtR3InitResolveKernel32Entries();
    rtR3InitResolveNtDllEntries();
}
#endif

int rtR3InitNativeFirst(uint32_t fFlags)
{
    g_hModKernel32 = GetModuleHandleW(L"kernel32.dll");
    g_hModNtDll = GetModuleHandleW(L"ntdll.dll");
    if (!g_hModKernel32 || !g_hModNtDll)
        return ERR_INTERNAL_ERROR_2;

    rtR3InitVersion();
    /* The hardening needs the version class; its status is this step's. */
    int rc = INF_SUCCESS;
    if (!(fFlags & RTR3INIT_F_UNOBTRUSIVE))
        rc = rtR3InitNativeObtrusive(fFlags);
    rtR3InitResolveKernel32Entries();
    rtR3InitResolveNtDllEntries();

    rtR3InitLoadWinSock();
    rtR3InitResolveWinSockEntries();
    /* The saved error state includes the socket error from now on. */
    rtErrStateInitSockets();
    return rc;
}
