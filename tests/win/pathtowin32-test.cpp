/** @file
 * Win32 paths: where each path form switches from the plain to the long
 * '\\?\' form, the long form itself, limits and failures.
 */
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>
#include <rt/path-win.h>
#include <rt/path.h>
#include <rt/err.h>
#include "support/alloc-failure.h"
#include "support/os-version.h"
#include "support/scoped.h"
#include "support/scratch-tree.h"
#include "support/widen.h"
#include "internal/nt.h"

namespace
{

/** Converts @a str and returns the Win32 text, or "rc=<status>" on failure. */
std::wstring ToWin32(const std::string &str)
{
    RTUTF16 *pwsz = (RTUTF16 *)(uintptr_t)1;
    int rc = RTPathToWin32(&pwsz, str.c_str());
    if (RT_FAILURE(rc))
    {
        EXPECT_EQ(nullptr, pwsz);
        return L"rc=" + std::to_wstring(rc);
    }
    std::wstring wstr((const wchar_t *)pwsz);
    RTPathWin32Free(pwsz);
    return wstr;
}

std::wstring Failed(int rc)
{
    return L"rc=" + std::to_wstring(rc);
}

/** A path of exactly @a cch characters: @a pszHead followed by letters. */
std::string PathOfLength(const char *pszHead, size_t cch)
{
    std::string str = pszHead;
    return str + std::string(cch - str.size(), 'a');
}

struct ThresholdCase
{
    const char *pszForm;
    const char *pszHead;
    size_t cchPlainMax;           /**< Longest path that stays plain. */
    const wchar_t *pwszLongHead;  /**< What the long form puts in place of pszHead. */
    const wchar_t *pwszPlainHead; /**< What the plain form puts in place of pszHead; null: pszHead. */
};

/* The current directory is 'C:\windows' (11 units with the terminator). */
const ThresholdCase g_aThresholds[] = {
    {"drive", "C:\\", 243, L"\\\\?\\C:\\", nullptr},
    {"drive with '/'", "C:/x/", 243, L"\\\\?\\C:\\x\\", nullptr},
    {"root-relative", "\\", 241, L"\\\\?\\C:\\", nullptr},
    {"UNC", "\\\\srv\\share\\", 240, L"\\\\?\\UNC\\srv\\share\\", nullptr},
    {"long form", "//?/C:/", 240, L"\\\\?\\C:/", nullptr},
    {"'\\\\?' and no separator", "\\\\?x", 243, L"\\\\?\\UNC\\?x", nullptr},
    {"relative", "", 242 - 11, L"\\\\?\\C:\\windows\\", nullptr},
    {"drive-relative", "C:", 243 - 9, L"\\\\?\\C:\\windows\\", L"C:\\windows\\"},
};

TEST(PathToWin32, PlainUpToTheThresholdOfEachForm)
{
    tst::ScopedCurrentDir Cwd("C:\\windows");
    for (const ThresholdCase &Case : g_aThresholds)
        for (size_t cch = Case.cchPlainMax - 2; cch <= Case.cchPlainMax + 2; cch++)
        {
            std::string const str = PathOfLength(Case.pszHead, cch);
            std::wstring const wstrTail = tst::widen(str.substr(strlen(Case.pszHead)));
            std::wstring wstrExpected;
            if (cch > Case.cchPlainMax)
                wstrExpected = Case.pwszLongHead + wstrTail;
            else if (Case.pwszPlainHead)
                wstrExpected = Case.pwszPlainHead + wstrTail;
            else
                wstrExpected = tst::widen(str);
            EXPECT_EQ(wstrExpected, ToWin32(str)) << Case.pszForm << ", " << cch << " characters";
        }
}

TEST(PathToWin32, TwoSeparatorsWithoutServerCountAsRootRelative)
{
    /* '\\' followed by a separator: plain up to 241 characters, then no longer as it was. */
    tst::ScopedCurrentDir Cwd("C:\\windows");
    for (size_t cch : {size_t(240), size_t(241)})
    {
        std::string str = PathOfLength("\\\\\\", cch);
        EXPECT_EQ(tst::widen(str), ToWin32(str)) << cch;
    }
    std::string str = PathOfLength("\\\\\\", 242);
    EXPECT_NE(tst::widen(str), ToWin32(str));
}

TEST(PathToWin32, LongFormResolvesTheFullPath)
{
    tst::ScopedCurrentDir Cwd("C:\\windows");
    std::string const strName(250, 'n');
    EXPECT_EQ(L"\\\\?\\C:\\" + tst::widen(strName) + L"\\b", ToWin32("C:\\x\\.\\..\\" + strName + "\\a\\..\\b"));
    EXPECT_EQ(L"\\\\?\\C:\\" + tst::widen(strName), ToWin32("c:/" + strName));
    /* The long form given by the caller is left alone. */
    EXPECT_EQ(L"\\\\?\\C:\\" + tst::widen(strName) + L"\\..\\b", ToWin32("\\\\?\\C:\\" + strName + "\\..\\b"));
}

TEST(PathToWin32, Limits)
{
    std::string const strLong = "\\\\?\\C:\\";
    EXPECT_EQ(32766u, ToWin32(strLong + std::string(32766 - 7, 'l')).size());
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), ToWin32(strLong + std::string(32767 - 7, 'l')));
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), ToWin32("C:\\" + std::string(40000, 'l')));

    /* A raw native path has no long Win32 form. */
    std::string const strRaw = "\\\\:soltnt:\\Device\\";
    EXPECT_EQ(tst::widen(strRaw + "x"), ToWin32(strRaw + "x"));
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), ToWin32(strRaw + std::string(300, 'x')));

    /* Nor has a path under the old systems' '\DosDevices\'; short ones stay plain there too. */
    tst::PretendOsMajorVersion Old(3);
    std::wstring const wstrOldLong = ToWin32("C:\\" + std::string(300, 'x'));
    std::wstring const wstrOldShort = ToWin32("C:\\x");
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), wstrOldLong);
    EXPECT_EQ(L"C:\\x", wstrOldShort);
}

TEST(PathToWin32, Failures)
{
    RTUTF16 *pwsz = (RTUTF16 *)(uintptr_t)1;
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathToWin32(&pwsz, nullptr));
    EXPECT_EQ(nullptr, pwsz);
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathToWin32(nullptr, "C:\\"));

    EXPECT_EQ(Failed(ERR_INVALID_UTF8_ENCODING), ToWin32("C:\\\xc3"));
    EXPECT_EQ(Failed(ERR_INVALID_UTF8_ENCODING), ToWin32("C:\\" + std::string(300, 'x') + "\xff"));

    tst::ScopedCurrentDir Cwd("C:\\windows");
    for (const char *pszPath : {"C:x", "x"})
    {
        tst::failAllocationsAfter(0);
        std::wstring wstr = ToWin32(pszPath);
        tst::endAllocationFailures();
        EXPECT_EQ(Failed(ERR_NO_UTF16_MEMORY), wstr) << pszPath;
    }
    /* The full path of a drive-relative one needs a second string. */
    tst::failAllocationsAfter(1);
    std::wstring wstr = ToWin32("C:x");
    tst::endAllocationFailures();
    EXPECT_EQ(Failed(ERR_NO_UTF16_MEMORY), wstr);
    RTPathWin32Free(nullptr);
}

class PathToWin32Long : public tst::ScratchTree
{
};

TEST_F(PathToWin32Long, PathsWorkWithWin32Calls)
{
    /* A directory chain well past 260 characters, made and removed through the converted paths. */
    std::vector<std::string> vecDirs;
    vecDirs.push_back(path("w32"));
    while (vecDirs.back().size() < 400)
        vecDirs.push_back(vecDirs.back() + "\\" + std::string(60, 'd'));
    for (const std::string &strDir : vecDirs)
    {
        RTUTF16 *pwsz = nullptr;
        ASSERT_EQ(INF_SUCCESS, RTPathToWin32(&pwsz, strDir.c_str()));
        EXPECT_TRUE(CreateDirectoryW((LPCWSTR)pwsz, NULL)) << strDir.size() << " " << GetLastError();
        RTPathWin32Free(pwsz);
    }

    /* The runtime's own Win32 path calls take the same route. */
    std::string const strRenamed = vecDirs[vecDirs.size() - 2] + "\\renamed";
    EXPECT_EQ(INF_SUCCESS, RTPathRename(vecDirs.back().c_str(), strRenamed.c_str(), 0, RTPATH_RENAME_TYPE_DIRECTORY));
    vecDirs.back() = strRenamed;

    for (size_t i = vecDirs.size(); i-- > 0;)
    {
        RTUTF16 *pwsz = nullptr;
        ASSERT_EQ(INF_SUCCESS, RTPathToWin32(&pwsz, vecDirs[i].c_str()));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((LPCWSTR)pwsz)) << vecDirs[i];
        EXPECT_TRUE(RemoveDirectoryW((LPCWSTR)pwsz)) << vecDirs[i].size();
        RTPathWin32Free(pwsz);
    }
}

} // namespace
