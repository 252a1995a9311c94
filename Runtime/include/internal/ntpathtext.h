/** @file
 * The text of native (NT) paths, built from UTF-8 Win32 paths: the portable
 * core of RTNtPathFromWinUtf8 and of the long form of RTPathToWin32. It reads
 * nothing from the system but the current directory (through RTPathAbsEx), so
 * it builds and is tested in every build.
 *
 * The forms, tried in this order:
 * - raw: RTNTPATH_RAW_PREFIX; the rest from the prefix's last separator on,
 *   that separator written as '\', nothing else changed;
 * - long: '\\?\x' (either separator at the three places) becomes '\??\x',
 *   nothing else changed (no "." or ".." resolution, '/' kept);
 * - everything else is made absolute (RTPathAbsEx, DOS style), and the form of
 *   the absolute path picks the prefix: '\\.\x' becomes '\??\x',
 *   '\\server\x' becomes '\??\UNC\server\x', any other 'X:\y' becomes '\??\X:\y'.
 * Systems older than major version 4 take '\DosDevices\' where the others take '\??\'.
 */
#ifndef RT_INTERNAL_NTPATHTEXT_H
#define RT_INTERNAL_NTPATHTEXT_H

#include <rt/path.h>

/**
 * Native path text under construction: a first buffer inside the record, a
 * heap buffer for longer paths. Initialise with rtNtPathTextInit, release with
 * rtNtPathTextFree (also after a failure).
 */
typedef struct RTNTPATHTEXT
{
    /** The native path, NUL-terminated; points into szFirst or pszHeap. Null until built. */
    char *psz;
    /** Its length in bytes. */
    size_t cch;
    /** The heap buffer, or null. */
    char *pszHeap;
    /** The first buffer: absolute paths up to RTPATH_MAX bytes with their prefix need no heap. */
    char szFirst[RTPATH_MAX];
} RTNTPATHTEXT;

/** Prepares @a pText for rtNtPathTextFromWin. */
void rtNtPathTextInit(RTNTPATHTEXT *pText);

/** Frees what @a pText holds and prepares it for reuse. */
void rtNtPathTextFree(RTNTPATHTEXT *pText);

/** True for a path starting with RTNTPATH_RAW_PREFIX (either separator at each of its three places). */
bool rtNtPathHasRawPrefix(const char *pszPath);

/** True when a system of major version @a uMajor takes '\DosDevices\' in place of '\??\'. */
bool rtNtPathUsesDosDevices(uint32_t uMajor);

/**
 * Builds into @a pText the native path text of the UTF-8 Win32 path @a
 * pszPath for a system of major version @a uOsMajor (forms above). The length
 * limit in UTF-16 units is not applied here: rtNtPathTextToUtf16 applies it.
 *
 * Making a path absolute tries the first buffer, then heap buffers growing by
 * at least 256 bytes each, 8 attempts in all (the last one at least 128 KiB).
 *
 * @returns status: ERR_NO_TMP_MEMORY when a heap buffer cannot be had,
 *          ERR_FILENAME_TOO_LONG after the eighth attempt is still too small,
 *          ERR_INVALID_NAME when the absolute path lacks the characters its
 *          prefix replaces, or the status of RTPathAbsEx (ERR_PATH_ZERO_LENGTH
 *          for an empty path). On failure pText->psz stays null.
 * @param pText     Initialised record; receives the text.
 * @param pszPath   The path, a valid pointer.
 * @param uOsMajor  The system's major version.
 */
int rtNtPathTextFromWin(RTNTPATHTEXT *pText, const char *pszPath, uint32_t uOsMajor);

/**
 * Converts native path text to a fresh UTF-16 string (free with RTUtf16Free).
 * @returns status: ERR_FILENAME_TOO_LONG beyond RTNTPATH_MAX_UNITS units, or
 *          the conversion's (ERR_NO_UTF16_MEMORY, invalid UTF-8). *ppwsz is
 *          null on failure.
 */
int rtNtPathTextToUtf16(const char *pszText, RTUTF16 **ppwsz, size_t *pcwc);

#endif
