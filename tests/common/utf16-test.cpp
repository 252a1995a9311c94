/** @file
 * UTF-16: decoding in both byte orders, validation with UTF-8 sizing,
 * conversion to UTF-8 (buffer, overflow, allocation, out of memory), the
 * round trip through UTF-8, and the UTF-16 allocation family.
 */
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>
#include <rt/string.h>
#include <rt/utf16.h>
#include <rt/mem.h>
#include "support/alloc-failure.h"

namespace
{

/** One UTF-16 character (or malformed unit) followed by the rest of a string. */
struct Utf16Case
{
    std::vector<RTUTF16> vecUnits; /* without the terminator, which is appended */
    int rcExpected;
    RTUNICP uCpExpected; /* first character */
    size_t cwcAdvance;   /* units the first decode consumes */
    size_t cchUtf8;      /* UTF-8 bytes for the whole string when valid */
};

const Utf16Case g_aUtf16Cases[] = {
    {{'A'}, INF_SUCCESS, 'A', 1, 1},
    {{0xe9}, INF_SUCCESS, 0xe9, 1, 2},
    {{0x7ff, 0x800}, INF_SUCCESS, 0x7ff, 1, 5},
    {{0x20ac}, INF_SUCCESS, 0x20ac, 1, 3},
    {{0xd7ff, 0xe000}, INF_SUCCESS, 0xd7ff, 1, 6},
    {{0xfffd}, INF_SUCCESS, 0xfffd, 1, 3},
    {{0xd800, 0xdc00}, INF_SUCCESS, 0x10000, 2, 4},
    {{0xd83d, 0xde00, 'x'}, INF_SUCCESS, 0x1f600, 2, 5},
    {{0xdbff, 0xdfff}, INF_SUCCESS, 0x10ffff, 2, 4},
    {{0xdc00}, ERR_INVALID_UTF16_ENCODING, RTUNICP_INVALID, 1, 0},         /* lone low */
    {{0xdc00, 0xd800}, ERR_INVALID_UTF16_ENCODING, RTUNICP_INVALID, 1, 0}, /* pair in the wrong order */
    {{0xd800, 'a'}, ERR_INVALID_UTF16_ENCODING, RTUNICP_INVALID, 1, 0},    /* high without low */
    {{0xd800}, ERR_INVALID_UTF16_ENCODING, RTUNICP_INVALID, 1, 0},         /* high before the terminator */
    {{0xd800, 0xd800, 0xdc00}, ERR_INVALID_UTF16_ENCODING, RTUNICP_INVALID, 1, 0},
    {{0xfffe}, ERR_NONCHARACTER_CODE_POINT, RTUNICP_INVALID, 1, 0},
    {{0xffff}, ERR_NONCHARACTER_CODE_POINT, RTUNICP_INVALID, 1, 0},
};

std::vector<RTUTF16> Terminated(const std::vector<RTUTF16> &vec)
{
    std::vector<RTUTF16> vecZ(vec);
    vecZ.push_back(0);
    return vecZ;
}

TEST(Utf16Decode, DecodesBothByteOrders)
{
    for (const Utf16Case &c : g_aUtf16Cases)
    {
        SCOPED_TRACE(testing::Message() << "case #" << (&c - g_aUtf16Cases));
        std::vector<RTUTF16> vecZ = Terminated(c.vecUnits);
        const RTUTF16 *pwsz = vecZ.data();
        RTUNICP uCp = 12345;
        EXPECT_EQ(c.rcExpected, RTUtf16CpDecode(&pwsz, &uCp));
        EXPECT_EQ(c.uCpExpected, uCp);
        EXPECT_EQ(c.cwcAdvance, (size_t)(pwsz - vecZ.data()));

        /* Big-endian units are stored as bytes high first. */
        std::vector<RTUTF16> vecBig(vecZ.size());
        for (size_t i = 0; i < vecZ.size(); i++)
        {
            uint8_t ab[2] = {(uint8_t)(vecZ[i] >> 8), (uint8_t)vecZ[i]};
            memcpy(&vecBig[i], ab, 2);
        }
        pwsz = vecBig.data();
        uCp = 12345;
        EXPECT_EQ(c.rcExpected, RTUtf16BigCpDecode(&pwsz, &uCp));
        EXPECT_EQ(c.uCpExpected, uCp);
        EXPECT_EQ(c.cwcAdvance, (size_t)(pwsz - vecBig.data()));
    }
}

TEST(Utf16Validate, ValidatesAndSizesUtf8)
{
    for (const Utf16Case &c : g_aUtf16Cases)
    {
        SCOPED_TRACE(testing::Message() << "case #" << (&c - g_aUtf16Cases));
        std::vector<RTUTF16> vecZ = Terminated(c.vecUnits);
        size_t cch = 12345;
        EXPECT_EQ(c.rcExpected, RTUtf16Validate(vecZ.data(), RTSTR_MAX, &cch));
        EXPECT_EQ(RT_SUCCESS(c.rcExpected) ? c.cchUtf8 : SIZE_MAX, cch);

        char *psz = (char *)(uintptr_t)0x5000;
        size_t cchOut = 12345;
        EXPECT_EQ(c.rcExpected, RTUtf16ToUtf8Ex(vecZ.data(), RTSTR_MAX, &psz, 0, &cchOut, RTMEM_TAG));
        if (RT_SUCCESS(c.rcExpected))
        {
            ASSERT_NE(nullptr, psz);
            EXPECT_EQ(c.cchUtf8, strlen(psz));
            EXPECT_EQ(c.cchUtf8, cchOut);
        }
        else
            EXPECT_EQ(nullptr, psz);
        RTStrFree(psz);
    }
}

TEST(Utf16Validate, LengthLimit)
{
    const RTUTF16 awc[] = {'a', 0xd83d, 0xde00, 0, 0xdc00};
    size_t cch;
    EXPECT_EQ(ERR_INVALID_UTF16_ENCODING, RTUtf16Validate(awc, 2, &cch)); /* the pair is cut */
    EXPECT_EQ(INF_SUCCESS, RTUtf16Validate(awc, 3, &cch));
    EXPECT_EQ(5u, cch);
    EXPECT_EQ(INF_SUCCESS, RTUtf16Validate(awc, RT_ELEMENTS(awc), &cch)); /* stops at the NUL */
    EXPECT_EQ(5u, cch);
    EXPECT_EQ(INF_SUCCESS, RTUtf16Validate(&awc[4], 0, &cch));
    EXPECT_EQ(0u, cch);
}

TEST(Utf16Len, CountsUnitsAndAcceptsNull)
{
    const RTUTF16 awc[] = {'a', 0xd83d, 0xde00, 0, 'b'};
    EXPECT_EQ(3u, RTUtf16Len(awc));
    EXPECT_EQ(0u, RTUtf16Len(&awc[3]));
    EXPECT_EQ(0u, RTUtf16Len(NULL));
}

TEST(Utf16ToUtf8, PairBecomesFourBytes)
{
    const RTUTF16 awc[] = {0xd83d, 0xde00, 0};
    char *psz = NULL;
    ASSERT_EQ(INF_SUCCESS, RTUtf16ToUtf8Ex(awc, RTSTR_MAX, &psz, 0, NULL, RTMEM_TAG));
    EXPECT_STREQ("\xf0\x9f\x98\x80", psz);
    RTStrFree(psz);
}

TEST(Utf16ToUtf8, CallerBufferStopsBeforeAPartialCharacter)
{
    const RTUTF16 awc[] = {'a', 0x20ac, 0xd83d, 0xde00, 0}; /* 1 + 3 + 4 bytes */
    struct
    {
        size_t cwc;
        size_t cbBuf;
        int rcExpected;
        size_t cchReported;
        const char *pszExpected;
    } const s_aCases[] = {
        {RTSTR_MAX, 9, INF_SUCCESS, 8, "a\xe2\x82\xac\xf0\x9f\x98\x80"},
        {RTSTR_MAX, 8, ERR_BUFFER_OVERFLOW, 8, "a\xe2\x82\xac"}, /* the 4-byte character does not fit */
        {RTSTR_MAX, 4, ERR_BUFFER_OVERFLOW, 8, "a"},
        {RTSTR_MAX, 1, ERR_BUFFER_OVERFLOW, 8, ""},
        {2, 5, INF_SUCCESS, 4, "a\xe2\x82\xac"},
    };
    for (const auto &c : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "size " << c.cbBuf);
        std::vector<char> vecBuf(c.cbBuf + 2, 'Z');
        char *psz = vecBuf.data();
        size_t cch = 0;
        EXPECT_EQ(c.rcExpected, RTUtf16ToUtf8Ex(awc, c.cwc, &psz, c.cbBuf, &cch, RTMEM_TAG));
        EXPECT_EQ(vecBuf.data(), psz);
        EXPECT_EQ(c.cchReported, cch);
        EXPECT_STREQ(c.pszExpected, vecBuf.data());
        EXPECT_EQ('Z', vecBuf[c.cbBuf]);
    }
}

TEST(Utf16ToUtf8, InvalidInputWritesNothing)
{
    const RTUTF16 awc[] = {'a', 'b', 0xdc00, 0};
    char ach[8];
    memset(ach, 'Z', sizeof(ach));
    char *psz = ach;
    EXPECT_EQ(ERR_INVALID_UTF16_ENCODING, RTUtf16ToUtf8Ex(awc, RTSTR_MAX, &psz, sizeof(ach), NULL, RTMEM_TAG));
    for (char ch : ach)
        EXPECT_EQ('Z', ch);
}

TEST(Utf16ToUtf8, OutOfMemoryGivesStatusAndNull)
{
    const RTUTF16 awc[] = {'a', 0};
    tst::AllocationFailures Failures(0);
    char *psz = (char *)(uintptr_t)0x5000;
    EXPECT_EQ(ERR_NO_STR_MEMORY, RTUtf16ToUtf8Ex(awc, RTSTR_MAX, &psz, 0, NULL, RTMEM_TAG));
    EXPECT_EQ(nullptr, psz);
}

TEST(Utf16RoundTrip, Utf8ThroughUtf16ComesBackUnchanged)
{
    const char *const s_apszTexts[] = {
        "",
        "C:\\Program Files\\Tarnvale\\setup.msi",
        "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbd",
        "\xf0\x90\x80\x80\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf",
        "na\xc3\xafve \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x93\xa6.cab",
    };
    for (const char *pszText : s_apszTexts)
    {
        RTUTF16 *pwsz = NULL;
        ASSERT_EQ(INF_SUCCESS, RTStrToUtf16(pszText, &pwsz, RTMEM_TAG)) << pszText;
        char *psz = NULL;
        size_t cch = 0;
        ASSERT_EQ(INF_SUCCESS, RTUtf16ToUtf8Ex(pwsz, RTSTR_MAX, &psz, 0, &cch, RTMEM_TAG)) << pszText;
        EXPECT_STREQ(pszText, psz);
        EXPECT_EQ(strlen(pszText), cch);
        RTStrFree(psz);
        RTUtf16Free(pwsz);
    }
}

/*
 * Allocation family.
 */

TEST(Utf16Alloc, RoundsUpToWholeUnits)
{
    struct
    {
        size_t cb;
        size_t cwcUsable;
    } const s_aCases[] = {{0, 1}, {1, 1}, {2, 1}, {3, 2}, {10, 5}};
    for (const auto &c : s_aCases)
    {
        RTUTF16 *pwsz = RTUtf16Alloc(c.cb, RTMEM_TAG);
        ASSERT_NE(nullptr, pwsz);
        EXPECT_EQ(0, pwsz[0]);
        pwsz[c.cwcUsable - 1] = 0xabcd; /* the sanitizers catch a block that is too small */
        RTUtf16Free(pwsz);
    }
    EXPECT_EQ(nullptr, RTUtf16Alloc(SIZE_MAX, RTMEM_TAG)); /* rounding must not wrap to a tiny block */
}

TEST(Utf16Alloc, DupCopiesWithTerminator)
{
    const RTUTF16 awc[] = {'a', 0xd83d, 0xde00, 0};
    RTUTF16 *pwsz = RTUtf16Dup(awc, RTMEM_TAG);
    ASSERT_NE(nullptr, pwsz);
    EXPECT_EQ(0, memcmp(awc, pwsz, sizeof(awc)));
    RTUtf16Free(pwsz);

    tst::AllocationFailures Failures(0);
    EXPECT_EQ(nullptr, RTUtf16Dup(awc, RTMEM_TAG));
}

TEST(Utf16Alloc, ReallocRules)
{
    RTUTF16 *pwsz = NULL;
    ASSERT_EQ(INF_SUCCESS, RTUtf16Realloc(&pwsz, 5, RTMEM_TAG)); /* null: fresh, 6 bytes */
    ASSERT_NE(nullptr, pwsz);
    EXPECT_EQ(0, pwsz[0]);
    EXPECT_EQ(0, pwsz[2]);
    pwsz[0] = 'a';
    pwsz[1] = 'b';
    pwsz[2] = 'c';
    ASSERT_EQ(INF_SUCCESS, RTUtf16Realloc(&pwsz, 20, RTMEM_TAG));
    EXPECT_EQ('a', pwsz[0]);
    EXPECT_EQ('c', pwsz[2]);
    EXPECT_EQ(0, pwsz[9]);
    ASSERT_EQ(INF_SUCCESS, RTUtf16Realloc(&pwsz, 4, RTMEM_TAG)); /* shrinking terminates at the last unit */
    EXPECT_EQ('a', pwsz[0]);
    EXPECT_EQ(0, pwsz[1]);

    {
        tst::AllocationFailures Failures(0);
        RTUTF16 *pwszBefore = pwsz;
        EXPECT_EQ(ERR_NO_UTF16_MEMORY, RTUtf16Realloc(&pwsz, 100, RTMEM_TAG));
        EXPECT_EQ(pwszBefore, pwsz); /* still owned by the caller, unchanged */
        EXPECT_EQ('a', pwsz[0]);
    }
    EXPECT_EQ(ERR_NO_UTF16_MEMORY, RTUtf16Realloc(&pwsz, SIZE_MAX, RTMEM_TAG));
    ASSERT_EQ(INF_SUCCESS, RTUtf16Realloc(&pwsz, 0, RTMEM_TAG));
    EXPECT_EQ(nullptr, pwsz);
    RTUtf16Free(NULL);
}

} // namespace
