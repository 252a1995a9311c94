/** @file
 * Finds a message box by its caption and prints its text (UTF-8) and whether
 * it shows the error or the information icon, for the window test of the
 * installer: box-reader <caption> [seconds to wait, default 30]. Exit code 0
 * when the box was found, 1 when not.
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

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    int cSeconds = argc > 2 ? _wtoi(argv[2]) : 30;
    for (int i = 0; i < cSeconds * 10; i++)
    {
        HWND hwndBox = FindWindowW(L"#32770", argv[1]);
        if (hwndBox && IsWindowVisible(hwndBox))
        {
            Sleep(200); /* let the box finish its layout */
            std::string strText = boxText(hwndBox);
            for (size_t off = 0; (off = strText.find("\r\n", off)) != std::string::npos;)
                strText.erase(off, 1);
            fwrite(strText.data(), 1, strText.size(), stdout);
            fputc('\n', stdout);
            return 0;
        }
        Sleep(100);
    }
    fprintf(stderr, "no box captioned as asked\n");
    return 1;
}
