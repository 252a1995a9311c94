/** @file
 * Fuzzes the "%R" conversions with arbitrary text after "%R", flags, width
 * and precision. Only conversions whose arguments are pointers get through
 * (the byte, string, dump, network, UUID, time, error-info and custom-type
 * forms, and unknown names, which take nothing); every pointer argument points
 * at a blob of fuzzed bytes that is large enough for any record and ends in
 * zeros, or at a proper error-info record. The conversion must stay inside its
 * format text, and its byte count must match its output.
 */
#include <stdlib.h>
#include <string.h>
#include <initializer_list>
#include <rt/errinfo.h>
#include <rt/string.h>
#include "internal/strformat.h"

namespace
{

constexpr size_t kcbBlob = 512;
constexpr size_t kcchNameMax = 64;

struct OUTPUTSTATE
{
    size_t cbSeen;
    unsigned uSum; /**< Reads every output byte, so the sanitizer checks each piece. */
};

size_t countOutput(void *pvArg, const char *pach, size_t cb)
{
    OUTPUTSTATE *pState = (OUTPUTSTATE *)pvArg;
    if (cb && !pach)
        abort();
    for (size_t i = 0; i < cb; i++)
        pState->uSum += (uint8_t)pach[i];
    pState->cbSeen += cb;
    return cb;
}

size_t formatFuzzType(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *pszType, const void *pvValue,
                      int cchWidth, int cchPrecision, unsigned fFlags, void *pvUser)
{
    (void)pvValue, (void)cchWidth, (void)cchPrecision, (void)fFlags, (void)pvUser;
    return pfnOutput(pvArgOutput, pszType, strlen(pszType));
}

bool startsWith(const char *psz, const char *pszPrefix)
{
    return strncmp(psz, pszPrefix, strlen(pszPrefix)) == 0;
}

enum ARGSET
{
    kNoSafeArgs,
    kBlobPointers,
    kErrInfoPointers
};

/** Which arguments the conversion named by @a pszName can be given safely. */
ARGSET argumentsFor(const char *pszName)
{
    if (strchr("bfMDh[", pszName[0]))
        return kBlobPointers; /* NUL included: "%R" alone takes nothing */
    if (pszName[0] == 'T')
    {
        for (const char *pszKind : {"Tnaipv6", "Tmac", "Tnaddr", "Tuuid"})
            if (startsWith(pszName, pszKind))
                return kBlobPointers;
        return startsWith(pszName, "Teic") || startsWith(pszName, "Teim") ? kErrInfoPointers : kNoSafeArgs;
    }
    if (strchr("CGHIKRUXrwA", pszName[0]))
        return kNoSafeArgs; /* these take integers or records by value */
    return kBlobPointers;   /* unknown family: takes nothing */
}

size_t formatOne(const char **ppszName, int cchWidth, int cchPrecision, unsigned fFlags, OUTPUTSTATE *pState, ...)
{
    va_list va;
    va_start(va, pState);
    size_t cb = rtstrFormatRt(countOutput, pState, ppszName, &va, cchWidth, cchPrecision, fFlags, '\0');
    va_end(va);
    return cb;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    static bool s_fRegistered = false;
    if (!s_fRegistered)
    {
        RTStrFormatTypeRegister("fz", formatFuzzType, nullptr);
        RTStrFormatTypeRegister("fuzz", formatFuzzType, nullptr);
        s_fRegistered = true;
    }
    if (cb < 3)
        return 0;
    unsigned const fFlags = (pb[0] & 0x7f) << 1 | (pb[0] & 0x80 ? RTFMT_F_GROUP : 0); /* LEFT .. PRECISION */
    int const cchWidth = fFlags & RTFMT_F_WIDTH ? pb[1] : 0;
    int const cchPrecision = (int)(pb[2] % (kcbBlob + 1)); /* dumps stay inside the blob */
    pb += 3, cb -= 3;

    /* The text after "%R": up to the first NUL of the input, in a block of its exact size. */
    size_t const cchName = strnlen((const char *)pb, RT_MIN(cb, kcchNameMax));
    char *pszName = (char *)malloc(cchName + 1);
    memcpy(pszName, pb, cchName);
    pszName[cchName] = '\0';
    pb += RT_MIN(cchName + 1, cb), cb -= RT_MIN(cchName + 1, cb);

    /* The blob: the remaining input, zero-filled, its last bytes always zero. */
    uint8_t *pbBlob = (uint8_t *)calloc(1, kcbBlob);
    memcpy(pbBlob, pb, RT_MIN(cb, kcbBlob - 4));
    RTERRINFO ErrInfo = {(int32_t)(pbBlob[0] | pbBlob[1] << 8) - 0x8000, (const char *)pbBlob, NULL, 0};

    ARGSET const enmArgs = argumentsFor(pszName);
    if (enmArgs != kNoSafeArgs)
    {
        const void *pv = enmArgs == kBlobPointers ? (const void *)pbBlob : (const void *)&ErrInfo;
        OUTPUTSTATE State = {0, 0};
        const char *pszPos = pszName;
        size_t cbOut = formatOne(&pszPos, cchWidth, cchPrecision, fFlags, &State, pv, pv, pv, pv);
        if (cbOut != State.cbSeen || pszPos < pszName || pszPos > pszName + cchName)
            abort();
        if (cchName && pszPos == pszName)
            abort(); /* a conversion always consumes something */
    }
    free(pbBlob);
    free(pszName);
    return 0;
}
