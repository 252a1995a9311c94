/** @file
 * Host-architecture detection: the answers of both system calls injected
 * through the entry-point lookup, and the real answer of this system.
 */
#include "support/stub-capture.h"
#include "TarnStubHostArch-win.h"
#include "TarnStubHostArch.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

/** What the injected kernel32 offers and answers. */
struct ArchCase
{
    const char *pszName;
    bool fHaveNew;   /* IsWow64Process2 exists */
    bool fHaveOld;   /* IsWow64Process exists */
    BOOL fCallOk;    /* the call that is made succeeds */
    DWORD dwError;   /* last error when it fails */
    USHORT uNative;  /* IsWow64Process2: native machine */
    USHORT uProcess; /* IsWow64Process2: process machine */
    BOOL fWow64;     /* IsWow64Process: the flag */
    uint32_t uExpected;
    const char *pszStdErr;
};

const ArchCase *g_pCase;
int g_cNewCalls;
int g_cOldCalls;
bool g_fArgsAsPromised;

BOOL WINAPI fakeIsWow64Process2(HANDLE hProcess, USHORT *puProcess, USHORT *puNative)
{
    g_cNewCalls++;
    g_fArgsAsPromised = hProcess == GetCurrentProcess() && *puProcess == 0 && *puNative == 0;
    if (!g_pCase->fCallOk)
    {
        SetLastError(g_pCase->dwError);
        return FALSE;
    }
    *puProcess = g_pCase->uProcess;
    *puNative = g_pCase->uNative;
    return TRUE;
}

BOOL WINAPI fakeIsWow64Process(HANDLE hProcess, BOOL *pfWow64)
{
    g_cOldCalls++;
    g_fArgsAsPromised = hProcess == GetCurrentProcess() && *pfWow64 == TRUE;
    if (!g_pCase->fCallOk)
    {
        SetLastError(g_pCase->dwError);
        return FALSE;
    }
    *pfWow64 = g_pCase->fWow64;
    return TRUE;
}

FARPROC WINAPI fakeGetProcAddress(HMODULE hmod, LPCSTR pszName)
{
    EXPECT_EQ(GetModuleHandleW(L"kernel32.dll"), hmod);
    if (strcmp(pszName, "IsWow64Process2") == 0)
        return g_pCase->fHaveNew ? (FARPROC)(void *)fakeIsWow64Process2 : NULL;
    if (strcmp(pszName, "IsWow64Process") == 0)
        return g_pCase->fHaveOld ? (FARPROC)(void *)fakeIsWow64Process : NULL;
    ADD_FAILURE() << "unexpected lookup of " << pszName;
    return NULL;
}

const ArchCase g_aCases[] = {
    {"x86-64", true, true, TRUE, 0, 0x8664, 0x014c, FALSE, PACKAGE_ARCH_AMD64, ""},
    {"arm64", true, true, TRUE, 0, 0xaa64, 0x014c, FALSE, PACKAGE_ARCH_ARM64, ""},
    {"x86 native", true, true, TRUE, 0, 0x014c, 0, FALSE, PACKAGE_ARCH_X86, ""},
    {"unknown machine", true, true, TRUE, 0, 0x0200, 0x014c, TRUE, PACKAGE_ARCH_X86,
     "error: IsWow64Process2 return unknown host machine value: 0x200 (wow machine 0x14c)\n"},
    {"newer call fails", true, true, FALSE, 5, 0x8664, 0x014c, TRUE, PACKAGE_ARCH_X86,
     "error: IsWow64Process2 failed: 5\n"},
    {"only older, wow64", false, true, TRUE, 0, 0, 0, TRUE, PACKAGE_ARCH_AMD64, ""},
    {"only older, native x86", false, true, TRUE, 0, 0, 0, FALSE, PACKAGE_ARCH_X86, ""},
    {"only older, fails", false, true, FALSE, 6, 0, 0, TRUE, PACKAGE_ARCH_X86, "error: IsWow64Process failed: 6\n\n"},
    {"neither", false, false, TRUE, 0, 0, 0, FALSE, PACKAGE_ARCH_X86,
     "error: Neither IsWow64Process nor IsWow64Process2 was found!\n"},
};

class StubHostArchTest : public StubCaptureTest
{
};

TEST_F(StubHostArchTest, InjectedAnswers)
{
    for (const ArchCase &Case : g_aCases)
    {
        SCOPED_TRACE(Case.pszName);
        g_pCase = &Case;
        g_cNewCalls = g_cOldCalls = 0;
        g_fArgsAsPromised = false;
        m_strStdErr.clear();
        g_StubSeamsHostArch.pfnGetProcAddress = fakeGetProcAddress;

        EXPECT_EQ(Case.uExpected, DetectHostArch());
        EXPECT_EQ(Case.pszStdErr, m_strStdErr);
        /* The newer call decides whenever it exists; the older one is asked only without it. */
        EXPECT_EQ(Case.fHaveNew ? 1 : 0, g_cNewCalls);
        EXPECT_EQ(!Case.fHaveNew && Case.fHaveOld ? 1 : 0, g_cOldCalls);
        if (g_cNewCalls + g_cOldCalls > 0)
        {
            EXPECT_TRUE(g_fArgsAsPromised);
        }
    }
    EXPECT_EQ("", boxes());
}

TEST_F(StubHostArchTest, NothingIsCached)
{
    static const ArchCase s_Arm = {"arm64", true, false, TRUE, 0, 0xaa64, 0x014c, FALSE, PACKAGE_ARCH_ARM64, ""};
    static const ArchCase s_Neither = {"neither", false, false, TRUE, 0, 0, 0, FALSE, PACKAGE_ARCH_X86, ""};
    g_StubSeamsHostArch.pfnGetProcAddress = fakeGetProcAddress;
    g_pCase = &s_Arm;
    EXPECT_EQ(PACKAGE_ARCH_ARM64, DetectHostArch());
    g_pCase = &s_Neither;
    EXPECT_EQ(PACKAGE_ARCH_X86, DetectHostArch());
    EXPECT_EQ(PACKAGE_ARCH_X86, DetectHostArch());
    EXPECT_EQ("error: Neither IsWow64Process nor IsWow64Process2 was found!\n"
              "error: Neither IsWow64Process nor IsWow64Process2 was found!\n",
              m_strStdErr);
}

/* Wine's default prefix is a 64-bit x86 system running this 32-bit program under WoW64; a prefix made with
   WINEARCH=win32 is a 32-bit x86 system (its test run sets TARN_TEST_HOST_ARCH=x86). */
TEST_F(StubHostArchTest, RealSystem)
{
    const char *pszExpected = getenv("TARN_TEST_HOST_ARCH");
    bool const fX86 = pszExpected && strcmp(pszExpected, "x86") == 0;
    EXPECT_EQ(fX86 ? PACKAGE_ARCH_X86 : PACKAGE_ARCH_AMD64, DetectHostArch());
    EXPECT_EQ("", m_strStdErr);
}

} // namespace
