/** @file
 * The formatter's number routine and its buffer-size-checked front ends.
 */
#include <rt/string.h>
#include "internal/uint64div.h"

namespace
{

/** Reduces @a u64Value to the width the size flags give, sign-extending signed values. */
uint64_t rtstrFmtNumNarrowToFlaggedWidth(uint64_t u64Value, unsigned fFlags)
{
    bool const fSigned = (fFlags & RTFMT_F_SIGNED) != 0;
    if (fFlags & RTFMT_F_8BIT)
        return fSigned ? (uint64_t)(int64_t)(int8_t)u64Value : (uint8_t)u64Value;
    if (fFlags & RTFMT_F_16BIT)
        return fSigned ? (uint64_t)(int64_t)(int16_t)u64Value : (uint16_t)u64Value;
    if (fFlags & RTFMT_F_32BIT)
        return fSigned ? (uint64_t)(int64_t)(int32_t)u64Value : (uint32_t)u64Value;
    return u64Value;
}

/** Writes the digits of @a uMagnitude, most significant first, grouping by three with spaces when asked. */
int rtstrFmtNumDigits(char *pszDst, uint64_t uMagnitude, unsigned uiBase, int cMinDigits, bool fGroup,
                      const char *pszDigits)
{
    char achRev[RTSTR_NUMBER_BUF_SIZE];
    int cDigits = 0;
    do
    {
        uint64_t uDigit;
        uMagnitude = rtUInt64DivRem(uMagnitude, uiBase, &uDigit);
        achRev[cDigits++] = pszDigits[uDigit];
    } while (uMagnitude);
    while (cDigits < cMinDigits)
        achRev[cDigits++] = '0';

    int off = 0;
    for (int i = cDigits - 1; i >= 0; i--)
    {
        pszDst[off++] = achRev[i];
        if (fGroup && i > 0 && i % 3 == 0)
            pszDst[off++] = ' ';
    }
    return off;
}

} // namespace

int RTStrFmtNumber(char *psz, uint64_t u64Value, unsigned uiBase, int cchWidth, int cchPrecision, unsigned fFlags)
{
    int const cchMax = RTSTR_NUMBER_BUF_SIZE - 1;
    if (uiBase < 2 || uiBase > 16)
    {
        *psz = '\0';
        return 0;
    }
    const char *pszDigits = fFlags & RTFMT_F_CAPITAL ? "0123456789ABCDEF" : "0123456789abcdef";
    if (fFlags & RTFMT_F_LEFT)
        fFlags &= ~RTFMT_F_ZEROPAD;
    bool const fGroup = (fFlags & RTFMT_F_GROUP) && uiBase == 10 && !(fFlags & RTFMT_F_ZEROPAD);

    /* Sign. The magnitude of the most negative value is computed in unsigned arithmetic. */
    u64Value = rtstrFmtNumNarrowToFlaggedWidth(u64Value, fFlags);
    char szHead[4];
    int cchHead = 0;
    uint64_t uMagnitude = u64Value;
    if (fFlags & RTFMT_F_SIGNED)
    {
        if ((int64_t)u64Value < 0)
        {
            uMagnitude = 0 - u64Value;
            szHead[cchHead++] = '-';
        }
        else if (fFlags & RTFMT_F_PLUS)
            szHead[cchHead++] = '+';
        else if (fFlags & RTFMT_F_BLANK)
            szHead[cchHead++] = ' ';
    }
    if (fFlags & RTFMT_F_PREFIX)
    {
        if (uiBase == 8)
            szHead[cchHead++] = '0';
        else if (uiBase == 16)
        {
            szHead[cchHead++] = '0';
            szHead[cchHead++] = fFlags & RTFMT_F_CAPITAL ? 'X' : 'x';
        }
    }

    /* Digits, with the precision as the minimum digit count, into a scratch buffer
       big enough for 64 binary digits plus group separators. */
    char achDigits[RTSTR_NUMBER_BUF_SIZE * 2];
    int cMinDigits = RT_MIN(RT_MAX(cchPrecision, 0), cchMax);
    int cchDigits = rtstrFmtNumDigits(achDigits, uMagnitude, uiBase, cMinDigits, fGroup, pszDigits);
    if (cchHead + cchDigits > cchMax) /* only base 2 and 3 can get here: keep the low-order digits */
    {
        int cchDrop = cchHead + cchDigits - cchMax;
        for (int i = 0; i + cchDrop < cchDigits; i++)
            achDigits[i] = achDigits[i + cchDrop];
        cchDigits -= cchDrop;
    }

    int cchPad = RT_MIN(cchWidth, cchMax) - (cchHead + cchDigits);
    int off = 0;
    if (cchPad > 0 && !(fFlags & (RTFMT_F_LEFT | RTFMT_F_ZEROPAD)))
        while (cchPad-- > 0)
            psz[off++] = ' ';
    for (int i = 0; i < cchHead; i++)
        psz[off++] = szHead[i];
    if (fFlags & RTFMT_F_ZEROPAD)
        while (cchPad-- > 0)
            psz[off++] = '0';
    for (int i = 0; i < cchDigits; i++)
        psz[off++] = achDigits[i];
    while (cchPad-- > 0)
        psz[off++] = ' ';
    psz[off] = '\0';
    return off;
}

namespace
{

intptr_t rtstrFmtNumCopy(char *pszBuf, size_t cbBuf, const char *pszNumber, int cchNumber)
{
    if (cbBuf > (size_t)cchNumber)
    {
        for (int i = 0; i <= cchNumber; i++)
            pszBuf[i] = pszNumber[i];
        return cchNumber;
    }
    if (cbBuf > 0)
    {
        for (size_t i = 0; i + 1 < cbBuf; i++)
            pszBuf[i] = pszNumber[i];
        pszBuf[cbBuf - 1] = '\0';
    }
    return ERR_BUFFER_OVERFLOW;
}

} // namespace

intptr_t RTStrFmtU32(char *pszBuf, size_t cbBuf, uint32_t u32Value, unsigned uiBase, int cchWidth, int cchPrecision,
                     uint32_t fFlags)
{
    char szTmp[RTSTR_NUMBER_BUF_SIZE];
    int cch = RTStrFmtNumber(szTmp, u32Value, uiBase, cchWidth, cchPrecision, fFlags | RTFMT_F_32BIT);
    return rtstrFmtNumCopy(pszBuf, cbBuf, szTmp, cch);
}

intptr_t RTStrFmtU64(char *pszBuf, size_t cbBuf, uint64_t u64Value, unsigned uiBase, int cchWidth, int cchPrecision,
                     uint32_t fFlags)
{
    char szTmp[RTSTR_NUMBER_BUF_SIZE];
    int cch = RTStrFmtNumber(szTmp, u64Value, uiBase, cchWidth, cchPrecision, fFlags | RTFMT_F_64BIT);
    return rtstrFmtNumCopy(pszBuf, cbBuf, szTmp, cch);
}
