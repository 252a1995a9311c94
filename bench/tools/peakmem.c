/*
 * Starts a command line, waits for it and prints the peak working set of its
 * process: "peak-working-set <bytes> exit <code>" on standard output.
 *
 *   bench-peakmem.exe <program> [arguments...]
 *
 * The peak is read with K32GetProcessMemoryInfo while the child runs (every
 * millisecond; the peak is a high-water mark, so the last reading holds) and
 * once more after it ended, in case the system still reports it then.
 * No C runtime.
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

static SIZE_T peakRead(HANDLE hProcess, SIZE_T cbPeak)
{
    PROCESS_MEMORY_COUNTERS Counters;
    Counters.cb = sizeof(Counters);
    if (K32GetProcessMemoryInfo(hProcess, &Counters, sizeof(Counters)) && Counters.PeakWorkingSetSize > cbPeak)
        return Counters.PeakWorkingSetSize;
    return cbPeak;
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
    SIZE_T cbPeak = 0;
    while (WaitForSingleObject(ProcInfo.hProcess, 1) == WAIT_TIMEOUT)
        cbPeak = peakRead(ProcInfo.hProcess, cbPeak);
    cbPeak = peakRead(ProcInfo.hProcess, cbPeak);
    DWORD dwExit = 0;
    GetExitCodeProcess(ProcInfo.hProcess, &dwExit);
    peakPrint("peak-working-set ");
    peakPrintU64(cbPeak);
    peakPrint(" exit ");
    peakPrintU64(dwExit);
    peakPrint("\n");
    ExitProcess(0);
}
