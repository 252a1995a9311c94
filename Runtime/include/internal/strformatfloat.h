/** @file
 * The formatter's floating-point text: the value's bits, not a decimal rendering.
 */
#ifndef RT_INTERNAL_STRFORMATFLOAT_H
#define RT_INTERNAL_STRFORMATFLOAT_H

#include <rt/string.h>

/**
 * Writes @a rd into @a psz (at least RTSTR_NUMBER_BUF_SIZE bytes) as sign and
 * bits, NUL-terminated, and returns the length:
 *  - zero "+0"/"-0", infinity "+Inf"/"-Inf", NaN "+QNan"/"+SNan" (and '-');
 *  - a normal number "+1m0x" + the 52 mantissa bits as 13 hexadecimal digits
 *    + "^" + the unbiased exponent in signed decimal ("-1m0x8000000000000^-1");
 *  - a subnormal number "+0m0x" + the 13 mantissa digits.
 */
int rtstrFormatR64(char *psz, double rd);

#endif
