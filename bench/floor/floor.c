/*
 * The physical floor of extraction: a program without C runtime that carries
 * the same container resources as an installer (it is linked by tarn-pack
 * from the bench floor kit) and, for every package, writes the payload from
 * its mapped resource with one WriteFile, then reads the file back once in
 * 64 KiB blocks and compares each block with the payload.
 *
 *   bench-floor.exe <directory>
 *
 * Creates the directory (an existing one is used), writes the packages under
 * their header file names, prints "floor-us <microseconds>" (the write and
 * read-back alone, without process start) on standard output and exits 0;
 * exits 1 after a one-line message on any failure or mismatch.
 *
 * It starts as the installer must: it imports the same six libraries and
 * loads ws2_32.dll from the system directory, as the runtime's start-up does
 * (the same as bench-noop-winsock). So the floor holds the process start
 * the product cannot avoid, and the installer's excess over it is its own
 * work.
 */
#include "../tools/same-imports.h"

enum
{
    BLOCK_SIZE = 0x10000,
    HEADER_NAME_OFFSET = 32,
    PAYLOAD_NAME_OFFSET = 4,
    MAX_PATH_UNITS = 4100
};

static unsigned char g_abBlock[BLOCK_SIZE];
static WCHAR g_wszDir[MAX_PATH_UNITS];
static WCHAR g_wszPath[MAX_PATH_UNITS];

static void floorPrint(const char *psz)
{
    DWORD cch = 0, cbWritten;
    while (psz[cch])
        cch++;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), psz, cch, &cbWritten, NULL);
}

static __attribute__((noreturn)) void floorFail(const char *pszWhat)
{
    floorPrint("bench-floor: error: ");
    floorPrint(pszWhat);
    floorPrint("\n");
    ExitProcess(1);
}

static char *floorFormatU64(char *pszEnd, unsigned long long u)
{
    *--pszEnd = '\0';
    do
        *--pszEnd = (char)('0' + u % 10);
    while (u /= 10);
    return pszEnd;
}

/* The first argument of the command line, without quotes. */
static void floorTakeDirectory(void)
{
    const WCHAR *pwsz = GetCommandLineW();
    if (*pwsz == L'"')
    {
        for (pwsz++; *pwsz && *pwsz != L'"'; pwsz++)
            ;
        if (*pwsz)
            pwsz++;
    }
    else
        while (*pwsz && *pwsz != L' ' && *pwsz != L'\t')
            pwsz++;
    while (*pwsz == L' ' || *pwsz == L'\t')
        pwsz++;
    unsigned cwc = 0;
    for (; *pwsz && cwc + 1 < MAX_PATH_UNITS; pwsz++)
        if (*pwsz != L'"')
            g_wszDir[cwc++] = *pwsz;
    while (cwc > 0 && (g_wszDir[cwc - 1] == L' ' || g_wszDir[cwc - 1] == L'\t'))
        cwc--;
    g_wszDir[cwc] = 0;
    if (cwc == 0)
        floorFail("usage: bench-floor.exe <directory>");
}

static const unsigned char *floorResource(const char *pszName, DWORD *pcb)
{
    HRSRC hRes = FindResourceA(NULL, pszName, MAKEINTRESOURCEA(10));
    if (!hRes)
        floorFail("resource missing");
    *pcb = SizeofResource(NULL, hRes);
    const unsigned char *pb = (const unsigned char *)LockResource(LoadResource(NULL, hRes));
    if (!pb || *pcb == 0)
        floorFail("resource unreadable");
    return pb;
}

static int floorSame(const unsigned char *pb1, const unsigned char *pb2, DWORD cb)
{
    const unsigned long long *pu1 = (const unsigned long long *)pb1, *pu2 = (const unsigned long long *)pb2;
    DWORD i, cWords = cb / 8;
    for (i = 0; i < cWords; i++)
        if (pu1[i] != pu2[i])
            return 0;
    for (i = cWords * 8; i < cb; i++)
        if (pb1[i] != pb2[i])
            return 0;
    return 1;
}

static void floorJoin(const char *pszFileName)
{
    unsigned cwc = 0;
    while (g_wszDir[cwc])
    {
        g_wszPath[cwc] = g_wszDir[cwc];
        cwc++;
    }
    g_wszPath[cwc++] = L'\\';
    if (!MultiByteToWideChar(CP_UTF8, 0, pszFileName, -1, &g_wszPath[cwc], MAX_PATH_UNITS - cwc))
        floorFail("file name");
}

/* One package: one write, one read-back with compare. */
static void floorWriteAndVerify(const unsigned char *pbPayload, DWORD cbPayload)
{
    HANDLE hFile = CreateFileW(g_wszPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        floorFail("CreateFileW");
    DWORD cbDone = 0;
    if (!WriteFile(hFile, pbPayload, cbPayload, &cbDone, NULL) || cbDone != cbPayload)
        floorFail("WriteFile");
    if (SetFilePointer(hFile, 0, NULL, FILE_BEGIN) != 0)
        floorFail("SetFilePointer");
    for (DWORD off = 0; off < cbPayload; off += cbDone)
    {
        DWORD cbWant = cbPayload - off < BLOCK_SIZE ? cbPayload - off : BLOCK_SIZE;
        if (!ReadFile(hFile, g_abBlock, cbWant, &cbDone, NULL) || cbDone != cbWant)
            floorFail("ReadFile");
        if (!floorSame(g_abBlock, pbPayload + off, cbWant))
            floorFail("mismatch");
    }
    CloseHandle(hFile);
}

void __stdcall FloorEntry(void)
{
    if (!sameImportsPresent() || !sameImportsLoadWinsock())
        floorFail("ws2_32.dll");
    floorTakeDirectory();
    DWORD cb;
    const unsigned char *pbManifest = floorResource("MANIFEST", &cb);
    unsigned cPackages = pbManifest[15];

    LARGE_INTEGER tStart, tEnd, tFreq;
    QueryPerformanceFrequency(&tFreq);
    QueryPerformanceCounter(&tStart);
    if (!CreateDirectoryW(g_wszDir, NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
        floorFail("CreateDirectoryW");
    for (unsigned i = 0; i < cPackages; i++)
    {
        char szName[16] = "HDR_00";
        szName[4] = (char)('0' + i / 10 % 10);
        szName[5] = (char)('0' + i % 10);
        const unsigned char *pbHeader = floorResource(szName, &cb);
        floorJoin((const char *)pbHeader + HEADER_NAME_OFFSET);
        DWORD cbPayload;
        const unsigned char *pbPayload = floorResource((const char *)pbHeader + PAYLOAD_NAME_OFFSET, &cbPayload);
        floorWriteAndVerify(pbPayload, cbPayload);
    }
    QueryPerformanceCounter(&tEnd);

    char szNum[32];
    floorPrint("floor-us ");
    floorPrint(floorFormatU64(&szNum[sizeof(szNum)],
                              (unsigned long long)(tEnd.QuadPart - tStart.QuadPart) * 1000000ULL / tFreq.QuadPart));
    floorPrint("\n");
    ExitProcess(0);
}
