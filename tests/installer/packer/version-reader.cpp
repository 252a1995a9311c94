/** @file
 * Prints the version resource of a program as Windows reads it:
 * version-reader <program>. One "Name=value" line per string of the
 * English (United States) Unicode table, then "FileVersion=a.b.c.d" from the
 * fixed part; exit code 1 when the program has no version resource.
 */
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

void printUtf8(const wchar_t *pwszName, const wchar_t *pwszValue)
{
    std::wstring wstr = std::wstring(pwszName) + L"=" + pwszValue + L"\n";
    int cb = WideCharToMultiByte(CP_UTF8, 0, wstr.c_str(), (int)wstr.size(), NULL, 0, NULL, NULL);
    std::string str(cb, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wstr.c_str(), (int)wstr.size(), &str[0], cb, NULL, NULL);
    fwrite(str.data(), 1, str.size(), stdout);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2)
        return 2;
    DWORD dwHandle = 0;
    DWORD const cb = GetFileVersionInfoSizeW(argv[1], &dwHandle);
    if (cb == 0)
    {
        fprintf(stderr, "no version resource: %lu\n", GetLastError());
        return 1;
    }
    std::vector<BYTE> abInfo(cb);
    if (!GetFileVersionInfoW(argv[1], 0, cb, abInfo.data()))
        return 1;
    static const wchar_t *const s_apwszNames[] = {L"CompanyName",    L"FileDescription",  L"FileVersion",
                                                  L"LegalCopyright", L"OriginalFilename", L"ProductName",
                                                  L"ProductVersion"};
    for (const wchar_t *pwszName : s_apwszNames)
    {
        std::wstring wstrQuery = std::wstring(L"\\StringFileInfo\\040904b0\\") + pwszName;
        wchar_t *pwszValue = NULL;
        UINT cchValue = 0;
        if (VerQueryValueW(abInfo.data(), wstrQuery.c_str(), (void **)&pwszValue, &cchValue) && pwszValue)
            printUtf8(pwszName, pwszValue);
    }
    VS_FIXEDFILEINFO *pFixed = NULL;
    UINT cbFixed = 0;
    if (VerQueryValueW(abInfo.data(), L"\\", (void **)&pFixed, &cbFixed) && pFixed)
        printf("Fixed=%lu.%lu.%lu.%lu\n", pFixed->dwFileVersionMS >> 16, pFixed->dwFileVersionMS & 0xffff,
               pFixed->dwFileVersionLS >> 16, pFixed->dwFileVersionLS & 0xffff);
    return 0;
}
