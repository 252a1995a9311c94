/** @file
 * Paths: text operations (append, join, file name, suffix, root), parsing into
 * components and reassembly, absolute paths, the current directory, renaming
 * and the well-known directories (the executable's and the temporary one).
 *
 * Path text is UTF-8 and NUL-terminated. On input '\' and '/' both separate
 * components; text produced here uses '\' unless the Unix style is asked for.
 * A drive designator is one ASCII letter and ':'; a UNC path starts with two
 * separators and a server name.
 *
 * Conventions: functions returning int return a status (rt/err.h). A size is
 * the full buffer size in bytes including the terminator; a result that does
 * not fit gives ERR_BUFFER_OVERFLOW. Pointer arguments must satisfy
 * RT_VALID_PTR, else ERR_INVALID_POINTER. Unless a function says otherwise a
 * destination must not overlap its inputs. Everything is re-entrant; the
 * current directory is process-wide and read at the time of each call.
 */
#ifndef RT_PATH_H
#define RT_PATH_H

#include <rt/types.h>
#include <rt/err.h>
#include <rt/string.h>

/** Size of every path buffer: bytes for UTF-8, units for UTF-16. */
#define RTPATH_MAX 4100

/** @name Native path forms: limits and prefixes of the Windows native layer's
 * paths, plain text rules that the conversion applies in every build.
 * @{ */
/** The most UTF-16 units a native path may have (its byte length must fit 16 bits with the terminator). */
#define RTNTPATH_MAX_UNITS 32766

/**
 * Raw native-path prefix: a path of the form "\\:soltnt:\Some\Nt\Path" (each of
 * the first two and the last separator may be '\' or '/') is handed to the
 * native layer as "\Some\Nt\Path", from the last separator on, unchanged except
 * that this separator is always written as '\'.
 */
#define RTNTPATH_RAW_PREFIX "\\\\:soltnt:\\"
/** Length of RTNTPATH_RAW_PREFIX in bytes. */
#define RTNTPATH_RAW_PREFIX_LEN 11
/** @} */

/** @name Path styles: the two low bits of the flags of RTPathParse,
 * RTPathParsedReassemble, RTPathAbsEx and RTPathAppendEx. Style 3 is refused
 * with ERR_INVALID_FLAGS.
 * @{ */
/** The host's style: DOS on this platform. */
#define RTPATH_STYLE_HOST UINT32_C(0)
/** '\' and '/' separate, drive letters and UNC roots; output separator '\'. */
#define RTPATH_STYLE_DOS UINT32_C(1)
/** Only '/' separates ('\' is an ordinary character); output separator '/'. */
#define RTPATH_STYLE_UNIX UINT32_C(2)
/** Mask of the style bits. */
#define RTPATH_STYLE_MASK UINT32_C(3)
/** @} */

/** @name Text operations
 * @{ */

/**
 * Appends @a pszAppend (at most @a cchAppendMax bytes of it) to the path in
 * @a pszPath as a further component, with exactly one separator between them.
 *
 * - The path must have a terminator within @a cbPathDst, else ERR_INVALID_PARAMETER.
 * - A null or empty text leaves the path as it is; an empty path becomes the text.
 * - When the path ends in separators, surplus ones are trimmed (never into the
 *   root part) and the text's leading separators dropped; otherwise a
 *   run of leading separators of the text is reduced to one, or '\' ('/' in Unix
 *   style) is put in between. A bare drive 'X:' gets no separator ('X:foo').
 * - A result that does not fit gives ERR_BUFFER_OVERFLOW and leaves the path
 *   unchanged.
 *
 * @param fFlags  one of the RTPATH_STYLE_XXX values; anything else is ERR_INVALID_FLAGS.
 */
int RTPathAppendEx(char *pszPath, size_t cbPathDst, const char *pszAppend, size_t cchAppendMax, uint32_t fFlags);

/** RTPathAppendEx without a length limit, in the host style. */
int RTPathAppend(char *pszPath, size_t cbPathDst, const char *pszAppend);

/**
 * Copies @a pszPathSrc to @a pszPathDst and appends @a pszAppend as
 * RTPathAppend does. ERR_BUFFER_OVERFLOW when the result does not fit; on any
 * failure the destination is unchanged. @a pszPathSrc may be @a pszPathDst.
 */
int RTPathJoin(char *pszPathDst, size_t cbPathDst, const char *pszPathSrc, const char *pszAppend);

/**
 * RTPathJoin into a new string; null on failure (no memory, bad pointer).
 * Free the result with RTStrFree.
 */
char *RTPathJoinA(const char *pszPathSrc, const char *pszAppend);

/** The text after the last '\', '/' or ':', or null when that is empty (or the pointer is bad). */
char *RTPathFilename(const char *pszPath);

/**
 * The last '.' of the path that no '\', '/' or ':' follows, or null when there
 * is none, or it is the first or the last character of the whole path.
 */
char *RTPathSuffix(const char *pszPath);

/**
 * Measures a path in one pass (DOS style).
 *
 * @returns the length of the path (0 for a bad pointer).
 * @param pcchDir   optional: length of the directory part, without separators
 *                  before the name but never shorter than the root ('C:\dir\prog.exe'
 *                  gives 6, 'C:\prog.exe' gives 3).
 * @param poffName  optional: offset of the last component, -1 when the path is
 *                  empty or ends in a separator (or in its root, as 'C:').
 * @param poffSuff  optional: offset of the last '.' of the name when that is
 *                  neither its first nor its last character, else -1.
 */
size_t RTPathParseSimple(const char *pszPath, size_t *pcchDir, ptrdiff_t *poffName, ptrdiff_t *poffSuff);

/**
 * Length of the root part: 0 for null, empty or none; 1 for a leading
 * separator (also for two separators followed by the end or a third one); 2 for
 * 'X:', 3 for 'X:\'; for '\\server\share' the length through the share name
 * plus one following separator if there is one.
 */
size_t RTPathRootSpecLen(const char *pszPath);

/** True when the path starts with '\' or '/', or with a drive 'X:' (drive-relative counts). */
bool RTPathStartsWithRoot(const char *pszPath);

/** True when RTPathSuffix finds a suffix. */
bool RTPathHasSuffix(const char *pszPath);

/** True when the text contains '\', '/' or ':'. */
bool RTPathHasPath(const char *pszPath);

/** Turns every '/' into '\' in place and returns @a pszPath. @a fForce has no effect here. */
char *RTPathChangeToDosSlashes(char *pszPath, bool fForce);

/**
 * Makes the path in @a pszPath end in a separator: an empty path becomes '.\',
 * a path ending in '\', '/' or ':' stays, anything else gets '\'.
 * @returns the new length, or 0 when it does not fit in @a cbPath (or the path
 *          has no terminator within it; the buffer is then unchanged).
 */
size_t RTPathEnsureTrailingSeparator(char *pszPath, size_t cbPath);

/**
 * Removes trailing '\' and '/' in place, but keeps a drive root 'X:\' and never
 * shortens the path below one character. @returns the new length.
 */
size_t RTPathStripTrailingSlash(char *pszPath);
/** @} */

/** @name Current directory, renaming and well-known directories
 * @{ */

/**
 * The current directory in its full form with an upper-case drive letter.
 * ERR_BUFFER_OVERFLOW when it does not fit (also for size 0);
 * ERR_FILENAME_TOO_LONG when it has RTPATH_MAX UTF-16 units or more.
 */
int RTPathGetCurrent(char *pszPath, size_t cbPath);

/**
 * The current directory of drive @a chDrive ('A'-'Z' or 'a'-'z', else
 * ERR_INVALID_PARAMETER): the current directory when it is on that drive, else
 * the drive's own remembered one or its root. The letter's case is as the
 * system reports it.
 */
int RTPathGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath);

/**
 * The current drive: 'X:' or '\\server\share' cut from the current directory.
 * ERR_INTERNAL_ERROR_4 when the current directory has neither form.
 */
int RTPathGetCurrentDrive(char *pszPath, size_t cbPath);

/**
 * Changes the process's current directory (a relative path is taken from the
 * current one). One trailing separator is dropped unless it follows ':'.
 * ERR_INVALID_PARAMETER for an empty path.
 */
int RTPathSetCurrent(const char *pszPath);

#ifdef RT_OS_WINDOWS
/** Mode type bits of a directory, for RTPathRename's expected type. */
#define RTPATH_RENAME_TYPE_DIRECTORY UINT32_C(0x4000)
/** Mask of the mode type bits. */
#define RTPATH_RENAME_TYPE_MASK UINT32_C(0xf000)

/**
 * Renames or moves @a pszSrc to @a pszDst with MoveFileExW and @a fRename as
 * its flags (MOVEFILE_REPLACE_EXISTING and companions).
 * @param fFileType  0 for any object; otherwise the mode type bits the source
 *                   must have: a directory (0x4000) must be one, else
 *                   ERR_NOT_A_DIRECTORY; any other type must not be one, else
 *                   ERR_IS_A_DIRECTORY.
 */
int RTPathRename(const char *pszSrc, const char *pszDst, uint32_t fRename, uint32_t fFileType);
#endif

/**
 * The directory of the running executable, without a trailing separator
 * unless it is a root ('C:\'). ERR_WRONG_ORDER before start-up has recorded
 * the executable path.
 */
int RTPathExecDir(char *pszPath, size_t cbPath);

/**
 * The temporary directory: the first of the environment variables
 * "SOLT_TMPDIR", "TMP", "TEMP" and "USERPROFILE" that is set, read straight
 * into @a pszPath; the first lookup that finds its variable ends the search,
 * also when it fails (ERR_BUFFER_OVERFLOW, a conversion error). The value is
 * taken as it is, even empty. With none set, "/tmp".
 */
int RTPathTemp(char *pszPath, size_t cbPath);
/** @} */

/** @name Parsing
 * @{ */

/** RTPathParse flag: the text is a middle piece: leading separators are skipped, no root is taken, and
 * the properties start as RTPATH_PROP_RELATIVE | RTPATH_PROP_EXTRA_SLASHES, leading separators or not. */
#define RTPATH_PARSE_F_NO_START UINT32_C(0x10)
/** RTPathParse flag: the text is not the end: no file name or suffix, a trailing separator is an extra one. */
#define RTPATH_PARSE_F_NO_END UINT32_C(0x20)

/** @name Properties of a parsed path (RTPATHCOMPONENTS::fProps).
 * @{ */
#define RTPATH_PROP_FILENAME      UINT16_C(0x0001) /**< ends in a component, not a separator */
#define RTPATH_PROP_DIR_SLASH     UINT16_C(0x0002) /**< ends in separators; on output: write a trailing one */
#define RTPATH_PROP_SUFFIX        UINT16_C(0x0004) /**< the last component has a suffix */
#define RTPATH_PROP_UNC           UINT16_C(0x0010) /**< starts with two separators */
#define RTPATH_PROP_ROOT_SLASH    UINT16_C(0x0020) /**< the root ends in a separator ('\', 'X:\', '\\server\') */
#define RTPATH_PROP_VOLUME        UINT16_C(0x0040) /**< starts with a drive letter and ':' */
#define RTPATH_PROP_ABSOLUTE      UINT16_C(0x0100) /**< absolute and without a ".." component */
#define RTPATH_PROP_RELATIVE      UINT16_C(0x0200) /**< relative, or with a ".." component */
#define RTPATH_PROP_EXTRA_SLASHES UINT16_C(0x0400) /**< a run of two or more separators after the root */
#define RTPATH_PROP_DOT_REFS      UINT16_C(0x0800) /**< a "." component occurs */
#define RTPATH_PROP_DOTDOT_REFS   UINT16_C(0x1000) /**< a ".." component occurs */
#define RTPATH_PROP_SPECIAL_UNC   UINT16_C(0x2000) /**< the UNC server name is '.' or '?' */
/** @} */

/** One component of a parsed path: where it lies in the parsed text. A cch of 0 marks it removed. */
typedef struct RTPATHCOMPONENT
{
    uint16_t off; /**< Offset in the parsed text. */
    uint16_t cch; /**< Length; 0 when removed. */
} RTPATHCOMPONENT;

/**
 * A parsed path. The caller allocates it with room for as many components as
 * it likes: a record of cb bytes holds RTPATHCOMPONENTS_CAPACITY(cb) of them.
 */
typedef struct RTPATHCOMPONENTS
{
    uint16_t cComps;    /**< Components, the root (component 0) included when there is one. */
    uint16_t fProps;    /**< RTPATH_PROP_XXX. */
    uint16_t cchPath;   /**< Length with single separators and no trailing one. */
    uint16_t offSuffix; /**< Offset of the suffix's '.', the end of the text when there is none. */
    uint16_t cchSuffix; /**< Length of the suffix with its '.', 0 when there is none. */
    uint16_t u16Reserved;
    RTPATHCOMPONENT aComps[1]; /**< cComps entries (as far as the record's capacity goes). */
} RTPATHCOMPONENTS;
typedef RTPATHCOMPONENTS *PRTPATHCOMPONENTS;

/** Size of the record's fixed part; the smallest size RTPathParse accepts. */
#define RTPATHCOMPONENTS_HDR_SIZE 12
/** Components a record of @a cb bytes (at least the fixed part) holds. */
#define RTPATHCOMPONENTS_CAPACITY(cb) ((cb) > 262091 ? 65520 : ((cb)-RTPATHCOMPONENTS_HDR_SIZE) / 4)
/** Size of a record that holds @a cComps components. */
#define RTPATHCOMPONENTS_SIZE(cComps) (RTPATHCOMPONENTS_HDR_SIZE + 4 * (size_t)(cComps))

/**
 * Splits @a pszPath into its root and components.
 *
 * Root forms (DOS style): '\' (root-relative), '\\server\' or '\\server'
 * (UNC), 'X:\' (absolute) and 'X:' (drive-relative); the root is component 0.
 * In Unix style the only root is '/' (absolute; further leading '/' are extra
 * separators) and '\' is an ordinary character.
 *
 * @returns INF_SUCCESS; ERR_INVALID_PARAMETER when @a cbParsed is below
 *          RTPATHCOMPONENTS_HDR_SIZE; ERR_PATH_ZERO_LENGTH for an empty path
 *          (or an empty middle piece); ERR_INVALID_FLAGS; ERR_FILENAME_TOO_LONG
 *          when the path is longer than 65535 bytes; ERR_BUFFER_OVERFLOW when
 *          the components exceed the record's capacity: the record is filled as
 *          far as it goes and cComps holds the real count, so a record of
 *          RTPATHCOMPONENTS_SIZE(cComps) bytes will do.
 * @param fFlags  a style and RTPATH_PARSE_F_NO_START, RTPATH_PARSE_F_NO_END.
 */
int RTPathParse(const char *pszPath, PRTPATHCOMPONENTS pParsed, size_t cbParsed, uint32_t fFlags);

/**
 * Writes the path of @a pParsed (parsed from @a pszSrcPath, possibly with
 * components removed or DIR_SLASH changed since) to @a pszDstPath: the root
 * as it was with its separators turned into the style's, the remaining
 * components joined by single separators, and a trailing separator when
 * DIR_SLASH is set and a component follows the root. Component text is copied
 * unchanged. @a pszDstPath may be @a pszSrcPath (the text only shrinks).
 *
 * @returns INF_SUCCESS with cchPath set to the output length;
 *          ERR_BUFFER_OVERFLOW with cchPath set to the length needed (without
 *          the terminator) and an empty destination (when @a cbDstPath is not 0);
 *          ERR_INVALID_PARAMETER for a record without components;
 *          ERR_INVALID_FLAGS for anything but a style.
 */
int RTPathParsedReassemble(const char *pszSrcPath, PRTPATHCOMPONENTS pParsed, uint32_t fFlags, char *pszDstPath,
                           size_t cbDstPath);
/** @} */

/** @name Absolute paths
 * @{ */

/** RTPathAbsEx flag: ".." never removes components of the given base. */
#define RTPATHABS_F_STOP_AT_BASE UINT32_C(0x10000)
/** RTPathAbsEx flag: ".." never removes components of the current directory when it serves as base. */
#define RTPATHABS_F_STOP_AT_CWD UINT32_C(0x20000)
/** RTPathAbsEx flag: the result ends in a separator (unless it is only a root). */
#define RTPATHABS_F_ENSURE_TRAILING_SLASH UINT32_C(0x40000)

/**
 * Makes @a pszPath absolute: "." components are removed, ".." removes the
 * component before it (never the root, nor the share of a UNC path), and
 * separators are normalised to the style's.
 *
 * - An absolute path is only normalised (its drive letter upper-cased).
 * - A root-relative path ('\x', or one with "..") is put on the drive or
 *   share of @a pszBase, or on the current drive.
 * - A relative path is taken from @a pszBase (made absolute first when it is
 *   not), or from the current directory when there is no base; 'X:foo' is
 *   taken from the current directory of drive X unless the base is on X.
 *
 * @returns INF_SUCCESS with *pcbAbsPath set to the output length;
 *          ERR_BUFFER_OVERFLOW with *pcbAbsPath set to a size that suffices
 *          (the length needed plus one) and an empty destination when it has
 *          room for that; ERR_PATH_ZERO_LENGTH for an empty path;
 *          ERR_INVALID_FLAGS; ERR_PATH_INVALID_BASE for a base that is only a
 *          root without a separator ('\\server'); ERR_NO_TMP_MEMORY;
 *          ERR_FILENAME_TOO_LONG.
 * @param pszBase     base path, or null (an empty one counts as null).
 * @param fFlags      a style and RTPATHABS_F_XXX.
 * @param pcbAbsPath  in: the destination's size; out: as above.
 */
int RTPathAbsEx(const char *pszBase, const char *pszPath, uint32_t fFlags, char *pszAbsPath, size_t *pcbAbsPath);

/** RTPathAbsEx without a base and with flags 0 (the output length is not returned). */
int RTPathAbs(const char *pszPath, char *pszAbsPath, size_t cbAbsPath);

/**
 * RTPathAbsEx into a new string of a size that fits; null on any failure.
 * Free the result with RTStrFree.
 */
char *RTPathAbsExDup(const char *pszBase, const char *pszPath, uint32_t fFlags);
/** @} */

#endif
