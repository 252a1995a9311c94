/** @file
 * The list of cleanup records: adding, finding, dropping and releasing.
 */
#include "TarnStubCleanup.h"
#include "TarnStubMessages.h"
#include <rt/mem.h>
#include <rt/string.h>

/* An empty list from the start: the head points to itself (a constant initialiser, no constructor runs). */
CleanupListEntry g_CleanupRecords = {&g_CleanupRecords, &g_CleanupRecords};

namespace
{

/** The record a list entry belongs to: the links come first in every record. */
CleanupRecord *recordOf(CleanupListEntry *pEntry)
{
    return reinterpret_cast<CleanupRecord *>(pEntry);
}

void unlinkEntry(CleanupListEntry *pEntry)
{
    pEntry->pPrev->pNext = pEntry->pNext;
    pEntry->pNext->pPrev = pEntry->pPrev;
    pEntry->pNext = pEntry->pPrev = NULL;
}

void linkAtFront(CleanupListEntry *pEntry)
{
    pEntry->pNext = g_CleanupRecords.pNext;
    pEntry->pPrev = &g_CleanupRecords;
    g_CleanupRecords.pNext->pPrev = pEntry;
    g_CleanupRecords.pNext = pEntry;
}

} // namespace

void InitCleanupRecords(void)
{
    g_CleanupRecords.pNext = g_CleanupRecords.pPrev = &g_CleanupRecords;
}

CleanupRecord *AddCleanupRecord(const char *pszPath, bool fFile)
{
    size_t const cbPath = RTStrLen(pszPath) + 1;
    CleanupRecord *pRecord =
        static_cast<CleanupRecord *>(RTMemAllocZTag(offsetof(CleanupRecord, szPath) + cbPath, RTMEM_TAG));
    if (!pRecord)
    {
        ShowError("Out of memory!");
        return NULL;
    }
    pRecord->fFile = fFile;
    pRecord->idxPackage = -1;
    if (fFile)
        pRecord->u.hFile = NIL_RTFILE;
    else
        pRecord->u.hDir = NIL_RTDIR;
    RTStrCopy(pRecord->szPath, cbPath, pszPath);
    linkAtFront(&pRecord->ListEntry);
    return pRecord;
}

CleanupRecord *FindCleanupRecordOfPackage(uint32_t idxPackage)
{
    for (CleanupListEntry *pEntry = g_CleanupRecords.pNext; pEntry != &g_CleanupRecords; pEntry = pEntry->pNext)
        if (recordOf(pEntry)->idxPackage >= 0 && (uint32_t)recordOf(pEntry)->idxPackage == idxPackage)
            return recordOf(pEntry);
    return NULL;
}

void DropCleanupRecord(CleanupRecord *pRecord)
{
    unlinkEntry(&pRecord->ListEntry);
    RTMemFree(pRecord);
}

void ReleaseCleanupRecords(void)
{
    while (g_CleanupRecords.pNext != &g_CleanupRecords)
        DropCleanupRecord(recordOf(g_CleanupRecords.pNext));
}
