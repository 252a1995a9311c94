/** @file
 * UTF-16 strings: decoding, validation, conversion to UTF-8 and allocation.
 *
 * Units are in machine byte order unless a function says otherwise. A length
 * of RTSTR_MAX means "up to the terminating NUL". Strings allocated here are
 * freed with RTUtf16Free.
 */
#ifndef RT_UTF16_H
#define RT_UTF16_H

#include <rt/types.h>
#include <rt/string.h>

/** Decodes one UTF-16 character at *ppwsz (a surrogate pair counts as one) and
 * advances; on error (an unpaired surrogate: ERR_INVALID_UTF16_ENCODING; the units
 * 0xFFFE, 0xFFFF: ERR_NONCHARACTER_CODE_POINT) *pCp is RTUNICP_INVALID and the
 * position advances by one unit. */
int RTUtf16CpDecode(const RTUTF16 **ppwsz, RTUNICP *pCp);
/** As RTUtf16CpDecode for big-endian units. */
int RTUtf16BigCpDecode(const RTUTF16 **ppwsz, RTUNICP *pCp);
/** Validates at most @a cwc units and counts the UTF-8 bytes they need (no terminator);
 * *pcch (optional) is SIZE_MAX ("-1") on failure. */
int RTUtf16Validate(const RTUTF16 *pwsz, size_t cwc, size_t *pcch);
/** Units before the NUL; a null string has length 0. */
size_t RTUtf16Len(const RTUTF16 *pwsz);
/** UTF-16 to UTF-8 with the buffer rule of RTStrToUtf16Ex (sizes in bytes; on overflow
 * the buffer holds the whole characters that fit); allocation failure is ERR_NO_STR_MEMORY.
 * A fresh result is freed with RTStrFree. */
int RTUtf16ToUtf8Ex(const RTUTF16 *pwsz, size_t cwc, char **ppsz, size_t cch, size_t *pcch, const char *pszTag);

/** Allocates @a cb bytes rounded up to even (at least 2), the first unit 0; null on failure. */
RTUTF16 *RTUtf16Alloc(size_t cb, const char *pszTag);
/** Duplicates @a pwsz. */
RTUTF16 *RTUtf16Dup(const RTUTF16 *pwsz, const char *pszTag);
/** Resizes like RTStrRealloc; @a cbNew is rounded up to even and the last unit set to 0.
 * ERR_NO_UTF16_MEMORY leaves *ppwsz as it was. */
int RTUtf16Realloc(RTUTF16 **ppwsz, size_t cbNew, const char *pszTag);
/** Frees a UTF-16 string from this family; null is allowed. */
void RTUtf16Free(RTUTF16 *pwsz);

#endif
