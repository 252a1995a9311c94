/** @file
 * UTF-8: decoding and encoding single characters, validation and counting,
 * and conversion to UTF-16 and to code point arrays.
 *
 * Every conversion runs in two passes: the first validates and counts (so
 * invalid text allocates and writes nothing), the second writes.
 */
#include <rt/string.h>
#include <rt/utf16.h>
#include <rt/mem.h>
#include "internal/utf.h"

/*
 * One character.
 */

namespace
{

/** What a lead byte announces: the sequence length, its payload bits and the
 * smallest value that really needs that length (anything below is overlong). */
struct Utf8Lead
{
    unsigned cb;
    RTUNICP uPayload;
    RTUNICP uMin;
};

/** Classifies a non-ASCII lead byte; cb is 0 when the byte cannot start a character. */
Utf8Lead rtUtf8ClassifyLead(uint8_t bLead)
{
    if ((bLead & 0xe0) == 0xc0)
        return Utf8Lead{2, bLead & 0x1fu, 0x80};
    if ((bLead & 0xf0) == 0xe0)
        return Utf8Lead{3, bLead & 0x0fu, 0x800};
    if ((bLead & 0xf8) == 0xf0)
        return Utf8Lead{4, bLead & 0x07u, 0x10000};
    if ((bLead & 0xfc) == 0xf8)
        return Utf8Lead{5, bLead & 0x03u, 0x200000};
    if ((bLead & 0xfe) == 0xfc)
        return Utf8Lead{6, bLead & 0x01u, 0x4000000};
    return Utf8Lead{0, 0, 0}; /* a continuation byte, 0xFE or 0xFF */
}

} // namespace

int rtUtf8DecodeOne(const char *pch, size_t cchLeft, bool fLenient, RTUNICP *pCp, size_t *pcch)
{
    const uint8_t *pb = (const uint8_t *)pch;
    *pCp = RTUNICP_INVALID;
    *pcch = 1;
    if (pb[0] < 0x80)
    {
        *pCp = pb[0];
        return INF_SUCCESS;
    }

    Utf8Lead Lead = rtUtf8ClassifyLead(pb[0]);
    if (Lead.cb == 0 || Lead.cb > cchLeft)
        return ERR_INVALID_UTF8_ENCODING;
    RTUNICP uCp = Lead.uPayload;
    /* Each byte is checked before the next is read, so a NUL ends the walk. */
    for (unsigned i = 1; i < Lead.cb; i++)
    {
        if ((pb[i] & 0xc0) != 0x80)
            return ERR_INVALID_UTF8_ENCODING;
        uCp = (uCp << 6) | (pb[i] & 0x3fu);
    }

    if (uCp < Lead.uMin)
        return ERR_INVALID_UTF8_ENCODING;
    if (Lead.cb == 3)
    {
        if (uCp >= 0xd800 && uCp <= 0xdfff)
            return ERR_SURROGATE_CODE_POINT;
        if (uCp >= 0xfffe)
            return ERR_NONCHARACTER_CODE_POINT;
    }
    else if (Lead.cb >= 4 && !fLenient && uCp > 0x10ffff)
        return ERR_CODE_POINT_OUT_OF_RANGE;

    *pCp = uCp;
    *pcch = Lead.cb;
    return INF_SUCCESS;
}

int RTStrCpDecode(const char **ppsz, RTUNICP *pCp)
{
    size_t cch = RTSTR_MAX;
    return RTStrCpDecodeN(ppsz, &cch, pCp);
}

int RTStrCpDecodeN(const char **ppsz, size_t *pcch, RTUNICP *pCp)
{
    if (*pcch == 0)
    {
        *pCp = RTUNICP_INVALID;
        return ERR_END_OF_STRING;
    }
    size_t cchChar;
    int rc = rtUtf8DecodeOne(*ppsz, *pcch, true /*fLenient*/, pCp, &cchChar);
    *ppsz += cchChar;
    *pcch -= cchChar;
    return rc;
}

RTUNICP RTStrCpAt(const char *psz)
{
    RTUNICP uCp;
    RTStrCpDecode(&psz, &uCp);
    return uCp;
}

char *RTStrCpEncode(char *psz, RTUNICP uCp)
{
    uint8_t *pb = (uint8_t *)psz;
    if (uCp < 0x80)
    {
        *pb++ = (uint8_t)uCp;
        return (char *)pb;
    }
    if (uCp & UINT32_C(0x80000000))
    {
        *pb++ = 0x7f; /* no UTF-8 form exists, not even a lenient one */
        return (char *)pb;
    }

    unsigned cb;
    uint8_t bLeadMarker;
    if (uCp < 0x800)
        cb = 2, bLeadMarker = 0xc0;
    else if (uCp < 0x10000)
        cb = 3, bLeadMarker = 0xe0;
    else if (uCp < 0x200000)
        cb = 4, bLeadMarker = 0xf0;
    else if (uCp < 0x4000000)
        cb = 5, bLeadMarker = 0xf8;
    else
        cb = 6, bLeadMarker = 0xfc;

    for (unsigned i = cb - 1; i > 0; i--)
    {
        pb[i] = (uint8_t)(0x80 | (uCp & 0x3f));
        uCp >>= 6;
    }
    pb[0] = (uint8_t)(bLeadMarker | uCp);
    return (char *)pb + cb;
}

const char *RTStrPrevCp(const char *pszStart, const char *psz)
{
    if (psz <= pszStart)
        return pszStart;
    /* Walk back over at most five continuation bytes to a lead byte, then
       require that lead to decode into exactly the bytes walked. */
    const char *pchLead = psz - 1;
    while (pchLead > pszStart && ((uint8_t)*pchLead & 0xc0) == 0x80 && psz - pchLead < 6)
        pchLead--;
    RTUNICP uCp;
    size_t cchChar;
    int rc = rtUtf8DecodeOne(pchLead, (size_t)(psz - pchLead), true /*fLenient*/, &uCp, &cchChar);
    if (RT_FAILURE(rc) || pchLead + cchChar != psz)
        return pszStart;
    return pchLead;
}

/*
 * Validation and counting.
 */

int rtUtf8Measure(const char *psz, size_t cch, Utf8Measure *pMeasure)
{
    Utf8Measure Measure = {0, 0, 0};
    while (cch > 0 && *psz)
    {
        RTUNICP uCp;
        size_t cchChar;
        int rc = rtUtf8DecodeOne(psz, cch, false /*fLenient*/, &uCp, &cchChar);
        if (RT_FAILURE(rc))
            return rc;
        psz += cchChar;
        cch -= cchChar;
        Measure.cchText += cchChar;
        Measure.cCps++;
        Measure.cwc += uCp >= 0x10000 ? 2 : 1;
    }
    *pMeasure = Measure;
    return INF_SUCCESS;
}

int RTStrUtf16Count(const char *psz, size_t cch, size_t *pcwc)
{
    if (!RT_VALID_PTR(psz))
    {
        if (pcwc)
            *pcwc = SIZE_MAX;
        return ERR_INVALID_POINTER;
    }
    Utf8Measure Measure;
    int rc = rtUtf8Measure(psz, cch, &Measure);
    if (pcwc)
        *pcwc = RT_SUCCESS(rc) ? Measure.cwc : SIZE_MAX;
    return rc;
}

size_t RTStrCpCount(const char *psz)
{
    Utf8Measure Measure;
    if (!RT_VALID_PTR(psz) || RT_FAILURE(rtUtf8Measure(psz, RTSTR_MAX, &Measure)))
        return 0;
    return Measure.cCps;
}

int RTStrValidate(const char *psz, size_t cch, uint32_t fFlags)
{
    if (fFlags & ~(RTSTR_VALIDATE_F_NUL_TERMINATED | RTSTR_VALIDATE_F_EXACT_LENGTH))
        return ERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(psz))
        return ERR_INVALID_POINTER;

    Utf8Measure Measure;
    int rc = rtUtf8Measure(psz, cch, &Measure);
    if (RT_FAILURE(rc))
        return rc;

    bool fHasNul = Measure.cchText < cch; /* the walk stopped at a NUL inside the length */
    if (fFlags & RTSTR_VALIDATE_F_NUL_TERMINATED)
    {
        if (!fHasNul)
            return ERR_BUFFER_OVERFLOW;
        if ((fFlags & RTSTR_VALIDATE_F_EXACT_LENGTH) && Measure.cchText + 1 != cch)
            return ERR_LENGTH_MISMATCH;
    }
    else if ((fFlags & RTSTR_VALIDATE_F_EXACT_LENGTH) && fHasNul)
        return ERR_LENGTH_MISMATCH;
    return INF_SUCCESS;
}

/*
 * Conversion.
 */

namespace
{

/** Writes the characters of the already validated @a cchText bytes at @a psz
 * as UTF-16 into @a pwsz, stopping before a character that would leave no room
 * for the terminator within @a cwc units; always terminates (cwc >= 1). */
void rtUtf8WriteUtf16(const char *psz, size_t cchText, RTUTF16 *pwsz, size_t cwc)
{
    size_t cwcRoom = cwc - 1;
    while (cchText > 0)
    {
        RTUNICP uCp;
        size_t cchChar;
        rtUtf8DecodeOne(psz, cchText, false /*fLenient*/, &uCp, &cchChar);
        if (uCp < 0x10000)
        {
            if (cwcRoom < 1)
                break;
            *pwsz++ = (RTUTF16)uCp;
            cwcRoom--;
        }
        else
        {
            if (cwcRoom < 2)
                break;
            uCp -= 0x10000;
            *pwsz++ = (RTUTF16)(0xd800 | (uCp >> 10));
            *pwsz++ = (RTUTF16)(0xdc00 | (uCp & 0x3ff));
            cwcRoom -= 2;
        }
        psz += cchChar;
        cchText -= cchChar;
    }
    *pwsz = 0;
}

/** As rtUtf8WriteUtf16 for 32-bit code points. */
void rtUtf8WriteCodePoints(const char *psz, size_t cchText, RTUNICP *paCps, size_t cCps)
{
    size_t cRoom = cCps - 1;
    while (cchText > 0 && cRoom > 0)
    {
        size_t cchChar;
        rtUtf8DecodeOne(psz, cchText, false /*fLenient*/, paCps++, &cchChar);
        cRoom--;
        psz += cchChar;
        cchText -= cchChar;
    }
    *paCps = 0;
}

} // namespace

int RTStrToUtf16Ex(const char *psz, size_t cch, RTUTF16 **ppwsz, size_t cwc, size_t *pcwc, const char *pszTag)
{
    if (!RT_VALID_PTR(ppwsz))
        return ERR_INVALID_POINTER;
    bool fCallerBuffer = cwc != 0 && *ppwsz != NULL;
    if (!fCallerBuffer)
        *ppwsz = NULL;
    if (!RT_VALID_PTR(psz) || (fCallerBuffer && !RT_VALID_PTR(*ppwsz)))
        return ERR_INVALID_POINTER;

    Utf8Measure Measure;
    int rc = rtUtf8Measure(psz, cch, &Measure);
    if (RT_FAILURE(rc))
        return rc;
    if (pcwc)
        *pcwc = Measure.cwc;

    if (fCallerBuffer)
    {
        rtUtf8WriteUtf16(psz, Measure.cchText, *ppwsz, cwc);
        return Measure.cwc + 1 > cwc ? ERR_BUFFER_OVERFLOW : INF_SUCCESS;
    }

    size_t cwcAlloc = RT_MAX(cwc, Measure.cwc + 1);
    RTUTF16 *pwszNew = (RTUTF16 *)rtUtfAllocArray(cwcAlloc, sizeof(RTUTF16), cwcAlloc > Measure.cwc + 1, pszTag);
    if (!pwszNew)
        return ERR_NO_UTF16_MEMORY;
    rtUtf8WriteUtf16(psz, Measure.cchText, pwszNew, cwcAlloc);
    *ppwsz = pwszNew;
    return INF_SUCCESS;
}

int RTStrToUtf16(const char *psz, RTUTF16 **ppwsz, const char *pszTag)
{
    /* Size 0 always allocates, and exactly units + 1. */
    return RTStrToUtf16Ex(psz, RTSTR_MAX, ppwsz, 0, NULL, pszTag);
}

int RTStrToCodePoints(const char *psz, size_t cch, RTUNICP **ppaCps, size_t cCps, size_t *pcCps)
{
    if (!RT_VALID_PTR(ppaCps))
        return ERR_INVALID_POINTER;
    bool fCallerBuffer = cCps != 0 && *ppaCps != NULL;
    if (!fCallerBuffer)
        *ppaCps = NULL;
    if (!RT_VALID_PTR(psz) || (fCallerBuffer && !RT_VALID_PTR(*ppaCps)))
        return ERR_INVALID_POINTER;

    Utf8Measure Measure;
    int rc = rtUtf8Measure(psz, cch, &Measure);
    if (RT_FAILURE(rc))
        return rc;
    if (pcCps)
        *pcCps = Measure.cCps;

    if (fCallerBuffer)
    {
        rtUtf8WriteCodePoints(psz, Measure.cchText, *ppaCps, cCps);
        return Measure.cCps + 1 > cCps ? ERR_BUFFER_OVERFLOW : INF_SUCCESS;
    }

    size_t cAlloc = RT_MAX(cCps, Measure.cCps + 1);
    RTUNICP *paNew = (RTUNICP *)rtUtfAllocArray(cAlloc, sizeof(RTUNICP), cAlloc > Measure.cCps + 1, RTMEM_TAG);
    if (!paNew)
        return ERR_NO_CODE_POINT_MEMORY;
    rtUtf8WriteCodePoints(psz, Measure.cchText, paNew, cAlloc);
    *ppaCps = paNew;
    return INF_SUCCESS;
}
