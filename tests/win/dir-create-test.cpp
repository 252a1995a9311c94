/** @file
 * Creating, removing and recognising directories on a real file system.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <utility>
#include <vector>
#include <rt/dir.h>
#include "internal/dir.h"
#include "dir-scratch.h"

namespace
{

class DirCreate : public DirScratch
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
std::vector<std::pair<std::wstring, uint32_t>> g_vMarked;
DWORD g_uMarkError; /* 0: mark for real */

int markingHook(const RTUTF16 *pwszPath, uint32_t fAttributes)
{
    g_vMarked.emplace_back((const wchar_t *)pwszPath, fAttributes);
    if (g_uMarkError)
    {
        SetLastError(g_uMarkError);
        return 0;
    }
    return SetFileAttributesW((LPCWSTR)pwszPath, fAttributes);
}

TEST_F(DirCreate, AFailedMarkFailsTheCreationUnlessOptionalButTheDirectoryStays)
{
    rtDirTestSetAttributesHook(markingHook);
    g_vMarked.clear();
    g_uMarkError = ERROR_ACCESS_DENIED;
    std::string strStrict = path("strict");
    std::string strOptional = path("optional");
    std::string strKept = path("kept");
    int rcStrict = RTDirCreate(strStrict.c_str(), 0700, 0);
    int rcOptional = RTDirCreate(strOptional.c_str(), 0700, RTDIRCREATE_F_INDEX_ATTR_OPTIONAL);
    int rcKept = RTDirCreate(strKept.c_str(), 0700, RTDIRCREATE_F_KEEP_INDEXED);
    rtDirTestSetAttributesHook(NULL);

    EXPECT_EQ(ERR_ACCESS_DENIED, rcStrict);
    EXPECT_TRUE(isDirectory(strStrict));
    EXPECT_EQ(INF_SUCCESS, rcOptional);
    EXPECT_TRUE(isDirectory(strOptional));
    EXPECT_EQ(INF_SUCCESS, rcKept);
    EXPECT_TRUE(isDirectory(strKept));
    ASSERT_EQ(2u, g_vMarked.size()); /* the kept one is not touched */
    EXPECT_EQ(std::wstring(strStrict.begin(), strStrict.end()), g_vMarked[0].first);
    EXPECT_EQ((uint32_t)FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, g_vMarked[0].second);
    EXPECT_EQ((uint32_t)FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, g_vMarked[1].second);
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

class DirRemove : public DirScratch
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

class DirExists : public DirScratch
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
    char szSaved[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(sizeof(szSaved), szSaved));
    ASSERT_TRUE(SetCurrentDirectoryA(m_strRoot.c_str()));
    bool fSub = RTDirExists("sub");
    bool fDot = RTDirExists(".");
    bool fMissing = RTDirExists("nosuch");
    SetCurrentDirectoryA(szSaved);
    EXPECT_TRUE(fSub);
    EXPECT_TRUE(fDot);
    EXPECT_FALSE(fMissing);
}

} // namespace
