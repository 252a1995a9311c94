/** @file
 * Runs a program and keeps what it wrote to a console it allocated itself:
 * console-capture <output file> <program> [arguments...]. Writes the text of
 * that console's screen buffer (UTF-8, one line per line, trailing blanks
 * dropped, rows that the console wrapped joined again) to the output file and
 * exits with the program's exit code; 255 when it cannot run the program.
 *
 * A console that a program allocates has no output anyone else can read: Wine
 * shows it as a window of its own (which needs a display) and the text lives
 * only in the console's screen buffer, which ends with the console when the
 * program calls FreeConsole. So this runs the program as its debugger with a
 * breakpoint on FreeConsole: while the program is stopped there, the console
 * still exists; this process makes the stopped program open "CONOUT$" for
 * reading (AttachConsole to another process's console fails under Wine) and
 * reads the buffer through a duplicate of that handle.
 * Programs started from a terminal get that terminal as console from Wine
 * before their first instruction, so their own AllocConsole fails: a
 * terminal cannot stand in for the console here.
 */
#include <windows.h>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

namespace
{

std::wstring quoteArg(const std::wstring &wstrArg)
{
    if (!wstrArg.empty() && wstrArg.find_first_of(L" \t\"") == std::wstring::npos)
        return wstrArg;
    std::wstring wstr = L"\"";
    size_t cBackslashes = 0;
    for (wchar_t wc : wstrArg)
    {
        if (wc == L'\\')
            cBackslashes++;
        else
        {
            if (wc == L'"')
                wstr.append(cBackslashes + 1, L'\\');
            cBackslashes = 0;
        }
        wstr += wc;
    }
    wstr.append(cBackslashes, L'\\');
    return wstr + L"\"";
}

std::string toUtf8(const std::wstring &wstr)
{
    int cb = WideCharToMultiByte(CP_UTF8, 0, wstr.c_str(), (int)wstr.size(), NULL, 0, NULL, NULL);
    std::string str(cb > 0 ? cb : 0, '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_UTF8, 0, wstr.c_str(), (int)wstr.size(), &str[0], cb, NULL, NULL);
    return str;
}

/** The text of the screen buffer behind @a hCon, up to the cursor. */
std::string readScreenBuffer(HANDLE hCon)
{
    std::string strText;
    CONSOLE_SCREEN_BUFFER_INFO Info;
    if (!GetConsoleScreenBufferInfo(hCon, &Info))
        strText = "<no screen buffer: " + std::to_string(GetLastError()) + ">\n";
    else
    {
        SHORT const cColumns = Info.dwSize.X;
        std::wstring wstrLine;
        for (SHORT iRow = 0; iRow <= Info.dwCursorPosition.Y; iRow++)
        {
            std::wstring wstrRow(cColumns, L' ');
            DWORD cRead = 0;
            COORD Pos = {0, iRow};
            ReadConsoleOutputCharacterW(hCon, &wstrRow[0], cColumns, Pos, &cRead);
            wstrRow.resize(cRead);
            bool const fWrapped = cRead == (DWORD)cColumns && wstrRow.back() != L' ';
            wstrLine += wstrRow;
            if (fWrapped && iRow < Info.dwCursorPosition.Y)
                continue;
            wstrLine.erase(wstrLine.find_last_not_of(L' ') + 1);
            /* The cursor's row is the unfinished line; it counts only when it holds text. */
            if (iRow < Info.dwCursorPosition.Y || !wstrLine.empty())
                strText += toUtf8(wstrLine) + "\n";
            wstrLine.clear();
        }
    }
    return strText;
}

/**
 * The breakpoint on FreeConsole and the call of CreateFileW("CONOUT$") that
 * this process makes the program do from there, since only a process of the
 * console can open its screen buffer for reading.
 */
struct CAPTURE
{
    HANDLE hProcess;
    BYTE *pbFreeConsole;
    /** FreeConsole's first two bytes, the first of which the breakpoint replaces. */
    BYTE abOriginal[2];
    /** Program memory: a breakpoint byte the injected call returns to, then L"CONOUT$". */
    BYTE *pbRemote;
    /** The stopped thread's context at FreeConsole, restored after the call. */
    CONTEXT SavedCtx;
    enum
    {
        ARMING,
        ARMED,
        CALLING,
        DONE
    } enmState;
};

bool writeRemote(HANDLE hProcess, void *pvDst, const void *pvSrc, size_t cb)
{
    SIZE_T cbDone = 0;
    bool const fOk = WriteProcessMemory(hProcess, pvDst, pvSrc, cb, &cbDone) && cbDone == cb;
    FlushInstructionCache(hProcess, pvDst, cb);
    return fOk;
}

/** The loader's first breakpoint: the system libraries are mapped where they are in this process. */
void armBreakpoint(CAPTURE *pCap)
{
    BYTE const bBreak = 0xcc;
    SIZE_T cb = 0;
    pCap->pbRemote = (BYTE *)VirtualAllocEx(pCap->hProcess, NULL, 4096, MEM_COMMIT, PAGE_EXECUTE_READWRITE);
    static const wchar_t s_wszConOut[] = L"CONOUT$";
    bool const fOk = pCap->pbRemote &&
                     ReadProcessMemory(pCap->hProcess, pCap->pbFreeConsole, pCap->abOriginal, 2, &cb) && cb == 2 &&
                     writeRemote(pCap->hProcess, pCap->pbRemote, &bBreak, 1) &&
                     writeRemote(pCap->hProcess, pCap->pbRemote + 16, s_wszConOut, sizeof(s_wszConOut)) &&
                     writeRemote(pCap->hProcess, pCap->pbFreeConsole, &bBreak, 1);
    pCap->enmState = fOk ? CAPTURE::ARMED : CAPTURE::DONE;
}

/**
 * Where the stopped thread goes on after the breakpoint at FreeConsole. Wine's functions begin with the
 * two-byte "mov edi, edi" that does nothing: the thread resumes after it and the breakpoint byte stays.
 * Writing the original byte back is not enough under QEMU's user-mode emulation, which goes on running
 * the code it translated with the breakpoint in it; it is the way only for other first instructions.
 */
BYTE *resumeAddress(CAPTURE *pCap)
{
    if (pCap->abOriginal[0] == 0x8b && pCap->abOriginal[1] == 0xff)
        return pCap->pbFreeConsole + 2;
    writeRemote(pCap->hProcess, pCap->pbFreeConsole, pCap->abOriginal, 1);
    return pCap->pbFreeConsole;
}

/** At FreeConsole: sends the thread into CreateFileW, returning to the breakpoint byte. */
void injectOpen(CAPTURE *pCap, HANDLE hThread)
{
    pCap->SavedCtx.ContextFlags = CONTEXT_FULL;
    if (!GetThreadContext(hThread, &pCap->SavedCtx))
    {
        pCap->enmState = CAPTURE::DONE;
        return;
    }
    pCap->SavedCtx.Eip = (DWORD)(uintptr_t)resumeAddress(pCap);
    uint32_t const auFrame[] = {(uint32_t)(uintptr_t)pCap->pbRemote,
                                (uint32_t)(uintptr_t)(pCap->pbRemote + 16),
                                GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE,
                                0,
                                OPEN_EXISTING,
                                0,
                                0};
    CONTEXT Ctx = pCap->SavedCtx;
    Ctx.Esp = (pCap->SavedCtx.Esp - 256) & ~(DWORD)15;
    Ctx.Eip = (DWORD)(uintptr_t)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateFileW");
    if (!writeRemote(pCap->hProcess, (void *)(uintptr_t)Ctx.Esp, auFrame, sizeof(auFrame)) ||
        !SetThreadContext(hThread, &Ctx))
    {
        SetThreadContext(hThread, &pCap->SavedCtx);
        pCap->enmState = CAPTURE::DONE;
        return;
    }
    pCap->enmState = CAPTURE::CALLING;
}

/** Back from CreateFileW: reads the screen buffer through the handle, then lets FreeConsole run. */
void readAndResume(CAPTURE *pCap, HANDLE hThread, std::string *pstrText)
{
    CONTEXT Ctx;
    Ctx.ContextFlags = CONTEXT_FULL;
    Ctx.Eax = (DWORD)(uintptr_t)INVALID_HANDLE_VALUE;
    HANDLE hCon = NULL;
    if (GetThreadContext(hThread, &Ctx) && Ctx.Eax != (DWORD)(uintptr_t)INVALID_HANDLE_VALUE &&
        DuplicateHandle(pCap->hProcess, (HANDLE)(uintptr_t)Ctx.Eax, GetCurrentProcess(), &hCon, 0, FALSE,
                        DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE))
    {
        *pstrText += readScreenBuffer(hCon);
        CloseHandle(hCon);
    }
    else
        *pstrText += "<no console to read: handle " + std::to_string(Ctx.Eax) + ", error " +
                     std::to_string(GetLastError()) + ">\n";
    SetThreadContext(hThread, &pCap->SavedCtx);
    pCap->enmState = CAPTURE::DONE;
}

/**
 * True when a breakpoint exception reported at @a pvAddr is the breakpoint byte at @a pbBreak. Windows
 * and Wine report the address of the byte itself; Wine under QEMU's user-mode emulation, whose signal
 * frame does not name the breakpoint trap, reports the address after it.
 */
bool isBreakpointAt(const void *pvAddr, const BYTE *pbBreak)
{
    return pvAddr == pbBreak || pvAddr == pbBreak + 1;
}

/** Debugs the program until it ends; returns its exit code, the console text in @a pstrText. */
DWORD debugAndCapture(const PROCESS_INFORMATION &Proc, std::string *pstrText)
{
    CAPTURE Cap = {};
    Cap.hProcess = Proc.hProcess;
    Cap.pbFreeConsole = (BYTE *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "FreeConsole");
    Cap.enmState = CAPTURE::ARMING;
    std::map<DWORD, HANDLE> Threads;
    for (;;)
    {
        DEBUG_EVENT Event;
        if (!WaitForDebugEvent(&Event, 240000))
            return 255;
        DWORD uContinue = DBG_CONTINUE;
        switch (Event.dwDebugEventCode)
        {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (Event.u.CreateProcessInfo.hFile)
                    CloseHandle(Event.u.CreateProcessInfo.hFile);
                Threads[Event.dwThreadId] = Event.u.CreateProcessInfo.hThread;
                break;
            case CREATE_THREAD_DEBUG_EVENT:
                Threads[Event.dwThreadId] = Event.u.CreateThread.hThread;
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (Event.u.LoadDll.hFile)
                    CloseHandle(Event.u.LoadDll.hFile);
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                ContinueDebugEvent(Event.dwProcessId, Event.dwThreadId, DBG_CONTINUE);
                return Event.u.ExitProcess.dwExitCode;
            case EXCEPTION_DEBUG_EVENT:
            {
                void *const pvAddr = Event.u.Exception.ExceptionRecord.ExceptionAddress;
                if (Event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                    uContinue = DBG_EXCEPTION_NOT_HANDLED;
                else if (Cap.enmState == CAPTURE::ARMING)
                    armBreakpoint(&Cap);
                else if (Cap.enmState == CAPTURE::ARMED && isBreakpointAt(pvAddr, Cap.pbFreeConsole))
                    injectOpen(&Cap, Threads[Event.dwThreadId]);
                else if (Cap.enmState == CAPTURE::CALLING && isBreakpointAt(pvAddr, Cap.pbRemote))
                    readAndResume(&Cap, Threads[Event.dwThreadId], pstrText);
                break;
            }
            default:
                break;
        }
        ContinueDebugEvent(Event.dwProcessId, Event.dwThreadId, uContinue);
    }
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 3)
    {
        fputs("usage: console-capture <output file> <program> [arguments...]\n", stderr);
        return 255;
    }
    std::wstring wstrCmd;
    for (int i = 2; i < argc; i++)
        wstrCmd += (i > 2 ? L" " : L"") + quoteArg(argv[i]);
    STARTUPINFOW Start = {};
    Start.cb = sizeof(Start);
    PROCESS_INFORMATION Proc = {};
    /* Detached: under Wine a program started by this console-less helper would otherwise inherit a
       console placeholder that makes its AllocConsole fail. */
    if (!CreateProcessW(argv[2], &wstrCmd[0], NULL, NULL, FALSE, DEBUG_ONLY_THIS_PROCESS | DETACHED_PROCESS, NULL, NULL,
                        &Start, &Proc))
    {
        fprintf(stderr, "console-capture: cannot start the program: %lu\n", GetLastError());
        return 255;
    }
    std::string strText;
    DWORD const uExit = debugAndCapture(Proc, &strText);
    FILE *pFile = _wfopen(argv[1], L"wb");
    if (!pFile)
        return 255;
    fwrite(strText.data(), 1, strText.size(), pFile);
    fclose(pFile);
    return (int)uExit;
}
