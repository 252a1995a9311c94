/** @file
 * Holds the installer's single-instance mutex for a test: creates it, writes
 * "held" on standard output and keeps it until standard input reaches its end
 * (the test closes the pipe), then exits with 0. Exit code 1 when the mutex
 * cannot be created or already existed.
 */
#include <windows.h>
#include <stdio.h>

int wmain(void)
{
    SetLastError(0);
    HANDLE hMutex = CreateMutexW(NULL, FALSE, L"TarnStubInstaller");
    if (!hMutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return 1;
    fputs("held\n", stdout);
    fflush(stdout);
    char szLine[64];
    while (fgets(szLine, sizeof(szLine), stdin))
    {
    }
    CloseHandle(hMutex);
    return 0;
}
