/** @file
 * Conversion of option values by value type: integers, IPv4 addresses and
 * networks, MAC addresses, UUIDs, booleans and number pairs.
 */
#include "internal/ctype.h"
#include <rt/getopt.h>
#include <rt/err.h>
#include <rt/strnum.h>
#include "internal/getopt.h"

namespace
{

const uint32_t BASE_BITS = RTOPT_HEX | RTOPT_OCT | RTOPT_DEC;

bool rtGetOptIsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

bool rtGetOptIsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

bool rtGetOptIsSpace(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

const char *rtGetOptSkipBlanks(const char *psz)
{
    while (rtGetOptIsBlank(*psz))
        psz++;
    return psz;
}

const char *rtGetOptSkipSpaces(const char *psz)
{
    while (rtGetOptIsSpace(*psz))
        psz++;
    return psz;
}

bool rtGetOptHasHexPrefix(const char *psz)
{
    return psz[0] == '0' && (psz[1] == 'x' || psz[1] == 'X') && rtHexDigitValue(psz[2]) >= 0;
}

bool rtGetOptIsIntegerType(uint32_t uType)
{
    return uType >= RTOPT_VAL_INT8 && uType <= RTOPT_VAL_UINT64;
}

bool rtGetOptIsPairType(uint32_t uType)
{
    return uType >= RTOPT_VAL_UINT32_PAIR && uType <= RTOPT_VAL_UINT64_OPTIONAL_PAIR;
}

/** Base 8, 10 or 16 from a single base bit, 0 when none is set. */
unsigned rtGetOptBaseFromFlags(uint32_t fFlags)
{
    switch (fFlags & BASE_BITS)
    {
        case RTOPT_HEX:
            return 16;
        case RTOPT_OCT:
            return 8;
        case RTOPT_DEC:
            return 10;
        default:
            return 0;
    }
}

/*
 * Integers.
 */

/** Parses the whole of @a psz in @a uBase into the member of @a pTmp that has the type's width and sign. */
int rtGetOptParseWholeInteger(uint32_t uType, const char *psz, unsigned uBase, RTOPTVALUE *pTmp)
{
    switch (uType)
    {
        case RTOPT_VAL_INT8:
            return RTStrParseI8Whole(psz, uBase, &pTmp->i8);
        case RTOPT_VAL_UINT8:
            return RTStrParseU8Whole(psz, uBase, &pTmp->u8);
        case RTOPT_VAL_INT16:
            return RTStrParseI16Whole(psz, uBase, &pTmp->i16);
        case RTOPT_VAL_UINT16:
            return RTStrParseU16Whole(psz, uBase, &pTmp->u16);
        case RTOPT_VAL_INT32:
            return RTStrParseI32Whole(psz, uBase, &pTmp->i32);
        case RTOPT_VAL_UINT32:
            return RTStrParseU32Whole(psz, uBase, &pTmp->u32);
        case RTOPT_VAL_INT64:
            return RTStrParseI64Whole(psz, uBase, &pTmp->i64);
        default:
            return RTStrParseU64Whole(psz, uBase, &pTmp->u64);
    }
}

int rtGetOptConvertInteger(uint32_t fFlags, const char *psz, PRTOPTVALUE pValue)
{
    uint32_t uType = fFlags & RTOPT_VAL_MASK;
    RTOPTVALUE Tmp;
    Tmp.u64 = 0;
    int rc;
    unsigned uBase = rtGetOptBaseFromFlags(fFlags);
    if (uBase)
        rc = rtGetOptParseWholeInteger(uType, psz, uBase, &Tmp);
    else
    {
        /* Decimal first, so "010" is ten; "0x10" fails there and is read again as hexadecimal. */
        rc = rtGetOptParseWholeInteger(uType, psz, 10, &Tmp);
        if (rc != INF_SUCCESS && rtGetOptHasHexPrefix(psz))
            rc = rtGetOptParseWholeInteger(uType, psz, 16, &Tmp);
    }
    if (rc != INF_SUCCESS)
        return ERR_OPT_BAD_VALUE_FORMAT;
    pValue->u64 = Tmp.u64;
    return INF_SUCCESS;
}

/*
 * IPv4 addresses and networks.
 */

/** Reads one decimal octet (0 to 255) at *ppsz and advances past it. */
bool rtGetOptParseDecimalOctet(const char **ppsz, uint8_t *pu8)
{
    const char *psz = *ppsz;
    if (!rtGetOptIsDigit(*psz))
        return false;
    unsigned uValue = 0;
    while (rtGetOptIsDigit(*psz))
    {
        uValue = uValue * 10 + (unsigned)(*psz++ - '0');
        if (uValue > 255)
            return false;
    }
    *pu8 = (uint8_t)uValue;
    *ppsz = psz;
    return true;
}

/** Reads up to four '.'-separated octets; *pcOctets gets how many were read. */
bool rtGetOptParseOctets(const char **ppsz, uint8_t abOctets[4], unsigned *pcOctets)
{
    const char *psz = *ppsz;
    unsigned cOctets = 0;
    for (;;)
    {
        if (!rtGetOptParseDecimalOctet(&psz, &abOctets[cOctets]))
            return false;
        cOctets++;
        if (cOctets == 4 || *psz != '.')
            break;
        psz++;
    }
    *pcOctets = cOctets;
    *ppsz = psz;
    return true;
}

int rtGetOptConvertIPv4Addr(const char *psz, PRTOPTVALUE pValue)
{
    psz = rtGetOptSkipBlanks(psz);
    RTNETADDRIPV4 Addr;
    Addr.u = 0;
    unsigned cOctets = 0;
    if (!rtGetOptParseOctets(&psz, Addr.au8, &cOctets) || cOctets != 4 || *rtGetOptSkipBlanks(psz) != '\0')
        return ERR_OPT_BAD_VALUE_FORMAT;
    pValue->IPv4Addr = Addr;
    return INF_SUCCESS;
}

/** Reads a whole decimal prefix length 0 to 32. */
bool rtGetOptParsePrefixLength(const char *psz, unsigned *pcBits)
{
    if (!rtGetOptIsDigit(*psz))
        return false;
    unsigned cBits = 0;
    while (rtGetOptIsDigit(*psz))
    {
        cBits = cBits * 10 + (unsigned)(*psz++ - '0');
        if (cBits > 32)
            return false;
    }
    *pcBits = cBits;
    return *psz == '\0';
}

int rtGetOptConvertIPv4Cidr(const char *psz, PRTOPTVALUE pValue)
{
    uint8_t abOctets[4] = {0, 0, 0, 0};
    unsigned cOctets = 0;
    if (!rtGetOptParseOctets(&psz, abOctets, &cOctets))
        return ERR_OPT_BAD_VALUE_FORMAT;
    unsigned cBits = 32;
    if (*psz == '/')
    {
        if (!rtGetOptParsePrefixLength(psz + 1, &cBits))
            return ERR_OPT_BAD_VALUE_FORMAT;
    }
    else if (*psz != '\0')
        return ERR_OPT_BAD_VALUE_FORMAT;

    /* A short address must still cover every octet the prefix reaches into ("10/8"). */
    if (cOctets < 4 && cOctets * 8 < cBits)
        return ERR_OPT_BAD_VALUE_FORMAT;
    uint32_t u32Network =
        (uint32_t)abOctets[0] << 24 | (uint32_t)abOctets[1] << 16 | (uint32_t)abOctets[2] << 8 | abOctets[3];
    uint32_t u32Netmask = cBits == 0 ? 0 : UINT32_MAX << (32 - cBits);
    if (u32Network & ~u32Netmask)
        return ERR_OPT_BAD_VALUE_FORMAT;
    pValue->CidrIPv4.u32Network = u32Network;
    pValue->CidrIPv4.u32Netmask = u32Netmask;
    return INF_SUCCESS;
}

/*
 * MAC addresses and UUIDs.
 */

/** Reads twelve hexadecimal digits as six bytes; only white space may follow. */
bool rtGetOptParseMacDigits(const char *psz, RTMAC *pMac)
{
    for (unsigned i = 0; i < 6; i++)
    {
        int iHigh = rtHexDigitValue(psz[2 * i]);
        int iLow = iHigh >= 0 ? rtHexDigitValue(psz[2 * i + 1]) : -1;
        if (iLow < 0)
            return false;
        pMac->au8[i] = (uint8_t)(iHigh << 4 | iLow);
    }
    return *rtGetOptSkipSpaces(&psz[12]) == '\0';
}

/** Reads six ':'-separated hexadecimal parts of value 0 to FF; a middle part may be empty (0). */
bool rtGetOptParseMacParts(const char *psz, RTMAC *pMac)
{
    for (unsigned i = 0; i < 6; i++)
    {
        if (i > 0)
        {
            if (*psz != ':')
                return false;
            psz++;
        }
        unsigned uValue = 0;
        unsigned cDigits = 0;
        for (int iDigit; (iDigit = rtHexDigitValue(*psz)) >= 0; psz++, cDigits++)
        {
            uValue = uValue << 4 | (unsigned)iDigit;
            if (uValue > 0xff)
                return false;
        }
        if (cDigits == 0 && (i == 0 || i == 5))
            return false;
        pMac->au8[i] = (uint8_t)uValue;
    }
    return *rtGetOptSkipSpaces(psz) == '\0';
}

int rtGetOptConvertMacAddr(const char *psz, PRTOPTVALUE pValue)
{
    psz = rtGetOptSkipSpaces(psz);
    RTMAC Mac;
    bool fPlainDigits = true;
    for (unsigned i = 0; i < 12 && fPlainDigits; i++)
        fPlainDigits = rtHexDigitValue(psz[i]) >= 0;
    if (!(fPlainDigits ? rtGetOptParseMacDigits(psz, &Mac) : rtGetOptParseMacParts(psz, &Mac)))
        return ERR_OPT_BAD_VALUE_FORMAT;
    pValue->MacAddr = Mac;
    return INF_SUCCESS;
}

/** Reads @a cDigits hexadecimal digits at *ppsz into a number and advances. */
bool rtGetOptParseHexDigits(const char **ppsz, unsigned cDigits, uint32_t *pu32)
{
    uint32_t uValue = 0;
    for (unsigned i = 0; i < cDigits; i++)
    {
        int iDigit = rtHexDigitValue((*ppsz)[i]);
        if (iDigit < 0)
            return false;
        uValue = uValue << 4 | (uint32_t)iDigit;
    }
    *ppsz += cDigits;
    *pu32 = uValue;
    return true;
}

bool rtGetOptExpectChar(const char **ppsz, char ch)
{
    if (**ppsz != ch)
        return false;
    (*ppsz)++;
    return true;
}

/** Reads "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", optionally in braces, and nothing else.
 * @returns INF_SUCCESS or ERR_INVALID_UUID_FORMAT. */
int rtGetOptParseUuid(const char *psz, RTUUID *pUuid)
{
    const bool fBraces = rtGetOptExpectChar(&psz, '{');
    uint32_t u32Group1 = 0, u32Group2 = 0, u32Group3 = 0, u32Byte = 0;
    bool fOk = rtGetOptParseHexDigits(&psz, 8, &u32Group1) && rtGetOptExpectChar(&psz, '-') &&
               rtGetOptParseHexDigits(&psz, 4, &u32Group2) && rtGetOptExpectChar(&psz, '-') &&
               rtGetOptParseHexDigits(&psz, 4, &u32Group3) && rtGetOptExpectChar(&psz, '-');
    for (unsigned i = 0; fOk && i < 8; i++)
    {
        if (i == 2)
            fOk = rtGetOptExpectChar(&psz, '-');
        fOk = fOk && rtGetOptParseHexDigits(&psz, 2, &u32Byte);
        pUuid->au8[8 + i] = (uint8_t)u32Byte;
    }
    if (!fOk || (fBraces && !rtGetOptExpectChar(&psz, '}')) || *psz != '\0')
        return ERR_INVALID_UUID_FORMAT;
    pUuid->Gen.u32TimeLow = u32Group1;
    pUuid->Gen.u16TimeMid = (uint16_t)u32Group2;
    pUuid->Gen.u16TimeHiAndVersion = (uint16_t)u32Group3;
    return INF_SUCCESS;
}

int rtGetOptConvertUuid(const char *psz, PRTOPTVALUE pValue)
{
    RTUUID Uuid;
    if (rtGetOptParseUuid(psz, &Uuid) != INF_SUCCESS)
        return ERR_OPT_BAD_VALUE_FORMAT;
    pValue->Uuid = Uuid;
    return INF_SUCCESS;
}

/*
 * Booleans.
 */

/** A keyword; the n-th character of the pattern is '+' when its first n characters suffice. */
struct BOOLKEYWORD
{
    bool fValue;
    const char *pszLower;
    const char *pszUpper;
    const char *pszPattern;
};

const BOOLKEYWORD g_aBoolKeywords[] = {
    {true, "true", "TRUE", "+--+"},
    {true, "yes", "YES", "+-+"},
    {true, "enabled", "ENABLED", "++---++"},
    {true, "on", "ON", "-+"},
    {true, "1", "1", "+"},
    {false, "false", "FALSE", "+---+"},
    {false, "no", "NO", "++"},
    {false, "disabled", "DISABLED", "+-+---++"},
    {false, "off", "OFF", "--+"},
    {false, "0", "0", "+"},
};

bool rtGetOptMatchesKeyword(const BOOLKEYWORD &Keyword, const char *psz)
{
    size_t cch = 0;
    for (; psz[cch]; cch++)
        if (!Keyword.pszLower[cch] || (psz[cch] != Keyword.pszLower[cch] && psz[cch] != Keyword.pszUpper[cch]))
            return false;
    return cch > 0 && Keyword.pszPattern[cch - 1] == '+';
}

int rtGetOptConvertBool(const char *psz, PRTOPTVALUE pValue)
{
    for (const BOOLKEYWORD &Keyword : g_aBoolKeywords)
        if (rtGetOptMatchesKeyword(Keyword, psz))
        {
            pValue->f = Keyword.fValue;
            return INF_SUCCESS;
        }
    pValue->psz = psz;
    return ERR_OPT_UNKNOWN_OPTION;
}

bool rtGetOptEqualsAsciiIgnoreCase(const char *psz, const char *pszLower)
{
    for (; *pszLower; psz++, pszLower++)
        if (*psz != *pszLower && *psz != *pszLower - ('a' - 'A'))
            return false;
    return *psz == '\0';
}

int rtGetOptConvertBoolOnOff(const char *psz, PRTOPTVALUE pValue)
{
    if (rtGetOptEqualsAsciiIgnoreCase(psz, "on"))
        pValue->f = true;
    else if (rtGetOptEqualsAsciiIgnoreCase(psz, "off"))
        pValue->f = false;
    else
    {
        pValue->psz = psz;
        return ERR_OPT_UNKNOWN_OPTION;
    }
    return INF_SUCCESS;
}

/*
 * Number pairs.
 */

/** Base of one pair number: a "0x" prefix selects 16 unless a base bit decides. */
unsigned rtGetOptPairNumberBase(uint32_t fFlags, const char *psz)
{
    unsigned uBase = rtGetOptBaseFromFlags(fFlags);
    if (uBase == 16 || uBase == 10)
        return uBase;
    if (rtGetOptHasHexPrefix(psz))
        return 16;
    return uBase == 8 ? 8 : 10;
}

/** Parses one pair number, as a prefix or (@a fWhole) the whole rest of the text. */
int rtGetOptParsePairNumber(bool f64Bit, bool fWhole, const char *psz, unsigned uBase, char **ppszNext, uint64_t *pu64)
{
    if (f64Bit)
        return fWhole ? RTStrParseU64Whole(psz, uBase, pu64) : RTStrParseU64(psz, ppszNext, uBase, pu64);
    uint32_t u32 = 0;
    int rc = fWhole ? RTStrParseU32Whole(psz, uBase, &u32) : RTStrParseU32(psz, ppszNext, uBase, &u32);
    *pu64 = u32;
    return rc;
}

int rtGetOptConvertPair(uint32_t fFlags, const char *psz, PRTOPTVALUE pValue)
{
    uint32_t uType = fFlags & RTOPT_VAL_MASK;
    const bool f64Bit = uType == RTOPT_VAL_UINT64_PAIR || uType == RTOPT_VAL_UINT64_OPTIONAL_PAIR;
    const bool fOptional = uType == RTOPT_VAL_UINT32_OPTIONAL_PAIR || uType == RTOPT_VAL_UINT64_OPTIONAL_PAIR;

    char *pszNext = NULL;
    uint64_t uFirst = 0;
    int rc = rtGetOptParsePairNumber(f64Bit, false, psz, rtGetOptPairNumberBase(fFlags, psz), &pszNext, &uFirst);
    if (rc != INF_SUCCESS && rc != WRN_TRAILING_CHARS && rc != WRN_TRAILING_SPACES)
        return ERR_OPT_BAD_VALUE_FORMAT;

    const char *pszSecond = rtGetOptSkipBlanks(pszNext);
    if (*pszSecond == '/' || *pszSecond == ':' || *pszSecond == '|')
        pszSecond = rtGetOptSkipBlanks(pszSecond + 1);

    uint64_t uSecond = f64Bit ? UINT64_MAX : UINT32_MAX;
    if (pszSecond != pszNext)
    {
        rc =
            rtGetOptParsePairNumber(f64Bit, true, pszSecond, rtGetOptPairNumberBase(fFlags, pszSecond), NULL, &uSecond);
        if (rc != INF_SUCCESS)
            return ERR_OPT_BAD_VALUE_FORMAT;
    }
    else if (!fOptional || *pszNext != '\0')
        return ERR_OPT_BAD_VALUE_FORMAT;

    if (f64Bit)
    {
        pValue->PairU64.uFirst = uFirst;
        pValue->PairU64.uSecond = uSecond;
    }
    else
    {
        pValue->PairU32.uFirst = (uint32_t)uFirst;
        pValue->PairU32.uSecond = (uint32_t)uSecond;
    }
    return INF_SUCCESS;
}

} // namespace

int rtGetOptConvertValue(uint32_t fFlags, const char *pszValue, PRTOPTVALUE pValue)
{
    uint32_t uType = fFlags & RTOPT_VAL_MASK;
    uint32_t fBase = fFlags & BASE_BITS;
    if (fBase && (!(rtGetOptIsIntegerType(uType) || rtGetOptIsPairType(uType)) || (fBase & (fBase - 1))))
        return ERR_INTERNAL_ERROR;

    if (rtGetOptIsIntegerType(uType))
        return rtGetOptConvertInteger(fFlags, pszValue, pValue);
    if (rtGetOptIsPairType(uType))
        return rtGetOptConvertPair(fFlags, pszValue, pValue);
    switch (uType)
    {
        case RTOPT_VAL_STRING:
            pValue->psz = pszValue;
            return INF_SUCCESS;
        case RTOPT_VAL_IPV4ADDR:
            return rtGetOptConvertIPv4Addr(pszValue, pValue);
        case RTOPT_VAL_IPV4CIDR:
            return rtGetOptConvertIPv4Cidr(pszValue, pValue);
        case RTOPT_VAL_MACADDR:
            return rtGetOptConvertMacAddr(pszValue, pValue);
        case RTOPT_VAL_UUID:
            return rtGetOptConvertUuid(pszValue, pValue);
        case RTOPT_VAL_BOOL_ONOFF:
            return rtGetOptConvertBoolOnOff(pszValue, pValue);
        case RTOPT_VAL_BOOL:
            return rtGetOptConvertBool(pszValue, pValue);
        default:
            return ERR_INTERNAL_ERROR;
    }
}
