/** @file
 * Internals of the random generators: the generator record, and the seed
 * and the clean-up of the process-wide generator.
 */
#ifndef RT_INTERNAL_RAND_H
#define RT_INTERNAL_RAND_H

#include <rt/rand.h>
#include "internal/seam.h"

/** RTRANDPM::u32Magic of a live generator. */
#define RTRAND_MAGIC UINT32_C(0x19531118)
/** RTRANDPM::u32Magic after destruction. */
#define RTRAND_MAGIC_DEAD UINT32_C(0xE6ACEEE7)

/** State a fresh Park-Miller generator starts from. */
#define RTRANDPM_INITIAL_STATE UINT32_C(0x20080806)

/**
 * A Park-Miller generator. The operations are reached through the table so
 * that the public entry points only check the handle and dispatch.
 */
struct RTRANDPM
{
    /** RTRAND_MAGIC while alive, RTRAND_MAGIC_DEAD after destruction. */
    uint32_t u32Magic;
    void (*pfnGetBytes)(RTRANDPM *pThis, uint8_t *pb, size_t cb);
    uint32_t (*pfnGetU32)(RTRANDPM *pThis, uint32_t u32First, uint32_t u32Last);
    uint64_t (*pfnGetU64)(RTRANDPM *pThis, uint64_t u64First, uint64_t u64Last);
    int (*pfnSeed)(RTRANDPM *pThis, uint64_t u64Seed);
    int (*pfnSaveState)(RTRANDPM *pThis, char *pszState, size_t *pcbState);
    int (*pfnRestoreState)(RTRANDPM *pThis, const char *pszState);
    int (*pfnDestroy)(RTRANDPM *pThis);
    /** The current state x (never kept at 0 across a step). */
    uint32_t u32X;
    /** Spare random bits from reservoir refills, consumed from the low end. */
    uint32_t u32Bits;
    /** Number of bits left in u32Bits. */
    uint32_t cBits;
};
typedef RTRANDPM *PRTRANDPM;

/** Initialises @a pThis in place as a fresh Park-Miller generator (no allocation). */
void rtRandParkMillerInitRecord(PRTRANDPM pThis);

/** The source of the process-wide generator's seed: the processor's time-stamp counter. */
uint64_t rtRandSeedCounter(void);

/**
 * Destroys the process-wide generator at process clean-up; the next
 * RTRandU32Ex makes a fresh one. Must not race with RTRandU32Ex.
 */
void rtRandTerm(void);

#ifdef RT_WITH_SEAMS
/** The calls of the process-wide generator that tests may replace (see internal/seam.h). */
typedef struct RTSEAMSRAND
{
    /** Read once, when the generator is made. */
    decltype(&rtRandSeedCounter) pfnrtRandSeedCounter;
} RTSEAMSRAND;

/** Forgets the process-wide generator, so that the next draw makes and seeds a fresh one. */
void rtRandSeamsForget(void);
#endif

#endif
