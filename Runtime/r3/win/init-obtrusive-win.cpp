/** @file
 * Hardening of the process at runtime initialisation on Windows: no
 * critical-error boxes, no DLLs from the current directory, the default DLL
 * search limited, and the runtime's last-chance exception filter.
 */
#include <windows.h>
#include <rt/err.h>
#include <rt/rawwrite.h>
#include "internal/init.h"
#include "internal/init-win.h"
#include "internal/initterm.h"
#include "internal/seam.h"

decltype(&SetDllDirectoryW) g_pfnSetDllDirectoryW = NULL;
PFNRTSETDEFAULTDLLDIRECTORIES g_pfnSetDefaultDllDirectories = NULL;
PFNRTGETCURRENTTHREADSTACKLIMITS g_pfnGetCurrentThreadStackLimits = NULL;
decltype(&SetUnhandledExceptionFilter) g_pfnSetUnhandledExceptionFilter = NULL;
decltype(&UnhandledExceptionFilter) g_pfnUnhandledExceptionFilter = NULL;
RTR3WINDLLSEARCH volatile g_enmrtR3WinDllSearch = RTR3WINDLLSEARCH_DEFAULT;
LPTOP_LEVEL_EXCEPTION_FILTER volatile g_pfnrtR3WinPrevXcptFilter = NULL;

namespace
{

/** Looks up @a pszName in kernel32 and stores it, typed, in @a *ppfn (null when missing). */
template <typename T> void rtR3InitResolveKernel32(const char *pszName, T *ppfn)
{
    /* Through void *, so the compiler does not judge the cast of the generic procedure type. */
    *ppfn = (T)(void *)RT_SEAM(g_rtSeamsInit, GetProcAddress)(g_hModKernel32, pszName);
}

/** Takes the current directory out of the DLL search. */
int rtR3InitRemoveCurrentDirFromDllSearch(void)
{
    rtR3InitResolveKernel32("SetDllDirectoryW", &g_pfnSetDllDirectoryW);
    if (!g_pfnSetDllDirectoryW)
        return 0;
    if (!g_pfnSetDllDirectoryW(L""))
        return ERR_INTERNAL_ERROR_3;
    g_enmrtR3WinDllSearch = RTR3WINDLLSEARCH_NO_CURRENT_DIR;
    return 0;
}

/** Limits the default DLL search to the system directory (and the application's without the flag). */
int rtR3InitLimitDefaultDllSearch(uint32_t fFlags, RTWINOSTYPE enmWinVer)
{
    if (enmWinVer <= RTWINOSTYPE_VISTA && !(fFlags & RTR3INIT_F_DLL_SEARCH_SYSTEM32))
        return 0;
    rtR3InitResolveKernel32("SetDefaultDllDirectories", &g_pfnSetDefaultDllDirectories);
    if (!g_pfnSetDefaultDllDirectories)
        return 0;
    bool const fSystem32Only = (fFlags & RTR3INIT_F_DLL_SEARCH_SYSTEM32) != 0;
    DWORD const fSearch = fSystem32Only
                              ? RTR3WIN_LOAD_LIBRARY_SEARCH_SYSTEM32
                              : RTR3WIN_LOAD_LIBRARY_SEARCH_SYSTEM32 | RTR3WIN_LOAD_LIBRARY_SEARCH_APPLICATION_DIR;
    if (!g_pfnSetDefaultDllDirectories(fSearch))
        return ERR_INTERNAL_ERROR_4;
    g_enmrtR3WinDllSearch = fSystem32Only ? RTR3WINDLLSEARCH_SYSTEM32_ONLY : RTR3WINDLLSEARCH_SYSTEM32_AND_APP_DIR;
    return 0;
}

/** Puts the runtime's filter in front of the one installed, once. */
void rtR3InitInstallExceptionFilter(void)
{
    rtR3InitResolveKernel32("GetCurrentThreadStackLimits", &g_pfnGetCurrentThreadStackLimits);
    rtR3InitResolveKernel32("SetUnhandledExceptionFilter", &g_pfnSetUnhandledExceptionFilter);
    rtR3InitResolveKernel32("UnhandledExceptionFilter", &g_pfnUnhandledExceptionFilter);
    if (!g_pfnSetUnhandledExceptionFilter || g_pfnrtR3WinPrevXcptFilter)
        return;
    LPTOP_LEVEL_EXCEPTION_FILTER pfnPrev = g_pfnSetUnhandledExceptionFilter(rtR3WinUnhandledXcptFilter);
    if (pfnPrev != rtR3WinUnhandledXcptFilter)
        g_pfnrtR3WinPrevXcptFilter = pfnPrev;
}

} // namespace

LONG WINAPI rtR3WinUnhandledXcptFilter(EXCEPTION_POINTERS *pXcptPtrs)
{
    /* A short report with what is at hand; nothing here allocates or takes a lock. */
    EXCEPTION_RECORD const *pXcptRec = pXcptPtrs ? pXcptPtrs->ExceptionRecord : NULL;
    RTRawWrite("\r\n!!! Unhandled exception ", 26);
    RTRawWriteHexPrefixed(pXcptRec ? pXcptRec->ExceptionCode : 0);
    RTRawWrite(" at ", 4);
    RTRawWriteHexPrefixed(pXcptRec ? (uintptr_t)pXcptRec->ExceptionAddress : 0);
    RTRawWrite("\r\n", 2);

    LPTOP_LEVEL_EXCEPTION_FILTER pfnPrev = g_pfnrtR3WinPrevXcptFilter;
    if (pfnPrev && pfnPrev != rtR3WinUnhandledXcptFilter)
        return pfnPrev(pXcptPtrs);
    return EXCEPTION_CONTINUE_SEARCH;
}

int rtR3InitHardenProcess(uint32_t fFlags, RTWINOSTYPE enmWinVer)
{
    UINT const fOldErrorMode = RT_SEAM(g_rtSeamsInit, SetErrorMode)(0);
    RT_SEAM(g_rtSeamsInit, SetErrorMode)(fOldErrorMode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    int rc = rtR3InitRemoveCurrentDirFromDllSearch();
    int rc2 = rtR3InitLimitDefaultDllSearch(fFlags, enmWinVer);
    if (RT_SUCCESS(rc))
        rc = rc2;
    rtR3InitInstallExceptionFilter();
    return rc;
}

int rtR3InitNativeObtrusive(uint32_t fFlags)
{
    return rtR3InitHardenProcess(fFlags, g_enmWinVer);
}

uint32_t rtR3InitNativeProcessId(void)
{
    return GetCurrentProcessId();
}

#ifdef RT_WITH_SEAMS
void rtR3InitWinSeamsForget(void)
{
    g_pfnrtR3WinPrevXcptFilter = NULL;
    g_enmrtR3WinDllSearch = RTR3WINDLLSEARCH_DEFAULT;
}
#endif
