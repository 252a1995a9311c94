/** @file
 * The failures that cannot be caused on purpose, made by replacing the
 * system call behind them: memory shortage during reads and writes, a full
 * volume of each file-system type, disk handles for the size query, and the
 * answers that mark console handles for the information query.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>
#include <winioctl.h>
#include <cstring>

#include <rt/file.h>
#include <rt/err.h>
#include <rt/ldr.h>
#include "internal/file.h"
#include "support/file-data.h"
#include "support/scratch-tree.h"
#include "support/widen.h"

namespace
{

using tst::AutoFile;
using tst::makePattern;

/** @name Statuses the replaced native queries answer with.
 * @{ */
const NTSTATUS g_rcNtBufferOverflow = (NTSTATUS)0x80000005L;       /* STATUS_BUFFER_OVERFLOW */
const NTSTATUS g_rcNtInvalidInfoClass = (NTSTATUS)0xC0000003L;     /* STATUS_INVALID_INFO_CLASS */
const NTSTATUS g_rcNtInvalidHandle = (NTSTATUS)0xC0000008L;        /* STATUS_INVALID_HANDLE */
const NTSTATUS g_rcNtInvalidDeviceRequest = (NTSTATUS)0xC0000010L; /* STATUS_INVALID_DEVICE_REQUEST */
const NTSTATUS g_rcNtAccessDenied = (NTSTATUS)0xC0000022L;         /* STATUS_ACCESS_DENIED */
const NTSTATUS g_rcNtObjectTypeMismatch = (NTSTATUS)0xC0000024L;   /* STATUS_OBJECT_TYPE_MISMATCH */
const NTSTATUS g_rcNtSharingViolation = (NTSTATUS)0xC0000043L;     /* STATUS_SHARING_VIOLATION */
/** @} */

/*
 * State the replacement calls act on. Every test sets what it needs; the
 * seams go back to the system's calls after every test.
 */
std::vector<DWORD> g_acbRequests; /**< the byte counts of every read or write asked for */
DWORD g_cbFailAbove;              /**< transfers larger than this fail with g_uFailError */
DWORD g_uFailError;               /**< the error of a failing transfer */
std::wstring g_wstrFsName;        /**< the file-system name the volume reports */
ULONG g_cbFsNameClaimed;          /**< the name length in bytes the answer claims */
NTSTATUS g_rcNtVolume;            /**< the status of the volume query */
unsigned g_cVolumeQueries;        /**< how often the file-system type was asked for */

BOOL WINAPI readFileShort(HANDLE hFile, void *pvBuf, DWORD cbToRead, DWORD *pcbRead, OVERLAPPED *pOverlapped)
{
    g_acbRequests.push_back(cbToRead);
    if (cbToRead > g_cbFailAbove)
    {
        SetLastError(g_uFailError);
        return FALSE;
    }
    return ReadFile(hFile, pvBuf, cbToRead, pcbRead, pOverlapped);
}

BOOL WINAPI writeFileShort(HANDLE hFile, const void *pvBuf, DWORD cbToWrite, DWORD *pcbWritten, OVERLAPPED *pOverlapped)
{
    g_acbRequests.push_back(cbToWrite);
    if (cbToWrite > g_cbFailAbove)
    {
        SetLastError(g_uFailError);
        return FALSE;
    }
    return WriteFile(hFile, pvBuf, cbToWrite, pcbWritten, pOverlapped);
}

NTSTATUS NTAPI queryVolumeFake(HANDLE hFile, IO_STATUS_BLOCK *pIos, void *pvBuf, ULONG cbBuf,
                               FS_INFORMATION_CLASS enmClass)
{
    if (enmClass != FileFsAttributeInformation)
        return NtQueryVolumeInformationFile(hFile, pIos, pvBuf, cbBuf, enmClass);
    g_cVolumeQueries++;
    if (g_rcNtVolume < 0)
        return g_rcNtVolume;
    FILE_FS_ATTRIBUTE_INFORMATION *pInfo = (FILE_FS_ATTRIBUTE_INFORMATION *)pvBuf;
    size_t const cbName = g_wstrFsName.size() * sizeof(wchar_t);
    if (cbBuf < offsetof(FILE_FS_ATTRIBUTE_INFORMATION, FileSystemName) + cbName)
        return g_rcNtBufferOverflow;
    pInfo->FileSystemAttributes = 0;
    pInfo->MaximumComponentNameLength = 255;
    pInfo->FileSystemNameLength = g_cbFsNameClaimed;
    memcpy(pInfo->FileSystemName, g_wstrFsName.data(), cbName);
    return 0;
}

class FileInject : public tst::ScratchTree
{
  protected:
    void SetUp() override
    {
        tst::ScratchTree::SetUp();
        g_acbRequests.clear();
        g_cbFailAbove = UINT32_MAX;
        g_uFailError = ERROR_NOT_ENOUGH_MEMORY;
        g_wstrFsName = L"NTFS";
        g_cbFsNameClaimed = 8;
        g_rcNtVolume = 0;
        g_cVolumeQueries = 0;
    }
};

TEST_F(FileInject, ReadUnderMemoryPressureGoesOnInPieces)
{
    std::vector<uint8_t> abData = makePattern(100000);
    makeFile("a", abData);
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    g_rtSeamsFile.pfnReadFile = readFileShort;

    /* Large counts start at 16 KiB and halve until the system copes. */
    g_cbFailAbove = 5000;
    std::vector<uint8_t> abBuf(abData.size());
    ASSERT_EQ(INF_SUCCESS, RTFileRead(File.h, abBuf.data(), abBuf.size(), NULL));
    EXPECT_EQ(abData, abBuf);
    ASSERT_GE(g_acbRequests.size(), 5u);
    EXPECT_EQ(std::vector<DWORD>({100000, 16384, 8192, 4096, 4096}),
              std::vector<DWORD>(g_acbRequests.begin(), g_acbRequests.begin() + 5));
    EXPECT_EQ(100000u - 24 * 4096, g_acbRequests.back());

    /* With an out count the first piece read is the answer. */
    ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, 0, RTFILE_SEEK_BEGIN, NULL));
    g_acbRequests.clear();
    g_cbFailAbove = 300;
    size_t cbRead = 0;
    ASSERT_EQ(INF_SUCCESS, RTFileRead(File.h, abBuf.data(), 1000, &cbRead));
    EXPECT_EQ(std::vector<DWORD>({1000, 512, 256}), g_acbRequests); /* small counts start at half, rounded to 256 */
    EXPECT_EQ(256u, cbRead);
    EXPECT_TRUE(std::equal(abBuf.begin(), abBuf.begin() + 256, abData.begin()));

    /* The end of the file in the middle of the pieces. */
    ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, 100000 - 5000, RTFILE_SEEK_BEGIN, NULL));
    g_cbFailAbove = 4096;
    EXPECT_EQ(ERR_EOF, RTFileRead(File.h, abBuf.data(), 20000, NULL));
    EXPECT_TRUE(std::equal(abBuf.begin(), abBuf.begin() + 5000, abData.end() - 5000));
}

TEST_F(FileInject, MemoryShortageThatNeverEndsIsReturned)
{
    makeFile("a", makePattern(2000));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READWRITE));
    g_rtSeamsFile.pfnReadFile = readFileShort;
    g_rtSeamsFile.pfnWriteFile = writeFileShort;
    g_cbFailAbove = 0;

    std::vector<uint8_t> abBuf(1000);
    EXPECT_EQ(ERR_NO_MEMORY, RTFileRead(File.h, abBuf.data(), abBuf.size(), NULL));
    EXPECT_EQ(std::vector<DWORD>({1000, 512, 256, 128, 64, 32, 16, 8}), g_acbRequests);

    g_acbRequests.clear();
    size_t cbWritten = 99;
    EXPECT_EQ(ERR_NO_MEMORY, RTFileWrite(File.h, abBuf.data(), 100, &cbWritten));
    /* The first piece of a small count may be larger than the count: what is left is asked for. */
    EXPECT_EQ(std::vector<DWORD>({100, 100, 100, 64, 32, 16, 8}), g_acbRequests);
    EXPECT_EQ(0u, cbWritten);

    /* Other failures are not retried. */
    g_acbRequests.clear();
    g_uFailError = ERROR_LOCK_VIOLATION;
    EXPECT_EQ(ERR_LOCK_VIOLATION, RTFileRead(File.h, abBuf.data(), abBuf.size(), NULL));
    EXPECT_EQ(1u, g_acbRequests.size());
}

TEST_F(FileInject, WriteUnderMemoryPressureGoesOnInPieces)
{
    std::vector<uint8_t> abData = makePattern(100000);
    {
        AutoFile File;
        ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE));
        g_rtSeamsFile.pfnWriteFile = writeFileShort;
        g_cbFailAbove = 10000;
        ASSERT_EQ(INF_SUCCESS, RTFileWrite(File.h, abData.data(), abData.size(), NULL));
        ASSERT_GE(g_acbRequests.size(), 4u);
        EXPECT_EQ(std::vector<DWORD>({100000, 32768, 16384, 8192}),
                  std::vector<DWORD>(g_acbRequests.begin(), g_acbRequests.begin() + 4));

        g_acbRequests.clear();
        size_t cbWritten = 0;
        g_cbFailAbove = 20000;
        ASSERT_EQ(INF_SUCCESS, RTFileWrite(File.h, abData.data(), 60000, &cbWritten));
        EXPECT_EQ(std::vector<DWORD>({60000, 30208, 15104}), g_acbRequests);
        EXPECT_EQ(15104u, cbWritten);
    }
    std::vector<uint8_t> abExpected = abData;
    abExpected.insert(abExpected.end(), abData.begin(), abData.begin() + 15104);
    EXPECT_EQ(abExpected, readFile("a"));
}

/*
 * Transfers the system completes only in part.
 */

DWORD g_cbMostPerCall; /**< the most one read or write of the replacements below moves */

BOOL WINAPI readAtMost(HANDLE hFile, void *pvBuf, DWORD cbToRead, DWORD *pcbRead, OVERLAPPED *pOverlapped)
{
    g_acbRequests.push_back(cbToRead);
    return ReadFile(hFile, pvBuf, RT_MIN(cbToRead, g_cbMostPerCall), pcbRead, pOverlapped);
}

BOOL WINAPI writeAtMost(HANDLE hFile, const void *pvBuf, DWORD cbToWrite, DWORD *pcbWritten, OVERLAPPED *pOverlapped)
{
    g_acbRequests.push_back(cbToWrite);
    return WriteFile(hFile, pvBuf, RT_MIN(cbToWrite, g_cbMostPerCall), pcbWritten, pOverlapped);
}

TEST_F(FileInject, ShortTransfersGoOnWithTheRestWithoutAnOutCount)
{
    const size_t cbData = 10000;
    std::vector<uint8_t> const abData = makePattern(cbData);
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READWRITE | RTFILE_O_CREATE));
    g_rtSeamsFile.pfnReadFile = readAtMost;
    g_rtSeamsFile.pfnWriteFile = writeAtMost;
    g_cbMostPerCall = 3000;
    /* Each call after a short one asks for exactly what is left. */
    std::vector<DWORD> const acbExpected = {10000, 7000, 4000, 1000};

    ASSERT_EQ(INF_SUCCESS, RTFileWrite(File.h, abData.data(), cbData, NULL));
    EXPECT_EQ(acbExpected, g_acbRequests);
    EXPECT_EQ(abData, readFile("a"));

    ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, 0, RTFILE_SEEK_BEGIN, NULL));
    g_acbRequests.clear();
    std::vector<uint8_t> abBuf(cbData);
    ASSERT_EQ(INF_SUCCESS, RTFileRead(File.h, abBuf.data(), cbData, NULL));
    EXPECT_EQ(acbExpected, g_acbRequests);
    EXPECT_EQ(abData, abBuf);
}

TEST_F(FileInject, ShortTransfersEndAtTheFirstPartWithAnOutCount)
{
    const size_t cbData = 10000;
    std::vector<uint8_t> const abData = makePattern(cbData);
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READWRITE | RTFILE_O_CREATE));
    g_rtSeamsFile.pfnReadFile = readAtMost;
    g_rtSeamsFile.pfnWriteFile = writeAtMost;
    g_cbMostPerCall = 3000;

    size_t cbDone = 0;
    ASSERT_EQ(INF_SUCCESS, RTFileWrite(File.h, abData.data(), cbData, &cbDone));
    EXPECT_EQ(g_cbMostPerCall, cbDone);
    EXPECT_EQ(std::vector<uint8_t>(abData.begin(), abData.begin() + g_cbMostPerCall), readFile("a"));

    ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, 0, RTFILE_SEEK_BEGIN, NULL));
    std::vector<uint8_t> abBuf(cbData);
    cbDone = 0;
    ASSERT_EQ(INF_SUCCESS, RTFileRead(File.h, abBuf.data(), cbData, &cbDone));
    EXPECT_EQ(g_cbMostPerCall, cbDone);
    EXPECT_TRUE(std::equal(abData.begin(), abData.begin() + g_cbMostPerCall, abBuf.begin()));
    EXPECT_EQ(std::vector<DWORD>({10000, 10000}), g_acbRequests);
}

/** Writes what is asked for and claims one byte more, as a misbehaving driver may. */
BOOL WINAPI writeClaimingMore(HANDLE hFile, const void *pvBuf, DWORD cbToWrite, DWORD *pcbWritten,
                              OVERLAPPED *pOverlapped)
{
    BOOL const fOk = WriteFile(hFile, pvBuf, cbToWrite, pcbWritten, pOverlapped);
    if (fOk)
        *pcbWritten += 1;
    return fOk;
}

TEST_F(FileInject, OutCountIsAtMostTheCountAskedFor)
{
    std::vector<uint8_t> const abData = makePattern(100);
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE));
    g_rtSeamsFile.pfnWriteFile = writeClaimingMore;
    size_t cbDone = 0;
    ASSERT_EQ(INF_SUCCESS, RTFileWrite(File.h, abData.data(), abData.size(), &cbDone));
    EXPECT_EQ(abData.size(), cbDone);
}

/*
 * The not-content-indexed marking of new files.
 */

std::vector<std::wstring> g_vMarked; /**< the paths marked not content-indexed */
DWORD g_uMarkError;                  /**< 0: mark for real */

BOOL WINAPI markingSetFileAttributes(LPCWSTR pwszPath, DWORD fAttributes)
{
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, fAttributes);
    g_vMarked.push_back(pwszPath);
    if (g_uMarkError)
    {
        SetLastError(g_uMarkError);
        return FALSE;
    }
    return SetFileAttributesW(pwszPath, fAttributes);
}

TEST_F(FileInject, OnlyNewFilesAreMarkedAndAFailedMarkFailsTheOpen)
{
    g_rtSeamsFile.pfnSetFileAttributesW = markingSetFileAttributes;
    g_vMarked.clear();
    g_uMarkError = 0;
    uint64_t const fMarked = RTFILE_O_WRITE | RTFILE_O_DENY_ALL | RTFILE_O_NOT_CONTENT_INDEXED;
    makeFile("old", makePattern(10));
    makeFile("replaced", makePattern(10));
    struct
    {
        const char *pszName;
        uint64_t fAction;
        RTFILEACTION enmAction;
        bool fMarked;
    } const s_aCases[] = {
        {"old", RTFILE_O_OPEN_CREATE, RTFILEACTION_OPENED, false},
        {"new", RTFILE_O_CREATE, RTFILEACTION_CREATED, true},
        {"new2", RTFILE_O_OPEN_CREATE, RTFILEACTION_CREATED, true},
        {"replaced", RTFILE_O_CREATE_REPLACE, RTFILEACTION_REPLACED, true},
    };
    for (const auto &Case : s_aCases)
    {
        g_vMarked.clear();
        AutoFile File;
        RTFILEACTION enmAction = RTFILEACTION_INVALID;
        ASSERT_EQ(INF_SUCCESS, RTFileOpenEx(path(Case.pszName).c_str(), fMarked | Case.fAction, &File.h, &enmAction))
            << Case.pszName;
        EXPECT_EQ(Case.enmAction, enmAction) << Case.pszName;
        EXPECT_EQ(Case.fMarked ? std::vector<std::wstring>({wpath(Case.pszName)}) : std::vector<std::wstring>(),
                  g_vMarked)
            << Case.pszName;
    }

    /* The open fails with the marking's error, and the handle is closed: nobody holds the file. */
    g_vMarked.clear();
    g_uMarkError = ERROR_ACCESS_DENIED;
    RTFILE hFile = (RTFILE)(intptr_t)0x1234;
    EXPECT_EQ(ERR_ACCESS_DENIED, RTFileOpen(&hFile, path("failed").c_str(), fMarked | RTFILE_O_CREATE));
    EXPECT_EQ(NIL_RTFILE, hFile);
    EXPECT_EQ(1u, g_vMarked.size());
    EXPECT_TRUE(DeleteFileW(wpath("failed").c_str())) << GetLastError();
}

/** A full volume of each file-system type, the write ending at various offsets. */
TEST_F(FileInject, FullVolumeOrFileTooBigByFileSystem)
{
    const uint64_t k4G = UINT64_C(0x100000000);
    const uint64_t k2G = UINT64_C(0x80000000);
    struct
    {
        const wchar_t *pwszFs;
        NTSTATUS rcNtVolume;
        DWORD uError;
        uint64_t offStart;
        DWORD cbWrite;
        int rcExpected;
        bool fQueried;
    } const s_aCases[] = {
        {L"FAT32", 0, ERROR_DISK_FULL, k4G - 10, 100, ERR_FILE_TOO_BIG, true},
        {L"FAT32", 0, ERROR_DISK_FULL, k4G - 100, 100, ERR_FILE_TOO_BIG, true}, /* ends exactly at the limit */
        {L"FAT32", 0, ERROR_DISK_FULL, k4G - 101, 100, ERR_DISK_FULL, true},
        {L"FAT", 0, ERROR_HANDLE_DISK_FULL, k4G + 5, 1, ERR_FILE_TOO_BIG, true},
        {L"FAT32", 0, ERROR_DISK_FULL, 0, 100, ERR_DISK_FULL, false},
        /* Below 2147483647 the volume is not asked at all. */
        {L"HPFS", 0, ERROR_DISK_FULL, 2147483647 - 100, 99, ERR_DISK_FULL, false},
        {L"HPFS", 0, ERROR_DISK_FULL, 2147483647 - 100, 100, ERR_DISK_FULL, true},
        {L"HPFS", 0, ERROR_DISK_FULL, k2G - 50, 100, ERR_FILE_TOO_BIG, true},
        {L"CDFS", 0, ERROR_DISK_FULL, UINT64_C(8796093022208) - 1, 1, ERR_FILE_TOO_BIG, true},
        {L"CDFS", 0, ERROR_DISK_FULL, k4G * 3, 100, ERR_DISK_FULL, true},
        {L"NTFS", 0, ERROR_DISK_FULL, k4G * 5, 100, ERR_DISK_FULL, true},
        {L"exFAT", 0, ERROR_DISK_FULL, k4G * 5, 100, ERR_DISK_FULL, true},
        /* An unanswered query sets no limit. */
        {L"FAT32", g_rcNtInvalidDeviceRequest, ERROR_DISK_FULL, k4G * 5, 100, ERR_DISK_FULL, true},
        /* Other failures are returned as they are. */
        {L"FAT32", 0, ERROR_ACCESS_DENIED, k4G * 5, 100, ERR_ACCESS_DENIED, false},
    };
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE));
    g_rtSeamsFile.pfnWriteFile = writeFileShort;
    g_rtSeamsFile.pfnNtQueryVolumeInformationFile = queryVolumeFake;
    g_cbFailAbove = 0;
    for (const auto &c : s_aCases)
    {
        g_wstrFsName = c.pwszFs;
        g_cbFsNameClaimed = (ULONG)(g_wstrFsName.size() * sizeof(wchar_t));
        g_rcNtVolume = c.rcNtVolume;
        g_uFailError = c.uError;
        g_cVolumeQueries = 0;
        ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, (int64_t)c.offStart, RTFILE_SEEK_BEGIN, NULL));
        std::vector<uint8_t> ab(c.cbWrite);
        EXPECT_EQ(c.rcExpected, RTFileWrite(File.h, ab.data(), ab.size(), NULL))
            << tst::narrow(c.pwszFs) << " at " << c.offStart << " + " << c.cbWrite;
        EXPECT_EQ(c.fQueried ? 1u : 0u, g_cVolumeQueries) << tst::narrow(c.pwszFs) << " at " << c.offStart;
    }
}

/** The failed piece, not the whole request, decides the end offset. */
TEST_F(FileInject, FullVolumeAfterPartOfTheDataWasWritten)
{
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE));
    g_rtSeamsFile.pfnWriteFile = writeFileShort;
    g_rtSeamsFile.pfnNtQueryVolumeInformationFile = queryVolumeFake;
    g_wstrFsName = L"FAT32";
    g_cbFsNameClaimed = 10;
    g_uFailError = ERROR_DISK_FULL;

    /* Memory shortage first, so the write goes on in pieces (20224 bytes, then
       10112); the volume fills on the piece that would cross 4 GiB. */
    const uint64_t offStart = UINT64_C(0x100000000) - 20000;
    ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, (int64_t)offStart, RTFILE_SEEK_BEGIN, NULL));
    struct Local
    {
        static BOOL WINAPI write(HANDLE hFile, const void *pv, DWORD cb, DWORD *pcb, OVERLAPPED *pOv)
        {
            g_acbRequests.push_back(cb);
            LARGE_INTEGER off = {}, offNow;
            SetFilePointerEx(hFile, off, &offNow, FILE_CURRENT);
            SetLastError(cb > 20000 ? ERROR_NOT_ENOUGH_MEMORY : ERROR_DISK_FULL);
            if (cb > 20000 || (uint64_t)offNow.QuadPart + cb > UINT64_C(0x100000000) - 1000)
                return FALSE;
            return WriteFile(hFile, pv, cb, pcb, pOv);
        }
    };
    g_rtSeamsFile.pfnWriteFile = Local::write;
    std::vector<uint8_t> ab(40000);
    EXPECT_EQ(ERR_FILE_TOO_BIG, RTFileWrite(File.h, ab.data(), ab.size(), NULL));
    EXPECT_EQ(std::vector<DWORD>({40000, 20224, 10112, 10112}), g_acbRequests);
    EXPECT_EQ(offStart + 10112, RTFileTell(File.h));
}

TEST_F(FileInject, FileSystemNameAsTheVolumeReportsIt)
{
    makeFile("a", makePattern(1));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    g_rtSeamsFile.pfnNtQueryVolumeInformationFile = queryVolumeFake;
    struct
    {
        const wchar_t *pwszName;
        ULONG cbClaimed;
        RTFSTYPE enmExpected;
    } const s_aCases[] = {
        {L"FAT32", 10, RTFSTYPE_FAT},
        {L"FAT32", 6, RTFSTYPE_FAT}, /* the claimed length decides: "FAT" */
        {L"TarnSharedFolderFS", 36, RTFSTYPE_SHAREDFOLDER},
        {L"Fat32", 10, RTFSTYPE_UNKNOWN},
        {L"NTFS", 0xfffffff0, RTFSTYPE_UNKNOWN}, /* a length beyond the buffer is not followed */
        {L"btrfs", 10, RTFSTYPE_UNKNOWN},
    };
    for (const auto &c : s_aCases)
    {
        g_wstrFsName = c.pwszName;
        g_cbFsNameClaimed = c.cbClaimed;
        RTFSTYPE enmType = (RTFSTYPE)99;
        EXPECT_EQ(INF_SUCCESS, RTFileQueryFsType(File.h, &enmType));
        EXPECT_EQ(c.enmExpected, enmType) << tst::narrow(c.pwszName) << " " << c.cbClaimed;
    }
    g_rcNtVolume = g_rcNtAccessDenied;
    RTFSTYPE enmType = RTFSTYPE_NTFS;
    EXPECT_EQ(ERR_ACCESS_DENIED, RTFileQueryFsType(File.h, &enmType));
    EXPECT_EQ(RTFSTYPE_UNKNOWN, enmType);
}

/*
 * Size of disk handles.
 */

struct DiskFake
{
    BOOL fGeometry;
    MEDIA_TYPE enmMedia;
    BOOL fLength;
} g_DiskFake;

DWORD WINAPI getFileSizeFails(HANDLE, DWORD *)
{
    SetLastError(ERROR_INVALID_FUNCTION);
    return INVALID_FILE_SIZE;
}

BOOL WINAPI diskIoControl(HANDLE, DWORD uCode, void *, DWORD, void *pvOut, DWORD cbOut, DWORD *pcbReturned,
                          OVERLAPPED *)
{
    if (uCode == IOCTL_DISK_GET_DRIVE_GEOMETRY && g_DiskFake.fGeometry && cbOut >= sizeof(DISK_GEOMETRY))
    {
        DISK_GEOMETRY *pGeo = (DISK_GEOMETRY *)pvOut;
        pGeo->Cylinders.QuadPart = 1000;
        pGeo->MediaType = g_DiskFake.enmMedia;
        pGeo->TracksPerCylinder = 255;
        pGeo->SectorsPerTrack = 63;
        pGeo->BytesPerSector = 512;
        *pcbReturned = sizeof(*pGeo);
        return TRUE;
    }
    if (uCode == IOCTL_DISK_GET_LENGTH_INFO && g_DiskFake.fLength && cbOut >= sizeof(GET_LENGTH_INFORMATION))
    {
        ((GET_LENGTH_INFORMATION *)pvOut)->Length.QuadPart = INT64_C(8233372160);
        *pcbReturned = sizeof(GET_LENGTH_INFORMATION);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}

TEST_F(FileInject, SizeOfDiskHandles)
{
    makeFile("a", makePattern(1));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    g_rtSeamsFile.pfnGetFileSize = getFileSizeFails;
    g_rtSeamsFile.pfnDeviceIoControl = diskIoControl;
    const uint64_t cbGeometry = UINT64_C(1000) * 255 * 63 * 512;
    struct
    {
        DiskFake Fake;
        int rcExpected;
        uint64_t cbExpected;
    } const s_aCases[] = {
        {{TRUE, FixedMedia, TRUE}, INF_SUCCESS, UINT64_C(8233372160)},
        {{TRUE, FixedMedia, FALSE}, INF_SUCCESS, cbGeometry},
        {{TRUE, RemovableMedia, FALSE}, INF_SUCCESS, cbGeometry},
        {{TRUE, F3_1Pt44_512, TRUE}, ERR_INVALID_FUNCTION, 0},
        {{TRUE, Unknown, TRUE}, ERR_INVALID_FUNCTION, 0},
        {{FALSE, FixedMedia, TRUE}, ERR_INVALID_FUNCTION, 0},
    };
    for (const auto &c : s_aCases)
    {
        g_DiskFake = c.Fake;
        uint64_t cbSize = 0;
        EXPECT_EQ(c.rcExpected, RTFileQuerySize(File.h, &cbSize)) << c.Fake.enmMedia << c.Fake.fGeometry;
        if (RT_SUCCESS(c.rcExpected))
        {
            EXPECT_EQ(c.cbExpected, cbSize);
        }
    }
}

/*
 * Information query answers that mark console handles.
 */

/** What a console or other device reports: a device that is a regular file, readable and writable by all. */
const RTFMODE g_fModeDevice = RTFS_DOS_NT_DEVICE | RTFS_TYPE_FILE | 0666;

NTSTATUS g_rcNtInfo;
FILE_ALL_INFORMATION g_AllInfo;
unsigned g_cVerifierCalls;
BOOL g_fVerifierAnswer;

NTSTATUS NTAPI queryInfoFake(HANDLE, IO_STATUS_BLOCK *, void *pvBuf, ULONG cbBuf, FILE_INFORMATION_CLASS enmClass)
{
    if (enmClass != FileAllInformation)
        return g_rcNtInvalidInfoClass;
    if (g_rcNtInfo < 0 && g_rcNtInfo != g_rcNtBufferOverflow)
        return g_rcNtInfo;
    memcpy(pvBuf, &g_AllInfo, RT_MIN((size_t)cbBuf, sizeof(g_AllInfo)));
    return g_rcNtInfo;
}

BOOL WINAPI verifierFake(HANDLE)
{
    g_cVerifierCalls++;
    return g_fVerifierAnswer;
}

/** The loader's look-up, except that VerifyConsoleIoHandle is the fake. */
void *findFakeVerifier(const char *pszName, const char *pszSymbol)
{
    if (strcmp(pszSymbol, "VerifyConsoleIoHandle") == 0)
        return (void *)verifierFake;
    return RTLdrFindSystemSymbol(pszName, pszSymbol);
}

/** The look-up of a system without VerifyConsoleIoHandle. */
void *findNoVerifier(const char *pszName, const char *pszSymbol)
{
    if (strcmp(pszSymbol, "VerifyConsoleIoHandle") == 0)
        return NULL;
    return RTLdrFindSystemSymbol(pszName, pszSymbol);
}

TEST_F(FileInject, ConsoleHandlesAndOtherDevices)
{
    makeFile("a", makePattern(1));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    g_rtSeamsFile.pfnNtQueryInformationFile = queryInfoFake;
    g_rtSeamsFile.pfnRTLdrFindSystemSymbol = findFakeVerifier;

    struct
    {
        NTSTATUS rcNt;
        BOOL fVerifierAnswer;
        int rcExpected;
        unsigned cVerifierCalls;
    } const s_aCases[] = {
        {g_rcNtInvalidHandle, TRUE, INF_SUCCESS, 1},
        {g_rcNtInvalidHandle, FALSE, ERR_INVALID_HANDLE, 1},
        {g_rcNtAccessDenied, TRUE, INF_SUCCESS, 1},
        {g_rcNtAccessDenied, FALSE, ERR_INVALID_HANDLE, 1},
        {g_rcNtObjectTypeMismatch, TRUE, INF_SUCCESS, 1},
        {g_rcNtObjectTypeMismatch, FALSE, ERR_INVALID_HANDLE, 1},
        {g_rcNtInvalidInfoClass, FALSE, INF_SUCCESS, 0},
        {g_rcNtInvalidDeviceRequest, FALSE, INF_SUCCESS, 0},
        {g_rcNtSharingViolation, TRUE, ERR_SHARING_VIOLATION, 0},
    };
    for (const auto &c : s_aCases)
    {
        g_rcNtInfo = c.rcNt;
        g_fVerifierAnswer = c.fVerifierAnswer;
        g_cVerifierCalls = 0;
        RTOBJINFO Info;
        memset(&Info, 0xcc, sizeof(Info));
        EXPECT_EQ(c.rcExpected, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_UNIX)) << std::hex << c.rcNt;
        EXPECT_EQ(c.cVerifierCalls, g_cVerifierCalls) << std::hex << c.rcNt;
        if (c.rcExpected == INF_SUCCESS)
        {
            RTOBJINFO Expected;
            memset(&Expected, 0, sizeof(Expected));
            Expected.fMode = g_fModeDevice;
            Expected.enmAdditional = RTOBJINFOADD_UNIX;
            EXPECT_EQ(0, memcmp(&Expected, &Info, sizeof(Info))) << std::hex << c.rcNt << " mode " << Info.fMode;
        }
    }
}

TEST_F(FileInject, WithoutTheVerifierAHandleTheSystemCanTypeIsAConsole)
{
    makeFile("a", makePattern(1));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    g_rtSeamsFile.pfnNtQueryInformationFile = queryInfoFake;
    g_rtSeamsFile.pfnRTLdrFindSystemSymbol = findNoVerifier;
    g_rcNtInfo = g_rcNtInvalidHandle;
    RTOBJINFO Info;
    EXPECT_EQ(INF_SUCCESS, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_NOTHING));
    EXPECT_EQ(g_fModeDevice, Info.fMode);
    EXPECT_EQ(ERR_INVALID_HANDLE, RTFileQueryInfo((RTFILE)(intptr_t)0x5670, &Info, RTOBJINFOADD_NOTHING));
}

/* The look-ups the console verifier made. */
std::vector<std::pair<std::string, std::string>> g_vLookups;

void *recordingFindSystemSymbol(const char *pszName, const char *pszSymbol)
{
    g_vLookups.emplace_back(pszName, pszSymbol);
    return RTLdrFindSystemSymbol(pszName, pszSymbol);
}

TEST_F(FileInject, ConsoleVerifierIsLookedUpOnceInKernel32)
{
    g_vLookups.clear();
    g_rtSeamsFile.pfnRTLdrFindSystemSymbol = recordingFindSystemSymbol;
    PFNRTVERIFYCONSOLEIOHANDLE pfn = rtFileFindConsoleVerifier();
    EXPECT_EQ(pfn, rtFileFindConsoleVerifier());
    ASSERT_EQ(1u, g_vLookups.size());
    EXPECT_EQ("kernel32.dll", g_vLookups[0].first);
    EXPECT_EQ("VerifyConsoleIoHandle", g_vLookups[0].second);
    FARPROC pfnSystem = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "VerifyConsoleIoHandle");
    EXPECT_EQ((void *)pfnSystem, (void *)pfn);
    /* A real file is no console. */
    makeFile("a", makePattern(1));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    if (pfn)
    {
        EXPECT_FALSE(pfn((HANDLE)File.h));
    }
}

TEST_F(FileInject, InformationDespiteANameThatDoesNotFit)
{
    makeFile("a", makePattern(1));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    g_rtSeamsFile.pfnNtQueryInformationFile = queryInfoFake;

    memset(&g_AllInfo, 0, sizeof(g_AllInfo));
    g_AllInfo.BasicInformation.LastWriteTime.QuadPart = INT64_C(116444736000000000);  /* 1970-01-01 */
    g_AllInfo.BasicInformation.CreationTime.QuadPart = INT64_C(116444736000000001);   /* 100 ns later */
    g_AllInfo.BasicInformation.LastAccessTime.QuadPart = INT64_C(133000000000000000); /* 2022 */
    g_AllInfo.BasicInformation.ChangeTime.QuadPart = INT64_C(116444735999999999);     /* 100 ns before */
    g_AllInfo.BasicInformation.FileAttributes = 0x8021;                               /* high bit outside the 15 used */
    g_AllInfo.StandardInformation.EndOfFile.QuadPart = INT64_C(0x123456789);
    g_AllInfo.StandardInformation.AllocationSize.QuadPart = INT64_C(0x123460000);
    g_AllInfo.StandardInformation.NumberOfLinks = 0;
    g_AllInfo.InternalInformation.IndexNumber.QuadPart = INT64_C(0x7edcba9876543210);
    g_rcNtInfo = g_rcNtBufferOverflow;

    RTOBJINFO Info;
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_UNIX));
    EXPECT_EQ(0, Info.ModificationTime.i64NanosecondsRelativeToUnixEpoch);
    EXPECT_EQ(100, Info.BirthTime.i64NanosecondsRelativeToUnixEpoch);
    EXPECT_EQ(-100, Info.ChangeTime.i64NanosecondsRelativeToUnixEpoch);
    EXPECT_EQ(INT64_C(1655526400000000000), Info.AccessTime.i64NanosecondsRelativeToUnixEpoch);
    EXPECT_EQ(RTFS_DOS_ARCHIVED | RTFS_DOS_READONLY | RTFS_TYPE_FILE | 0444u, Info.fMode);
    EXPECT_EQ(INT64_C(0x123456789), Info.cbObject);
    EXPECT_EQ(INT64_C(0x123460000), Info.cbAllocated);
    EXPECT_EQ(1u, Info.u.Unix.cHardlinks);
    EXPECT_EQ(UINT64_C(0x7edcba9876543210), Info.u.Unix.INodeId);
    BY_HANDLE_FILE_INFORMATION Sys;
    ASSERT_TRUE(GetFileInformationByHandle((HANDLE)File.h, &Sys));
    EXPECT_EQ(Sys.dwVolumeSerialNumber, Info.u.Unix.INodeIdDevice);

    /* The volume serial number: 0 when the volume query fails. */
    struct Local
    {
        static NTSTATUS NTAPI failVolume(HANDLE, IO_STATUS_BLOCK *, void *, ULONG, FS_INFORMATION_CLASS)
        {
            return g_rcNtAccessDenied;
        }
    };
    g_rtSeamsFile.pfnNtQueryVolumeInformationFile = Local::failVolume;
    ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_UNIX));
    EXPECT_EQ(0u, Info.u.Unix.INodeIdDevice);
}

} /* namespace */
