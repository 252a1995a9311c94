/** @file
 * Pseudo-random numbers: the process-wide generator and explicit generators.
 *
 * The generator is Park-Miller's minimal-standard multiplicative congruential
 * generator (x' = x * 16807 mod 2^31 - 1). It is fast and reproducible for a
 * given seed, and it is not meant for secrets: never derive keys, passwords or
 * anything an attacker must not predict from it.
 *
 * A generator has no lock: one thread at a time may use it, the process-wide
 * one included.
 */
#ifndef RT_RAND_H
#define RT_RAND_H

#include <rt/types.h>
#include <rt/err.h>

/** Handle of a generator (opaque). */
typedef struct RTRANDPM *RTRAND;
/** The null handle. */
#define NIL_RTRAND ((RTRAND)0)

/** Size of the text RTRandAdvSaveState writes, terminator included. */
#define RTRAND_PM_STATE_SIZE 25

/**
 * Draws a number from @a u32First to @a u32Last inclusive from the process-wide
 * generator. The generator is made on the first call and seeded from the
 * processor's time-stamp counter; concurrent first callers wait for it.
 * The result is always within the range (the range wraps around when
 * @a u32First is above @a u32Last, as with RTRandAdvU32Ex).
 */
uint32_t RTRandU32Ex(uint32_t u32First, uint32_t u32Last);

/**
 * Creates a Park-Miller generator in its initial state (not seeded from anything
 * variable: it produces the same sequence every time until seeded).
 * @returns INF_SUCCESS and the handle in *phRand; ERR_INVALID_POINTER for a bad
 *          @a phRand; ERR_NO_MEMORY when the record cannot be allocated.
 */
int RTRandAdvCreateParkMiller(RTRAND *phRand);

/**
 * Seeds the generator: its state becomes the low 32 bits of @a u64Seed and its
 * bit reservoir is emptied.
 * @returns INF_SUCCESS, or ERR_INVALID_HANDLE for a bad or destroyed generator.
 */
int RTRandAdvSeed(RTRAND hRand, uint64_t u64Seed);

/**
 * Draws a number from @a u32First to @a u32Last inclusive (the range is
 * u32Last - u32First with 32-bit wrap-around). Each draw advances the state
 * by one step, and by a second one when the bit reservoir needs refilling.
 * @returns The number, or UINT32_MAX for a bad or destroyed generator.
 */
uint32_t RTRandAdvU32Ex(RTRAND hRand, uint32_t u32First, uint32_t u32Last);

/**
 * Draws a 64-bit number from @a u64First to @a u64Last inclusive (64-bit
 * wrap-around as above). Ranges that fit in 32 bits draw exactly as
 * RTRandAdvU32Ex(hRand, 0, range) does; wider ones take two full 32-bit draws.
 * @returns The number, or UINT64_MAX for a bad or destroyed generator.
 */
uint64_t RTRandAdvU64Ex(RTRAND hRand, uint64_t u64First, uint64_t u64Last);

/**
 * Fills @a cb bytes at @a pv from successive full-range 32-bit draws, four
 * bytes per draw in little-endian order; a final partial group takes the low
 * bytes of one more draw. Does nothing for a bad generator or buffer.
 */
void RTRandAdvBytes(RTRAND hRand, void *pv, size_t cb);

/**
 * Writes the generator's state as the text "PM:SSSSSSSS,RRRRRRRR,cc;" into
 * @a pszState: state, reservoir and the reservoir's bit count in lower-case
 * hexadecimal, zero-padded to 8, 8 and 2 digits.
 * @param pcbState  In: the buffer size. Left alone on success; set to
 *                  RTRAND_PM_STATE_SIZE when the buffer is too small.
 * @returns INF_SUCCESS; ERR_BUFFER_OVERFLOW when *pcbState is below
 *          RTRAND_PM_STATE_SIZE (nothing written); ERR_INVALID_HANDLE;
 *          ERR_INVALID_POINTER for a bad @a pszState or @a pcbState.
 */
int RTRandAdvSaveState(RTRAND hRand, char *pszState, size_t *pcbState);

/**
 * Restores a state saved by RTRandAdvSaveState. The text must be exactly
 * "PM:", 8 hexadecimal digits, ',', 8 hexadecimal digits, ',', 2 hexadecimal
 * digits and ';' with nothing after it (digits of either case).
 * @returns INF_SUCCESS; ERR_PARSE_ERROR for any other text, leaving the
 *          generator unchanged; ERR_INVALID_HANDLE; ERR_INVALID_POINTER.
 */
int RTRandAdvRestoreState(RTRAND hRand, const char *pszState);

/**
 * Destroys a generator; its handle is invalid afterwards.
 * @returns INF_SUCCESS (also for NIL_RTRAND), or ERR_INVALID_HANDLE for a bad
 *          pointer or a record that is not a live generator.
 */
int RTRandAdvDestroy(RTRAND hRand);

#endif
