/** @file
 * Finds a message box by its caption and prints its text (UTF-8), for the
 * window tests of the installer: box-reader <caption> [seconds to wait,
 * default 30]. Exit code 0 when a visible box with a text was found, 1 when
 * not.
 */
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

std::string toUtf8(const wchar_t *pwsz)
{
    int cb = WideCharToMultiByte(CP_UTF8, 0, pwsz, -1, NULL, 0, NULL, NULL);
    std::string str(cb > 0 ? cb - 1 : 0, '\0');
    if (cb > 1)
        WideCharToMultiByte(CP_UTF8, 0, pwsz, -1, &str[0], cb, NULL, NULL);
    return str;
}

/** The text of the box's static control (id 0xffff), as message boxes lay it out. */
std::string boxText(HWND hwndBox)
{
    wchar_t wszText[4096] = L"";
    HWND hwndText = GetDlgItem(hwndBox, 0xffff);
    if (hwndText)
        GetWindowTextW(hwndText, wszText, 4096);
    return toUtf8(wszText);
}

struct BoxSearch
{
    const wchar_t *pwszCaption;
    std::string strText;
};

/** Takes the first visible box of the caption that shows a text: other windows of that caption (hidden
 * ones, or a box a moment before its text is set) may come first in the window list. */
BOOL CALLBACK considerWindow(HWND hwnd, LPARAM lParam)
{
    BoxSearch *pSearch = (BoxSearch *)lParam;
    wchar_t wszClass[64] = L"";
    wchar_t wszCaption[256] = L"";
    GetClassNameW(hwnd, wszClass, 64);
    GetWindowTextW(hwnd, wszCaption, 256);
    if (wcscmp(wszClass, L"#32770") != 0 || wcscmp(wszCaption, pSearch->pwszCaption) != 0 || !IsWindowVisible(hwnd))
        return TRUE;
    pSearch->strText = boxText(hwnd);
    return pSearch->strText.empty();
}

/** Lists a top-level window on standard error, for a search that found nothing. */
BOOL CALLBACK listWindow(HWND hwnd, LPARAM)
{
    wchar_t wszClass[64] = L"";
    wchar_t wszCaption[256] = L"";
    GetClassNameW(hwnd, wszClass, 64);
    GetWindowTextW(hwnd, wszCaption, 256);
    DWORD idProcess = 0;
    GetWindowThreadProcessId(hwnd, &idProcess);
    fprintf(stderr, "  window %p class '%s' caption '%s' process %lu%s\n", (void *)hwnd, toUtf8(wszClass).c_str(),
            toUtf8(wszCaption).c_str(), (unsigned long)idProcess, IsWindowVisible(hwnd) ? " visible" : "");
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    int cSeconds = argc > 2 ? _wtoi(argv[2]) : 30;
    for (int i = 0; i < cSeconds * 10; i++)
    {
        BoxSearch Search = {argv[1], std::string()};
        EnumWindows(considerWindow, (LPARAM)&Search);
        std::string &strText = Search.strText;
        if (!strText.empty())
        {
            for (size_t off = 0; (off = strText.find("\r\n", off)) != std::string::npos;)
                strText.erase(off, 1);
            fwrite(strText.data(), 1, strText.size(), stdout);
            fputc('\n', stdout);
            return 0;
        }
        Sleep(100);
    }
    fprintf(stderr, "no box captioned as asked; the top-level windows:\n");
    EnumWindows(listWindow, 0);
    return 1;
}
