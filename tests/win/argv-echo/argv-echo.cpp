/** @file
 * Prints the arguments the C runtime split from this program's command line,
 * for the differential test of the runtime's own splitting. The C runtime
 * splits the UTF-16 command line into wide arguments; each is converted to
 * UTF-8 and printed as one line of hex digits (an empty argument gives an
 * empty line) after a first line with the count: "argc <n>".
 */
#include <windows.h>
#include <stdio.h>

int wmain(int argc, wchar_t **papwszArgv)
{
    printf("argc %d\n", argc);
    for (int i = 0; i < argc; i++)
    {
        int cb = WideCharToMultiByte(CP_UTF8, 0, papwszArgv[i], -1, NULL, 0, NULL, NULL);
        if (cb <= 0)
            return 2;
        char *pszUtf8 = new char[cb];
        WideCharToMultiByte(CP_UTF8, 0, papwszArgv[i], -1, pszUtf8, cb, NULL, NULL);
        for (const char *pch = pszUtf8; *pch; pch++)
            printf("%02x", (unsigned char)*pch);
        printf("\n");
        delete[] pszUtf8;
    }
    return fflush(stdout) == 0 ? 0 : 3;
}
