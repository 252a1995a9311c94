/** @file
 * The host's native processor architecture. The installer is a 32-bit x86
 * program that runs under the 32-bit emulation of 64-bit hosts, so the native
 * machine, not the process's, decides. Both system calls are looked up by
 * name: IsWow64Process2 is missing before Windows 10 1511, IsWow64Process
 * before XP SP2.
 */
#include <windows.h>
#include "TarnStubHostArch-win.h"
#include "TarnStubHostArch.h"
#include "TarnStubMessages.h"
#include "internal/seam.h"

namespace
{

typedef BOOL(WINAPI *PFNISWOW64PROCESS2)(HANDLE, USHORT *, USHORT *);
typedef BOOL(WINAPI *PFNISWOW64PROCESS)(HANDLE, BOOL *);

const USHORT STUB_MACHINE_I386 = 0x014c;  /* IMAGE_FILE_MACHINE_I386 */
const USHORT STUB_MACHINE_AMD64 = 0x8664; /* IMAGE_FILE_MACHINE_AMD64 */
const USHORT STUB_MACHINE_ARM64 = 0xaa64; /* IMAGE_FILE_MACHINE_ARM64 */

FARPROC lookUpKernel32(HMODULE hmodKernel32, const char *pszName)
{
    if (!hmodKernel32)
        return NULL;
    return RT_SEAM(g_StubSeamsHostArch, GetProcAddress)(hmodKernel32, pszName);
}

uint32_t archFromIsWow64Process2(PFNISWOW64PROCESS2 pfnIsWow64Process2)
{
    USHORT uProcessMachine = 0;
    USHORT uNativeMachine = 0;
    if (!pfnIsWow64Process2(GetCurrentProcess(), &uProcessMachine, &uNativeMachine))
    {
        PrintError("IsWow64Process2 failed: %u", GetLastError());
        return PACKAGE_ARCH_X86;
    }
    switch (uNativeMachine)
    {
        case STUB_MACHINE_AMD64:
            return PACKAGE_ARCH_AMD64;
        case STUB_MACHINE_ARM64:
            return PACKAGE_ARCH_ARM64;
        case STUB_MACHINE_I386:
            return PACKAGE_ARCH_X86;
        default:
            PrintError("IsWow64Process2 return unknown host machine value: %#x (wow machine %#x)", uNativeMachine,
                       uProcessMachine);
            return PACKAGE_ARCH_X86;
    }
}

/** Without the newer call a 64-bit host can only be x86-64. */
uint32_t archFromIsWow64Process(PFNISWOW64PROCESS pfnIsWow64Process)
{
    BOOL fWow64 = TRUE;
    if (!pfnIsWow64Process(GetCurrentProcess(), &fWow64))
    {
        PrintError("IsWow64Process failed: %u\n", GetLastError());
        return PACKAGE_ARCH_X86;
    }
    return fWow64 ? PACKAGE_ARCH_AMD64 : PACKAGE_ARCH_X86;
}

} // namespace

uint32_t DetectHostArch(void)
{
    HMODULE const hmodKernel32 = GetModuleHandleW(L"kernel32.dll");
    PFNISWOW64PROCESS2 pfnIsWow64Process2 = (PFNISWOW64PROCESS2)(void *)lookUpKernel32(hmodKernel32, "IsWow64Process2");
    if (pfnIsWow64Process2)
        return archFromIsWow64Process2(pfnIsWow64Process2);

    PFNISWOW64PROCESS pfnIsWow64Process = (PFNISWOW64PROCESS)(void *)lookUpKernel32(hmodKernel32, "IsWow64Process");
    if (pfnIsWow64Process)
        return archFromIsWow64Process(pfnIsWow64Process);

    PrintError("Neither IsWow64Process nor IsWow64Process2 was found!");
    return PACKAGE_ARCH_X86;
}
