/** @file
 * 64-bit division without the compiler's helpers, against the language's own
 * division on operands around every boundary the bitwise loop has.
 */
#include <gtest/gtest.h>
#include "internal/uint64div.h"

#include <vector>

namespace
{

std::vector<uint64_t> interestingValues()
{
    std::vector<uint64_t> a = {0, 1, 2, 3, 7, 10, 100, 360, 2147483647, 16807};
    for (int iBit = 1; iBit < 64; iBit++)
    {
        uint64_t const uPower = UINT64_C(1) << iBit;
        a.insert(a.end(), {uPower - 1, uPower, uPower + 1});
    }
    a.insert(a.end(), {UINT64_MAX - 1, UINT64_MAX, UINT64_C(0x8000000000000001), UINT64_C(0xfffffffe00000001),
                       UINT64_C(116444736000000000), UINT64_C(0x123456789abcdef0)});
    return a;
}

TEST(UInt64Div, MatchesTheLanguagesDivision)
{
    std::vector<uint64_t> const aValues = interestingValues();
    for (uint64_t uDividend : aValues)
        for (uint64_t uDivisor : aValues)
        {
            if (uDivisor == 0)
                continue;
            uint64_t uRemainder = ~uDividend;
            EXPECT_EQ(uDividend / uDivisor, rtUInt64DivRem(uDividend, uDivisor, &uRemainder))
                << uDividend << " / " << uDivisor;
            EXPECT_EQ(uDividend % uDivisor, uRemainder) << uDividend << " % " << uDivisor;
            EXPECT_EQ(uDividend % uDivisor, rtUInt64Rem(uDividend, uDivisor)) << uDividend << " % " << uDivisor;
        }
}

TEST(UInt64Div, RemainderIsOptional)
{
    EXPECT_EQ(UINT64_C(1000000), rtUInt64DivRem(UINT64_C(100000000), 100, nullptr));
}

} /* namespace */
