/** @file
 * UTF-8 strings: code points, validation, conversion, bounded copy and
 * compare, allocation, and the printf-style formatter.
 *
 * Conventions: a length of RTSTR_MAX means "up to the terminating NUL"; any
 * other length is a maximum in bytes and conversion also stops at a NUL
 * within it. Functions returning int return a status (rt/err.h). Allocating
 * functions take a tag naming the caller's source file for diagnostics.
 * Strings allocated here are freed with RTStrFree.
 */
#ifndef RT_STRING_H
#define RT_STRING_H

#include <rt/types.h>
#include <rt/err.h>

/** "Up to the terminator" length for the length-taking functions. */
#define RTSTR_MAX (~(size_t)0)

/** Length of a NUL-terminated string in bytes. */
size_t RTStrLen(const char *psz);
/** Length of a string, but at most @a cchMax. */
size_t RTStrNLen(const char *psz, size_t cchMax);

/** @name Code points
 * @{ */
/** Decodes one UTF-8 character at *ppsz and advances past it. On error the
 * position advances by one byte and *pCp is RTUNICP_INVALID. The lenient 4- to
 * 6-byte forms up to 0x7FFFFFFF are accepted when not overlong. */
int RTStrCpDecode(const char **ppsz, RTUNICP *pCp);
/** As RTStrCpDecode within *pcch remaining bytes (updated); ERR_END_OF_STRING when none is left. */
int RTStrCpDecodeN(const char **ppsz, size_t *pcch, RTUNICP *pCp);
/** The first code point of @a psz, RTUNICP_INVALID when malformed. */
RTUNICP RTStrCpAt(const char *psz);
/** Encodes @a uCp as 1 to 6 bytes at @a psz (room for 6 needed); returns the position after them.
 * A value with the top bit set writes the single byte 0x7F. */
char *RTStrCpEncode(char *psz, RTUNICP uCp);
/** Start of the character before @a psz, or @a pszStart when the bytes before are not a valid sequence. */
const char *RTStrPrevCp(const char *pszStart, const char *psz);
/** @} */

/** @name Validation and lengths
 * @{ */
/** Validates @a cch bytes of UTF-8 and counts the UTF-16 units they need (no terminator);
 * *pcwc is SIZE_MAX ("-1") on failure. @a pcwc may be null. */
int RTStrUtf16Count(const char *psz, size_t cch, size_t *pcwc);
/** Number of code points in @a psz, 0 when it is not valid UTF-8. */
size_t RTStrCpCount(const char *psz);
/** RTStrValidate flag: the text must end with a NUL inside the length. */
#define RTSTR_VALIDATE_F_NUL_TERMINATED UINT32_C(1)
/** RTStrValidate flag: the text must fill the length exactly (the NUL counts with the flag above). */
#define RTSTR_VALIDATE_F_EXACT_LENGTH UINT32_C(2)
/** Validates UTF-8 under the flags above; other flag bits give ERR_INVALID_PARAMETER. */
int RTStrValidate(const char *psz, size_t cch, uint32_t fFlags);
/** @} */

/** @name Conversion
 * @{ */
/* Every conversion validates the whole input first: invalid text gives its status, allocates
 * nothing and writes nothing into a caller buffer. Results are always NUL-terminated. */
/** Converts to a fresh UTF-16 string of exactly (units + 1) units; *ppwsz is null on failure. */
int RTStrToUtf16(const char *psz, RTUTF16 **ppwsz, const char *pszTag);
/** Converts at most @a cch bytes into *ppwsz when @a cwc is non-zero and *ppwsz non-null
 * (ERR_BUFFER_OVERFLOW when units + 1 exceed @a cwc: the buffer then holds the whole
 * characters that fit, terminated), else into a fresh buffer of max(cwc, units + 1) units
 * (units beyond the terminator zero-filled; ERR_NO_UTF16_MEMORY and *ppwsz null when it
 * cannot be had). *pcwc (optional) receives the units, also on overflow. */
int RTStrToUtf16Ex(const char *psz, size_t cch, RTUTF16 **ppwsz, size_t cwc, size_t *pcwc, const char *pszTag);
/** UTF-8 to 32-bit code points with the buffer rule of RTStrToUtf16Ex (sizes in code points,
 * terminated by a 0 code point; ERR_NO_CODE_POINT_MEMORY). A fresh array is freed with RTMemFree. */
int RTStrToCodePoints(const char *psz, size_t cch, RTUNICP **ppaCps, size_t cCps, size_t *pcCps);
/** Converts to a fresh string in the active ANSI code page (characters it lacks become its
 * default character). *ppszAnsi stays null on failure; ERR_NO_TMP_MEMORY when the result
 * cannot be allocated. */
int RTStrUtf8ToAnsi(char **ppszAnsi, const char *pszUtf8, const char *pszTag);
/** @} */

/** @name Copying, appending and comparing
 * @{ */
/** Bounded copy; ERR_BUFFER_OVERFLOW leaves a terminated prefix (and writes nothing when
 * @a cbDst is 0). The cut is made in bytes, not characters. */
int RTStrCopy(char *pszDst, size_t cbDst, const char *pszSrc);
/** Bounded append; ERR_INVALID_PARAMETER when @a pszDst has no NUL within @a cbDst (nothing changes). */
int RTStrCat(char *pszDst, size_t cbDst, const char *pszSrc);
/** Compares UTF-8 @a psz1 with ASCII @a pszAscii ignoring the case of A-Z: 0, negative or positive.
 * A non-ASCII character of @a psz1 is greater than the byte it meets unless equal to it; from a
 * malformed character on, the rest of both texts is compared as plain bytes. Null sorts first. */
int RTStrICmpAscii(const char *psz1, const char *pszAscii);
/** @} */

/** @name Allocation (process heap)
 * @{ */
/** Allocates @a cb bytes (at least 1), the first set to NUL; null on failure. Every function
 * of this group returning a pointer returns null when the heap has no room. */
char *RTStrAlloc(size_t cb, const char *pszTag);
/** Duplicates @a psz. */
char *RTStrDup(const char *psz, const char *pszTag);
/** Duplicates up to the first NUL or @a cchMax bytes and terminates. */
char *RTStrDupN(const char *psz, size_t cchMax, const char *pszTag);
/** Resizes *ppsz to @a cbNew bytes: 0 frees and nulls; a null string gets a fresh buffer
 * starting with NUL; the last byte of the new size is set to NUL. ERR_NO_STR_MEMORY leaves
 * *ppsz as it was. */
int RTStrRealloc(char **ppsz, size_t cbNew, const char *pszTag);
/** Frees a string from this family; null is allowed. */
void RTStrFree(char *psz);
/** @} */

/** @name Formatter
 * @{ */
/** Number formatting flags. */
#define RTFMT_F_CAPITAL   0x0001u
#define RTFMT_F_LEFT      0x0002u
#define RTFMT_F_ZEROPAD   0x0004u
#define RTFMT_F_PREFIX    0x0008u
#define RTFMT_F_SIGNED    0x0010u
#define RTFMT_F_PLUS      0x0020u
#define RTFMT_F_BLANK     0x0040u
#define RTFMT_F_WIDTH     0x0080u
#define RTFMT_F_PRECISION 0x0100u
#define RTFMT_F_GROUP     0x0200u
#define RTFMT_F_8BIT      0x0800u
#define RTFMT_F_16BIT     0x1000u
#define RTFMT_F_32BIT     0x2000u
#define RTFMT_F_64BIT     0x4000u

/** @name Argument size letters
 * The size prefix of a conversion as handed to extension callbacks: none for a plain int
 * (also "I32"), 'L' for 64 bits ("I64", "ll", "q", "L", "I", "j"), 'l' for the C type long
 * (also a UTF-16 string with 's'), 'h' for 16 bits, 'H' for 8 bits ("hh"), 'z' for size_t and
 * 't' for ptrdiff_t. 'L' on 's' selects a UTF-32 string.
 * @{ */
#define RTSTRFMT_SIZE_NONE  '\0'
#define RTSTRFMT_SIZE_64BIT 'L'
#define RTSTRFMT_SIZE_LONG  'l'
#define RTSTRFMT_SIZE_16BIT 'h'
#define RTSTRFMT_SIZE_8BIT  'H'
#define RTSTRFMT_SIZE_SIZE  'z'
#define RTSTRFMT_SIZE_PTRD  't'
/** @} */

/**
 * Extension callback, asked for every conversion letter the formatter does not
 * know. On entry *ppszFormat points just after that letter (the letter itself is
 * (*ppszFormat)[-1]); the callback may advance it further, and formatting goes on
 * from wherever it leaves it. It may take arguments from *pArgs. @a cchWidth is 0
 * and @a cchPrecision -1 unless RTFMT_F_WIDTH / RTFMT_F_PRECISION are in @a fFlags;
 * @a chArgSize is one of the RTSTRFMT_SIZE_ letters. Returns the bytes written
 * through @a pfnOutput.
 */
typedef size_t FNRTSTRFORMAT(void *pvArg, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat,
                             va_list *pArgs, int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize);
typedef FNRTSTRFORMAT *PFNRTSTRFORMAT;

/**
 * The formatting engine: formats @a pszFormat with @a args through @a pfnOutput,
 * which gets literal runs and converted items (a long item may come in several
 * pieces) and finally one call with a null pointer and 0 to mark the end. Returns
 * the sum of @a pfnOutput's results. @a pfnFormat (may be null) handles unknown
 * conversion letters; without it they produce no output.
 *
 * Conversions: d i u o x X c p s S, the floating-point letters a A e E f F g G
 * (which print the value's sign, mantissa bits and exponent, never decimal
 * digits, and always take a double), M (continue with another format string),
 * N (a nested format and a pointer to its va_list, formatted in place; the
 * caller's list is not consumed) and R (the runtime's own types). "%ls" takes
 * a UTF-16 string and "%Ls" a UTF-32 string: there precision and width count
 * code points, and the text ends at the first malformed unit; "%s" counts bytes.
 * Null and bad string pointers print "<NULL>" or "<XXXXXXXX!BadStr>" (W/U for
 * 16/32-bit strings); an unreadable "%M" or "%N" format pointer prints the same
 * way with "!BadFmt", and a bad "%N" list pointer with "!BadVaList" ("%M" then
 * ends the output). Nothing here uses the heap.
 */
size_t RTStrFmtV(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, PFNRTSTRFORMAT pfnFormat, void *pvArgFormat,
                 const char *pszFormat, va_list args);
size_t RTStrFmt(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, PFNRTSTRFORMAT pfnFormat, void *pvArgFormat,
                const char *pszFormat, ...);

/** Size every RTStrFmtNumber buffer must have. */
#define RTSTR_NUMBER_BUF_SIZE 64
/** Formats @a u64Value in @a uiBase (2 to 16) into @a psz (at least 64 bytes), NUL-terminated;
 * returns the length. The result never exceeds 63 characters: width and precision are
 * clamped, and a base-2 value needing more keeps only its 63 low-order characters. */
int RTStrFmtNumber(char *psz, uint64_t u64Value, unsigned uiBase, int cchWidth, int cchPrecision, unsigned fFlags);
/** As RTStrFmtNumber into a buffer of any size: the length, or ERR_BUFFER_OVERFLOW with a
 * terminated prefix when it does not fit. */
intptr_t RTStrFmtU32(char *pszBuf, size_t cbBuf, uint32_t u32Value, unsigned uiBase, int cchWidth, int cchPrecision,
                     uint32_t fFlags);
intptr_t RTStrFmtU64(char *pszBuf, size_t cbBuf, uint64_t u64Value, unsigned uiBase, int cchWidth, int cchPrecision,
                     uint32_t fFlags);

/** Formats into a buffer, always terminated when @a cbBuffer >= 1, silently truncated;
 * returns the bytes stored without the NUL (0 and nothing written for size 0). */
size_t RTStrBufPrintf(char *pszBuffer, size_t cbBuffer, const char *pszFormat, ...);
size_t RTStrBufPrintfV(char *pszBuffer, size_t cbBuffer, const char *pszFormat, va_list args);
/** As RTStrBufPrintf, but returns the full length the text needs, or its bitwise
 * complement (negative) when the text was truncated. */
intptr_t RTStrBufPrintfEx(char *pszBuffer, size_t cbBuffer, const char *pszFormat, ...);
intptr_t RTStrBufPrintfExV(char *pszBuffer, size_t cbBuffer, const char *pszFormat, va_list args);
/** Formats into a fresh heap string of exactly length + 1 bytes and returns the length;
 * on allocation failure returns -1 and stores null. */
int RTStrAllocPrintfV(char **ppszBuffer, const char *pszFormat, va_list args, const char *pszTag);
int RTStrAllocPrintf(char **ppszBuffer, const char *pszFormat, ...);
/** @} */

/* ------------------------------------------------------------------------- */
/** @name Custom formatter types ("%R[name]")
 *
 * A program can teach the formatter its own types: "%R[name]" takes one
 * pointer-sized argument and hands it to the handler registered under
 * "name"; a name nobody registered prints "<missing:%R[name]>".
 *
 * Registration, deregistration and formatting may run on any threads at
 * once. A handler may still be called briefly after its deregistration
 * returned (a formatting thread may have looked it up just before), so its
 * code and user argument must stay valid for as long as formatting can run.
 * @{ */

/** Longest custom type name, in bytes. */
#define RTSTR_FORMAT_TYPE_NAME_MAX 47
/** How many custom types can be registered at once. */
#define RTSTR_FORMAT_TYPE_MAX 64

/**
 * Formats one custom-type value through @a pfnOutput and returns the bytes
 * written. @a pszType is the type's name, @a pvValue the conversion's
 * argument, @a cchWidth, @a cchPrecision and @a fFlags (RTFMT_F_*) come from
 * the conversion, @a pvUser is the registration's user argument.
 */
typedef size_t FNRTSTRFORMATTYPE(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *pszType, const void *pvValue,
                                 int cchWidth, int cchPrecision, unsigned fFlags, void *pvUser);
typedef FNRTSTRFORMATTYPE *PFNRTSTRFORMATTYPE;

/**
 * Registers @a pfnHandler for "%R[pszType]".
 * @returns INF_SUCCESS; ERR_INVALID_PARAMETER when the name is empty, longer
 *          than RTSTR_FORMAT_TYPE_NAME_MAX or holds '[', ']' or '%';
 *          ERR_INVALID_POINTER for a bad name or handler pointer;
 *          ERR_ALREADY_EXISTS when the name is taken; ERR_NO_MEMORY when
 *          RTSTR_FORMAT_TYPE_MAX types are registered already.
 */
int RTStrFormatTypeRegister(const char *pszType, PFNRTSTRFORMATTYPE pfnHandler, void *pvUser);

/** Removes a registration. @returns INF_SUCCESS, or ERR_SYMBOL_NOT_FOUND when
 *  @a pszType is not registered (ERR_INVALID_POINTER for a bad pointer). */
int RTStrFormatTypeDeregister(const char *pszType);

/** Replaces the user argument of a registration. @returns as RTStrFormatTypeDeregister. */
int RTStrFormatTypeSetUser(const char *pszType, void *pvUser);
/** @} */

#endif
