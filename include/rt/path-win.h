/** @file
 * The Windows side of path handling: UTF-8 paths turned into the UTF-16 form
 * Win32 calls take, and into native (NT) paths opened with the native calls.
 *
 * Windows only. Every function validates its pointers (ERR_INVALID_POINTER)
 * and clears its outputs before anything else, so no partial result is ever
 * left behind with a failure status. All functions are re-entrant; relative
 * paths are resolved against the process-wide current directory at the time
 * of the call.
 */
#ifndef RT_PATH_WIN_H
#define RT_PATH_WIN_H

#include <rt/types.h>
#include <rt/path.h>
#include <windows.h>
#include <winternl.h>

/* RTNTPATH_MAX_UNITS and the raw native-path prefix RTNTPATH_RAW_PREFIX are in rt/path.h. */

/**
 * A native path as the NT calls take it: Length is the size in bytes without
 * the terminator, MaximumLength is Length + 2, Buffer is always NUL-terminated.
 * Owned by whoever received it from RTNtPathFromWinUtf8; freed with RTNtPathFree.
 */
typedef UNICODE_STRING RTNTPATH;

/**
 * Converts a UTF-8 path into a UTF-16 string for the Win32 file calls. Every
 * UTF-8 path the runtime hands to a Win32 path call goes through here.
 *
 * A path of at most 243 UTF-16 units is given in plain form, which is its text
 * as it is ('/', "." and ".." stay), when its form leaves room for what the
 * Win32 layer adds to it: root-relative paths up to 241 units, UNC and
 * '\\?\' paths up to 240, relative paths while the current directory's length
 * (with terminator) plus theirs is at most 242. A drive-relative path ('C:x')
 * is replaced by its full path when that is at most 243 units.
 *
 * Every other path is given in the long form: its native form (see
 * RTNtPathFromWinUtf8) with '\??\' written as '\\?\', such as '\\?\C:\...' or
 * '\\?\UNC\server\share\...'. So "." and ".." are resolved and '/' becomes
 * '\', except in a path that already starts with '\\?\' (either separator),
 * which keeps its text after that prefix.
 * A path whose native form has no such prefix (a raw native path, see above,
 * or any path on systems older than major version 4) has no long form and
 * fails with ERR_FILENAME_TOO_LONG, as does one whose native form would exceed
 * RTNTPATH_MAX_UNITS.
 *
 * @returns status; invalid UTF-8 gives the conversion's status, a long form the
 *          statuses of RTNtPathFromWinUtf8.
 * @param   ppwszPath   Receives the string (null on failure); free it with RTPathWin32Free.
 * @param   pszPath     The path.
 */
int RTPathToWin32(RTUTF16 **ppwszPath, const char *pszPath);

/** Frees a string from RTPathToWin32; null is allowed. */
void RTPathWin32Free(RTUTF16 *pwszPath);

/**
 * Converts a UTF-8 path into a native path.
 *
 * - A raw native path (RTNTPATH_RAW_PREFIX) is taken as it is.
 * - '\\?\x' becomes '\??\x' without any other change (no "." or ".." resolution).
 * - Everything else is first made absolute (DOS style, against the current
 *   directory or drive), then, by the form of the absolute path, '\\.\x' becomes
 *   '\??\x', '\\server\share\x' becomes '\??\UNC\server\share\x' (also for a relative
 *   path under a UNC current directory) and any other path 'X:\y' becomes '\??\X:\y'.
 * On systems older than major version 4 the prefix is '\DosDevices\' in place of '\??\'.
 *
 * @returns status: ERR_FILENAME_TOO_LONG when the result would exceed
 *          RTNTPATH_MAX_UNITS units, ERR_NO_TMP_MEMORY when scratch memory for
 *          a long path cannot be had, ERR_NO_UTF16_MEMORY when the result cannot,
 *          or the status of making the path absolute or of the UTF-16 conversion.
 * @param   pNtName     Receives the native path (zeroed on failure); free it with RTNtPathFree.
 * @param   phRootDir   Receives the root directory handle, always null (every result is absolute).
 * @param   pszPath     The path.
 */
int RTNtPathFromWinUtf8(RTNTPATH *pNtName, HANDLE *phRootDir, const char *pszPath);

/** Frees the buffer of @a pNtName and clears the record; a cleared record or null is allowed. */
void RTNtPathFree(RTNTPATH *pNtName);

/**
 * Opens an existing native path with NtCreateFile (FILE_OPEN, normal attributes).
 *
 * When the open reports STATUS_INVALID_PARAMETER and the path does not end in
 * '\', it is retried with '\' appended, which is how volume roots like '\??\C:'
 * open. When @a pfObjDir is given and the path names no file-system object
 * (STATUS_OBJECT_NAME_INVALID or STATUS_OBJECT_TYPE_MISMATCH), it is opened as
 * an object directory instead, the access translated into directory rights:
 * DIRECTORY_ALL_ACCESS for all standard rights or GENERIC_ALL; otherwise
 * DIRECTORY_QUERY, DIRECTORY_CREATE_OBJECT | DIRECTORY_CREATE_SUBDIRECTORY for
 * write without read rights, all three for both, plus DIRECTORY_TRAVERSE for
 * FILE_TRAVERSE.
 *
 * @returns status; an NT failure is converted with RTErrConvertFromNtStatus.
 * @param   pNtName         The native path.
 * @param   hRootDir        Root directory handle the path is relative to, or null.
 * @param   fDesiredAccess  Access mask (FILE_LIST_DIRECTORY, GENERIC_READ, SYNCHRONIZE...).
 * @param   fShareAccess    FILE_SHARE_* bits.
 * @param   fCreateOptions  FILE_DIRECTORY_FILE, FILE_SYNCHRONOUS_IO_NONALERT...
 * @param   fObjAttribs     Object attribute flags; the runtime passes OBJ_CASE_INSENSITIVE.
 * @param   phHandle        Receives the handle, INVALID_HANDLE_VALUE on failure.
 * @param   pfObjDir        Optional: allows the object-directory fallback and tells
 *                          whether it was taken (false on failure).
 */
int RTNtPathOpen(const RTNTPATH *pNtName, HANDLE hRootDir, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                 ULONG fCreateOptions, ULONG fObjAttribs, HANDLE *phHandle, bool *pfObjDir);

/**
 * Converts @a pszPath with RTNtPathFromWinUtf8 and opens it with RTNtPathOpen.
 * The object-directory fallback is allowed only for raw native paths
 * (RTNTPATH_RAW_PREFIX); for other paths *pfObjDir is just set to false.
 * Arguments and result as for RTNtPathOpen.
 */
int RTNtPathOpenDir(const char *pszPath, ACCESS_MASK fDesiredAccess, ULONG fShareAccess, ULONG fCreateOptions,
                    ULONG fObjAttribs, HANDLE *phHandle, bool *pfObjDir);

/** Closes a handle from RTNtPathOpen or RTNtPathOpenDir (NtClose); the NT status is converted. */
int RTNtPathClose(HANDLE hHandle);

#endif
