/** @file
 * The information record of real files against what the system reports for
 * the same handle, file IDs across handles and names, and the file-system
 * type of the volume.
 */
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include <rt/file.h>
#include <rt/err.h>
#include "support/file-data.h"
#include "support/scratch-tree.h"
#include "support/widen.h"

namespace
{

using tst::AutoFile;
using tst::makePattern;

class FileInfo : public tst::ScratchTree
{
};

int64_t nsFromFileTime(const FILETIME &Time)
{
    uint64_t const u100ns = ((uint64_t)Time.dwHighDateTime << 32) | Time.dwLowDateTime;
    return (int64_t)(u100ns * 100 - UINT64_C(11644473600000000000));
}

uint64_t fileIndex(const BY_HANDLE_FILE_INFORMATION &Info)
{
    return ((uint64_t)Info.nFileIndexHigh << 32) | Info.nFileIndexLow;
}

TEST_F(FileInfo, RecordMatchesTheSystemsView)
{
    makeFile("a", makePattern(1234));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    BY_HANDLE_FILE_INFORMATION Sys;
    ASSERT_TRUE(GetFileInformationByHandle((HANDLE)File.h, &Sys));

    RTOBJINFO Info;
    memset(&Info, 0xcc, sizeof(Info));
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_UNIX));
    EXPECT_EQ(1234, Info.cbObject);
    EXPECT_GE(Info.cbAllocated, 0);
    EXPECT_EQ(nsFromFileTime(Sys.ftLastWriteTime), Info.ModificationTime.i64NanosecondsRelativeToUnixEpoch);
    EXPECT_EQ(nsFromFileTime(Sys.ftCreationTime), Info.BirthTime.i64NanosecondsRelativeToUnixEpoch);
    EXPECT_EQ(nsFromFileTime(Sys.ftLastAccessTime), Info.AccessTime.i64NanosecondsRelativeToUnixEpoch);
    /* Written a moment ago: within a day of now. */
    FILETIME Now;
    GetSystemTimeAsFileTime(&Now);
    EXPECT_LT(std::llabs(nsFromFileTime(Now) - Info.ModificationTime.i64NanosecondsRelativeToUnixEpoch),
              INT64_C(86400000000000));
    EXPECT_EQ(RTFsModeFromWinAttr((Sys.dwFileAttributes & 0x7fff) << RTFS_DOS_SHIFT, NULL, 0, 0, 0), Info.fMode);
    EXPECT_EQ(RTFS_TYPE_FILE | 0666u, Info.fMode & (RTFS_TYPE_MASK | RTFS_UNIX_MASK));

    EXPECT_EQ(RTOBJINFOADD_UNIX, Info.enmAdditional);
    EXPECT_EQ(UINT32_MAX, Info.u.Unix.uid);
    EXPECT_EQ(UINT32_MAX, Info.u.Unix.gid);
    EXPECT_EQ(Sys.nNumberOfLinks, Info.u.Unix.cHardlinks);
    EXPECT_EQ(fileIndex(Sys), Info.u.Unix.INodeId);
    EXPECT_EQ(Sys.dwVolumeSerialNumber, Info.u.Unix.INodeIdDevice);
    EXPECT_EQ(0u, Info.u.Unix.fFlags);
    EXPECT_EQ(0u, Info.u.Unix.GenerationId);
    EXPECT_EQ(0u, Info.u.Unix.Device);
}

TEST_F(FileInfo, FileIdFollowsTheFileNotTheHandleOrName)
{
    makeFile("a", makePattern(10));
    makeFile("b", makePattern(10));
    AutoFile Writer, Reader, Other, Link;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Writer.h, path("a").c_str(), RTFILE_O_WRITE | RTFILE_O_DENY_NONE));
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Reader.h, path("a").c_str(), RTFILE_O_READ | RTFILE_O_DENY_NONE));
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Other.h, path("b").c_str(), RTFILE_O_READ));
    RTOBJINFO W, R, O;
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(Writer.h, &W, RTOBJINFOADD_UNIX));
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(Reader.h, &R, RTOBJINFOADD_UNIX));
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(Other.h, &O, RTOBJINFOADD_UNIX));
    EXPECT_EQ(W.u.Unix.INodeId, R.u.Unix.INodeId);
    EXPECT_EQ(W.u.Unix.INodeIdDevice, R.u.Unix.INodeIdDevice);
    EXPECT_NE(W.u.Unix.INodeId, O.u.Unix.INodeId);
    EXPECT_EQ(W.u.Unix.INodeIdDevice, O.u.Unix.INodeIdDevice);

    /* A second name of the same file: same ID, and both names counted. */
    ASSERT_TRUE(CreateHardLinkW(wpath("a2").c_str(), wpath("a").c_str(), NULL)) << GetLastError();
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Link.h, path("a2").c_str(), RTFILE_O_READ | RTFILE_O_DENY_NONE));
    RTOBJINFO L;
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(Link.h, &L, RTOBJINFOADD_UNIX));
    EXPECT_EQ(W.u.Unix.INodeId, L.u.Unix.INodeId);
    EXPECT_EQ(2u, L.u.Unix.cHardlinks);
}

TEST_F(FileInfo, ModeOfReadOnlyFilesAndDirectories)
{
    makeFile("ro", makePattern(3));
    ASSERT_TRUE(SetFileAttributesW(wpath("ro").c_str(), FILE_ATTRIBUTE_READONLY));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("ro").c_str(), RTFILE_O_READ));
    RTOBJINFO Info;
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_NOTHING));
    EXPECT_EQ(RTFS_DOS_READONLY, Info.fMode & RTFS_DOS_READONLY);
    EXPECT_EQ(RTFS_TYPE_FILE | 0444u, Info.fMode & (RTFS_TYPE_MASK | RTFS_UNIX_MASK));

    HANDLE hDir = CreateFileW(m_wstrRoot.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hDir);
    int rc = RTFileQueryInfo((RTFILE)hDir, &Info, RTOBJINFOADD_NOTHING);
    CloseHandle(hDir);
    ASSERT_EQ(INF_SUCCESS, rc);
    EXPECT_EQ(RTFS_DOS_DIRECTORY | RTFS_TYPE_DIRECTORY | 0777u,
              Info.fMode & (RTFS_DOS_DIRECTORY | RTFS_TYPE_MASK | RTFS_UNIX_MASK));
}

TEST_F(FileInfo, AdditionalKindsAndRefusedArguments)
{
    makeFile("a", makePattern(5));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    RTOBJINFO Info;

    memset(&Info, 0xcc, sizeof(Info));
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_UNIX_OWNER));
    EXPECT_EQ(RTOBJINFOADD_UNIX_OWNER, Info.enmAdditional);
    EXPECT_EQ(UINT32_MAX, Info.u.UnixOwner.uid);
    EXPECT_STREQ("", Info.u.UnixOwner.szName);
    EXPECT_EQ(5, Info.cbObject);

    memset(&Info, 0xcc, sizeof(Info));
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_UNIX_GROUP));
    EXPECT_EQ(RTOBJINFOADD_UNIX_GROUP, Info.enmAdditional);
    EXPECT_EQ(UINT32_MAX, Info.u.UnixGroup.gid);
    EXPECT_STREQ("", Info.u.UnixGroup.szName);

    memset(&Info, 0xcc, sizeof(Info));
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_EASIZE));
    EXPECT_EQ(RTOBJINFOADD_EASIZE, Info.enmAdditional);
    EXPECT_EQ(0, Info.u.EASize.cb);

    EXPECT_EQ(ERR_INVALID_PARAMETER, RTFileQueryInfo(NIL_RTFILE, &Info, RTOBJINFOADD_NOTHING));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTFileQueryInfo(File.h, NULL, RTOBJINFOADD_NOTHING));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTFileQueryInfo(File.h, &Info, (RTOBJINFOADD)0));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTFileQueryInfo(File.h, &Info, (RTOBJINFOADD)6));
}

TEST_F(FileInfo, HandlesThatAreNoFiles)
{
    /* An event is neither a file nor a console. */
    HANDLE hEvent = CreateEventW(NULL, FALSE, FALSE, NULL);
    ASSERT_NE((HANDLE)NULL, hEvent);
    RTOBJINFO Info;
    EXPECT_EQ(ERR_INVALID_HANDLE, RTFileQueryInfo((RTFILE)hEvent, &Info, RTOBJINFOADD_UNIX));
    CloseHandle(hEvent);
    /* Nor is a handle value nothing stands behind. */
    EXPECT_EQ(ERR_INVALID_HANDLE, RTFileQueryInfo((RTFILE)(intptr_t)0x5670, &Info, RTOBJINFOADD_UNIX));
}

/** The file-system type against the name the system gives the volume. */
TEST_F(FileInfo, FileSystemTypeOfTheVolume)
{
    makeFile("a", makePattern(1));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    wchar_t wszFsName[64] = L"";
    ASSERT_TRUE(GetVolumeInformationByHandleW((HANDLE)File.h, NULL, 0, NULL, NULL, NULL, wszFsName, 64));
    struct
    {
        const wchar_t *pwszName;
        RTFSTYPE enmType;
    } const s_aKnown[] = {
        {L"NTFS", RTFSTYPE_NTFS}, {L"FAT", RTFSTYPE_FAT}, {L"FAT32", RTFSTYPE_FAT}, {L"exFAT", RTFSTYPE_EXFAT},
        {L"ReFS", RTFSTYPE_REFS}, {L"UDF", RTFSTYPE_UDF}, {L"CDFS", RTFSTYPE_CDFS}, {L"HPFS", RTFSTYPE_HPFS},
    };
    RTFSTYPE enmExpected = RTFSTYPE_UNKNOWN;
    for (const auto &k : s_aKnown)
        if (wcscmp(k.pwszName, wszFsName) == 0)
            enmExpected = k.enmType;
    RTFSTYPE enmType = (RTFSTYPE)99;
    EXPECT_EQ(INF_SUCCESS, RTFileQueryFsType(File.h, &enmType));
    EXPECT_EQ(enmExpected, enmType) << tst::narrow(wszFsName);

    /* A handle that is not a file: the failure, and no stale type. */
    HANDLE hEvent = CreateEventW(NULL, FALSE, FALSE, NULL);
    enmType = RTFSTYPE_NTFS;
    EXPECT_TRUE(RT_FAILURE(RTFileQueryFsType((RTFILE)hEvent, &enmType)));
    EXPECT_EQ(RTFSTYPE_UNKNOWN, enmType);
    CloseHandle(hEvent);
}

} /* namespace */
