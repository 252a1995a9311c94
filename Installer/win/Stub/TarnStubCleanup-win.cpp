/** @file
 * The final clean-up: closing the held handles and removing what the
 * installer wrote, retrying while another process (a virus scanner, Windows
 * Installer's service finishing up) still holds something.
 */
#include "TarnStubCleanup.h"
#include "TarnStubCleanup-win.h"
#include "TarnStubMessages.h"
#include "internal/seam.h"
#include <rt/err.h>

namespace
{

/** Passes are numbered from 0; this one is the last. */
const unsigned STUB_CLEANUP_LAST_PASS = 4;
/** The wait after the first pass: most holders let go quickly. */
const RTMSINTERVAL STUB_CLEANUP_FIRST_WAIT_MS = 100;
/** The wait after each later pass. */
const RTMSINTERVAL STUB_CLEANUP_WAIT_MS = 3000;

void closeRecordHandle(CleanupRecord *pRecord)
{
    if (pRecord->fFile)
    {
        RTFILE const hFile = pRecord->u.hFile;
        if (hFile != NIL_RTFILE && RTFileIsValid(hFile))
        {
            int rc = RT_SEAM(g_StubSeamsCleanup, RTFileClose)(hFile);
            if (RT_FAILURE(rc))
                PrintError("Cleanup file '%s' for #%u: RTFileClose(%p) failed: %Rrc", pRecord->szPath,
                           (uint32_t)pRecord->idxPackage, hFile, rc);
        }
        pRecord->u.hFile = NIL_RTFILE;
    }
    else
    {
        RTDIR const hDir = pRecord->u.hDir;
        if (hDir != NIL_RTDIR && RTDirIsValid(hDir))
        {
            int rc = RT_SEAM(g_StubSeamsCleanup, RTDirClose)(hDir);
            if (RT_FAILURE(rc))
                PrintError("Cleanup dir '%s' for #%u: RTDirClose(%p) failed: %Rrc", pRecord->szPath,
                           (uint32_t)pRecord->idxPackage, hDir, rc);
        }
        pRecord->u.hDir = NIL_RTDIR;
    }
}

bool isGone(int rc)
{
    return RT_SUCCESS(rc) || rc == ERR_FILE_NOT_FOUND || rc == ERR_PATH_NOT_FOUND;
}

/** One record in one pass; the record may be freed on return. */
void cleanUpRecord(CleanupRecord *pRecord, bool fLastPass)
{
    closeRecordHandle(pRecord);
    if (pRecord->fDontDelete)
    {
        DropCleanupRecord(pRecord);
        return;
    }

    int rc = pRecord->fFile ? RTFileDelete(pRecord->szPath) : RTDirRemove(pRecord->szPath);
    if (isGone(rc))
        DropCleanupRecord(pRecord);
    else if (!pRecord->fFile && rc == ERR_DIR_NOT_EMPTY)
    {
        /* Something unrecorded (the MSI log, copied customisation files) is still inside: keep trying, then
           leave the directory quietly. */
        if (fLastPass)
            DropCleanupRecord(pRecord);
    }
    else if (fLastPass)
    {
        /* Reported once; the record stays listed for the release at the end of the run. */
        if (pRecord->fFile)
            ShowError("Failed to delete temporary file '%s': %Rrc", pRecord->szPath, rc);
        else
            ShowError("Failed to delete temporary directory '%s': %Rrc", pRecord->szPath, rc);
    }
}

bool isListEmpty(void)
{
    return g_CleanupRecords.pNext == &g_CleanupRecords;
}

} // namespace

void CleanUpRecords(const char *pszFinalDir)
{
    for (unsigned iPass = 0;; iPass++)
    {
        bool const fLastPass = iPass == STUB_CLEANUP_LAST_PASS;
        CleanupListEntry *pNext;
        for (CleanupListEntry *pEntry = g_CleanupRecords.pNext; pEntry != &g_CleanupRecords; pEntry = pNext)
        {
            pNext = pEntry->pNext;
            cleanUpRecord(reinterpret_cast<CleanupRecord *>(pEntry), fLastPass);
        }

        if (isListEmpty() || fLastPass)
        {
            if (!pszFinalDir)
                return;
            /* A failure in the last pass is not reported: the directory simply stays. */
            if (isGone(RTDirRemove(pszFinalDir)) || fLastPass)
                return;
        }

        RT_SEAM(g_StubSeamsCleanup, RTThreadSleepMs)(iPass == 0 ? STUB_CLEANUP_FIRST_WAIT_MS : STUB_CLEANUP_WAIT_MS);
    }
}
