/** @file
 * The process-wide random generator.
 *
 * There is no native random source to prefer on this platform, so the
 * process-wide generator is a Park-Miller generator seeded from the processor's
 * time-stamp counter on first use.
 */
#include <rt/rand.h>
#include <rt/err.h>
#include "internal/cinit.h"
#include "internal/rand.h"

#if !defined(__i386__) && !defined(__x86_64__)
#error "The process-wide generator reads the x86 time-stamp counter."
#endif

namespace
{

/** Life of the process-wide generator. */
enum : uint32_t
{
    kOnceUninitialised = 0,
    kOnceBusy = 1,
    kOnceReady = 2
};

uint32_t volatile g_uOnceState = kOnceUninitialised;
/** The process-wide generator once g_uOnceState is kOnceReady. */
RTRAND g_hProcessRand = NIL_RTRAND;
/** Stands in for the process-wide generator when its record cannot be allocated,
 * so callers still get numbers within their range. */
RTRANDPM g_FallbackRand;
/** Makes and seeds the process-wide generator; never fails. */
RTRAND rtRandCreateProcessGenerator(void)
{
    RTRAND hRand = NIL_RTRAND;
    if (RT_FAILURE(RTRandAdvCreateParkMiller(&hRand)))
    {
        rtRandParkMillerInitRecord(&g_FallbackRand);
        hRand = &g_FallbackRand;
    }
    /* The counter's lowest 8 bits change too regularly between close calls to add anything. */
    RTRandAdvSeed(hRand, RT_SEAM(g_rtSeamsRand, rtRandSeedCounter)() >> 8);
    return hRand;
}

/** The process-wide generator, made by the first caller while concurrent first callers wait. */
RTRAND rtRandGetProcessGenerator(void)
{
    for (;;)
    {
        uint32_t uState = __atomic_load_n(&g_uOnceState, __ATOMIC_ACQUIRE);
        if (uState == kOnceReady)
            return g_hProcessRand;
        if (uState == kOnceUninitialised &&
            __atomic_compare_exchange_n(&g_uOnceState, &uState, kOnceBusy, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED))
        {
            g_hProcessRand = rtRandCreateProcessGenerator();
            __atomic_store_n(&g_uOnceState, kOnceReady, __ATOMIC_RELEASE);
            return g_hProcessRand;
        }
        __builtin_ia32_pause();
    }
}

} // namespace

uint32_t RTRandU32Ex(uint32_t u32First, uint32_t u32Last)
{
    return RTRandAdvU32Ex(rtRandGetProcessGenerator(), u32First, u32Last);
}

uint64_t rtRandSeedCounter(void)
{
    return __builtin_ia32_rdtsc();
}

void rtRandTerm(void)
{
    if (__atomic_load_n(&g_uOnceState, __ATOMIC_ACQUIRE) != kOnceReady)
        return;
    if (g_hProcessRand == &g_FallbackRand)
        g_FallbackRand.u32Magic = RTRAND_MAGIC_DEAD;
    else
        RTRandAdvDestroy(g_hProcessRand);
    g_hProcessRand = NIL_RTRAND;
    __atomic_store_n(&g_uOnceState, kOnceUninitialised, __ATOMIC_RELEASE);
}

#ifdef RT_WITH_SEAMS
void rtRandSeamsForget(void)
{
    rtRandTerm();
}
#endif

/* The process-wide generator goes with the process. */
RT_TERMINATOR(rtRandTerm);
