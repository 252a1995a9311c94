/** @file
 * Deleting files through the native layer: the file is opened without
 * following a link, checked to be a plain file and marked for deletion, which
 * happens when the handle is closed.
 */
#include <windows.h>
#include <winternl.h>
#include <rt/file.h>
#include <rt/err.h>
#include <rt/path-win.h>
#include "internal/file.h"

namespace
{

const NTSTATUS g_rcNtNotImplemented = (NTSTATUS)0xC0000002L;   /* STATUS_NOT_IMPLEMENTED */
const NTSTATUS g_rcNtInvalidInfoClass = (NTSTATUS)0xC0000003L; /* STATUS_INVALID_INFO_CLASS */
const NTSTATUS g_rcNtInvalidParameter = (NTSTATUS)0xC000000DL; /* STATUS_INVALID_PARAMETER */

/** DELETE, SYNCHRONIZE and FILE_READ_ATTRIBUTES. */
const ACCESS_MASK g_fDeleteAccess = DELETE | SYNCHRONIZE | FILE_READ_ATTRIBUTES;
/** Open the link itself, for backup, never a directory, synchronous I/O. */
const ULONG g_fDeleteOptions =
    FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT;

inline bool rtFileNtSuccess(NTSTATUS rcNt)
{
    return rcNt >= 0;
}

/**
 * Opens the file for deletion. Systems that do not know
 * FILE_OPEN_REPARSE_POINT are asked again without it; *pfReparseOpen tells
 * which form succeeded.
 */
NTSTATUS rtFileDeleteOpen(RTNTPATH *pNtName, HANDLE hRootDir, HANDLE *phFile, bool *pfReparseOpen)
{
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, pNtName, OBJ_CASE_INSENSITIVE, hRootDir, NULL);
    IO_STATUS_BLOCK Ios;
    *pfReparseOpen = true;
    NTSTATUS rcNt =
        NtCreateFile(phFile, g_fDeleteAccess, &ObjAttr, &Ios, NULL, FILE_ATTRIBUTE_NORMAL,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, g_fDeleteOptions, NULL, 0);
    if (rcNt == g_rcNtInvalidParameter)
    {
        *pfReparseOpen = false;
        rcNt = NtCreateFile(phFile, g_fDeleteAccess, &ObjAttr, &Ios, NULL, FILE_ATTRIBUTE_NORMAL,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                            g_fDeleteOptions & ~(ULONG)FILE_OPEN_REPARSE_POINT, NULL, 0);
    }
    return rcNt;
}

/** A reparse point opened as itself must not be deleted as if it were a file. */
int rtFileDeleteCheckReparseTag(HANDLE hFile)
{
    FILE_ATTRIBUTE_TAG_INFORMATION TagInfo;
    IO_STATUS_BLOCK Ios;
    NTSTATUS const rcNt = RT_SEAM(g_rtSeamsFile, NtQueryInformationFile)(hFile, &Ios, &TagInfo, sizeof(TagInfo),
                                                                         FileAttributeTagInformation);
    if (rtFileNtSuccess(rcNt))
        return TagInfo.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? ERR_IS_A_SYMLINK : INF_SUCCESS;
    /* Systems and file systems without the query: the basic attributes decide. */
    if (rcNt == g_rcNtNotImplemented || rcNt == g_rcNtInvalidInfoClass || rcNt == g_rcNtInvalidParameter)
        return INF_SUCCESS;
    return RTErrConvertFromNtStatus(rcNt);
}

/** Checks the opened object and marks it for deletion. */
int rtFileDeleteCheckAndMark(HANDLE hFile, bool fReparseOpen)
{
    if (fReparseOpen)
    {
        int rc = rtFileDeleteCheckReparseTag(hFile);
        if (RT_FAILURE(rc))
            return rc;
    }

    FILE_BASIC_INFORMATION BasicInfo;
    IO_STATUS_BLOCK Ios;
    NTSTATUS rcNt = RT_SEAM(g_rtSeamsFile, NtQueryInformationFile)(hFile, &Ios, &BasicInfo, sizeof(BasicInfo),
                                                                   FileBasicInformation);
    if (!rtFileNtSuccess(rcNt))
        return RTErrConvertFromNtStatus(rcNt);
    if (BasicInfo.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return ERR_IS_A_DIRECTORY;
    if (BasicInfo.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return ERR_IS_A_SYMLINK;

    /* The read-only attribute is left alone: such a file is meant to stay. */
    FILE_DISPOSITION_INFORMATION Disposition;
    Disposition.DoDeleteFile = TRUE;
    rcNt = NtSetInformationFile(hFile, &Ios, &Disposition, sizeof(Disposition), FileDispositionInformation);
    if (!rtFileNtSuccess(rcNt))
        return RTErrConvertFromNtStatus(rcNt);
    return INF_SUCCESS;
}

} /* namespace */

int RTFileDelete(const char *pszFilename)
{
    RTNTPATH NtName;
    HANDLE hRootDir = NULL;
    int rc = RTNtPathFromWinUtf8(&NtName, &hRootDir, pszFilename);
    if (RT_FAILURE(rc))
        return rc;

    HANDLE hFile = NULL;
    bool fReparseOpen = false;
    NTSTATUS rcNt = rtFileDeleteOpen(&NtName, hRootDir, &hFile, &fReparseOpen);
    RTNtPathFree(&NtName);
    if (!rtFileNtSuccess(rcNt))
        return RTErrConvertFromNtStatus(rcNt);

    rc = rtFileDeleteCheckAndMark(hFile, fReparseOpen);
    rcNt = NtClose(hFile);
    if (RT_SUCCESS(rc) && !rtFileNtSuccess(rcNt))
        rc = RTErrConvertFromNtStatus(rcNt);
    return rc;
}
