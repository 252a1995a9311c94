/* A no-op Windows program without C runtime: the start-up floor under Wine. */
#include <windows.h>

void __stdcall NoopEntry(void)
{
    ExitProcess(0);
}
