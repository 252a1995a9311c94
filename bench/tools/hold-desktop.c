/*
 * Keeps Wine's desktop alive for a benchmark run: asks for the desktop
 * window (which makes Wine start its desktop process) and then sleeps until
 * it is killed. Without it the desktop process ends a few seconds after the
 * last program that used it, and the next program using user32 pays for
 * starting it again - a cost Windows never has and that would fall on
 * whichever program happens to come first after a long extraction.
 * No C runtime.
 */
#include <windows.h>

void __stdcall HoldDesktopEntry(void)
{
    if (!GetDesktopWindow())
        ExitProcess(1);
    Sleep(INFINITE);
    ExitProcess(0);
}
