/** @file
 * Files: the handle, the open-flag word, the object information record, the
 * file mode word and the file-system type, and the operations on them.
 *
 * Every function returns a status (rt/err.h) unless stated otherwise and
 * prints nothing. Out-parameters are written on success unless a function
 * says otherwise. Handles may be used from any thread; no locking is added.
 *
 * Portable (every build): the types and constants, RTFileValidateOpenFlags
 * and RTFsModeFromWinAttr. Everything that touches a handle or a path is
 * Windows only.
 */
#ifndef RT_FILE_H
#define RT_FILE_H

#include <rt/types.h>
#include <rt/time.h>

/*
 * File modes (RTFMODE)
 */

/** A file mode: Unix permissions in bits 0-8, the object type in bits 12-15,
 * the Windows file attributes shifted left by 16 in bits 16-31. */
typedef uint32_t RTFMODE;

/** @name Unix permission bits of RTFMODE.
 * @{ */
#define RTFS_UNIX_IRWXU UINT32_C(0000700)
#define RTFS_UNIX_IRUSR UINT32_C(0000400)
#define RTFS_UNIX_IWUSR UINT32_C(0000200)
#define RTFS_UNIX_IXUSR UINT32_C(0000100)
#define RTFS_UNIX_IRWXG UINT32_C(0000070)
#define RTFS_UNIX_IRGRP UINT32_C(0000040)
#define RTFS_UNIX_IWGRP UINT32_C(0000020)
#define RTFS_UNIX_IXGRP UINT32_C(0000010)
#define RTFS_UNIX_IRWXO UINT32_C(0000007)
#define RTFS_UNIX_IROTH UINT32_C(0000004)
#define RTFS_UNIX_IWOTH UINT32_C(0000002)
#define RTFS_UNIX_IXOTH UINT32_C(0000001)
/** Read for everyone (0444). */
#define RTFS_UNIX_ALL_READ UINT32_C(0000444)
/** Write for everyone (0222). */
#define RTFS_UNIX_ALL_WRITE UINT32_C(0000222)
/** Execute for everyone (0111). */
#define RTFS_UNIX_ALL_EXEC UINT32_C(0000111)
/** All permission bits (0777). */
#define RTFS_UNIX_MASK UINT32_C(0000777)
/** @} */

/** @name Object type of RTFMODE (bits 12-15, Unix values).
 * @{ */
#define RTFS_TYPE_MASK      UINT32_C(0170000)
#define RTFS_TYPE_FIFO      UINT32_C(0010000)
#define RTFS_TYPE_DEV_CHAR  UINT32_C(0020000)
#define RTFS_TYPE_DIRECTORY UINT32_C(0040000)
#define RTFS_TYPE_DEV_BLOCK UINT32_C(0060000)
#define RTFS_TYPE_FILE      UINT32_C(0100000)
#define RTFS_TYPE_SYMLINK   UINT32_C(0120000)
#define RTFS_TYPE_SOCKET    UINT32_C(0140000)
/** @} */

/** @name Windows attributes of RTFMODE (FILE_ATTRIBUTE_* shifted left by 16).
 * @{ */
#define RTFS_DOS_SHIFT                  16
#define RTFS_DOS_MASK                   UINT32_C(0xffff0000)
#define RTFS_DOS_READONLY               UINT32_C(0x00010000)
#define RTFS_DOS_HIDDEN                 UINT32_C(0x00020000)
#define RTFS_DOS_SYSTEM                 UINT32_C(0x00040000)
#define RTFS_DOS_DIRECTORY              UINT32_C(0x00100000)
#define RTFS_DOS_ARCHIVED               UINT32_C(0x00200000)
#define RTFS_DOS_NT_DEVICE              UINT32_C(0x00400000)
#define RTFS_DOS_NT_NORMAL              UINT32_C(0x00800000)
#define RTFS_DOS_NT_TEMPORARY           UINT32_C(0x01000000)
#define RTFS_DOS_NT_SPARSE_FILE         UINT32_C(0x02000000)
#define RTFS_DOS_NT_REPARSE_POINT       UINT32_C(0x04000000)
#define RTFS_DOS_NT_COMPRESSED          UINT32_C(0x08000000)
#define RTFS_DOS_NT_OFFLINE             UINT32_C(0x10000000)
#define RTFS_DOS_NT_NOT_CONTENT_INDEXED UINT32_C(0x20000000)
#define RTFS_DOS_NT_ENCRYPTED           UINT32_C(0x40000000)
/** @} */

/** The reparse tag of a symbolic link (IO_REPARSE_TAG_SYMLINK). */
#define RTFS_REPARSE_TAG_SYMLINK UINT32_C(0xa000000c)

/**
 * Builds a file mode from Windows attributes.
 *
 * Only bits 16-31 of @a fMode are used (the attributes, already shifted).
 * A type hint of RTFS_TYPE_DIRECTORY adds the directory attribute. A directory
 * gets type RTFS_TYPE_DIRECTORY and permissions 0555; anything else gets
 * RTFS_TYPE_FILE with 0444, or 0555 when the name ends in ".exe", ".bat",
 * ".com", ".cmd" or ".btm" (any case). A reparse point with the tag
 * RTFS_REPARSE_TAG_SYMLINK gets type RTFS_TYPE_SYMLINK instead. The write
 * permissions 0222 are added unless a non-directory is read-only.
 *
 * @returns the mode (never fails).
 * @param   fMode       Windows attributes shifted left by RTFS_DOS_SHIFT.
 * @param   pszName     The object's name, or null when unknown.
 * @param   cbName      Length of @a pszName in bytes, or 0 when it is NUL-terminated.
 * @param   uReparseTag The reparse tag, 0 when none or unknown.
 * @param   fType       Type hint: RTFS_TYPE_DIRECTORY, or 0 when unknown.
 */
RTFMODE RTFsModeFromWinAttr(RTFMODE fMode, const char *pszName, size_t cbName, uint32_t uReparseTag, RTFMODE fType);

/*
 * File-system types
 */

/** File-system type codes, by the name the volume reports for itself. */
typedef enum RTFSTYPE
{
    RTFSTYPE_UNKNOWN = 0,
    RTFSTYPE_UDF = 1,          /**< "UDF" */
    RTFSTYPE_CDFS = 2,         /**< "CDFS" */
    RTFSTYPE_SHAREDFOLDER = 4, /**< "TarnSharedFolderFS" */
    RTFSTYPE_NTFS = 17,        /**< "NTFS" */
    RTFSTYPE_FAT = 18,         /**< "FAT" and "FAT32" */
    RTFSTYPE_EXFAT = 19,       /**< "exFAT" */
    RTFSTYPE_REFS = 20,        /**< "ReFS" */
    RTFSTYPE_HPFS = 28,        /**< "HPFS" */
    RTFSTYPE_32BIT_HACK = 0x7fffffff
} RTFSTYPE;

/*
 * Object information
 */

/** Which additional attributes RTFileQueryInfo fills in. */
typedef enum RTOBJINFOADD
{
    RTOBJINFOADD_NOTHING = 1,    /**< Only the common part. */
    RTOBJINFOADD_UNIX = 2,       /**< Unix attributes (RTOBJINFOUNIX). */
    RTOBJINFOADD_UNIX_OWNER = 3, /**< The owner (RTOBJINFOOWNER). */
    RTOBJINFOADD_UNIX_GROUP = 4, /**< The group (RTOBJINFOGROUP). */
    RTOBJINFOADD_EASIZE = 5,     /**< Extended-attribute size (RTOBJINFOEASIZE). */
    RTOBJINFOADD_32BIT_HACK = 0x7fffffff
} RTOBJINFOADD;

/** Unix attributes of an object. */
typedef struct RTOBJINFOUNIX
{
    uint32_t uid;           /**< Owner id; all ones when unknown. */
    uint32_t gid;           /**< Group id; all ones when unknown. */
    uint32_t cHardlinks;    /**< Number of names; at least 1. */
    uint32_t INodeIdDevice; /**< The volume the object lives on (its serial number), 0 when unknown. */
    uint64_t INodeId;       /**< The object's 64-bit file index, unique on its volume. */
    uint32_t fFlags;        /**< Unix flags; 0. */
    uint32_t GenerationId;  /**< Generation; 0. */
    uint32_t Device;        /**< Device number of a device object; 0. */
} RTOBJINFOUNIX;

/** Bytes of the name text of RTOBJINFOOWNER and RTOBJINFOGROUP, terminator included. */
#define RTOBJINFO_NAME_SIZE 64

/** The owner of an object. */
typedef struct RTOBJINFOOWNER
{
    uint32_t uid;                     /**< Owner id; all ones when unknown. */
    char szName[RTOBJINFO_NAME_SIZE]; /**< Owner name, empty when unknown. */
} RTOBJINFOOWNER;

/** The group of an object. */
typedef struct RTOBJINFOGROUP
{
    uint32_t gid;                     /**< Group id; all ones when unknown. */
    char szName[RTOBJINFO_NAME_SIZE]; /**< Group name, empty when unknown. */
} RTOBJINFOGROUP;

/** Extended-attribute size of an object. */
typedef struct RTOBJINFOEASIZE
{
    int64_t cb; /**< Bytes of extended attributes. */
} RTOBJINFOEASIZE;

/** Information about a file-system object. */
typedef struct RTOBJINFO
{
    int64_t cbObject;            /**< Size in bytes (end of file). */
    int64_t cbAllocated;         /**< Bytes allocated on the volume. */
    RTTIMESPEC AccessTime;       /**< Last access. */
    RTTIMESPEC ModificationTime; /**< Last write of the data. */
    RTTIMESPEC ChangeTime;       /**< Last change of data or attributes. */
    RTTIMESPEC BirthTime;        /**< Creation. */
    RTFMODE fMode;               /**< Type, permissions and Windows attributes. */
    RTOBJINFOADD enmAdditional;  /**< Which member of the union is valid. */
    union
    {
        RTOBJINFOUNIX Unix;
        RTOBJINFOOWNER UnixOwner;
        RTOBJINFOGROUP UnixGroup;
        RTOBJINFOEASIZE EASize;
    } u;
} RTOBJINFO;

/*
 * Handles and open flags
 */

/** A file handle: the system's file handle. */
typedef void *RTFILE;
/** The handle that refers to no file (INVALID_HANDLE_VALUE). */
#define NIL_RTFILE ((RTFILE)(intptr_t)-1)

/** @name Open flags (a 64-bit word; only the low 32 bits carry meaning).
 * @{ */
#define RTFILE_O_READ        UINT64_C(0x00000001) /**< Read access. */
#define RTFILE_O_WRITE       UINT64_C(0x00000002) /**< Write access. */
#define RTFILE_O_READWRITE   UINT64_C(0x00000003) /**< Read and write access. */
#define RTFILE_O_ACCESS_MASK UINT64_C(0x00000003)
#define RTFILE_O_APPEND      UINT64_C(0x00000004) /**< Every write goes to the end. */

#define RTFILE_O_DENY_READ       UINT64_C(0x00000010) /**< Others may not read. */
#define RTFILE_O_DENY_WRITE      UINT64_C(0x00000020) /**< Others may not write. */
#define RTFILE_O_DENY_READWRITE  UINT64_C(0x00000030) /**< Others may neither read nor write. */
#define RTFILE_O_DENY_ALL        RTFILE_O_DENY_READWRITE
#define RTFILE_O_DENY_NOT_DELETE UINT64_C(0x00000040) /**< Added to a deny value: others may delete. */
#define RTFILE_O_DENY_NONE       UINT64_C(0x00000080) /**< Others may read and write (the default). */
#define RTFILE_O_DENY_MASK       UINT64_C(0x000000f0)

#define RTFILE_O_OPEN_CREATE    UINT64_C(0x00000100) /**< Open, create when missing. */
#define RTFILE_O_CREATE         UINT64_C(0x00000200) /**< Create, fail when it exists. */
#define RTFILE_O_CREATE_REPLACE UINT64_C(0x00000300) /**< Create or replace. */
#define RTFILE_O_OPEN           UINT64_C(0x00000700) /**< Open an existing file (the default). */
#define RTFILE_O_ACTION_MASK    UINT64_C(0x00000700)

#define RTFILE_O_NOT_CONTENT_INDEXED   UINT64_C(0x00000800) /**< Mark a new file not content-indexed. */
#define RTFILE_O_TRUNCATE              UINT64_C(0x00001000) /**< Truncate on open (needs write access). */
#define RTFILE_O_INHERIT               UINT64_C(0x00002000) /**< Child processes inherit the handle. */
#define RTFILE_O_WRITE_THROUGH         UINT64_C(0x00008000) /**< Writes go through to the medium. */
#define RTFILE_O_ACCESS_ATTR_READ      UINT64_C(0x00010000) /**< Read attributes. */
#define RTFILE_O_ACCESS_ATTR_WRITE     UINT64_C(0x00020000) /**< Write attributes. */
#define RTFILE_O_ACCESS_ATTR_READWRITE UINT64_C(0x00030000)
#define RTFILE_O_ACCESS_ATTR_MASK      UINT64_C(0x00030000)
#define RTFILE_O_ASYNC_IO              UINT64_C(0x00040000) /**< Overlapped handle. */
#define RTFILE_O_NO_CACHE              UINT64_C(0x00080000) /**< Unbuffered. */
#define RTFILE_O_CREATE_MODE_SHIFT     20                   /**< Unix mode of a new file: bits 20-28. */
#define RTFILE_O_CREATE_MODE_MASK      UINT64_C(0x1ff00000)
#define RTFILE_O_TEMPORARY             UINT64_C(0x40000000) /**< A temporary file. */
/** Bits that are never valid. */
#define RTFILE_O_INVALID_MASK UINT64_C(0x80004008)
/** @} */

/**
 * Checks an open-flag word and puts it into its normal form.
 *
 * Refused with ERR_INVALID_PARAMETER: neither access nor attribute-access
 * bits; any bit of RTFILE_O_INVALID_MASK; RTFILE_O_TRUNCATE without write
 * access; an action other than RTFILE_O_OPEN_CREATE, RTFILE_O_CREATE,
 * RTFILE_O_CREATE_REPLACE or RTFILE_O_OPEN; RTFILE_O_NOT_CONTENT_INDEXED with
 * RTFILE_O_OPEN. On success an action of 0 has become RTFILE_O_OPEN, a deny
 * field of 0 RTFILE_O_DENY_NONE, and the high 32 bits are clear.
 *
 * @param   pfOpen  The flags; updated only on success.
 */
int RTFileValidateOpenFlags(uint64_t *pfOpen);

/** What RTFileOpenEx did. */
typedef enum RTFILEACTION
{
    RTFILEACTION_INVALID = 0,
    RTFILEACTION_OPENED = 1,         /**< An existing file was opened. */
    RTFILEACTION_CREATED = 2,        /**< A new file was created. */
    RTFILEACTION_REPLACED = 3,       /**< An existing file was replaced. */
    RTFILEACTION_TRUNCATED = 4,      /**< An existing file was opened and truncated. */
    RTFILEACTION_ALREADY_EXISTS = 5, /**< RTFILE_O_CREATE failed because the file exists. */
    RTFILEACTION_32BIT_HACK = 0x7fffffff
} RTFILEACTION;

/**
 * Opens or creates a file.
 *
 * The flags are checked by RTFileValidateOpenFlags first; a null path or out
 * handle also gives ERR_INVALID_PARAMETER, any other bad pointer
 * ERR_INVALID_POINTER. A long path is handed to the
 * system in its long form. Opening an existing file with RTFILE_O_OPEN_CREATE
 * and RTFILE_O_TRUNCATE truncates it; RTFILE_O_NOT_CONTENT_INDEXED marks a
 * created or replaced file. When any of this fails after the file was opened,
 * the handle is closed again and the status returned. Sharing conflicts give
 * ERR_SHARING_VIOLATION.
 *
 * @param   pszFilename     The path (UTF-8).
 * @param   fOpen           RTFILE_O_* flags.
 * @param   phFile          Receives the handle; NIL_RTFILE on failure.
 * @param   penmActionTaken Optional: receives what was done; set to
 *                          RTFILEACTION_INVALID first, RTFILEACTION_ALREADY_EXISTS
 *                          when RTFILE_O_CREATE met an existing file.
 */
int RTFileOpenEx(const char *pszFilename, uint64_t fOpen, RTFILE *phFile, RTFILEACTION *penmActionTaken);

/** RTFileOpenEx without the action: opens @a pszFilename with @a fOpen into *@a phFile. */
int RTFileOpen(RTFILE *phFile, const char *pszFilename, uint64_t fOpen);

/** Closes a handle; NIL_RTFILE is a successful no-op. */
int RTFileClose(RTFILE hFile);

/**
 * Reads from the current position.
 *
 * A count of 0 succeeds at once. With @a pcbRead, one successful read is
 * enough: a short read, and 0 at the end of the file, are success. Without
 * it the whole count must be read, and reaching the end gives ERR_EOF (the
 * bytes before it have been read into the buffer). Low system memory makes
 * the read go on in smaller pieces rather than fail.
 *
 * @param   pcbRead     Optional: receives the bytes read.
 */
int RTFileRead(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead);

/**
 * Writes at the current position (at the end with RTFILE_O_APPEND).
 *
 * A count of 0 succeeds at once. With @a pcbWritten, one successful write is
 * enough; without it all must be written, and a write that takes nothing gives
 * ERR_WRITE_ERROR (what came before is written). Low system memory makes the
 * write go on in smaller pieces rather than fail. A full volume gives
 * ERR_FILE_TOO_BIG when the write would reach the largest file the volume's
 * file system can hold, else ERR_DISK_FULL.
 *
 * @param   pcbWritten  Optional: receives the bytes written (at most @a cbToWrite).
 */
int RTFileWrite(RTFILE hFile, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten);

/** @name Seek methods.
 * @{ */
#define RTFILE_SEEK_BEGIN   0
#define RTFILE_SEEK_CURRENT 1
#define RTFILE_SEEK_END     2
/** @} */

/**
 * Moves the file position by @a offSeek from the point @a uMethod names
 * (RTFILE_SEEK_*; anything else gives ERR_INVALID_PARAMETER).
 * @param   poffActual  Optional: receives the new position.
 */
int RTFileSeek(RTFILE hFile, int64_t offSeek, unsigned uMethod, uint64_t *poffActual);

/** The current file position, or UINT64_MAX on failure. */
uint64_t RTFileTell(RTFILE hFile);

/**
 * The size of a file in bytes. A handle of a disk device (removable or fixed
 * media) gives the size of the disk. ERR_INVALID_POINTER for a bad @a pcbSize.
 */
int RTFileQuerySize(RTFILE hFile, uint64_t *pcbSize);

/**
 * Information about an open file.
 *
 * The times are taken from the system as they are; fMode is made by
 * RTFsModeFromWinAttr from the attributes. RTOBJINFOADD_UNIX gives the
 * file's 64-bit index as INodeId (equal on every handle of one file) and the
 * volume's serial number as INodeIdDevice; uid and gid are all ones. The
 * owner and group kinds give all-ones ids and empty names, the
 * extended-attribute kind 0. A console handle gives a zeroed record with fMode
 * RTFS_DOS_NT_DEVICE | RTFS_TYPE_FILE | 0666.
 *
 * @returns status; ERR_INVALID_PARAMETER for NIL_RTFILE, a null record or a
 *          kind outside RTOBJINFOADD_NOTHING..RTOBJINFOADD_EASIZE.
 */
int RTFileQueryInfo(RTFILE hFile, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional);

/** The type of the file system @a hFile lives on; RTFSTYPE_UNKNOWN for names
 * not in the list (and, with the failure status, when the query fails).
 * ERR_INVALID_POINTER for a bad @a penmType. */
int RTFileQueryFsType(RTFILE hFile, RTFSTYPE *penmType);

/** Writes buffered data of @a hFile to the medium. */
int RTFileFlush(RTFILE hFile);

/**
 * Deletes a file.
 *
 * A directory gives ERR_IS_A_DIRECTORY, a symbolic link or other reparse
 * point ERR_IS_A_SYMLINK (the link is not followed). A read-only file is not
 * deleted: its attribute is left alone and the failure is returned.
 */
int RTFileDelete(const char *pszFilename);

/** RTFileRename flag: replace an existing destination. */
#define RTFILE_RENAME_REPLACE UINT32_C(0x1)

/**
 * Renames or moves a file. A directory source is refused (ERR_IS_A_DIRECTORY).
 * @returns status; ERR_INVALID_POINTER for a bad path pointer,
 *          ERR_INVALID_PARAMETER for flags other than RTFILE_RENAME_REPLACE.
 */
int RTFileRename(const char *pszSrc, const char *pszDst, uint32_t fRename);

/** True when @a hFile is a usable handle of a disk file, character device, pipe or remote file. */
bool RTFileIsValid(RTFILE hFile);

/** Makes a runtime handle from a system handle and stores it; -1 stores NIL_RTFILE and gives ERR_INVALID_HANDLE. */
int RTFileFromNative(RTFILE *phFile, intptr_t uNative);

#endif
