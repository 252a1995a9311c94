/** @file
 * Absolute paths: the four ways a path is made absolute, the flags, the
 * in/out size on overflow, and the current-directory queries they rest on.
 *
 * Every test runs with the current directory 'C:\windows', which exists in a
 * Windows prefix and is plain text to the host build's stand-in, so the same
 * expectations hold in both builds.
 */
#include <gtest/gtest.h>
#include <rt/path.h>
#include "support/alloc-failure.h"
#include "support/scoped.h"
#ifdef RT_OS_HOST
#include "internal/path-shim.h"
#endif

#include <cstring>
#include <string>
#include <vector>

namespace
{

const char g_szCwd[] = "C:\\windows";

/** Sets the current directory for a test and puts the old one back afterwards. */
class PathCwd : public ::testing::Test
{
  protected:
    tst::ScopedCurrentDir m_Cwd{g_szCwd};
};

/** Guard bytes after the destination tell writes past its size. */
const size_t g_cbGuard = 16;
const char g_chGuard = '\x5a';

/** RTPathAbsEx into a buffer of exactly @a cb bytes followed by guard bytes. */
int AbsInto(const char *pszBase, const char *pszPath, uint32_t fFlags, size_t cb, std::string *pOut, size_t *pcb)
{
    std::vector<char> Buf(cb + g_cbGuard, g_chGuard);
    *pcb = cb;
    int rc = RTPathAbsEx(pszBase, pszPath, fFlags, Buf.data(), pcb);
    for (size_t i = cb; i < Buf.size(); i++)
        EXPECT_EQ(g_chGuard, Buf[i]) << "written past the size " << cb << " at " << i;
    pOut->assign(Buf.data(), strnlen(Buf.data(), cb));
    return rc;
}

struct AbsCase
{
    const char *pszBase;
    const char *pszPath;
    uint32_t fFlags;
    const char *pszExpect; /**< null when rc is a failure */
    int rc;
};

const uint32_t ENSURE = RTPATHABS_F_ENSURE_TRAILING_SLASH;
const uint32_t STOP_BASE = RTPATHABS_F_STOP_AT_BASE;
const uint32_t STOP_CWD = RTPATHABS_F_STOP_AT_CWD;
const uint32_t UNIX = RTPATH_STYLE_UNIX;

const AbsCase g_aAbsCases[] = {
    /* Absolute paths are only normalised; the drive letter is upper-cased. */
    {nullptr, "c:\\a\\.\\b", 0, "C:\\a\\b", 0},
    {nullptr, "c:/", 0, "C:\\", 0},
    {nullptr, "C:\\a\\", 0, "C:\\a\\", 0},
    {nullptr, "//server/share/./x/", 0, "\\\\server\\share\\x\\", 0},
    {nullptr, "\\\\server", 0, "\\\\server", 0},
    {nullptr, "\\\\.\\pipe\\x", 0, "\\\\.\\pipe\\x", 0},
    {"D:\\base", "C:\\abs", 0, "C:\\abs", 0},
    /* Rooted paths with "..": stop at the root or the share; the drive keeps its case. */
    {nullptr, "C:\\a\\..\\..\\b", 0, "C:\\b", 0},
    {nullptr, "c:\\a\\.\\b\\..\\c", 0, "c:\\a\\c", 0},
    {nullptr, "\\\\server\\share\\..\\x", 0, "\\\\server\\share\\x", 0},
    {nullptr, "\\\\server\\..\\x", 0, "\\\\server\\x", 0},
    {nullptr, "\\\\?\\C:\\a\\..\\b", 0, "\\\\?\\C:\\b", 0},
    /* Root-relative paths go on the current drive, or the base's drive or share. */
    {nullptr, "\\foo", 0, "C:\\foo", 0},
    {nullptr, "\\", 0, "C:\\", 0},
    {nullptr, "/../x", 0, "C:\\x", 0},
    {"D:\\base", "\\x", 0, "D:\\x", 0},
    {"d:\\base", "\\x", 0, "D:\\x", 0},
    {"\\\\srv\\share\\dir", "\\x", 0, "\\\\srv\\share\\x", 0},
    {"//srv/share/dir", "/x", 0, "\\\\srv\\share\\x", 0},
    {"\\\\srv", "\\x", 0, "\\\\srv\\x", 0},
    {"\\\\srv\\.", "\\x", 0, "\\\\srv\\x", 0},
    {"\\\\?\\D:\\dir", "\\x", 0, "\\\\?\\x", 0},
    {"rel", "\\x", 0, "C:\\x", 0},
    /* Relative paths on the current directory. */
    {nullptr, "foo\\", 0, "C:\\windows\\foo\\", 0},
    {nullptr, "a//b", 0, "C:\\windows\\a\\b", 0},
    {nullptr, "a/b", 0, "C:\\windows\\a\\b", 0},
    {nullptr, ".", 0, "C:\\windows", 0},
    {nullptr, ".\\", 0, "C:\\windows\\", 0},
    {nullptr, "..", 0, "C:\\", 0},
    {nullptr, "..\\..\\..\\x", 0, "C:\\x", 0},
    {nullptr, "a\\..\\..\\b", 0, "C:\\b", 0},
    {nullptr, "C:foo", 0, "C:\\windows\\foo", 0},
    {nullptr, "c:foo", 0, "C:\\windows\\foo", 0},
    {nullptr, "C:", 0, "C:\\windows", 0},
    {nullptr, "C:..\\x", 0, "C:\\x", 0},
    {"", "x", 0, "C:\\windows\\x", 0},
    {"D:\\base", "C:x", 0, "C:\\windows\\x", 0},
    /* Relative paths on a base. */
    {"D:\\base\\dir", "x", 0, "D:\\base\\dir\\x", 0},
    {"d:\\base", "..\\x", 0, "D:\\x", 0},
    {"D:\\base", "..\\..\\..\\x", 0, "D:\\x", 0},
    {"D:\\base", "D:x", 0, "D:\\base\\x", 0},
    {"D:\\base", "d:x", 0, "D:\\base\\x", 0},
    {"D:\\a\\.\\b", "x", 0, "D:\\a\\b\\x", 0},
    {"D:\\base\\", ".", 0, "D:\\base", 0},
    {"D:\\base", ".\\", 0, "D:\\base\\", 0},
    {"D:\\base", "a\\..", 0, "D:\\base", 0},
    {"D:\\", "x", 0, "D:\\x", 0},
    {"D:\\", "..", 0, "D:\\", 0},
    {"\\\\srv\\share", "..\\x", 0, "\\\\srv\\share\\x", 0},
    {"\\\\srv\\share\\", "x", 0, "\\\\srv\\share\\x", 0},
    {"rel", "x", 0, "C:\\windows\\rel\\x", 0},
    {"..\\rel", "x", 0, "C:\\rel\\x", 0},
    {"\\x", "y", 0, "C:\\x\\y", 0},
    {"\\\\srv", "x", 0, nullptr, ERR_PATH_INVALID_BASE},
    /* Flags. */
    {nullptr, "C:\\a", ENSURE, "C:\\a\\", 0},
    {nullptr, "C:\\", ENSURE, "C:\\", 0},
    {nullptr, "\\x", ENSURE, "C:\\x\\", 0},
    {nullptr, "\\x\\..", ENSURE, "C:\\", 0},
    {nullptr, "x", ENSURE, "C:\\windows\\x\\", 0},
    {nullptr, ".", ENSURE, "C:\\windows\\", 0},
    {"D:\\base", "x", ENSURE, "D:\\base\\x\\", 0},
    {"D:\\base", "..\\x", STOP_BASE, "D:\\base\\x", 0},
    {"D:\\base", "..\\..", STOP_BASE, "D:\\base", 0},
    {"D:\\base", "..\\x", STOP_CWD, "D:\\x", 0},
    {nullptr, "..\\x", STOP_CWD, "C:\\windows\\x", 0},
    {nullptr, "a\\..\\..\\x", STOP_CWD, "C:\\windows\\x", 0},
    {nullptr, "..\\x", STOP_BASE, "C:\\x", 0},
    {"..\\rel", "x", STOP_CWD, "C:\\windows\\rel\\x", 0},
    {nullptr, "x", RTPATH_STYLE_DOS, "C:\\windows\\x", 0},
    /* Unix style needs a base that is absolute in its terms. */
    {nullptr, "/a/./b/../c", UNIX, "/a/c", 0},
    {nullptr, "/../x", UNIX, "/x", 0},
    {"/usr/lib", "../bin", UNIX, "/usr/bin", 0},
    {"/usr", "a\\b", UNIX, "/usr/a\\b", 0},
    {"/", "..", UNIX, "/", 0},
    {nullptr, "x", UNIX, nullptr, ERR_PATH_INVALID_BASE},
    /* Refused arguments. */
    {nullptr, "", 0, nullptr, ERR_PATH_ZERO_LENGTH},
    {nullptr, "x", 3, nullptr, ERR_INVALID_FLAGS},
    {nullptr, "x", 0x80000, nullptr, ERR_INVALID_FLAGS},
    {nullptr, "x", RTPATH_PARSE_F_NO_START, nullptr, ERR_INVALID_FLAGS},
};

std::string Describe(const AbsCase &Case)
{
    return std::string("base '") + (Case.pszBase ? Case.pszBase : "(null)") + "' path '" + Case.pszPath + "' flags " +
           ::testing::PrintToString(Case.fFlags);
}

TEST_F(PathCwd, AbsExTable)
{
    for (const AbsCase &Case : g_aAbsCases)
    {
        SCOPED_TRACE(Describe(Case));
        std::string Out;
        size_t cb = 0;
        if (!Case.pszExpect)
        {
            EXPECT_EQ(Case.rc, AbsInto(Case.pszBase, Case.pszPath, Case.fFlags, 64, &Out, &cb));
            EXPECT_EQ("", Out);
            continue;
        }

        size_t const cchExpect = strlen(Case.pszExpect);
        EXPECT_EQ(INF_SUCCESS, AbsInto(Case.pszBase, Case.pszPath, Case.fFlags, cchExpect + 1, &Out, &cb));
        EXPECT_EQ(Case.pszExpect, Out);
        EXPECT_EQ(cchExpect, cb);

        /* Every smaller size: overflow, an empty destination, and the size that will do. */
        for (size_t cbSmall = 0; cbSmall <= cchExpect; cbSmall++)
        {
            SCOPED_TRACE("size " + std::to_string(cbSmall));
            EXPECT_EQ(ERR_BUFFER_OVERFLOW, AbsInto(Case.pszBase, Case.pszPath, Case.fFlags, cbSmall, &Out, &cb));
            EXPECT_EQ("", Out);
            EXPECT_EQ(cchExpect + 1, cb);
        }
    }
}

TEST_F(PathCwd, AbsShortForm)
{
    char szAbs[RTPATH_MAX];
    EXPECT_EQ(INF_SUCCESS, RTPathAbs("sub\\.\\file", szAbs, sizeof(szAbs)));
    EXPECT_STREQ("C:\\windows\\sub\\file", szAbs);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathAbs("sub", szAbs, 5));
    EXPECT_STREQ("", szAbs);
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathAbs("sub", (char *)64, 5));
}

TEST_F(PathCwd, AbsExDup)
{
    char *psz = RTPathAbsExDup(nullptr, "a\\..\\b", 0);
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("C:\\windows\\b", psz);
    RTStrFree(psz);

    psz = RTPathAbsExDup("D:\\base", "x", RTPATHABS_F_ENSURE_TRAILING_SLASH);
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("D:\\base\\x\\", psz);
    RTStrFree(psz);

    EXPECT_EQ(nullptr, RTPathAbsExDup(nullptr, "", 0));
    EXPECT_EQ(nullptr, RTPathAbsExDup("\\\\srv", "x", 0));
    tst::failAllocationsAfter(0);
    EXPECT_EQ(nullptr, RTPathAbsExDup(nullptr, "x", 0));
    tst::endAllocationFailures();
}

TEST_F(PathCwd, ManyComponentsUseTheHeap)
{
    /* More than a stack record holds: 400 components, most of them removed again. */
    std::string Path;
    for (int i = 0; i < 200; i++)
        Path += "d\\";
    for (int i = 0; i < 199; i++)
        Path += "..\\";
    Path += "f";
    char szAbs[RTPATH_MAX];
    EXPECT_EQ(INF_SUCCESS, RTPathAbs(Path.c_str(), szAbs, sizeof(szAbs)));
    EXPECT_STREQ("C:\\windows\\d\\f", szAbs);

    tst::failAllocationsAfter(0);
    EXPECT_EQ(ERR_NO_TMP_MEMORY, RTPathAbs(Path.c_str(), szAbs, sizeof(szAbs)));
    tst::endAllocationFailures();
}

TEST_F(PathCwd, CurrentDirectoryQueries)
{
    char sz[RTPATH_MAX];
    EXPECT_EQ(INF_SUCCESS, RTPathGetCurrent(sz, sizeof(sz)));
    EXPECT_STREQ(g_szCwd, sz);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathGetCurrent(sz, sizeof(g_szCwd) - 1));
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathGetCurrent(sz, 0));

    EXPECT_EQ(INF_SUCCESS, RTPathGetCurrentDrive(sz, sizeof(sz)));
    EXPECT_STREQ("C:", sz);
    EXPECT_EQ(INF_SUCCESS, RTPathGetCurrentDrive(sz, 3));
    EXPECT_STREQ("C:", sz);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathGetCurrentDrive(sz, 2));
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathGetCurrentDrive(sz, 0));

    /* The system's answer as it gives it: some keep the separator after the directory. */
    EXPECT_EQ(INF_SUCCESS, RTPathGetCurrentOnDrive('c', sz, sizeof(sz)));
    RTPathStripTrailingSlash(sz);
    EXPECT_STREQ(g_szCwd, sz);
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTPathGetCurrentOnDrive('1', sz, sizeof(sz)));
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathGetCurrentOnDrive('C', sz, 0));
}

TEST_F(PathCwd, SetCurrent)
{
    char sz[RTPATH_MAX];
    struct
    {
        const char *pszSet, *pszExpect;
    } const aSteps[] = {
        {"C:\\windows\\system32\\", "C:\\windows\\system32"}, /* one trailing separator dropped */
        {"..", "C:\\windows"},                                /* relative to the current one */
        {"C:\\windows/", "C:\\windows"},                      /* either separator */
        {"C:\\", "C:\\"},                                     /* a root keeps it */
        {"C:/", "C:\\"},
        {"c:\\windows", "C:\\windows"}, /* the drive letter is reported upper-case */
        {"system32", "C:\\windows\\system32"},
    };
    for (const auto &Step : aSteps)
    {
        SCOPED_TRACE(Step.pszSet);
        EXPECT_EQ(INF_SUCCESS, RTPathSetCurrent(Step.pszSet));
        EXPECT_EQ(INF_SUCCESS, RTPathGetCurrent(sz, sizeof(sz)));
        EXPECT_STREQ(Step.pszExpect, sz);
    }
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTPathSetCurrent(""));
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathSetCurrent((const char *)32));
}

#ifdef RT_OS_HOST
/* The host stand-in lets the current directory take forms a Windows prefix cannot offer. */

TEST_F(PathCwd, DriveRelativeUsesThatDrivesDirectory)
{
    ASSERT_EQ(INF_SUCCESS, rtPathShimSetDriveCurrent('E', "E:\\data"));
    char sz[RTPATH_MAX];
    EXPECT_EQ(INF_SUCCESS, RTPathAbs("E:bar", sz, sizeof(sz)));
    EXPECT_STREQ("E:\\data\\bar", sz);
    EXPECT_EQ(INF_SUCCESS, RTPathAbs("e:..\\bar", sz, sizeof(sz)));
    EXPECT_STREQ("E:\\bar", sz);
    EXPECT_EQ(INF_SUCCESS, RTPathAbs("F:bar", sz, sizeof(sz)));
    EXPECT_STREQ("F:\\bar", sz);

    size_t cb = sizeof(sz);
    EXPECT_EQ(INF_SUCCESS, RTPathAbsEx("D:\\base", "E:bar", 0, sz, &cb));
    EXPECT_STREQ("E:\\data\\bar", sz);
}

TEST_F(PathCwd, UncCurrentDirectory)
{
    ASSERT_EQ(INF_SUCCESS, rtPathShimSetCurrent("\\\\srv\\share\\dir"));
    struct
    {
        const char *pszPath;
        uint32_t fFlags;
        const char *pszExpect;
    } const aCases[] = {
        {"\\x", 0, "\\\\srv\\share\\x"},
        {"x", 0, "\\\\srv\\share\\dir\\x"},
        {"..\\..\\..\\x", 0, "\\\\srv\\share\\x"},
        {"..\\x", STOP_CWD, "\\\\srv\\share\\dir\\x"},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        char sz[RTPATH_MAX];
        size_t cb = sizeof(sz);
        EXPECT_EQ(INF_SUCCESS, RTPathAbsEx(nullptr, Case.pszPath, Case.fFlags, sz, &cb));
        EXPECT_STREQ(Case.pszExpect, sz);
    }
    char sz[RTPATH_MAX];
    EXPECT_EQ(INF_SUCCESS, RTPathGetCurrentDrive(sz, sizeof(sz)));
    EXPECT_STREQ("\\\\srv\\share", sz);
}

TEST_F(PathCwd, CurrentDriveForms)
{
    struct
    {
        const char *pszCwd;
        int rc;
        const char *pszDrive;
    } const aCases[] = {
        {"\\\\srv\\\\share\\\\dir", INF_SUCCESS, "\\\\srv\\\\share"},
        {"\\\\srv", INF_SUCCESS, "\\\\srv"},
        {"\\\\srv\\", INF_SUCCESS, "\\\\srv"},
        {"d:\\x", INF_SUCCESS, "D:"},
        {"\\\\\\x", ERR_INTERNAL_ERROR_4, ""},
        {"\\x", ERR_INTERNAL_ERROR_4, ""},
        {"rel", ERR_INTERNAL_ERROR_4, ""},
    };
    for (const auto &Case : aCases)
    {
        SCOPED_TRACE(Case.pszCwd);
        ASSERT_EQ(INF_SUCCESS, rtPathShimSetCurrent(Case.pszCwd));
        char sz[64] = "junk";
        EXPECT_EQ(Case.rc, RTPathGetCurrentDrive(sz, sizeof(sz)));
        EXPECT_STREQ(Case.pszDrive, sz);
    }

    /* A root-relative path fails the same way; a relative one finds no usable base. */
    char sz[64];
    EXPECT_EQ(ERR_INTERNAL_ERROR_4, RTPathAbs("\\x", sz, sizeof(sz)));
    EXPECT_EQ(ERR_PATH_INVALID_BASE, RTPathAbs("x", sz, sizeof(sz)));
}

TEST_F(PathCwd, CommonCaseNeedsNoHeap)
{
    /* The record lives on the stack and the current directory is combined in the destination. */
    tst::failAllocationsAfter(0);
    char sz[RTPATH_MAX];
    size_t cb = sizeof(sz);
    for (const char *pszPath : {"a\\..\\b", "\\x", "C:\\a\\.\\b", "C:x", "..\\..\\y"})
    {
        SCOPED_TRACE(pszPath);
        EXPECT_EQ(INF_SUCCESS, RTPathAbs(pszPath, sz, sizeof(sz)));
    }
    EXPECT_EQ(INF_SUCCESS, RTPathAbsEx("D:\\base", "..\\x", 0, sz, &cb));
    tst::endAllocationFailures();
}

TEST_F(PathCwd, LongCurrentDirectory)
{
    std::string Cwd = "C:\\" + std::string(5000, 'd');
    ASSERT_EQ(INF_SUCCESS, rtPathShimSetCurrent(Cwd.c_str()));
    std::string Expect = Cwd + "\\x";

    /* Too long for the destination: the size needed comes back and is enough. */
    std::string Out;
    size_t cb;
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, AbsInto(nullptr, "x", 0, RTPATH_MAX, &Out, &cb));
    EXPECT_EQ(Expect.size() + 1, cb);
    EXPECT_EQ(INF_SUCCESS, AbsInto(nullptr, "x", 0, cb, &Out, &cb));
    EXPECT_EQ(Expect, Out);

    /* Without memory for the aside buffer the size is an estimate that still suffices. */
    tst::failAllocationsAfter(0);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, AbsInto(nullptr, "x", 0, 100, &Out, &cb));
    EXPECT_EQ(1 + 65536 + 2u, cb);
    tst::endAllocationFailures();
    EXPECT_EQ(INF_SUCCESS, AbsInto(nullptr, "x", 0, cb, &Out, &cb));

    /* A relative base made absolute against it: the size covers base and path together. */
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, AbsInto("sub", "x", 0, 100, &Out, &cb));
    EXPECT_EQ(Cwd.size() + 7, cb);
    EXPECT_EQ(INF_SUCCESS, AbsInto("sub", "x", 0, cb, &Out, &cb));
    EXPECT_EQ(Cwd + "\\sub\\x", Out);
    tst::failAllocationsAfter(0);
    EXPECT_EQ(ERR_NO_TMP_MEMORY, AbsInto("sub", "x", 0, 100, &Out, &cb));
    tst::endAllocationFailures();
}

TEST_F(PathCwd, AbsExDupGrowsForLongResults)
{
    /* Longer than the first guess: one retry with the size asked for. */
    std::string Base = "D:\\" + std::string(3000, 'b');
    char *psz = RTPathAbsExDup(Base.c_str(), "x", 0);
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ(Base + "\\x", psz);
    RTStrFree(psz);

    /* The same through a current directory beyond the system's usual limits. */
    std::string Cwd = "C:\\" + std::string(20000, 'c');
    ASSERT_EQ(INF_SUCCESS, rtPathShimSetCurrent(Cwd.c_str()));
    psz = RTPathAbsExDup(nullptr, "x", 0);
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ(Cwd + "\\x", psz);
    RTStrFree(psz);
}

TEST_F(PathCwd, LongCurrentDrive)
{
    std::string Share = "\\\\srv\\" + std::string(5000, 's');
    ASSERT_EQ(INF_SUCCESS, rtPathShimSetCurrent((Share + "\\dir").c_str()));
    std::string Out;
    size_t cb;
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, AbsInto(nullptr, "\\x", 0, 100, &Out, &cb));
    EXPECT_EQ(Share.size() + 3, cb);
    EXPECT_EQ(INF_SUCCESS, AbsInto(nullptr, "\\x", 0, cb, &Out, &cb));
    EXPECT_EQ(Share + "\\x", Out);

    tst::failAllocationsAfter(0);
    EXPECT_EQ(ERR_NO_TMP_MEMORY, AbsInto(nullptr, "\\x", 0, 100, &Out, &cb));
    tst::endAllocationFailures();
}
#endif /* RT_OS_HOST */

} // namespace
