/** @file
 * A stand-in for Windows Installer in the system directory of a test prefix:
 * every installation fails with a network error (2250, ERROR_NOT_CONNECTED),
 * a result the real service gives only on a network failure. It lets a whole
 * installer run reach its network-error text. Built without the C runtime;
 * the exports are named in standin-msi.def.
 */
#include <windows.h>

extern "C" BOOL WINAPI StandInMsiDllMain(HINSTANCE hInstance, DWORD uReason, void *pvReserved)
{
    (void)hInstance;
    (void)uReason;
    (void)pvReserved;
    return TRUE;
}

extern "C" int WINAPI StandInMsiSetInternalUI(int iLevel, HWND *phwnd)
{
    (void)iLevel;
    (void)phwnd;
    return 5; /* INSTALLUILEVEL_FULL before: any level but "no change" */
}

extern "C" UINT WINAPI StandInMsiEnableLogW(DWORD fLogMode, LPCWSTR pwszLogFile, DWORD fAttributes)
{
    (void)fLogMode;
    (void)pwszLogFile;
    (void)fAttributes;
    return ERROR_SUCCESS;
}

extern "C" UINT WINAPI StandInMsiInstallProductW(LPCWSTR pwszPackage, LPCWSTR pwszCommandLine)
{
    (void)pwszPackage;
    (void)pwszCommandLine;
    return 2250;
}
