/** @file
 * Files on Windows: size, information record and file-system type, and the
 * recognition of console handles.
 */
#include <windows.h>
#include <winternl.h>
#include <winioctl.h>
#include <rt/file.h>
#include <rt/err.h>
#include <rt/ldr.h>
#include "internal/file.h"

namespace
{

const NTSTATUS g_rcNtBufferOverflow = (NTSTATUS)0x80000005L; /* STATUS_BUFFER_OVERFLOW */

/** The size of the FileAllInformation buffer: the fixed part and a name of one unit. */
const ULONG g_cbAllInfoBuf = 104;
static_assert(sizeof(FILE_ALL_INFORMATION) <= g_cbAllInfoBuf, "the fixed part must fit");

/** The most FileFsVolumeInformation may take. */
const ULONG g_cbVolumeInfoBuf = 2048;
/** The FileFsAttributeInformation buffer: room for any file-system name. */
const ULONG g_cbFsAttrInfoBuf = 4112;

/** Seconds from 1601-01-01 to 1970-01-01, in nanoseconds. */
const uint64_t g_nsEpochDelta = UINT64_C(11644473600000000000);

/** The mode of a console or other device handle: device, regular file, 0666. */
const RTFMODE g_fModeDevice = RTFS_DOS_NT_DEVICE | RTFS_TYPE_FILE | 0666;

/** The remembered VerifyConsoleIoHandle: 0 not looked up, 1 looked up. */
volatile LONG g_fConsoleVerifierLookedUp = 0;
PFNRTVERIFYCONSOLEIOHANDLE volatile g_pfnVerifyConsoleIoHandle = NULL;

inline bool rtFileNtSuccess(NTSTATUS rcNt)
{
    return rcNt >= 0;
}

} /* namespace */

PFNRTVERIFYCONSOLEIOHANDLE rtFileFindConsoleVerifier(void)
{
    if (InterlockedCompareExchange(&g_fConsoleVerifierLookedUp, 0, 0))
        return g_pfnVerifyConsoleIoHandle;

    PFNRTVERIFYCONSOLEIOHANDLE const pfn = (PFNRTVERIFYCONSOLEIOHANDLE)RT_SEAM(g_rtSeamsFile, RTLdrFindSystemSymbol)(
        "kernel32.dll", "VerifyConsoleIoHandle");
    /* Racing threads store the same value; the flag is set after the pointer. */
    g_pfnVerifyConsoleIoHandle = pfn;
    InterlockedExchange(&g_fConsoleVerifierLookedUp, 1);
    return pfn;
}

#ifdef RT_WITH_SEAMS
void rtFileSeamsForget(void)
{
    g_pfnVerifyConsoleIoHandle = NULL;
    InterlockedExchange(&g_fConsoleVerifierLookedUp, 0);
}
#endif

/*
 * Size
 */

namespace
{

/** A disk query without input that fills @a pvOut. */
BOOL rtFileDiskIoControl(HANDLE hFile, DWORD uIoControlCode, void *pvOut, DWORD cbOut)
{
    DWORD cbReturned = 0;
    return RT_SEAM(g_rtSeamsFile, DeviceIoControl)(hFile, uIoControlCode, NULL, 0, pvOut, cbOut, &cbReturned, NULL);
}

/** The size of a disk behind @a hFile; false when it is no disk with fixed or removable media. */
bool rtFileQueryDiskSize(HANDLE hFile, uint64_t *pcbSize)
{
    DISK_GEOMETRY Geometry;
    if (!rtFileDiskIoControl(hFile, IOCTL_DISK_GET_DRIVE_GEOMETRY, &Geometry, sizeof(Geometry)))
        return false;
    if (Geometry.MediaType != RemovableMedia && Geometry.MediaType != FixedMedia)
        return false;
    uint64_t cbSize = (uint64_t)Geometry.Cylinders.QuadPart * Geometry.TracksPerCylinder * Geometry.SectorsPerTrack *
                      Geometry.BytesPerSector;
    /* The geometry leaves out the partial last cylinder; the length does not. */
    GET_LENGTH_INFORMATION Length;
    if (rtFileDiskIoControl(hFile, IOCTL_DISK_GET_LENGTH_INFO, &Length, sizeof(Length)))
        cbSize = (uint64_t)Length.Length.QuadPart;
    *pcbSize = cbSize;
    return true;
}

} /* namespace */

int RTFileQuerySize(RTFILE hFile, uint64_t *pcbSize)
{
    if (!RT_VALID_PTR(pcbSize))
        return ERR_INVALID_POINTER;
    DWORD cbHigh = 0;
    /* A size whose low half is all ones is only told apart from a failure by
     * the last error, so it must not be a left-over. */
    SetLastError(NO_ERROR);
    DWORD const cbLow = RT_SEAM(g_rtSeamsFile, GetFileSize)((HANDLE)hFile, &cbHigh);
    DWORD const uLastError = cbLow == INVALID_FILE_SIZE ? GetLastError() : NO_ERROR;
    if (uLastError == NO_ERROR)
    {
        *pcbSize = ((uint64_t)cbHigh << 32) | cbLow;
        return INF_SUCCESS;
    }

    int const rc = RTErrConvertFromWinError(uLastError);
    uint64_t cbDisk = 0;
    if (rtFileQueryDiskSize((HANDLE)hFile, &cbDisk))
    {
        *pcbSize = cbDisk;
        return INF_SUCCESS;
    }
    return rc;
}

/*
 * File-system type
 */

int RTFileQueryFsType(RTFILE hFile, RTFSTYPE *penmType)
{
    if (!RT_VALID_PTR(penmType))
        return ERR_INVALID_POINTER;
    union
    {
        FILE_FS_ATTRIBUTE_INFORMATION Info;
        uint8_t ab[g_cbFsAttrInfoBuf];
    } Buf;
    IO_STATUS_BLOCK Ios;
    Ios.Status = 0;
    Ios.Information = 0;
    NTSTATUS const rcNt = RT_SEAM(g_rtSeamsFile, NtQueryVolumeInformationFile)((HANDLE)hFile, &Ios, &Buf, sizeof(Buf),
                                                                               FileFsAttributeInformation);
    if (!rtFileNtSuccess(rcNt))
    {
        *penmType = RTFSTYPE_UNKNOWN;
        return RTErrConvertFromNtStatus(rcNt);
    }
    /* Never read past the buffer, whatever length the answer claims. */
    size_t const cbNameMax = sizeof(Buf) - offsetof(FILE_FS_ATTRIBUTE_INFORMATION, FileSystemName);
    size_t const cbName = RT_MIN((size_t)Buf.Info.FileSystemNameLength, cbNameMax);
    *penmType = rtFsTypeFromName((const RTUTF16 *)Buf.Info.FileSystemName, cbName);
    return INF_SUCCESS;
}

/*
 * Information
 */

namespace
{

/** The serial number of the volume @a hFile lives on, 0 when it cannot be had. */
uint32_t rtFileQueryVolumeSerial(HANDLE hFile)
{
    union
    {
        FILE_FS_VOLUME_INFORMATION Info;
        uint8_t ab[g_cbVolumeInfoBuf];
    } Buf;
    IO_STATUS_BLOCK Ios;
    Ios.Status = 0;
    Ios.Information = 0;
    NTSTATUS const rcNt =
        RT_SEAM(g_rtSeamsFile, NtQueryVolumeInformationFile)(hFile, &Ios, &Buf, sizeof(Buf), FileFsVolumeInformation);
    /* A label too long for the buffer still leaves the serial number. */
    if (!rtFileNtSuccess(rcNt) && rcNt != g_rcNtBufferOverflow)
        return 0;
    return Buf.Info.VolumeSerialNumber;
}

/** Fills @a pObjInfo from what FileAllInformation reported. */
void rtFileFillObjInfo(HANDLE hFile, const FILE_ALL_INFORMATION *pAll, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional)
{
    pObjInfo->cbObject = pAll->StandardInformation.EndOfFile.QuadPart;
    pObjInfo->cbAllocated = pAll->StandardInformation.AllocationSize.QuadPart;
    pObjInfo->AccessTime = rtFileTimeFromNt(&pAll->BasicInformation.LastAccessTime);
    pObjInfo->ModificationTime = rtFileTimeFromNt(&pAll->BasicInformation.LastWriteTime);
    pObjInfo->ChangeTime = rtFileTimeFromNt(&pAll->BasicInformation.ChangeTime);
    pObjInfo->BirthTime = rtFileTimeFromNt(&pAll->BasicInformation.CreationTime);
    RTFMODE const fAttribs = pAll->BasicInformation.FileAttributes & 0x7fff;
    pObjInfo->fMode = RTFsModeFromWinAttr(fAttribs << RTFS_DOS_SHIFT, NULL, 0, 0, 0);

    rtFileFillUnknownAdditional(pObjInfo, enmAdditional);
    if (enmAdditional == RTOBJINFOADD_UNIX)
    {
        ULONG const cLinks = pAll->StandardInformation.NumberOfLinks;
        pObjInfo->u.Unix.cHardlinks = cLinks ? cLinks : 1;
        pObjInfo->u.Unix.INodeId = (uint64_t)pAll->InternalInformation.IndexNumber.QuadPart;
        pObjInfo->u.Unix.INodeIdDevice = rtFileQueryVolumeSerial(hFile);
    }
}

/** Whether @a hFile, which the file information query refused, is a console handle. */
bool rtFileIsConsoleHandle(HANDLE hFile)
{
    PFNRTVERIFYCONSOLEIOHANDLE const pfnVerify = rtFileFindConsoleVerifier();
    if (pfnVerify)
        return pfnVerify(hFile) != FALSE;
    SetLastError(NO_ERROR);
    return GetFileType(hFile) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

} /* namespace */

int RTFileQueryInfo(RTFILE hFile, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional)
{
    if (hFile == NIL_RTFILE || !RT_VALID_PTR(pObjInfo) || enmAdditional < RTOBJINFOADD_NOTHING ||
        enmAdditional > RTOBJINFOADD_EASIZE)
        return ERR_INVALID_PARAMETER;

    union
    {
        FILE_ALL_INFORMATION All;
        uint8_t ab[g_cbAllInfoBuf];
    } Buf;
    IO_STATUS_BLOCK Ios;
    Ios.Status = 0;
    Ios.Information = 0;
    NTSTATUS const rcNt =
        RT_SEAM(g_rtSeamsFile, NtQueryInformationFile)((HANDLE)hFile, &Ios, &Buf, sizeof(Buf), FileAllInformation);

    *pObjInfo = RTOBJINFO();
    /* The name does not fit and is not wanted; everything before it is there. */
    if (rtFileNtSuccess(rcNt) || rcNt == g_rcNtBufferOverflow)
    {
        rtFileFillObjInfo((HANDLE)hFile, &Buf.All, pObjInfo, enmAdditional);
        return INF_SUCCESS;
    }

    int const rc = RTErrConvertFromNtStatus(rcNt);
    switch (rc)
    {
        case ERR_INVALID_HANDLE:
        case ERR_ACCESS_DENIED:
        case ERR_WRONG_TYPE:
            if (!rtFileIsConsoleHandle((HANDLE)hFile))
                return ERR_INVALID_HANDLE;
            break;
        case ERR_INVALID_FUNCTION:
        case ERR_BAD_COMMAND:
            break;
        default:
            return rc;
    }
    /* A console or other device: no sizes, no times, just what it is. */
    pObjInfo->enmAdditional = enmAdditional;
    pObjInfo->fMode = g_fModeDevice;
    return INF_SUCCESS;
}

/*
 * Record helpers shared with the path information query.
 */

RTTIMESPEC rtFileTimeFromNt(LARGE_INTEGER const *pTime)
{
    RTTIMESPEC TimeSpec;
    TimeSpec.i64NanosecondsRelativeToUnixEpoch = (int64_t)((uint64_t)pTime->QuadPart * 100 - g_nsEpochDelta);
    return TimeSpec;
}

/** The additional attributes nothing on this system knows: ids all ones, empty names, no extended attributes. */
void rtFileFillUnknownAdditional(RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional)
{
    pObjInfo->enmAdditional = enmAdditional;
    switch (enmAdditional)
    {
        case RTOBJINFOADD_UNIX:
            pObjInfo->u.Unix.uid = UINT32_MAX;
            pObjInfo->u.Unix.gid = UINT32_MAX;
            pObjInfo->u.Unix.cHardlinks = 1;
            pObjInfo->u.Unix.INodeIdDevice = 0;
            pObjInfo->u.Unix.INodeId = 0;
            pObjInfo->u.Unix.fFlags = 0;
            pObjInfo->u.Unix.GenerationId = 0;
            pObjInfo->u.Unix.Device = 0;
            break;
        case RTOBJINFOADD_UNIX_OWNER:
            pObjInfo->u.UnixOwner.uid = UINT32_MAX;
            pObjInfo->u.UnixOwner.szName[0] = '\0';
            break;
        case RTOBJINFOADD_UNIX_GROUP:
            pObjInfo->u.UnixGroup.gid = UINT32_MAX;
            pObjInfo->u.UnixGroup.szName[0] = '\0';
            break;
        case RTOBJINFOADD_EASIZE:
            pObjInfo->u.EASize.cb = 0;
            break;
        default:
            break;
    }
}
