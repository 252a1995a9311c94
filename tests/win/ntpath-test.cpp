/** @file
 * Native paths: conversion of every input form, limits, opening files,
 * volume roots and object directories, and closing.
 */
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>
#include <winternl.h>
#include <rt/path-win.h>
#include <rt/err.h>
#include "support/alloc-failure.h"
#include "support/os-version.h"
#include "support/scoped.h"
#include "support/scratch-tree.h"
#include "support/widen.h"
#include "internal/nt.h"

namespace
{

/** The text of a native path, after checking the record's invariants. */
std::wstring NtText(const RTNTPATH &NtName)
{
    EXPECT_NE(nullptr, NtName.Buffer);
    if (!NtName.Buffer)
        return L"";
    EXPECT_EQ(NtName.Length + 2, NtName.MaximumLength);
    size_t const cwc = NtName.Length / 2;
    EXPECT_EQ(L'\0', NtName.Buffer[cwc]) << "not terminated";
    return std::wstring(NtName.Buffer, cwc);
}

/** Converts @a str and returns the native text, or "rc=<status>" on failure. */
std::wstring Convert(const std::string &str)
{
    RTNTPATH NtName;
    HANDLE hRootDir = INVALID_HANDLE_VALUE;
    int rc = RTNtPathFromWinUtf8(&NtName, &hRootDir, str.c_str());
    EXPECT_EQ(nullptr, hRootDir);
    if (RT_FAILURE(rc))
    {
        EXPECT_EQ(nullptr, NtName.Buffer);
        EXPECT_EQ(0, NtName.Length);
        return L"rc=" + std::to_wstring(rc);
    }
    std::wstring wstr = NtText(NtName);
    RTNtPathFree(&NtName);
    EXPECT_EQ(nullptr, NtName.Buffer);
    return wstr;
}

std::wstring Failed(int rc)
{
    return L"rc=" + std::to_wstring(rc);
}

TEST(NtPathConvert, RawPrefixTakesTheRestVerbatimWithAnySeparators)
{
    /* Every combination of the three separators; the rest is never normalised. */
    for (const char *pszSeps : {"\\\\\\", "\\\\/", "\\/\\", "\\//", "/\\\\", "/\\/", "//\\", "///"})
    {
        std::string str = std::string(1, pszSeps[0]) + pszSeps[1] + ":soltnt:" + pszSeps[2] + "Device/a\\..\\B.";
        EXPECT_EQ(L"\\Device/a\\..\\B.", Convert(str)) << str;
    }
    EXPECT_EQ(L"\\", Convert("\\\\:soltnt:\\"));
    EXPECT_EQ((std::wstring{L'\\', 0xe9, 0xd801, 0xdc37}), Convert("//:soltnt:/\xc3\xa9\xf0\x90\x90\xb7"));
}

TEST(NtPathConvert, LongFormOnlyReplacesItsPrefix)
{
    EXPECT_EQ(L"\\??\\C:\\a\\..\\b", Convert("\\\\?\\C:\\a\\..\\b"));
    EXPECT_EQ(L"\\??\\C:/x/./y//", Convert("//?/C:/x/./y//"));
    EXPECT_EQ(L"\\??\\UNC\\srv\\share", Convert("\\\\?\\UNC\\srv\\share"));
    EXPECT_EQ(L"\\??\\", Convert("\\\\?\\"));
}

TEST(NtPathConvert, OldSystemsUseDosDevices)
{
    tst::PretendOsMajorVersion Old(3);
    EXPECT_EQ(L"\\DosDevices\\C:\\a\\..\\b", Convert("\\\\?\\C:\\a\\..\\b"));
    EXPECT_EQ(L"\\DosDevices\\", Convert("//?/"));
}

TEST(NtPathConvert, OtherPathsAreMadeAbsoluteFirst)
{
    tst::ScopedCurrentDir Cwd("C:\\windows");
    struct
    {
        const char *pszPath;
        const wchar_t *pwszNt;
    } const s_aCases[] = {
        {"C:\\a\\..\\b", L"\\??\\C:\\b"},
        {"c:/a/./b//c", L"\\??\\C:\\a\\b\\c"},
        {"C:\\", L"\\??\\C:\\"},
        {"x", L"\\??\\C:\\windows\\x"},
        {"..\\x\\", L"\\??\\C:\\x\\"},
        {"\\x", L"\\??\\C:\\x"},
        {"C:x", L"\\??\\C:\\windows\\x"},
        {"\\\\server\\share\\x", L"\\??\\UNC\\server\\share\\x"},
        {"//server/share/../x", L"\\??\\UNC\\server\\share\\x"},
        {"\\\\.\\pipe\\x", L"\\??\\pipe\\x"},
        {"//./C:/a/../b", L"\\??\\C:\\b"},
        /* Near misses of the raw prefix are ordinary UNC paths. */
        {"\\\\:soltnt", L"\\??\\UNC\\:soltnt"},
        {"\\\\:soltnt:x", L"\\??\\UNC\\:soltnt:x"},
        {"\\\\:SOLTNT:\\x", L"\\??\\UNC\\:SOLTNT:\\x"},
    };
    for (const auto &Case : s_aCases)
        EXPECT_EQ(Case.pwszNt, Convert(Case.pszPath)) << Case.pszPath;

    EXPECT_EQ(Failed(ERR_PATH_ZERO_LENGTH), Convert(""));

    tst::PretendOsMajorVersion Old(3);
    EXPECT_EQ(L"\\DosDevices\\C:\\b", Convert("C:\\a\\..\\b"));
    EXPECT_EQ(L"\\DosDevices\\C:\\windows\\x", Convert("x"));
    EXPECT_EQ(L"\\DosDevices\\UNC\\srv\\share", Convert("\\\\srv\\share"));
    EXPECT_EQ(L"\\DosDevices\\pipe\\x", Convert("\\\\.\\pipe\\x"));
}

/** A relative path of @a cch characters made of 100-character components. */
std::string RelativePathOfLength(size_t cch)
{
    std::string str;
    while (str.size() < cch)
        str += std::string(99, 'c') + "\\";
    str.resize(cch);
    if (str.back() == '\\')
        str.back() = 'c';
    return str;
}

TEST(NtPathConvert, LongPathsGrowTheScratchBuffer)
{
    tst::ScopedCurrentDir Cwd("C:\\windows");
    std::wstring const wstrCwdPrefix = L"\\??\\C:\\windows\\"; /* 15 units */
    for (size_t cch : {size_t(4084), size_t(4085), size_t(9000), size_t(32766 - 15)})
    {
        std::string const str = RelativePathOfLength(cch);
        EXPECT_EQ(wstrCwdPrefix + tst::widen(str), Convert(str)) << cch;
    }
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), Convert(RelativePathOfLength(32766 - 14)));
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), Convert(RelativePathOfLength(200000)));

    /* An absolute path of 4095 bytes fills the first 4 KiB buffer behind the prefix; one more needs the heap.
       (A relative one would not do: reading the current directory allocates.) */
    std::string const strFits = "C:\\" + RelativePathOfLength(4092);
    std::string const strGrows = "C:\\" + RelativePathOfLength(4093);
    tst::failAllocationsAfter(0);
    std::wstring const wstrFits = Convert(strFits);
    std::wstring const wstrGrows = Convert(strGrows);
    tst::endAllocationFailures();
    EXPECT_EQ(Failed(ERR_NO_UTF16_MEMORY), wstrFits);
    EXPECT_EQ(Failed(ERR_NO_TMP_MEMORY), wstrGrows);
}

TEST(NtPathConvert, LengthLimits)
{
    /* A native path holds at most 32766 units, whatever form it came in. */
    std::string const strRaw = "\\\\:soltnt:\\";
    EXPECT_EQ(32766u, Convert(strRaw + std::string(32765, 'r')).size());
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), Convert(strRaw + std::string(32766, 'r')));

    std::string const strLong = "\\\\?\\C:\\";
    EXPECT_EQ(32766u, Convert(strLong + std::string(32766 - 7, 'l')).size());
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), Convert(strLong + std::string(32767 - 7, 'l')));

    /* Units, not bytes: three-byte characters count once. */
    std::string strWide = strLong;
    for (size_t i = 0; i < 32766 - 7; i++)
        strWide += "\xe2\x82\xac";
    EXPECT_EQ(32766u, Convert(strWide).size());

    /* The longer old prefix must not push a path past the limit. */
    tst::PretendOsMajorVersion Old(3);
    EXPECT_EQ(32766u, Convert(strLong + std::string(32766 - 7 - 8, 'l')).size());
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), Convert(strLong + std::string(32766 - 7 - 7, 'l')));
}

TEST(NtPathConvert, BadInput)
{
    RTNTPATH NtName;
    HANDLE hRootDir;
    EXPECT_EQ(ERR_INVALID_POINTER, RTNtPathFromWinUtf8(nullptr, &hRootDir, "C:\\"));
    EXPECT_EQ(ERR_INVALID_POINTER, RTNtPathFromWinUtf8(&NtName, nullptr, "C:\\"));
    EXPECT_EQ(ERR_INVALID_POINTER, RTNtPathFromWinUtf8(&NtName, &hRootDir, nullptr));
    EXPECT_EQ(nullptr, NtName.Buffer);

    EXPECT_EQ(Failed(ERR_INVALID_UTF8_ENCODING), Convert("\\\\:soltnt:\\\xff"));
    EXPECT_EQ(Failed(ERR_INVALID_UTF8_ENCODING), Convert("\\\\?\\C:\\\xc3"));

    RTNtPathFree(nullptr);
    RTNtPathFree(&NtName); /* already cleared */
}

TEST(NtPathConvert, OutOfMemory)
{
    tst::failAllocationsAfter(0);
    std::wstring wstrRaw = Convert("\\\\:soltnt:\\x");
    std::wstring wstrLong = Convert("\\\\?\\C:\\x");
    tst::endAllocationFailures();
    EXPECT_EQ(Failed(ERR_NO_UTF16_MEMORY), wstrRaw);
    EXPECT_EQ(Failed(ERR_NO_UTF16_MEMORY), wstrLong);

    /* The longer old prefix is built in the first text buffer too. */
    tst::PretendOsMajorVersion Old(3);
    tst::failAllocationsAfter(0);
    std::wstring wstrOld = Convert("\\\\?\\C:\\x");
    tst::endAllocationFailures();
    EXPECT_EQ(Failed(ERR_NO_UTF16_MEMORY), wstrOld);
}

/*
 * Opening.
 */

const ACCESS_MASK g_fDirAccess = FILE_LIST_DIRECTORY | SYNCHRONIZE;
const ULONG g_fShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const ULONG g_fDirOptions = FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT;

RTNTPATH NtPathOf(std::wstring &wstr)
{
    RTNTPATH NtName;
    NtName.Buffer = &wstr[0];
    NtName.Length = (USHORT)(wstr.size() * 2);
    NtName.MaximumLength = (USHORT)(wstr.size() * 2 + 2);
    return NtName;
}

/** Whether @a hFile is an open directory of the file system. */
bool IsFsDirectory(HANDLE hFile)
{
    BY_HANDLE_FILE_INFORMATION Info;
    return GetFileInformationByHandle(hFile, &Info) && (Info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

ACCESS_MASK GrantedAccess(HANDLE h)
{
    OBJECT_BASIC_INFORMATION Info = {};
    ULONG cbRet = 0;
    EXPECT_EQ(0, NtQueryObject(h, ObjectBasicInformation, &Info, sizeof(Info), &cbRet));
    return Info.GrantedAccess;
}

TEST(NtPathOpen, OpensAndClosesADirectory)
{
    std::wstring wstr = L"\\??\\C:\\windows";
    RTNTPATH NtName = NtPathOf(wstr);
    HANDLE hDir = NULL;
    bool fObjDir = true;
    ASSERT_EQ(INF_SUCCESS, RTNtPathOpen(&NtName, NULL, g_fDirAccess, g_fShareAll, g_fDirOptions, OBJ_CASE_INSENSITIVE,
                                        &hDir, &fObjDir));
    EXPECT_FALSE(fObjDir);
    EXPECT_TRUE(IsFsDirectory(hDir));

    /* Relative to the handle as root directory. */
    std::wstring wstrRel = L"SYSTEM32";
    RTNTPATH NtRel = NtPathOf(wstrRel);
    HANDLE hSub = NULL;
    EXPECT_EQ(INF_SUCCESS, RTNtPathOpen(&NtRel, hDir, g_fDirAccess, g_fShareAll, g_fDirOptions, OBJ_CASE_INSENSITIVE,
                                        &hSub, nullptr));
    EXPECT_TRUE(IsFsDirectory(hSub));
    EXPECT_EQ(INF_SUCCESS, RTNtPathClose(hSub));

    EXPECT_EQ(INF_SUCCESS, RTNtPathClose(hDir));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTNtPathClose(hDir));
}

TEST(NtPathOpen, FailuresClearTheOutputs)
{
    struct
    {
        const wchar_t *pwszPath;
        ULONG fOptions;
        int rc;
    } const s_aCases[] = {
        {L"\\??\\C:\\no-such-dir-7f3a", g_fDirOptions, ERR_FILE_NOT_FOUND},
        {L"\\??\\C:\\no-such-dir-7f3a\\x", g_fDirOptions, ERR_PATH_NOT_FOUND},
        {L"\\??\\C:\\windows\\win.ini", g_fDirOptions, ERR_NOT_A_DIRECTORY},
        /* Not a file-system object, and no fallback asked for. */
        {L"\\BaseNamedObjects", g_fDirOptions, ERR_WRONG_TYPE},
    };
    for (const auto &Case : s_aCases)
    {
        std::wstring wstr = Case.pwszPath;
        RTNTPATH NtName = NtPathOf(wstr);
        HANDLE h = NULL;
        EXPECT_EQ(Case.rc, RTNtPathOpen(&NtName, NULL, g_fDirAccess, g_fShareAll, Case.fOptions, OBJ_CASE_INSENSITIVE,
                                        &h, nullptr))
            << wstr;
        EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    }

    std::wstring wstr = L"\\??\\C:\\";
    RTNTPATH NtName = NtPathOf(wstr);
    HANDLE h = NULL;
    bool fObjDir = true;
    EXPECT_EQ(ERR_INVALID_POINTER,
              RTNtPathOpen(nullptr, NULL, g_fDirAccess, g_fShareAll, g_fDirOptions, 0, &h, &fObjDir));
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    EXPECT_FALSE(fObjDir);
    EXPECT_EQ(ERR_INVALID_POINTER,
              RTNtPathOpen(&NtName, NULL, g_fDirAccess, g_fShareAll, g_fDirOptions, 0, nullptr, nullptr));
}

/** Opens through the path conversion, some in a chain of directories longer than Win32's plain limit. */
class NtPathOpenDir : public tst::ScratchTree
{
  protected:
    /** Makes the chain in the scratch directory; returns its directories, the scratch directory first. */
    std::vector<std::wstring> makeLongChain()
    {
        std::vector<std::wstring> vecDirs = {m_wstrRoot};
        while (vecDirs.back().size() < 300)
        {
            vecDirs.push_back(vecDirs.back() + L"\\" + std::wstring(50, L'd') + L"\u00e9");
            EXPECT_TRUE(CreateDirectoryW(tst::longForm(vecDirs.back()).c_str(), NULL)) << GetLastError();
        }
        return vecDirs;
    }
};

TEST_F(NtPathOpenDir, OpensDirectoriesPastTheWin32Limit)
{
    std::vector<std::wstring> const vecDirs = makeLongChain();
    std::wstring const &wstrDeepest = vecDirs.back();
    ASSERT_GT(wstrDeepest.size(), 260u);

    std::wstring const wstrBelowBase = wstrDeepest.substr(m_wstrRoot.size() + 1);
    tst::ScopedCurrentDir Cwd(m_strRoot);
    for (const std::string &strPath : {tst::narrow(wstrDeepest), "\\\\?\\" + tst::narrow(wstrDeepest),
                                       tst::narrow(wstrBelowBase), tst::narrow(wstrBelowBase) + "\\x\\..\\.\\"})
    {
        HANDLE hDir = NULL;
        bool fObjDir = true;
        ASSERT_EQ(INF_SUCCESS, RTNtPathOpenDir(strPath.c_str(), g_fDirAccess, g_fShareAll, g_fDirOptions,
                                               OBJ_CASE_INSENSITIVE, &hDir, &fObjDir))
            << strPath;
        EXPECT_FALSE(fObjDir);
        EXPECT_TRUE(IsFsDirectory(hDir));
        EXPECT_EQ(INF_SUCCESS, RTNtPathClose(hDir));
    }

    HANDLE hDir = NULL;
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTNtPathOpenDir(tst::narrow(wstrDeepest + L"\\none").c_str(), g_fDirAccess,
                                                  g_fShareAll, g_fDirOptions, OBJ_CASE_INSENSITIVE, &hDir, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, hDir);
}

TEST_F(NtPathOpenDir, ConversionFailuresAreReported)
{
    HANDLE hDir = NULL;
    bool fObjDir = true;
    EXPECT_EQ(ERR_INVALID_UTF8_ENCODING, RTNtPathOpenDir("C:\\\xff", g_fDirAccess, g_fShareAll, g_fDirOptions,
                                                         OBJ_CASE_INSENSITIVE, &hDir, &fObjDir));
    EXPECT_EQ(INVALID_HANDLE_VALUE, hDir);
    EXPECT_FALSE(fObjDir);
    EXPECT_EQ(ERR_INVALID_POINTER, RTNtPathOpenDir(nullptr, g_fDirAccess, g_fShareAll, g_fDirOptions,
                                                   OBJ_CASE_INSENSITIVE, &hDir, &fObjDir));
}

/*
 * The volume-root retry. Wine opens '\??\C:' as it is; a stand-in for
 * NtCreateFile refuses paths without a trailing separator the way Windows
 * refuses a volume opened as a directory, and passes the rest on.
 */

std::vector<std::wstring> g_vecCreateFilePaths;
NTSTATUS g_rcNtRefusal = RTNT_STATUS_INVALID_PARAMETER;

NTSTATUS NTAPI RefuseWithoutTrailingSep(HANDLE *phFile, ACCESS_MASK fAccess, OBJECT_ATTRIBUTES *pObjAttr,
                                        IO_STATUS_BLOCK *pIos, LARGE_INTEGER *pcbAlloc, ULONG fAttribs, ULONG fShare,
                                        ULONG uDisposition, ULONG fOptions, void *pvEa, ULONG cbEa)
{
    const UNICODE_STRING *pName = pObjAttr->ObjectName;
    std::wstring wstr(pName->Buffer, pName->Length / 2);
    g_vecCreateFilePaths.push_back(wstr);
    EXPECT_EQ(pName->Length + 2, pName->MaximumLength);
    if (wstr.empty() || wstr.back() != L'\\')
        return g_rcNtRefusal;
    return NtCreateFile(phFile, fAccess, pObjAttr, pIos, pcbAlloc, fAttribs, fShare, uDisposition, fOptions, pvEa,
                        cbEa);
}

class NtPathOpenRetry : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_vecCreateFilePaths.clear();
        g_rcNtRefusal = RTNT_STATUS_INVALID_PARAMETER;
        g_rtSeamsNt.pfnNtCreateFile = RefuseWithoutTrailingSep;
    }
};

TEST_F(NtPathOpenRetry, VolumeRootOpensWithTrailingSeparator)
{
    HANDLE hRoot = NULL;
    bool fObjDir = true;
    ASSERT_EQ(INF_SUCCESS, RTNtPathOpenDir("\\\\?\\C:", g_fDirAccess, g_fShareAll, g_fDirOptions, OBJ_CASE_INSENSITIVE,
                                           &hRoot, &fObjDir));
    EXPECT_FALSE(fObjDir);
    EXPECT_EQ((std::vector<std::wstring>{L"\\??\\C:", L"\\??\\C:\\"}), g_vecCreateFilePaths);

    /* It really is the root: 'windows' opens relative to it. */
    g_rtSeamsNt.pfnNtCreateFile = NULL;
    std::wstring wstr = L"windows";
    RTNTPATH NtRel = NtPathOf(wstr);
    HANDLE hSub = NULL;
    EXPECT_EQ(INF_SUCCESS, RTNtPathOpen(&NtRel, hRoot, g_fDirAccess, g_fShareAll, g_fDirOptions, OBJ_CASE_INSENSITIVE,
                                        &hSub, nullptr));
    RTNtPathClose(hSub);
    RTNtPathClose(hRoot);
}

TEST_F(NtPathOpenRetry, RetriesOnlyWhenItCanHelp)
{
    HANDLE h = NULL;
    /* Ends in a separator already: the refusal stands (the stand-in then opens it). */
    EXPECT_EQ(INF_SUCCESS, RTNtPathOpenDir("\\\\?\\C:\\", g_fDirAccess, g_fShareAll, g_fDirOptions,
                                           OBJ_CASE_INSENSITIVE, &h, nullptr));
    RTNtPathClose(h);
    EXPECT_EQ(1u, g_vecCreateFilePaths.size());

    /* Another failure is not retried. */
    g_vecCreateFilePaths.clear();
    g_rcNtRefusal = (NTSTATUS)0xC0000034L; /* STATUS_OBJECT_NAME_NOT_FOUND */
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTNtPathOpenDir("\\\\?\\C:", g_fDirAccess, g_fShareAll, g_fDirOptions,
                                                  OBJ_CASE_INSENSITIVE, &h, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(1u, g_vecCreateFilePaths.size());

    /* A path of 65532 bytes has no room for another unit; one of 65530 has. */
    g_rcNtRefusal = RTNT_STATUS_INVALID_PARAMETER;
    for (size_t cwc : {size_t(32766), size_t(32765)})
    {
        g_vecCreateFilePaths.clear();
        std::wstring wstr = L"\\??\\C:\\" + std::wstring(cwc - 7, L'x');
        RTNTPATH NtName = NtPathOf(wstr);
        int rc =
            RTNtPathOpen(&NtName, NULL, g_fDirAccess, g_fShareAll, g_fDirOptions, OBJ_CASE_INSENSITIVE, &h, nullptr);
        EXPECT_NE(INF_SUCCESS, rc);
        ASSERT_EQ(cwc == 32766 ? 1u : 2u, g_vecCreateFilePaths.size()) << cwc;
        if (cwc == 32765)
        {
            EXPECT_EQ(wstr + L"\\", g_vecCreateFilePaths[1]);
        }
    }
}

TEST_F(NtPathOpenRetry, OutOfMemoryForTheCopy)
{
    std::wstring wstr = L"\\??\\C:";
    RTNTPATH NtName = NtPathOf(wstr);
    HANDLE h = NULL;
    tst::failAllocationsAfter(0);
    int rc = RTNtPathOpen(&NtName, NULL, g_fDirAccess, g_fShareAll, g_fDirOptions, OBJ_CASE_INSENSITIVE, &h, nullptr);
    tst::endAllocationFailures();
    EXPECT_EQ(ERR_NO_TMP_MEMORY, rc);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
}

/*
 * The object-directory fallback.
 */

TEST(NtPathOpenObjDir, RawPathsFallBackToObjectDirectories)
{
    struct
    {
        const char *pszPath;
        bool fObjDir;
    } const s_aCases[] = {
        {"\\\\:soltnt:\\BaseNamedObjects", true}, /* object type mismatch */
        {"//:soltnt:/BaseNamedObjects", true},
        {"\\\\:soltnt:\\??\\", true}, /* name invalid; opened without its trailing separator */
        {"\\\\:soltnt:\\", true},     /* the root stays '\' */
        {"\\\\:soltnt:\\??\\C:\\windows", false},
    };
    for (const auto &Case : s_aCases)
    {
        HANDLE h = NULL;
        bool fObjDir = !Case.fObjDir;
        ASSERT_EQ(INF_SUCCESS, RTNtPathOpenDir(Case.pszPath, g_fDirAccess, g_fShareAll, g_fDirOptions,
                                               OBJ_CASE_INSENSITIVE, &h, &fObjDir))
            << Case.pszPath;
        EXPECT_EQ(Case.fObjDir, fObjDir) << Case.pszPath;
        EXPECT_EQ(!Case.fObjDir, IsFsDirectory(h)) << Case.pszPath;
        EXPECT_EQ(INF_SUCCESS, RTNtPathClose(h));
    }
}

TEST(NtPathOpenObjDir, OnlyRawPathsAndOnlyWhenAsked)
{
    HANDLE h = NULL;
    bool fObjDir = true;
    /* '\\?\' gives the same '\??\' as the raw path above, but is no raw path. */
    EXPECT_NE(INF_SUCCESS,
              RTNtPathOpenDir("\\\\?\\", g_fDirAccess, g_fShareAll, g_fDirOptions, OBJ_CASE_INSENSITIVE, &h, &fObjDir));
    EXPECT_FALSE(fObjDir);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);

    EXPECT_NE(INF_SUCCESS, RTNtPathOpenDir("\\\\:soltnt:\\BaseNamedObjects", g_fDirAccess, g_fShareAll, g_fDirOptions,
                                           OBJ_CASE_INSENSITIVE, &h, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);

    /* Other failures do not fall back. */
    fObjDir = true;
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTNtPathOpenDir("\\\\:soltnt:\\BaseNamedObjects-none", g_fDirAccess, g_fShareAll,
                                                  g_fDirOptions, OBJ_CASE_INSENSITIVE, &h, &fObjDir));
    EXPECT_FALSE(fObjDir);
}

TEST(NtPathOpenObjDir, AccessIsTranslatedToDirectoryRights)
{
    struct
    {
        ACCESS_MASK fAccess;
        ACCESS_MASK fExpected;
    } const s_aCases[] = {
        {GENERIC_ALL, DIRECTORY_ALL_ACCESS},
        {STANDARD_RIGHTS_ALL, DIRECTORY_ALL_ACCESS},
        {FILE_ALL_ACCESS, DIRECTORY_ALL_ACCESS},
        {SYNCHRONIZE, DIRECTORY_QUERY},
        {FILE_LIST_DIRECTORY | SYNCHRONIZE, DIRECTORY_QUERY},
        {GENERIC_READ, DIRECTORY_QUERY},
        {FILE_ADD_FILE, DIRECTORY_CREATE_OBJECT | DIRECTORY_CREATE_SUBDIRECTORY},
        {GENERIC_WRITE, DIRECTORY_CREATE_OBJECT | DIRECTORY_CREATE_SUBDIRECTORY},
        {GENERIC_READ | GENERIC_WRITE, DIRECTORY_QUERY | DIRECTORY_CREATE_OBJECT | DIRECTORY_CREATE_SUBDIRECTORY},
        {READ_CONTROL, DIRECTORY_QUERY | DIRECTORY_CREATE_OBJECT | DIRECTORY_CREATE_SUBDIRECTORY},
        {FILE_TRAVERSE, DIRECTORY_QUERY | DIRECTORY_TRAVERSE},
        {FILE_ADD_FILE | FILE_TRAVERSE, DIRECTORY_CREATE_OBJECT | DIRECTORY_CREATE_SUBDIRECTORY | DIRECTORY_TRAVERSE},
    };
    for (const auto &Case : s_aCases)
    {
        HANDLE h = NULL;
        bool fObjDir = false;
        ASSERT_EQ(INF_SUCCESS, RTNtPathOpenDir("\\\\:soltnt:\\BaseNamedObjects", Case.fAccess, g_fShareAll,
                                               g_fDirOptions, OBJ_CASE_INSENSITIVE, &h, &fObjDir))
            << std::hex << Case.fAccess;
        EXPECT_TRUE(fObjDir);
        EXPECT_EQ(Case.fExpected, GrantedAccess(h)) << std::hex << Case.fAccess;
        RTNtPathClose(h);
    }
}

} // namespace
