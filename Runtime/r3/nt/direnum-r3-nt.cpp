/** @file
 * The native side of open directories: opening the directory with the native
 * calls so that it cannot be removed or renamed while it is held, and closing
 * it again.
 */
#include <windows.h>
#include <winternl.h>
#include <rt/dir.h>
#include <rt/path.h>
#include <rt/path-win.h>
#include "internal/dir.h"
#include "internal/path.h"
#include "internal/reparse.h"

namespace
{

/** Whether the file system takes FILE_OPEN_REPARSE_POINT for directories. A plain
 * shared value: concurrent first opens may both probe, with the same answer. */
RTREPARSESTATE volatile g_enmReparseState = RTREPARSESTATE_UNKNOWN;

#define RTDIR_NT_ACCESS  (SYNCHRONIZE | FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES)
#define RTDIR_NT_OPTIONS (FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT)
/* No FILE_SHARE_DELETE: that is what keeps the directory from being removed or renamed. */
#define RTDIR_NT_SHARE (FILE_SHARE_READ | FILE_SHARE_WRITE)

#define RTDIR_STATUS_NOT_IMPLEMENTED    ((NTSTATUS)0xC0000002L)
#define RTDIR_STATUS_INVALID_INFO_CLASS ((NTSTATUS)0xC0000003L)
#define RTDIR_STATUS_INVALID_PARAMETER  ((NTSTATUS)0xC000000DL)

/** What a freshly opened handle turned out to be when reparse points were not followed. */
enum ReparseCheck
{
    REPARSE_NONE,      /**< A plain directory: keep the handle. */
    REPARSE_SYMLINK,   /**< A symbolic link. */
    REPARSE_OTHER,     /**< Another reparse point (a mount point): open it again, following it. */
    REPARSE_QUERY_FAIL /**< The query failed; the status says why. */
};

ReparseCheck rtDirNtCheckReparsePoint(HANDLE hDir, int *prc)
{
    IO_STATUS_BLOCK Ios;
    FILE_ATTRIBUTE_TAG_INFORMATION TagInfo;
    TagInfo.FileAttributes = 0;
    TagInfo.ReparseTag = 0;
    NTSTATUS rcNt = NtQueryInformationFile(hDir, &Ios, &TagInfo, sizeof(TagInfo), FileAttributeTagInformation);
    if (!NT_SUCCESS(rcNt))
    {
        /* File systems without reparse points may not know the question. */
        if (rcNt == RTDIR_STATUS_NOT_IMPLEMENTED || rcNt == RTDIR_STATUS_INVALID_INFO_CLASS ||
            rcNt == RTDIR_STATUS_INVALID_PARAMETER)
            return REPARSE_NONE;
        *prc = RTErrConvertFromNtStatus(rcNt);
        return REPARSE_QUERY_FAIL;
    }
    if (!(TagInfo.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return REPARSE_NONE;
    return TagInfo.ReparseTag == IO_REPARSE_TAG_SYMLINK ? REPARSE_SYMLINK : REPARSE_OTHER;
}

/**
 * The path to hand to the native open: the recorded path without its
 * trailing separator, unless the path is only a root. Without the separator
 * a final symbolic link is the link itself and not the directory it names.
 */
size_t rtDirNtCchPathToOpen(RTDIRINTERNAL const *pDir)
{
    size_t const cchRoot = RTPathRootSpecLen(pDir->pszPath);
    if (pDir->cchPath > cchRoot && pDir->cchPath > 1 && rtPathIsDosSep(pDir->pszPath[pDir->cchPath - 1]))
        return pDir->cchPath - 1;
    return pDir->cchPath;
}

int rtDirNtOpenOnce(RTDIRINTERNAL *pDir, ACCESS_MASK fAccess, ULONG fOptions, HANDLE *phDir, bool *pfObjDir)
{
    size_t const cch = rtDirNtCchPathToOpen(pDir);
    char const chSaved = pDir->pszPath[cch];
    pDir->pszPath[cch] = '\0';
    int rc = RTNtPathOpenDir(pDir->pszPath, fAccess, RTDIR_NT_SHARE, fOptions, OBJ_CASE_INSENSITIVE, phDir, pfObjDir);
    pDir->pszPath[cch] = chSaved;
    return rc;
}

} // namespace

int rtDirNativeOpen(RTDIRINTERNAL *pDir)
{
    ACCESS_MASK fAccess = RTDIR_NT_ACCESS;
    ULONG fOptions = RTDIR_NT_OPTIONS;
    if ((pDir->fFlags & RTDIR_F_NO_FOLLOW) && !pDir->fDirSlash && g_enmReparseState != RTREPARSESTATE_REFUSED)
        fOptions |= FILE_OPEN_REPARSE_POINT;
    for (;;)
    {
        HANDLE hDir = INVALID_HANDLE_VALUE;
        bool fObjDir = false;
        int rc = rtDirNtOpenOnce(pDir, fAccess, fOptions, &hDir, &fObjDir);
        if (RT_SUCCESS(rc))
        {
            if ((fOptions & FILE_OPEN_REPARSE_POINT) && !fObjDir)
            {
                g_enmReparseState = RTREPARSESTATE_ACCEPTED;
                ReparseCheck enmCheck = rtDirNtCheckReparsePoint(hDir, &rc);
                if (enmCheck != REPARSE_NONE)
                {
                    RTNtPathClose(hDir);
                    if (enmCheck == REPARSE_SYMLINK)
                        return ERR_IS_A_SYMLINK;
                    if (enmCheck == REPARSE_QUERY_FAIL)
                        return rc;
                    fOptions &= ~(ULONG)FILE_OPEN_REPARSE_POINT;
                    continue;
                }
            }
            pDir->hDir = hDir;
            pDir->fIsObjDir = fObjDir;
            return INF_SUCCESS;
        }
        if (rc == ERR_ACCESS_DENIED && (fAccess & FILE_TRAVERSE))
            fAccess &= ~(ACCESS_MASK)FILE_TRAVERSE;
        else if (rc == ERR_INVALID_PARAMETER && (fOptions & FILE_OPEN_REPARSE_POINT))
        {
            g_enmReparseState = RTREPARSESTATE_REFUSED;
            fOptions &= ~(ULONG)FILE_OPEN_REPARSE_POINT;
        }
        else
            return rc;
    }
}

int rtDirNativeClose(RTDIRINTERNAL *pDir)
{
    if (pDir->hDir == RTDIR_NIL_NATIVE)
        return INF_SUCCESS;
    int rc = RTNtPathClose((HANDLE)pDir->hDir);
    pDir->hDir = RTDIR_NIL_NATIVE;
    return rc;
}

#ifdef RT_WITH_SEAMS
void rtDirSeamsForget(void)
{
    g_enmReparseState = RTREPARSESTATE_UNKNOWN;
}
#endif
