/** @file
 * The code of a DLL that exists for its resources (a message table): loaded
 * as a program library by mistake, it does nothing.
 */
#include <windows.h>

extern "C" BOOL WINAPI ResourceOnlyDllMain(HINSTANCE hInstance, DWORD uReason, void *pvReserved)
{
    (void)hInstance;
    (void)uReason;
    (void)pvReserved;
    return TRUE;
}
