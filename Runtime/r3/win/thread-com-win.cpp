/** @file
 * COM for created threads: the apartment set up before the thread function
 * runs, and the balancing of COM and OLE initialisations the function left
 * open, so a thread never ends with its apartment still registered.
 *
 * CoInitializeEx and OleUninitialize are looked up in ole32 (already loaded:
 * the runtime imports CoUninitialize from it) the first time a thread needs
 * them.
 */
#include <windows.h>
#include <rt/thread.h>
#include "internal/thread-win.h"
#include "internal/seam.h"

/* Imported from ole32; the COM headers are left out so that the looked-up
   OleUninitialize below can carry the call's own name. */
extern "C" __declspec(dllimport) void WINAPI CoUninitialize(void);

namespace
{

typedef HRESULT(WINAPI *PFNCOINITIALIZEEX)(void *pvReserved, DWORD fCoInit);
typedef void(WINAPI *PFNOLEUNINITIALIZE)(void);

PFNCOINITIALIZEEX volatile g_pfnCoInitializeEx = NULL;
PFNOLEUNINITIALIZE volatile g_pfnOleUninitialize = NULL;
bool volatile g_fOle32Resolved = false;

/** COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY. */
DWORD const g_fCoInitMta = 0x0 | 0x4 | 0x8;
/** COINIT_APARTMENTTHREADED | COINIT_SPEED_OVER_MEMORY. */
DWORD const g_fCoInitSta = 0x2 | 0x8;

/** Where COM keeps its per-thread record: TEB::ReservedForOle. */
size_t const g_offTebReservedForOle = 0xF80;
/** Offsets of the open COM and OLE initialisation counts in that record:
 * Windows keeps them at 0x18 and 0x1C; Wine's record has one field less before
 * them. The record is undocumented, so the plausibility checks stay in force. */
size_t const g_offComInitsWindows = 0x18;
size_t const g_offComInitsWine = 0x14;
/** The OLE count follows the COM count. */
size_t const g_offOleAfterCom = 4;
/** 0 until resolved, then the COM count's offset. */
size_t volatile g_offComInits = 0;
/** Counts this high mean the record is not what we think it is. */
uint32_t const g_cImplausibleInits = 1000;

size_t rtThreadComInitsOffset(void)
{
    size_t off = __atomic_load_n(&g_offComInits, __ATOMIC_ACQUIRE);
    if (off == 0)
    {
        HMODULE hNtDll = GetModuleHandleW(L"ntdll.dll");
        bool const fWine = hNtDll && GetProcAddress(hNtDll, "wine_get_version") != NULL;
        off = fWine ? g_offComInitsWine : g_offComInitsWindows;
        __atomic_store_n(&g_offComInits, off, __ATOMIC_RELEASE);
    }
    return off;
}

void rtThreadComResolveOle32(void)
{
    if (__atomic_load_n(&g_fOle32Resolved, __ATOMIC_ACQUIRE))
        return;
    HMODULE hOle32 = GetModuleHandleW(L"ole32.dll");
    if (hOle32)
    {
        __atomic_store_n(&g_pfnCoInitializeEx,
                         (PFNCOINITIALIZEEX)(void (*)(void))GetProcAddress(hOle32, "CoInitializeEx"), __ATOMIC_RELEASE);
        __atomic_store_n(&g_pfnOleUninitialize,
                         (PFNOLEUNINITIALIZE)(void (*)(void))GetProcAddress(hOle32, "OleUninitialize"),
                         __ATOMIC_RELEASE);
    }
    __atomic_store_n(&g_fOle32Resolved, true, __ATOMIC_RELEASE);
}

/** The looked-up OleUninitialize under the name the seams use. */
void WINAPI OleUninitialize(void)
{
    PFNOLEUNINITIALIZE pfn = __atomic_load_n(&g_pfnOleUninitialize, __ATOMIC_ACQUIRE);
    if (pfn)
        pfn();
}

} // namespace

bool rtThreadComInit(uint32_t fFlags)
{
    if (!(fFlags & (RTTHREADCREATE_F_COM_MTA | RTTHREADCREATE_F_COM_STA)))
        return false;
    rtThreadComResolveOle32();
    PFNCOINITIALIZEEX pfnCoInitializeEx = __atomic_load_n(&g_pfnCoInitializeEx, __ATOMIC_ACQUIRE);
    if (!pfnCoInitializeEx)
        return false;
    HRESULT hrc = pfnCoInitializeEx(NULL, fFlags & RTTHREADCREATE_F_COM_MTA ? g_fCoInitMta : g_fCoInitSta);
    return SUCCEEDED(hrc);
}

void rtThreadComUninit(void)
{
    RT_SEAM(g_rtSeamsThreadWin, CoUninitialize)();
}

void rtThreadComGetCounts(uint32_t *pcComInits, uint32_t *pcOleInits)
{
    /* The thread environment block is at FS:0 (32-bit). */
    uint8_t const *pbOleTls;
    __asm__ __volatile__("movl %%fs:%c1, %0" : "=r"(pbOleTls) : "i"(g_offTebReservedForOle));
    size_t const offComInits = rtThreadComInitsOffset();
    *pcComInits = pbOleTls ? *(uint32_t const *)(pbOleTls + offComInits) : 0;
    *pcOleInits = pbOleTls ? *(uint32_t const *)(pbOleTls + offComInits + g_offOleAfterCom) : 0;
}

void rtThreadComBalance(void)
{
    uint32_t cComInits = 0;
    uint32_t cOleInits = 0;
    rtThreadComGetCounts(&cComInits, &cOleInits);
    if (cComInits >= g_cImplausibleInits || cOleInits >= g_cImplausibleInits || cComInits < cOleInits || cComInits == 0)
        return;
    if (cOleInits > 0)
    {
        rtThreadComResolveOle32();
        for (uint32_t i = 0; i < cOleInits; i++)
            RT_SEAM(g_rtSeamsThreadWin, OleUninitialize)();
        rtThreadComGetCounts(&cComInits, &cOleInits);
        if (cComInits >= g_cImplausibleInits)
            return;
    }
    for (uint32_t i = 0; i < cComInits; i++)
        RT_SEAM(g_rtSeamsThreadWin, CoUninitialize)();
}
