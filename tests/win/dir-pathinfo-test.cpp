/** @file
 * Information about the object a path names: the argument rules, the three
 * ways to it (the attribute query, the open, the parent's entry) giving the
 * same answer, and the remembered answer about not following links.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>
#include <cstring>
#include <string>
#include <vector>
#include <rt/pathinfo.h>
#include "internal/initterm.h"
#include "internal/nt.h"
#include "internal/pathinfo.h"
#include "support/scratch-tree.h"

namespace
{

/** ntdll's entry points, except that NtQueryFullAttributesFile is missing. */
FARPROC WINAPI findNoFullAttributesQuery(HMODULE hModule, LPCSTR pszName)
{
    if (strcmp(pszName, "NtQueryFullAttributesFile") == 0)
        return NULL;
    return GetProcAddress(hModule, pszName);
}

class PathInfo : public tst::ScratchTree
{
  protected:
    /** Makes the query go as on a system without NtQueryFullAttributesFile. */
    static void goWithoutTheAttributeQuery()
    {
        g_rtSeamsInit.pfnGetProcAddress = findNoFullAttributesQuery;
        ASSERT_EQ(0, rtR3InitNativeFirst(0));
    }

    /** The file index and volume serial number as the system reports them for an open file. */
    static BY_HANDLE_FILE_INFORMATION systemInfo(const std::string &strPath)
    {
        BY_HANDLE_FILE_INFORMATION Info = {};
        HANDLE hFile = CreateFileA(strPath.c_str(), FILE_READ_ATTRIBUTES, 7, NULL, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, hFile) << strPath;
        EXPECT_TRUE(GetFileInformationByHandle(hFile, &Info));
        CloseHandle(hFile);
        return Info;
    }

    static int64_t unixNanoseconds(FILETIME const &Time)
    {
        uint64_t u = ((uint64_t)Time.dwHighDateTime << 32) | Time.dwLowDateTime;
        return (int64_t)(u * 100 - UINT64_C(11644473600000000000));
    }
};

TEST_F(PathInfo, ArgumentRules)
{
    std::string strFile = makeFile("file");
    RTOBJINFO Info;
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathQueryInfoEx(NULL, &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
    EXPECT_EQ(ERR_INVALID_POINTER,
              RTPathQueryInfoEx(strFile.c_str(), NULL, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTPathQueryInfoEx("", &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
    for (int iAdd : {0, 6, -1})
        EXPECT_EQ(ERR_INVALID_PARAMETER,
                  RTPathQueryInfoEx(strFile.c_str(), &Info, (RTOBJINFOADD)iAdd, RTPATH_F_FOLLOW_LINK))
            << iAdd;
    for (uint32_t fFlags = 0; fFlags < 16; fFlags++)
    {
        bool const fValid = fFlags == 1 || fFlags == 2 || fFlags == 5 || fFlags == 6;
        EXPECT_EQ(fValid ? INF_SUCCESS : ERR_INVALID_PARAMETER,
                  RTPathQueryInfoEx(strFile.c_str(), &Info, RTOBJINFOADD_NOTHING, fFlags))
            << fFlags;
    }
}

/** The same answers, with the attribute query or without it (a system that lacks it). */
class PathInfoBothWays : public PathInfo, public ::testing::WithParamInterface<bool>
{
  protected:
    void SetUp() override
    {
        PathInfo::SetUp();
        if (!GetParam())
            goWithoutTheAttributeQuery();
    }
};

TEST_P(PathInfoBothWays, FileAndDirectory)
{
    std::string strFile = makeFile("setup.exe", std::string(1234, 'z'));
    std::string strDir = makeDir("dir");
    WIN32_FILE_ATTRIBUTE_DATA Sys;
    ASSERT_TRUE(GetFileAttributesExA(strFile.c_str(), GetFileExInfoStandard, &Sys));
    for (RTOBJINFOADD enmAdd : {RTOBJINFOADD_NOTHING, RTOBJINFOADD_UNIX, RTOBJINFOADD_UNIX_OWNER,
                                RTOBJINFOADD_UNIX_GROUP, RTOBJINFOADD_EASIZE})
    {
        RTOBJINFO Info;
        memset(&Info, 0xcc, sizeof(Info));
        ASSERT_EQ(INF_SUCCESS, RTPathQueryInfoEx(strFile.c_str(), &Info, enmAdd, RTPATH_F_FOLLOW_LINK));
        EXPECT_EQ(1234, Info.cbObject);
        EXPECT_EQ(RTFS_TYPE_FILE, Info.fMode & RTFS_TYPE_MASK);
        EXPECT_EQ(0777u, Info.fMode & RTFS_UNIX_MASK) << "an .exe is executable";
        EXPECT_EQ(unixNanoseconds(Sys.ftLastWriteTime), Info.ModificationTime.i64NanosecondsRelativeToUnixEpoch);
        EXPECT_EQ(unixNanoseconds(Sys.ftCreationTime), Info.BirthTime.i64NanosecondsRelativeToUnixEpoch);
        EXPECT_EQ(enmAdd, Info.enmAdditional);
        if (enmAdd == RTOBJINFOADD_UNIX_OWNER)
        {
            EXPECT_EQ(UINT32_MAX, Info.u.UnixOwner.uid);
            EXPECT_STREQ("", Info.u.UnixOwner.szName);
        }
        else if (enmAdd == RTOBJINFOADD_EASIZE)
        {
            EXPECT_EQ(0, Info.u.EASize.cb);
        }

        ASSERT_EQ(INF_SUCCESS, RTPathQueryInfoEx(strDir.c_str(), &Info, enmAdd, RTPATH_F_ON_LINK));
        EXPECT_EQ(RTFS_TYPE_DIRECTORY, Info.fMode & RTFS_TYPE_MASK);
        EXPECT_TRUE(Info.fMode & RTFS_DOS_DIRECTORY);
    }
}

TEST_P(PathInfoBothWays, MissingObjects)
{
    RTOBJINFO Info;
    EXPECT_EQ(ERR_FILE_NOT_FOUND,
              RTPathQueryInfoEx(path("missing").c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
    EXPECT_EQ(ERR_PATH_NOT_FOUND,
              RTPathQueryInfoEx(path("missing\\x").c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutTheAttributeQuery, PathInfoBothWays, ::testing::Bool());

TEST_F(PathInfo, UnixAttributesCarryTheFileIndex)
{
    std::string strFile = makeFile("file");
    BY_HANDLE_FILE_INFORMATION Sys = systemInfo(strFile);
    RTOBJINFO Info;
    ASSERT_EQ(INF_SUCCESS, RTPathQueryInfoEx(strFile.c_str(), &Info, RTOBJINFOADD_UNIX, RTPATH_F_FOLLOW_LINK));
    EXPECT_EQ(((uint64_t)Sys.nFileIndexHigh << 32) | Sys.nFileIndexLow, Info.u.Unix.INodeId);
    EXPECT_EQ(Sys.dwVolumeSerialNumber, Info.u.Unix.INodeIdDevice);
    EXPECT_GE(Info.u.Unix.cHardlinks, 1u);
}

/*
 * NtCreateFile answering as other systems do.
 */

/** @name What NtCreateFile may answer.
 * @{ */
const NTSTATUS g_rcNtInvalidParameter = (NTSTATUS)0xC000000DL;  /* STATUS_INVALID_PARAMETER */
const NTSTATUS g_rcNtInvalidParameter9 = (NTSTATUS)0xC00000F7L; /* STATUS_INVALID_PARAMETER_9 */
const NTSTATUS g_rcNtAccessDenied = (NTSTATUS)0xC0000022L;      /* STATUS_ACCESS_DENIED */
const NTSTATUS g_rcNtSharingViolation = (NTSTATUS)0xC0000043L;  /* STATUS_SHARING_VIOLATION */
/** @} */

/** The options of the open for the attributes, without and with not following a link. */
const ULONG g_fOpenOptions = FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT;
const ULONG g_fOpenOptionsNoFollow = g_fOpenOptions | FILE_OPEN_REPARSE_POINT;

std::vector<ULONG> g_vOptions;
NTSTATUS g_rcReparseAnswer; /* answer to FILE_OPEN_REPARSE_POINT, 0 to pass it on */
NTSTATUS g_rcPlainAnswer;   /* answer to an open of the object without it, 0 to pass it on */

NTSTATUS NTAPI otherCreateFile(HANDLE *phFile, ACCESS_MASK fAccess, OBJECT_ATTRIBUTES *pObjAttr, IO_STATUS_BLOCK *pIos,
                               LARGE_INTEGER *pcbAlloc, ULONG fAttribs, ULONG fShare, ULONG uDisposition,
                               ULONG fOptions, void *pvEa, ULONG cbEa)
{
    g_vOptions.push_back(fOptions);
    if (g_rcReparseAnswer && (fOptions & FILE_OPEN_REPARSE_POINT))
        return g_rcReparseAnswer;
    if (g_rcPlainAnswer && !(fOptions & FILE_DIRECTORY_FILE))
        return g_rcPlainAnswer;
    return NtCreateFile(phFile, fAccess, pObjAttr, pIos, pcbAlloc, fAttribs, fShare, uDisposition, fOptions, pvEa,
                        cbEa);
}

/** Opens of the object go to otherCreateFile (and not around it through the attribute query). */
void useOtherCreateFile(void)
{
    g_vOptions.clear();
    g_rcReparseAnswer = 0;
    g_rcPlainAnswer = 0;
    g_rtSeamsInit.pfnGetProcAddress = findNoFullAttributesQuery;
    ASSERT_EQ(0, rtR3InitNativeFirst(0));
    g_rtSeamsNt.pfnNtCreateFile = otherCreateFile;
}

/** What the first query not following links leaves remembered about the option. */
enum RememberedAnswer
{
    REMEMBERED_NOTHING,
    REMEMBERED_ACCEPTED,
    REMEMBERED_REFUSED
};

struct ReparseCase
{
    NTSTATUS rcReparse; /**< the answer to the option */
    NTSTATUS rcPlain;   /**< the answer without it */
    int rcExpected;
    RememberedAnswer enmRemembered;
};

class PathInfoReparse : public PathInfo, public ::testing::WithParamInterface<ReparseCase>
{
};

TEST_P(PathInfoReparse, RefusedOptionIsRememberedOnlyWhenTheOptionWasTheProblem)
{
    ReparseCase const &Case = GetParam();
    std::string strFile = makeFile("file");
    useOtherCreateFile();
    g_rcReparseAnswer = Case.rcReparse;
    g_rcPlainAnswer = Case.rcPlain;
    RTOBJINFO Info;
    EXPECT_EQ(Case.rcExpected, RTPathQueryInfoEx(strFile.c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_ON_LINK));
    ASSERT_FALSE(g_vOptions.empty());
    EXPECT_EQ(g_fOpenOptionsNoFollow, g_vOptions.front());
    if (Case.rcReparse)
    {
        ASSERT_GE(g_vOptions.size(), 2u);
        EXPECT_EQ(g_fOpenOptions, g_vOptions[1]);
    }

    /* What the next query does with a refused option shows what was remembered: a refusal leaves
       it out, an acceptance offers it and takes the refusal as the answer, nothing offers and retries. */
    g_vOptions.clear();
    g_rcReparseAnswer = g_rcNtInvalidParameter;
    g_rcPlainAnswer = 0;
    RTPathQueryInfoEx(strFile.c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_ON_LINK);
    std::vector<ULONG> const avExpected[] = {
        {g_fOpenOptionsNoFollow, g_fOpenOptions}, /* REMEMBERED_NOTHING */
        {g_fOpenOptionsNoFollow},                 /* REMEMBERED_ACCEPTED */
        {g_fOpenOptions},                         /* REMEMBERED_REFUSED */
    };
    EXPECT_EQ(avExpected[Case.enmRemembered], g_vOptions);
}

INSTANTIATE_TEST_SUITE_P(Answers, PathInfoReparse,
                         ::testing::Values(ReparseCase{g_rcNtInvalidParameter, 0, INF_SUCCESS, REMEMBERED_REFUSED},
                                           ReparseCase{g_rcNtInvalidParameter9, 0, INF_SUCCESS, REMEMBERED_REFUSED},
                                           ReparseCase{g_rcNtInvalidParameter, g_rcNtInvalidParameter,
                                                       ERR_INVALID_PARAMETER, REMEMBERED_NOTHING},
                                           ReparseCase{0, 0, INF_SUCCESS, REMEMBERED_ACCEPTED}));

TEST_F(PathInfo, RefusedReparseOptionIsNotOfferedAgain)
{
    /* Once refused, it is not offered again; following links never offers it. */
    std::string strFile = makeFile("file");
    useOtherCreateFile();
    g_rcReparseAnswer = g_rcNtInvalidParameter;
    RTOBJINFO Info;
    ASSERT_EQ(INF_SUCCESS, RTPathQueryInfoEx(strFile.c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_ON_LINK));
    ASSERT_EQ(INF_SUCCESS, RTPathQueryInfoEx(strFile.c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_ON_LINK));
    ASSERT_EQ(INF_SUCCESS, RTPathQueryInfoEx(strFile.c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
    std::vector<ULONG> vExpected = {g_fOpenOptionsNoFollow, g_fOpenOptions, g_fOpenOptions, g_fOpenOptions};
    EXPECT_EQ(vExpected, g_vOptions);
}

TEST_F(PathInfo, ObjectsThatCannotBeOpenedAreDescribedByTheirParentsEntry)
{
    std::string strFile = makeFile("held.bin", std::string(777, 'q'));
    std::string strDir = makeDir("dir");
    BY_HANDLE_FILE_INFORMATION Sys = systemInfo(strFile);
    useOtherCreateFile();
    for (NTSTATUS rcPlain : {g_rcNtSharingViolation, g_rcNtAccessDenied})
    {
        g_rcPlainAnswer = rcPlain;
        RTOBJINFO Info;
        ASSERT_EQ(INF_SUCCESS, RTPathQueryInfoEx(strFile.c_str(), &Info, RTOBJINFOADD_UNIX, RTPATH_F_FOLLOW_LINK))
            << std::hex << rcPlain;
        EXPECT_EQ(777, Info.cbObject);
        EXPECT_EQ(RTFS_TYPE_FILE, Info.fMode & RTFS_TYPE_MASK);
        EXPECT_EQ(((uint64_t)Sys.nFileIndexHigh << 32) | Sys.nFileIndexLow, Info.u.Unix.INodeId);
        EXPECT_EQ(Sys.dwVolumeSerialNumber, Info.u.Unix.INodeIdDevice);
        EXPECT_EQ(UINT32_MAX, Info.u.Unix.uid);

        ASSERT_EQ(INF_SUCCESS,
                  RTPathQueryInfoEx((strDir + "\\").c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
        EXPECT_EQ(RTFS_TYPE_DIRECTORY, Info.fMode & RTFS_TYPE_MASK);

        /* The entry must be the one named: neither a missing name nor a pattern finds another. */
        EXPECT_EQ(RTErrConvertFromNtStatus(rcPlain),
                  RTPathQueryInfoEx(path("missing").c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
        EXPECT_EQ(RTErrConvertFromNtStatus(rcPlain),
                  RTPathQueryInfoEx(path("*.bin").c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
    }
}

TEST_F(PathInfo, ObjectNamespaceDirectories)
{
    /* Not a file-system object: the type comes from the object directory above it. (This system's
       attribute query refuses such names with a status that ends the query, so go without it.) */
    goWithoutTheAttributeQuery();
    RTOBJINFO Info;
    int rc = RTPathQueryInfoEx("\\\\:soltnt:\\BaseNamedObjects", &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK);
    ASSERT_EQ(INF_SUCCESS, rc);
    EXPECT_EQ(RTFS_TYPE_DIRECTORY, Info.fMode & RTFS_TYPE_MASK);
}

TEST_F(PathInfo, SymbolicLinksFollowedOrNot)
{
    std::string strTarget = makeFile("target", "0123456789");
    std::string strLink = path("link");
    if (!CreateSymbolicLinkA(strLink.c_str(), strTarget.c_str(), 0) ||
        !(GetFileAttributesA(strLink.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        GetFileAttributesA(strLink.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no symbolic links here";
    RTOBJINFO Info;
    ASSERT_EQ(INF_SUCCESS, RTPathQueryInfoEx(strLink.c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK));
    EXPECT_EQ(RTFS_TYPE_FILE, Info.fMode & RTFS_TYPE_MASK);
    EXPECT_EQ(10, Info.cbObject);
    ASSERT_EQ(INF_SUCCESS, RTPathQueryInfoEx(strLink.c_str(), &Info, RTOBJINFOADD_NOTHING, RTPATH_F_ON_LINK));
    EXPECT_EQ(RTFS_TYPE_SYMLINK, Info.fMode & RTFS_TYPE_MASK);
}

} // namespace
