/** @file
 * What the runtime's Windows start-up finds out about the system before
 * anything else runs: the module handles of kernel32 and ntdll, the version
 * record and its class, and the optional system entry points (each null when
 * the system lacks it). Windows only.
 *
 * All of it is written by rtR3InitNativeFirst on the initial thread before
 * any other thread exists, and only read afterwards.
 */
#ifndef RT_INTERNAL_INITTERM_H
#define RT_INTERNAL_INITTERM_H

#include <rt/types.h>
#include <rt/ldr.h>
#include <windows.h>
#include <winternl.h>
#include "internal/seam.h"
#include "internal/winostype.h"

/** "kernel32.dll"; null until start-up. The loader refuses to work before it is set. */
extern HMODULE g_hModKernel32;
/** "ntdll.dll"; null until start-up. */
extern HMODULE g_hModNtDll;
/** The system's version record (extended form). */
extern OSVERSIONINFOEXW g_WinOsInfoEx;
/** The class of g_WinOsInfoEx. */
extern RTWINOSTYPE g_enmWinVer;

/*
 * Optional entry points of kernel32.
 */
extern decltype(&GetSystemWindowsDirectoryW) g_pfnGetSystemWindowsDirectoryW;
extern decltype(&GetWindowsDirectoryW) g_pfnGetWindowsDirectoryW;
extern decltype(&SystemTimeToTzSpecificLocalTime) g_pfnSystemTimeToTzSpecificLocalTime;
extern decltype(&CreateWaitableTimerExW) g_pfnCreateWaitableTimerExW;
extern decltype(&GetHandleInformation) g_pfnGetHandleInformation;
extern decltype(&SetHandleInformation) g_pfnSetHandleInformation;
extern decltype(&IsDebuggerPresent) g_pfnIsDebuggerPresent;
extern decltype(&GetSystemTimeAsFileTime) g_pfnGetSystemTimeAsFileTime;
extern decltype(&GetProcessAffinityMask) g_pfnGetProcessAffinityMask;
extern decltype(&SetThreadAffinityMask) g_pfnSetThreadAffinityMask;
extern decltype(&CreateIoCompletionPort) g_pfnCreateIoCompletionPort;
extern decltype(&GetQueuedCompletionStatus) g_pfnGetQueuedCompletionStatus;
extern decltype(&PostQueuedCompletionStatus) g_pfnPostQueuedCompletionStatus;
extern decltype(&IsProcessorFeaturePresent) g_pfnIsProcessorFeaturePresent;

/*
 * Optional entry points of ntdll.
 */
typedef NTSTATUS(NTAPI *PFNRTLGETVERSION)(RTL_OSVERSIONINFOW *pVersionInfo);
typedef NTSTATUS(NTAPI *PFNNTQUERYFULLATTRIBUTESFILE)(OBJECT_ATTRIBUTES *pObjAttribs,
                                                      FILE_NETWORK_OPEN_INFORMATION *pInfo);
typedef NTSTATUS(NTAPI *PFNNTDUPLICATETOKEN)(HANDLE hExistingToken, ACCESS_MASK fDesiredAccess,
                                             OBJECT_ATTRIBUTES *pObjAttribs, BOOLEAN fEffectiveOnly,
                                             TOKEN_TYPE enmTokenType, HANDLE *phNewToken);
typedef NTSTATUS(NTAPI *PFNNTALERTTHREAD)(HANDLE hThread);
extern PFNRTLGETVERSION g_pfnRtlGetVersion;
extern PFNNTQUERYFULLATTRIBUTESFILE g_pfnNtQueryFullAttributesFile;
extern PFNNTDUPLICATETOKEN g_pfnNtDuplicateToken;
extern PFNNTALERTTHREAD g_pfnNtAlertThread;

/*
 * Winsock: ws2_32.dll, else wsock32.dll, loaded from the system directory and
 * kept. The entry points are looked up and kept only.
 */
/** The socket library start-up loaded, or NIL_RTLDRMOD when none could be. */
extern RTLDRMOD g_hLdrModWinSock;
/** Whether g_hLdrModWinSock is wsock32.dll because ws2_32.dll could not be loaded. */
extern bool g_fWinSockIsWSock32;

/** An entry point of the socket library, untyped (cast it to its prototype to call it). */
typedef void (*PFNRTWINSOCKENTRY)(void);

/** The winsock entry points, each named after its export. */
typedef struct RTR3WINSOCKENTRIES
{
    PFNRTWINSOCKENTRY pfnWSAStartup, pfnWSACleanup, pfnWSAGetLastError, pfnWSASetLastError, pfnWSACreateEvent,
        pfnWSACloseEvent, pfnWSASetEvent, pfnWSAEventSelect, pfnWSAEnumNetworkEvents, pfnWSASocketW, pfnWSASend,
        pfnWSAIoctl, pfnsocket, pfnclosesocket, pfnrecv, pfnsend, pfnrecvfrom, pfnsendto, pfnbind, pfnlisten, pfnaccept,
        pfnconnect, pfnshutdown, pfngetsockopt, pfnsetsockopt, pfnioctlsocket, pfngetpeername, pfngetsockname,
        pfn__WSAFDIsSet, pfnselect, pfngethostbyname;
} RTR3WINSOCKENTRIES;
extern RTR3WINSOCKENTRIES g_rtR3WinSock;

#ifdef RT_WITH_SEAMS
/** The calls of start-up that tests may replace (see internal/seam.h). */
typedef struct RTSEAMSINIT
{
    /** The look-ups of the optional entry points (and of RtlGetVersion), the
     * hardening's included. */
    decltype(&GetProcAddress) pfnGetProcAddress;
    /** The hardening's change of the error mode. */
    decltype(&SetErrorMode) pfnSetErrorMode;
} RTSEAMSINIT;

/** Makes the optional entry points of kernel32 and ntdll what the system has
 * again, after a test ran rtR3InitNativeFirst with a replaced look-up. */
void rtInitSeamsForget(void);
#endif

/**
 * The first native step of runtime initialisation, on the initial thread:
 * records the module handles of kernel32 and ntdll, the version record and
 * its class, resolves the optional entry points of kernel32 and ntdll, loads
 * the socket library through the loader and resolves its entry points. A
 * missing optional entry point or socket library is no failure.
 *
 * Between the version record and the optional entry points it hardens the
 * process (rtR3InitNativeObtrusive: it needs the version class) unless
 * @a fFlags holds RTR3INIT_F_UNOBTRUSIVE.
 *
 * Calling it again repeats the look-ups (same results) and keeps the socket
 * library already loaded.
 *
 * @returns INF_SUCCESS; the hardening's failure (the steps after it are
 *          still done); ERR_INTERNAL_ERROR_2 when kernel32 or ntdll is not
 *          loaded (then nothing else is done).
 */
int rtR3InitNativeFirst(uint32_t fFlags);

#endif
