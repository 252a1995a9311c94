/** @file
 * UTF-16: decoding, validation, conversion to UTF-8, and the UTF-16 string
 * allocation family.
 */
#include <rt/utf16.h>
#include <rt/mem.h>
#include "internal/utf.h"

namespace
{

/** Reads unit @a idx in machine order or, with @a fBigEndian, as big-endian bytes. */
inline RTUTF16 rtUtf16Unit(const RTUTF16 *pwsz, size_t idx, bool fBigEndian)
{
    if (!fBigEndian)
        return pwsz[idx];
    const uint8_t *pb = (const uint8_t *)&pwsz[idx];
    return (RTUTF16)((pb[0] << 8) | pb[1]);
}

/**
 * Decodes the character at @a pwsz within @a cwcLeft units. On success *pCp is
 * the value and *pcwc its units (1 or 2); on failure *pCp is RTUNICP_INVALID
 * and *pcwc is 1.
 */
int rtUtf16DecodeOne(const RTUTF16 *pwsz, size_t cwcLeft, bool fBigEndian, RTUNICP *pCp, size_t *pcwc)
{
    *pCp = RTUNICP_INVALID;
    *pcwc = 1;
    RTUTF16 wc = rtUtf16Unit(pwsz, 0, fBigEndian);
    if (wc < 0xd800 || (wc > 0xdfff && wc < 0xfffe))
    {
        *pCp = wc;
        return INF_SUCCESS;
    }
    if (wc >= 0xfffe)
        return ERR_NONCHARACTER_CODE_POINT;
    if (wc >= 0xdc00 || cwcLeft < 2)
        return ERR_INVALID_UTF16_ENCODING;            /* a low surrogate first, or a high one at the end */
    RTUTF16 wcLow = rtUtf16Unit(pwsz, 1, fBigEndian); /* a NUL here is simply not a low surrogate */
    if (wcLow < 0xdc00 || wcLow > 0xdfff)
        return ERR_INVALID_UTF16_ENCODING;
    *pCp = 0x10000 + (((RTUNICP)wc - 0xd800) << 10) + ((RTUNICP)wcLow - 0xdc00);
    *pcwc = 2;
    return INF_SUCCESS;
}

/** UTF-8 bytes a valid code point needs. */
inline size_t rtUtf8LengthOf(RTUNICP uCp)
{
    return uCp < 0x80 ? 1 : uCp < 0x800 ? 2 : uCp < 0x10000 ? 3 : 4;
}

/** What a walk over valid UTF-16 found. */
struct Utf16Measure
{
    size_t cwcText; /**< units before the NUL or the end of the length */
    size_t cch;     /**< UTF-8 bytes they need */
};

int rtUtf16Measure(const RTUTF16 *pwsz, size_t cwc, Utf16Measure *pMeasure)
{
    Utf16Measure Measure = {0, 0};
    while (cwc > 0 && *pwsz)
    {
        RTUNICP uCp;
        size_t cwcChar;
        int rc = rtUtf16DecodeOne(pwsz, cwc, false /*fBigEndian*/, &uCp, &cwcChar);
        if (RT_FAILURE(rc))
            return rc;
        pwsz += cwcChar;
        cwc -= cwcChar;
        Measure.cwcText += cwcChar;
        Measure.cch += rtUtf8LengthOf(uCp);
    }
    *pMeasure = Measure;
    return INF_SUCCESS;
}

int rtUtf16CpDecode(const RTUTF16 **ppwsz, RTUNICP *pCp, bool fBigEndian)
{
    size_t cwcChar;
    int rc = rtUtf16DecodeOne(*ppwsz, SIZE_MAX, fBigEndian, pCp, &cwcChar);
    *ppwsz += cwcChar;
    return rc;
}

/** Writes the already validated @a cwcText units as UTF-8 into @a psz, stopping
 * before a character that would leave no room for the terminator within @a cch
 * bytes; always terminates (cch >= 1). */
void rtUtf16WriteUtf8(const RTUTF16 *pwsz, size_t cwcText, char *psz, size_t cch)
{
    size_t cchRoom = cch - 1;
    while (cwcText > 0)
    {
        RTUNICP uCp;
        size_t cwcChar;
        rtUtf16DecodeOne(pwsz, cwcText, false /*fBigEndian*/, &uCp, &cwcChar);
        size_t cchChar = rtUtf8LengthOf(uCp);
        if (cchChar > cchRoom)
            break;
        psz = RTStrCpEncode(psz, uCp);
        cchRoom -= cchChar;
        pwsz += cwcChar;
        cwcText -= cwcChar;
    }
    *psz = '\0';
}

} // namespace

int RTUtf16CpDecode(const RTUTF16 **ppwsz, RTUNICP *pCp)
{
    return rtUtf16CpDecode(ppwsz, pCp, false /*fBigEndian*/);
}

int RTUtf16BigCpDecode(const RTUTF16 **ppwsz, RTUNICP *pCp)
{
    return rtUtf16CpDecode(ppwsz, pCp, true /*fBigEndian*/);
}

int RTUtf16Validate(const RTUTF16 *pwsz, size_t cwc, size_t *pcch)
{
    if (pcch)
        *pcch = SIZE_MAX;
    if (!RT_VALID_PTR(pwsz))
        return ERR_INVALID_POINTER;
    Utf16Measure Measure;
    int rc = rtUtf16Measure(pwsz, cwc, &Measure);
    if (RT_SUCCESS(rc) && pcch)
        *pcch = Measure.cch;
    return rc;
}

size_t RTUtf16Len(const RTUTF16 *pwsz)
{
    size_t cwc = 0;
    if (pwsz)
        while (pwsz[cwc])
            cwc++;
    return cwc;
}

int RTUtf16ToUtf8Ex(const RTUTF16 *pwsz, size_t cwc, char **ppsz, size_t cch, size_t *pcch, const char *pszTag)
{
    if (!RT_VALID_PTR(ppsz))
        return ERR_INVALID_POINTER;
    bool fCallerBuffer = cch != 0 && *ppsz != NULL;
    if (!fCallerBuffer)
        *ppsz = NULL;
    if (!RT_VALID_PTR(pwsz) || (fCallerBuffer && !RT_VALID_PTR(*ppsz)))
        return ERR_INVALID_POINTER;

    Utf16Measure Measure;
    int rc = rtUtf16Measure(pwsz, cwc, &Measure);
    if (RT_FAILURE(rc))
        return rc;
    if (pcch)
        *pcch = Measure.cch;

    if (fCallerBuffer)
    {
        rtUtf16WriteUtf8(pwsz, Measure.cwcText, *ppsz, cch);
        return Measure.cch + 1 > cch ? ERR_BUFFER_OVERFLOW : INF_SUCCESS;
    }

    size_t cchAlloc = RT_MAX(cch, Measure.cch + 1);
    char *pszNew = (char *)rtUtfAllocArray(cchAlloc, 1, cchAlloc > Measure.cch + 1, pszTag);
    if (!pszNew)
        return ERR_NO_STR_MEMORY;
    rtUtf16WriteUtf8(pwsz, Measure.cwcText, pszNew, cchAlloc);
    *ppsz = pszNew;
    return INF_SUCCESS;
}

/*
 * Allocation. Sizes are rounded up to whole units; a size whose rounding would
 * overflow cannot be satisfied and fails like an exhausted heap.
 */

namespace
{

/** @a cb rounded up to whole units (at least one), or 0 when that overflows. */
inline size_t rtUtf16AllocSize(size_t cb)
{
    if (cb > SIZE_MAX - 1)
        return 0;
    cb = (cb + 1) & ~(size_t)1;
    return cb ? cb : sizeof(RTUTF16);
}

} // namespace

RTUTF16 *RTUtf16Alloc(size_t cb, const char *pszTag)
{
    size_t cbAlloc = rtUtf16AllocSize(cb);
    if (!cbAlloc)
        return NULL;
    RTUTF16 *pwsz = (RTUTF16 *)RTMemAllocTag(cbAlloc, pszTag);
    if (pwsz)
        pwsz[0] = 0;
    return pwsz;
}

RTUTF16 *RTUtf16Dup(const RTUTF16 *pwsz, const char *pszTag)
{
    if (!pwsz)
        return NULL;
    size_t cwc = RTUtf16Len(pwsz) + 1;
    RTUTF16 *pwszNew = (RTUTF16 *)RTMemAllocTag(cwc * sizeof(RTUTF16), pszTag);
    if (pwszNew)
        for (size_t i = 0; i < cwc; i++)
            pwszNew[i] = pwsz[i];
    return pwszNew;
}

int RTUtf16Realloc(RTUTF16 **ppwsz, size_t cbNew, const char *pszTag)
{
    if (!RT_VALID_PTR(ppwsz))
        return ERR_INVALID_POINTER;
    if (cbNew == 0)
    {
        RTMemFree(*ppwsz);
        *ppwsz = NULL;
        return INF_SUCCESS;
    }
    size_t cbAlloc = rtUtf16AllocSize(cbNew);
    if (!cbAlloc)
        return ERR_NO_UTF16_MEMORY;
    bool fFresh = *ppwsz == NULL;
    RTUTF16 *pwszNew = (RTUTF16 *)RTMemReallocTag(*ppwsz, cbAlloc, pszTag);
    if (!pwszNew)
        return ERR_NO_UTF16_MEMORY;
    if (fFresh)
        pwszNew[0] = 0;
    pwszNew[cbAlloc / sizeof(RTUTF16) - 1] = 0;
    *ppwsz = pwszNew;
    return INF_SUCCESS;
}

void RTUtf16Free(RTUTF16 *pwsz)
{
    RTMemFree(pwsz);
}
