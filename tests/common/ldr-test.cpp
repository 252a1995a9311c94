/** @file
 * The loader's checks before anything is loaded, and the life of module
 * handles: validation, symbol look-up, the native handle, closing.
 */
#include <gtest/gtest.h>
#include <string>
#include <rt/err.h>
#include <rt/ldr.h>
#include <rt/mem.h>
#include <rt/string.h>
#include "internal/ldr.h"
#include "support/alloc-failure.h"

namespace
{

RTLDRMOD const g_hGarbage = (RTLDRMOD)(uintptr_t)0x5a5a5a50;

TEST(LdrSystemLibrary, RefusedNames)
{
    std::string const strLong(3075, 'a');
    struct
    {
        const char *pszName;
        uint32_t fFlags;
        int rcExpected;
    } const aCases[] = {
        {NULL, 0, ERR_INVALID_PARAMETER},
        {(const char *)(uintptr_t)0x10, 0, ERR_INVALID_PARAMETER},
        {"", 0, ERR_INVALID_PARAMETER},
        {"sub/msi.dll", 0, ERR_INVALID_PARAMETER},
        {"..\\msi.dll", 0, ERR_INVALID_PARAMETER},
        {"C:msi.dll", 0, ERR_INVALID_PARAMETER},
        {"msi.dll:stream", 0, ERR_INVALID_PARAMETER},
        {"\\\\server\\share\\msi.dll", 0, ERR_INVALID_PARAMETER},
        {strLong.c_str(), 0, ERR_INVALID_PARAMETER},
        /* The name is judged before the flags. */
        {"a/b", 0x10, ERR_INVALID_PARAMETER},
        {"msi", 0x10, ERR_INVALID_FLAGS},
        {"msi", 0x800, ERR_INVALID_FLAGS},
        {"msi", 0xff0, ERR_INVALID_FLAGS},
        /* Flags are judged before the length. */
        {strLong.c_str(), 0x20, ERR_INVALID_FLAGS},
    };
    for (const auto &c : aCases)
    {
        RTLDRMOD hLdrMod = g_hGarbage;
        EXPECT_EQ(c.rcExpected, RTLdrOpenSystemLibraryEx(c.pszName, c.fFlags, &hLdrMod))
            << (RT_VALID_PTR(c.pszName) ? std::string(c.pszName).substr(0, 40) : "bad pointer") << " flags "
            << c.fFlags;
        EXPECT_EQ(NIL_RTLDRMOD, hLdrMod) << "the handle is cleared before the checks";
        EXPECT_EQ(nullptr, RTLdrFindSystemSymbol(c.pszName, "Function"));
    }
    /* One byte shorter is a name the loader tries (and does not find). */
    std::string const strLongest(3074, 'a');
    RTLDRMOD hLdrMod = g_hGarbage;
    int const rc = RTLdrOpenSystemLibraryEx(strLongest.c_str(), 0, &hLdrMod);
    EXPECT_NE(ERR_INVALID_PARAMETER, rc);
    EXPECT_TRUE(RT_FAILURE(rc));
    EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);
}

TEST(LdrSystemLibrary, BadHandlePointer)
{
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTLdrOpenSystemLibraryEx("msi", 0, NULL));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTLdrOpenSystemLibrary("msi", true, (PRTLDRMOD)(uintptr_t)0x20));
}

TEST(LdrOpenFile, Arguments)
{
    char szMsg[128];
    RTERRINFO ErrInfo;
    RTErrInfoInit(&ErrInfo, szMsg, sizeof(szMsg));
    RTErrInfoSet(&ErrInfo, ERR_GENERAL_FAILURE, "left over");
    RTLDRMOD hLdrMod = g_hGarbage;
    EXPECT_EQ(ERR_INVALID_POINTER, RTLdrOpenFile(NULL, &hLdrMod, 0, &ErrInfo));
    EXPECT_EQ(0, ErrInfo.rc) << "cleared before the checks";
    EXPECT_EQ(nullptr, ErrInfo.pszMsg);
    EXPECT_EQ(ERR_INVALID_POINTER, RTLdrOpenFile("C:\\x.dll", NULL, 0, NULL));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTLdrOpenFile("C:\\x.dll", &hLdrMod, 0x10, NULL));
    EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);
}

TEST(LdrOpenFile, NoMemoryForTheRecord)
{
    char szMsg[128];
    RTERRINFO ErrInfo;
    RTErrInfoInit(&ErrInfo, szMsg, sizeof(szMsg));
    RTLDRMOD hLdrMod = g_hGarbage;
    int rc;
    {
        tst::AllocationFailures NoMemory(0);
        rc = RTLdrOpenFile("C:\\x.dll", &hLdrMod, 0, &ErrInfo);
    }
    EXPECT_EQ(ERR_NO_MEMORY, rc);
    EXPECT_EQ(ERR_NO_MEMORY, ErrInfo.rc);
    std::string const strExpected =
        "Failed to allocate " + std::to_string(sizeof(RTLDRMODINTERNAL)) + " bytes for the module handle";
    EXPECT_EQ(strExpected, ErrInfo.pszMsg);
    EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);
}

/*
 * Module records: a fake kind of image whose operations count their calls.
 */

struct FakeOps
{
    static unsigned s_cCloses, s_cGetSymbols, s_cGetSymbolExs;
    static int closeOp(PRTLDRMODINTERNAL pMod)
    {
        s_cCloses++;
        pMod->hNative = NIL_RTLDRMOD_NATIVE;
        return ERR_ACCESS_DENIED; /* ignored by RTLdrCloseModule */
    }
    static int getSymbolOp(PRTLDRMODINTERNAL, const char *pszSymbol, void **ppvValue)
    {
        s_cGetSymbols++;
        *ppvValue = (void *)pszSymbol;
        return RTStrICmpAscii(pszSymbol, "missing") ? INF_SUCCESS : ERR_SYMBOL_NOT_FOUND;
    }
    static int getSymbolExOp(PRTLDRMODINTERNAL, const char *pszSymbol, uint32_t iOrdinal, void **ppvValue)
    {
        s_cGetSymbolExs++;
        *ppvValue = iOrdinal == UINT32_MAX ? (void *)pszSymbol : NULL;
        return INF_SUCCESS;
    }
    static int doneOp(PRTLDRMODINTERNAL) { return INF_SUCCESS; }
    static int enumOp(PRTLDRMODINTERNAL, void *) { return ERR_REQUEST_NOT_SUPPORTED; }
};
unsigned FakeOps::s_cCloses, FakeOps::s_cGetSymbols, FakeOps::s_cGetSymbolExs;

const RTLDROPS g_FakeOps = {"fake", FakeOps::closeOp,   FakeOps::getSymbolOp, FakeOps::doneOp, FakeOps::enumOp, NULL,
                            {},     RTLDROPS_END_MARKER};
const RTLDROPS g_FakeOpsExOnly = {"fake-ex",       FakeOps::closeOp,       NULL, FakeOps::doneOp,
                                  FakeOps::enumOp, FakeOps::getSymbolExOp, {},   RTLDROPS_END_MARKER};

class LdrModule : public ::testing::Test
{
  protected:
    void SetUp() override { FakeOps::s_cCloses = FakeOps::s_cGetSymbols = FakeOps::s_cGetSymbolExs = 0; }

    /** An open record as RTLdrOpenFile makes them, with @a pOps. */
    static RTLDRMOD newModule(const RTLDROPS *pOps, uintptr_t hNative = 0x1234)
    {
        PRTLDRMODINTERNAL pMod = (PRTLDRMODINTERNAL)RTMemAllocZTag(sizeof(*pMod), RTMEM_TAG);
        pMod->u32Magic = RTLDRMOD_MAGIC;
        pMod->enmState = RTLDRSTATE_OPENED;
        pMod->pOps = pOps;
        pMod->enmFormat = RTLDRFMT_NATIVE;
        pMod->hNative = hNative;
        return pMod;
    }
};

TEST_F(LdrModule, LookUp)
{
    RTLDRMOD hLdrMod = newModule(&g_FakeOps);
    void *pv = NULL;
    EXPECT_EQ(INF_SUCCESS, RTLdrLookupSymbol(hLdrMod, "Func", &pv));
    EXPECT_STREQ("Func", (const char *)pv);
    EXPECT_EQ(ERR_SYMBOL_NOT_FOUND, RTLdrLookupSymbol(hLdrMod, "missing", &pv));
    EXPECT_EQ(nullptr, RTLdrLookupFunction(hLdrMod, "missing"));
    EXPECT_STREQ("Other", (const char *)RTLdrLookupFunction(hLdrMod, "Other"));
    EXPECT_EQ(4u, FakeOps::s_cGetSymbols);

    /* Arguments are checked before the operation runs. */
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTLdrLookupSymbol(hLdrMod, NULL, &pv));
    EXPECT_EQ(ERR_INVALID_POINTER, RTLdrLookupSymbol(hLdrMod, "Func", NULL));
    EXPECT_EQ(ERR_INVALID_POINTER, RTLdrLookupSymbol(hLdrMod, "Func", (void **)(uintptr_t)0x30));
    EXPECT_EQ(nullptr, RTLdrLookupFunction(hLdrMod, NULL));
    EXPECT_EQ(4u, FakeOps::s_cGetSymbols);
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
}

TEST_F(LdrModule, LookUpThroughTheExtendedOperation)
{
    RTLDRMOD hLdrMod = newModule(&g_FakeOpsExOnly);
    EXPECT_STREQ("Func", (const char *)RTLdrLookupFunction(hLdrMod, "Func"));
    EXPECT_EQ(1u, FakeOps::s_cGetSymbolExs);
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
}

TEST_F(LdrModule, BadHandles)
{
    RTLDRMODINTERNAL Mod = RTLDRMODINTERNAL();
    Mod.pOps = &g_FakeOps;
    Mod.enmState = RTLDRSTATE_OPENED;
    Mod.u32Magic = RTLDRMOD_MAGIC + 1; /* as a closed record leaves it */
    RTLDRMODINTERNAL WrongState = Mod;
    WrongState.u32Magic = RTLDRMOD_MAGIC;
    WrongState.enmState = RTLDRSTATE_INVALID;
    RTLDRMOD const ahBad[] = {&Mod, &WrongState, (RTLDRMOD)(uintptr_t)0x40, (RTLDRMOD)(UINTPTR_MAX - 0x10)};
    for (RTLDRMOD hBad : ahBad)
    {
        void *pv = (void *)&pv;
        EXPECT_EQ(ERR_INVALID_HANDLE, RTLdrLookupSymbol(hBad, "Func", &pv));
        EXPECT_EQ((void *)&pv, pv) << "untouched";
        EXPECT_EQ(nullptr, RTLdrLookupFunction(hBad, "Func"));
        EXPECT_EQ(ERR_INVALID_HANDLE, RTLdrCloseModule(hBad));
        EXPECT_EQ(NIL_RTLDRMOD_NATIVE, RTLdrGetNativeHandle(hBad));
    }
    EXPECT_EQ(0u, FakeOps::s_cCloses + FakeOps::s_cGetSymbols);
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(NIL_RTLDRMOD));
    EXPECT_EQ(NIL_RTLDRMOD_NATIVE, RTLdrGetNativeHandle(NIL_RTLDRMOD));
}

TEST_F(LdrModule, NativeHandleOnlyOfNativeModules)
{
    RTLDRMOD hFake = newModule(&g_FakeOps, 0x1234);
    RTLDRMOD hNative = newModule(&g_rtldrNativeOps, 0x5678);
    EXPECT_EQ(NIL_RTLDRMOD_NATIVE, RTLdrGetNativeHandle(hFake));
    EXPECT_EQ((uintptr_t)0x5678, RTLdrGetNativeHandle(hNative));
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hFake));
    /* The native record is not closed: its handle is no library. */
    RTMemFree(hNative);
}

TEST_F(LdrModule, CloseIgnoresTheOperationsFailure)
{
    RTLDRMOD hLdrMod = newModule(&g_FakeOps);
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
    EXPECT_EQ(1u, FakeOps::s_cCloses);
}

} // namespace
