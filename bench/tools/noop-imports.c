/*
 * A no-op program without C runtime that imports what the installer imports
 * (kernel32, user32, gdi32, shlwapi, ole32, ntdll) and calls nothing: what
 * loading those libraries costs under Wine, in time and in memory.
 */
#include <windows.h>
#include <shlwapi.h>
#include <objbase.h>

__declspec(dllimport) LONG __stdcall NtClose(HANDLE hObject);

/* Volatile, so the references (and with them the imports) stay. */
static void *volatile g_apvImports[] = {(void *)&GetDesktopWindow, (void *)&GetStockObject, (void *)&PathIsRelativeW,
                                        (void *)&CoUninitialize, (void *)&NtClose};

void __stdcall NoopImportsEntry(void)
{
    ExitProcess(g_apvImports[0] ? 0 : 1);
}
