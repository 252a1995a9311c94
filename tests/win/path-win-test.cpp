/** @file
 * Paths against the real system: current directory changes and failures,
 * renaming with the type check, and the executable's directory.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/path.h>
#include "internal/process.h"

#include <cstring>
#include <string>

namespace
{

/** A fresh directory under the temporary directory, removed with its content afterwards. */
class PathWinDir : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char szTmp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(sizeof(szTmp), szTmp));
        m_Dir = std::string(szTmp) + "rtpath-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(m_Dir.c_str(), NULL)) << m_Dir;
    }
    void TearDown() override
    {
        for (const char *pszName : {"a.txt", "b.txt", "c.txt"})
            DeleteFileA(Path(pszName).c_str());
        for (const char *pszName : {"sub", "sub2"})
            RemoveDirectoryA(Path(pszName).c_str());
        EXPECT_TRUE(RemoveDirectoryA(m_Dir.c_str()));
    }
    std::string Path(const char *pszName) const { return m_Dir + "\\" + pszName; }
    void MakeFile(const char *pszName, const char *pszContent)
    {
        HANDLE hFile = CreateFileA(Path(pszName).c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
        DWORD cbWritten;
        WriteFile(hFile, pszContent, (DWORD)strlen(pszContent), &cbWritten, NULL);
        CloseHandle(hFile);
    }
    static bool Exists(const std::string &Path) { return GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string m_Dir;
};

const uint32_t RTFS_TYPE_FILE = 0x8000;

TEST_F(PathWinDir, RenameMovesAndChecksTheType)
{
    MakeFile("a.txt", "a");
    ASSERT_TRUE(CreateDirectoryA(Path("sub").c_str(), NULL));

    /* The expected type must match before anything moves. */
    EXPECT_EQ(ERR_NOT_A_DIRECTORY,
              RTPathRename(Path("a.txt").c_str(), Path("b.txt").c_str(), 0, RTPATH_RENAME_TYPE_DIRECTORY));
    EXPECT_EQ(ERR_IS_A_DIRECTORY, RTPathRename(Path("sub").c_str(), Path("sub2").c_str(), 0, RTFS_TYPE_FILE));
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTPathRename(Path("none").c_str(), Path("b.txt").c_str(), 0, RTFS_TYPE_FILE));
    EXPECT_TRUE(Exists(Path("a.txt")));
    EXPECT_TRUE(Exists(Path("sub")));

    EXPECT_EQ(INF_SUCCESS, RTPathRename(Path("a.txt").c_str(), Path("b.txt").c_str(), 0, RTFS_TYPE_FILE));
    EXPECT_FALSE(Exists(Path("a.txt")));
    EXPECT_TRUE(Exists(Path("b.txt")));
    EXPECT_EQ(INF_SUCCESS, RTPathRename(Path("sub").c_str(), Path("sub2").c_str(), 0, RTPATH_RENAME_TYPE_DIRECTORY));
    EXPECT_TRUE(Exists(Path("sub2")));

    /* An existing target needs MOVEFILE_REPLACE_EXISTING. */
    MakeFile("c.txt", "c");
    EXPECT_EQ(ERR_ALREADY_EXISTS, RTPathRename(Path("b.txt").c_str(), Path("c.txt").c_str(), 0, 0));
    EXPECT_EQ(INF_SUCCESS, RTPathRename(Path("b.txt").c_str(), Path("c.txt").c_str(), MOVEFILE_REPLACE_EXISTING, 0));
    EXPECT_FALSE(Exists(Path("b.txt")));
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathRename((const char *)8, Path("c.txt").c_str(), 0, 0));
}

TEST_F(PathWinDir, CurrentDirectoryFollowsTheSystem)
{
    char szSaved[RTPATH_MAX];
    ASSERT_EQ(INF_SUCCESS, RTPathGetCurrent(szSaved, sizeof(szSaved)));
    ASSERT_TRUE(CreateDirectoryA(Path("sub").c_str(), NULL));

    /* Trailing separator dropped; the system agrees on the result. */
    ASSERT_EQ(INF_SUCCESS, RTPathSetCurrent((Path("sub") + "\\").c_str()));
    char szSystem[MAX_PATH];
    GetCurrentDirectoryA(sizeof(szSystem), szSystem);
    char szCwd[RTPATH_MAX];
    ASSERT_EQ(INF_SUCCESS, RTPathGetCurrent(szCwd, sizeof(szCwd)));
    EXPECT_STREQ(szSystem, szCwd);
    EXPECT_EQ(0, _stricmp(Path("sub").c_str(), szCwd));

    /* "..", as the installer uses it around clean-up. */
    ASSERT_EQ(INF_SUCCESS, RTPathSetCurrent(".."));
    ASSERT_EQ(INF_SUCCESS, RTPathGetCurrent(szCwd, sizeof(szCwd)));
    EXPECT_EQ(0, _stricmp(m_Dir.c_str(), szCwd));

    /* A directory that does not exist leaves the current one as it is. */
    int rc = RTPathSetCurrent(Path("none").c_str());
    EXPECT_TRUE(rc == ERR_FILE_NOT_FOUND || rc == ERR_PATH_NOT_FOUND) << rc;
    ASSERT_EQ(INF_SUCCESS, RTPathGetCurrent(szCwd, sizeof(szCwd)));
    EXPECT_EQ(0, _stricmp(m_Dir.c_str(), szCwd));

    /* The second drive a Windows prefix has: root-relative paths follow the current drive. */
    ASSERT_EQ(INF_SUCCESS, RTPathSetCurrent("Z:\\"));
    char szAbs[RTPATH_MAX];
    EXPECT_EQ(INF_SUCCESS, RTPathAbs("\\x\\y", szAbs, sizeof(szAbs)));
    EXPECT_STREQ("Z:\\x\\y", szAbs);
    EXPECT_EQ(INF_SUCCESS, RTPathGetCurrentDrive(szAbs, sizeof(szAbs)));
    EXPECT_STREQ("Z:", szAbs);

    EXPECT_EQ(INF_SUCCESS, RTPathSetCurrent(szSaved));
}

TEST(PathWin, ExecDirIsTheModulesDirectory)
{
    char szSaved[RTPROC_EXE_PATH_SIZE];
    memcpy(szSaved, g_szrtProcExePath, sizeof(szSaved));
    size_t const cchSaved = g_cchrtProcExePath, cchDirSaved = g_cchrtProcDir, offNameSaved = g_offrtProcName;

    ASSERT_EQ(INF_SUCCESS, rtProcInitExePath(g_szrtProcExePath, RTPROC_EXE_PATH_LIMIT));
    rtProcMeasureExePath();

    char szModule[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(NULL, szModule, sizeof(szModule)));
    *strrchr(szModule, '\\') = '\0';
    char szDir[RTPATH_MAX];
    ASSERT_EQ(INF_SUCCESS, RTPathExecDir(szDir, sizeof(szDir)));
    EXPECT_STREQ(szModule, szDir);
    EXPECT_STREQ("rt-tests.exe", rtProcGetExeName());

    memcpy(g_szrtProcExePath, szSaved, sizeof(szSaved));
    g_cchrtProcExePath = cchSaved;
    g_cchrtProcDir = cchDirSaved;
    g_offrtProcName = offNameSaved;
}

} // namespace
