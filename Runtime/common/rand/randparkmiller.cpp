/** @file
 * The Park-Miller minimal-standard generator and the entry points of the
 * explicit generators.
 */
#include "internal/ctype.h"
#include <rt/rand.h>
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/string.h>
#include "internal/rand.h"
#include "internal/uint64div.h"

namespace
{

/** Modulus 2^31 - 1 and multiplier of the minimal-standard generator. */
uint32_t const g_uPmModulus = UINT32_C(2147483647);
uint32_t const g_uPmMultiplier = UINT32_C(16807);
/** Stands in for a zero state, which the multiplication would never leave. */
uint32_t const g_uPmZeroReplacement = UINT32_C(20080806);
/** Bits one refill puts into the reservoir. */
uint32_t const g_cReservoirBits = 30;

/** Range (u32Last - u32First) of the full 32-bit space. */
uint32_t const g_uRangeFull = UINT32_MAX;
/** Range whose size is exactly the number of possible states. */
uint32_t const g_uRangeStates = UINT32_C(2147483646);
/** Ranges below this take the state's top 30 bits modulo the range size alone. */
uint32_t const g_uRangeSmallLimit = UINT32_C(134217727);

/** One step of the generator, in 64 bits so the product cannot overflow. */
uint32_t rtRandParkMillerStep(uint32_t uX)
{
    if (uX == 0)
        uX = g_uPmZeroReplacement;
    return (uint32_t)rtUInt64Rem((uint64_t)uX * g_uPmMultiplier, g_uPmModulus);
}

/** Advances the state and returns it. */
uint32_t rtRandParkMillerNext(PRTRANDPM pThis)
{
    pThis->u32X = rtRandParkMillerStep(pThis->u32X);
    return pThis->u32X;
}

/** Refills the reservoir from one more step when fewer than @a cNeeded bits are left. */
void rtRandParkMillerEnsureReservoir(PRTRANDPM pThis, uint32_t cNeeded)
{
    if (pThis->cBits < cNeeded)
    {
        pThis->u32Bits = rtRandParkMillerNext(pThis);
        pThis->cBits = g_cReservoirBits;
    }
}

/** Takes @a cBits bits from the low end of the reservoir (which holds enough). */
uint32_t rtRandParkMillerTakeReservoirBits(PRTRANDPM pThis, uint32_t cBits)
{
    uint32_t const uBits = pThis->u32Bits & ((UINT32_C(1) << cBits) - 1);
    pThis->u32Bits >>= cBits;
    pThis->cBits -= cBits;
    return uBits;
}

uint32_t rtRandParkMillerGetU32(PRTRANDPM pThis, uint32_t u32First, uint32_t u32Last)
{
    uint32_t const uRange = u32Last - u32First;
    uint32_t const uX = rtRandParkMillerNext(pThis);
    if (uRange == g_uRangeFull)
    {
        /* 30 bits from the state, the top 2 from the reservoir. */
        rtRandParkMillerEnsureReservoir(pThis, 2);
        return u32First + ((rtRandParkMillerTakeReservoirBits(pThis, 2) << 30) | (uX >> 1));
    }
    if (uRange == g_uRangeStates)
        return u32First + uX;
    if (uRange < g_uRangeSmallLimit)
        return u32First + (uX >> 1) % (uRange + 1);

    /* 36 bits (6 from the reservoir above the state's 30) keep the modulo bias small. */
    rtRandParkMillerEnsureReservoir(pThis, 6);
    uint64_t const uValue = ((uint64_t)rtRandParkMillerTakeReservoirBits(pThis, 6) << 30) | (uX >> 1);
    return u32First + (uint32_t)rtUInt64Rem(uValue, (uint64_t)uRange + 1);
}

uint64_t rtRandParkMillerGetU64(PRTRANDPM pThis, uint64_t u64First, uint64_t u64Last)
{
    uint64_t const uRange = u64Last - u64First;
    if (uRange <= UINT32_MAX)
        return u64First + rtRandParkMillerGetU32(pThis, 0, (uint32_t)uRange);
    uint64_t const uHigh = rtRandParkMillerGetU32(pThis, 0, UINT32_MAX);
    uint64_t const uValue = (uHigh << 32) | rtRandParkMillerGetU32(pThis, 0, UINT32_MAX);
    if (uRange == UINT64_MAX)
        return uValue;
    return u64First + rtUInt64Rem(uValue, uRange + 1);
}

void rtRandParkMillerGetBytes(PRTRANDPM pThis, uint8_t *pb, size_t cb)
{
    while (cb > 0)
    {
        uint32_t uDraw = rtRandParkMillerGetU32(pThis, 0, UINT32_MAX);
        for (unsigned i = 0; i < 4 && cb > 0; i++, cb--)
        {
            *pb++ = (uint8_t)uDraw;
            uDraw >>= 8;
        }
    }
}

int rtRandParkMillerSeed(PRTRANDPM pThis, uint64_t u64Seed)
{
    pThis->u32X = (uint32_t)u64Seed;
    pThis->u32Bits = 0;
    pThis->cBits = 0;
    return INF_SUCCESS;
}

int rtRandParkMillerSaveState(PRTRANDPM pThis, char *pszState, size_t *pcbState)
{
    if (*pcbState < RTRAND_PM_STATE_SIZE)
    {
        *pcbState = RTRAND_PM_STATE_SIZE;
        return ERR_BUFFER_OVERFLOW;
    }
    if (!RT_VALID_PTR(pszState))
        return ERR_INVALID_POINTER;
    RTStrBufPrintf(pszState, *pcbState, "PM:%08RX32,%08RX32,%02x;", pThis->u32X, pThis->u32Bits, pThis->cBits);
    return INF_SUCCESS;
}

/** Parses exactly @a cDigits hexadecimal digits followed by @a chEnd; advances *ppsz past @a chEnd. */
bool rtRandParkMillerParseHexField(const char **ppsz, unsigned cDigits, char chEnd, uint32_t *puValue)
{
    const char *psz = *ppsz;
    uint32_t uValue = 0;
    for (unsigned i = 0; i < cDigits; i++)
    {
        int iDigit = rtHexDigitValue(psz[i]); /* a NUL is no digit, so this never reads past the text */
        if (iDigit < 0)
            return false;
        uValue = (uValue << 4) | (uint32_t)iDigit;
    }
    if (psz[cDigits] != chEnd)
        return false;
    *ppsz = psz + cDigits + 1;
    *puValue = uValue;
    return true;
}

int rtRandParkMillerRestoreState(PRTRANDPM pThis, const char *pszState)
{
    if (pszState[0] != 'P' || pszState[1] != 'M' || pszState[2] != ':')
        return ERR_PARSE_ERROR;
    const char *psz = pszState + 3;
    uint32_t uX, uBits, cBits;
    if (!rtRandParkMillerParseHexField(&psz, 8, ',', &uX) || !rtRandParkMillerParseHexField(&psz, 8, ',', &uBits) ||
        !rtRandParkMillerParseHexField(&psz, 2, ';', &cBits) || *psz != '\0')
        return ERR_PARSE_ERROR;
    pThis->u32X = uX;
    pThis->u32Bits = uBits;
    pThis->cBits = cBits;
    return INF_SUCCESS;
}

int rtRandParkMillerDestroy(PRTRANDPM pThis)
{
    pThis->u32Magic = RTRAND_MAGIC_DEAD;
    RTMemFree(pThis);
    return INF_SUCCESS;
}

/** A handle that points at a live generator. */
bool rtRandParkMillerIsLive(RTRAND hRand)
{
    return RT_VALID_PTR(hRand) && hRand->u32Magic == RTRAND_MAGIC;
}

} // namespace

void rtRandParkMillerInitRecord(PRTRANDPM pThis)
{
    pThis->u32Magic = RTRAND_MAGIC;
    pThis->pfnGetBytes = rtRandParkMillerGetBytes;
    pThis->pfnGetU32 = rtRandParkMillerGetU32;
    pThis->pfnGetU64 = rtRandParkMillerGetU64;
    pThis->pfnSeed = rtRandParkMillerSeed;
    pThis->pfnSaveState = rtRandParkMillerSaveState;
    pThis->pfnRestoreState = rtRandParkMillerRestoreState;
    pThis->pfnDestroy = rtRandParkMillerDestroy;
    pThis->u32X = RTRANDPM_INITIAL_STATE;
    pThis->u32Bits = 0;
    pThis->cBits = 0;
}

int RTRandAdvCreateParkMiller(RTRAND *phRand)
{
    if (!RT_VALID_PTR(phRand))
        return ERR_INVALID_POINTER;
    PRTRANDPM pThis = (PRTRANDPM)RTMemAllocTag(sizeof(*pThis), RTMEM_TAG);
    if (!pThis)
        return ERR_NO_MEMORY;
    rtRandParkMillerInitRecord(pThis);
    *phRand = pThis;
    return INF_SUCCESS;
}

int RTRandAdvSeed(RTRAND hRand, uint64_t u64Seed)
{
    if (!rtRandParkMillerIsLive(hRand))
        return ERR_INVALID_HANDLE;
    return hRand->pfnSeed(hRand, u64Seed);
}

uint32_t RTRandAdvU32Ex(RTRAND hRand, uint32_t u32First, uint32_t u32Last)
{
    if (!rtRandParkMillerIsLive(hRand))
        return UINT32_MAX;
    return hRand->pfnGetU32(hRand, u32First, u32Last);
}

uint64_t RTRandAdvU64Ex(RTRAND hRand, uint64_t u64First, uint64_t u64Last)
{
    if (!rtRandParkMillerIsLive(hRand))
        return UINT64_MAX;
    return hRand->pfnGetU64(hRand, u64First, u64Last);
}

void RTRandAdvBytes(RTRAND hRand, void *pv, size_t cb)
{
    if (!rtRandParkMillerIsLive(hRand) || cb == 0 || !RT_VALID_PTR(pv))
        return;
    hRand->pfnGetBytes(hRand, (uint8_t *)pv, cb);
}

int RTRandAdvSaveState(RTRAND hRand, char *pszState, size_t *pcbState)
{
    if (!rtRandParkMillerIsLive(hRand))
        return ERR_INVALID_HANDLE;
    if (!RT_VALID_PTR(pcbState))
        return ERR_INVALID_POINTER;
    return hRand->pfnSaveState(hRand, pszState, pcbState);
}

int RTRandAdvRestoreState(RTRAND hRand, const char *pszState)
{
    if (!rtRandParkMillerIsLive(hRand))
        return ERR_INVALID_HANDLE;
    if (!RT_VALID_PTR(pszState))
        return ERR_INVALID_POINTER;
    return hRand->pfnRestoreState(hRand, pszState);
}

int RTRandAdvDestroy(RTRAND hRand)
{
    if (hRand == NIL_RTRAND)
        return INF_SUCCESS;
    if (!rtRandParkMillerIsLive(hRand))
        return ERR_INVALID_HANDLE;
    return hRand->pfnDestroy(hRand);
}
