/** @file
 * UTF-8: the acceptance rules in validation, counting and conversion, the
 * lenient single-character decoders, the encoder, stepping backwards, and the
 * conversions' buffer, overflow and out-of-memory behaviour.
 */
#include <gtest/gtest.h>
#include <string.h>
#include <vector>
#include <rt/string.h>
#include <rt/utf16.h>
#include <rt/mem.h>
#include "support/alloc-failure.h"

namespace
{

/*
 * Strict acceptance: one table drives validation, counting and conversion.
 */

struct StrictCase
{
    const char *pszInput;
    int rcExpected;
    size_t cwcExpected; /* UTF-16 units when valid */
    size_t cCpsExpected;
};

const StrictCase g_aStrictCases[] = {
    {"", INF_SUCCESS, 0, 0},
    {"plain ascii\x7f", INF_SUCCESS, 12, 12},
    {"\xc2\x80", INF_SUCCESS, 1, 1},                     /* U+0080, smallest 2-byte */
    {"\xdf\xbf", INF_SUCCESS, 1, 1},                     /* U+07FF */
    {"\xc0\x80", ERR_INVALID_UTF8_ENCODING, 0, 0},       /* overlong NUL */
    {"\xc1\xbf", ERR_INVALID_UTF8_ENCODING, 0, 0},       /* overlong U+007F */
    {"\xe0\xa0\x80", INF_SUCCESS, 1, 1},                 /* U+0800 */
    {"\xe0\x9f\xbf", ERR_INVALID_UTF8_ENCODING, 0, 0},   /* overlong U+07FF */
    {"\xed\x9f\xbf", INF_SUCCESS, 1, 1},                 /* U+D7FF, just below the surrogates */
    {"\xed\xa0\x80", ERR_SURROGATE_CODE_POINT, 0, 0},    /* U+D800 */
    {"\xed\xbf\xbf", ERR_SURROGATE_CODE_POINT, 0, 0},    /* U+DFFF */
    {"\xee\x80\x80", INF_SUCCESS, 1, 1},                 /* U+E000 */
    {"\xef\xb7\x90", INF_SUCCESS, 1, 1},                 /* U+FDD0: only FFFE and FFFF are refused */
    {"\xef\xbf\xbd", INF_SUCCESS, 1, 1},                 /* U+FFFD */
    {"\xef\xbf\xbe", ERR_NONCHARACTER_CODE_POINT, 0, 0}, /* U+FFFE */
    {"\xef\xbf\xbf", ERR_NONCHARACTER_CODE_POINT, 0, 0}, /* U+FFFF */
    {"\xf0\x90\x80\x80", INF_SUCCESS, 2, 1},             /* U+10000 */
    {"\xf0\x9f\x98\x80", INF_SUCCESS, 2, 1},             /* U+1F600 */
    {"\xf0\x9f\xbf\xbe", INF_SUCCESS, 2, 1},             /* U+1FFFE is accepted */
    {"\xf4\x8f\xbf\xbf", INF_SUCCESS, 2, 1},             /* U+10FFFF */
    {"\xf0\x8f\xbf\xbf", ERR_INVALID_UTF8_ENCODING, 0, 0},
    {"\xf4\x90\x80\x80", ERR_CODE_POINT_OUT_OF_RANGE, 0, 0}, /* U+110000 */
    {"\xf7\xbf\xbf\xbf", ERR_CODE_POINT_OUT_OF_RANGE, 0, 0},
    {"\xf8\x88\x80\x80\x80", ERR_CODE_POINT_OUT_OF_RANGE, 0, 0}, /* 0x200000 needs 5 bytes */
    {"\xf8\x87\xbf\xbf\xbf", ERR_INVALID_UTF8_ENCODING, 0, 0},   /* overlong 5-byte */
    {"\xfc\x84\x80\x80\x80\x80", ERR_CODE_POINT_OUT_OF_RANGE, 0, 0},
    {"\xfd\xbf\xbf\xbf\xbf\xbf", ERR_CODE_POINT_OUT_OF_RANGE, 0, 0},
    {"\xfc\x83\xbf\xbf\xbf\xbf", ERR_INVALID_UTF8_ENCODING, 0, 0}, /* overlong 6-byte */
    {"\x80", ERR_INVALID_UTF8_ENCODING, 0, 0},                     /* continuation as lead */
    {"a\xbf", ERR_INVALID_UTF8_ENCODING, 0, 0},
    {"\xfe", ERR_INVALID_UTF8_ENCODING, 0, 0},
    {"\xff", ERR_INVALID_UTF8_ENCODING, 0, 0},
    {"\xe2\x82", ERR_INVALID_UTF8_ENCODING, 0, 0}, /* truncated by the terminator */
    {"\xe2\x82"
     "A",
     ERR_INVALID_UTF8_ENCODING, 0, 0}, /* ASCII where a continuation belongs */
    {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z", INF_SUCCESS, 5, 4},
    {"ok\xc3\xa9then\xed\xa0\x80", ERR_SURROGATE_CODE_POINT, 0, 0}, /* a late error still fails the whole */
};

TEST(Utf8Strict, ValidationCountingAndConversionAgree)
{
    for (const StrictCase &c : g_aStrictCases)
    {
        SCOPED_TRACE(testing::Message() << "input #" << (&c - g_aStrictCases));
        EXPECT_EQ(c.rcExpected, RTStrValidate(c.pszInput, RTSTR_MAX, 0));

        size_t cwc = 12345;
        EXPECT_EQ(c.rcExpected, RTStrUtf16Count(c.pszInput, RTSTR_MAX, &cwc));
        EXPECT_EQ(RT_SUCCESS(c.rcExpected) ? c.cwcExpected : SIZE_MAX, cwc);
        EXPECT_EQ(RT_SUCCESS(c.rcExpected) ? c.cCpsExpected : 0u, RTStrCpCount(c.pszInput));

        RTUTF16 *pwsz = (RTUTF16 *)(uintptr_t)0x5000; /* must be replaced, by null on failure */
        EXPECT_EQ(c.rcExpected, RTStrToUtf16(c.pszInput, &pwsz, RTMEM_TAG));
        if (RT_SUCCESS(c.rcExpected))
        {
            ASSERT_NE(nullptr, pwsz);
            EXPECT_EQ(c.cwcExpected, RTUtf16Len(pwsz));
        }
        else
            EXPECT_EQ(nullptr, pwsz);
        RTUtf16Free(pwsz);

        RTUNICP *paCps = NULL;
        size_t cCps = 12345;
        EXPECT_EQ(c.rcExpected, RTStrToCodePoints(c.pszInput, RTSTR_MAX, &paCps, 0, &cCps));
        if (RT_SUCCESS(c.rcExpected))
            EXPECT_EQ(c.cCpsExpected, cCps);
        else
            EXPECT_EQ(nullptr, paCps);
        RTMemFree(paCps);
    }
}

TEST(Utf8Strict, LengthLimitStopsAtLengthOrNul)
{
    size_t cwc;
    /* A character cut by the length is malformed, not shorter text. */
    EXPECT_EQ(ERR_INVALID_UTF8_ENCODING, RTStrUtf16Count("\xc3\xa9", 1, &cwc));
    EXPECT_EQ(ERR_INVALID_UTF8_ENCODING, RTStrUtf16Count("a\xf0\x9f\x98\x80", 4, &cwc));
    EXPECT_EQ(INF_SUCCESS, RTStrUtf16Count("a\xf0\x9f\x98\x80", 5, &cwc));
    EXPECT_EQ(3u, cwc);
    EXPECT_EQ(INF_SUCCESS, RTStrUtf16Count("\xff", 0, &cwc));
    EXPECT_EQ(0u, cwc);
    /* Nothing after a NUL inside the length is looked at. */
    static const char s_achNulThenJunk[] = {'a', 'b', '\0', '\xff', '\xc0'};
    EXPECT_EQ(INF_SUCCESS, RTStrUtf16Count(s_achNulThenJunk, sizeof(s_achNulThenJunk), &cwc));
    EXPECT_EQ(2u, cwc);
}

TEST(Utf8Strict, ValidateFlags)
{
    struct
    {
        const char *pch;
        size_t cch;
        uint32_t fFlags;
        int rcExpected;
    } const s_aCases[] = {
        {"abc", 4, RTSTR_VALIDATE_F_NUL_TERMINATED, INF_SUCCESS},
        {"abc", 3, RTSTR_VALIDATE_F_NUL_TERMINATED, ERR_BUFFER_OVERFLOW}, /* NUL just outside */
        {"abc", 0, RTSTR_VALIDATE_F_NUL_TERMINATED, ERR_BUFFER_OVERFLOW},
        {"abc", 3, RTSTR_VALIDATE_F_EXACT_LENGTH, INF_SUCCESS},
        {"abc", 4, RTSTR_VALIDATE_F_EXACT_LENGTH, ERR_LENGTH_MISMATCH}, /* NUL inside: shorter */
        {"ab\0\0", 4, RTSTR_VALIDATE_F_NUL_TERMINATED | RTSTR_VALIDATE_F_EXACT_LENGTH, ERR_LENGTH_MISMATCH},
        {"abc", 4, RTSTR_VALIDATE_F_NUL_TERMINATED | RTSTR_VALIDATE_F_EXACT_LENGTH, INF_SUCCESS},
        {"abc", 3, RTSTR_VALIDATE_F_NUL_TERMINATED | RTSTR_VALIDATE_F_EXACT_LENGTH, ERR_BUFFER_OVERFLOW},
        {"abc", 2, 0, INF_SUCCESS},
        {"abc", 4, 4, ERR_INVALID_PARAMETER},
        {"abc", 4, UINT32_C(0x80000001), ERR_INVALID_PARAMETER},
        {"\xed\xa0\x80", 4, RTSTR_VALIDATE_F_NUL_TERMINATED, ERR_SURROGATE_CODE_POINT},
    };
    for (const auto &c : s_aCases)
        EXPECT_EQ(c.rcExpected, RTStrValidate(c.pch, c.cch, c.fFlags))
            << c.pch << " cch " << c.cch << " f " << c.fFlags;
}

/*
 * The lenient single-character decoders.
 */

TEST(Utf8Decode, DecodesAndAdvancesByTable)
{
    struct
    {
        const char *pszInput;
        int rcExpected;
        RTUNICP uCpExpected;
        size_t cchAdvance;
    } const s_aCases[] = {
        {"A", INF_SUCCESS, 'A', 1},
        {"", INF_SUCCESS, 0, 1},
        {"\xc3\xa9", INF_SUCCESS, 0xe9, 2},
        {"\xe2\x82\xac", INF_SUCCESS, 0x20ac, 3},
        {"\xf0\x9f\x98\x80", INF_SUCCESS, 0x1f600, 4},
        {"\xf4\x90\x80\x80", INF_SUCCESS, 0x110000, 4}, /* lenient beyond U+10FFFF */
        {"\xf7\xbf\xbf\xbf", INF_SUCCESS, 0x1fffff, 4},
        {"\xf8\x88\x80\x80\x80", INF_SUCCESS, 0x200000, 5},
        {"\xfd\xbf\xbf\xbf\xbf\xbf", INF_SUCCESS, 0x7fffffff, 6},
        {"\xc0\x80", ERR_INVALID_UTF8_ENCODING, RTUNICP_INVALID, 1},
        {"\xf0\x8f\xbf\xbf", ERR_INVALID_UTF8_ENCODING, RTUNICP_INVALID, 1},
        {"\xfc\x83\xbf\xbf\xbf\xbf", ERR_INVALID_UTF8_ENCODING, RTUNICP_INVALID, 1},
        {"\xed\xa0\x80", ERR_SURROGATE_CODE_POINT, RTUNICP_INVALID, 1},
        {"\xef\xbf\xbe", ERR_NONCHARACTER_CODE_POINT, RTUNICP_INVALID, 1},
        {"\xbf", ERR_INVALID_UTF8_ENCODING, RTUNICP_INVALID, 1},
        {"\xff", ERR_INVALID_UTF8_ENCODING, RTUNICP_INVALID, 1},
        {"\xf0\x9f\x98", ERR_INVALID_UTF8_ENCODING, RTUNICP_INVALID, 1}, /* truncated by NUL */
    };
    for (const auto &c : s_aCases)
    {
        SCOPED_TRACE(c.pszInput);
        const char *psz = c.pszInput;
        RTUNICP uCp = 12345;
        EXPECT_EQ(c.rcExpected, RTStrCpDecode(&psz, &uCp));
        EXPECT_EQ(c.uCpExpected, uCp);
        EXPECT_EQ(c.cchAdvance, (size_t)(psz - c.pszInput));
        EXPECT_EQ(c.uCpExpected, RTStrCpAt(c.pszInput));

        size_t cchInput = strlen(c.pszInput) + 1;
        size_t cchLeft = cchInput;
        psz = c.pszInput;
        EXPECT_EQ(c.rcExpected, RTStrCpDecodeN(&psz, &cchLeft, &uCp));
        EXPECT_EQ(c.uCpExpected, uCp);
        EXPECT_EQ(c.cchAdvance, (size_t)(psz - c.pszInput));
        EXPECT_EQ(cchInput - c.cchAdvance, cchLeft);
    }
}

TEST(Utf8Decode, DecodeNStopsAtTheLength)
{
    const char *psz = "\xc3\xa9";
    size_t cch = 1;
    RTUNICP uCp;
    EXPECT_EQ(ERR_INVALID_UTF8_ENCODING, RTStrCpDecodeN(&psz, &cch, &uCp)); /* cut, not read past */
    EXPECT_EQ(0u, cch);
    EXPECT_EQ(ERR_END_OF_STRING, RTStrCpDecodeN(&psz, &cch, &uCp));
    EXPECT_EQ(RTUNICP_INVALID, uCp);
    EXPECT_EQ(0u, cch);
}

/*
 * Encoding.
 */

TEST(Utf8Encode, WritesEachLengthAndRoundTrips)
{
    struct
    {
        RTUNICP uCp;
        const char *pszExpected;
    } const s_aCases[] = {
        {0, ""}, /* one NUL byte: compared with the length below */
        {0x7f, "\x7f"},
        {0x80, "\xc2\x80"},
        {0x7ff, "\xdf\xbf"},
        {0x800, "\xe0\xa0\x80"},
        {0xffff, "\xef\xbf\xbf"},
        {0x10000, "\xf0\x90\x80\x80"},
        {0x1fffff, "\xf7\xbf\xbf\xbf"},
        {0x200000, "\xf8\x88\x80\x80\x80"},
        {0x3ffffff, "\xfb\xbf\xbf\xbf\xbf"},
        {0x4000000, "\xfc\x84\x80\x80\x80\x80"},
        {0x7fffffff, "\xfd\xbf\xbf\xbf\xbf\xbf"},
        {0x80000000, "\x7f"},
        {0xffffffff, "\x7f"},
    };
    for (const auto &c : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << c.uCp);
        char ach[8];
        memset(ach, 'Z', sizeof(ach));
        size_t cchExpected = c.uCp ? strlen(c.pszExpected) : 1;
        char *pchEnd = RTStrCpEncode(ach, c.uCp);
        ASSERT_EQ(cchExpected, (size_t)(pchEnd - ach));
        EXPECT_EQ(0, memcmp(ach, c.pszExpected, cchExpected));
        EXPECT_EQ('Z', ach[cchExpected]); /* nothing written past the character */

        if (c.uCp <= 0x7fffffff && c.uCp != 0xffff) /* the decoder refuses U+FFFF by design */
        {
            const char *psz = ach;
            RTUNICP uCp;
            EXPECT_EQ(INF_SUCCESS, RTStrCpDecode(&psz, &uCp));
            EXPECT_EQ(c.uCp, uCp);
            EXPECT_EQ(pchEnd, psz);
        }
    }
}

/*
 * Stepping backwards.
 */

TEST(Utf8PrevCp, StepsBackOverWholeCharacters)
{
    const char *pszText = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"; /* a, U+E9, U+20AC, U+1F600 */
    const size_t s_aoffStarts[] = {0, 1, 3, 6};
    const char *psz = pszText + strlen(pszText);
    for (size_t i = RT_ELEMENTS(s_aoffStarts); i-- > 0;)
    {
        psz = RTStrPrevCp(pszText, psz);
        EXPECT_EQ(pszText + s_aoffStarts[i], psz);
    }
    EXPECT_EQ(pszText, RTStrPrevCp(pszText, pszText));
}

TEST(Utf8PrevCp, InvalidBytesBeforeGiveTheStart)
{
    struct
    {
        const char *pszText;
        size_t offPos;
    } const s_aCases[] = {
        {"ab\x80", 3},                        /* stray continuation after ASCII */
        {"ab\xc3", 3},                        /* lead with nothing after it */
        {"a\xc3\xa9\xa9", 4},                 /* one continuation too many */
        {"a\xe2\x82\xac", 3},                 /* position inside a character */
        {"a\x80\x80\x80\x80\x80\x80\x80", 8}, /* more continuations than any character has */
        {"a\xc0\x80", 3},                     /* overlong */
    };
    for (const auto &c : s_aCases)
        EXPECT_EQ(c.pszText, RTStrPrevCp(c.pszText, c.pszText + c.offPos)) << c.pszText;
}

/*
 * Conversion into buffers and allocations.
 */

TEST(Utf8ToUtf16, SurrogatePairForAstralCharacter)
{
    RTUTF16 *pwsz = NULL;
    ASSERT_EQ(INF_SUCCESS, RTStrToUtf16("x\xf0\x9f\x98\x80y", &pwsz, RTMEM_TAG));
    const RTUTF16 s_awcExpected[] = {'x', 0xd83d, 0xde00, 'y', 0};
    EXPECT_EQ(0, memcmp(s_awcExpected, pwsz, sizeof(s_awcExpected)));
    RTUtf16Free(pwsz);
}

TEST(Utf8ToUtf16, EmptyStringGivesSingleTerminator)
{
    RTUTF16 *pwsz = NULL;
    ASSERT_EQ(INF_SUCCESS, RTStrToUtf16("", &pwsz, RTMEM_TAG));
    ASSERT_NE(nullptr, pwsz);
    EXPECT_EQ(0, pwsz[0]);
    RTUtf16Free(pwsz);
}

TEST(Utf8ToUtf16, CallerBufferOverflowKeepsTerminatedPrefix)
{
    struct
    {
        const char *pszInput;
        size_t cch;
        size_t cwcBuf;
        int rcExpected;
        size_t cwcReported;
        std::vector<RTUTF16> vecExpected; /* buffer contents up to and with the terminator */
    } const s_aCases[] = {
        {"abc", RTSTR_MAX, 4, INF_SUCCESS, 3, {'a', 'b', 'c', 0}},
        {"abcd", RTSTR_MAX, 4, ERR_BUFFER_OVERFLOW, 4, {'a', 'b', 'c', 0}},
        {"abcd", 2, 4, INF_SUCCESS, 2, {'a', 'b', 0}},
        {"a\xf0\x9f\x98\x80", RTSTR_MAX, 3, ERR_BUFFER_OVERFLOW, 3, {'a', 0}}, /* the pair does not fit */
        {"a\xf0\x9f\x98\x80", RTSTR_MAX, 4, INF_SUCCESS, 3, {'a', 0xd83d, 0xde00, 0}},
        {"abc", RTSTR_MAX, 1, ERR_BUFFER_OVERFLOW, 3, {0}},
    };
    for (const auto &c : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << c.pszInput << " into " << c.cwcBuf);
        std::vector<RTUTF16> vecBuf(c.cwcBuf + 2, 0x5a5a);
        RTUTF16 *pwsz = vecBuf.data();
        size_t cwc = 0;
        EXPECT_EQ(c.rcExpected, RTStrToUtf16Ex(c.pszInput, c.cch, &pwsz, c.cwcBuf, &cwc, RTMEM_TAG));
        EXPECT_EQ(vecBuf.data(), pwsz);
        EXPECT_EQ(c.cwcReported, cwc);
        EXPECT_EQ(c.vecExpected, std::vector<RTUTF16>(vecBuf.begin(), vecBuf.begin() + c.vecExpected.size()));
        EXPECT_EQ(0x5a5a, vecBuf[c.cwcBuf]); /* nothing beyond the given size */
    }
}

TEST(Utf8ToUtf16, InvalidInputLeavesCallerBufferUntouched)
{
    RTUTF16 awc[8];
    for (RTUTF16 &wc : awc)
        wc = 0x5a5a;
    RTUTF16 *pwsz = awc;
    EXPECT_EQ(ERR_SURROGATE_CODE_POINT, RTStrToUtf16Ex("ab\xed\xa0\x80", RTSTR_MAX, &pwsz, 8, NULL, RTMEM_TAG));
    EXPECT_EQ(awc, pwsz);
    for (RTUTF16 wc : awc)
        EXPECT_EQ(0x5a5a, wc);
}

TEST(Utf8ToUtf16, AllocatesAtLeastTheRequestedSize)
{
    RTUTF16 *pwsz = NULL;
    size_t cwc = 0;
    ASSERT_EQ(INF_SUCCESS, RTStrToUtf16Ex("ab", RTSTR_MAX, &pwsz, 10, &cwc, RTMEM_TAG));
    EXPECT_EQ(2u, cwc);
    EXPECT_EQ(2u, RTUtf16Len(pwsz));
    EXPECT_EQ(0, pwsz[9]); /* the spare room belongs to the caller and is defined */
    RTUtf16Free(pwsz);

    /* A size too small for the text is raised to what the text needs. */
    pwsz = NULL;
    ASSERT_EQ(INF_SUCCESS, RTStrToUtf16Ex("abcdef", RTSTR_MAX, &pwsz, 2, &cwc, RTMEM_TAG));
    EXPECT_EQ(6u, RTUtf16Len(pwsz));
    RTUtf16Free(pwsz);
}

TEST(Utf8ToUtf16, UnsatisfiableSizeFailsCleanly)
{
    RTUTF16 *pwsz = NULL;
    EXPECT_EQ(ERR_NO_UTF16_MEMORY, RTStrToUtf16Ex("ab", RTSTR_MAX, &pwsz, SIZE_MAX / 2 + 1, NULL, RTMEM_TAG));
    EXPECT_EQ(nullptr, pwsz);
}

TEST(Utf8ToUtf16, OutOfMemoryGivesStatusAndNull)
{
    tst::AllocationFailures Failures(0);
    RTUTF16 *pwsz = (RTUTF16 *)(uintptr_t)0x5000;
    EXPECT_EQ(ERR_NO_UTF16_MEMORY, RTStrToUtf16("abc", &pwsz, RTMEM_TAG));
    EXPECT_EQ(nullptr, pwsz);
    /* Invalid text is refused before any allocation is tried. */
    EXPECT_EQ(ERR_INVALID_UTF8_ENCODING, RTStrToUtf16("\xc0\x80", &pwsz, RTMEM_TAG));
    EXPECT_EQ(nullptr, pwsz);

    RTUNICP *paCps = NULL;
    EXPECT_EQ(ERR_NO_CODE_POINT_MEMORY, RTStrToCodePoints("abc", RTSTR_MAX, &paCps, 0, NULL));
    EXPECT_EQ(nullptr, paCps);
}

TEST(Utf8ToCodePoints, ConvertsIntoBufferAndAllocation)
{
    RTUNICP aCps[4] = {9, 9, 9, 9};
    RTUNICP *paCps = aCps;
    size_t cCps = 0;
    EXPECT_EQ(ERR_BUFFER_OVERFLOW,
              RTStrToCodePoints("a\xc3\xa9\xf4\x8f\xbf\xbfz", RTSTR_MAX, &paCps, RT_ELEMENTS(aCps), &cCps));
    EXPECT_EQ(4u, cCps);
    const RTUNICP s_aExpectedPrefix[] = {'a', 0xe9, 0x10ffff, 0};
    EXPECT_EQ(0, memcmp(s_aExpectedPrefix, aCps, sizeof(aCps)));

    paCps = NULL;
    ASSERT_EQ(INF_SUCCESS, RTStrToCodePoints("a\xc3\xa9\xf4\x8f\xbf\xbfz", RTSTR_MAX, &paCps, 0, &cCps));
    const RTUNICP s_aExpected[] = {'a', 0xe9, 0x10ffff, 'z', 0};
    EXPECT_EQ(0, memcmp(s_aExpected, paCps, sizeof(s_aExpected)));
    RTMemFree(paCps);
}

} // namespace
