/*
 * Starts a command line, waits for it and prints the peaks of its process's
 * working set and private bytes:
 * "peak-working-set <bytes> peak-private <bytes> exit <code>" on standard output.
 *
 *   bench-peakmem.exe <program> [arguments...]
 *
 * Both are read with K32GetProcessMemoryInfo while the child runs (every
 * millisecond) and once more after it ended, and the highest reading of each
 * is kept. Private bytes are PeakPagefileUsage, or PagefileUsage where that
 * is higher: Wine reports the current anonymous memory in both, so only the
 * polling makes it a peak there. No C runtime.
 */
#include <windows.h>
#include <psapi.h>

static void peakPrint(const char *psz)
{
    DWORD cch = 0, cbWritten;
    while (psz[cch])
        cch++;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), psz, cch, &cbWritten, NULL);
}

static void peakPrintU64(unsigned long long u)
{
    char sz[32], *psz = &sz[sizeof(sz) - 1];
    *psz = '\0';
    do
        *--psz = (char)('0' + u % 10);
    while (u /= 10);
    peakPrint(psz);
}

static const WCHAR *peakSkipProgramName(const WCHAR *pwsz)
{
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
    return pwsz;
}

static WCHAR g_wszChild[32768];

typedef struct PEAKS
{
    SIZE_T cbWorkingSet;
    SIZE_T cbPrivate;
} PEAKS;

static SIZE_T peakMax(SIZE_T a, SIZE_T b)
{
    return a > b ? a : b;
}

static void peakRead(HANDLE hProcess, PEAKS *pPeaks)
{
    PROCESS_MEMORY_COUNTERS Counters;
    Counters.cb = sizeof(Counters);
    if (!K32GetProcessMemoryInfo(hProcess, &Counters, sizeof(Counters)))
        return;
    pPeaks->cbWorkingSet = peakMax(pPeaks->cbWorkingSet, Counters.PeakWorkingSetSize);
    pPeaks->cbPrivate = peakMax(pPeaks->cbPrivate, peakMax(Counters.PeakPagefileUsage, Counters.PagefileUsage));
}

void __stdcall PeakEntry(void)
{
    const WCHAR *pwszArgs = peakSkipProgramName(GetCommandLineW());
    unsigned i = 0;
    for (; pwszArgs[i] && i + 1 < sizeof(g_wszChild) / sizeof(WCHAR); i++)
        g_wszChild[i] = pwszArgs[i];
    g_wszChild[i] = 0;

    STARTUPINFOW StartInfo;
    PROCESS_INFORMATION ProcInfo;
    for (i = 0; i < sizeof(StartInfo); i++)
        ((char *)&StartInfo)[i] = 0;
    StartInfo.cb = sizeof(StartInfo);
    if (!CreateProcessW(NULL, g_wszChild, NULL, NULL, TRUE, 0, NULL, NULL, &StartInfo, &ProcInfo))
    {
        peakPrint("bench-peakmem: error: CreateProcessW failed\n");
        ExitProcess(1);
    }
    PEAKS Peaks = {0, 0};
    while (WaitForSingleObject(ProcInfo.hProcess, 1) == WAIT_TIMEOUT)
        peakRead(ProcInfo.hProcess, &Peaks);
    peakRead(ProcInfo.hProcess, &Peaks);
    DWORD dwExit = 0;
    GetExitCodeProcess(ProcInfo.hProcess, &dwExit);
    peakPrint("peak-working-set ");
    peakPrintU64(Peaks.cbWorkingSet);
    peakPrint(" peak-private ");
    peakPrintU64(Peaks.cbPrivate);
    peakPrint(" exit ");
    peakPrintU64(dwExit);
    peakPrint("\n");
    ExitProcess(0);
}
