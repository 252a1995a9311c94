/** @file
 * Copying the customisation directory into the extraction directory.
 */
#include "TarnStubCustomDir.h"
#include "TarnStubCustomDir-win.h"
#include "TarnStubCleanup.h"
#include "TarnStubMessages.h"
#include "TarnStubSettings.h"
#include "internal/seam.h"
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/string.h>

#include <string.h>

namespace
{

/** No progress, no questions, no error boxes (0x614). */
const FILEOP_FLAGS STUB_COPY_FLAGS = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;

/**
 * A path as the shell's file operation takes it: a list of one entry, ended
 * by a second NUL. The conversion may use RTPATH_MAX units with its NUL.
 */
struct ShellPathList
{
    RTUTF16 awc[RTPATH_MAX + 1];
};

/** Converts @a pszPath into @a pList; 0 or the exit-code value of the reported failure. */
int toShellPathList(const char *pszPath, ShellPathList *pList)
{
    RTUTF16 *pwsz = pList->awc;
    size_t cwc = 0;
    int const rc = RTStrToUtf16Ex(pszPath, RTSTR_MAX, &pwsz, RTPATH_MAX, &cwc, RTMEM_TAG);
    if (RT_FAILURE(rc))
        return ShowError("RTStrToUtf16Ex failed on '%s': %Rrc", pszPath, rc);
    pList->awc[cwc + 1] = 0;
    return 0;
}

/** The shell's recursive copy of @a pszSource into the directory @a pszDest; 0 or the reported failure's value. */
int copyTree(const char *pszSource, const char *pszDest)
{
    static ShellPathList s_Source; /* 16 KB for the two lists: kept off the stack */
    static ShellPathList s_Dest;
    int rcExit = toShellPathList(pszSource, &s_Source);
    if (rcExit != 0)
        return rcExit;
    rcExit = toShellPathList(pszDest, &s_Dest);
    if (rcExit != 0)
        return rcExit;

    SHFILEOPSTRUCTW Op;
    memset(&Op, 0, sizeof(Op));
    Op.wFunc = FO_COPY;
    Op.pFrom = (LPCWSTR)s_Source.awc;
    Op.pTo = (LPCWSTR)s_Dest.awc;
    Op.fFlags = STUB_COPY_FLAGS;
    int const iRc = RT_SEAM(g_StubSeamsCustomDir, SHFileOperationW)(&Op);
    if (iRc != 0)
        return ShowError("Copying the '.custom' dir failed: %#x", iRc);
    return 0;
}

/** Records the copy for the clean-up and holds it open; 0 or the reported failure's value. */
int recordCopy(const char *pszExtractPath)
{
    char *pszCopy = RTPathJoinA(pszExtractPath, STUB_CUSTOM_DIR_NAME);
    if (!pszCopy)
        return ShowError("Out of memory!");
    int rcExit = 0;
    CleanupRecord *pRecord = AddCleanupRecord(pszCopy, false /*fFile*/);
    if (!pRecord)
        rcExit = STUB_EXIT_FAILURE; /* AddCleanupRecord has said so */
    else
    {
        int const rc = RT_SEAM(g_StubSeamsCustomDir, RTDirOpen)(&pRecord->u.hDir, pszCopy);
        if (RT_FAILURE(rc))
            rcExit = ShowError("Unable to open the destination .custom directory: %Rrc", rc);
    }
    RTStrFree(pszCopy);
    return rcExit;
}

} // namespace

int CopyCustomDirectory(const char *pszExtractPath)
{
    char szSource[RTPATH_MAX];
    int rc = RT_SEAM(g_StubSeamsCustomDir, RTPathExecDir)(szSource, sizeof(szSource));
    if (RT_SUCCESS(rc))
        rc = RTPathAppend(szSource, sizeof(szSource), STUB_CUSTOM_DIR_NAME);
    if (RT_FAILURE(rc))
        return ShowError("Failed to construct '.custom' dir path: %Rrc", rc);
    if (!RTDirExists(szSource))
        return 0;

    int rcExit = copyTree(szSource, pszExtractPath);
    if (rcExit != 0)
        return rcExit;
    return recordCopy(pszExtractPath);
}
