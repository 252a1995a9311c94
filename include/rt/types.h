/** @file
 * Basic types and helpers shared by the whole runtime.
 *
 * The runtime is freestanding: only <stdint.h>, <stddef.h> and <stdarg.h> are
 * used from the language's headers, so it links into executables without a C
 * runtime.
 */
#ifndef RT_TYPES_H
#define RT_TYPES_H

#include <stdint.h>
#include <stddef.h>
#include <stdarg.h>

/** A UTF-16 code unit in machine byte order. */
typedef uint16_t RTUTF16;
/** A Unicode code point (or, in lenient decoding, any 31-bit value). */
typedef uint32_t RTUNICP;

/** Code point reported by the decoders for malformed input. */
#define RTUNICP_INVALID UINT32_C(0xfffffffe)

/** Number of elements of a fixed-size array. */
#define RT_ELEMENTS(a) (sizeof(a) / sizeof((a)[0]))

/**
 * A pointer is valid when it lies outside the first and the last 4 KiB of the
 * address space; anything there is a programming error or a small integer
 * passed by mistake.
 */
#define RT_VALID_PTR(p) ((uintptr_t)(p) >= 4096 && (uintptr_t)(p) <= UINTPTR_MAX - 4096)

/** Status checks: failures are negative, successes (with information) >= 0. */
#define RT_SUCCESS(rc) ((int)(rc) >= 0)
#define RT_FAILURE(rc) ((int)(rc) < 0)

#define RT_MIN(a, b) ((a) < (b) ? (a) : (b))
#define RT_MAX(a, b) ((a) > (b) ? (a) : (b))

#endif
