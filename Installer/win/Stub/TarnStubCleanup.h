/** @file
 * The installer's cleanup records: every file and directory the installer
 * creates on disk, with the handle it holds open on it.
 *
 * The records hold the handles that keep verified packages locked until they
 * are installed, let the installation find the file of package i, and drive
 * the final clean-up, which closes the handles and removes the objects.
 *
 * g_CleanupRecords is a circular doubly-linked list behind a head entry that
 * is no record; it is empty when the head points to itself both ways. New
 * records go to the front, so a walk from the front meets the newest first.
 * Only the main thread touches the list; nothing here locks.
 *
 * Portable: the list operations. CleanUpRecords, which closes handles and
 * deletes objects, is Windows only.
 */
#ifndef TARN_STUB_CLEANUP_H
#define TARN_STUB_CLEANUP_H

#include <rt/types.h>
#include <rt/file.h>
#include <rt/dir.h>

/** The links of a record, and the head of the list. */
struct CleanupListEntry
{
    CleanupListEntry *pNext;
    CleanupListEntry *pPrev;
};

/** One object on disk; a single zero-filled heap block, the path inside it. */
struct CleanupRecord
{
    /** Links in g_CleanupRecords; first, so a list entry is its record. */
    CleanupListEntry ListEntry;
    /** Package number of an extracted package file; -1 for everything else. */
    int32_t idxPackage;
    /** True: a file (u.hFile); false: a directory (u.hDir). */
    bool fFile;
    /** Close the handle but never remove the object (a directory that existed before the run). */
    bool fDontDelete;
    /** The handle the record owns: NIL_RTFILE or NIL_RTDIR when none. */
    union
    {
        RTFILE hFile;
        RTDIR hDir;
    } u;
    /** The object's path, UTF-8, NUL-terminated; the block extends past the declared size. */
    char szPath[1];
};

/** The list of every record, newest first. */
extern CleanupListEntry g_CleanupRecords;

/** Makes g_CleanupRecords empty, forgetting (not freeing) whatever it listed. */
void InitCleanupRecords(void);

/**
 * Adds a record for @a pszPath at the front of g_CleanupRecords.
 * @returns the record with idxPackage -1, fDontDelete false and no handle
 *          (NIL_RTFILE for a file, NIL_RTDIR for a directory); callers set the
 *          rest. Null after showing "Out of memory!" (ShowError).
 * @param fFile  True for a file, false for a directory.
 */
CleanupRecord *AddCleanupRecord(const char *pszPath, bool fFile);

/**
 * The record of package @a idxPackage: the first one from the front (the most
 * recently added) with that package number, or null.
 */
CleanupRecord *FindCleanupRecordOfPackage(uint32_t idxPackage);

/**
 * Unlinks and frees every record still listed, without closing its handle and
 * without touching the file system; handles left open stay open until the
 * process ends.
 */
void ReleaseCleanupRecords(void);

/** Unlinks @a pRecord from the list and frees it; its handle is not touched. */
void DropCleanupRecord(CleanupRecord *pRecord);

/**
 * Closes every record's handle and removes the recorded objects, then
 * @a pszFinalDir when given; retries for up to 9,100 ms while something
 * still holds or fills them.
 *
 * Up to five passes (0 to 4) walk the list from the front:
 *  - the handle is closed in the first pass that meets it ("Cleanup file
 *    '%s' for #%u: RTFileClose(%p) failed: %Rrc" or "Cleanup dir ..."
 *    RTDirClose... on standard error when that fails) and forgotten;
 *  - a record with fDontDelete is dropped;
 *  - otherwise the file is deleted or the (empty) directory removed; done or
 *    not found drops the record; a directory that is not empty is retried
 *    and in pass 4 dropped silently; any other failure is retried and in
 *    pass 4 shown ("Failed to delete temporary file '%s': %Rrc" or "...
 *    directory ...") with the record left listed.
 * When the list is empty, or after pass 4, @a pszFinalDir is removed (not
 * recursively); done, not found or pass 4 ends the clean-up, a failure is
 * never reported. Between passes the clean-up sleeps 100 ms after pass 0 and
 * 3000 ms after passes 1 to 3. It has no result.
 *
 * @param pszFinalDir  A directory to remove after the records, or null.
 */
void CleanUpRecords(const char *pszFinalDir);

#endif
