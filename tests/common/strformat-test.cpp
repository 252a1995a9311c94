/** @file
 * The formatting engine: syntax, every standard conversion, string pointer
 * checks, nesting, format switching, extension callbacks and the output
 * callback protocol.
 */
#include <gtest/gtest.h>
#include <rt/string.h>
#include "internal/strformatfloat.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

namespace
{

/** Collects the output and checks the callback protocol on the way: text
 * pieces are never empty, and the end marker comes exactly once, last. */
struct Collector
{
    std::string strText;
    std::vector<std::string> vecPieces;
    int cEndCalls = 0;
    bool fTextAfterEnd = false;
    bool fEmptyPiece = false;
};

size_t collect(void *pvArg, const char *pach, size_t cb)
{
    Collector *pCol = (Collector *)pvArg;
    if (!pach)
    {
        EXPECT_EQ(0u, cb);
        pCol->cEndCalls++;
        return 0;
    }
    if (pCol->cEndCalls)
        pCol->fTextAfterEnd = true;
    if (!cb)
        pCol->fEmptyPiece = true;
    pCol->strText.append(pach, cb);
    pCol->vecPieces.emplace_back(pach, cb);
    return cb;
}

std::string formatWithV(PFNRTSTRFORMAT pfnFormat, void *pvArgFormat, const char *pszFormat, va_list va)
{
    Collector Col;
    size_t cb = RTStrFmtV(collect, &Col, pfnFormat, pvArgFormat, pszFormat, va);
    EXPECT_EQ(Col.strText.size(), cb) << pszFormat;
    EXPECT_EQ(1, Col.cEndCalls) << pszFormat;
    EXPECT_FALSE(Col.fTextAfterEnd) << pszFormat;
    EXPECT_FALSE(Col.fEmptyPiece) << pszFormat;
    return Col.strText;
}

std::string fmt(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    std::string str = formatWithV(NULL, NULL, pszFormat, va);
    va_end(va);
    return str;
}

/** One table row per call: expected text, format, arguments. */
#define EXPECT_FMT(pszExpected, ...) EXPECT_EQ(std::string(pszExpected), fmt(__VA_ARGS__)) << #__VA_ARGS__

/** The pointer text of the bad-pointer forms: at least 8 zero-padded digits. */
std::string hexPointer(const void *pv)
{
    char sz[32];
    snprintf(sz, sizeof(sz), "%08llx", (unsigned long long)(uintptr_t)pv);
    return sz;
}

TEST(StrFmt, LiteralsPercentAndFormatEnd)
{
    EXPECT_FMT("", "");
    EXPECT_FMT("plain text", "plain text");
    EXPECT_FMT("100%", "100%%");
    EXPECT_FMT("%%", "%%%%");
    EXPECT_FMT("abc", "abc%");   /* a lone '%' at the end ends formatting */
    EXPECT_FMT("x", "x%-08.3l"); /* so does a conversion cut off before its letter */
    EXPECT_FMT("ab", "a%yb");    /* unknown letters are dropped... */
    EXPECT_FMT("ab", "a%-+ #'012.3hhyb");
    EXPECT_FMT("7", "%y%d", 7); /* ...and take no argument */
}

TEST(StrFmt, LiteralRunsAndItemsArePieces)
{
    Collector Col;
    RTStrFmt(collect, &Col, NULL, NULL, "ab%dcd%%e", 5);
    std::vector<std::string> vecExpected = {"ab", "5", "cd", "%", "e"};
    EXPECT_EQ(vecExpected, Col.vecPieces);
    EXPECT_EQ(1, Col.cEndCalls);
}

size_t acceptTwice(void *pvArg, const char *pach, size_t cb)
{
    (void)pach;
    (*(int *)pvArg)++;
    return cb * 2 + 1; /* also the end call contributes */
}

TEST(StrFmt, ResultIsSumOfCallbackResults)
{
    int cCalls = 0;
    size_t cb = RTStrFmt(acceptTwice, &cCalls, NULL, NULL, "ab%sc", "xyz");
    EXPECT_EQ(4, cCalls); /* "ab", "xyz", "c", end */
    EXPECT_EQ(2u * 6 + 4, cb);
}

TEST(StrFmt, SignedAndUnsignedDecimal)
{
    EXPECT_FMT("0", "%d", 0);
    EXPECT_FMT("-42", "%d", -42);
    EXPECT_FMT("42", "%i", 42);
    EXPECT_FMT("-2147483648", "%d", INT_MIN);
    EXPECT_FMT("4294967295", "%u", UINT_MAX);
    EXPECT_FMT("  -42", "%5d", -42);
    EXPECT_FMT("-42  |", "%-5d|", -42);
    EXPECT_FMT("-0042", "%05d", -42);
    EXPECT_FMT("-42  |", "%-05d|", -42); /* left cancels zero padding */
    EXPECT_FMT("+5", "%+d", 5);
    EXPECT_FMT(" 5", "% d", 5);
    EXPECT_FMT("+5", "%+ d", 5);
    EXPECT_FMT("5", "%+u", 5u);
    EXPECT_FMT("00042", "%.5d", 42);
    EXPECT_FMT("     007", "%8.3d", 7);
    EXPECT_FMT("0", "%.0d", 0);
    EXPECT_FMT("0", "%.d", 0); /* '.' alone is precision 0 */
    EXPECT_FMT("999", "%'u", 999u);
    EXPECT_FMT("1 234 567", "%'u", 1234567u);
    EXPECT_FMT("-1 234", "%'d", -1234);
}

TEST(StrFmt, OctalAndHexadecimal)
{
    EXPECT_FMT("10", "%o", 8u);
    EXPECT_FMT("010", "%#o", 8u);
    EXPECT_FMT("00", "%#o", 0u);
    EXPECT_FMT("beef", "%x", 0xbeefu);
    EXPECT_FMT("BEEF", "%X", 0xbeefu);
    EXPECT_FMT("0x0", "%#x", 0u);
    EXPECT_FMT("0XFF", "%#X", 255u);
    EXPECT_FMT("0x0000001f", "%#010x", 0x1fu);
    EXPECT_FMT("ffffffff", "%x", -1);
}

TEST(StrFmt, StarWidthAndPrecision)
{
    EXPECT_FMT("   42", "%*d", 5, 42);
    EXPECT_FMT("42   |", "%*d|", -5, 42); /* negative width: left-justified */
    EXPECT_FMT("007", "%.*d", 3, 7);
    EXPECT_FMT("7", "%.*d", -3, 7); /* negative precision counts as 0 */
    EXPECT_FMT("", "%.*s", -3, "abc");
    EXPECT_FMT("  ab|", "%*.*s|", 4, 2, "abcdef");
    EXPECT_FMT("1   |9", "%-*d|%d", 4, 1, 9);
    EXPECT_FMT("abc", "%.99999999999999999999s", "abc"); /* overlong digit runs saturate */
}

TEST(StrFmt, SizePrefixesReadTheRightArgument)
{
    /* Each case is followed by "|%d" so a wrongly sized read shows as a wrong second value. */
    EXPECT_FMT("-1|7", "%hhd|%d", 0x1ff, 7);
    EXPECT_FMT("255|7", "%hhu|%d", 0x1ff, 7);
    EXPECT_FMT("-32768|7", "%hd|%d", 0x18000, 7);
    EXPECT_FMT("65535|7", "%hu|%d", 0x1ffff, 7);
    EXPECT_FMT("-9223372036854775808|7", "%lld|%d", LLONG_MIN, 7);
    EXPECT_FMT("18446744073709551615|7", "%llu|%d", ULLONG_MAX, 7);
    EXPECT_FMT("-1|7", "%I64d|%d", -1LL, 7);
    EXPECT_FMT("123456789abcdef0|7", "%qx|%d", 0x123456789abcdef0ULL, 7);
    EXPECT_FMT("123456789ABCDEF0|7", "%LX|%d", 0x123456789abcdef0ULL, 7);
    EXPECT_FMT("-5|7", "%jd|%d", -5LL, 7);
    EXPECT_FMT("100000000|7", "%Ix|%d", 0x100000000ULL, 7);
    EXPECT_FMT("-1|7", "%I32d|%d", -1, 7);
    EXPECT_FMT("-7|7", "%ld|%d", -7L, 7);
    EXPECT_FMT("4294967295|7", "%lu|%d", 4294967295UL, 7);
    EXPECT_FMT("4096|7", "%zu|%d", (size_t)4096, 7);
    EXPECT_FMT("0x1000", "%#zx", (size_t)4096);
    EXPECT_FMT("-3|7", "%zd|%d", (ptrdiff_t)-3, 7);
    EXPECT_FMT("-3|7", "%td|%d", (ptrdiff_t)-3, 7);
}

TEST(StrFmt, FieldsWiderThanTheNumberBuffer)
{
    EXPECT_EQ(std::string(69, ' ') + "1", fmt("%70d", 1));
    EXPECT_EQ("1" + std::string(69, ' ') + "|", fmt("%-70d|", 1));
    EXPECT_EQ("-" + std::string(68, '0') + "1", fmt("%070d", -1));
    EXPECT_EQ("0x" + std::string(66, '0') + "ff", fmt("%#070x", 255u));
    EXPECT_EQ("+" + std::string(97, '0') + "42", fmt("%+0*d", 100, 42));
}

TEST(StrFmt, FieldWidthsAtTheNumberBufferEdge)
{
    /* The number buffer holds 63 characters: one width below, at and above the
     * switch to padding outside it must all come out exactly that wide. */
    for (size_t cchWidth : {63, 64, 65})
    {
        std::string const strWidth = std::to_string(cchWidth);
        EXPECT_EQ(std::string(cchWidth - 1, ' ') + "1", fmt(("%" + strWidth + "d").c_str(), 1)) << cchWidth;
        EXPECT_EQ(std::string(cchWidth - 2, '0') + "ff", fmt(("%0" + strWidth + "x").c_str(), 255u)) << cchWidth;
        EXPECT_EQ("-" + std::string(cchWidth - 2, '0') + "1", fmt(("%0" + strWidth + "d").c_str(), -1)) << cchWidth;
        EXPECT_EQ("7" + std::string(cchWidth - 1, ' ') + "|", fmt(("%-" + strWidth + "u|").c_str(), 7u)) << cchWidth;
    }
}

TEST(StrFmt, Pointer)
{
    const void *pv = (const void *)(uintptr_t)0x1234;
    EXPECT_FMT("00001234", "%p", pv);
    EXPECT_FMT("0x001234", "%#p", pv);
    EXPECT_FMT("      1234", "%10p", pv);
    EXPECT_FMT("1234      |", "%-10p|", pv);
    EXPECT_FMT("abcdef12|7", "%p|%d", (const void *)(uintptr_t)0xABCDEF12u, 7);
    int iLocal = 0;
    EXPECT_EQ(hexPointer(&iLocal), fmt("%p", (void *)&iLocal));
}

TEST(StrFmt, Char)
{
    EXPECT_FMT("A", "%c", 'A');
    EXPECT_FMT("  A", "%3c", 'A');
    EXPECT_FMT("A  |", "%-3c|", 'A');
    EXPECT_FMT("A", "%c", 0x141); /* one byte of the int */
    EXPECT_EQ(std::string("a\0b", 3), fmt("a%cb", 0));
}

TEST(StrFmt, Utf8String)
{
    EXPECT_FMT("abc", "%s", "abc");
    EXPECT_FMT("abc", "%S", "abc");
    EXPECT_FMT("abc", "%.3s", "abcdef");
    EXPECT_FMT("abc", "%.10s", "abc");
    EXPECT_FMT("", "%.0s", "abc");
    EXPECT_FMT("   abc", "%6s", "abc");
    EXPECT_FMT("abc   |", "%-6s|", "abc");
    EXPECT_FMT("\xC3\xA9", "%.2s", "\xC3\xA9z"); /* precision counts bytes */
    EXPECT_FMT("  \xC3\xA9", "%4s", "\xC3\xA9"); /* and so does width */
}

TEST(StrFmt, PrecisionStopsReadingAtItsLimit)
{
    /* Exactly three bytes on the heap, no terminator: reading a fourth is caught by ASan. */
    char *pach = new char[3]{'x', 'y', 'z'};
    EXPECT_FMT("xyz", "%.3s", pach);
    EXPECT_FMT("xy", "%.*s", 2, pach);
    delete[] pach;
}

TEST(StrFmt, NullAndBadStringPointers)
{
    EXPECT_FMT("<NULL>", "%s", (const char *)NULL);
    EXPECT_FMT("    <NULL>", "%10s", (const char *)NULL);
    EXPECT_FMT("<NULL>    |", "%-10s|", (const char *)NULL);
    EXPECT_FMT("<NULL>", "%ls", (const RTUTF16 *)NULL);
    EXPECT_FMT("<NULL>", "%Ls", (const RTUNICP *)NULL);

    const void *pvLow = (const void *)(uintptr_t)0x10;
    const void *pvHigh = (const void *)(UINTPTR_MAX - 10);
    EXPECT_FMT("<00000010!BadStr>", "%s", pvLow);
    EXPECT_FMT("   <00000010!BadStr>", "%20s", pvLow);
    EXPECT_FMT("<00000010!BadStr>  |", "%-19s|", pvLow);
    EXPECT_FMT("<00000fff!BadStrW>", "%ls", (const void *)(uintptr_t)0xfff);
    EXPECT_FMT("<00000010!BadStrU>", "%Ls", pvLow);
    EXPECT_EQ("<" + hexPointer(pvHigh) + "!BadStr>", fmt("%s", pvHigh));
    EXPECT_EQ("<" + hexPointer(pvHigh) + "!BadStrW>", fmt("%ls", pvHigh));
}

TEST(StrFmt, Utf16String)
{
    const RTUTF16 *pwszMixed = (const RTUTF16 *)u"a\u00e9\u20ac\U0001F600z";
    EXPECT_FMT("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z", "%ls", pwszMixed);
    EXPECT_FMT("a\xC3\xA9", "%.2ls", pwszMixed);                             /* precision counts characters */
    EXPECT_FMT("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "%.4ls", pwszMixed); /* a pair is one */
    EXPECT_FMT("    \xC3\xA9", "%5ls", (const RTUTF16 *)u"\u00e9");          /* so does width */
    EXPECT_FMT("\xC3\xA9  |", "%-3ls|", (const RTUTF16 *)u"\u00e9");

    /* A malformed pair ends the string; what follows the conversion goes on. */
    const RTUTF16 awszLoneHigh[] = {'a', 0xd800, 'b', 0};
    const RTUTF16 awszLoneLow[] = {'a', 0xdc00, 'b', 0};
    const RTUTF16 awszHighAtEnd[] = {'a', 0xdbff, 0};
    const RTUTF16 awszSwapped[] = {'a', 0xdc00, 0xd800, 'b', 0};
    EXPECT_FMT("a|", "%ls|", awszLoneHigh);
    EXPECT_FMT("a|", "%ls|", awszLoneLow);
    EXPECT_FMT("a|", "%ls|", awszHighAtEnd);
    EXPECT_FMT("  a|", "%3ls|", awszSwapped); /* width counts what is printed */
}

TEST(StrFmt, Utf16StringLongerThanOneBuffer)
{
    std::u16string wstr;
    std::string strExpected;
    for (int i = 0; i < 100; i++)
    {
        wstr += u"\u20ac\U0001F600x";
        strExpected += "\xE2\x82\xAC\xF0\x9F\x98\x80x";
    }
    EXPECT_EQ(strExpected, fmt("%ls", (const RTUTF16 *)wstr.c_str()));
}

TEST(StrFmt, Utf32String)
{
    const RTUNICP *puszMixed = (const RTUNICP *)U"a\u00e9\U0010FFFFz";
    EXPECT_FMT("a\xC3\xA9\xF4\x8F\xBF\xBFz", "%Ls", puszMixed);
    EXPECT_FMT("a\xC3\xA9", "%.2Ls", puszMixed);
    EXPECT_FMT(" a", "%2Ls", (const RTUNICP *)U"a");
    /* Values that are no characters end the string, so the output stays valid UTF-8. */
    const RTUNICP auszTooBig[] = {'a', 0x110000, 'b', 0};
    const RTUNICP auszSurrogate[] = {'a', 0xd800, 'b', 0};
    EXPECT_FMT("a|", "%Ls|", auszTooBig);
    EXPECT_FMT("a|", "%Ls|", auszSurrogate);
}

double doubleFromBits(uint64_t uBits)
{
    double rd;
    memcpy(&rd, &uBits, sizeof(rd));
    return rd;
}

TEST(StrFmt, FloatBitNotation)
{
    struct
    {
        uint64_t uBits;
        const char *pszExpected;
    } const s_aCases[] = {
        {0x0000000000000000ull, "+0"},
        {0x8000000000000000ull, "-0"},
        {0x3ff0000000000000ull, "+1m0x0000000000000^0"},     /* 1.0 */
        {0xbfe8000000000000ull, "-1m0x8000000000000^-1"},    /* -0.75 */
        {0x4004000000000000ull, "+1m0x4000000000000^1"},     /* 2.5 */
        {0x7fefffffffffffffull, "+1m0xfffffffffffff^1023"},  /* largest */
        {0x0010000000000000ull, "+1m0x0000000000000^-1022"}, /* smallest normal */
        {0x000fffffffffffffull, "+0m0xfffffffffffff"},       /* largest subnormal */
        {0x8000000000000001ull, "-0m0x0000000000001"},       /* smallest subnormal */
        {0x7ff0000000000000ull, "+Inf"},
        {0xfff0000000000000ull, "-Inf"},
        {0x7ff8000000000000ull, "+QNan"},
        {0xfff8000000000001ull, "-QNan"},
        {0x7ff0000000000001ull, "+SNan"},
        {0xfff4000000000000ull, "-SNan"},
    };
    for (auto const &c : s_aCases)
    {
        char sz[RTSTR_NUMBER_BUF_SIZE];
        int cch = rtstrFormatR64(sz, doubleFromBits(c.uBits));
        EXPECT_STREQ(c.pszExpected, sz) << std::hex << c.uBits;
        EXPECT_EQ((int)strlen(c.pszExpected), cch);
    }
}

TEST(StrFmt, FloatConversionsIgnoreWidthAndPrecision)
{
    static const char *const s_apszFormats[] = {"%a|%d", "%A|%d",     "%e|%d", "%E|%d",  "%f|%d",
                                                "%F|%d", "%10.3g|%d", "%G|%d", "%Lf|%d", "%-+08.2f|%d"};
    for (const char *pszFormat : s_apszFormats)
    {
        EXPECT_EQ("-1m0x8000000000000^-1|7", fmt(pszFormat, -0.75, 7)) << pszFormat;
        EXPECT_EQ("+Inf|7", fmt(pszFormat, doubleFromBits(0x7ff0000000000000ull), 7)) << pszFormat;
        EXPECT_EQ("-0|7", fmt(pszFormat, -0.0, 7)) << pszFormat;
    }
}

/** Formats "[%N|%d]" with an inner format and its own argument list. */
std::string fmtNested(const char *pszOuterFormat, int iAfter, const char *pszInner, ...)
{
    va_list vaInner;
    va_start(vaInner, pszInner);
    std::string str = fmt(pszOuterFormat, pszInner, &vaInner, iAfter);
    /* The inner list is used through a copy: formatting it again gives the same text. */
    EXPECT_EQ(str, fmt(pszOuterFormat, pszInner, &vaInner, iAfter));
    va_end(vaInner);
    return str;
}

TEST(StrFmt, NestedFormat)
{
    EXPECT_EQ("[a=5|7]", fmtNested("[%N|%d]", 7, "%s=%u", "a", 5u));
    EXPECT_EQ("[x 18446744073709551615 y|7]", fmtNested("[%N|%d]", 7, "x %llu y", ULLONG_MAX));
    EXPECT_EQ("[<%d>|7]", fmtNested("[%N|%d]", 7, "<%%d>"));
    EXPECT_FMT("<NULL>|7", "%N|%d", (const char *)NULL, (va_list *)NULL, 7);
    EXPECT_FMT("<00000010!BadFmt>|7", "%N|%d", (const char *)(uintptr_t)0x10, (va_list *)NULL, 7);
    EXPECT_FMT("<00000020!BadVaList>|7", "%N|%d", "%d", (va_list *)(uintptr_t)0x20, 7);
}

TEST(StrFmt, SwitchFormat)
{
    EXPECT_FMT("ab5c", "a%Mz%d", "b%dc", 5); /* the rest of the first format is abandoned */
    EXPECT_FMT("1 2", "%d %M", 1, "%d", 2);
    EXPECT_FMT("a<NULL>", "a%M%d", (const char *)NULL, 5); /* an unreadable format ends it */
    EXPECT_FMT("<00000010!BadFmt>", "%M%d", (const char *)(uintptr_t)0x10, 5);
}

/** Extension: 'Y' reports what the engine parsed and takes an int; 'Z' skips
 * one further format character and prints nothing. */
size_t testExtension(void *pvArg, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                     int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize)
{
    (*(int *)pvArg)++;
    char chLetter = (*ppszFormat)[-1];
    if (chLetter == 'Z')
    {
        if (**ppszFormat)
            (*ppszFormat)++;
        return 0;
    }
    char sz[128];
    int cch = snprintf(sz, sizeof(sz), "<%c w=%d p=%d f=%#x s=%d v=%d>", chLetter, cchWidth, cchPrecision, fFlags,
                       chArgSize, chLetter == 'Y' ? va_arg(*pArgs, int) : 0);
    return pfnOutput(pvArgOutput, sz, (size_t)cch);
}

std::string fmtExt(int *pcCalls, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    std::string str = formatWithV(testExtension, pcCalls, pszFormat, va);
    va_end(va);
    return str;
}

TEST(StrFmt, ExtensionCallback)
{
    int cCalls = 0;
    char szExpected[128];
    snprintf(szExpected, sizeof(szExpected), "a<Y w=5 p=2 f=%#x s=%d v=42>b|9",
             RTFMT_F_LEFT | RTFMT_F_PLUS | RTFMT_F_WIDTH | RTFMT_F_PRECISION, 'l');
    EXPECT_EQ(szExpected, fmtExt(&cCalls, "a%-+5.2lYb|%d", 42, 9));
    EXPECT_EQ(1, cCalls);

    snprintf(szExpected, sizeof(szExpected), "<Y w=0 p=-1 f=0 s=0 v=3>");
    EXPECT_EQ(szExpected, fmtExt(&cCalls, "%Y", 3)); /* nothing given: width 0, precision -1 */
    snprintf(szExpected, sizeof(szExpected), "<Y w=0 p=-1 f=0 s=%d v=3>", 'H');
    EXPECT_EQ(szExpected, fmtExt(&cCalls, "%hhY", 3));

    EXPECT_EQ("a|b", fmtExt(&cCalls, "a%Zq|b"));     /* the callback moves the format position */
    EXPECT_EQ("a", fmtExt(&cCalls, "a%Z"));          /* even to the end */
    EXPECT_EQ("5 x%", fmtExt(&cCalls, "%d x%%", 5)); /* known conversions never reach it */
    EXPECT_EQ(5, cCalls);
}

} // namespace
