/** @file
 * When RTPathToWin32 may hand a path to Win32 as it is (the plain form) and
 * how it writes the long form: the portable rules of the conversion, built and
 * tested in every build. The system is asked only what these rules cannot know
 * (the current directory's length, the full path of a drive-relative path).
 *
 * Plain-form limits by the path's form, n being its length in UTF-16 units
 * (never more than RTPATHWIN32_PLAIN_MAX):
 * - 'X:\...': always plain;
 * - 'X:...': plain as its full path when that has at most RTPATHWIN32_PLAIN_MAX units;
 * - '\x', or '\\' followed by the end or a separator: n <= 241;
 * - '\\server...' and '\\?\...': n <= 240;
 * - '\\?' followed by anything but a separator: always plain;
 * - relative: the current directory's length with its terminator plus n <= 242.
 */
#ifndef RT_INTERNAL_WIN32PATHFORM_H
#define RT_INTERNAL_WIN32PATHFORM_H

#include <rt/types.h>

/** Longest path passed in plain form; the Win32 layer's limit is 260 with the terminator,
 * and some calls (CreateDirectoryW) keep room for an 8.3 file name below it. */
#define RTPATHWIN32_PLAIN_MAX 243
/** Size in units of the buffer the full path of a drive-relative path is read into. */
#define RTPATHWIN32_FULL_PATH_BUF 261

/** What RTPathToWin32 does with a path of a given form and length. */
typedef enum RTPATHWIN32PLAIN
{
    /** The long form. */
    RTPATHWIN32PLAIN_NO,
    /** The plain form: the path as it is. */
    RTPATHWIN32PLAIN_YES,
    /** A relative path: plain when rtPathWin32RelativeFits() says so. */
    RTPATHWIN32PLAIN_IF_CWD_FITS,
    /** A drive-relative path: plain as its full path when that has at most RTPATHWIN32_PLAIN_MAX units. */
    RTPATHWIN32PLAIN_IF_FULL_FITS
} RTPATHWIN32PLAIN;

/**
 * The plain-form rule for the UTF-8 path @a pszPath of @a cwc UTF-16 units.
 * Only the path's first four characters decide its form, so the UTF-8 text
 * answers as its UTF-16 conversion would.
 */
RTPATHWIN32PLAIN rtPathWin32PlainRule(const char *pszPath, size_t cwc);

/** For RTPATHWIN32PLAIN_IF_CWD_FITS: whether a relative path of @a cwc units stays
 * plain under a current directory whose length with terminator is @a cwcCwdWithTerm. */
bool rtPathWin32RelativeFits(size_t cwcCwdWithTerm, size_t cwc);

/**
 * Turns native path text '\??\x' in place into the long Win32 form '\\?\x'
 * ('\??\UNC\s' into '\\?\UNC\s').
 * @returns ERR_FILENAME_TOO_LONG, text unchanged, when the native path has no
 *          long Win32 form: a raw native path or one under '\DosDevices\'.
 */
int rtPathWin32LongFromNtText(char *pszNtText);

#endif
