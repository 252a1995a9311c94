/** @file
 * The Windows side of the loader: the lazy import tables and their resolver,
 * and the test seams of the system library loading. Windows only.
 */
#ifndef RT_INTERNAL_LDR_WIN_H
#define RT_INTERNAL_LDR_WIN_H

#include <rt/ldr.h>
#include <rt/pathinfo.h>
#include <windows.h>
#include "internal/seam.h"

/**
 * A lazy import table as the assembly lays it out (ldrlazy.inc): the library
 * name, one code address per function (its resolver stub until the function is
 * resolved, then the system function), a zero word, and the module slot (the
 * library's module, NIL_RTLDRMOD until the first call loads it).
 *
 * Every slot and the module slot is one aligned word, written without a lock:
 * threads that get there at the same time store the same value.
 */
typedef struct RTLDRLAZYTABLE
{
    const char *pszLibrary;    /**< "MSI.DLL". */
    void *volatile apvSlots[]; /**< The slots, the zero word and the module slot. */
} RTLDRLAZYTABLE;

/**
 * Resolves the function @a pszSymbol of @a pTable's library into its slot
 * @a ppvSlot, loading the library first when the module slot is empty. The
 * resolver stubs reach it through the library's resolve routine, which keeps
 * the caller's registers. Never fails: a library that cannot be loaded or a
 * function it lacks writes
 *   Lazy loader failed to load "<library>": <status>
 *   Lazy loader failed to resolve symbol "<function>" in "<library>": <status>
 * to standard error and stops the process (rtFatalStop).
 */
extern "C" void rtldrLazyResolve(RTLDRLAZYTABLE *pTable, void *volatile *ppvSlot, const char *pszSymbol);

#ifdef RT_WITH_SEAMS
/** The calls of the system library loading that tests may replace. */
typedef struct RTSEAMSLDR
{
    decltype(&GetSystemDirectoryW) pfnGetSystemDirectoryW;
    decltype(&LoadLibraryExW) pfnLoadLibraryExW;
    /** Also the one-time look-up of the side-by-side redirection in ntdll. */
    decltype(&GetProcAddress) pfnGetProcAddress;
    decltype(&FreeLibrary) pfnFreeLibrary;
    /** The check that the library file exists. */
    decltype(&RTPathQueryInfoEx) pfnRTPathQueryInfoEx;
} RTSEAMSLDR;

/** Forgets the looked-up redirection entry point and whether the restricted
 * dependency search is supported. */
void rtLdrSeamsForget(void);
#endif

#endif
