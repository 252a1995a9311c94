/** @file
 * Internals of the file code: the translation of open flags into the
 * arguments of the Windows open call, the file-system facts the write path
 * needs, and (Windows only) the helpers the file and directory code share and
 * the seams through which tests replace the system calls that cannot be made
 * to fail on purpose.
 */
#ifndef RT_INTERNAL_FILE_H
#define RT_INTERNAL_FILE_H

#include <rt/file.h>
#include "internal/seam.h"

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
#include <rt/ldr.h>

/**
 * Marks the file or directory at @a pwszPath (a path as RTPathToWin32 makes
 * it) not content-indexed, so the indexer keeps its hands off what the runtime
 * puts there. The status of the failure otherwise.
 */
int rtFileSetNotContentIndexed(const RTUTF16 *pwszPath);

/** Signature of VerifyConsoleIoHandle. */
typedef BOOL(WINAPI *PFNRTVERIFYCONSOLEIOHANDLE)(HANDLE hHandle);

/**
 * VerifyConsoleIoHandle from kernel32, or null when the system has none.
 * Looked up on first use and remembered; two threads racing may both look it
 * up, with the same result.
 */
PFNRTVERIFYCONSOLEIOHANDLE rtFileFindConsoleVerifier(void);

/** A Windows time (100 ns since 1601) as nanoseconds since 1970, wrapping like the system's own arithmetic. */
RTTIMESPEC rtFileTimeFromNt(LARGE_INTEGER const *pTime);

/** Sets the kind of @a pObjInfo's additional part to @a enmAdditional and fills it with what is
 * said when nothing is known: ids all ones, one link, zero file and device ids, empty names. */
void rtFileFillUnknownAdditional(RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional);

#ifdef RT_WITH_SEAMS
/** The calls of the file code that tests may replace (see internal/seam.h). */
typedef struct RTSEAMSFILE
{
    decltype(&ReadFile) pfnReadFile;
    decltype(&WriteFile) pfnWriteFile;
    decltype(&GetFileSize) pfnGetFileSize;
    decltype(&DeviceIoControl) pfnDeviceIoControl;
    decltype(&NtQueryVolumeInformationFile) pfnNtQueryVolumeInformationFile;
    decltype(&NtQueryInformationFile) pfnNtQueryInformationFile;
    /** The marking of rtFileSetNotContentIndexed. */
    decltype(&SetFileAttributesW) pfnSetFileAttributesW;
    /** The look-up of rtFileFindConsoleVerifier. */
    decltype(&RTLdrFindSystemSymbol) pfnRTLdrFindSystemSymbol;
} RTSEAMSFILE;

/** Forgets the console verifier rtFileFindConsoleVerifier remembered. */
void rtFileSeamsForget(void);
#endif
#endif

#endif
