/*
 * A no-op program without C runtime that imports what the installer imports
 * (kernel32, user32, gdi32, shlwapi, ole32, ntdll) and calls nothing: what
 * loading those libraries costs under Wine, in time and in memory.
 *
 * Built a second time with NOOP_LOAD_WINSOCK (bench-noop-winsock): it then
 * also loads ws2_32.dll from the system directory, as the runtime's start-up
 * does, so that the cost of that load can be told apart.
 *
 * Built a third time with NOOP_LINGER as well (bench-noop-winsock-linger): it
 * then waits half a second before it exits, so that a program reading its
 * memory from outside every few milliseconds sees its peak too. It is only
 * used for memory, never timed.
 */
#include "same-imports.h"

void __stdcall NoopImportsEntry(void)
{
#ifdef NOOP_LOAD_WINSOCK
    if (!sameImportsLoadWinsock())
        ExitProcess(2);
#endif
#ifdef NOOP_LINGER
    Sleep(500);
#endif
    ExitProcess(sameImportsPresent() ? 0 : 1);
}
