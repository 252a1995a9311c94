/** @file
 * Loading system libraries and looking up their functions.
 *
 * A library named by a bare name ("MSI.DLL", "crypt32") is only ever loaded
 * from the system directory, or from where the system's side-by-side
 * redirection sends the name as long as that stays inside the Windows
 * directory tree; the application directory and the current directory are
 * never searched. The loader needs the runtime's start-up
 * (rtR3InitNativeFirst on Windows): a load before it stops the process.
 *
 * Module handles are plain pointers checked on every call; a handle is valid
 * from a successful open until RTLdrCloseModule.
 */
#ifndef RT_LDR_H
#define RT_LDR_H

#include <rt/types.h>
#include <rt/errinfo.h>

/** A loaded library. */
typedef struct RTLDRMODINTERNAL *RTLDRMOD;
/** Pointer to a library handle. */
typedef RTLDRMOD *PRTLDRMOD;
/** The handle of no library. */
#define NIL_RTLDRMOD ((RTLDRMOD)0)

/** Load flag the native loader does not support (refused with ERR_INVALID_FLAGS). */
#define RTLDRLOAD_F_LOCAL UINT32_C(0x1)
/** Load flag: closing the module leaves the library loaded. */
#define RTLDRLOAD_F_NO_UNLOAD UINT32_C(0x2)
/** Load flag: let the system resolve the library's own dependencies only from
 * its directory, the application directory and the system directory. */
#define RTLDRLOAD_F_SEARCH_DLL_DIRS UINT32_C(0x4)
/** Load flag: a path without suffix is loaded as it is (no ".DLL" added). */
#define RTLDRLOAD_F_NO_SUFFIX UINT32_C(0x8)
/** Every load flag. */
#define RTLDRLOAD_F_VALID_MASK UINT32_C(0xf)

/** The native handle RTLdrGetNativeHandle reports for no library. */
#define NIL_RTLDRMOD_NATIVE (~(uintptr_t)0)

/**
 * Loads the system library @a pszName, as RTLdrOpenSystemLibraryEx with
 * RTLDRLOAD_F_NO_UNLOAD when @a fNoUnload is set, else no flags.
 */
int RTLdrOpenSystemLibrary(const char *pszName, bool fNoUnload, PRTLDRMOD phLdrMod);

/**
 * Loads the system library @a pszName from the system directory.
 *
 * @a pszName is a bare file name: without a suffix it gets ".DLL". It is
 * checked before anything else is done: a name with '/', '\' or ':' never
 * reaches the file system.
 *
 * @returns INF_SUCCESS with the handle in @a *phLdrMod;
 *          ERR_INVALID_PARAMETER for an invalid @a phLdrMod (then untouched),
 *          an invalid name pointer, a name with '/', '\' or ':', or a name of
 *          3075 bytes or more; ERR_INVALID_FLAGS for flags with any bit of
 *          0xFF0; ERR_MODULE_NOT_FOUND when the system directory holds no
 *          such file; the converted system error when the load fails.
 *          @a *phLdrMod is NIL_RTLDRMOD on every failure after the first check.
 */
int RTLdrOpenSystemLibraryEx(const char *pszName, uint32_t fFlags, PRTLDRMOD phLdrMod);

/**
 * Loads the library at the absolute path @a pszPath. A path without suffix
 * gets ".DLL" unless @a fFlags has RTLDRLOAD_F_NO_SUFFIX; '/' is taken as '\'.
 *
 * @param pErrInfo  Optional: cleared first; on failure holds the status and,
 *                  where the record has a buffer, an explanation
 *                  ("GetLastError=5", "Error converting UTF-8 to UTF-16 string.").
 * @returns INF_SUCCESS with the handle in @a *phLdrMod; ERR_INVALID_POINTER for
 *          an invalid path or handle pointer; ERR_INVALID_PARAMETER for flags
 *          above RTLDRLOAD_F_VALID_MASK; ERR_INVALID_FLAGS for
 *          RTLDRLOAD_F_LOCAL; ERR_INTERNAL_ERROR_2 for a path that does not
 *          start with a root; ERR_NO_MEMORY; the conversion's status; the
 *          converted system error. @a *phLdrMod is NIL_RTLDRMOD on failure.
 */
int RTLdrOpenFile(const char *pszPath, PRTLDRMOD phLdrMod, uint32_t fFlags, RTERRINFO *pErrInfo);

/**
 * Looks up the exported function or variable @a pszSymbol of @a hLdrMod.
 *
 * @returns INF_SUCCESS with the address in @a *ppvValue; ERR_INVALID_HANDLE for
 *          a handle that is not an open module; ERR_INVALID_PARAMETER for a null
 *          name; ERR_INVALID_POINTER for an invalid @a ppvValue;
 *          ERR_SYMBOL_NOT_FOUND (then @a *ppvValue is null) when the library
 *          has no such export.
 */
int RTLdrLookupSymbol(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue);

/** The address of @a pszSymbol in @a hLdrMod, or null on any failure of RTLdrLookupSymbol. */
void *RTLdrLookupFunction(RTLDRMOD hLdrMod, const char *pszSymbol);

/**
 * Closes @a hLdrMod: the library is unloaded unless it was opened with
 * RTLDRLOAD_F_NO_UNLOAD, and the handle becomes invalid. A failing unload
 * still closes the handle.
 *
 * @returns INF_SUCCESS (also for NIL_RTLDRMOD); ERR_INVALID_HANDLE for a handle
 *          that is not an open module.
 */
int RTLdrCloseModule(RTLDRMOD hLdrMod);

/** The system's handle of the library (an HMODULE on Windows), or
 * NIL_RTLDRMOD_NATIVE when @a hLdrMod is not an open native module. */
uintptr_t RTLdrGetNativeHandle(RTLDRMOD hLdrMod);

/**
 * The address of @a pszSymbol in the system library @a pszName, or null on any
 * failure. The name is checked as by RTLdrOpenSystemLibraryEx; the library is
 * loaded if need be and stays loaded.
 */
void *RTLdrFindSystemSymbol(const char *pszName, const char *pszSymbol);

#endif
