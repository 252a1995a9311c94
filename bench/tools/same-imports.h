/*
 * What every benchmark program that starts "as the installer must" shares:
 * the installer's six imports (a reference into each library, kept by a
 * volatile table) and the load of ws2_32.dll from the system directory that
 * the runtime's start-up performs. No C runtime.
 */
#ifndef BENCH_SAME_IMPORTS_H
#define BENCH_SAME_IMPORTS_H

#include <windows.h>
#include <shlwapi.h>
#include <objbase.h>

__declspec(dllimport) LONG __stdcall NtClose(HANDLE hObject);

/* Volatile, so the references (and with them the imports) stay. */
static void *volatile g_apvSameImports[] = {(void *)&GetDesktopWindow, (void *)&GetStockObject,
                                            (void *)&PathIsRelativeW, (void *)&CoUninitialize, (void *)&NtClose};

/* Nonzero when the imports are in place; the call keeps the table referenced. */
static inline int sameImportsPresent(void)
{
    return g_apvSameImports[0] != NULL;
}

/* Loads ws2_32.dll as the runtime's start-up does; nonzero on success. */
static inline int sameImportsLoadWinsock(void)
{
    return LoadLibraryExW(L"ws2_32.dll", NULL, 0x800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */) != NULL;
}

#endif
