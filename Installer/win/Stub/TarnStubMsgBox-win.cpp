/** @file
 * Message boxes on Windows: MessageBoxW / MessageBoxA owned by the desktop
 * window. The three USER32 functions come from the runtime's lazy import
 * table for USER32.DLL: bound from the system directory on the first box, so
 * an installer that shows none never looks them up.
 */
#include <windows.h>
#include "TarnStubMsgBox.h"

void stubMsgBoxW(const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fStyle)
{
    MessageBoxW(GetDesktopWindow(), (LPCWSTR)pwszText, (LPCWSTR)pwszCaption, fStyle);
}

void stubMsgBoxA(const char *pszText, const char *pszCaption, uint32_t fStyle)
{
    MessageBoxA(GetDesktopWindow(), pszText, pszCaption, fStyle);
}
