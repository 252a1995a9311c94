/** @file
 * A custom action of the hardening tests' packages, run by Windows Installer
 * while the installer holds its extracted packages:
 *
 *   tamper <msi path> <report dir>
 *       Attacks the package being installed (the .msi Windows Installer
 *       names as its original database) and every .cab beside it: opens
 *       each for writing, truncates, deletes, opens it to delete on close,
 *       renames, replaces it by a move and creates a new file over it. Writes
 *       one line per file and attempt to <report dir>\report.txt,
 *       "<file> <attempt> refused <Win32 error>" or "<file> <attempt> done",
 *       after "<file> present <size>" (the file was there and readable), and
 *       copies the bytes it then reads to <report dir>\<file>.seen. Ends
 *       with the line "end".
 *   gate <reached file> <gate file>
 *       Creates <reached file>, then waits (at most 240 s) until <gate file>
 *       exists: holds the installation at this point until the test lets it
 *       go on.
 *
 * Exit code 0, so that the installation goes on whatever the attempts did;
 * 2 for a command line it does not know.
 */
#include <windows.h>
#include <stdio.h>
#include <string>
#include <vector>

namespace
{

FILE *g_pReport = NULL;

std::string toUtf8(const std::wstring &wstr)
{
    int const cb = WideCharToMultiByte(CP_UTF8, 0, wstr.c_str(), (int)wstr.size(), NULL, 0, NULL, NULL);
    std::string str(cb, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wstr.c_str(), (int)wstr.size(), &str[0], cb, NULL, NULL);
    return str;
}

void report(const std::wstring &wstrFile, const char *pszWhat)
{
    fprintf(g_pReport, "%s %s\n", toUtf8(wstrFile).c_str(), pszWhat);
    fflush(g_pReport);
}

/** Records whether an attempt went through; a handle it opened is closed again. */
void reportAttempt(const std::wstring &wstrFile, const char *pszAttempt, bool fDone, DWORD uError)
{
    char szLine[128];
    if (fDone)
        snprintf(szLine, sizeof(szLine), "%s done", pszAttempt);
    else
        snprintf(szLine, sizeof(szLine), "%s refused %lu", pszAttempt, (unsigned long)uError);
    report(wstrFile, szLine);
}

void reportOpen(const std::wstring &wstrFile, const char *pszAttempt, HANDLE hFile)
{
    DWORD const uError = GetLastError();
    reportAttempt(wstrFile, pszAttempt, hFile != INVALID_HANDLE_VALUE, uError);
    if (hFile != INVALID_HANDLE_VALUE)
        CloseHandle(hFile);
}

void reportCall(const std::wstring &wstrFile, const char *pszAttempt, BOOL fOk)
{
    DWORD const uError = GetLastError();
    reportAttempt(wstrFile, pszAttempt, fOk != FALSE, uError);
}

/** All bytes of @a wstrPath, read while others may write and delete; false when it cannot be read. */
bool readAll(const std::wstring &wstrPath, std::vector<char> *pvecBytes)
{
    HANDLE hFile = CreateFileW(wstrPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    pvecBytes->clear();
    char ab[65536];
    DWORD cbRead = 0;
    bool fOk;
    while ((fOk = ReadFile(hFile, ab, sizeof(ab), &cbRead, NULL) != FALSE) && cbRead > 0)
        pvecBytes->insert(pvecBytes->end(), ab, ab + cbRead);
    CloseHandle(hFile);
    return fOk;
}

bool writeAll(const std::wstring &wstrPath, const std::vector<char> &vecBytes)
{
    HANDLE hFile = CreateFileW(wstrPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD cbWritten = 0;
    BOOL const fOk = vecBytes.empty() || WriteFile(hFile, vecBytes.data(), (DWORD)vecBytes.size(), &cbWritten, NULL);
    CloseHandle(hFile);
    return fOk && cbWritten == vecBytes.size();
}

const DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

/** Every way of changing or removing the file at @a wstrPath that the tests know of, each recorded. */
void attack(const std::wstring &wstrDir, const std::wstring &wstrFile)
{
    std::wstring const wstrPath = wstrDir + L"\\" + wstrFile;
    std::vector<char> vecBefore;
    if (!readAll(wstrPath, &vecBefore))
    {
        char szLine[64];
        snprintf(szLine, sizeof(szLine), "missing %lu", (unsigned long)GetLastError());
        report(wstrFile, szLine);
        return;
    }
    char szPresent[64];
    snprintf(szPresent, sizeof(szPresent), "present %lu", (unsigned long)vecBefore.size());
    report(wstrFile, szPresent);

    reportOpen(wstrFile, "open-for-writing",
               CreateFileW(wstrPath.c_str(), GENERIC_WRITE, SHARE_ALL, NULL, OPEN_EXISTING, 0, NULL));
    reportOpen(wstrFile, "truncate",
               CreateFileW(wstrPath.c_str(), GENERIC_WRITE, SHARE_ALL, NULL, TRUNCATE_EXISTING, 0, NULL));
    reportCall(wstrFile, "delete", DeleteFileW(wstrPath.c_str()));
    reportOpen(wstrFile, "delete-on-close",
               CreateFileW(wstrPath.c_str(), DELETE, SHARE_ALL, NULL, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, NULL));
    std::wstring const wstrMoved = wstrPath + L".moved";
    BOOL const fMoved = MoveFileW(wstrPath.c_str(), wstrMoved.c_str());
    reportCall(wstrFile, "rename", fMoved);
    if (fMoved)
        MoveFileW(wstrMoved.c_str(), wstrPath.c_str());

    /* A replacement made beside it, on the same volume, so that only the held file can stop the move. */
    std::wstring const wstrNew = wstrDir + L"\\tarn-tamper.new";
    std::vector<char> const vecForged(16, 'F');
    if (writeAll(wstrNew, vecForged))
    {
        reportCall(wstrFile, "replace-by-move",
                   MoveFileExW(wstrNew.c_str(), wstrPath.c_str(), MOVEFILE_REPLACE_EXISTING));
        DeleteFileW(wstrNew.c_str());
    }
    else
        report(wstrFile, "replace-by-move cannot-prepare");
    reportOpen(wstrFile, "new-file-over-it",
               CreateFileW(wstrPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
}

std::wstring directoryOf(const std::wstring &wstrPath)
{
    size_t const off = wstrPath.find_last_of(L"\\/");
    return off == std::wstring::npos ? std::wstring(L".") : wstrPath.substr(0, off);
}

std::wstring fileNameOf(const std::wstring &wstrPath)
{
    size_t const off = wstrPath.find_last_of(L"\\/");
    return off == std::wstring::npos ? wstrPath : wstrPath.substr(off + 1);
}

/** The package itself, then the cabinets beside it. */
std::vector<std::wstring> packageFiles(const std::wstring &wstrDir, const std::wstring &wstrMsiName)
{
    std::vector<std::wstring> vecFiles(1, wstrMsiName);
    WIN32_FIND_DATAW Data;
    HANDLE hFind = FindFirstFileW((wstrDir + L"\\*.cab").c_str(), &Data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
            vecFiles.push_back(Data.cFileName);
        while (FindNextFileW(hFind, &Data));
        FindClose(hFind);
    }
    return vecFiles;
}

int doTamper(const std::wstring &wstrMsi, const std::wstring &wstrReportDir)
{
    g_pReport = _wfopen((wstrReportDir + L"\\report.txt").c_str(), L"w");
    if (!g_pReport)
        return 0;
    std::wstring const wstrDir = directoryOf(wstrMsi);
    fprintf(g_pReport, "directory %s\n", toUtf8(wstrDir).c_str());
    for (const std::wstring &wstrFile : packageFiles(wstrDir, fileNameOf(wstrMsi)))
    {
        attack(wstrDir, wstrFile);
        std::vector<char> vecSeen;
        if (readAll(wstrDir + L"\\" + wstrFile, &vecSeen))
            writeAll(wstrReportDir + L"\\" + wstrFile + L".seen", vecSeen);
    }
    fputs("end\n", g_pReport);
    fclose(g_pReport);
    return 0;
}

int doGate(const std::wstring &wstrReached, const std::wstring &wstrGate)
{
    writeAll(wstrReached, std::vector<char>());
    for (int i = 0; i < 2400 && GetFileAttributesW(wstrGate.c_str()) == INVALID_FILE_ATTRIBUTES; i++)
        Sleep(100);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc == 4 && std::wstring(argv[1]) == L"tamper")
        return doTamper(argv[2], argv[3]);
    if (argc == 4 && std::wstring(argv[1]) == L"gate")
        return doGate(argv[2], argv[3]);
    fputs("usage: harden-action tamper <msi> <report dir> | gate <reached file> <gate file>\n", stderr);
    return 2;
}
