/** @file
 * Information about a file-system object named by a path.
 *
 * Windows only. The path is UTF-8; it is made absolute against the current
 * directory at the time of the call.
 */
#ifndef RT_PATHINFO_H
#define RT_PATHINFO_H

#include <rt/types.h>
#include <rt/err.h>
#include <rt/file.h>

/** RTPathQueryInfoEx flag: describe a final symbolic link itself. */
#define RTPATH_F_ON_LINK UINT32_C(1)
/** RTPathQueryInfoEx flag: describe what a final symbolic link points to. */
#define RTPATH_F_FOLLOW_LINK UINT32_C(2)
/** RTPathQueryInfoEx flag, combined with one of the above: no symbolic links on the way (accepted, not enforced). */
#define RTPATH_F_NO_SYMLINKS UINT32_C(4)

/**
 * Fills @a pObjInfo with the size, times and mode of the object @a pszPath
 * names, and the additional attributes @a enmAdditional asks for.
 *
 * The object is looked at without being held: with full sharing and only
 * attribute access, so objects others hold open can be described. When the
 * object itself cannot be opened (access denied, sharing violation), the
 * information comes from its entry in the parent directory, or, for a name in
 * the native object namespace, from the parent object directory (the type
 * only: directory, symbolic link, device or regular file).
 *
 * @returns INF_SUCCESS; ERR_INVALID_POINTER; ERR_INVALID_PARAMETER for an empty
 *          path, a kind outside RTOBJINFOADD_NOTHING..RTOBJINFOADD_EASIZE or
 *          flags other than RTPATH_F_ON_LINK or RTPATH_F_FOLLOW_LINK (either
 *          optionally with RTPATH_F_NO_SYMLINKS); the mapped status of the
 *          failure otherwise (ERR_FILE_NOT_FOUND, ERR_PATH_NOT_FOUND, ...).
 *          With RTPATH_F_ON_LINK a symbolic link has type RTFS_TYPE_SYMLINK.
 */
int RTPathQueryInfoEx(const char *pszPath, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdditional, uint32_t fFlags);

#endif
