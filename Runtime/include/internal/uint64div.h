/** @file
 * 64-bit division without the compiler's helpers: 32-bit code would otherwise
 * call libgcc's __udivdi3 and __umoddi3, which bring their unwind tables with
 * them into every program. Meant for the few divisions whose operands are not
 * known to fit 32 bits; it takes up to 64 steps.
 */
#ifndef RT_INTERNAL_UINT64DIV_H
#define RT_INTERNAL_UINT64DIV_H

#include <rt/types.h>

/**
 * Divides @a uDividend by @a uDivisor (which must not be 0) bit by bit.
 * @returns the quotient; *puRemainder (when given) gets the remainder.
 */
static inline uint64_t rtUInt64DivRem(uint64_t uDividend, uint64_t uDivisor, uint64_t *puRemainder)
{
    uint64_t uQuotient = 0;
    uint64_t uRemainder = 0;
    for (int iBit = 63; iBit >= 0; iBit--)
    {
        /* The remainder never exceeds the dividend's bits above iBit, so the
         * shift cannot lose its top bit. */
        uRemainder = (uRemainder << 1) | ((uDividend >> iBit) & 1);
        if (uRemainder >= uDivisor)
        {
            uRemainder -= uDivisor;
            uQuotient |= UINT64_C(1) << iBit;
        }
    }
    if (puRemainder)
        *puRemainder = uRemainder;
    return uQuotient;
}

/** @a uDividend modulo @a uDivisor (not 0). */
static inline uint64_t rtUInt64Rem(uint64_t uDividend, uint64_t uDivisor)
{
    uint64_t uRemainder;
    rtUInt64DivRem(uDividend, uDivisor, &uRemainder);
    return uRemainder;
}

#endif
