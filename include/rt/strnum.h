/** @file
 * Parsing integers from UTF-8 text.
 *
 * Grammar, read left to right from the first character (leading blanks are not
 * skipped; callers that allow them skip them first):
 *   1. A run of '+' and '-' signs: each '-' flips the sign, each '+' makes it
 *      positive again ("--5" is 5, "+-5" is -5).
 *   2. The base. Detected when the base is 0 or 36 and above: "0x"/"0X" followed
 *      by a hexadecimal digit selects 16 and is skipped; "0" followed by a digit
 *      0-7 selects 8; anything else 10. With an explicit base 16 a "0x"/"0X"
 *      followed by a hexadecimal digit is skipped; other explicit bases take no
 *      prefix ("0x10" in base 10 is 0 followed by the trailing text "x10").
 *   3. Digits 0-9, then a-z / A-Z for 10 to 35, as long as their value is below
 *      the base. The end position is where the digits stop.
 *
 * The base-and-limit argument (uBaseAndMaxLen) holds the base in its low byte
 * and, in the bits above (uBaseAndMaxLen >> 8), the maximum number of
 * characters to examine, signs and prefix included; 0 means up to the NUL.
 * The text then ends at the limit as if a NUL stood there. Base 1 is rejected
 * with ERR_INVALID_PARAMETER. Use RTSTR_PARSE_BASE() to build the argument.
 *
 * Statuses of the prefix forms (RTStrParseU64 & co), first that applies:
 *   ERR_INVALID_POINTER    the text pointer is invalid, or a non-null output
 *                          pointer is invalid; nothing is written
 *   ERR_INVALID_PARAMETER  base 1; nothing is written
 *   ERR_NO_DIGITS          no digit after the signs and prefix; the value is 0
 *                          and the end position is the start of the text
 *   WRN_NUMBER_TOO_BIG     the value does not fit the result type; the value is
 *                          clamped to the type's largest value (signed forms:
 *                          to the smallest one when the sign is negative). For
 *                          the signed 64-bit form any magnitude above 2^63 - 1
 *                          is too big, except exactly 2^63 with a minus sign.
 *   WRN_NEGATIVE_UNSIGNED  unsigned forms only: the sign is negative (also for
 *                          "-0"); the value is the two's complement of the
 *                          magnitude in the result's width. A negative value is
 *                          too big when its magnitude exceeds the width's
 *                          largest unsigned value ("-255" in 8 bits is 1 with
 *                          this status, "-256" is WRN_NUMBER_TOO_BIG).
 *   WRN_TRAILING_SPACES    only blanks (space, tab) follow the digits
 *   WRN_TRAILING_CHARS     any other character follows the digits
 *   INF_SUCCESS            the digits end the text (or use up the limit)
 * The value and the end position are written for every status except the two
 * parameter errors; both outputs are optional (null).
 *
 * The whole-string forms (...Whole) succeed with INF_SUCCESS only when the
 * whole text is one number that fits. They never pass a warning for text with
 * something after the digits: trailing blanks give ERR_TRAILING_SPACES and
 * other trailing characters ERR_TRAILING_CHARS, even when the number was also
 * too big or negative. Without trailing text they return the prefix form's
 * status (INF_SUCCESS, ERR_NO_DIGITS, WRN_NUMBER_TOO_BIG, WRN_NEGATIVE_UNSIGNED).
 *
 * Thread-safe, no allocation, no global state.
 */
#ifndef RT_STRNUM_H
#define RT_STRNUM_H

#include <rt/types.h>
#include <rt/err.h>

/** Builds the base-and-limit argument from a base (0 = detect) and a character
 * limit (0 = unlimited). */
#define RTSTR_PARSE_BASE(uBase, cchMax) (((unsigned)(cchMax) << 8) | ((unsigned)(uBase)&0xffu))

/** @name Prefix forms: parse a number at the start of @a pszValue and report in
 * *ppszNext (optional) where the digits stopped.
 * @{ */
int RTStrParseU64(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint64_t *pu64);
int RTStrParseU32(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint32_t *pu32);
int RTStrParseU16(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint16_t *pu16);
int RTStrParseU8(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint8_t *pu8);
int RTStrParseI64(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int64_t *pi64);
int RTStrParseI32(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int32_t *pi32);
int RTStrParseI16(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int16_t *pi16);
int RTStrParseI8(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int8_t *pi8);
/** @} */

/** @name Whole-string forms: the text (up to the NUL or the limit) must be exactly one number.
 * @{ */
int RTStrParseU64Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint64_t *pu64);
int RTStrParseU32Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint32_t *pu32);
int RTStrParseU16Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint16_t *pu16);
int RTStrParseU8Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint8_t *pu8);
int RTStrParseI64Whole(const char *pszValue, unsigned uBaseAndMaxLen, int64_t *pi64);
int RTStrParseI32Whole(const char *pszValue, unsigned uBaseAndMaxLen, int32_t *pi32);
int RTStrParseI16Whole(const char *pszValue, unsigned uBaseAndMaxLen, int16_t *pi16);
int RTStrParseI8Whole(const char *pszValue, unsigned uBaseAndMaxLen, int8_t *pi8);
/** @} */

#endif
