/** @file
 * Information about the object a path names, through the native calls: the
 * attribute query without opening where the system has it, an open with
 * attribute access only, and the parent directory's entry when the object
 * itself cannot be opened.
 */
#include <windows.h>
#include <winternl.h>
#include <rt/file.h>
#include <rt/mem.h>
#include <rt/path-win.h>
#include <rt/pathinfo.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/file.h"
#include "internal/initterm.h"
#include "internal/nt.h"
#include "internal/pathinfo.h"
#include "internal/reparse.h"

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE hFile, HANDLE hEvent, void *pfnApc, void *pvApcContext,
                                               IO_STATUS_BLOCK *pIos, void *pvInfo, ULONG cbInfo,
                                               FILE_INFORMATION_CLASS enmClass, BOOLEAN fSingleEntry,
                                               UNICODE_STRING *pFileName, BOOLEAN fRestartScan);
extern "C" NTSTATUS NTAPI NtQueryDirectoryObject(HANDLE hDirectory, void *pvBuffer, ULONG cbBuffer,
                                                 BOOLEAN fSingleEntry, BOOLEAN fRestartScan, ULONG *puContext,
                                                 ULONG *pcbReturned);
extern "C" BOOLEAN NTAPI RtlEqualUnicodeString(const UNICODE_STRING *pString1, const UNICODE_STRING *pString2,
                                               BOOLEAN fCaseInsensitive);

namespace
{

#define PI_STATUS_INVALID_PARAMETER    ((NTSTATUS)0xC000000DL)
#define PI_STATUS_INVALID_PARAMETER_9  ((NTSTATUS)0xC00000F7L)
#define PI_STATUS_ACCESS_DENIED        ((NTSTATUS)0xC0000022L)
#define PI_STATUS_OBJECT_TYPE_MISMATCH ((NTSTATUS)0xC0000024L)
#define PI_STATUS_OBJECT_NAME_INVALID  ((NTSTATUS)0xC0000033L)
#define PI_STATUS_SHARING_VIOLATION    ((NTSTATUS)0xC0000043L)
#define PI_STATUS_NOT_IMPLEMENTED      ((NTSTATUS)0xC0000002L)
#define PI_STATUS_INVALID_INFO_CLASS   ((NTSTATUS)0xC0000003L)
#define PI_STATUS_NO_MORE_ENTRIES      ((NTSTATUS)0x8000001AL)

#define PI_DIRECTORY_QUERY 0x0001

/** Access of the attribute open: SYNCHRONIZE and FILE_READ_ATTRIBUTES. */
#define PI_OPEN_ACCESS  (SYNCHRONIZE | FILE_READ_ATTRIBUTES)
#define PI_OPEN_SHARE   (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)
#define PI_OPEN_OPTIONS (FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT)

/** Whether the file system takes FILE_OPEN_REPARSE_POINT here. A plain shared
 * value: concurrent first queries may both probe, with the same answer. */
RTREPARSESTATE volatile g_enmReparseState = RTREPARSESTATE_UNKNOWN;

/** NtQueryFullAttributesFile when the system has it (start-up looked it up). */
PFNNTQUERYFULLATTRIBUTESFILE rtPathInfoQueryFullAttributesEntry(void)
{
    return g_pfnNtQueryFullAttributesFile;
}

/** The common part of the record from the pieces every native query reports. */
void rtPathInfoFillCommon(RTOBJINFO *pObjInfo, LARGE_INTEGER const *pcbObject, LARGE_INTEGER const *pcbAllocated,
                          LARGE_INTEGER const *pAccess, LARGE_INTEGER const *pWrite, LARGE_INTEGER const *pChange,
                          LARGE_INTEGER const *pCreation, RTFMODE fMode)
{
    pObjInfo->cbObject = pcbObject->QuadPart;
    pObjInfo->cbAllocated = pcbAllocated->QuadPart;
    pObjInfo->AccessTime = rtFileTimeFromNt(pAccess);
    pObjInfo->ModificationTime = rtFileTimeFromNt(pWrite);
    pObjInfo->ChangeTime = rtFileTimeFromNt(pChange);
    pObjInfo->BirthTime = rtFileTimeFromNt(pCreation);
    pObjInfo->fMode = fMode;
}

/** What the query needs along the way. */
struct PathInfoQuery
{
    const char *pszPath;
    RTNTPATH NtName;
    HANDLE hRootDir;
    RTOBJINFO *pObjInfo;
    RTOBJINFOADD enmAdditional;
    uint32_t fFlags;
};

RTFMODE rtPathInfoModeFromAttributes(PathInfoQuery const *pQuery, ULONG fAttributes, ULONG uReparseTag)
{
    return RTFsModeFromWinAttr((RTFMODE)fAttributes << RTFS_DOS_SHIFT, pQuery->pszPath, 0, uReparseTag, 0);
}

/*
 * Step 1: the query without an open.
 */

enum QueryOutcome
{
    QUERY_DONE, /**< The record is filled, or the status is final. */
    QUERY_GO_ON /**< Try the next way. */
};

/** Whether a failure of the attribute query or of the open leaves another way worth trying. */
bool rtPathInfoIsRecoverableNtFailure(NTSTATUS rcNt)
{
    return rcNt == PI_STATUS_ACCESS_DENIED || rcNt == PI_STATUS_SHARING_VIOLATION ||
           rcNt == PI_STATUS_OBJECT_TYPE_MISMATCH || rcNt == PI_STATUS_OBJECT_NAME_INVALID;
}

QueryOutcome rtPathInfoQueryWithoutOpen(PathInfoQuery *pQuery, int *prc)
{
    PFNNTQUERYFULLATTRIBUTESFILE pfn = rtPathInfoQueryFullAttributesEntry();
    if (!pfn || pQuery->enmAdditional == RTOBJINFOADD_UNIX)
        return QUERY_GO_ON;
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, &pQuery->NtName, OBJ_CASE_INSENSITIVE, pQuery->hRootDir, NULL);
    FILE_NETWORK_OPEN_INFORMATION Info;
    NTSTATUS rcNt = pfn(&ObjAttr, &Info);
    if (NT_SUCCESS(rcNt))
    {
        /* A reparse point needs its tag, which only an open tells. */
        if (Info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return QUERY_GO_ON;
        rtPathInfoFillCommon(pQuery->pObjInfo, &Info.EndOfFile, &Info.AllocationSize, &Info.LastAccessTime,
                             &Info.LastWriteTime, &Info.ChangeTime, &Info.CreationTime,
                             rtPathInfoModeFromAttributes(pQuery, Info.FileAttributes, 0));
        rtFileFillUnknownAdditional(pQuery->pObjInfo, pQuery->enmAdditional);
        *prc = INF_SUCCESS;
        return QUERY_DONE;
    }
    if (rtPathInfoIsRecoverableNtFailure(rcNt) || rcNt == PI_STATUS_INVALID_PARAMETER)
        return QUERY_GO_ON;
    *prc = RTErrConvertFromNtStatus(rcNt);
    return QUERY_DONE;
}

/*
 * Step 2: open with attribute access.
 */

NTSTATUS rtPathInfoOpenForAttributes(PathInfoQuery *pQuery, ULONG fOptions, HANDLE *phObj)
{
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, &pQuery->NtName, OBJ_CASE_INSENSITIVE, pQuery->hRootDir, NULL);
    IO_STATUS_BLOCK Ios;
    *phObj = INVALID_HANDLE_VALUE;
    return RT_SEAM(g_rtSeamsNt, NtCreateFile)(phObj, PI_OPEN_ACCESS, &ObjAttr, &Ios, NULL, FILE_ATTRIBUTE_NORMAL,
                                              PI_OPEN_SHARE, FILE_OPEN, fOptions, NULL, 0);
}

/** Opens the object, not following a final link when asked and the file system allows. */
NTSTATUS rtPathInfoOpenObject(PathInfoQuery *pQuery, HANDLE *phObj)
{
    ULONG fOptions = PI_OPEN_OPTIONS;
    bool const fOnLink = (pQuery->fFlags & RTPATH_F_ON_LINK) != 0;
    if (fOnLink && g_enmReparseState != RTREPARSESTATE_REFUSED)
        fOptions |= FILE_OPEN_REPARSE_POINT;
    NTSTATUS rcNt = rtPathInfoOpenForAttributes(pQuery, fOptions, phObj);
    if ((fOptions & FILE_OPEN_REPARSE_POINT) && g_enmReparseState == RTREPARSESTATE_UNKNOWN)
    {
        if (rcNt == PI_STATUS_INVALID_PARAMETER || rcNt == PI_STATUS_INVALID_PARAMETER_9)
        {
            rcNt = rtPathInfoOpenForAttributes(pQuery, fOptions & ~(ULONG)FILE_OPEN_REPARSE_POINT, phObj);
            /* Still refused without the option: the option was not what the system objected to. */
            if (rcNt != PI_STATUS_INVALID_PARAMETER)
                g_enmReparseState = RTREPARSESTATE_REFUSED;
        }
        else if (NT_SUCCESS(rcNt))
            g_enmReparseState = RTREPARSESTATE_ACCEPTED;
    }
    return rcNt;
}

/** The reparse tag of an open object, 0 when it has none or the question is not understood. */
ULONG rtPathInfoQueryReparseTag(HANDLE hObj)
{
    IO_STATUS_BLOCK Ios;
    FILE_ATTRIBUTE_TAG_INFORMATION TagInfo;
    TagInfo.FileAttributes = 0;
    TagInfo.ReparseTag = 0;
    NTSTATUS rcNt = NtQueryInformationFile(hObj, &Ios, &TagInfo, sizeof(TagInfo), FileAttributeTagInformation);
    if (!NT_SUCCESS(rcNt) || !(TagInfo.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return 0;
    return TagInfo.ReparseTag;
}

int rtPathInfoQueryOpenObject(PathInfoQuery *pQuery, HANDLE hObj)
{
    int rc = RTFileQueryInfo((RTFILE)hObj, pQuery->pObjInfo, pQuery->enmAdditional);
    if (RT_SUCCESS(rc))
    {
        /* The handle's query knows neither the name nor the reparse tag: redo the mode with both. */
        RTFMODE const fAttributes = pQuery->pObjInfo->fMode & RTFS_DOS_MASK;
        ULONG const uTag = fAttributes & RTFS_DOS_NT_REPARSE_POINT ? rtPathInfoQueryReparseTag(hObj) : 0;
        pQuery->pObjInfo->fMode = RTFsModeFromWinAttr(fAttributes, pQuery->pszPath, 0, uTag, 0);
    }
    return rc;
}

/*
 * Step 3: the parent's entry.
 */

/** The parent and the last component of the native path (which must not be changed while they are used). */
struct NtNameSplit
{
    UNICODE_STRING Parent;
    UNICODE_STRING Name;
};

bool rtPathInfoSplitNtName(UNICODE_STRING const *pNtName, NtNameSplit *pSplit)
{
    size_t cwc = pNtName->Length / sizeof(WCHAR);
    const WCHAR *pwc = pNtName->Buffer;
    while (cwc > 1 && pwc[cwc - 1] == L'\\')
        cwc--;
    size_t idxSep = cwc;
    while (idxSep > 0 && pwc[idxSep - 1] != L'\\')
        idxSep--;
    if (idxSep == 0 || idxSep == cwc)
        return false;
    /* The parent keeps its separator only when it is the namespace root. */
    size_t const cwcParent = idxSep == 1 ? 1 : idxSep - 1;
    pSplit->Parent.Buffer = (PWSTR)pwc;
    pSplit->Parent.Length = (USHORT)(cwcParent * sizeof(WCHAR));
    pSplit->Parent.MaximumLength = pSplit->Parent.Length;
    pSplit->Name.Buffer = (PWSTR)pwc + idxSep;
    pSplit->Name.Length = (USHORT)((cwc - idxSep) * sizeof(WCHAR));
    pSplit->Name.MaximumLength = pSplit->Name.Length;
    return true;
}

/** A name the directory query would take as a pattern (and answer with some other entry). */
bool rtPathInfoHasWildcards(UNICODE_STRING const *pName)
{
    for (size_t i = 0; i < pName->Length / sizeof(WCHAR); i++)
    {
        WCHAR wc = pName->Buffer[i];
        if (wc == L'*' || wc == L'?' || wc == L'<' || wc == L'>' || wc == L'"')
            return true;
    }
    return false;
}

bool rtPathInfoEqualsNoCase(UNICODE_STRING const *pA, const WCHAR *pwcB, size_t cbB)
{
    UNICODE_STRING B;
    B.Buffer = (PWSTR)pwcB;
    B.Length = (USHORT)cbB;
    B.MaximumLength = (USHORT)cbB;
    return cbB <= 0xffff && RtlEqualUnicodeString(pA, &B, TRUE);
}

/** The volume serial number of the volume @a hObj lives on, 0 when unknown. */
uint32_t rtPathInfoQueryVolumeSerial(HANDLE hObj)
{
    union
    {
        FILE_FS_VOLUME_INFORMATION Info;
        uint8_t ab[sizeof(FILE_FS_VOLUME_INFORMATION) + 64 * sizeof(WCHAR)];
    } u;
    IO_STATUS_BLOCK Ios;
    NTSTATUS rcNt = NtQueryVolumeInformationFile(hObj, &Ios, &u, sizeof(u), FileFsVolumeInformation);
    if (NT_SUCCESS(rcNt) || rcNt == (NTSTATUS)0x80000005L /* STATUS_BUFFER_OVERFLOW: the label was cut */)
        return u.Info.VolumeSerialNumber;
    return 0;
}

/** Fills the record from the object's entry in its parent file-system directory. */
int rtPathInfoQueryParentDirectory(PathInfoQuery *pQuery, HANDLE hParent, UNICODE_STRING *pName)
{
    union
    {
        FILE_ID_BOTH_DIR_INFORMATION Entry;
        uint8_t ab[sizeof(FILE_ID_BOTH_DIR_INFORMATION) + 512 * sizeof(WCHAR)];
    } u;
    IO_STATUS_BLOCK Ios;
    NTSTATUS rcNt = NtQueryDirectoryFile(hParent, NULL, NULL, NULL, &Ios, &u, sizeof(u), FileIdBothDirectoryInformation,
                                         TRUE, pName, TRUE);
    if (!NT_SUCCESS(rcNt))
        return RTErrConvertFromNtStatus(rcNt);
    if (!rtPathInfoEqualsNoCase(pName, u.Entry.FileName, u.Entry.FileNameLength))
        return ERR_FILE_NOT_FOUND;
    /* For a reparse point the entry keeps the tag where the extended-attribute size would be. */
    ULONG const uTag = u.Entry.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? u.Entry.EaSize : 0;
    rtPathInfoFillCommon(pQuery->pObjInfo, &u.Entry.EndOfFile, &u.Entry.AllocationSize, &u.Entry.LastAccessTime,
                         &u.Entry.LastWriteTime, &u.Entry.ChangeTime, &u.Entry.CreationTime,
                         rtPathInfoModeFromAttributes(pQuery, u.Entry.FileAttributes, uTag));
    rtFileFillUnknownAdditional(pQuery->pObjInfo, pQuery->enmAdditional);
    if (pQuery->enmAdditional == RTOBJINFOADD_UNIX)
    {
        pQuery->pObjInfo->u.Unix.INodeId = (uint64_t)u.Entry.FileId.QuadPart;
        pQuery->pObjInfo->u.Unix.INodeIdDevice = rtPathInfoQueryVolumeSerial(hParent);
    }
    return INF_SUCCESS;
}

/** The mode of an object of the native namespace, by the name of its type. */
RTFMODE rtPathInfoModeFromObjectType(UNICODE_STRING const *pTypeName)
{
    if (rtPathInfoEqualsNoCase(pTypeName, L"Directory", 9 * sizeof(WCHAR)))
        return RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | RTFS_UNIX_MASK;
    if (rtPathInfoEqualsNoCase(pTypeName, L"SymbolicLink", 12 * sizeof(WCHAR)))
        return RTFS_TYPE_SYMLINK | RTFS_DOS_NT_REPARSE_POINT | RTFS_UNIX_MASK;
    if (rtPathInfoEqualsNoCase(pTypeName, L"Device", 6 * sizeof(WCHAR)))
        return RTFS_TYPE_DEV_CHAR | RTFS_DOS_NT_DEVICE | RTFS_UNIX_ALL_READ | RTFS_UNIX_ALL_WRITE;
    return RTFS_TYPE_FILE | RTFS_DOS_NT_NORMAL | RTFS_UNIX_ALL_READ | RTFS_UNIX_ALL_WRITE;
}

/** Fills the record from the object's entry in its parent object directory (the type is all it tells). */
int rtPathInfoQueryParentObjectDirectory(PathInfoQuery *pQuery, UNICODE_STRING *pParent, UNICODE_STRING *pName)
{
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, pParent, OBJ_CASE_INSENSITIVE, pQuery->hRootDir, NULL);
    HANDLE hDir = NULL;
    NTSTATUS rcNt = NtOpenDirectoryObject(&hDir, PI_DIRECTORY_QUERY, &ObjAttr);
    if (!NT_SUCCESS(rcNt))
        return RTErrConvertFromNtStatus(rcNt);
    union
    {
        struct
        {
            UNICODE_STRING Name;
            UNICODE_STRING TypeName;
        } Entry;
        uint8_t ab[2048];
    } u;
    int rc = ERR_FILE_NOT_FOUND;
    ULONG uContext = 0;
    for (BOOLEAN fRestart = TRUE;; fRestart = FALSE)
    {
        ULONG cbReturned = 0;
        rcNt = NtQueryDirectoryObject(hDir, &u, sizeof(u), TRUE, fRestart, &uContext, &cbReturned);
        if (!NT_SUCCESS(rcNt) || rcNt == PI_STATUS_NO_MORE_ENTRIES)
            break;
        if (rtPathInfoEqualsNoCase(pName, u.Entry.Name.Buffer, u.Entry.Name.Length))
        {
            LARGE_INTEGER Zero;
            Zero.QuadPart = 0;
            /* No times are kept for these: 0 in the native count is what the file systems report for "unknown". */
            rtPathInfoFillCommon(pQuery->pObjInfo, &Zero, &Zero, &Zero, &Zero, &Zero, &Zero,
                                 rtPathInfoModeFromObjectType(&u.Entry.TypeName));
            rtFileFillUnknownAdditional(pQuery->pObjInfo, pQuery->enmAdditional);
            rc = INF_SUCCESS;
            break;
        }
    }
    NtClose(hDir);
    return rc;
}

/**
 * The fallback for objects that cannot be opened: the entry in the parent
 * directory, or in the parent object directory when the parent is not a
 * file-system directory. Returns @a rcOpen when neither tells anything.
 */
int rtPathInfoQueryFromParent(PathInfoQuery *pQuery, int rcOpen)
{
    NtNameSplit Split;
    if (!rtPathInfoSplitNtName(&pQuery->NtName, &Split) || rtPathInfoHasWildcards(&Split.Name))
        return rcOpen;
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, &Split.Parent, OBJ_CASE_INSENSITIVE, pQuery->hRootDir, NULL);
    IO_STATUS_BLOCK Ios;
    HANDLE hParent = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = RT_SEAM(g_rtSeamsNt, NtCreateFile)(&hParent, FILE_LIST_DIRECTORY | SYNCHRONIZE, &ObjAttr, &Ios,
                                                       NULL, FILE_ATTRIBUTE_NORMAL, PI_OPEN_SHARE, FILE_OPEN,
                                                       FILE_DIRECTORY_FILE | PI_OPEN_OPTIONS, NULL, 0);
    int rc;
    if (NT_SUCCESS(rcNt))
    {
        rc = rtPathInfoQueryParentDirectory(pQuery, hParent, &Split.Name);
        NtClose(hParent);
    }
    else
        rc = rtPathInfoQueryParentObjectDirectory(pQuery, &Split.Parent, &Split.Name);
    return RT_SUCCESS(rc) ? rc : rcOpen;
}

int rtPathInfoQueryByNtName(PathInfoQuery *pQuery)
{
    int rc = INF_SUCCESS;
    if (rtPathInfoQueryWithoutOpen(pQuery, &rc) == QUERY_DONE)
        return rc;
    HANDLE hObj = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = rtPathInfoOpenObject(pQuery, &hObj);
    if (NT_SUCCESS(rcNt))
    {
        rc = rtPathInfoQueryOpenObject(pQuery, hObj);
        NtClose(hObj);
        return rc;
    }
    rc = RTErrConvertFromNtStatus(rcNt);
    if (rtPathInfoIsRecoverableNtFailure(rcNt))
        return rtPathInfoQueryFromParent(pQuery, rc);
    return rc;
}

int rtPathInfoCheckQueryArgs(const char *pszPath, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional, uint32_t fFlags)
{
    if (!RT_VALID_PTR(pszPath) || !RT_VALID_PTR(pObjInfo))
        return ERR_INVALID_POINTER;
    if (!*pszPath)
        return ERR_INVALID_PARAMETER;
    if (enmAdditional < RTOBJINFOADD_NOTHING || enmAdditional > RTOBJINFOADD_EASIZE)
        return ERR_INVALID_PARAMETER;
    uint32_t const fLink = fFlags & ~RTPATH_F_NO_SYMLINKS;
    if (fLink != RTPATH_F_ON_LINK && fLink != RTPATH_F_FOLLOW_LINK)
        return ERR_INVALID_PARAMETER;
    return INF_SUCCESS;
}

} // namespace

int RTPathQueryInfoEx(const char *pszPath, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional, uint32_t fFlags)
{
    int rc = rtPathInfoCheckQueryArgs(pszPath, pObjInfo, enmAdditional, fFlags);
    if (RT_FAILURE(rc))
        return rc;
    PathInfoQuery Query;
    Query.pszPath = pszPath;
    Query.pObjInfo = pObjInfo;
    Query.enmAdditional = enmAdditional;
    Query.fFlags = fFlags;
    rc = RTNtPathFromWinUtf8(&Query.NtName, &Query.hRootDir, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    rc = rtPathInfoQueryByNtName(&Query);
    RTNtPathFree(&Query.NtName);
    return rc;
}

#ifdef RT_WITH_SEAMS
void rtPathInfoSeamsForget(void)
{
    g_enmReparseState = RTREPARSESTATE_UNKNOWN;
}
#endif
