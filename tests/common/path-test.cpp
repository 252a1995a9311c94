/** @file
 * Path text operations: appending and joining with their buffer rules, file
 * name, suffix, root length, the one-pass measure and trailing separators.
 */
#include <gtest/gtest.h>
#include <rt/path.h>
#include "support/alloc-failure.h"
#include "support/scoped.h"
#include "internal/process.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

/** A heap buffer of exactly @a cb bytes holding @a psz, so the sanitizers see any write past the size. */
std::vector<char> ExactBuffer(const char *psz, size_t cb)
{
    std::vector<char> Buf(cb, '\x7f');
    size_t cch = strlen(psz);
    if (cch < cb)
        memcpy(Buf.data(), psz, cch + 1);
    return Buf;
}

struct AppendCase
{
    const char *pszPath;
    const char *pszAppend;
    size_t cchAppendMax;
    uint32_t fStyle;
    const char *pszExpect;
};

const AppendCase g_aAppendCases[] = {
    {"C:\\dir\\\\\\", "\\\\x", RTSTR_MAX, RTPATH_STYLE_HOST, "C:\\dir\\x"},
    {"C:", "x", RTSTR_MAX, RTPATH_STYLE_HOST, "C:x"},
    {"dir", "x", RTSTR_MAX, RTPATH_STYLE_HOST, "dir\\x"},
    {"", "x", RTSTR_MAX, RTPATH_STYLE_HOST, "x"},
    {"", "\\\\x", RTSTR_MAX, RTPATH_STYLE_HOST, "\\\\x"},
    {"dir", "\\\\\\x", RTSTR_MAX, RTPATH_STYLE_DOS, "dir\\x"},
    {"dir", "//x", RTSTR_MAX, RTPATH_STYLE_DOS, "dir/x"},
    {"C:\\", "\\x", RTSTR_MAX, RTPATH_STYLE_DOS, "C:\\x"},
    {"C:\\\\\\", "x", RTSTR_MAX, RTPATH_STYLE_DOS, "C:\\x"},
    {"C:/", "/x", RTSTR_MAX, RTPATH_STYLE_DOS, "C:/x"},
    {"\\\\srv\\share\\\\", "x", RTSTR_MAX, RTPATH_STYLE_DOS, "\\\\srv\\share\\x"},
    {"\\\\\\\\", "x", RTSTR_MAX, RTPATH_STYLE_DOS, "\\x"},
    {"dir\\", "\\\\", RTSTR_MAX, RTPATH_STYLE_DOS, "dir\\"},
    {"dir", "\\\\", RTSTR_MAX, RTPATH_STYLE_DOS, "dir\\"},
    {"dir", nullptr, RTSTR_MAX, RTPATH_STYLE_DOS, "dir"},
    {"dir", "", RTSTR_MAX, RTPATH_STYLE_DOS, "dir"},
    {"dir", "xyz", 2, RTPATH_STYLE_DOS, "dir\\xy"},
    {"dir", "xyz", 0, RTPATH_STYLE_DOS, "dir"},
    {"dir", "\\\\xyz", 3, RTPATH_STYLE_DOS, "dir\\x"},
    {"a", "b", RTSTR_MAX, RTPATH_STYLE_UNIX, "a/b"},
    {"a\\", "b", RTSTR_MAX, RTPATH_STYLE_UNIX, "a\\/b"},
    {"C:", "x", RTSTR_MAX, RTPATH_STYLE_UNIX, "C:/x"},
    {"///", "//x", RTSTR_MAX, RTPATH_STYLE_UNIX, "/x"},
    {"a//", "\\x", RTSTR_MAX, RTPATH_STYLE_UNIX, "a/\\x"},
};

TEST(PathAppend, Table)
{
    for (const AppendCase &Case : g_aAppendCases)
    {
        SCOPED_TRACE(std::string("path '") + Case.pszPath + "' + '" + (Case.pszAppend ? Case.pszAppend : "(null)") +
                     "' style " + std::to_string(Case.fStyle));
        size_t const cchExpect = strlen(Case.pszExpect);

        /* Exactly the room the result needs (or the path has, when it shrinks). */
        std::vector<char> Buf = ExactBuffer(Case.pszPath, std::max(cchExpect, strlen(Case.pszPath)) + 1);
        EXPECT_EQ(INF_SUCCESS, RTPathAppendEx(Buf.data(), Buf.size(), Case.pszAppend, Case.cchAppendMax, Case.fStyle));
        EXPECT_STREQ(Case.pszExpect, Buf.data());

        /* One byte less: the path must come back untouched. */
        if (cchExpect > strlen(Case.pszPath))
        {
            std::vector<char> Small = ExactBuffer(Case.pszPath, cchExpect);
            EXPECT_EQ(ERR_BUFFER_OVERFLOW,
                      RTPathAppendEx(Small.data(), Small.size(), Case.pszAppend, Case.cchAppendMax, Case.fStyle));
            EXPECT_STREQ(Case.pszPath, Small.data());
        }
    }
}

TEST(PathAppend, HostStyleShortForm)
{
    char szPath[16] = "C:\\dir";
    EXPECT_EQ(INF_SUCCESS, RTPathAppend(szPath, sizeof(szPath), "/file"));
    EXPECT_STREQ("C:\\dir/file", szPath);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathAppend(szPath, sizeof(szPath), "0123456789"));
    EXPECT_STREQ("C:\\dir/file", szPath);
}

TEST(PathAppend, Errors)
{
    /* No terminator within the size: refused, nothing read past it or written. */
    std::vector<char> NoNul = {'d', 'i', 'r'};
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTPathAppendEx(NoNul.data(), NoNul.size(), "x", RTSTR_MAX, 0));
    EXPECT_EQ(0, memcmp(NoNul.data(), "dir", 3));

    /* An empty path whose text is as long as the buffer. */
    std::vector<char> Empty = ExactBuffer("", 3);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathAppendEx(Empty.data(), Empty.size(), "abc", RTSTR_MAX, 0));
    EXPECT_STREQ("", Empty.data());

    char szPath[8] = "a";
    EXPECT_EQ(ERR_INVALID_FLAGS, RTPathAppendEx(szPath, sizeof(szPath), "b", RTSTR_MAX, 3));
    EXPECT_EQ(ERR_INVALID_FLAGS, RTPathAppendEx(szPath, sizeof(szPath), "b", RTSTR_MAX, 0x10));
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathAppendEx((char *)16, 8, "b", RTSTR_MAX, 0));
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathAppendEx(szPath, sizeof(szPath), (const char *)16, RTSTR_MAX, 0));
    EXPECT_STREQ("a", szPath);
}

TEST(PathJoin, CopiesThenAppends)
{
    struct
    {
        const char *pszFirst, *pszSecond, *pszExpect;
    } const aCases[] = {
        {"C:\\dir", "file", "C:\\dir\\file"},
        {"C:\\dir\\", "\\file", "C:\\dir\\file"},
        {"", "x", "x"},
        {"abc", "", "abc"},
        {"abc", nullptr, "abc"},
        {"D:", "f", "D:f"},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszExpect);
        std::vector<char> Buf = ExactBuffer("junk", strlen(Case.pszExpect) + 1);
        EXPECT_EQ(INF_SUCCESS, RTPathJoin(Buf.data(), Buf.size(), Case.pszFirst, Case.pszSecond));
        EXPECT_STREQ(Case.pszExpect, Buf.data());
    }
}

TEST(PathJoin, FailureLeavesDestinationUnchanged)
{
    /* The first path alone does not fit. */
    std::vector<char> Buf = ExactBuffer("old", 4);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathJoin(Buf.data(), Buf.size(), "abcd", nullptr));
    EXPECT_STREQ("old", Buf.data());
    /* The first path fits but the joined one does not. */
    Buf = ExactBuffer("old", 6);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathJoin(Buf.data(), Buf.size(), "abc", "de"));
    EXPECT_STREQ("old", Buf.data());

    /* In place: the destination is the first path. */
    char szPath[16] = "C:\\a";
    EXPECT_EQ(INF_SUCCESS, RTPathJoin(szPath, sizeof(szPath), szPath, "b"));
    EXPECT_STREQ("C:\\a\\b", szPath);
}

TEST(PathJoin, IntoNewString)
{
    char *psz = RTPathJoinA("C:\\dir\\\\", "\\file");
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("C:\\dir\\file", psz);
    RTStrFree(psz);

    psz = RTPathJoinA("dir", nullptr);
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("dir", psz);
    RTStrFree(psz);

    EXPECT_EQ(nullptr, RTPathJoinA((const char *)16, "x"));
    tst::failAllocationsAfter(0);
    EXPECT_EQ(nullptr, RTPathJoinA("a", "b"));
    tst::endAllocationFailures();
}

TEST(PathText, FilenameAndSuffix)
{
    struct
    {
        const char *pszPath;
        int offName;   /**< -1 for null */
        int offSuffix; /**< -1 for null */
    } const aCases[] = {
        {"C:\\dir\\", -1, -1}, {"C:file", 2, -1},      {"dir/file", 4, -1}, {"file", 0, -1},
        {"", -1, -1},          {"C:", -1, -1},         {"pkg.msi", 0, 3},   {".msi", 0, -1},
        {"pkg.", 0, -1},       {"dir.d\\file", 6, -1}, {"a.tar.gz", 0, 5},  {"dir\\.profile", 4, 4},
        {"C:.x", 2, 2},        {"a.b/", -1, -1},       {"x\\a.b:c", 6, -1}, {"/dir.x/f.y", 7, 8},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        const char *pszName = RTPathFilename(Case.pszPath);
        EXPECT_EQ(Case.offName < 0 ? nullptr : Case.pszPath + Case.offName, pszName);
        const char *pszSuffix = RTPathSuffix(Case.pszPath);
        EXPECT_EQ(Case.offSuffix < 0 ? nullptr : Case.pszPath + Case.offSuffix, pszSuffix);
        EXPECT_EQ(Case.offSuffix >= 0, RTPathHasSuffix(Case.pszPath));
    }
    EXPECT_EQ(nullptr, RTPathFilename((const char *)16));
    EXPECT_EQ(nullptr, RTPathSuffix(nullptr));
}

TEST(PathText, RootsAndSeparators)
{
    struct
    {
        const char *pszPath;
        size_t cchRoot;
        bool fStartsWithRoot;
        bool fHasPath;
    } const aCases[] = {
        {"", 0, false, false},
        {"x", 0, false, false},
        {"1:x", 0, false, true},
        {"\\", 1, true, true},
        {"\\x", 1, true, true},
        {"/x", 1, true, true},
        {"\\\\", 1, true, true},
        {"\\\\\\x", 1, true, true},
        {"C:", 2, true, true},
        {"C:x", 2, true, true},
        {"C:\\", 3, true, true},
        {"c:/x", 3, true, true},
        {"\\\\srv", 5, true, true},
        {"\\\\srv\\share", 11, true, true},
        {"\\\\srv\\share\\x", 12, true, true},
        {"//srv/share/", 12, true, true},
        {"a\\b", 0, false, true},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        EXPECT_EQ(Case.cchRoot, RTPathRootSpecLen(Case.pszPath));
        EXPECT_EQ(Case.fStartsWithRoot, RTPathStartsWithRoot(Case.pszPath));
        EXPECT_EQ(Case.fHasPath, RTPathHasPath(Case.pszPath));
    }
    EXPECT_EQ(0u, RTPathRootSpecLen(nullptr));

    char szPath[] = "a/b\\c/";
    EXPECT_EQ(szPath, RTPathChangeToDosSlashes(szPath, false));
    EXPECT_STREQ("a\\b\\c\\", szPath);
}

TEST(PathText, ParseSimple)
{
    struct
    {
        const char *pszPath;
        size_t cchDir;
        ptrdiff_t offName, offSuff;
    } const aCases[] = {
        {"C:\\dir\\prog.exe", 6, 7, 11},
        {"C:\\prog.exe", 3, 3, 7},
        {"prog", 0, 0, -1},
        {"C:\\dir\\", 6, -1, -1},
        {"C:\\", 3, -1, -1},
        {"", 0, -1, -1},
        {"C:", 2, -1, -1},
        {"C:prog", 2, 2, -1},
        {"\\\\srv\\share\\f.x", 11, 12, 13},
        {"\\\\srv", 5, -1, -1},
        {".profile", 0, 0, -1},
        {"dir\\a.", 3, 4, -1},
        {"a.b.c", 0, 0, 3},
        {"a\\\\\\b", 1, 4, -1},
        {"\\prog", 1, 1, -1},
        {"dir\\\\", 3, -1, -1},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        size_t cchDir = 99;
        ptrdiff_t offName = 99, offSuff = 99;
        EXPECT_EQ(strlen(Case.pszPath), RTPathParseSimple(Case.pszPath, &cchDir, &offName, &offSuff));
        EXPECT_EQ(Case.cchDir, cchDir);
        EXPECT_EQ(Case.offName, offName);
        EXPECT_EQ(Case.offSuff, offSuff);
    }
    EXPECT_EQ(5u, RTPathParseSimple("C:\\ab", nullptr, nullptr, nullptr));
}

TEST(PathText, EnsureTrailingSeparator)
{
    struct
    {
        const char *pszPath;
        size_t cb;
        size_t cchResult;
        const char *pszExpect;
    } const aCases[] = {
        {"", 3, 2, ".\\"},      {"", 2, 0, ""},     {"dir", 5, 4, "dir\\"}, {"dir", 4, 0, "dir"},
        {"dir/", 5, 4, "dir/"}, {"C:", 3, 2, "C:"}, {"d\\", 3, 2, "d\\"},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        std::vector<char> Buf = ExactBuffer(Case.pszPath, Case.cb);
        EXPECT_EQ(Case.cchResult, RTPathEnsureTrailingSeparator(Buf.data(), Buf.size()));
        EXPECT_STREQ(Case.pszExpect, Buf.data());
    }
    std::vector<char> NoNul = {'a', 'b'};
    EXPECT_EQ(0u, RTPathEnsureTrailingSeparator(NoNul.data(), NoNul.size()));
    EXPECT_EQ('b', NoNul[1]);
}

TEST(PathText, StripTrailingSlash)
{
    struct
    {
        const char *pszPath, *pszExpect;
    } const aCases[] = {
        {"C:\\", "C:\\"}, {"C:\\\\", "C:\\"}, {"dir\\\\/", "dir"},      {"\\", "\\"}, {"//", "/"},
        {"", ""},         {"a", "a"},         {"C:\\dir\\", "C:\\dir"}, {"C:", "C:"}, {"\\\\srv\\", "\\\\srv"},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        std::string Path = Case.pszPath;
        EXPECT_EQ(strlen(Case.pszExpect), RTPathStripTrailingSlash(&Path[0]));
        EXPECT_STREQ(Case.pszExpect, Path.c_str());
    }
}

/** Keeps the executable-path store as it was around a test that fills it. */
class PathExecDir : public ::testing::Test
{
  protected:
    tst::ScopedExePath m_SavedExePath;
};

TEST_F(PathExecDir, WrongOrderBeforeStartUp)
{
    tst::ScopedExePath::record("");
    char sz[RTPATH_MAX] = "junk";
    EXPECT_EQ(ERR_WRONG_ORDER, RTPathExecDir(sz, sizeof(sz)));
}

TEST_F(PathExecDir, DirectoryOfTheStoredPath)
{
    struct
    {
        const char *pszExe, *pszDir, *pszName;
    } const aCases[] = {
        {"C:\\dir\\prog.exe", "C:\\dir", "prog.exe"},
        {"C:\\prog.exe", "C:\\", "prog.exe"},
        {"\\\\srv\\share\\setup.exe", "\\\\srv\\share", "setup.exe"},
        {"/usr/bin/tool", "/usr/bin", "tool"},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszExe);
        tst::ScopedExePath::record(Case.pszExe);
        EXPECT_STREQ(Case.pszName, rtProcGetExeName());
        size_t const cchDir = strlen(Case.pszDir);
        std::vector<char> Buf(cchDir + 1);
        EXPECT_EQ(INF_SUCCESS, RTPathExecDir(Buf.data(), Buf.size()));
        EXPECT_STREQ(Case.pszDir, Buf.data());
        std::vector<char> Small(cchDir, 'x');
        EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathExecDir(Small.data(), Small.size()));
        EXPECT_EQ('\0', Small[0]);
    }
}

TEST_F(PathExecDir, FilledByStartUpFunction)
{
    g_cchrtProcExePath = 0;
    ASSERT_EQ(INF_SUCCESS, rtProcInitExePath(g_szrtProcExePath, RTPROC_EXE_PATH_LIMIT));
    rtProcMeasureExePath();
    ASSERT_NE(nullptr, rtProcGetExeName());
    EXPECT_EQ(0, strncmp("rt-tests", rtProcGetExeName(), 8)) << g_szrtProcExePath;

    /* The directory and the name make up the whole path. */
    char szDir[RTPATH_MAX];
    ASSERT_EQ(INF_SUCCESS, RTPathExecDir(szDir, sizeof(szDir)));
    char szJoined[RTPATH_MAX];
    ASSERT_EQ(INF_SUCCESS, RTPathJoin(szJoined, sizeof(szJoined), szDir, rtProcGetExeName()));
    EXPECT_EQ(strlen(g_szrtProcExePath), strlen(szJoined));
    EXPECT_EQ(0, strncmp(szDir, g_szrtProcExePath, strlen(szDir)));

    char szTiny[4];
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, rtProcInitExePath(szTiny, sizeof(szTiny)));
}

/** Clears the variables the temporary directory comes from, and puts them back afterwards. */
class PathTemp : public ::testing::Test
{
  protected:
    static constexpr const char *s_apszVars[4] = {"SOLT_TMPDIR", "TMP", "TEMP", "USERPROFILE"};
    void SetUp() override
    {
        for (const char *pszVar : s_apszVars)
            m_Env.set(pszVar, nullptr);
    }
    tst::ScopedEnv m_Env;
};

TEST_F(PathTemp, FirstVariableSetDecides)
{
    struct
    {
        const char *apszValues[4]; /**< SOLT_TMPDIR, TMP, TEMP, USERPROFILE; null = unset */
        size_t cb;
        int rc;
        const char *pszExpect;
    } const aCases[] = {
        {{nullptr, nullptr, nullptr, nullptr}, 5, INF_SUCCESS, "/tmp"},
        {{nullptr, nullptr, nullptr, nullptr}, 4, ERR_BUFFER_OVERFLOW, ""},
        {{nullptr, nullptr, "C:\\T", nullptr}, 64, INF_SUCCESS, "C:\\T"},
        {{nullptr, "C:\\tmp1", "C:\\tmp2", "C:\\home"}, 64, INF_SUCCESS, "C:\\tmp1"},
        {{nullptr, nullptr, nullptr, "C:\\Users\\me"}, 64, INF_SUCCESS, "C:\\Users\\me"},
        {{"C:\\solt", "C:\\tmp", nullptr, nullptr}, 64, INF_SUCCESS, "C:\\solt"},
        /* A set variable that does not fit ends the search, though TMP would fit. */
        {{"C:\\a-rather-long-temporary-directory", "C:\\t", nullptr, nullptr}, 16, ERR_BUFFER_OVERFLOW, nullptr},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszExpect ? Case.pszExpect : "(overflow)");
        for (size_t i = 0; i < 4; i++)
            ASSERT_TRUE(m_Env.set(s_apszVars[i], Case.apszValues[i]));
        std::vector<char> Buf(Case.cb, 'x');
        EXPECT_EQ(Case.rc, RTPathTemp(Buf.data(), Buf.size()));
        if (Case.pszExpect)
        {
            EXPECT_STREQ(Case.pszExpect, Buf.data());
        }
    }
}

TEST_F(PathTemp, EmptyValueIsTakenAsItIs)
{
    ASSERT_TRUE(m_Env.set("TMP", ""));
    ASSERT_TRUE(m_Env.set("TEMP", "C:\\T"));
    char sz[16] = "junk";
    EXPECT_EQ(INF_SUCCESS, RTPathTemp(sz, sizeof(sz)));
    EXPECT_STREQ("", sz);
}

} // namespace
