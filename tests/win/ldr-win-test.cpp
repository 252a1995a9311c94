/** @file
 * System libraries under Windows: where a bare name is looked for, loading by
 * path with its flags and fall-backs, the side-by-side redirection's answers,
 * symbol look-up and closing. The system calls of the loader are watched (and
 * where needed replaced) through its seams.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>
#include <string>
#include <vector>
#include <rt/err.h>
#include <rt/ldr.h>
#include <rt/mem.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/ldr-win.h"

extern "C" BOOLEAN NTAPI RtlCreateUnicodeString(UNICODE_STRING *pDst, PCWSTR pwszSrc);

namespace
{

std::wstring systemDirectory()
{
    WCHAR wsz[MAX_PATH];
    UINT cwc = GetSystemDirectoryW(wsz, MAX_PATH);
    return std::wstring(wsz, cwc);
}

std::string toUtf8(const std::wstring &wstr)
{
    char *psz = NULL;
    if (RT_FAILURE(RTUtf16ToUtf8Ex((const RTUTF16 *)wstr.c_str(), RTSTR_MAX, &psz, 0, NULL, RTMEM_TAG)))
        return std::string();
    std::string str(psz);
    RTStrFree(psz);
    return str;
}

std::wstring modulePath(HMODULE hMod)
{
    WCHAR wsz[MAX_PATH];
    DWORD cwc = GetModuleFileNameW(hMod, wsz, MAX_PATH);
    return std::wstring(wsz, cwc);
}

bool equalNoCase(const std::wstring &wstr1, const std::wstring &wstr2)
{
    return CompareStringOrdinal(wstr1.c_str(), -1, wstr2.c_str(), -1, TRUE) == CSTR_EQUAL;
}

/** What the loader asked of the system, and how the replacements answer. */
struct Watch
{
    static unsigned s_cGetSystemDirectory, s_cQueryInfo, s_cGetProcAddress, s_cFreeLibrary, s_cRedirectionLookUps;
    static std::vector<std::wstring> s_LoadPaths;
    static std::vector<DWORD> s_LoadFlags;
    /** Non-zero: the next loads with the restricted search flags fail with this error. */
    static DWORD s_uSearchFlagsError;
    /** Non-null: what GetProcAddress returns for the redirection entry point. */
    static FARPROC s_pfnRedirection;
    /** Set: GetSystemDirectoryW answers s_cwcSystemDir with s_uSystemDirError as the last error. */
    static bool s_fFakeSystemDir;
    static UINT s_cwcSystemDir;
    static DWORD s_uSystemDirError;

    static void reset()
    {
        s_cGetSystemDirectory = s_cQueryInfo = s_cGetProcAddress = s_cFreeLibrary = s_cRedirectionLookUps = 0;
        s_LoadPaths.clear();
        s_LoadFlags.clear();
        s_uSearchFlagsError = 0;
        s_pfnRedirection = NULL;
        s_fFakeSystemDir = false;
    }

    static UINT WINAPI getSystemDirectoryW(LPWSTR pwsz, UINT cwc)
    {
        s_cGetSystemDirectory++;
        if (s_fFakeSystemDir)
        {
            SetLastError(s_uSystemDirError);
            return s_cwcSystemDir;
        }
        return GetSystemDirectoryW(pwsz, cwc);
    }

    static HMODULE WINAPI loadLibraryExW(LPCWSTR pwszPath, HANDLE hFile, DWORD fFlags)
    {
        s_LoadPaths.push_back(pwszPath);
        s_LoadFlags.push_back(fFlags);
        if (fFlags != 0 && s_uSearchFlagsError)
        {
            SetLastError(s_uSearchFlagsError);
            return NULL;
        }
        return LoadLibraryExW(pwszPath, hFile, fFlags);
    }

    static FARPROC WINAPI getProcAddress(HMODULE hMod, LPCSTR pszName)
    {
        if (HIWORD((uintptr_t)pszName) && !strcmp(pszName, "RtlDosApplyFileIsolationRedirection_Ustr"))
        {
            s_cRedirectionLookUps++;
            if (s_pfnRedirection)
                return s_pfnRedirection;
        }
        else
            s_cGetProcAddress++;
        return GetProcAddress(hMod, pszName);
    }

    static BOOL WINAPI freeLibrary(HMODULE hMod)
    {
        s_cFreeLibrary++;
        return FreeLibrary(hMod);
    }

    static int queryInfo(const char *pszPath, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional, uint32_t fFlags)
    {
        s_cQueryInfo++;
        return RTPathQueryInfoEx(pszPath, pObjInfo, enmAdditional, fFlags);
    }
};
unsigned Watch::s_cGetSystemDirectory, Watch::s_cQueryInfo, Watch::s_cGetProcAddress, Watch::s_cFreeLibrary,
    Watch::s_cRedirectionLookUps;
std::vector<std::wstring> Watch::s_LoadPaths;
std::vector<DWORD> Watch::s_LoadFlags;
DWORD Watch::s_uSearchFlagsError;
FARPROC Watch::s_pfnRedirection;
bool Watch::s_fFakeSystemDir;
UINT Watch::s_cwcSystemDir;
DWORD Watch::s_uSystemDirError;

class LdrWin : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Watch::reset();
        /* Start-up has loaded libraries already: the look-ups it remembered are made again under watch. */
        rtLdrSeamsForget();
        g_rtSeamsLdr.pfnGetSystemDirectoryW = Watch::getSystemDirectoryW;
        g_rtSeamsLdr.pfnLoadLibraryExW = Watch::loadLibraryExW;
        g_rtSeamsLdr.pfnGetProcAddress = Watch::getProcAddress;
        g_rtSeamsLdr.pfnFreeLibrary = Watch::freeLibrary;
        g_rtSeamsLdr.pfnRTPathQueryInfoEx = Watch::queryInfo;
        m_wstrSystemDir = systemDirectory();
        m_strSystemDir = toUtf8(m_wstrSystemDir);
    }

    std::wstring m_wstrSystemDir;
    std::string m_strSystemDir;
};

TEST_F(LdrWin, BareNameFromTheSystemDirectory)
{
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenSystemLibrary("version", false, &hLdrMod));
    ASSERT_EQ(1u, Watch::s_LoadPaths.size());
    EXPECT_EQ(m_wstrSystemDir + L"\\version.DLL", Watch::s_LoadPaths[0]) << "the name gets \".DLL\"";
    EXPECT_EQ(0u, Watch::s_LoadFlags[0]);
    HMODULE const hMod = (HMODULE)RTLdrGetNativeHandle(hLdrMod);
    EXPECT_EQ(GetModuleHandleW(L"version.dll"), hMod);
    EXPECT_TRUE(equalNoCase(m_wstrSystemDir + L"\\version.dll", modulePath(hMod))) << modulePath(hMod).c_str();
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
    EXPECT_EQ(1u, Watch::s_cFreeLibrary);

    /* A name with a suffix keeps it. */
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenSystemLibraryEx("GDIPLUS.DLL", 0, &hLdrMod));
    EXPECT_EQ(m_wstrSystemDir + L"\\GDIPLUS.DLL", Watch::s_LoadPaths.back());
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
}

TEST_F(LdrWin, KeptLoadedAfterClose)
{
    ASSERT_EQ(nullptr, GetModuleHandleW(L"msimg32.dll")) << "the test needs a library nothing else loaded";
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenSystemLibrary("msimg32", true /*fNoUnload*/, &hLdrMod));
    HMODULE const hMod = (HMODULE)RTLdrGetNativeHandle(hLdrMod);
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
    EXPECT_EQ(0u, Watch::s_cFreeLibrary);
    EXPECT_EQ(hMod, GetModuleHandleW(L"msimg32.dll"));
}

TEST_F(LdrWin, PathNamesRefusedWithoutTouchingTheSystem)
{
    static const char *const s_apszNames[] = {
        "..\\msi.dll", "sub/msi.dll", "C:msi.dll", "C:\\Windows\\System32\\msi.dll", "\\\\?\\C:\\x.dll", "msi.dll:x",
    };
    for (const char *pszName : s_apszNames)
    {
        RTLDRMOD hLdrMod = NIL_RTLDRMOD;
        EXPECT_EQ(ERR_INVALID_PARAMETER, RTLdrOpenSystemLibraryEx(pszName, 0, &hLdrMod)) << pszName;
        EXPECT_EQ(ERR_INVALID_PARAMETER, RTLdrOpenSystemLibrary(pszName, true, &hLdrMod)) << pszName;
        EXPECT_EQ(nullptr, RTLdrFindSystemSymbol(pszName, "MsiInstallProductW")) << pszName;
    }
    EXPECT_EQ(0u, Watch::s_cGetSystemDirectory);
    EXPECT_EQ(0u, Watch::s_cQueryInfo);
    EXPECT_EQ(0u, Watch::s_LoadPaths.size());
    EXPECT_EQ(0u, Watch::s_cGetProcAddress + Watch::s_cRedirectionLookUps);
}

TEST_F(LdrWin, MissingLibraryIsNotLoaded)
{
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    EXPECT_EQ(ERR_MODULE_NOT_FOUND, RTLdrOpenSystemLibrary("tarnnosuchlib", true, &hLdrMod));
    EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);
    EXPECT_EQ(1u, Watch::s_cQueryInfo);
    EXPECT_EQ(0u, Watch::s_LoadPaths.size()) << "the system's own search never gets the name";
    /* A directory of that name is no library either. */
    EXPECT_EQ(ERR_MODULE_NOT_FOUND, RTLdrOpenSystemLibraryEx("drivers", RTLDRLOAD_F_NO_SUFFIX, &hLdrMod));
    EXPECT_EQ(ERR_MODULE_NOT_FOUND, RTLdrOpenSystemLibraryEx("..", 0, &hLdrMod));
    EXPECT_EQ(0u, Watch::s_LoadPaths.size());
}

/* Without the system directory no path is made: an empty one would name the library relative to the
   current directory. */
TEST_F(LdrWin, SystemDirectoryUnknownLoadsNothing)
{
    struct
    {
        UINT cwcAnswer;
        DWORD uError;
        int rcExpected;
    } const aCases[] = {
        {0, ERROR_ACCESS_DENIED, ERR_ACCESS_DENIED},
        {0, ERROR_NOT_ENOUGH_MEMORY, ERR_NO_MEMORY},
        {MAX_PATH, 0, ERR_FILENAME_TOO_LONG},
        {MAX_PATH + 40, 0, ERR_FILENAME_TOO_LONG},
    };
    for (const auto &c : aCases)
    {
        Watch::s_fFakeSystemDir = true;
        Watch::s_cwcSystemDir = c.cwcAnswer;
        Watch::s_uSystemDirError = c.uError;
        RTLDRMOD hLdrMod = NIL_RTLDRMOD;
        EXPECT_EQ(c.rcExpected, RTLdrOpenSystemLibrary("version", true, &hLdrMod)) << c.cwcAnswer << "/" << c.uError;
        EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);
    }
    EXPECT_EQ(RT_ELEMENTS(aCases), Watch::s_cGetSystemDirectory);
    EXPECT_EQ(0u, Watch::s_cQueryInfo);
    EXPECT_EQ(0u, Watch::s_LoadPaths.size());
}

TEST_F(LdrWin, LookUpAndFind)
{
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenSystemLibrary("kernel32.dll", true, &hLdrMod));
    HMODULE const hKernel32 = GetModuleHandleW(L"kernel32.dll");
    EXPECT_EQ(hKernel32, (HMODULE)RTLdrGetNativeHandle(hLdrMod));
    void *pv = NULL;
    EXPECT_EQ(INF_SUCCESS, RTLdrLookupSymbol(hLdrMod, "GetTickCount", &pv));
    EXPECT_EQ((void *)GetProcAddress(hKernel32, "GetTickCount"), pv);
    pv = &pv;
    EXPECT_EQ(ERR_SYMBOL_NOT_FOUND, RTLdrLookupSymbol(hLdrMod, "TarnNoSuchFunction", &pv));
    EXPECT_EQ(nullptr, pv);
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));

    EXPECT_EQ((void *)GetProcAddress(hKernel32, "GetTickCount"), RTLdrFindSystemSymbol("kernel32", "GetTickCount"));
    EXPECT_EQ(nullptr, RTLdrFindSystemSymbol("kernel32", "TarnNoSuchFunction"));
    EXPECT_EQ(nullptr, RTLdrFindSystemSymbol("tarnnosuchlib", "GetTickCount"));
    EXPECT_EQ(0u, Watch::s_cFreeLibrary) << "found symbols stay valid";
}

TEST_F(LdrWin, OpenFileByPath)
{
    std::string const strVersion = m_strSystemDir + "/version";
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenFile(strVersion.c_str(), &hLdrMod, 0, NULL));
    EXPECT_EQ(m_wstrSystemDir + L"\\version.DLL", Watch::s_LoadPaths.back()) << "'/' made '\\', \".DLL\" added";
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenFile(strVersion.c_str(), &hLdrMod, RTLDRLOAD_F_NO_SUFFIX, NULL));
    EXPECT_EQ(m_wstrSystemDir + L"\\version", Watch::s_LoadPaths.back());
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));

    size_t const cLoads = Watch::s_LoadPaths.size();
    EXPECT_EQ(ERR_INTERNAL_ERROR_2, RTLdrOpenFile("version.dll", &hLdrMod, 0, NULL)) << "relative";
    EXPECT_EQ(ERR_INVALID_FLAGS, RTLdrOpenFile(strVersion.c_str(), &hLdrMod, RTLDRLOAD_F_LOCAL, NULL));
    EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);
    EXPECT_EQ(cLoads, Watch::s_LoadPaths.size());
}

TEST_F(LdrWin, OpenFileFailureExplained)
{
    std::string const strMissing = m_strSystemDir + "\\tarnnosuchlib.dll";
    char szMsg[64];
    RTERRINFO ErrInfo;
    RTErrInfoInit(&ErrInfo, szMsg, sizeof(szMsg));
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    int const rc = RTLdrOpenFile(strMissing.c_str(), &hLdrMod, 0, &ErrInfo);
    EXPECT_EQ(RTErrConvertFromWinError(ERROR_MOD_NOT_FOUND), rc);
    EXPECT_EQ(rc, ErrInfo.rc);
    EXPECT_STREQ("GetLastError=126", ErrInfo.pszMsg);
    EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);

    /* Text that is no UTF-8 never reaches the system. */
    EXPECT_EQ(ERR_INVALID_UTF8_ENCODING, RTLdrOpenFile("C:\\\xff.dll", &hLdrMod, 0, &ErrInfo));
    EXPECT_STREQ("Error converting UTF-8 to UTF-16 string.", ErrInfo.pszMsg);
    EXPECT_EQ(1u, Watch::s_LoadPaths.size());
}

TEST_F(LdrWin, RestrictedSearchFallsBackWhereRefused)
{
    std::string const strVersion = m_strSystemDir + "\\version.dll";
    DWORD const fSearch = 0xb00;
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;

    /* Refused with ERROR_INVALID_PARAMETER: retried at once without, and never asked for again. */
    Watch::s_uSearchFlagsError = ERROR_INVALID_PARAMETER;
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenFile(strVersion.c_str(), &hLdrMod, RTLDRLOAD_F_SEARCH_DLL_DIRS, NULL));
    EXPECT_EQ((std::vector<DWORD>{fSearch, 0}), Watch::s_LoadFlags);
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenFile(strVersion.c_str(), &hLdrMod, RTLDRLOAD_F_SEARCH_DLL_DIRS, NULL));
    EXPECT_EQ((std::vector<DWORD>{fSearch, 0, 0}), Watch::s_LoadFlags);
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
}

TEST_F(LdrWin, RestrictedSearchKeptAfterOtherFailures)
{
    std::string const strVersion = m_strSystemDir + "\\version.dll";
    DWORD const fSearch = 0xb00;
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;

    /* Another error is the library's failure, not the flags': no retry, and the flags stay in use. */
    Watch::s_uSearchFlagsError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(ERR_ACCESS_DENIED, RTLdrOpenFile(strVersion.c_str(), &hLdrMod, RTLDRLOAD_F_SEARCH_DLL_DIRS, NULL));
    EXPECT_EQ((std::vector<DWORD>{fSearch}), Watch::s_LoadFlags);
    Watch::s_uSearchFlagsError = ERROR_INVALID_PARAMETER;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTLdrOpenFile(strVersion.c_str(), &hLdrMod, RTLDRLOAD_F_SEARCH_DLL_DIRS, NULL));
    EXPECT_EQ((std::vector<DWORD>{fSearch, fSearch}), Watch::s_LoadFlags);
    /* Without the flag the system searches as usual. */
    Watch::s_uSearchFlagsError = 0;
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenFile(strVersion.c_str(), &hLdrMod, 0, NULL));
    EXPECT_EQ(0u, Watch::s_LoadFlags.back());
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
}

TEST_F(LdrWin, RestrictedSearchAcceptedBySystem)
{
    std::string const strVersion = m_strSystemDir + "\\version.dll";
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(INF_SUCCESS, RTLdrOpenFile(strVersion.c_str(), &hLdrMod, RTLDRLOAD_F_SEARCH_DLL_DIRS, NULL));
    EXPECT_EQ((std::vector<DWORD>{0xb00}), Watch::s_LoadFlags);
    EXPECT_EQ(INF_SUCCESS, RTLdrCloseModule(hLdrMod));
}

/*
 * Side-by-side redirection: a stand-in answers with a chosen path.
 */

struct Redirection
{
    static std::wstring s_wstrAnswer;
    static NTSTATUS s_rcNt;
    static unsigned s_cCalls;
    static ULONG s_fFlags;
    static std::wstring s_wstrName, s_wstrExt;
    static USHORT s_cbStatic;

    static NTSTATUS NTAPI apply(ULONG fFlags, UNICODE_STRING *pName, UNICODE_STRING *pExt, UNICODE_STRING *pStatic,
                                UNICODE_STRING *pDynamic, UNICODE_STRING **ppResult, ULONG *, SIZE_T *, SIZE_T *)
    {
        s_cCalls++;
        s_fFlags = fFlags;
        s_wstrName.assign(pName->Buffer, pName->Length / sizeof(WCHAR));
        s_wstrExt.assign(pExt->Buffer, pExt->Length / sizeof(WCHAR));
        s_cbStatic = pStatic->MaximumLength;
        if (s_rcNt < 0)
            return s_rcNt;
        /* Long answers come in the dynamic string, as the system does it. */
        UNICODE_STRING *pTarget = pStatic;
        if ((s_wstrAnswer.size() + 1) * sizeof(WCHAR) > pStatic->MaximumLength)
        {
            if (!RtlCreateUnicodeString(pDynamic, s_wstrAnswer.c_str()))
                return (NTSTATUS)0xC0000017L;
            pTarget = pDynamic;
        }
        else
        {
            memcpy(pStatic->Buffer, s_wstrAnswer.c_str(), (s_wstrAnswer.size() + 1) * sizeof(WCHAR));
            pStatic->Length = (USHORT)(s_wstrAnswer.size() * sizeof(WCHAR));
        }
        *ppResult = pTarget;
        return 0;
    }
};
std::wstring Redirection::s_wstrAnswer, Redirection::s_wstrName, Redirection::s_wstrExt;
NTSTATUS Redirection::s_rcNt;
unsigned Redirection::s_cCalls;
ULONG Redirection::s_fFlags;
USHORT Redirection::s_cbStatic;

class LdrWinRedirection : public LdrWin
{
  protected:
    void SetUp() override
    {
        LdrWin::SetUp();
        Redirection::s_cCalls = 0;
        Redirection::s_rcNt = 0;
        Watch::s_pfnRedirection = (FARPROC)(void *)Redirection::apply;
    }

    /** Opens @a pszName with the stand-in answering @a wstrAnswer; the path the system was asked to load. */
    std::wstring loadedPath(const char *pszName, const std::wstring &wstrAnswer, int rcExpected = INF_SUCCESS)
    {
        Redirection::s_wstrAnswer = wstrAnswer;
        size_t const cLoads = Watch::s_LoadPaths.size();
        RTLDRMOD hLdrMod = NIL_RTLDRMOD;
        EXPECT_EQ(rcExpected, RTLdrOpenSystemLibrary(pszName, false, &hLdrMod)) << pszName;
        RTLdrCloseModule(hLdrMod);
        return Watch::s_LoadPaths.size() > cLoads ? Watch::s_LoadPaths.back() : std::wstring();
    }
};

TEST_F(LdrWinRedirection, AnswerInsideTheWindowsTreeIsTaken)
{
    /* Wherever it points inside the tree, that file is loaded, without an added suffix. */
    std::wstring const wstrAnswer = m_wstrSystemDir + L"\\version.dll";
    EXPECT_EQ(wstrAnswer, loadedPath("tarnredirected", wstrAnswer));
    EXPECT_EQ(1u, Redirection::s_cCalls);
    EXPECT_EQ(1u, Redirection::s_fFlags);
    EXPECT_EQ(L"tarnredirected", Redirection::s_wstrName);
    EXPECT_EQ(L".dll", Redirection::s_wstrExt);
    EXPECT_EQ(518u, Redirection::s_cbStatic);

    /* The entry point is looked up once. */
    EXPECT_EQ(1u, Watch::s_cRedirectionLookUps);
}

TEST_F(LdrWinRedirection, AnswerOutsideTheTreeFallsBack)
{
    WCHAR wszExe[MAX_PATH];
    GetModuleFileNameW(NULL, wszExe, MAX_PATH);
    std::wstring const wstrExeDir(wszExe, wcsrchr(wszExe, L'\\'));
    std::wstring const wstrFallback = m_wstrSystemDir + L"\\version.DLL";
    std::wstring const awstrAnswers[] = {
        wstrExeDir + L"\\plant\\MSI.DLL",
        L"C:\\Program Files\\version.dll",
        m_wstrSystemDir.substr(0, 3) + L"Windowsx\\version.dll",
        m_wstrSystemDir + L"\\..\\..\\Users\\version.dll",
        L"version.dll",
    };
    for (const std::wstring &wstrAnswer : awstrAnswers)
        EXPECT_EQ(wstrFallback, loadedPath("version", wstrAnswer)) << toUtf8(wstrAnswer);

    /* No answer at all: the system directory. */
    Redirection::s_rcNt = (NTSTATUS)0xC0150008L; /* STATUS_SXS_KEY_NOT_FOUND */
    EXPECT_EQ(wstrFallback, loadedPath("version", L""));
    EXPECT_EQ(std::wstring(), loadedPath("tarnnosuchlib", L"", ERR_MODULE_NOT_FOUND));
}

TEST_F(LdrWinRedirection, DynamicAnswer)
{
    /* An answer too long for the caller's buffer comes in the dynamic string. */
    std::wstring const wstrAnswer = m_wstrSystemDir + L"\\" + std::wstring(300, L'x') + L".dll";
    EXPECT_EQ(std::wstring(), loadedPath("version", wstrAnswer, ERR_MODULE_NOT_FOUND))
        << "taken (inside the tree), and no such file";
    EXPECT_EQ(1u, Watch::s_cQueryInfo);
}

TEST_F(LdrWinRedirection, LongNamesAreNotAsked)
{
    /* More than 260 UTF-16 units: the system directory directly. */
    std::string const strLong(261, 'a');
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    Redirection::s_wstrAnswer = m_wstrSystemDir + L"\\version.dll";
    EXPECT_TRUE(RT_FAILURE(RTLdrOpenSystemLibrary(strLong.c_str(), false, &hLdrMod)));
    EXPECT_EQ(0u, Redirection::s_cCalls);
    std::string const strLongest(260, 'a');
    EXPECT_TRUE(RT_SUCCESS(RTLdrOpenSystemLibrary(strLongest.c_str(), false, &hLdrMod)));
    EXPECT_EQ(1u, Redirection::s_cCalls);
    EXPECT_EQ(m_wstrSystemDir + L"\\version.dll", Watch::s_LoadPaths.back());
    RTLdrCloseModule(hLdrMod);
}

} // namespace
