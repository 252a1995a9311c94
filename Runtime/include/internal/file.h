/** @file
 * Internals of the file code: the translation of open flags into the
 * arguments of the Windows open call, the file-system facts the write path
 * needs, and (Windows only) the seam through which tests replace the system
 * calls that cannot be made to fail on purpose.
 */
#ifndef RT_INTERNAL_FILE_H
#define RT_INTERNAL_FILE_H

#include <rt/file.h>

/** @name Windows values the flag translation produces (the portable code has no system header).
 * @{ */
#define RTFILE_WIN_FILE_READ_DATA          UINT32_C(0x00000001)
#define RTFILE_WIN_FILE_WRITE_DATA         UINT32_C(0x00000002)
#define RTFILE_WIN_FILE_APPEND_DATA        UINT32_C(0x00000004)
#define RTFILE_WIN_FILE_READ_ATTRIBUTES    UINT32_C(0x00000080)
#define RTFILE_WIN_FILE_WRITE_ATTRIBUTES   UINT32_C(0x00000100)
#define RTFILE_WIN_SYNCHRONIZE             UINT32_C(0x00100000)
#define RTFILE_WIN_GENERIC_WRITE           UINT32_C(0x40000000)
#define RTFILE_WIN_FILE_GENERIC_READ       UINT32_C(0x00120089)
#define RTFILE_WIN_FILE_GENERIC_WRITE      UINT32_C(0x00120116)
#define RTFILE_WIN_FILE_SHARE_READ         UINT32_C(0x00000001)
#define RTFILE_WIN_FILE_SHARE_WRITE        UINT32_C(0x00000002)
#define RTFILE_WIN_FILE_SHARE_DELETE       UINT32_C(0x00000004)
#define RTFILE_WIN_CREATE_NEW              UINT32_C(1)
#define RTFILE_WIN_CREATE_ALWAYS           UINT32_C(2)
#define RTFILE_WIN_OPEN_EXISTING           UINT32_C(3)
#define RTFILE_WIN_OPEN_ALWAYS             UINT32_C(4)
#define RTFILE_WIN_TRUNCATE_EXISTING       UINT32_C(5)
#define RTFILE_WIN_FILE_ATTRIBUTE_NORMAL   UINT32_C(0x00000080)
#define RTFILE_WIN_FILE_ATTRIBUTE_TEMP     UINT32_C(0x00000100)
#define RTFILE_WIN_FILE_FLAG_WRITE_THROUGH UINT32_C(0x80000000)
#define RTFILE_WIN_FILE_FLAG_OVERLAPPED    UINT32_C(0x40000000)
#define RTFILE_WIN_FILE_FLAG_NO_BUFFERING  UINT32_C(0x20000000)
/** @} */

/** The arguments of the Windows open call for one open-flag word. */
typedef struct RTFILEWINOPEN
{
    uint32_t fAccess;          /**< Desired access. */
    uint32_t fShare;           /**< FILE_SHARE_* bits. */
    uint32_t uDisposition;     /**< CREATE_NEW ... TRUNCATE_EXISTING. */
    uint32_t fFlagsAndAttribs; /**< Attributes and FILE_FLAG_* bits. */
    bool fInherit;             /**< Whether the handle is inheritable. */
} RTFILEWINOPEN;

/**
 * Translates an open-flag word that RTFileValidateOpenFlags has accepted (and
 * normalised) into the arguments of the Windows open call.
 */
void rtFileOpenFlagsToWin(uint64_t fOpen, RTFILEWINOPEN *pParams);

/**
 * The file-system type of a volume name as the system reports it: @a cbName
 * bytes of UTF-16 at @a pwszName (not terminated). A name matches only with
 * the exact byte length and the same units (case matters); no match gives
 * RTFSTYPE_UNKNOWN.
 */
RTFSTYPE rtFsTypeFromName(const RTUTF16 *pwszName, size_t cbName);

/** The largest file size a file system of type @a enmType can hold, or 0 when
 * it sets no limit that matters (and for unknown types). */
uint64_t rtFsTypeMaxFileSize(RTFSTYPE enmType);

/** End offsets below this give ERR_DISK_FULL without asking the volume. */
#define RTFILE_DISK_FULL_NO_QUERY_BELOW UINT64_C(2147483647)

/**
 * The size of the first piece when a transfer of @a cbTotal bytes is redone in
 * pieces after the system ran short of memory: half the count rounded up to a
 * multiple of 256 when @a cbTotal is below @a cbSmallBelow, else @a cbLarge.
 * Never 0.
 */
size_t rtFileFirstChunkSize(size_t cbTotal, size_t cbSmallBelow, size_t cbLarge);

/** Pieces this small are not split further: the failure is returned. */
#define RTFILE_CHUNK_MIN 8

#ifdef RT_OS_WINDOWS
#include <windows.h>
#include <winternl.h>

/** The system calls of the file code that tests may replace. */
typedef struct RTFILEWINCALLS
{
    BOOL(WINAPI *pfnReadFile)(HANDLE hFile, void *pvBuf, DWORD cbToRead, DWORD *pcbRead, OVERLAPPED *pOverlapped);
    BOOL(WINAPI *pfnWriteFile)
    (HANDLE hFile, const void *pvBuf, DWORD cbToWrite, DWORD *pcbWritten, OVERLAPPED *pOverlapped);
    DWORD(WINAPI *pfnGetFileSize)(HANDLE hFile, DWORD *pcbHigh);
    BOOL(WINAPI *pfnDeviceIoControl)
    (HANDLE hDevice, DWORD uIoControlCode, void *pvIn, DWORD cbIn, void *pvOut, DWORD cbOut, DWORD *pcbReturned,
     OVERLAPPED *pOverlapped);
    NTSTATUS(NTAPI *pfnNtQueryVolumeInformationFile)
    (HANDLE hFile, IO_STATUS_BLOCK *pIos, void *pvBuf, ULONG cbBuf, FS_INFORMATION_CLASS enmClass);
    NTSTATUS(NTAPI *pfnNtQueryInformationFile)
    (HANDLE hFile, IO_STATUS_BLOCK *pIos, void *pvBuf, ULONG cbBuf, FILE_INFORMATION_CLASS enmClass);
} RTFILEWINCALLS;

/** Tests only: routes each call whose member of @a pCalls is non-null through
 * that function (which may call the system's own); null members, and a null
 * @a pCalls, mean the system's own. Not thread-safe: set it while no other
 * thread uses the file code. */
void rtFileTestSetCalls(const RTFILEWINCALLS *pCalls);

/** @name The calls of the file code that tests may replace (see rtFileTestSetCalls).
 * @{ */
BOOL rtFileCallReadFile(HANDLE hFile, void *pvBuf, DWORD cbToRead, DWORD *pcbRead);
BOOL rtFileCallWriteFile(HANDLE hFile, const void *pvBuf, DWORD cbToWrite, DWORD *pcbWritten);
DWORD rtFileCallGetFileSize(HANDLE hFile, DWORD *pcbHigh);
BOOL rtFileCallDeviceIoControl(HANDLE hDevice, DWORD uIoControlCode, void *pvOut, DWORD cbOut);
NTSTATUS rtFileCallNtQueryVolumeInformationFile(HANDLE hFile, IO_STATUS_BLOCK *pIos, void *pvBuf, ULONG cbBuf,
                                                FS_INFORMATION_CLASS enmClass);
NTSTATUS rtFileCallNtQueryInformationFile(HANDLE hFile, IO_STATUS_BLOCK *pIos, void *pvBuf, ULONG cbBuf,
                                          FILE_INFORMATION_CLASS enmClass);
/** @} */

/** Signature of VerifyConsoleIoHandle. */
typedef BOOL(WINAPI *PFNRTVERIFYCONSOLEIOHANDLE)(HANDLE hHandle);

/**
 * VerifyConsoleIoHandle from kernel32, or null when the system has none.
 * Looked up on first use and remembered; two threads racing may both look it
 * up, with the same result.
 */
PFNRTVERIFYCONSOLEIOHANDLE rtFileFindConsoleVerifier(void);

/** Tests only: with @a fOverride, rtFileFindConsoleVerifier reports @a pfnVerify
 * from now on (null: the system has none); without, it looks the entry point
 * up again on next use. */
void rtFileTestSetConsoleVerifier(bool fOverride, PFNRTVERIFYCONSOLEIOHANDLE pfnVerify);

/** A Windows time (100 ns since 1601) as nanoseconds since 1970, wrapping like the system's own arithmetic. */
RTTIMESPEC rtFileTimeFromNt(LARGE_INTEGER const *pTime);

/** Sets the kind of @a pObjInfo's additional part to @a enmAdditional and fills it with what is
 * said when nothing is known: ids all ones, one link, zero file and device ids, empty names. */
void rtFileFillUnknownAdditional(RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional);
#endif

#endif
