/** @file
 * Open directories: the argument rules, the record with its path and filter,
 * the hold that keeps the directory from being removed or renamed (also
 * against another process), the native open's retries, closing, and running
 * out of memory on the way.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>
#include <string>
#include <vector>
#include <rt/dir.h>
#include "internal/dir.h"
#include "internal/nt.h"
#include "support/alloc-failure.h"
#include "support/scoped.h"
#include "support/scratch-tree.h"

namespace
{

class DirOpen : public tst::ScratchTree
{
};

TEST_F(DirOpen, ArgumentRules)
{
    std::string strDir = makeDir("dir");
    RTDIR hDir = (RTDIR)(uintptr_t)0x12345678;
    static const struct
    {
        RTDIRFILTER enmFilter;
        uint32_t fFlags;
        int rcExpected;
    } s_aCases[] = {
        {RTDIRFILTER_NONE, 16, ERR_INVALID_FLAGS},       {RTDIRFILTER_NONE, UINT32_MAX, ERR_INVALID_FLAGS},
        {RTDIRFILTER_UNIX, 0, ERR_NOT_IMPLEMENTED},      {RTDIRFILTER_UNIX_UPCASED, 0, ERR_NOT_IMPLEMENTED},
        {RTDIRFILTER_INVALID, 0, ERR_INVALID_PARAMETER}, {RTDIRFILTER_END, 0, ERR_INVALID_PARAMETER},
        {(RTDIRFILTER)-1, 0, ERR_INVALID_PARAMETER},
    };
    for (auto const &Case : s_aCases)
    {
        hDir = (RTDIR)(uintptr_t)0x12345678;
        EXPECT_EQ(Case.rcExpected, RTDirOpenFiltered(&hDir, strDir.c_str(), Case.enmFilter, Case.fFlags))
            << Case.enmFilter << " " << Case.fFlags;
        EXPECT_EQ(NIL_RTDIR, hDir);
    }
    EXPECT_EQ(ERR_INVALID_POINTER, RTDirOpen(NULL, strDir.c_str()));
    EXPECT_EQ(ERR_INVALID_POINTER, RTDirOpen(&hDir, NULL));
    EXPECT_EQ(ERR_INVALID_POINTER, RTDirOpen((RTDIR *)(uintptr_t)16, strDir.c_str()));
    EXPECT_EQ(ERR_PATH_ZERO_LENGTH, RTDirOpen(&hDir, ""));

    /* The flags that exist, and the reserved ones, are accepted. */
    for (uint32_t fFlags = 0; fFlags <= 15; fFlags++)
    {
        ASSERT_EQ(INF_SUCCESS, RTDirOpenFiltered(&hDir, strDir.c_str(), RTDIRFILTER_NONE, fFlags)) << fFlags;
        EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
    }
}

TEST_F(DirOpen, OnlyDirectoriesOpen)
{
    RTDIR hDir = NIL_RTDIR;
    EXPECT_EQ(ERR_NOT_A_DIRECTORY, RTDirOpen(&hDir, makeFile("file").c_str()));
    EXPECT_EQ(NIL_RTDIR, hDir);
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTDirOpen(&hDir, path("missing").c_str()));
    EXPECT_EQ(ERR_PATH_NOT_FOUND, RTDirOpen(&hDir, path("missing\\deeper").c_str()));
    EXPECT_EQ(NIL_RTDIR, hDir);
}

/** Runs a command line in a new process and returns its exit code (or -1). */
DWORD runProcess(std::string strCommandLine)
{
    STARTUPINFOA StartInfo = {};
    StartInfo.cb = sizeof(StartInfo);
    PROCESS_INFORMATION ProcInfo = {};
    std::vector<char> vCmd(strCommandLine.begin(), strCommandLine.end());
    vCmd.push_back('\0');
    if (!CreateProcessA(NULL, vCmd.data(), NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &StartInfo, &ProcInfo))
        return (DWORD)-1;
    /* To its end: an emulated start can take longer than any fixed figure, and ctest bounds the whole test. */
    WaitForSingleObject(ProcInfo.hProcess, INFINITE);
    DWORD uExit = (DWORD)-1;
    GetExitCodeProcess(ProcInfo.hProcess, &uExit);
    CloseHandle(ProcInfo.hThread);
    CloseHandle(ProcInfo.hProcess);
    return uExit;
}

TEST_F(DirOpen, HeldDirectoryCannotBeRemovedOrRenamedUntilClosed)
{
    std::string strDir = makeDir("held");
    std::string strMoved = path("moved");
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(INF_SUCCESS, RTDirOpen(&hDir, strDir.c_str()));
    EXPECT_TRUE(RTDirIsValid(hDir));

    EXPECT_EQ(ERR_SHARING_VIOLATION, RTDirRemove(strDir.c_str()));
    EXPECT_FALSE(RemoveDirectoryA(strDir.c_str()));
    EXPECT_FALSE(MoveFileExA(strDir.c_str(), strMoved.c_str(), 0));
    EXPECT_FALSE(MoveFileExA(strDir.c_str(), strMoved.c_str(), MOVEFILE_REPLACE_EXISTING));
    /* Another process fares no better. */
    char szCmd[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(szCmd, sizeof(szCmd)));
    std::string strCmd = std::string(szCmd) + "\\cmd.exe";
    runProcess("\"" + strCmd + "\" /c rd /q \"" + strDir + "\"");
    runProcess("\"" + strCmd + "\" /c move \"" + strDir + "\" \"" + strMoved + "\"");
    EXPECT_TRUE(isDirectory(strDir));
    EXPECT_FALSE(isDirectory(strMoved));
    /* What is inside stays usable: the hold shares reading and writing. */
    makeFile("held\\inside");
    EXPECT_TRUE(DeleteFileA(path("held\\inside").c_str()));

    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
    EXPECT_EQ(INF_SUCCESS, RTDirRemove(strDir.c_str()));
    EXPECT_FALSE(isDirectory(strDir));
}

TEST_F(DirOpen, AnotherProcessCanRemoveItOnceClosed)
{
    std::string strDir = makeDir("released");
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(INF_SUCCESS, RTDirOpen(&hDir, strDir.c_str()));
    ASSERT_EQ(INF_SUCCESS, RTDirClose(hDir));
    char szCmd[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(szCmd, sizeof(szCmd)));
    EXPECT_EQ(0u, runProcess("\"" + std::string(szCmd) + "\\cmd.exe\" /c rd /q \"" + strDir + "\""));
    EXPECT_FALSE(isDirectory(strDir));
}

TEST_F(DirOpen, RecordsAnAbsolutePathEndingWithASeparator)
{
    makeDir("sub");
    RTDIR hAbs = NIL_RTDIR, hSlash = NIL_RTDIR, hRel = NIL_RTDIR, hRelSlash = NIL_RTDIR;
    int rcAbs, rcSlash, rcRel, rcRelSlash;
    {
        tst::ScopedCurrentDir Cwd(m_strRoot);
        rcAbs = RTDirOpen(&hAbs, "sub");
        rcSlash = RTDirOpen(&hSlash, "sub/");
        rcRel = RTDirOpenFiltered(&hRel, "sub", RTDIRFILTER_NONE, RTDIR_F_NO_ABS_PATH);
        rcRelSlash = RTDirOpenFiltered(&hRelSlash, "sub\\", RTDIRFILTER_NONE, RTDIR_F_NO_ABS_PATH);
    }
    ASSERT_EQ(INF_SUCCESS, rcAbs);
    ASSERT_EQ(INF_SUCCESS, rcSlash);
    ASSERT_EQ(INF_SUCCESS, rcRel);
    ASSERT_EQ(INF_SUCCESS, rcRelSlash);

    std::string strExpected = m_strRoot + "\\sub\\";
    EXPECT_STRCASEEQ(strExpected.c_str(), hAbs->pszPath);
    EXPECT_EQ(strlen(hAbs->pszPath), hAbs->cchPath);
    EXPECT_FALSE(hAbs->fDirSlash);
    EXPECT_STRCASEEQ(strExpected.c_str(), hSlash->pszPath);
    EXPECT_TRUE(hSlash->fDirSlash);
    EXPECT_STREQ("sub\\", hRel->pszPath);
    EXPECT_EQ(4u, hRel->cchPath);
    EXPECT_STREQ("sub\\", hRelSlash->pszPath);
    EXPECT_TRUE(hRelSlash->fDirSlash);
    for (RTDIR h : {hAbs, hSlash, hRel, hRelSlash})
    {
        EXPECT_EQ(RTDIR_MAGIC, h->u32Magic);
        EXPECT_EQ(RTDIRFILTER_NONE, h->enmFilter);
        EXPECT_EQ(nullptr, h->pfnFilter);
        EXPECT_NE(RTDIR_NIL_NATIVE, h->hDir);
        EXPECT_FALSE(h->fIsObjDir);
        EXPECT_EQ(INF_SUCCESS, RTDirClose(h));
    }
}

TEST_F(DirOpen, RootsOpen)
{
    char szWinDir[MAX_PATH];
    ASSERT_NE(0u, GetWindowsDirectoryA(szWinDir, sizeof(szWinDir)));
    std::string strRoot = std::string(szWinDir, 3); /* "C:\" */
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(INF_SUCCESS, RTDirOpen(&hDir, strRoot.c_str()));
    EXPECT_STRCASEEQ(strRoot.c_str(), hDir->pszPath);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
}

TEST_F(DirOpen, WildcardFilterTakesTheFileNamePart)
{
    makeDir("d");
    static const struct
    {
        const char *pszSuffix; /* appended to the scratch directory */
        RTDIRFILTER enmExpected;
        const char *pszFilter;
        bool fWildcards;
    } s_aCases[] = {
        {"\\d\\*.txt", RTDIRFILTER_WINNT, "*.txt", true}, {"\\d\\Name.Ext", RTDIRFILTER_WINNT, "Name.Ext", false},
        {"\\d\\a?c", RTDIRFILTER_WINNT, "a?c", true},     {"\\d\\*", RTDIRFILTER_NONE, NULL, false},
        {"\\d\\<\".", RTDIRFILTER_NONE, NULL, false},     {"\\d\\", RTDIRFILTER_NONE, NULL, false},
    };
    for (auto const &Case : s_aCases)
    {
        std::string strPath = m_strRoot + Case.pszSuffix;
        RTDIR hDir = NIL_RTDIR;
        ASSERT_EQ(INF_SUCCESS, RTDirOpenFiltered(&hDir, strPath.c_str(), RTDIRFILTER_WINNT, 0)) << strPath;
        EXPECT_STRCASEEQ((m_strRoot + "\\d\\").c_str(), hDir->pszPath) << strPath;
        EXPECT_EQ(Case.enmExpected, hDir->enmFilter) << strPath;
        if (Case.pszFilter)
        {
            EXPECT_STREQ(Case.pszFilter, hDir->pszFilter);
            EXPECT_EQ(strlen(Case.pszFilter), hDir->cchFilter);
            EXPECT_EQ(strlen(Case.pszFilter), hDir->cucFilter);
            EXPECT_NE(nullptr, hDir->pfnFilter);
        }
        else
        {
            EXPECT_EQ(nullptr, hDir->pfnFilter);
            EXPECT_EQ(nullptr, hDir->pszFilter);
        }
        EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
    }

    /* Without a directory part the filter applies to the current directory. */
    RTDIR hDir = NIL_RTDIR;
    int rc;
    {
        tst::ScopedCurrentDir Cwd(path("d"));
        rc = RTDirOpenFiltered(&hDir, "*.msi", RTDIRFILTER_WINNT, 0);
    }
    ASSERT_EQ(INF_SUCCESS, rc);
    EXPECT_STRCASEEQ((m_strRoot + "\\d\\").c_str(), hDir->pszPath);
    EXPECT_STREQ("*.msi", hDir->pszFilter);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));

    /* Without the filter kind the whole path is the directory, and there is none of that name. */
    hDir = (RTDIR)(uintptr_t)0x12345678;
    EXPECT_TRUE(RT_FAILURE(RTDirOpen(&hDir, path("d\\*.txt").c_str())));
    EXPECT_EQ(NIL_RTDIR, hDir);
}

TEST_F(DirOpen, FilterMatching)
{
    makeDir("d");
    static const struct
    {
        const char *pszFilter;
        const char *pszName;
        bool fMatch;
    } s_aCases[] = {
        {"*.txt", "readme.txt", true},
        {"*.txt", "README.TXT", true},
        {"*.txt", "readme.txt.bak", false},
        {"*.txt", ".txt", true},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "abc", true},
        {"a*b*c", "acb", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a?c",
         "a\xc3\xa9"
         "c",
         true}, /* one character, two bytes */
        {"setup.exe", "SETUP.EXE", true},
        {"setup.exe", "setup.ex", false},
        {"setup.exe", "setup.exe2", false},
        {"\xc3\xa9t\xc3\xa9", "\xc3\x89T\xc3\x89", true}, /* case folding beyond ASCII */
        {"<.txt", "a.b.txt", true},                       /* '<' may swallow any '.' but the last */
        {"<b", "a.b", false},
        {"*b", "a.b", true},
        {"<", "a.b", false},
        {"<", "ab", true},
        {"a>", "a", true}, /* '>' may match nothing at the end */
        {"a>.c", "a.c", true},
        {"a>.c", "ab.c", true},
        {"a>.c", "abb.c", false},
        {"a\"", "a", true}, /* '"' is a '.' or the end */
        {"a\"b", "a.b", true},
        {"a\"b", "axb", false},
        {"a\"b", "ab", false}, /* nothing only at the end */
        {"**", "", true},
        {"*.txt", "\xff.txt", false}, /* not UTF-8: no match */
    };
    for (auto const &Case : s_aCases)
    {
        std::string strPath = path("d\\") + Case.pszFilter;
        RTDIR hDir = NIL_RTDIR;
        ASSERT_EQ(INF_SUCCESS, RTDirOpenFiltered(&hDir, strPath.c_str(), RTDIRFILTER_WINNT, 0)) << Case.pszFilter;
        ASSERT_EQ(RTDIRFILTER_WINNT, hDir->enmFilter) << Case.pszFilter;
        EXPECT_EQ(Case.fMatch, hDir->pfnFilter(hDir, Case.pszName)) << Case.pszFilter << " " << Case.pszName;
        EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
    }
}

TEST_F(DirOpen, CloseAndValidity)
{
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(INF_SUCCESS, RTDirOpen(&hDir, m_strRoot.c_str()));
    EXPECT_TRUE(RTDirIsValid(hDir));
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));

    EXPECT_EQ(ERR_INVALID_PARAMETER, RTDirClose(NIL_RTDIR));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTDirClose((RTDIR)(uintptr_t)0x100));
    EXPECT_FALSE(RTDirIsValid(NIL_RTDIR));
    EXPECT_FALSE(RTDirIsValid((RTDIR)(uintptr_t)0x100));
    EXPECT_FALSE(RTDirIsValid((RTDIR) ~(uintptr_t)0));

    /* A record that has been closed is recognised as such and left alone. */
    RTDIRINTERNAL Dead = {};
    Dead.u32Magic = RTDIR_MAGIC_DEAD;
    Dead.hDir = RTDIR_NIL_NATIVE;
    EXPECT_FALSE(RTDirIsValid(&Dead));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTDirClose(&Dead));
    EXPECT_EQ(RTDIR_MAGIC_DEAD, Dead.u32Magic);
}

TEST_F(DirOpen, RunningOutOfMemoryLeavesNothingBehind)
{
    std::string strDir = makeDir("oom");
    std::string strPath = strDir + "\\*.txt";
    int rc = ERR_NO_MEMORY;
    RTDIR hDir = NIL_RTDIR;
    int cFailures = 0;
    for (int cAllowed = 0; cAllowed < 64 && RT_FAILURE(rc); cAllowed++)
    {
        tst::failAllocationsAfter(cAllowed);
        hDir = (RTDIR)(uintptr_t)0x12345678;
        rc = RTDirOpenFiltered(&hDir, strPath.c_str(), RTDIRFILTER_WINNT, 0);
        tst::endAllocationFailures();
        if (RT_FAILURE(rc))
        {
            cFailures++;
            EXPECT_TRUE(rc == ERR_NO_MEMORY || rc == ERR_NO_TMP_MEMORY || rc == ERR_NO_STR_MEMORY ||
                        rc == ERR_NO_UTF16_MEMORY)
                << cAllowed << " " << rc;
            EXPECT_EQ(NIL_RTDIR, hDir) << cAllowed;
        }
    }
    ASSERT_EQ(INF_SUCCESS, rc);
    EXPECT_GT(cFailures, 1);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
    /* No failed attempt kept a native handle: the directory can go. */
    EXPECT_EQ(INF_SUCCESS, RTDirRemove(strDir.c_str()));
}

/*
 * The native open's retries, with NtCreateFile answering as some systems do.
 */

/** What the native open of a directory asks for: the access that holds it, and the options
 *  without and with not following a link. */
const ACCESS_MASK g_fHoldAccess = SYNCHRONIZE | FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
const ULONG g_fHoldOptions = FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT;
const ULONG g_fHoldOptionsNoFollow = g_fHoldOptions | FILE_OPEN_REPARSE_POINT;
const NTSTATUS g_rcNtAccessDenied = (NTSTATUS)0xC0000022L; /* STATUS_ACCESS_DENIED */

struct CreateCall
{
    ACCESS_MASK fAccess;
    ULONG fShare;
    ULONG fOptions;
};
std::vector<CreateCall> g_vCalls;
NTSTATUS g_rcRefuseReparse; /* answer to FILE_OPEN_REPARSE_POINT, 0 to pass it on */
bool g_fRefuseTraverse;     /* answer STATUS_ACCESS_DENIED to FILE_TRAVERSE */

NTSTATUS NTAPI fussyCreateFile(HANDLE *phFile, ACCESS_MASK fAccess, OBJECT_ATTRIBUTES *pObjAttr, IO_STATUS_BLOCK *pIos,
                               LARGE_INTEGER *pcbAlloc, ULONG fAttribs, ULONG fShare, ULONG uDisposition,
                               ULONG fOptions, void *pvEa, ULONG cbEa)
{
    g_vCalls.push_back({fAccess, fShare, fOptions});
    if (g_rcRefuseReparse && (fOptions & FILE_OPEN_REPARSE_POINT))
        return g_rcRefuseReparse;
    if (g_fRefuseTraverse && (fAccess & FILE_TRAVERSE))
        return g_rcNtAccessDenied;
    return NtCreateFile(phFile, fAccess, pObjAttr, pIos, pcbAlloc, fAttribs, fShare, uDisposition, fOptions, pvEa,
                        cbEa);
}

TEST_F(DirOpen, NativeOpenAsksForTheHoldingAccessAndSharing)
{
    g_vCalls.clear();
    g_rcRefuseReparse = 0;
    g_fRefuseTraverse = false;
    g_rtSeamsNt.pfnNtCreateFile = fussyCreateFile;
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(INF_SUCCESS, RTDirOpen(&hDir, makeDir("d").c_str()));
    ASSERT_EQ(1u, g_vCalls.size());
    EXPECT_EQ(g_fHoldAccess, g_vCalls[0].fAccess);
    EXPECT_EQ((ULONG)(FILE_SHARE_READ | FILE_SHARE_WRITE), g_vCalls[0].fShare);
    EXPECT_EQ(g_fHoldOptions, g_vCalls[0].fOptions);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
}

TEST_F(DirOpen, AccessDeniedForTraversalIsRetriedWithoutIt)
{
    g_vCalls.clear();
    g_rcRefuseReparse = 0;
    g_fRefuseTraverse = true;
    g_rtSeamsNt.pfnNtCreateFile = fussyCreateFile;
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(INF_SUCCESS, RTDirOpen(&hDir, makeDir("d").c_str()));
    ASSERT_EQ(2u, g_vCalls.size());
    EXPECT_EQ(g_fHoldAccess & ~(ACCESS_MASK)FILE_TRAVERSE, g_vCalls[1].fAccess);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
}

TEST_F(DirOpen, RefusedReparseOptionIsRememberedAndLeftOut)
{
    std::string strDir = makeDir("d");
    g_vCalls.clear();
    g_rcRefuseReparse = RTNT_STATUS_INVALID_PARAMETER;
    g_fRefuseTraverse = false;
    g_rtSeamsNt.pfnNtCreateFile = fussyCreateFile;
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(INF_SUCCESS, RTDirOpenFiltered(&hDir, strDir.c_str(), RTDIRFILTER_NONE, RTDIR_F_NO_FOLLOW));
    ASSERT_GE(g_vCalls.size(), 2u);
    EXPECT_EQ(g_fHoldOptionsNoFollow, g_vCalls.front().fOptions);
    EXPECT_EQ(g_fHoldOptions, g_vCalls.back().fOptions);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));

    /* Once refused, the option is not offered again. */
    g_vCalls.clear();
    ASSERT_EQ(INF_SUCCESS, RTDirOpenFiltered(&hDir, strDir.c_str(), RTDIRFILTER_NONE, RTDIR_F_NO_FOLLOW));
    ASSERT_EQ(1u, g_vCalls.size());
    EXPECT_EQ(g_fHoldOptions, g_vCalls[0].fOptions);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
}

TEST_F(DirOpen, NoFollowAsksNotToFollowUnlessThePathEndsWithASeparator)
{
    std::string strDir = makeDir("d");
    g_vCalls.clear();
    g_rcRefuseReparse = 0;
    g_fRefuseTraverse = false;
    g_rtSeamsNt.pfnNtCreateFile = fussyCreateFile;
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(INF_SUCCESS, RTDirOpenFiltered(&hDir, strDir.c_str(), RTDIRFILTER_NONE, RTDIR_F_NO_FOLLOW));
    ASSERT_EQ(1u, g_vCalls.size());
    EXPECT_EQ(g_fHoldOptionsNoFollow, g_vCalls[0].fOptions);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));

    g_vCalls.clear();
    ASSERT_EQ(INF_SUCCESS, RTDirOpenFiltered(&hDir, (strDir + "\\").c_str(), RTDIRFILTER_NONE, RTDIR_F_NO_FOLLOW));
    ASSERT_EQ(1u, g_vCalls.size());
    EXPECT_EQ(g_fHoldOptions, g_vCalls[0].fOptions);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));

    /* With a filter the path ends in the filter, and the directory before it is not followed either. */
    g_vCalls.clear();
    ASSERT_EQ(INF_SUCCESS,
              RTDirOpenFiltered(&hDir, (strDir + "\\*.txt").c_str(), RTDIRFILTER_WINNT, RTDIR_F_NO_FOLLOW));
    ASSERT_EQ(1u, g_vCalls.size());
    EXPECT_EQ(g_fHoldOptionsNoFollow, g_vCalls[0].fOptions);
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
}

TEST_F(DirOpen, SymbolicLinkIsRefusedOnlyWhenNotFollowing)
{
    std::string strTarget = makeDir("target");
    std::string strLink = path("link");
    if (!CreateSymbolicLinkA(strLink.c_str(), strTarget.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        !(GetFileAttributesA(strLink.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        GetFileAttributesA(strLink.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no symbolic links here";
    RTDIR hDir = NIL_RTDIR;
    EXPECT_EQ(ERR_IS_A_SYMLINK, RTDirOpenFiltered(&hDir, strLink.c_str(), RTDIRFILTER_NONE, RTDIR_F_NO_FOLLOW));
    EXPECT_EQ(NIL_RTDIR, hDir);
    ASSERT_EQ(INF_SUCCESS, RTDirOpen(&hDir, strLink.c_str()));
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
    ASSERT_EQ(INF_SUCCESS, RTDirOpenFiltered(&hDir, (strLink + "\\").c_str(), RTDIRFILTER_NONE, RTDIR_F_NO_FOLLOW));
    EXPECT_EQ(INF_SUCCESS, RTDirClose(hDir));
    RemoveDirectoryA(strLink.c_str());
}

} // namespace
