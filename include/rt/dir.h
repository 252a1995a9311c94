/** @file
 * Directories: creating and removing them, creating a uniquely named one from
 * a template, asking whether a path is one, and holding one open.
 *
 * Paths are UTF-8; '\' and '/' both separate. Functions returning int return a
 * status (rt/err.h); pointer arguments must satisfy RT_VALID_PTR, else
 * ERR_INVALID_POINTER. Failures of the system are mapped to statuses; nothing
 * is printed.
 *
 * An open directory (RTDIR) does not share delete access: while it is open,
 * nobody can remove or rename that directory, this process included. Close it
 * before removing the directory.
 */
#ifndef RT_DIR_H
#define RT_DIR_H

#include <rt/types.h>
#include <rt/err.h>
#include <rt/file.h>

/** An open directory (opaque). */
typedef struct RTDIRINTERNAL *RTDIR;
/** The null directory handle. */
#define NIL_RTDIR ((RTDIR)0)

/** @name Mode normalisation
 * @{ */

/**
 * Completes a file-system object mode so that its Unix and Windows halves
 * agree.
 *
 * - A mode with neither permission nor type bits is derived from its Windows
 *   attribute bits by RTFsModeFromWinAttr (with @a pszName and @a fType as
 *   name and type hint).
 * - A mode with Windows attribute bits gets a type when it has none (directory
 *   when the directory attribute is set, else regular file); a directory type
 *   gets the directory attribute.
 * - A mode with Unix bits only gets the type @a fType when it has none, the
 *   read-only attribute when no write permission is set, the directory
 *   attribute for a directory type, the normal attribute when it still has no
 *   attribute, and the hidden attribute when the file name of @a pszName
 *   starts with '.' and is neither "." nor "..".
 *
 * The result may still be inconsistent (a directory type with a regular-file
 * attribute set, say); RTFsModeIsConsistent tells.
 *
 * @param fMode    The mode.
 * @param pszName  The object's path or name, or null.
 * @param cchName  Its length, or 0 to measure it.
 * @param fType    Type bits (RTFS_TYPE_XXX) to assume when the mode has none; 0 for none.
 */
RTFMODE RTFsModeNormalize(RTFMODE fMode, const char *pszName, size_t cchName, RTFMODE fType);

/** True when the mode has the directory type exactly when it has the directory attribute. */
bool RTFsModeIsConsistent(RTFMODE fMode);
/** @} */

/** @name Creating and removing
 * @{ */

/** RTDirCreate flag: do not mark the new directory not-content-indexed. */
#define RTDIRCREATE_F_KEEP_INDEXED UINT32_C(2)
/** RTDirCreate flag: a failure to mark it not-content-indexed is ignored. */
#define RTDIRCREATE_F_INDEX_ATTR_OPTIONAL UINT32_C(4)
/** Mask of the valid RTDirCreate flags. */
#define RTDIRCREATE_F_VALID_MASK UINT32_C(6)

/**
 * Creates the directory @a pszPath (its parent must exist).
 *
 * The mode is normalised with the directory type as hint and must then be
 * consistent. On Windows a mode that grants its owner something and group and
 * others nothing (0700) makes the directory private: it gets a protected DACL
 * that gives full control to the creating user, SYSTEM and the Administrators
 * group only, inherited by everything created inside; any other mode leaves
 * the directory with what it inherits from its parent. Unless
 * RTDIRCREATE_F_KEEP_INDEXED is given the directory is marked
 * not-content-indexed afterwards.
 *
 * @returns INF_SUCCESS; ERR_INVALID_FMODE for an inconsistent mode;
 *          ERR_INVALID_FLAGS for unknown flags; ERR_ALREADY_EXISTS when the
 *          path exists; ERR_PATH_NOT_FOUND when the parent is missing; the
 *          mapped error of marking the directory (it then exists all the same)
 *          unless RTDIRCREATE_F_INDEX_ATTR_OPTIONAL is given; other mapped errors.
 */
int RTDirCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate);

/** Number of names RTDirCreateTemp tries before it gives up. */
#define RTDIRTEMP_MAX_ATTEMPTS 10000

/**
 * Creates a new directory whose name is made from the template in
 * @a pszTemplate, which is changed in place.
 *
 * The characters replaced are the run of trailing 'X's when the template ends
 * in 'X'; otherwise the right-most group of three or more 'X's within the
 * file name, which must be longer than three characters. Each is replaced by
 * a random character of "0123456789abcdefghijklmnopqrstuvwxyz". A name that
 * exists already is replaced by a fresh one, up to RTDIRTEMP_MAX_ATTEMPTS
 * times; the directory is created by RTDirCreate with @a fMode and no flags.
 *
 * @returns INF_SUCCESS with the created path in @a pszTemplate.
 *          On failure @a pszTemplate holds an empty string (never a stale
 *          name): ERR_INVALID_PARAMETER for a template without characters to
 *          replace, ERR_ALREADY_EXISTS after the last attempt, or the first
 *          other failure of RTDirCreate (no further attempts).
 *          ERR_INVALID_POINTER for a bad pointer (the buffer is not touched).
 */
int RTDirCreateTemp(char *pszTemplate, RTFMODE fMode);

/**
 * Removes the empty directory @a pszPath.
 * @returns INF_SUCCESS; ERR_DIR_NOT_EMPTY when it has entries;
 *          ERR_SHARING_VIOLATION when someone holds it open without sharing
 *          delete access (an open RTDIR does); other mapped errors.
 */
int RTDirRemove(const char *pszPath);

/** True when @a pszPath names a directory (following a final symbolic link); false on any failure. */
bool RTDirExists(const char *pszPath);
/** @} */

/** @name Open directories
 * @{ */

/** Filter kinds of RTDirOpenFiltered. */
typedef enum RTDIRFILTER
{
    RTDIRFILTER_INVALID = 0,
    /** No filter. */
    RTDIRFILTER_NONE = 1,
    /** The file-name part of the path is a Windows wildcard pattern ('*', '?', '<', '>', '"'). */
    RTDIRFILTER_WINNT = 2,
    /** Unix wildcards: not implemented. */
    RTDIRFILTER_UNIX = 3,
    /** Unix wildcards, upper-cased: not implemented. */
    RTDIRFILTER_UNIX_UPCASED = 4,
    RTDIRFILTER_END
} RTDIRFILTER;

/** RTDirOpenFiltered flag: do not follow a final symbolic link (it gives ERR_IS_A_SYMLINK). */
#define RTDIR_F_NO_FOLLOW UINT32_C(4)
/** RTDirOpenFiltered flag: keep the path as passed instead of making it absolute. */
#define RTDIR_F_NO_ABS_PATH UINT32_C(8)
/** Mask of the flags RTDirOpenFiltered accepts (bits 0 and 1 are reserved and ignored). */
#define RTDIR_F_VALID_MASK UINT32_C(15)

/** Magic of an open directory record. */
#define RTDIR_MAGIC UINT32_C(0x19291112)
/** Magic of a closed directory record. */
#define RTDIR_MAGIC_DEAD UINT32_C(0xE6D6EEED)

/**
 * Opens the directory @a pszPath and holds it: the handle shares reading and
 * writing but not deleting, so the directory cannot be removed or renamed
 * while it is open.
 *
 * With RTDIRFILTER_WINNT the file-name part of @a pszPath is taken as the
 * entry filter and the part before it as the directory (the current
 * directory when there is none); a path without a file-name part has no
 * filter. The filter "*" means none.
 *
 * @returns INF_SUCCESS with the handle in *phDir; on failure *phDir is
 *          NIL_RTDIR (after the pointer checks):
 *          ERR_INVALID_POINTER; ERR_INVALID_FLAGS for flags above 15;
 *          ERR_NOT_IMPLEMENTED for the Unix filter kinds;
 *          ERR_INVALID_PARAMETER for other unknown kinds; ERR_NO_MEMORY;
 *          the status of making the path absolute (ERR_PATH_ZERO_LENGTH for
 *          an empty path); ERR_NOT_A_DIRECTORY when the path names a file;
 *          ERR_IS_A_SYMLINK for a symbolic link with RTDIR_F_NO_FOLLOW
 *          (unless the path ends in a separator); other mapped errors.
 */
int RTDirOpenFiltered(RTDIR *phDir, const char *pszPath, RTDIRFILTER enmFilter, uint32_t fFlags);

/** RTDirOpenFiltered without a filter and with no flags. */
int RTDirOpen(RTDIR *phDir, const char *pszPath);

/**
 * Closes an open directory and frees its record.
 * @returns INF_SUCCESS (a failure to close the system handle is not reported);
 *          ERR_INVALID_PARAMETER for null, a bad pointer or a record that is
 *          not open (closed already).
 */
int RTDirClose(RTDIR hDir);

/** True when @a hDir is a valid pointer to an open directory record. */
bool RTDirIsValid(RTDIR hDir);
/** @} */

#endif
