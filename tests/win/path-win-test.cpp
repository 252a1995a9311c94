/** @file
 * Paths against the real system: current directory changes and failures,
 * renaming with the type check, and the executable's directory.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/path.h>
#include "internal/process.h"
#include "support/scoped.h"
#include "support/scratch-tree.h"

#include <cstring>
#include <string>

namespace
{

class PathWinDir : public tst::ScratchTree
{
};

const uint32_t RTFS_TYPE_FILE = 0x8000;

TEST_F(PathWinDir, RenameMovesAndChecksTheType)
{
    makeFile("a.txt", "a");
    makeDir("sub");

    /* The expected type must match before anything moves. */
    EXPECT_EQ(ERR_NOT_A_DIRECTORY,
              RTPathRename(path("a.txt").c_str(), path("b.txt").c_str(), 0, RTPATH_RENAME_TYPE_DIRECTORY));
    EXPECT_EQ(ERR_IS_A_DIRECTORY, RTPathRename(path("sub").c_str(), path("sub2").c_str(), 0, RTFS_TYPE_FILE));
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTPathRename(path("none").c_str(), path("b.txt").c_str(), 0, RTFS_TYPE_FILE));
    EXPECT_TRUE(exists("a.txt"));
    EXPECT_TRUE(exists("sub"));

    EXPECT_EQ(INF_SUCCESS, RTPathRename(path("a.txt").c_str(), path("b.txt").c_str(), 0, RTFS_TYPE_FILE));
    EXPECT_FALSE(exists("a.txt"));
    EXPECT_TRUE(exists("b.txt"));
    EXPECT_EQ(INF_SUCCESS, RTPathRename(path("sub").c_str(), path("sub2").c_str(), 0, RTPATH_RENAME_TYPE_DIRECTORY));
    EXPECT_TRUE(exists("sub2"));

    /* An existing target needs MOVEFILE_REPLACE_EXISTING. */
    makeFile("c.txt", "c");
    EXPECT_EQ(ERR_ALREADY_EXISTS, RTPathRename(path("b.txt").c_str(), path("c.txt").c_str(), 0, 0));
    EXPECT_EQ(INF_SUCCESS, RTPathRename(path("b.txt").c_str(), path("c.txt").c_str(), MOVEFILE_REPLACE_EXISTING, 0));
    EXPECT_FALSE(exists("b.txt"));
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathRename((const char *)8, path("c.txt").c_str(), 0, 0));
}

TEST_F(PathWinDir, CurrentDirectoryFollowsTheSystem)
{
    tst::ScopedCurrentDir SavedCwd;
    makeDir("sub");

    /* Trailing separator dropped; the system agrees on the result. */
    ASSERT_EQ(INF_SUCCESS, RTPathSetCurrent((path("sub") + "\\").c_str()));
    char szSystem[MAX_PATH];
    GetCurrentDirectoryA(sizeof(szSystem), szSystem);
    char szCwd[RTPATH_MAX];
    ASSERT_EQ(INF_SUCCESS, RTPathGetCurrent(szCwd, sizeof(szCwd)));
    EXPECT_STREQ(szSystem, szCwd);
    EXPECT_EQ(0, _stricmp(path("sub").c_str(), szCwd));

    /* "..", as the installer uses it around clean-up. */
    ASSERT_EQ(INF_SUCCESS, RTPathSetCurrent(".."));
    ASSERT_EQ(INF_SUCCESS, RTPathGetCurrent(szCwd, sizeof(szCwd)));
    EXPECT_EQ(0, _stricmp(m_strRoot.c_str(), szCwd));

    /* A directory that does not exist leaves the current one as it is. */
    int rc = RTPathSetCurrent(path("none").c_str());
    EXPECT_TRUE(rc == ERR_FILE_NOT_FOUND || rc == ERR_PATH_NOT_FOUND) << rc;
    ASSERT_EQ(INF_SUCCESS, RTPathGetCurrent(szCwd, sizeof(szCwd)));
    EXPECT_EQ(0, _stricmp(m_strRoot.c_str(), szCwd));

    /* The second drive a Windows prefix has: root-relative paths follow the current drive. */
    ASSERT_EQ(INF_SUCCESS, RTPathSetCurrent("Z:\\"));
    char szAbs[RTPATH_MAX];
    EXPECT_EQ(INF_SUCCESS, RTPathAbs("\\x\\y", szAbs, sizeof(szAbs)));
    EXPECT_STREQ("Z:\\x\\y", szAbs);
    EXPECT_EQ(INF_SUCCESS, RTPathGetCurrentDrive(szAbs, sizeof(szAbs)));
    EXPECT_STREQ("Z:", szAbs);
}

TEST(PathWin, ExecDirIsTheModulesDirectory)
{
    tst::ScopedExePath SavedExePath;
    ASSERT_EQ(INF_SUCCESS, rtProcInitExePath(g_szrtProcExePath, RTPROC_EXE_PATH_LIMIT));
    rtProcMeasureExePath();

    char szModule[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(NULL, szModule, sizeof(szModule)));
    *strrchr(szModule, '\\') = '\0';
    char szDir[RTPATH_MAX];
    ASSERT_EQ(INF_SUCCESS, RTPathExecDir(szDir, sizeof(szDir)));
    EXPECT_STREQ(szModule, szDir);
    EXPECT_STREQ("rt-tests.exe", rtProcGetExeName());
}

} // namespace
