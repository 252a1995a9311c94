/** @file
 * The control of the planting tests: a careless program that loads libraries
 * the plain way, showing that a planted library is taken where it lies and
 * that its marker and its texts work.
 *
 *   plant-control load <name or path>...
 *       LoadLibraryW for each; prints "<argument> <path of the module>" or
 *       "<argument> failed <Win32 error>", one line each.
 *   plant-control text <path> <message number>
 *       Loads <path> as a data file and prints its text for the number
 *       (FormatMessageW), or "failed <Win32 error>".
 *
 * Exit code 0, or 2 for a command line it does not know.
 */
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

namespace
{

int doLoad(int cNames, wchar_t **papwszNames)
{
    for (int i = 0; i < cNames; i++)
    {
        HMODULE hMod = LoadLibraryW(papwszNames[i]);
        WCHAR wszPath[MAX_PATH] = L"";
        if (hMod && GetModuleFileNameW(hMod, wszPath, MAX_PATH))
            wprintf(L"%ls %ls\n", papwszNames[i], wszPath);
        else
            wprintf(L"%ls failed %lu\n", papwszNames[i], GetLastError());
    }
    return 0;
}

int doText(const wchar_t *pwszPath, DWORD uMessage)
{
    HMODULE hMod = LoadLibraryExW(pwszPath, NULL, LOAD_LIBRARY_AS_DATAFILE);
    WCHAR *pwszText = NULL;
    if (hMod &&
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_HMODULE,
                       hMod, uMessage, 0x0400, (LPWSTR)&pwszText, 0, NULL))
    {
        wprintf(L"%ls", pwszText);
        LocalFree(pwszText);
    }
    else
        wprintf(L"failed %lu\n", GetLastError());
    return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc >= 3 && wcscmp(argv[1], L"load") == 0)
        return doLoad(argc - 2, &argv[2]);
    if (argc == 4 && wcscmp(argv[1], L"text") == 0)
        return doText(argv[2], wcstoul(argv[3], NULL, 10));
    fputs("usage: plant-control load <library>... | text <library> <message number>\n", stderr);
    return 2;
}
