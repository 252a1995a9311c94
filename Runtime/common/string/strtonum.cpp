/** @file
 * Integer parsing: signs, base prefixes, digit accumulation with overflow
 * detection, narrowing to the result width and the trailing-text statuses.
 *
 * Every form runs the same scan (rtStrNumScan) into a neutral description of
 * the text (sign, magnitude, where the digits stopped, what follows) and then
 * turns that into the value and status of its result type.
 */
#include <rt/strnum.h>

namespace
{

/** What follows the digits, up to the end of the text or the limit. */
enum RTSTRNUMTAIL
{
    kTailNone,   /**< nothing: the digits end the text */
    kTailBlanks, /**< only spaces and tabs */
    kTailOther   /**< anything else */
};

/** The outcome of scanning one number, before it is fitted to a type. */
struct RTSTRNUMSCAN
{
    const char *pszEnd;  /**< where the digits stopped (the text start when there are none) */
    uint64_t uMagnitude; /**< absolute value; UINT64_MAX once fOverflow is set */
    bool fNegative;      /**< an odd number of '-' signs */
    bool fOverflow;      /**< the magnitude exceeded 64 bits */
    bool fDigits;        /**< at least one digit was seen */
    RTSTRNUMTAIL enmTail;
};

/** Value of @a ch as a digit of any base up to 36, or 36 when it is none. */
unsigned rtStrNumDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return (unsigned)(ch - '0');
    if (ch >= 'a' && ch <= 'z')
        return (unsigned)(ch - 'a') + 10;
    if (ch >= 'A' && ch <= 'Z')
        return (unsigned)(ch - 'A') + 10;
    return 36;
}

bool rtStrNumIsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

/**
 * The character at @a idx, or NUL when the limit ends the text before it.
 * Callers move forward one character at a time and never past a NUL, so no
 * byte beyond the terminator is read.
 */
char rtStrNumCharAt(const char *psz, size_t cchMax, size_t idx)
{
    return idx < cchMax ? psz[idx] : '\0';
}

bool rtStrNumIsHexPrefix(const char *psz, size_t cchMax, size_t idx)
{
    if (rtStrNumCharAt(psz, cchMax, idx) != '0')
        return false;
    char chX = rtStrNumCharAt(psz, cchMax, idx + 1);
    return (chX == 'x' || chX == 'X') && rtStrNumDigitValue(rtStrNumCharAt(psz, cchMax, idx + 2)) < 16;
}

/**
 * Picks the base for the digits starting at @a *pidx and skips a hexadecimal
 * prefix where one applies. A base of 0 or 36 and above asks for detection.
 */
unsigned rtStrNumSelectBase(const char *psz, size_t cchMax, size_t *pidx, unsigned uBase)
{
    size_t idx = *pidx;
    bool fDetect = uBase == 0 || uBase >= 36;
    if ((fDetect || uBase == 16) && rtStrNumIsHexPrefix(psz, cchMax, idx))
    {
        *pidx = idx + 2;
        return 16;
    }
    if (!fDetect)
        return uBase;
    if (rtStrNumCharAt(psz, cchMax, idx) == '0' && rtStrNumDigitValue(rtStrNumCharAt(psz, cchMax, idx + 1)) < 8)
        return 8;
    return 10;
}

RTSTRNUMTAIL rtStrNumClassifyTail(const char *psz, size_t cchMax, size_t idx)
{
    RTSTRNUMTAIL enmTail = kTailNone;
    for (char ch; (ch = rtStrNumCharAt(psz, cchMax, idx)) != '\0'; idx++)
    {
        if (!rtStrNumIsBlank(ch))
            return kTailOther;
        enmTail = kTailBlanks;
    }
    return enmTail;
}

/** Scans signs, prefix and digits. Fails only for base 1, which has no digits. */
int rtStrNumScan(const char *psz, unsigned uBaseAndMaxLen, RTSTRNUMSCAN *pScan)
{
    unsigned uBase = uBaseAndMaxLen & 0xffu;
    if (uBase == 1)
        return ERR_INVALID_PARAMETER;
    size_t cchMax = uBaseAndMaxLen >> 8;
    if (cchMax == 0)
        cchMax = ~(size_t)0;

    size_t idx = 0;
    bool fNegative = false;
    for (char ch; (ch = rtStrNumCharAt(psz, cchMax, idx)) == '-' || ch == '+'; idx++)
        fNegative = ch == '-' ? !fNegative : false;

    uBase = rtStrNumSelectBase(psz, cchMax, &idx, uBase);

    size_t const idxDigits = idx;
    uint64_t uMagnitude = 0;
    bool fOverflow = false;
    for (unsigned uDigit; (uDigit = rtStrNumDigitValue(rtStrNumCharAt(psz, cchMax, idx))) < uBase; idx++)
    {
        /* Checked without a 64-bit division, which 32-bit code would call a
         * compiler helper for. */
        uint64_t uNext;
        if (fOverflow || __builtin_mul_overflow(uMagnitude, (uint64_t)uBase, &uNext) ||
            __builtin_add_overflow(uNext, (uint64_t)uDigit, &uNext))
        {
            fOverflow = true;
            uMagnitude = UINT64_MAX;
        }
        else
            uMagnitude = uNext;
    }

    pScan->fDigits = idx != idxDigits;
    pScan->pszEnd = pScan->fDigits ? psz + idx : psz;
    pScan->uMagnitude = uMagnitude;
    pScan->fNegative = fNegative;
    pScan->fOverflow = fOverflow;
    pScan->enmTail = pScan->fDigits ? rtStrNumClassifyTail(psz, cchMax, idx) : kTailNone;
    return INF_SUCCESS;
}

/** Fits the scanned number into an unsigned type whose largest value is @a uMax. */
int rtStrNumToUnsigned(const RTSTRNUMSCAN *pScan, uint64_t uMax, uint64_t *puValue)
{
    if (!pScan->fDigits)
    {
        *puValue = 0;
        return ERR_NO_DIGITS;
    }
    if (pScan->fOverflow || pScan->uMagnitude > uMax)
    {
        *puValue = uMax;
        return WRN_NUMBER_TOO_BIG;
    }
    if (pScan->fNegative)
    {
        *puValue = (0 - pScan->uMagnitude) & uMax;
        return WRN_NEGATIVE_UNSIGNED;
    }
    *puValue = pScan->uMagnitude;
    return INF_SUCCESS;
}

/** Fits the scanned number into a signed type whose largest value is @a iMax (its smallest is -iMax - 1). */
int rtStrNumToSigned(const RTSTRNUMSCAN *pScan, int64_t iMax, int64_t *piValue)
{
    if (!pScan->fDigits)
    {
        *piValue = 0;
        return ERR_NO_DIGITS;
    }
    int64_t const iMin = -iMax - 1;
    uint64_t const uLimit = pScan->fNegative ? (uint64_t)iMax + 1 : (uint64_t)iMax;
    if (pScan->fOverflow || pScan->uMagnitude > uLimit)
    {
        *piValue = pScan->fNegative ? iMin : iMax;
        return WRN_NUMBER_TOO_BIG;
    }
    if (!pScan->fNegative)
        *piValue = (int64_t)pScan->uMagnitude;
    else if (pScan->uMagnitude == uLimit)
        *piValue = iMin; /* its magnitude has no positive counterpart */
    else
        *piValue = -(int64_t)pScan->uMagnitude;
    return INF_SUCCESS;
}

/**
 * Combines the value status with what follows the digits. The prefix forms
 * report trailing text only when the value itself was fine; the whole forms
 * always fail on trailing text, so no warning there can hide it.
 */
int rtStrNumFinalStatus(const RTSTRNUMSCAN *pScan, int rcValue, bool fWhole)
{
    if (!pScan->fDigits || pScan->enmTail == kTailNone)
        return rcValue;
    if (fWhole)
        return pScan->enmTail == kTailBlanks ? ERR_TRAILING_SPACES : ERR_TRAILING_CHARS;
    if (rcValue != INF_SUCCESS)
        return rcValue;
    return pScan->enmTail == kTailBlanks ? WRN_TRAILING_SPACES : WRN_TRAILING_CHARS;
}

bool rtStrNumPointersValid(const char *pszValue, char **ppszNext, const void *pvResult)
{
    return RT_VALID_PTR(pszValue) && (!ppszNext || RT_VALID_PTR(ppszNext)) && (!pvResult || RT_VALID_PTR(pvResult));
}

template <typename TValue>
int rtStrParseUnsigned(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, bool fWhole, TValue *pValue)
{
    if (!rtStrNumPointersValid(pszValue, ppszNext, pValue))
        return ERR_INVALID_POINTER;
    RTSTRNUMSCAN Scan;
    int rc = rtStrNumScan(pszValue, uBaseAndMaxLen, &Scan);
    if (RT_FAILURE(rc))
        return rc;

    uint64_t uValue;
    rc = rtStrNumFinalStatus(&Scan, rtStrNumToUnsigned(&Scan, (TValue) ~(TValue)0, &uValue), fWhole);
    if (ppszNext)
        *ppszNext = (char *)Scan.pszEnd;
    if (pValue)
        *pValue = (TValue)uValue;
    return rc;
}

template <typename TValue>
int rtStrParseSigned(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, bool fWhole, TValue *pValue)
{
    if (!rtStrNumPointersValid(pszValue, ppszNext, pValue))
        return ERR_INVALID_POINTER;
    RTSTRNUMSCAN Scan;
    int rc = rtStrNumScan(pszValue, uBaseAndMaxLen, &Scan);
    if (RT_FAILURE(rc))
        return rc;

    int64_t const iMax = (int64_t)((UINT64_C(1) << (sizeof(TValue) * 8 - 1)) - 1);
    int64_t iValue;
    rc = rtStrNumFinalStatus(&Scan, rtStrNumToSigned(&Scan, iMax, &iValue), fWhole);
    if (ppszNext)
        *ppszNext = (char *)Scan.pszEnd;
    if (pValue)
        *pValue = (TValue)iValue;
    return rc;
}

} // namespace

int RTStrParseU64(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint64_t *pu64)
{
    return rtStrParseUnsigned(pszValue, ppszNext, uBaseAndMaxLen, false, pu64);
}

int RTStrParseU32(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint32_t *pu32)
{
    return rtStrParseUnsigned(pszValue, ppszNext, uBaseAndMaxLen, false, pu32);
}

int RTStrParseU16(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint16_t *pu16)
{
    return rtStrParseUnsigned(pszValue, ppszNext, uBaseAndMaxLen, false, pu16);
}

int RTStrParseU8(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint8_t *pu8)
{
    return rtStrParseUnsigned(pszValue, ppszNext, uBaseAndMaxLen, false, pu8);
}

int RTStrParseI64(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int64_t *pi64)
{
    return rtStrParseSigned(pszValue, ppszNext, uBaseAndMaxLen, false, pi64);
}

int RTStrParseI32(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int32_t *pi32)
{
    return rtStrParseSigned(pszValue, ppszNext, uBaseAndMaxLen, false, pi32);
}

int RTStrParseI16(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int16_t *pi16)
{
    return rtStrParseSigned(pszValue, ppszNext, uBaseAndMaxLen, false, pi16);
}

int RTStrParseI8(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int8_t *pi8)
{
    return rtStrParseSigned(pszValue, ppszNext, uBaseAndMaxLen, false, pi8);
}

int RTStrParseU64Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint64_t *pu64)
{
    return rtStrParseUnsigned(pszValue, nullptr, uBaseAndMaxLen, true, pu64);
}

int RTStrParseU32Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint32_t *pu32)
{
    return rtStrParseUnsigned(pszValue, nullptr, uBaseAndMaxLen, true, pu32);
}

int RTStrParseU16Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint16_t *pu16)
{
    return rtStrParseUnsigned(pszValue, nullptr, uBaseAndMaxLen, true, pu16);
}

int RTStrParseU8Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint8_t *pu8)
{
    return rtStrParseUnsigned(pszValue, nullptr, uBaseAndMaxLen, true, pu8);
}

int RTStrParseI64Whole(const char *pszValue, unsigned uBaseAndMaxLen, int64_t *pi64)
{
    return rtStrParseSigned(pszValue, nullptr, uBaseAndMaxLen, true, pi64);
}

int RTStrParseI32Whole(const char *pszValue, unsigned uBaseAndMaxLen, int32_t *pi32)
{
    return rtStrParseSigned(pszValue, nullptr, uBaseAndMaxLen, true, pi32);
}

int RTStrParseI16Whole(const char *pszValue, unsigned uBaseAndMaxLen, int16_t *pi16)
{
    return rtStrParseSigned(pszValue, nullptr, uBaseAndMaxLen, true, pi16);
}

int RTStrParseI8Whole(const char *pszValue, unsigned uBaseAndMaxLen, int8_t *pi8)
{
    return rtStrParseSigned(pszValue, nullptr, uBaseAndMaxLen, true, pi8);
}
