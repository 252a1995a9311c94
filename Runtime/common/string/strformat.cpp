/** @file
 * The formatting engine: parses the format, reads each conversion's argument
 * with the right type and hands the text to the output callback. Numbers,
 * code points and floating-point texts go through 64-byte stack buffers; the
 * engine never touches the heap.
 */
#include "internal/strformat.h"
#include "internal/strformatfloat.h"

namespace
{

/** Where the text goes, and who handles unknown conversion letters. */
struct FMTSINK
{
    PFNRTSTROUTPUT pfnOutput;
    void *pvArgOutput;
    PFNRTSTRFORMAT pfnFormat;
    void *pvArgFormat;
};

/** One parsed conversion: everything between '%' and the conversion letter. */
struct FMTCONV
{
    unsigned fFlags;
    int cchWidth;     /**< 0 unless RTFMT_F_WIDTH */
    int cchPrecision; /**< -1 unless RTFMT_F_PRECISION */
    char chArgSize;   /**< RTSTRFMT_SIZE_xxx */
};

/** Widest field or precision written as digits; longer digit runs saturate
 * here so a hostile format cannot overflow an int. */
int const g_cchFieldMax = 0x3fffffff;

size_t rtstrFmtOutput(FMTSINK const *pSink, const char *pach, size_t cch)
{
    return cch ? pSink->pfnOutput(pSink->pvArgOutput, pach, cch) : 0;
}

size_t rtstrFmtOutputRepeated(FMTSINK const *pSink, char ch, size_t cch)
{
    char achChunk[32];
    for (size_t i = 0; i < sizeof(achChunk); i++)
        achChunk[i] = ch;
    size_t cbWritten = 0;
    while (cch > 0)
    {
        size_t const cchChunk = RT_MIN(cch, sizeof(achChunk));
        cbWritten += rtstrFmtOutput(pSink, achChunk, cchChunk);
        cch -= cchChunk;
    }
    return cbWritten;
}

/*
 * Parsing.
 */

const char *rtstrFmtParseDecimal(const char *psz, int *piValue)
{
    int iValue = 0;
    while (*psz >= '0' && *psz <= '9')
    {
        int const iDigit = *psz++ - '0';
        iValue = iValue > (g_cchFieldMax - iDigit) / 10 ? g_cchFieldMax : iValue * 10 + iDigit;
    }
    *piValue = iValue;
    return psz;
}

const char *rtstrFmtParseFlags(const char *psz, unsigned *pfFlags)
{
    for (;; psz++)
    {
        switch (*psz)
        {
            case '-':
                *pfFlags |= RTFMT_F_LEFT;
                break;
            case '+':
                *pfFlags |= RTFMT_F_PLUS;
                break;
            case ' ':
                *pfFlags |= RTFMT_F_BLANK;
                break;
            case '#':
                *pfFlags |= RTFMT_F_PREFIX;
                break;
            case '\'':
                *pfFlags |= RTFMT_F_GROUP;
                break;
            case '0':
                *pfFlags |= RTFMT_F_ZEROPAD;
                break;
            default:
                return psz;
        }
    }
}

const char *rtstrFmtParseWidth(const char *psz, va_list *pArgs, FMTCONV *pConv)
{
    if (*psz == '*')
    {
        int iWidth = va_arg(*pArgs, int);
        if (iWidth < 0)
        {
            pConv->fFlags |= RTFMT_F_LEFT;
            iWidth = iWidth == INT32_MIN ? INT32_MAX : -iWidth;
        }
        pConv->cchWidth = iWidth;
        pConv->fFlags |= RTFMT_F_WIDTH;
        return psz + 1;
    }
    if (*psz >= '0' && *psz <= '9')
    {
        pConv->fFlags |= RTFMT_F_WIDTH;
        return rtstrFmtParseDecimal(psz, &pConv->cchWidth);
    }
    return psz;
}

const char *rtstrFmtParsePrecision(const char *psz, va_list *pArgs, FMTCONV *pConv)
{
    if (*psz != '.')
        return psz;
    psz++;
    pConv->fFlags |= RTFMT_F_PRECISION;
    if (*psz == '*')
    {
        int const iPrecision = va_arg(*pArgs, int);
        pConv->cchPrecision = iPrecision < 0 ? 0 : iPrecision;
        return psz + 1;
    }
    return rtstrFmtParseDecimal(psz, &pConv->cchPrecision); /* '.' alone is precision 0 */
}

const char *rtstrFmtParseSize(const char *psz, char *pchArgSize)
{
    *pchArgSize = RTSTRFMT_SIZE_NONE;
    switch (*psz)
    {
        case 'I':
            if (psz[1] == '6' && psz[2] == '4')
            {
                *pchArgSize = RTSTRFMT_SIZE_64BIT;
                return psz + 3;
            }
            if (psz[1] == '3' && psz[2] == '2')
                return psz + 3;
            *pchArgSize = RTSTRFMT_SIZE_64BIT;
            return psz + 1;
        case 'l':
            if (psz[1] == 'l')
            {
                *pchArgSize = RTSTRFMT_SIZE_64BIT;
                return psz + 2;
            }
            *pchArgSize = RTSTRFMT_SIZE_LONG;
            return psz + 1;
        case 'h':
            if (psz[1] == 'h')
            {
                *pchArgSize = RTSTRFMT_SIZE_8BIT;
                return psz + 2;
            }
            *pchArgSize = RTSTRFMT_SIZE_16BIT;
            return psz + 1;
        case 'q':
        case 'L':
        case 'j':
            *pchArgSize = RTSTRFMT_SIZE_64BIT;
            return psz + 1;
        case 'z':
            *pchArgSize = RTSTRFMT_SIZE_SIZE;
            return psz + 1;
        case 't':
            *pchArgSize = RTSTRFMT_SIZE_PTRD;
            return psz + 1;
        default:
            return psz;
    }
}

/*
 * Integers.
 */

unsigned rtstrFmtSizeFlagForBytes(size_t cb)
{
    return cb == 8 ? RTFMT_F_64BIT : RTFMT_F_32BIT;
}

/** Reads an integer argument of the conversion's size with the type the caller
 * passed it as; adds the width flag the number routine narrows by. */
uint64_t rtstrFmtReadInteger(va_list *pArgs, char chArgSize, bool fSigned, unsigned *pfFlags)
{
    switch (chArgSize)
    {
        case RTSTRFMT_SIZE_64BIT:
            *pfFlags |= RTFMT_F_64BIT;
            return fSigned ? (uint64_t)va_arg(*pArgs, long long) : va_arg(*pArgs, unsigned long long);
        case RTSTRFMT_SIZE_LONG:
            *pfFlags |= rtstrFmtSizeFlagForBytes(sizeof(long));
            return fSigned ? (uint64_t)(int64_t)va_arg(*pArgs, long) : va_arg(*pArgs, unsigned long);
        case RTSTRFMT_SIZE_SIZE:
        case RTSTRFMT_SIZE_PTRD: /* size_t and ptrdiff_t are each other's unsigned and signed twin here */
            static_assert(sizeof(size_t) == sizeof(ptrdiff_t), "size_t and ptrdiff_t differ in size");
            *pfFlags |= rtstrFmtSizeFlagForBytes(sizeof(size_t));
            return fSigned ? (uint64_t)(int64_t)va_arg(*pArgs, ptrdiff_t) : va_arg(*pArgs, size_t);
        case RTSTRFMT_SIZE_16BIT:
            *pfFlags |= RTFMT_F_16BIT; /* passed as int; the number routine narrows */
            break;
        case RTSTRFMT_SIZE_8BIT:
            *pfFlags |= RTFMT_F_8BIT;
            break;
        default:
            *pfFlags |= RTFMT_F_32BIT;
            break;
    }
    return fSigned ? (uint64_t)(int64_t)va_arg(*pArgs, int) : va_arg(*pArgs, unsigned int);
}

/** Number of leading characters the number routine puts before the digits:
 * a sign, then "0", "0x" or "0X". */
int rtstrFmtNumberHeadLength(const char *pszNumber, unsigned uiBase, unsigned fFlags)
{
    int cch = 0;
    if ((fFlags & RTFMT_F_SIGNED) && (pszNumber[0] == '-' || pszNumber[0] == '+' || pszNumber[0] == ' '))
        cch++;
    if (fFlags & RTFMT_F_PREFIX)
        cch += uiBase == 16 ? 2 : uiBase == 8 ? 1 : 0;
    return cch;
}

/** Outputs a number in a field of any width. The number routine keeps its text
 * within 63 characters, so wider fields are padded here. */
size_t rtstrFmtOutputNumber(FMTSINK const *pSink, uint64_t uValue, unsigned uiBase, FMTCONV const *pConv)
{
    char szNumber[RTSTR_NUMBER_BUF_SIZE];
    if (pConv->cchWidth < RTSTR_NUMBER_BUF_SIZE)
    {
        int const cch = RTStrFmtNumber(szNumber, uValue, uiBase, pConv->cchWidth, pConv->cchPrecision, pConv->fFlags);
        return rtstrFmtOutput(pSink, szNumber, (size_t)cch);
    }

    int const cch = RTStrFmtNumber(szNumber, uValue, uiBase, 0, pConv->cchPrecision, pConv->fFlags);
    if ((pConv->fFlags & (RTFMT_F_ZEROPAD | RTFMT_F_LEFT)) != RTFMT_F_ZEROPAD)
        return rtstrFormatPadded(pSink->pfnOutput, pSink->pvArgOutput, szNumber, (size_t)cch, pConv->cchWidth,
                                 pConv->fFlags);
    int const cchHead = rtstrFmtNumberHeadLength(szNumber, uiBase, pConv->fFlags);
    size_t cbWritten = rtstrFmtOutput(pSink, szNumber, (size_t)cchHead);
    cbWritten += rtstrFmtOutputRepeated(pSink, '0', (size_t)(pConv->cchWidth - cch));
    cbWritten += rtstrFmtOutput(pSink, &szNumber[cchHead], (size_t)(cch - cchHead));
    return cbWritten;
}

size_t rtstrFmtInteger(FMTSINK const *pSink, va_list *pArgs, FMTCONV *pConv, unsigned uiBase, bool fSigned)
{
    if (fSigned)
        pConv->fFlags |= RTFMT_F_SIGNED;
    uint64_t const uValue = rtstrFmtReadInteger(pArgs, pConv->chArgSize, fSigned, &pConv->fFlags);
    return rtstrFmtOutputNumber(pSink, uValue, uiBase, pConv);
}

/** "%p": lower-case hexadecimal, zero-padded to 8 characters (a '#' prefix
 * included) unless a width is given. */
size_t rtstrFmtPointer(FMTSINK const *pSink, va_list *pArgs, FMTCONV *pConv)
{
    uintptr_t const uPtr = (uintptr_t)va_arg(*pArgs, void *);
    pConv->fFlags &= ~(RTFMT_F_CAPITAL | RTFMT_F_SIGNED | RTFMT_F_GROUP);
    pConv->fFlags |= rtstrFmtSizeFlagForBytes(sizeof(void *));
    if (!(pConv->fFlags & RTFMT_F_WIDTH))
    {
        pConv->cchWidth = 8;
        pConv->fFlags |= RTFMT_F_ZEROPAD | RTFMT_F_WIDTH;
        pConv->fFlags &= ~RTFMT_F_LEFT;
    }
    return rtstrFmtOutputNumber(pSink, uPtr, 16, pConv);
}

/*
 * Strings.
 */

size_t rtstrFmtUtf8String(FMTSINK const *pSink, va_list *pArgs, FMTCONV const *pConv)
{
    const char *psz = va_arg(*pArgs, const char *);
    if (!RT_VALID_PTR(psz))
        return rtstrFormatBadPointer(pSink->pfnOutput, pSink->pvArgOutput, psz, pConv->cchWidth, pConv->fFlags,
                                     "!BadStr");
    size_t const cch = pConv->fFlags & RTFMT_F_PRECISION ? RTStrNLen(psz, (size_t)pConv->cchPrecision) : RTStrLen(psz);
    return rtstrFormatPadded(pSink->pfnOutput, pSink->pvArgOutput, psz, cch, pConv->cchWidth, pConv->fFlags);
}

/** Reads the next code point of a UTF-16 string. Returns false at the end or
 * at a malformed unit (a lone surrogate), which ends the string too. */
bool rtstrFmtNextUtf16Cp(const void **ppv, RTUNICP *pCp)
{
    const RTUTF16 *pwsz = (const RTUTF16 *)*ppv;
    RTUTF16 const wc = pwsz[0];
    if (!wc)
        return false;
    if (wc < 0xd800 || wc > 0xdfff)
    {
        *pCp = wc;
        *ppv = pwsz + 1;
        return true;
    }
    if (wc > 0xdbff || pwsz[1] < 0xdc00 || pwsz[1] > 0xdfff)
        return false;
    *pCp = 0x10000 + (((RTUNICP)wc - 0xd800) << 10) + ((RTUNICP)pwsz[1] - 0xdc00);
    *ppv = pwsz + 2;
    return true;
}

/** Reads the next code point of a UTF-32 string; a value that is no Unicode
 * scalar value (a surrogate or beyond U+10FFFF) ends the string like a NUL. */
bool rtstrFmtNextUtf32Cp(const void **ppv, RTUNICP *pCp)
{
    const RTUNICP *pu = (const RTUNICP *)*ppv;
    RTUNICP const uCp = *pu;
    if (!uCp || uCp > 0x10ffff || (uCp >= 0xd800 && uCp <= 0xdfff))
        return false;
    *pCp = uCp;
    *ppv = pu + 1;
    return true;
}

typedef bool FNNEXTCP(const void **ppv, RTUNICP *pCp);

size_t rtstrFmtEncodeUtf8(char *pch, RTUNICP uCp)
{
    if (uCp < 0x80)
    {
        pch[0] = (char)uCp;
        return 1;
    }
    if (uCp < 0x800)
    {
        pch[0] = (char)(0xc0 | (uCp >> 6));
        pch[1] = (char)(0x80 | (uCp & 0x3f));
        return 2;
    }
    if (uCp < 0x10000)
    {
        pch[0] = (char)(0xe0 | (uCp >> 12));
        pch[1] = (char)(0x80 | ((uCp >> 6) & 0x3f));
        pch[2] = (char)(0x80 | (uCp & 0x3f));
        return 3;
    }
    pch[0] = (char)(0xf0 | (uCp >> 18));
    pch[1] = (char)(0x80 | ((uCp >> 12) & 0x3f));
    pch[2] = (char)(0x80 | ((uCp >> 6) & 0x3f));
    pch[3] = (char)(0x80 | (uCp & 0x3f));
    return 4;
}

/** Outputs a UTF-16 or UTF-32 string as UTF-8. Precision and width count code
 * points; the text is counted first so the padding can go before it. */
size_t rtstrFmtWideString(FMTSINK const *pSink, const void *pvString, FNNEXTCP *pfnNextCp, FMTCONV const *pConv)
{
    size_t const cCpMax = pConv->fFlags & RTFMT_F_PRECISION ? (size_t)pConv->cchPrecision : ~(size_t)0;
    size_t cCps = 0;
    RTUNICP uCp;
    for (const void *pv = pvString; cCps < cCpMax && pfnNextCp(&pv, &uCp);)
        cCps++;

    size_t const cPad = (size_t)pConv->cchWidth > cCps ? (size_t)pConv->cchWidth - cCps : 0;
    size_t cbWritten = 0;
    if (!(pConv->fFlags & RTFMT_F_LEFT))
        cbWritten += rtstrFmtOutputRepeated(pSink, ' ', cPad);

    char achBuf[RTSTR_NUMBER_BUF_SIZE];
    size_t cchBuf = 0;
    const void *pv = pvString;
    for (size_t i = 0; i < cCps && pfnNextCp(&pv, &uCp); i++)
    {
        if (cchBuf > sizeof(achBuf) - 4)
        {
            cbWritten += rtstrFmtOutput(pSink, achBuf, cchBuf);
            cchBuf = 0;
        }
        cchBuf += rtstrFmtEncodeUtf8(&achBuf[cchBuf], uCp);
    }
    cbWritten += rtstrFmtOutput(pSink, achBuf, cchBuf);

    if (pConv->fFlags & RTFMT_F_LEFT)
        cbWritten += rtstrFmtOutputRepeated(pSink, ' ', cPad);
    return cbWritten;
}

size_t rtstrFmtString(FMTSINK const *pSink, va_list *pArgs, FMTCONV const *pConv)
{
    bool const fUtf16 = pConv->chArgSize == RTSTRFMT_SIZE_LONG;
    if (!fUtf16 && pConv->chArgSize != RTSTRFMT_SIZE_64BIT)
        return rtstrFmtUtf8String(pSink, pArgs, pConv);
    const void *pv = va_arg(*pArgs, const void *);
    if (!RT_VALID_PTR(pv))
        return rtstrFormatBadPointer(pSink->pfnOutput, pSink->pvArgOutput, pv, pConv->cchWidth, pConv->fFlags,
                                     fUtf16 ? "!BadStrW" : "!BadStrU");
    return rtstrFmtWideString(pSink, pv, fUtf16 ? rtstrFmtNextUtf16Cp : rtstrFmtNextUtf32Cp, pConv);
}

size_t rtstrFmtChar(FMTSINK const *pSink, va_list *pArgs, FMTCONV const *pConv)
{
    char const ch = (char)va_arg(*pArgs, int);
    return rtstrFormatPadded(pSink->pfnOutput, pSink->pvArgOutput, &ch, 1, pConv->cchWidth, pConv->fFlags);
}

size_t rtstrFmtDouble(FMTSINK const *pSink, va_list *pArgs)
{
    char szText[RTSTR_NUMBER_BUF_SIZE];
    int const cch = rtstrFormatR64(szText, va_arg(*pArgs, double));
    return rtstrFmtOutput(pSink, szText, (size_t)cch);
}

/*
 * The format loop.
 */

size_t rtstrFmtList(FMTSINK const *pSink, const char *pszFormat, va_list *pArgs);

/** "%N": a format string and a pointer to its va_list, formatted in place. A
 * copy of the list is used so the caller's list stays as it was. */
size_t rtstrFmtNested(FMTSINK const *pSink, va_list *pArgs, FMTCONV const *pConv)
{
    const char *pszNested = va_arg(*pArgs, const char *);
    va_list *pNestedArgs = va_arg(*pArgs, va_list *);
    if (!RT_VALID_PTR(pszNested))
        return rtstrFormatBadPointer(pSink->pfnOutput, pSink->pvArgOutput, pszNested, pConv->cchWidth, pConv->fFlags,
                                     "!BadFmt");
    if (!RT_VALID_PTR(pNestedArgs))
        return rtstrFormatBadPointer(pSink->pfnOutput, pSink->pvArgOutput, pNestedArgs, pConv->cchWidth, pConv->fFlags,
                                     "!BadVaList");
    va_list nestedArgs;
    va_copy(nestedArgs, *pNestedArgs);
    size_t const cbWritten = rtstrFmtList(pSink, pszNested, &nestedArgs);
    va_end(nestedArgs);
    return cbWritten;
}

/** "%M": formatting goes on with another format string; a pointer that cannot
 * be read prints as a bad pointer and ends formatting. */
const char *rtstrFmtSwitchFormat(FMTSINK const *pSink, va_list *pArgs, size_t *pcbWritten)
{
    const char *pszNext = va_arg(*pArgs, const char *);
    if (RT_VALID_PTR(pszNext))
        return pszNext;
    *pcbWritten += rtstrFormatBadPointer(pSink->pfnOutput, pSink->pvArgOutput, pszNext, 0, 0, "!BadFmt");
    return NULL;
}

/** Parses the conversion after a '%' (at @a psz), outputs it and returns where
 * formatting goes on (for "%M" the new format), or null when formatting ends. */
const char *rtstrFmtConversion(FMTSINK const *pSink, const char *psz, va_list *pArgs, size_t *pcbWritten)
{
    FMTCONV Conv = {0, 0, -1, RTSTRFMT_SIZE_NONE};
    psz = rtstrFmtParseFlags(psz, &Conv.fFlags);
    psz = rtstrFmtParseWidth(psz, pArgs, &Conv);
    psz = rtstrFmtParsePrecision(psz, pArgs, &Conv);
    psz = rtstrFmtParseSize(psz, &Conv.chArgSize);

    char const chLetter = *psz;
    if (!chLetter)
        return NULL;
    psz++;
    switch (chLetter)
    {
        case 'd':
        case 'i':
            *pcbWritten += rtstrFmtInteger(pSink, pArgs, &Conv, 10, true);
            break;
        case 'u':
            *pcbWritten += rtstrFmtInteger(pSink, pArgs, &Conv, 10, false);
            break;
        case 'o':
            *pcbWritten += rtstrFmtInteger(pSink, pArgs, &Conv, 8, false);
            break;
        case 'X':
            Conv.fFlags |= RTFMT_F_CAPITAL;
            [[fallthrough]];
        case 'x':
            *pcbWritten += rtstrFmtInteger(pSink, pArgs, &Conv, 16, false);
            break;
        case 'p':
            *pcbWritten += rtstrFmtPointer(pSink, pArgs, &Conv);
            break;
        case 'c':
            *pcbWritten += rtstrFmtChar(pSink, pArgs, &Conv);
            break;
        case 's':
        case 'S':
            *pcbWritten += rtstrFmtString(pSink, pArgs, &Conv);
            break;
        case 'a':
        case 'A':
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
            *pcbWritten += rtstrFmtDouble(pSink, pArgs);
            break;
        case 'N':
            *pcbWritten += rtstrFmtNested(pSink, pArgs, &Conv);
            break;
        case 'M':
            return rtstrFmtSwitchFormat(pSink, pArgs, pcbWritten);
        case 'R':
            *pcbWritten += rtstrFormatRt(pSink->pfnOutput, pSink->pvArgOutput, &psz, pArgs, Conv.cchWidth,
                                         Conv.cchPrecision, Conv.fFlags, Conv.chArgSize);
            break;
        default:
            if (pSink->pfnFormat)
                *pcbWritten += pSink->pfnFormat(pSink->pvArgFormat, pSink->pfnOutput, pSink->pvArgOutput, &psz, pArgs,
                                                Conv.cchWidth, Conv.cchPrecision, Conv.fFlags, Conv.chArgSize);
            break; /* unknown without an extension: dropped */
    }
    return psz;
}

/** Formats @a pszFormat with *pArgs without the end-of-output call. */
size_t rtstrFmtList(FMTSINK const *pSink, const char *pszFormat, va_list *pArgs)
{
    size_t cbWritten = 0;
    const char *psz = pszFormat;
    while (psz && *psz)
    {
        const char *pszRun = psz;
        while (*psz && *psz != '%')
            psz++;
        cbWritten += rtstrFmtOutput(pSink, pszRun, (size_t)(psz - pszRun));
        if (!*psz)
            break;

        psz++; /* the '%' */
        if (*psz == '%')
        {
            cbWritten += rtstrFmtOutput(pSink, psz, 1);
            psz++;
        }
        else if (*psz)
            psz = rtstrFmtConversion(pSink, psz, pArgs, &cbWritten);
    }
    return cbWritten;
}

} // namespace

size_t RTStrFmtV(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, PFNRTSTRFORMAT pfnFormat, void *pvArgFormat,
                 const char *pszFormat, va_list args)
{
    FMTSINK const Sink = {pfnOutput, pvArgOutput, pfnFormat, pvArgFormat};
    va_list argsCopy;
    va_copy(argsCopy, args);
    size_t cbWritten = rtstrFmtList(&Sink, pszFormat, &argsCopy);
    va_end(argsCopy);
    cbWritten += pfnOutput(pvArgOutput, NULL, 0);
    return cbWritten;
}

size_t RTStrFmt(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, PFNRTSTRFORMAT pfnFormat, void *pvArgFormat,
                const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    size_t const cbWritten = RTStrFmtV(pfnOutput, pvArgOutput, pfnFormat, pvArgFormat, pszFormat, args);
    va_end(args);
    return cbWritten;
}
