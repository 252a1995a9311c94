/** @file
 * Creating, removing and recognising directories on a real file system.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <utility>
#include <vector>
#include <rt/dir.h>
#include "internal/file.h"
#include "support/scoped.h"
#include "support/scratch-tree.h"
#include "support/widen.h"

namespace
{

class DirCreate : public tst::ScratchTree
{
};

TEST_F(DirCreate, CreatesOnceAndThenReportsItExists)
{
    std::string strDir = path("new");
    ASSERT_EQ(INF_SUCCESS, RTDirCreate(strDir.c_str(), 0700, 0));
    EXPECT_TRUE(isDirectory(strDir));
    EXPECT_EQ(ERR_ALREADY_EXISTS, RTDirCreate(strDir.c_str(), 0700, 0));
    EXPECT_EQ(ERR_ALREADY_EXISTS, RTDirCreate(makeFile("file").c_str(), 0700, 0));
    EXPECT_EQ(ERR_PATH_NOT_FOUND, RTDirCreate(path("missing\\new").c_str(), 0700, 0));
    EXPECT_FALSE(isDirectory(path("missing")));
}

TEST_F(DirCreate, MarksTheDirectoryNotContentIndexedUnlessAskedToKeepIt)
{
    std::string strProbe = makeDir("probe");
    if (!SetFileAttributesA(strProbe.c_str(), FILE_ATTRIBUTE_NOT_CONTENT_INDEXED) ||
        !(GetFileAttributesA(strProbe.c_str()) & FILE_ATTRIBUTE_NOT_CONTENT_INDEXED))
        GTEST_SKIP() << "this file system does not keep the not-content-indexed attribute";
    std::string strMarked = path("marked");
    std::string strKept = path("kept");
    ASSERT_EQ(INF_SUCCESS, RTDirCreate(strMarked.c_str(), 0700, 0));
    ASSERT_EQ(INF_SUCCESS, RTDirCreate(strKept.c_str(), 0700, RTDIRCREATE_F_KEEP_INDEXED));
    EXPECT_TRUE(GetFileAttributesA(strMarked.c_str()) & FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    EXPECT_FALSE(GetFileAttributesA(strKept.c_str()) & FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    EXPECT_EQ(INF_SUCCESS, RTDirCreate(path("optional").c_str(), 0700, RTDIRCREATE_F_INDEX_ATTR_OPTIONAL));
}

/* What RTDirCreate asked to mark, and how the system is to answer. */
std::vector<std::pair<std::wstring, DWORD>> g_vMarked;
DWORD g_uMarkError; /* 0: mark for real */

BOOL WINAPI markingSetFileAttributes(LPCWSTR pwszPath, DWORD fAttributes)
{
    g_vMarked.emplace_back(pwszPath, fAttributes);
    if (g_uMarkError)
    {
        SetLastError(g_uMarkError);
        return FALSE;
    }
    return SetFileAttributesW(pwszPath, fAttributes);
}

TEST_F(DirCreate, AFailedMarkFailsTheCreationUnlessOptionalButTheDirectoryStays)
{
    g_rtSeamsFile.pfnSetFileAttributesW = markingSetFileAttributes;
    g_vMarked.clear();
    g_uMarkError = ERROR_ACCESS_DENIED;
    std::string strStrict = path("strict");
    std::string strOptional = path("optional");
    std::string strKept = path("kept");
    EXPECT_EQ(ERR_ACCESS_DENIED, RTDirCreate(strStrict.c_str(), 0700, 0));
    EXPECT_EQ(INF_SUCCESS, RTDirCreate(strOptional.c_str(), 0700, RTDIRCREATE_F_INDEX_ATTR_OPTIONAL));
    EXPECT_EQ(INF_SUCCESS, RTDirCreate(strKept.c_str(), 0700, RTDIRCREATE_F_KEEP_INDEXED));

    EXPECT_TRUE(isDirectory(strStrict));
    EXPECT_TRUE(isDirectory(strOptional));
    EXPECT_TRUE(isDirectory(strKept));
    ASSERT_EQ(2u, g_vMarked.size()); /* the kept one is not touched */
    EXPECT_EQ(tst::widen(strStrict), g_vMarked[0].first);
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, g_vMarked[0].second);
    EXPECT_EQ(tst::widen(strOptional), g_vMarked[1].first);
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, g_vMarked[1].second);
}

TEST_F(DirCreate, RefusesContradictoryModesAndUnknownFlagsBeforeCreating)
{
    static const struct
    {
        RTFMODE fMode;
        uint32_t fCreate;
        int rcExpected;
    } s_aCases[] = {
        {RTFS_TYPE_FILE | RTFS_DOS_DIRECTORY | 0700, 0, ERR_INVALID_FMODE},
        {RTFS_TYPE_FILE | RTFS_DOS_DIRECTORY, 0, ERR_INVALID_FMODE},
        {RTFS_TYPE_SYMLINK | RTFS_DOS_DIRECTORY | RTFS_DOS_HIDDEN, 0, ERR_INVALID_FMODE},
        {0700, 1, ERR_INVALID_FLAGS},
        {0700, 8, ERR_INVALID_FLAGS},
    };
    for (auto const &Case : s_aCases)
    {
        std::string strDir = path("refused");
        EXPECT_EQ(Case.rcExpected, RTDirCreate(strDir.c_str(), Case.fMode, Case.fCreate)) << std::hex << Case.fMode;
        EXPECT_FALSE(isDirectory(strDir));
    }
    /* Modes that complete consistently are fine, whatever the permissions. */
    for (RTFMODE fMode : {0u, 0700u, 0555u, RTFS_TYPE_DIRECTORY | 0755u, RTFS_DOS_DIRECTORY, RTFS_DOS_HIDDEN,
                          RTFS_TYPE_DIRECTORY | RTFS_DOS_NT_NORMAL | 0700u})
    {
        std::string strDir = path("mode" + std::to_string(fMode));
        EXPECT_EQ(INF_SUCCESS, RTDirCreate(strDir.c_str(), fMode, 0)) << std::hex << fMode;
        EXPECT_TRUE(isDirectory(strDir));
    }
    EXPECT_EQ(ERR_INVALID_POINTER, RTDirCreate(NULL, 0700, 0));
}

TEST_F(DirCreate, LongPathsBeyondTheWin32Limit)
{
    /* Deeper than the plain Win32 form allows: each level is created through the long form. */
    std::string strDir = m_strRoot;
    for (int i = 0; i < 8; i++)
    {
        strDir += "\\" + std::string(40, (char)('a' + i));
        ASSERT_EQ(INF_SUCCESS, RTDirCreate(strDir.c_str(), 0700, 0)) << strDir.size();
    }
    ASSERT_GT(strDir.size(), 300u);
    EXPECT_TRUE(RTDirExists(strDir.c_str()));
    EXPECT_EQ(INF_SUCCESS, RTDirRemove(strDir.c_str()));
    EXPECT_FALSE(RTDirExists(strDir.c_str()));
}

class DirRemove : public tst::ScratchTree
{
};

TEST_F(DirRemove, RemovesOnlyEmptyDirectories)
{
    std::string strDir = makeDir("full");
    makeFile("full\\file");
    EXPECT_EQ(ERR_DIR_NOT_EMPTY, RTDirRemove(strDir.c_str()));
    EXPECT_TRUE(isDirectory(strDir));
    ASSERT_TRUE(DeleteFileA(path("full\\file").c_str()));
    EXPECT_EQ(INF_SUCCESS, RTDirRemove(strDir.c_str()));
    EXPECT_FALSE(isDirectory(strDir));
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTDirRemove(strDir.c_str()));
    EXPECT_EQ(ERR_PATH_NOT_FOUND, RTDirRemove(path("missing\\x").c_str()));
    EXPECT_EQ(ERR_INVALID_POINTER, RTDirRemove(NULL));
}

class DirExists : public tst::ScratchTree
{
};

TEST_F(DirExists, OnlyDirectoriesAreDirectories)
{
    std::string strDir = makeDir("dir");
    std::string strFile = makeFile("file");
    EXPECT_TRUE(RTDirExists(strDir.c_str()));
    EXPECT_TRUE(RTDirExists((strDir + "\\").c_str()));
    EXPECT_TRUE(RTDirExists((strDir + "/").c_str()));
    EXPECT_TRUE(RTDirExists((strDir + "\\..\\dir").c_str()));
    EXPECT_FALSE(RTDirExists(strFile.c_str()));
    EXPECT_FALSE(RTDirExists(path("missing").c_str()));
    EXPECT_FALSE(RTDirExists(path("missing\\deeper").c_str()));
    EXPECT_FALSE(RTDirExists(""));
    EXPECT_FALSE(RTDirExists(NULL));
}

TEST_F(DirExists, RelativePathsFollowTheCurrentDirectory)
{
    makeDir("sub");
    tst::ScopedCurrentDir Cwd(m_strRoot);
    EXPECT_TRUE(RTDirExists("sub"));
    EXPECT_TRUE(RTDirExists("."));
    EXPECT_FALSE(RTDirExists("nosuch"));
}

} // namespace
