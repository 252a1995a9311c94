/** @file
 * Integer parsing: signs, base detection and prefixes, digit limits, overflow
 * and narrowing, trailing text, the whole-string forms and the character limit.
 */
#include <gtest/gtest.h>
#include <rt/strnum.h>

#include <cstring>
#include <memory>

namespace
{

enum Kind
{
    U8,
    U16,
    U32,
    U64,
    I8,
    I16,
    I32,
    I64
};

const char *const g_apszKindNames[] = {"U8", "U16", "U32", "U64", "I8", "I16", "I32", "I64"};

/** One call: the text and base go in, the value (signed kinds sign-extended), status and end offset come out. */
struct Case
{
    Kind enmKind;
    const char *psz;
    unsigned uBaseAndMaxLen;
    uint64_t uValue;
    int rc;
    int offEnd; /**< prefix forms: where the digits stopped; ignored for whole forms */
};

constexpr uint64_t S(int64_t i)
{
    return (uint64_t)i;
}

template <typename T> uint64_t widen(T v)
{
    return (uint64_t)(int64_t)v;
}
template <> uint64_t widen(uint64_t v)
{
    return v;
}
template <> uint64_t widen(uint32_t v)
{
    return v;
}
template <> uint64_t widen(uint16_t v)
{
    return v;
}
template <> uint64_t widen(uint8_t v)
{
    return v;
}

/** Calls the prefix form (ppszNext non-null) or the whole form of @a enmKind. */
int parseAs(Kind enmKind, const char *psz, char **ppszNext, unsigned uBase, uint64_t *puValue, bool fWhole)
{
#define PARSE_KIND(a_Kind, a_Type, a_Fn)                                                                               \
    case a_Kind:                                                                                                       \
    {                                                                                                                  \
        a_Type v = (a_Type)0x5a;                                                                                       \
        int rc = fWhole ? a_Fn##Whole(psz, uBase, &v) : a_Fn(psz, ppszNext, uBase, &v);                                \
        *puValue = widen(v);                                                                                           \
        return rc;                                                                                                     \
    }
    switch (enmKind)
    {
        PARSE_KIND(U8, uint8_t, RTStrParseU8)
        PARSE_KIND(U16, uint16_t, RTStrParseU16)
        PARSE_KIND(U32, uint32_t, RTStrParseU32)
        PARSE_KIND(U64, uint64_t, RTStrParseU64)
        PARSE_KIND(I8, int8_t, RTStrParseI8)
        PARSE_KIND(I16, int16_t, RTStrParseI16)
        PARSE_KIND(I32, int32_t, RTStrParseI32)
        PARSE_KIND(I64, int64_t, RTStrParseI64)
    }
#undef PARSE_KIND
    return INT32_MIN;
}

template <size_t N> void expectPrefixCases(const Case (&aCases)[N])
{
    for (const Case &c : aCases)
    {
        char *pszNext = nullptr;
        uint64_t uValue = 0;
        int rc = parseAs(c.enmKind, c.psz, &pszNext, c.uBaseAndMaxLen, &uValue, false);
        SCOPED_TRACE(testing::Message() << g_apszKindNames[c.enmKind] << " '" << c.psz << "' base/limit "
                                        << c.uBaseAndMaxLen);
        EXPECT_EQ(c.rc, rc);
        EXPECT_EQ(c.uValue, uValue);
        EXPECT_EQ(c.psz + c.offEnd, pszNext);
    }
}

template <size_t N> void expectWholeCases(const Case (&aCases)[N])
{
    for (const Case &c : aCases)
    {
        uint64_t uValue = 0;
        int rc = parseAs(c.enmKind, c.psz, nullptr, c.uBaseAndMaxLen, &uValue, true);
        SCOPED_TRACE(testing::Message() << g_apszKindNames[c.enmKind] << "Whole '" << c.psz << "' base/limit "
                                        << c.uBaseAndMaxLen);
        EXPECT_EQ(c.rc, rc);
        EXPECT_EQ(c.uValue, uValue);
    }
}

TEST(StrToNum, BasesAndPrefixes)
{
    const Case aCases[] = {
        {U64, "0", 0, 0, INF_SUCCESS, 1},
        {U64, "123", 10, 123, INF_SUCCESS, 3},
        {U64, "0x1F", 0, 31, INF_SUCCESS, 4},
        {U64, "0X1f", 16, 31, INF_SUCCESS, 4},
        {U64, "1f", 16, 31, INF_SUCCESS, 2},
        {U64, "0x", 0, 0, WRN_TRAILING_CHARS, 1},    /* no hex digit: the '0' alone is the number */
        {U64, "0xg", 16, 0, WRN_TRAILING_CHARS, 1},  /* same with an explicit base 16 */
        {U64, "0x10", 10, 0, WRN_TRAILING_CHARS, 1}, /* only base 16 and detection take the prefix */
        {U64, "0x10", 8, 0, WRN_TRAILING_CHARS, 1},
        {U64, "017", 0, 15, INF_SUCCESS, 3},
        {U64, "019", 0, 1, WRN_TRAILING_CHARS, 2}, /* octal chosen by "01", so '9' ends it */
        {U64, "08", 0, 8, INF_SUCCESS, 2},         /* '8' is no octal digit: decimal */
        {U64, "017", 10, 17, INF_SUCCESS, 3},
        {U64, "777", 8, 511, INF_SUCCESS, 3},
        {U64, "778", 8, 63, WRN_TRAILING_CHARS, 2},
        {U64, "1012", 2, 5, WRN_TRAILING_CHARS, 3},
        {U64, "Yy", 35, 34 * 35 + 34, INF_SUCCESS, 2},
        {U64, "zz", 36, 0, ERR_NO_DIGITS, 0}, /* 36 and above detect the base */
        {U64, "12ab", 200, 12, WRN_TRAILING_CHARS, 2},
        {I64, "-0x10", 0, S(-16), INF_SUCCESS, 5},
        {I64, "-010", 0, S(-8), INF_SUCCESS, 4},
    };
    expectPrefixCases(aCases);
}

TEST(StrToNum, SignsTrailingTextAndMissingDigits)
{
    const Case aCases[] = {
        {I64, "-+7", 10, 7, INF_SUCCESS, 3}, /* '+' makes the sign positive again, it does not flip it */
        {I64, "+-7", 10, S(-7), INF_SUCCESS, 3},
        {I64, "--7", 10, 7, INF_SUCCESS, 3},
        {I64, "-+-7", 10, S(-7), INF_SUCCESS, 4},
        {I64, "-0", 10, 0, INF_SUCCESS, 2},
        {U64, "-1", 10, UINT64_MAX, WRN_NEGATIVE_UNSIGNED, 2},
        {U64, "-0", 10, 0, WRN_NEGATIVE_UNSIGNED, 2},
        {U64, "-1x", 10, UINT64_MAX, WRN_NEGATIVE_UNSIGNED, 2}, /* the value warning wins over trailing text */
        {U64, "12 ", 10, 12, WRN_TRAILING_SPACES, 2},
        {U64, "12 \t ", 10, 12, WRN_TRAILING_SPACES, 2},
        {U64, "12 x", 10, 12, WRN_TRAILING_CHARS, 2},
        {U64, "12\n", 10, 12, WRN_TRAILING_CHARS, 2}, /* only space and tab are blanks */
        {U64, "", 10, 0, ERR_NO_DIGITS, 0},
        {U64, "-", 0, 0, ERR_NO_DIGITS, 0},
        {U64, "+x", 0, 0, ERR_NO_DIGITS, 0},
        {U64, " 5", 0, 0, ERR_NO_DIGITS, 0}, /* leading blanks are the caller's business */
        {I32, "--", 0, 0, ERR_NO_DIGITS, 0},
    };
    expectPrefixCases(aCases);
}

TEST(StrToNum, SixtyFourBitLimits)
{
    const Case aCases[] = {
        {U64, "18446744073709551615", 10, UINT64_MAX, INF_SUCCESS, 20},
        {U64, "18446744073709551616", 10, UINT64_MAX, WRN_NUMBER_TOO_BIG, 20},
        {U64, "0xffffffffffffffff", 0, UINT64_MAX, INF_SUCCESS, 18},
        {U64, "0x10000000000000000", 0, UINT64_MAX, WRN_NUMBER_TOO_BIG, 19},
        {U64, "99999999999999999999999x", 10, UINT64_MAX, WRN_NUMBER_TOO_BIG, 23}, /* digits still consumed */
        {U64, "-18446744073709551615", 10, 1, WRN_NEGATIVE_UNSIGNED, 21},
        {U64, "-18446744073709551616", 10, UINT64_MAX, WRN_NUMBER_TOO_BIG, 21},
        {I64, "9223372036854775807", 10, INT64_MAX, INF_SUCCESS, 19},
        {I64, "9223372036854775808", 10, INT64_MAX, WRN_NUMBER_TOO_BIG, 19},
        {I64, "-9223372036854775808", 10, S(INT64_MIN), INF_SUCCESS, 20},
        {I64, "-0x8000000000000000", 0, S(INT64_MIN), INF_SUCCESS, 19},
        {I64, "--9223372036854775808", 10, INT64_MAX, WRN_NUMBER_TOO_BIG, 21},
        {I64, "-9223372036854775809", 10, S(INT64_MIN), WRN_NUMBER_TOO_BIG, 20},
        {I64, "-99999999999999999999", 10, S(INT64_MIN), WRN_NUMBER_TOO_BIG, 21},
    };
    expectPrefixCases(aCases);
}

TEST(StrToNum, NarrowedWidths)
{
    const Case aCases[] = {
        {U8, "255", 10, 255, INF_SUCCESS, 3},
        {U8, "256", 10, 255, WRN_NUMBER_TOO_BIG, 3},
        {U8, "300x", 10, 255, WRN_NUMBER_TOO_BIG, 3},
        {U8, "-1", 10, 255, WRN_NEGATIVE_UNSIGNED, 2},
        {U8, "-255", 10, 1, WRN_NEGATIVE_UNSIGNED, 4},
        {U8, "-256", 10, 255, WRN_NUMBER_TOO_BIG, 4},
        {U16, "65535", 10, 65535, INF_SUCCESS, 5},
        {U16, "0x10000", 0, 65535, WRN_NUMBER_TOO_BIG, 7},
        {U32, "4294967295", 10, UINT32_MAX, INF_SUCCESS, 10},
        {U32, "4294967296", 10, UINT32_MAX, WRN_NUMBER_TOO_BIG, 10},
        {U32, "18446744073709551616", 10, UINT32_MAX, WRN_NUMBER_TOO_BIG, 20},
        {U32, "-1", 10, UINT32_MAX, WRN_NEGATIVE_UNSIGNED, 2},
        {I8, "127", 10, 127, INF_SUCCESS, 3},
        {I8, "128", 10, 127, WRN_NUMBER_TOO_BIG, 3},
        {I8, "-128", 10, S(-128), INF_SUCCESS, 4},
        {I8, "-129", 10, S(-128), WRN_NUMBER_TOO_BIG, 4},
        {I16, "-32768", 10, S(-32768), INF_SUCCESS, 6},
        {I16, "32768 ", 10, 32767, WRN_NUMBER_TOO_BIG, 5},
        {I32, "2147483647", 10, INT32_MAX, INF_SUCCESS, 10},
        {I32, "-2147483649", 10, S(INT32_MIN), WRN_NUMBER_TOO_BIG, 11},
        {I32, "-0x80000000", 0, S(INT32_MIN), INF_SUCCESS, 11},
    };
    expectPrefixCases(aCases);
}

TEST(StrToNum, WholeForms)
{
    const Case aCases[] = {
        {U64, "42", 10, 42, INF_SUCCESS, 0},
        {U64, "42 ", 10, 42, ERR_TRAILING_SPACES, 0},
        {U64, "42x", 10, 42, ERR_TRAILING_CHARS, 0},
        {U64, "", 10, 0, ERR_NO_DIGITS, 0},
        {U64, "-1", 10, UINT64_MAX, WRN_NEGATIVE_UNSIGNED, 0},
        {U64, "-1x", 10, UINT64_MAX, ERR_TRAILING_CHARS, 0}, /* trailing text is never passed as a warning */
        {U64, "99999999999999999999 ", 10, UINT64_MAX, ERR_TRAILING_SPACES, 0},
        {U32, "0x10", 10, 0, ERR_TRAILING_CHARS, 0},
        {U32, "0x10", 16, 16, INF_SUCCESS, 0},
        {U32, "12 ", 10, 12, ERR_TRAILING_SPACES, 0},
        {U32, "4294967296", 10, UINT32_MAX, WRN_NUMBER_TOO_BIG, 0},
        {U8, "300", 10, 255, WRN_NUMBER_TOO_BIG, 0},
        {U8, "300x", 10, 255, ERR_TRAILING_CHARS, 0},
        {I32, "-0x10", 0, S(-16), INF_SUCCESS, 0},
        {I16, "-32769", 10, S(-32768), WRN_NUMBER_TOO_BIG, 0},
        {I8, "-5\t", 10, S(-5), ERR_TRAILING_SPACES, 0},
    };
    expectWholeCases(aCases);
}

TEST(StrToNum, CharacterLimitEndsTheText)
{
    const Case aPrefix[] = {
        {U64, "12345", RTSTR_PARSE_BASE(10, 3), 123, INF_SUCCESS, 3},
        {U64, "12 x", RTSTR_PARSE_BASE(10, 3), 12, WRN_TRAILING_SPACES, 2},
        {U64, "12x", RTSTR_PARSE_BASE(10, 100), 12, WRN_TRAILING_CHARS, 2}, /* a limit past the NUL */
        {U64, "0x1F", RTSTR_PARSE_BASE(0, 2), 0, WRN_TRAILING_CHARS, 1},    /* the prefix needs its digit inside */
        {U64, "0x1F", RTSTR_PARSE_BASE(0, 3), 1, INF_SUCCESS, 3},
        {U64, "017", RTSTR_PARSE_BASE(0, 1), 0, INF_SUCCESS, 1}, /* "0" alone: no octal detection */
        {I64, "-5", RTSTR_PARSE_BASE(10, 1), 0, ERR_NO_DIGITS, 0},
    };
    expectPrefixCases(aPrefix);

    const Case aWhole[] = {
        {U32, "123x", RTSTR_PARSE_BASE(10, 3), 123, INF_SUCCESS, 0},
        {U32, "123x", RTSTR_PARSE_BASE(10, 4), 123, ERR_TRAILING_CHARS, 0},
    };
    expectWholeCases(aWhole);
}

TEST(StrToNum, LimitStopsReadingUnterminatedText)
{
    /* Exactly sized heap buffers without a terminator: AddressSanitizer reports
       any read past the limit, including the look-ahead for a "0x" prefix. */
    const struct
    {
        const char *pszText;
        uint64_t uValue;
        int rc;
    } aCases[] = {
        {"123", 123, INF_SUCCESS},
        {"0", 0, INF_SUCCESS},
        {"0x", 0, WRN_TRAILING_CHARS},
        {"7 ", 7, WRN_TRAILING_SPACES},
    };
    for (const auto &c : aCases)
    {
        size_t cch = strlen(c.pszText);
        std::unique_ptr<char[]> pach(new char[cch]);
        memcpy(pach.get(), c.pszText, cch);
        uint64_t uValue = 0;
        char *pszNext = nullptr;
        EXPECT_EQ(c.rc, RTStrParseU64(pach.get(), &pszNext, RTSTR_PARSE_BASE(0, cch), &uValue)) << c.pszText;
        EXPECT_EQ(c.uValue, uValue) << c.pszText;
    }
}

TEST(StrToNum, BadArguments)
{
    uint32_t u32 = 7;
    char *pszNext = nullptr;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStrParseU32("1", &pszNext, 1, &u32));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStrParseI64Whole("0", RTSTR_PARSE_BASE(1, 5), nullptr));
    EXPECT_EQ(ERR_INVALID_POINTER, RTStrParseU32(nullptr, &pszNext, 10, &u32));
    EXPECT_EQ(ERR_INVALID_POINTER, RTStrParseU32((const char *)16, &pszNext, 10, &u32));
    EXPECT_EQ(ERR_INVALID_POINTER, RTStrParseU32("1", (char **)8, 10, &u32));
    EXPECT_EQ(ERR_INVALID_POINTER, RTStrParseU32Whole("1", 10, (uint32_t *)4));
    EXPECT_EQ(7u, u32); /* nothing written on a parameter error */
    EXPECT_EQ(nullptr, pszNext);

    /* Both outputs are optional: the status alone validates the text. */
    EXPECT_EQ(INF_SUCCESS, RTStrParseI8("-12", nullptr, 10, nullptr));
    EXPECT_EQ(WRN_NUMBER_TOO_BIG, RTStrParseU16Whole("70000", 10, nullptr));
}

} // namespace
