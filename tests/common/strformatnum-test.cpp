/** @file
 * The number routine: signs, prefixes, grouping, padding and the buffer-checked front ends.
 */
#include <gtest/gtest.h>
#include <rt/string.h>

namespace
{

struct NumberCase
{
    uint64_t uValue;
    unsigned uiBase;
    int cchWidth;
    int cchPrecision;
    unsigned fFlags;
    const char *pszExpected;
};

const NumberCase g_aNumberCases[] = {
    {0, 10, 0, 0, 0, "0"},
    {53900000, 10, 0, 0, RTFMT_F_GROUP, "53 900 000"},
    {1000, 10, 0, 0, RTFMT_F_GROUP, "1 000"},
    {999, 10, 0, 0, RTFMT_F_GROUP, "999"},
    {1234567, 10, 0, 0, RTFMT_F_GROUP, "1 234 567"},
    {1234567, 16, 0, 0, RTFMT_F_GROUP, "12d687"},                          /* grouping is decimal only */
    {1234567, 10, 12, 0, RTFMT_F_GROUP | RTFMT_F_ZEROPAD, "000001234567"}, /* and not with zero padding */
    {0, 16, 0, 0, RTFMT_F_PREFIX, "0x0"},
    {0, 8, 0, 0, RTFMT_F_PREFIX, "00"},
    {255, 16, 0, 0, RTFMT_F_PREFIX | RTFMT_F_CAPITAL, "0XFF"},
    {(uint64_t)-42, 10, 5, 0, RTFMT_F_SIGNED, "  -42"},
    {(uint64_t)-42, 10, 5, 0, RTFMT_F_SIGNED | RTFMT_F_ZEROPAD, "-0042"},
    {(uint64_t)-42, 10, 5, 0, RTFMT_F_SIGNED | RTFMT_F_ZEROPAD | RTFMT_F_LEFT, "-42  "},
    {5, 10, 0, 0, RTFMT_F_SIGNED | RTFMT_F_PLUS, "+5"},
    {5, 10, 0, 0, RTFMT_F_SIGNED | RTFMT_F_BLANK, " 5"},
    {5, 10, 0, 0, RTFMT_F_PLUS, "5"}, /* unsigned values take no sign */
    {0x8000000000000000ull, 10, 0, 0, RTFMT_F_SIGNED, "-9223372036854775808"},
    {0xffffffffull, 10, 0, 0, RTFMT_F_SIGNED | RTFMT_F_32BIT, "-1"},
    {0x1ffull, 16, 0, 0, RTFMT_F_8BIT, "ff"},
    {7, 10, 0, 3, 0, "007"},
    {0x1000, 16, 8, 0, RTFMT_F_PREFIX | RTFMT_F_ZEROPAD, "0x001000"},
    {~0ull, 16, 0, 0, 0, "ffffffffffffffff"},
};

TEST(StrFmtNumber, FormatsTable)
{
    for (const NumberCase &c : g_aNumberCases)
    {
        char sz[RTSTR_NUMBER_BUF_SIZE];
        int cch = RTStrFmtNumber(sz, c.uValue, c.uiBase, c.cchWidth, c.cchPrecision, c.fFlags);
        EXPECT_STREQ(c.pszExpected, sz) << "value " << c.uValue << " flags " << c.fFlags;
        EXPECT_EQ((int)strlen(c.pszExpected), cch);
    }
}

TEST(StrFmtNumber, StaysWithin63Characters)
{
    char sz[RTSTR_NUMBER_BUF_SIZE + 8];
    memset(sz, 'Z', sizeof(sz));
    EXPECT_EQ(63, RTStrFmtNumber(sz, 1, 10, 1000, 0, 0));
    EXPECT_EQ(63, RTStrFmtNumber(sz, 1, 10, 0, 1000, RTFMT_F_GROUP | RTFMT_F_SIGNED | RTFMT_F_PLUS));
    EXPECT_EQ(63, RTStrFmtNumber(sz, ~0ull, 2, 0, 0, RTFMT_F_PREFIX));
    EXPECT_EQ('Z', sz[RTSTR_NUMBER_BUF_SIZE]);
}

TEST(StrFmtNumber, BufferFrontEndsReportOverflow)
{
    char sz[8];
    EXPECT_EQ(4, RTStrFmtU32(sz, sizeof(sz), 1000, 10, 0, 0, 0));
    EXPECT_STREQ("1000", sz);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTStrFmtU32(sz, 4, 1000, 10, 0, 0, 0));
    EXPECT_STREQ("100", sz);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTStrFmtU64(sz, sizeof(sz), 1ull << 40, 16, 0, 0, RTFMT_F_PREFIX));
    EXPECT_STREQ("0x10000", sz);
    sz[0] = 'Q';
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTStrFmtU64(sz, 0, 1, 10, 0, 0, 0));
    EXPECT_EQ('Q', sz[0]); /* size 0: nothing written */
}

} // namespace
