/** @file
 * Internals of runtime initialisation on Windows: the hardening step, the
 * entry points it resolves, and its test seams. Windows only.
 */
#ifndef RT_INTERNAL_INIT_WIN_H
#define RT_INTERNAL_INIT_WIN_H

#include <windows.h>
#include "internal/winostype.h"

/** @name SetDefaultDllDirectories flags (LOAD_LIBRARY_SEARCH_*)
 * @{ */
#define RTR3WIN_LOAD_LIBRARY_SEARCH_APPLICATION_DIR UINT32_C(0x00000200)
#define RTR3WIN_LOAD_LIBRARY_SEARCH_SYSTEM32        UINT32_C(0x00000800)
/** @} */

/** Where the process looks for DLLs, as the hardening left it. */
typedef enum RTR3WINDLLSEARCH
{
    RTR3WINDLLSEARCH_DEFAULT = 1,              /**< as the system set it up */
    RTR3WINDLLSEARCH_NO_CURRENT_DIR = 2,       /**< the current directory removed */
    RTR3WINDLLSEARCH_SYSTEM32_AND_APP_DIR = 3, /**< system and application directory only */
    RTR3WINDLLSEARCH_SYSTEM32_ONLY = 4         /**< the system directory only */
} RTR3WINDLLSEARCH;

typedef BOOL(WINAPI *PFNRTSETDEFAULTDLLDIRECTORIES)(DWORD fDirectoryFlags);
typedef void(WINAPI *PFNRTGETCURRENTTHREADSTACKLIMITS)(ULONG_PTR *puLowLimit, ULONG_PTR *puHighLimit);

/** @name Entry points resolved by the hardening (null when the system lacks them)
 * @{ */
extern decltype(&SetDllDirectoryW) g_pfnSetDllDirectoryW;
extern PFNRTSETDEFAULTDLLDIRECTORIES g_pfnSetDefaultDllDirectories;
extern PFNRTGETCURRENTTHREADSTACKLIMITS g_pfnGetCurrentThreadStackLimits;
extern decltype(&SetUnhandledExceptionFilter) g_pfnSetUnhandledExceptionFilter;
extern decltype(&UnhandledExceptionFilter) g_pfnUnhandledExceptionFilter;
/** @} */

/** The DLL search as the hardening left it. */
extern RTR3WINDLLSEARCH volatile g_enmrtR3WinDllSearch;
/** The filter the runtime's replaced, passed every exception on; null when none. */
extern LPTOP_LEVEL_EXCEPTION_FILTER volatile g_pfnrtR3WinPrevXcptFilter;

/**
 * The hardening for a system of class @a enmWinVer (rtR3InitNativeObtrusive
 * passes g_enmWinVer):
 *   1. the error mode gains SEM_FAILCRITICALERRORS and SEM_NOOPENFILEERRORBOX;
 *   2. SetDllDirectoryW(L"") removes the current directory from the DLL search;
 *      its failure gives ERR_INTERNAL_ERROR_3;
 *   3. above Vista, or always with RTR3INIT_F_DLL_SEARCH_SYSTEM32,
 *      SetDefaultDllDirectories limits the default search to the system
 *      directory under that flag, else to it and the application directory;
 *      its failure gives ERR_INTERNAL_ERROR_4 unless step 2 failed;
 *   4. the runtime's exception filter is installed once (the filter it
 *      replaces, unless the runtime's own, is recorded and called by it).
 * Missing entry points skip their step. The look-ups and the error-mode change
 * go through the start-up's seams (g_rtSeamsInit, internal/initterm.h).
 * @returns 0 or the status above.
 */
int rtR3InitHardenProcess(uint32_t fFlags, RTWINOSTYPE enmWinVer);

/** The runtime's last-chance exception filter: a short report on standard
 * error, then the recorded previous filter decides. */
LONG WINAPI rtR3WinUnhandledXcptFilter(EXCEPTION_POINTERS *pXcptPtrs);

#ifdef RT_WITH_SEAMS
/** Forgets the exception filter recorded by the hardening. */
void rtR3InitWinSeamsForget(void);
#endif

#endif
