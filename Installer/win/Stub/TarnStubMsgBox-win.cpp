/** @file
 * Message boxes on Windows: MessageBoxW / MessageBoxA owned by the desktop
 * window. The three USER32 functions are bound when a box is shown, from the
 * system directory's user32.dll, so the installer does not import them.
 *
 * The binding here is deliberately plain (looked up on every box, nothing
 * kept) until the loader's lazy binding tables take it over.
 */
#include <windows.h>
#include "TarnStubMsgBox.h"

namespace
{

typedef int(WINAPI *PFNMESSAGEBOXW)(HWND, LPCWSTR, LPCWSTR, UINT);
typedef int(WINAPI *PFNMESSAGEBOXA)(HWND, LPCSTR, LPCSTR, UINT);
typedef HWND(WINAPI *PFNGETDESKTOPWINDOW)(void);

/** The module of USER32, loaded from the system directory only when not yet in the process. */
HMODULE loadUser32(void)
{
    HMODULE hmod = GetModuleHandleW(L"user32.dll");
    if (!hmod)
        hmod = LoadLibraryExW(L"user32.dll", NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return hmod;
}

FARPROC lookUp(HMODULE hmod, const char *pszName)
{
    return hmod ? GetProcAddress(hmod, pszName) : NULL;
}

/** The owner of every box; null (no owner) when it cannot be had. */
HWND desktopWindow(HMODULE hmod)
{
    PFNGETDESKTOPWINDOW pfnGetDesktopWindow = (PFNGETDESKTOPWINDOW)(void *)lookUp(hmod, "GetDesktopWindow");
    return pfnGetDesktopWindow ? pfnGetDesktopWindow() : NULL;
}

} // namespace

void stubMsgBoxW(const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fStyle)
{
    HMODULE const hmod = loadUser32();
    PFNMESSAGEBOXW pfnMessageBoxW = (PFNMESSAGEBOXW)(void *)lookUp(hmod, "MessageBoxW");
    if (pfnMessageBoxW)
        pfnMessageBoxW(desktopWindow(hmod), (LPCWSTR)pwszText, (LPCWSTR)pwszCaption, fStyle);
}

void stubMsgBoxA(const char *pszText, const char *pszCaption, uint32_t fStyle)
{
    HMODULE const hmod = loadUser32();
    PFNMESSAGEBOXA pfnMessageBoxA = (PFNMESSAGEBOXA)(void *)lookUp(hmod, "MessageBoxA");
    if (pfnMessageBoxA)
        pfnMessageBoxA(desktopWindow(hmod), pszText, pszCaption, fStyle);
}
