/** @file
 * Internal helpers shared by the UTF-8 and UTF-16 code.
 */
#ifndef RT_INTERNAL_UTF_H
#define RT_INTERNAL_UTF_H

#include <rt/types.h>

/**
 * Decodes the character at @a pch, reading no more than @a cchLeft bytes and
 * never past a NUL. On success *pCp is the value and *pcch its length; on
 * failure *pCp is RTUNICP_INVALID and *pcch is 1.
 *
 * Strict mode accepts what UTF-16 can carry: 4-byte forms up to U+10FFFF and
 * no 5- or 6-byte forms (ERR_CODE_POINT_OUT_OF_RANGE). Lenient mode accepts
 * every non-overlong 4- to 6-byte form (up to 0x7FFFFFFF). Both reject
 * overlong forms, surrogates and U+FFFE/U+FFFF.
 */
int rtUtf8DecodeOne(const char *pch, size_t cchLeft, bool fLenient, RTUNICP *pCp, size_t *pcch);

/** What a strict walk over valid UTF-8 found. */
struct Utf8Measure
{
    size_t cchText; /**< bytes before the NUL or the end of the length */
    size_t cCps;    /**< code points */
    size_t cwc;     /**< UTF-16 units they need */
};

/** Validates up to @a cch bytes (stopping at a NUL) and measures them; *pMeasure is set on success only. */
int rtUtf8Measure(const char *psz, size_t cch, Utf8Measure *pMeasure);

/**
 * Allocates @a cElements of @a cbElement bytes, zero-filled when @a fZero;
 * null when the size overflows or the heap has no room.
 */
void *rtUtfAllocArray(size_t cElements, size_t cbElement, bool fZero, const char *pszTag);

/** The ANSI conversion where the ANSI code page is UTF-8: validates @a pszUtf8 and duplicates it into
 * *ppszAnsi (which the caller has set to null); ERR_NO_TMP_MEMORY when the copy cannot be allocated. */
int rtStrUtf8ToAnsiDup(char **ppszAnsi, const char *pszUtf8, const char *pszTag);

#endif
