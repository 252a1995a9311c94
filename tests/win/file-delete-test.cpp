/** @file
 * Deleting and renaming files: plain files, what is refused (directories,
 * links, read-only files, bad arguments), and the answers of the attribute
 * queries that decide whether an opened object may be deleted.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>
#include <cstring>

#include <rt/file.h>
#include <rt/err.h>
#include "internal/file.h"
#include "support/file-data.h"
#include "support/scratch-tree.h"

namespace
{

using tst::makePattern;

class FileDelete : public tst::ScratchTree
{
};

class FileRename : public tst::ScratchTree
{
};

TEST_F(FileDelete, PlainMissingDirectoryAndReadOnly)
{
    makeFile("a", makePattern(10));
    EXPECT_EQ(INF_SUCCESS, RTFileDelete(path("a").c_str()));
    EXPECT_FALSE(exists("a"));
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTFileDelete(path("a").c_str()));
    EXPECT_EQ(ERR_PATH_NOT_FOUND, RTFileDelete(path("no-dir\\a").c_str()));

    ASSERT_TRUE(CreateDirectoryW(wpath("dir").c_str(), NULL));
    EXPECT_EQ(ERR_IS_A_DIRECTORY, RTFileDelete(path("dir").c_str()));
    EXPECT_TRUE(exists("dir"));

    EXPECT_EQ(ERR_INVALID_POINTER, RTFileDelete(NULL));

    /* A read-only file stays, attribute and all. */
    makeFile("ro", makePattern(10));
    ASSERT_TRUE(SetFileAttributesW(wpath("ro").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(RT_FAILURE(RTFileDelete(path("ro").c_str())));
    EXPECT_TRUE(exists("ro"));
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY, GetFileAttributesW(wpath("ro").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(FileDelete, OpenFileGoesWhenItsLastHandleCloses)
{
    makeFile("a", makePattern(10));
    tst::AutoFile File;
    ASSERT_EQ(INF_SUCCESS,
              RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ | RTFILE_O_DENY_NONE | RTFILE_O_DENY_NOT_DELETE));
    EXPECT_EQ(INF_SUCCESS, RTFileDelete(path("a").c_str()));
    char ach[10];
    EXPECT_EQ(INF_SUCCESS, RTFileRead(File.h, ach, sizeof(ach), NULL));
    File.close();
    EXPECT_FALSE(exists("a"));
}

/*
 * The attribute queries of the delete path, answered by a stand-in.
 */

NTSTATUS g_rcNtTag;     /**< answer to the reparse tag query; 0 with g_fTagAttribs */
ULONG g_fTagAttribs;    /**< attributes the tag query reports */
ULONG g_fBasicAttribs;  /**< attributes the basic query reports; 0 asks the system */
unsigned g_cTagQueries; /**< how often the tag was asked for */

NTSTATUS NTAPI queryInfoForDelete(HANDLE hFile, IO_STATUS_BLOCK *pIos, void *pvBuf, ULONG cbBuf,
                                  FILE_INFORMATION_CLASS enmClass)
{
    if (enmClass == FileAttributeTagInformation)
    {
        g_cTagQueries++;
        if (g_rcNtTag != 0)
            return g_rcNtTag;
        FILE_ATTRIBUTE_TAG_INFORMATION *pTag = (FILE_ATTRIBUTE_TAG_INFORMATION *)pvBuf;
        pTag->FileAttributes = g_fTagAttribs;
        pTag->ReparseTag = g_fTagAttribs & FILE_ATTRIBUTE_REPARSE_POINT ? RTFS_REPARSE_TAG_SYMLINK : 0;
        return 0;
    }
    NTSTATUS rcNt = NtQueryInformationFile(hFile, pIos, pvBuf, cbBuf, enmClass);
    if (enmClass == FileBasicInformation && rcNt >= 0 && g_fBasicAttribs)
        ((FILE_BASIC_INFORMATION *)pvBuf)->FileAttributes = g_fBasicAttribs;
    return rcNt;
}

TEST_F(FileDelete, LinksAndTheAnswersThatDecide)
{
    const NTSTATUS rcNtNotImplemented = (NTSTATUS)0xC0000002L;   /* STATUS_NOT_IMPLEMENTED */
    const NTSTATUS rcNtInvalidInfoClass = (NTSTATUS)0xC0000003L; /* STATUS_INVALID_INFO_CLASS */
    const NTSTATUS rcNtInvalidParameter = (NTSTATUS)0xC000000DL; /* STATUS_INVALID_PARAMETER */
    const NTSTATUS rcNtAccessDenied = (NTSTATUS)0xC0000022L;     /* STATUS_ACCESS_DENIED */
    struct
    {
        NTSTATUS rcNtTag;
        ULONG fTagAttribs;
        ULONG fBasicAttribs;
        int rcExpected;
    } const s_aCases[] = {
        {0, FILE_ATTRIBUTE_ARCHIVE, 0, INF_SUCCESS},
        {0, FILE_ATTRIBUTE_REPARSE_POINT, 0, ERR_IS_A_SYMLINK},
        /* Systems without the tag query fall back on the basic attributes. */
        {rcNtNotImplemented, 0, 0, INF_SUCCESS},
        {rcNtInvalidInfoClass, 0, 0, INF_SUCCESS},
        {rcNtInvalidParameter, 0, 0, INF_SUCCESS},
        {rcNtNotImplemented, 0, FILE_ATTRIBUTE_REPARSE_POINT, ERR_IS_A_SYMLINK},
        {0, 0, FILE_ATTRIBUTE_DIRECTORY, ERR_IS_A_DIRECTORY},
        /* Any other failure of the tag query is the answer. */
        {rcNtAccessDenied, 0, 0, ERR_ACCESS_DENIED},
    };
    g_rtSeamsFile.pfnNtQueryInformationFile = queryInfoForDelete;
    unsigned idx = 0;
    for (const auto &c : s_aCases)
    {
        std::string strName = "f" + std::to_string(idx++);
        makeFile(strName.c_str(), makePattern(3));
        g_rcNtTag = c.rcNtTag;
        g_fTagAttribs = c.fTagAttribs;
        g_fBasicAttribs = c.fBasicAttribs;
        g_cTagQueries = 0;
        EXPECT_EQ(c.rcExpected, RTFileDelete(path(strName.c_str()).c_str())) << strName;
        EXPECT_EQ(RT_FAILURE(c.rcExpected), exists(strName.c_str())) << strName;
        EXPECT_EQ(1u, g_cTagQueries) << strName;
    }
}

TEST_F(FileRename, MovesReplacesOrRefuses)
{
    std::vector<uint8_t> abA = makePattern(10, 1), abB = makePattern(20, 2);
    makeFile("a", abA);
    makeFile("b", abB);

    /* An existing destination is kept unless replacing is asked for. */
    EXPECT_EQ(ERR_ALREADY_EXISTS, RTFileRename(path("a").c_str(), path("b").c_str(), 0));
    EXPECT_EQ(abA, readFile("a"));
    EXPECT_EQ(abB, readFile("b"));
    EXPECT_EQ(INF_SUCCESS, RTFileRename(path("a").c_str(), path("b").c_str(), RTFILE_RENAME_REPLACE));
    EXPECT_FALSE(exists("a"));
    EXPECT_EQ(abA, readFile("b"));

    EXPECT_EQ(INF_SUCCESS, RTFileRename(path("b").c_str(), path("c").c_str(), 0));
    EXPECT_EQ(abA, readFile("c"));
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTFileRename(path("b").c_str(), path("d").c_str(), 0));

    /* Only regular files move. */
    ASSERT_TRUE(CreateDirectoryW(wpath("dir").c_str(), NULL));
    EXPECT_EQ(ERR_IS_A_DIRECTORY, RTFileRename(path("dir").c_str(), path("dir2").c_str(), 0));
    EXPECT_TRUE(exists("dir"));
    EXPECT_FALSE(exists("dir2"));

    /* Bad arguments change nothing. */
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTFileRename(path("c").c_str(), path("e").c_str(), 2));
    EXPECT_EQ(ERR_INVALID_PARAMETER,
              RTFileRename(path("c").c_str(), path("e").c_str(), RTFILE_RENAME_REPLACE | UINT32_C(0x80000000)));
    EXPECT_EQ(ERR_INVALID_POINTER, RTFileRename(NULL, path("e").c_str(), 0));
    EXPECT_EQ(ERR_INVALID_POINTER, RTFileRename(path("c").c_str(), NULL, 0));
    EXPECT_TRUE(exists("c"));
    EXPECT_FALSE(exists("e"));
}

} /* namespace */
