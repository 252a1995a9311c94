/** @file
 * A stand-in for a planted system library: loaded, it creates the file
 * "<its own path>.loaded", so a test can tell whether anything loaded it.
 * Built as MSI.DLL without the C runtime.
 */
#include <windows.h>

extern "C" BOOL WINAPI PlantDllMain(HINSTANCE hInstance, DWORD uReason, void *pvReserved)
{
    (void)pvReserved;
    if (uReason != DLL_PROCESS_ATTACH)
        return TRUE;
    WCHAR wszMarker[MAX_PATH + 8];
    DWORD const cwc = GetModuleFileNameW(hInstance, wszMarker, MAX_PATH);
    if (cwc == 0 || cwc >= MAX_PATH)
        return TRUE;
    lstrcpyW(&wszMarker[cwc], L".loaded");
    HANDLE hFile = CreateFileW(wszMarker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
    return TRUE;
}
