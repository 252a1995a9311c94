/** @file
 * Holds a file open for a test the way another program might: for reading
 * and writing with no sharing at all, so nobody else can open, replace or
 * delete it. Writes "held" on standard output once the file is open and keeps
 * it until standard input reaches its end (the test closes the pipe), then
 * exits with 0. Exit code 1 when the file cannot be opened.
 *
 * Usage: hold-file <path>
 */
#include <windows.h>
#include <stdio.h>

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2)
        return 1;
    HANDLE hFile = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0 /*no sharing*/, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return 1;
    fputs("held\n", stdout);
    fflush(stdout);
    char szLine[64];
    while (fgets(szLine, sizeof(szLine), stdin))
    {
    }
    CloseHandle(hFile);
    return 0;
}
