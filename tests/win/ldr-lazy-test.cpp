/** @file
 * Lazily bound system functions in the process: the tables' layout, one load
 * and one look-up per function, arguments, results and the stack kept exactly
 * as stdcall promises, also on the call that binds.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <winver.h>
#include <string>
#include <vector>
#include <rt/err.h>
#include <rt/ldr.h>
#include "internal/ldr-win.h"

/* The slots of the runtime's tables, by the names callers reach them with. */
#define LAZY_SLOT(a_Name, a_cbArgs) extern "C" void *g_pvSlot##a_Name __asm__("__imp__" #a_Name "@" #a_cbArgs);
LAZY_SLOT(MsiInstallProductW, 8)
LAZY_SLOT(MsiEnableLogW, 12)
LAZY_SLOT(MsiSetInternalUI, 8)
LAZY_SLOT(CertCreateCertificateContext, 12)
LAZY_SLOT(CertOpenStore, 20)
LAZY_SLOT(CertFreeCertificateContext, 4)
LAZY_SLOT(CertAddCertificateContextToStore, 16)
LAZY_SLOT(CertCloseStore, 8)
LAZY_SLOT(WSASetLastError, 4)
LAZY_SLOT(WSAGetLastError, 0)
LAZY_SLOT(MessageBoxW, 16)
LAZY_SLOT(MessageBoxA, 16)
LAZY_SLOT(GetDesktopWindow, 0)
LAZY_SLOT(CommandLineToArgvW, 8)
LAZY_SLOT(SHFileOperationW, 4)
LAZY_SLOT(InitCommonControlsEx, 4)
LAZY_SLOT(GdipAlloc, 4)
LAZY_SLOT(GdipFree, 4)
LAZY_SLOT(GdiplusStartup, 12)
LAZY_SLOT(GdiplusShutdown, 4)
LAZY_SLOT(GdipLoadImageFromStream, 8)
LAZY_SLOT(GdipLoadImageFromStreamICM, 8)
LAZY_SLOT(GdipCloneImage, 8)
LAZY_SLOT(GdipDisposeImage, 4)
LAZY_SLOT(GdipCreateFromHDC, 8)
LAZY_SLOT(GdipDeleteGraphics, 4)
LAZY_SLOT(GdipDrawImageRectI, 24)
LAZY_SLOT(GdipGetImageWidth, 8)
LAZY_SLOT(GdipGetImageHeight, 8)
LAZY_SLOT(GdipCloneBrush, 8)
LAZY_SLOT(GdipDeleteBrush, 4)
LAZY_SLOT(GdipCreateSolidFill, 8)
LAZY_SLOT(GdipFillEllipseI, 24)
LAZY_SLOT(GdipGraphicsClear, 8)
LAZY_SLOT(GetFileVersionInfoSizeW, 8)
#undef LAZY_SLOT

extern "C" RTLDRLAZYTABLE g_rtldrLazyMSI, g_rtldrLazyCRYPT32, g_rtldrLazyWS2_32, g_rtldrLazyUSER32, g_rtldrLazySHELL32,
    g_rtldrLazyCOMCTL32, g_rtldrLazyGDIPLUS, g_rtldrLazyTESTVERSION;

/* The entry points, for calls that do not go through the slot. */
extern "C" void rtTestEntryGetDesktopWindow(void) __asm__("_GetDesktopWindow@0");
extern "C" void rtTestEntryCommandLineToArgvW(void) __asm__("_CommandLineToArgvW@8");

extern "C" uint32_t rtTestCallStdcall(void *pfn, const uint32_t *pau32Args, uint32_t cArgs, int32_t *pcbStackDelta);

namespace
{

/** The word after the zero word that ends the slots of @a pTable. */
RTLDRMOD moduleSlot(RTLDRLAZYTABLE *pTable)
{
    void *volatile *ppv = pTable->apvSlots;
    while (*ppv)
        ppv++;
    return (RTLDRMOD)ppv[1];
}

TEST(LdrLazy, TablesInSlotOrder)
{
    struct
    {
        RTLDRLAZYTABLE *pTable;
        const char *pszLibrary;
        std::vector<void **> Slots;
    } const aTables[] = {
        {&g_rtldrLazyMSI, "MSI.DLL", {&g_pvSlotMsiInstallProductW, &g_pvSlotMsiEnableLogW, &g_pvSlotMsiSetInternalUI}},
        {&g_rtldrLazyCRYPT32,
         "CRYPT32.DLL",
         {&g_pvSlotCertCreateCertificateContext, &g_pvSlotCertOpenStore, &g_pvSlotCertFreeCertificateContext,
          &g_pvSlotCertAddCertificateContextToStore, &g_pvSlotCertCloseStore}},
        {&g_rtldrLazyWS2_32, "WS2_32.DLL", {&g_pvSlotWSASetLastError, &g_pvSlotWSAGetLastError}},
        {&g_rtldrLazyUSER32, "USER32.DLL", {&g_pvSlotMessageBoxW, &g_pvSlotMessageBoxA, &g_pvSlotGetDesktopWindow}},
        {&g_rtldrLazySHELL32, "SHELL32.DLL", {&g_pvSlotCommandLineToArgvW, &g_pvSlotSHFileOperationW}},
        {&g_rtldrLazyCOMCTL32, "COMCTL32.DLL", {&g_pvSlotInitCommonControlsEx}},
        {&g_rtldrLazyGDIPLUS,
         "GDIPLUS.DLL",
         {&g_pvSlotGdipAlloc, &g_pvSlotGdipFree, &g_pvSlotGdiplusStartup, &g_pvSlotGdiplusShutdown,
          &g_pvSlotGdipLoadImageFromStream, &g_pvSlotGdipLoadImageFromStreamICM, &g_pvSlotGdipCloneImage,
          &g_pvSlotGdipDisposeImage, &g_pvSlotGdipCreateFromHDC, &g_pvSlotGdipDeleteGraphics,
          &g_pvSlotGdipDrawImageRectI, &g_pvSlotGdipGetImageWidth, &g_pvSlotGdipGetImageHeight, &g_pvSlotGdipCloneBrush,
          &g_pvSlotGdipDeleteBrush, &g_pvSlotGdipCreateSolidFill, &g_pvSlotGdipFillEllipseI,
          &g_pvSlotGdipGraphicsClear}},
    };
    /* The tables follow each other in this order, each right after the previous one's module slot. */
    void *const *ppvNextTable = NULL;
    for (const auto &t : aTables)
    {
        if (ppvNextTable)
        {
            EXPECT_EQ((void *)ppvNextTable, (void *)t.pTable) << t.pszLibrary;
        }
        EXPECT_STREQ(t.pszLibrary, t.pTable->pszLibrary);
        for (size_t i = 0; i < t.Slots.size(); i++)
        {
            EXPECT_EQ((void *)&t.pTable->apvSlots[i], (void *)t.Slots[i]) << t.pszLibrary << " slot " << i;
            EXPECT_NE(nullptr, t.pTable->apvSlots[i]) << t.pszLibrary << " slot " << i;
        }
        EXPECT_EQ(nullptr, t.pTable->apvSlots[t.Slots.size()]) << t.pszLibrary << ": the zero word ends the slots";
        ppvNextTable = (void *const *)&t.pTable->apvSlots[t.Slots.size() + 2];
    }
}

/** Counts the loader's loads and look-ups. */
struct Count
{
    static unsigned s_cLoads, s_cLookUps;
    static HMODULE WINAPI loadLibraryExW(LPCWSTR pwszPath, HANDLE hFile, DWORD fFlags)
    {
        s_cLoads++;
        return LoadLibraryExW(pwszPath, hFile, fFlags);
    }
    static FARPROC WINAPI getProcAddress(HMODULE hMod, LPCSTR pszName)
    {
        /* The loader's own look-up of the redirection entry point is no function binding. */
        if (strcmp(pszName, "RtlDosApplyFileIsolationRedirection_Ustr") != 0)
            s_cLookUps++;
        return GetProcAddress(hMod, pszName);
    }
};
unsigned Count::s_cLoads, Count::s_cLookUps;

class LdrLazyCalls : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Count::s_cLoads = Count::s_cLookUps = 0;
        g_rtSeamsLdr.pfnLoadLibraryExW = Count::loadLibraryExW;
        g_rtSeamsLdr.pfnGetProcAddress = Count::getProcAddress;
    }
};

TEST_F(LdrLazyCalls, OneLoadAndOneLookUpPerFunction)
{
    /* The table is this test's own, so the calls below are its first ones. */
    void *const pvStub = g_rtldrLazyTESTVERSION.apvSlots[0];
    ASSERT_EQ(NIL_RTLDRMOD, moduleSlot(&g_rtldrLazyTESTVERSION)) << "the test ran before in this process";
    WCHAR wszKernel32[MAX_PATH];
    GetSystemDirectoryW(wszKernel32, MAX_PATH);
    lstrcatW(wszKernel32, L"\\kernel32.dll");

    DWORD uHandle = 1;
    DWORD const cbInfo = GetFileVersionInfoSizeW(wszKernel32, &uHandle);
    EXPECT_NE(0u, cbInfo);
    EXPECT_EQ(0u, uHandle);
    EXPECT_EQ(1u, Count::s_cLoads);
    EXPECT_EQ(1u, Count::s_cLookUps);
    RTLDRMOD const hLdrMod = moduleSlot(&g_rtldrLazyTESTVERSION);
    ASSERT_NE(NIL_RTLDRMOD, hLdrMod);
    HMODULE const hVersion = (HMODULE)RTLdrGetNativeHandle(hLdrMod);
    EXPECT_EQ(GetModuleHandleW(L"version.dll"), hVersion);
    EXPECT_NE(pvStub, g_pvSlotGetFileVersionInfoSizeW);
    EXPECT_EQ((void *)GetProcAddress(hVersion, "GetFileVersionInfoSizeW"), g_pvSlotGetFileVersionInfoSizeW);

    /* Again: straight to the system. */
    EXPECT_EQ(cbInfo, GetFileVersionInfoSizeW(wszKernel32, &uHandle));
    EXPECT_EQ(1u, Count::s_cLoads);
    EXPECT_EQ(1u, Count::s_cLookUps);

    /* Another function of the loaded library: its own look-up, no load. */
    std::vector<char> abInfo(cbInfo);
    EXPECT_TRUE(GetFileVersionInfoW(wszKernel32, 0, cbInfo, abInfo.data()));
    EXPECT_EQ(1u, Count::s_cLoads);
    EXPECT_EQ(2u, Count::s_cLookUps);
    EXPECT_TRUE(GetFileVersionInfoW(wszKernel32, 0, cbInfo, abInfo.data()));
    EXPECT_EQ(2u, Count::s_cLookUps);
    EXPECT_EQ(hLdrMod, moduleSlot(&g_rtldrLazyTESTVERSION));
}

TEST_F(LdrLazyCalls, ArgumentsResultsAndStackInALoop)
{
    /* The expected answers come from the libraries themselves. */
    HMODULE const hUser32 = LoadLibraryW(L"user32.dll");
    HMODULE const hShell32 = LoadLibraryW(L"shell32.dll");
    ASSERT_NE(nullptr, hUser32);
    ASSERT_NE(nullptr, hShell32);
    typedef HWND(WINAPI * PFNGETDESKTOPWINDOW)(void);
    HWND const hwndDesktop = ((PFNGETDESKTOPWINDOW)(void *)GetProcAddress(hUser32, "GetDesktopWindow"))();
    ASSERT_NE(nullptr, hwndDesktop);

    static const WCHAR s_wszCmdLine[] = L"prog.exe first \"second arg\" third";
    for (unsigned i = 0; i < 2000; i++)
    {
        /* Through the entry points (the first round binds), with the stack measured. */
        int32_t cbDelta = 1;
        uint32_t const uDesktop = rtTestCallStdcall((void *)rtTestEntryGetDesktopWindow, NULL, 0, &cbDelta);
        ASSERT_EQ((uint32_t)(uintptr_t)hwndDesktop, uDesktop) << "round " << i;
        ASSERT_EQ(0, cbDelta) << "GetDesktopWindow, round " << i;

        int cArgs = -1;
        uint32_t const au32Args[] = {(uint32_t)(uintptr_t)s_wszCmdLine, (uint32_t)(uintptr_t)&cArgs};
        cbDelta = 1;
        LPWSTR *papwszArgs =
            (LPWSTR *)(uintptr_t)rtTestCallStdcall((void *)rtTestEntryCommandLineToArgvW, au32Args, 2, &cbDelta);
        ASSERT_EQ(0, cbDelta) << "CommandLineToArgvW, round " << i;
        ASSERT_NE(nullptr, papwszArgs) << "round " << i;
        ASSERT_EQ(4, cArgs) << "round " << i;
        ASSERT_STREQ(L"second arg", papwszArgs[2]) << "round " << i;
        ASSERT_STREQ(L"third", papwszArgs[3]) << "round " << i;
        LocalFree(papwszArgs);

        /* And as C++ calls them: through the slot. */
        ASSERT_EQ(hwndDesktop, GetDesktopWindow());
        papwszArgs = CommandLineToArgvW(L"a b", &cArgs);
        ASSERT_EQ(2, cArgs);
        LocalFree(papwszArgs);
    }
    EXPECT_EQ((void *)GetProcAddress(hUser32, "GetDesktopWindow"), g_pvSlotGetDesktopWindow);
    EXPECT_EQ((void *)GetProcAddress(hShell32, "CommandLineToArgvW"), g_pvSlotCommandLineToArgvW);
    EXPECT_EQ(2u, Count::s_cLookUps) << "one per function, however often called";
}

} // namespace
