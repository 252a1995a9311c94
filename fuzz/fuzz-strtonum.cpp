/** @file
 * Fuzzes the integer parsers against a reference parse written here with
 * 128-bit arithmetic: every width, signed and unsigned, prefix and whole form
 * must agree on value, status and end position.
 *
 * Input: byte 0 is the base byte, byte 1 the character limit (0 = none), the
 * rest is the text. When the limit falls inside the text the buffer carries no
 * terminator, so AddressSanitizer catches any read past the limit.
 */
#include <stdlib.h>
#include <string.h>
#include <rt/strnum.h>

namespace
{

typedef unsigned __int128 u128;
typedef __int128 s128;

/** Magnitudes above 2^64 all behave alike; they are held at this value. */
const u128 g_uHuge = ((u128)1 << 64) + 1;

struct Reference
{
    bool fBadBase;
    bool fDigits;
    bool fNegative;
    u128 uMagnitude;
    size_t offEnd;
    int rcTail; /* 0, WRN_TRAILING_SPACES or WRN_TRAILING_CHARS */
};

int digitOf(char ch)
{
    static const char s_szDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    char chLower = ch >= 'A' && ch <= 'Z' ? (char)(ch - 'A' + 'a') : ch;
    const char *pch = ch ? strchr(s_szDigits, chLower) : nullptr;
    return pch ? (int)(pch - s_szDigits) : 99;
}

Reference referenceParse(const char *pch, size_t cch, unsigned uBaseByte)
{
    Reference Ref = {};
    if (uBaseByte == 1)
    {
        Ref.fBadBase = true;
        return Ref;
    }
    size_t i = 0;
    while (i < cch && (pch[i] == '+' || pch[i] == '-'))
        Ref.fNegative = pch[i++] == '-' ? !Ref.fNegative : false;

    bool fHexPrefix = i + 2 < cch && pch[i] == '0' && (pch[i + 1] | 0x20) == 'x' && digitOf(pch[i + 2]) < 16;
    int iBase = (int)uBaseByte;
    if (uBaseByte == 0 || uBaseByte >= 36)
        iBase = fHexPrefix ? 16 : i + 1 < cch && pch[i] == '0' && pch[i + 1] >= '0' && pch[i + 1] <= '7' ? 8 : 10;
    if (iBase == 16 && fHexPrefix)
        i += 2;

    size_t const iFirst = i;
    for (; i < cch && digitOf(pch[i]) < iBase; i++)
    {
        Ref.uMagnitude = Ref.uMagnitude * (u128)iBase + (u128)digitOf(pch[i]);
        if (Ref.uMagnitude > g_uHuge)
            Ref.uMagnitude = g_uHuge;
    }
    Ref.fDigits = i > iFirst;
    Ref.offEnd = Ref.fDigits ? i : 0;
    for (size_t j = i; Ref.fDigits && j < cch; j++)
        if (pch[j] != ' ' && pch[j] != '\t')
            Ref.rcTail = WRN_TRAILING_CHARS;
        else if (Ref.rcTail == 0)
            Ref.rcTail = WRN_TRAILING_SPACES;
    return Ref;
}

/** Expected value (as the type's bits, sign-extended into 128 bits) and status. */
int referenceFit(const Reference &Ref, unsigned cBits, bool fSigned, bool fWhole, s128 *piValue)
{
    *piValue = 0;
    if (!Ref.fDigits)
        return ERR_NO_DIGITS;
    int rc = INF_SUCCESS;
    if (fSigned)
    {
        s128 const iMax = ((s128)1 << (cBits - 1)) - 1;
        s128 const iValue = Ref.fNegative ? -(s128)Ref.uMagnitude : (s128)Ref.uMagnitude;
        if (iValue > iMax || iValue < -iMax - 1)
        {
            *piValue = Ref.fNegative ? -iMax - 1 : iMax;
            rc = WRN_NUMBER_TOO_BIG;
        }
        else
            *piValue = iValue;
    }
    else
    {
        u128 const uMax = ((u128)1 << cBits) - 1;
        if (Ref.uMagnitude > uMax)
        {
            *piValue = (s128)uMax;
            rc = WRN_NUMBER_TOO_BIG;
        }
        else if (Ref.fNegative)
        {
            *piValue = (s128)((((u128)1 << cBits) - Ref.uMagnitude) & uMax);
            rc = WRN_NEGATIVE_UNSIGNED;
        }
        else
            *piValue = (s128)Ref.uMagnitude;
    }
    if (fWhole && Ref.rcTail)
        return -Ref.rcTail;
    return rc != INF_SUCCESS ? rc : Ref.rcTail;
}

template <typename T> s128 asWide(T v)
{
    return (s128)v;
}

template <typename T, typename FnPrefix, typename FnWhole>
void check(const char *psz, const Reference &Ref, unsigned uBaseAndMaxLen, FnPrefix pfnPrefix, FnWhole pfnWhole)
{
    bool const fSigned = (T)-1 < (T)0;
    unsigned const cBits = sizeof(T) * 8;
    for (int iWhole = 0; iWhole < 2; iWhole++)
    {
        T Value = (T)0x5a;
        char *pszNext = (char *)"sentinel";
        int rc = iWhole ? pfnWhole(psz, uBaseAndMaxLen, &Value) : pfnPrefix(psz, &pszNext, uBaseAndMaxLen, &Value);
        if (Ref.fBadBase)
        {
            if (rc != ERR_INVALID_PARAMETER || Value != (T)0x5a)
                abort();
            continue;
        }
        s128 iExpected;
        int rcExpected = referenceFit(Ref, cBits, fSigned, iWhole != 0, &iExpected);
        if (rc != rcExpected || asWide(Value) != iExpected)
            abort();
        if (!iWhole && pszNext != psz + Ref.offEnd)
            abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    if (cb < 2 || cb > 4096)
        return 0;
    unsigned const uBaseByte = pb[0];
    size_t const cchLimit = pb[1];
    size_t const cbText = cb - 2;
    bool const fTerminated = cchLimit == 0 || cchLimit > cbText;
    char *pach = (char *)malloc(cbText + 1);
    memcpy(pach, pb + 2, cbText);
    if (fTerminated)
        pach[cbText] = '\0';
    else
        pach = (char *)realloc(pach, cbText ? cbText : 1); /* exact size: nothing past the limit */

    size_t cch = fTerminated ? strlen(pach) : strnlen(pach, cchLimit);
    if (cchLimit != 0 && cchLimit < cch)
        cch = cchLimit;
    Reference const Ref = referenceParse(pach, cch, uBaseByte);
    unsigned const uBaseAndMaxLen = RTSTR_PARSE_BASE(uBaseByte, cchLimit);

    check<uint64_t>(pach, Ref, uBaseAndMaxLen, RTStrParseU64, RTStrParseU64Whole);
    check<uint32_t>(pach, Ref, uBaseAndMaxLen, RTStrParseU32, RTStrParseU32Whole);
    check<uint16_t>(pach, Ref, uBaseAndMaxLen, RTStrParseU16, RTStrParseU16Whole);
    check<uint8_t>(pach, Ref, uBaseAndMaxLen, RTStrParseU8, RTStrParseU8Whole);
    check<int64_t>(pach, Ref, uBaseAndMaxLen, RTStrParseI64, RTStrParseI64Whole);
    check<int32_t>(pach, Ref, uBaseAndMaxLen, RTStrParseI32, RTStrParseI32Whole);
    check<int16_t>(pach, Ref, uBaseAndMaxLen, RTStrParseI16, RTStrParseI16Whole);
    check<int8_t>(pach, Ref, uBaseAndMaxLen, RTStrParseI8, RTStrParseI8Whole);
    free(pach);
    return 0;
}
