/** @file
 * Internal path helpers shared by the path modules: separator and drive tests,
 * the reassembly steps RTPathAbsEx uses in place, and the system side of the
 * current directory.
 */
#ifndef RT_INTERNAL_PATH_H
#define RT_INTERNAL_PATH_H

#include <rt/path.h>

/** True for a separator of the style: '\' and '/' in DOS style, '/' only in Unix style. */
static inline bool rtPathIsSep(char ch, uint32_t fStyle)
{
    return ch == '/' || (ch == '\\' && fStyle != RTPATH_STYLE_UNIX);
}

/** True for '\' and '/'. */
static inline bool rtPathIsDosSep(char ch)
{
    return ch == '\\' || ch == '/';
}

/** True for '\', '/' and ':', the characters after which a file name starts ('C:x' names 'x'). */
static inline bool rtPathIsNameBoundary(char ch)
{
    return rtPathIsDosSep(ch) || ch == ':';
}

/** True for an ASCII letter. */
static inline bool rtPathIsLetter(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

/** Upper-cases an ASCII letter, anything else unchanged. */
static inline char rtPathUpper(char ch)
{
    return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch;
}

/** True when the text starts with a drive 'X:'. */
static inline bool rtPathStartsWithDrive(const char *psz)
{
    return rtPathIsLetter(psz[0]) && psz[1] == ':';
}

/** The style with the host style resolved: DOS or Unix. */
static inline uint32_t rtPathResolveStyle(uint32_t fFlags)
{
    uint32_t fStyle = fFlags & RTPATH_STYLE_MASK;
    return fStyle == RTPATH_STYLE_HOST ? RTPATH_STYLE_DOS : fStyle;
}

/** True when component 0 of the record is a root (it may have been removed: cch 0). */
static inline bool rtPathParsedHasRoot(const RTPATHCOMPONENTS *pParsed)
{
    return (pParsed->fProps & (RTPATH_PROP_UNC | RTPATH_PROP_ROOT_SLASH | RTPATH_PROP_VOLUME)) != 0;
}

/**
 * Length RTPathParsedReassemble would write for @a pParsed, without the
 * terminator. Computed in size_t so edited records cannot wrap.
 */
size_t rtPathParsedOutputLength(const RTPATHCOMPONENTS *pParsed);

/**
 * Writes the reassembled path of @a pParsed (parsed from @a pszSrc) to
 * @a pszDst with a terminator; the caller has checked the room
 * (rtPathParsedOutputLength() + 1). @a pszDst may be @a pszSrc: the output
 * never runs ahead of the text it is made from.
 * @returns the length written.
 */
size_t rtPathParsedWrite(const char *pszSrc, const RTPATHCOMPONENTS *pParsed, uint32_t fStyle, char *pszDst);

/**
 * How much of @a pszPath RTPathSetCurrent hands to the system: all of it, less
 * one trailing '\' or '/' when the path is longer than one character and that
 * separator does not follow ':' (a drive root 'X:\' keeps it).
 */
size_t rtPathSetCurrentLength(const char *pszPath);

/** @name The system side of the current-directory operations
 * The shared front ends (RTPathGetCurrent, RTPathGetCurrentOnDrive,
 * RTPathSetCurrent) check the arguments and apply the rules common to every
 * build; these only ask or tell the system (the Windows code or the host shim).
 * @{ */
/** The current directory in full into @a pszPath (@a cbPath > 0): ERR_BUFFER_OVERFLOW
 * with a terminated prefix when it does not fit. The drive letter's case is the system's. */
int rtPathNativeGetCurrent(char *pszPath, size_t cbPath);
/** The current directory of drive @a chDrive (a letter) into @a pszPath (@a cbPath > 0). */
int rtPathNativeGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath);
/** Makes @a pszPath (not empty, relative to the current directory unless absolute) current. */
int rtPathNativeSetCurrent(const char *pszPath);
/** @} */

#endif
