/** @file
 * Semaphore waits, the portable part: every wait-flag combination against the
 * rules, and the conversion of timeouts into the nanoseconds still to wait.
 */
#include <gtest/gtest.h>
#include <rt/semaphore.h>
#include "internal/semwait.h"

namespace
{

/** The rules written out independently: indefinite + one resume mode, or one of each pair. */
bool referenceValid(uint32_t f)
{
    if (f > 0x7F)
        return false;
    auto one = [f](uint32_t a, uint32_t b) { return ((f & a) != 0) != ((f & b) != 0); };
    if (!one(RTSEMWAIT_F_RESUME, RTSEMWAIT_F_NORESUME))
        return false;
    if (f & RTSEMWAIT_F_INDEFINITE)
        return true;
    return one(RTSEMWAIT_F_RELATIVE, RTSEMWAIT_F_ABSOLUTE) && one(RTSEMWAIT_F_NANOSECS, RTSEMWAIT_F_MILLISECS);
}

TEST(SemWaitFlags, EveryCombinationFollowsTheRules)
{
    for (uint32_t f = 0; f < 0x200; f++)
        EXPECT_EQ(referenceValid(f), RTSemWaitAreFlagsValid(f)) << "flags 0x" << std::hex << f;
    EXPECT_FALSE(RTSemWaitAreFlagsValid(UINT32_C(0x80000000) | RTSEMWAIT_F_INDEFINITE | RTSEMWAIT_F_RESUME));
}

TEST(SemWaitFlags, KnownCombinations)
{
    struct
    {
        uint32_t fFlags;
        bool fValid;
    } const aCases[] = {
        {RTSEMWAIT_F_INDEFINITE | RTSEMWAIT_F_RESUME, true},
        {RTSEMWAIT_F_INDEFINITE | RTSEMWAIT_F_NORESUME, true},
        {RTSEMWAIT_F_INDEFINITE, false},
        {RTSEMWAIT_F_INDEFINITE | RTSEMWAIT_F_RESUME | RTSEMWAIT_F_NORESUME, false},
        {RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_RESUME, true},
        {RTSEMWAIT_F_ABSOLUTE | RTSEMWAIT_F_NANOSECS | RTSEMWAIT_F_NORESUME, true},
        {RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_ABSOLUTE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_RESUME, false},
        {RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_NANOSECS | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_RESUME, false},
        {RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS, false},
        {RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_RESUME, false},
        {RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_RESUME | 0x80, false},
    };
    for (auto const &c : aCases)
        EXPECT_EQ(c.fValid, RTSemWaitAreFlagsValid(c.fFlags)) << "flags 0x" << std::hex << c.fFlags;
}

TEST(SemWaitTimeout, Conversion)
{
    uint32_t const fRelMs = RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_RESUME;
    uint32_t const fRelNs = RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_NANOSECS | RTSEMWAIT_F_RESUME;
    uint32_t const fAbsMs = RTSEMWAIT_F_ABSOLUTE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_NORESUME;
    uint32_t const fAbsNs = RTSEMWAIT_F_ABSOLUTE | RTSEMWAIT_F_NANOSECS | RTSEMWAIT_F_NORESUME;
    uint64_t const nsNow = UINT64_C(1700000000000000000);
    struct
    {
        uint32_t fFlags;
        uint64_t uTimeout;
        uint64_t nsExpected;
    } const aCases[] = {
        {fRelMs, 0, 0},
        {fRelMs, 25, 25000000},
        {fRelMs, UINT64_C(18446744073708), UINT64_C(18446744073708000000)},
        {fRelMs, UINT64_C(18446744073709), RTSEMWAIT_NS_INDEFINITE},
        {fRelMs, UINT64_MAX, RTSEMWAIT_NS_INDEFINITE},
        {fRelNs, 1234, 1234},
        {fRelNs, UINT64_MAX, RTSEMWAIT_NS_INDEFINITE},
        {RTSEMWAIT_F_INDEFINITE | RTSEMWAIT_F_RESUME, 5, RTSEMWAIT_NS_INDEFINITE},
        {fAbsNs, nsNow + 500, 500},
        {fAbsNs, nsNow, 0},
        {fAbsNs, nsNow - 1, 0},
        {fAbsMs, nsNow / 1000000 + 30, 30000000},
        {fAbsMs, nsNow / 1000000 - 30, 0},
    };
    for (auto const &c : aCases)
        EXPECT_EQ(c.nsExpected, rtSemWaitRelativeNs(c.fFlags, c.uTimeout, nsNow))
            << "flags 0x" << std::hex << c.fFlags << " timeout " << std::dec << c.uTimeout;
}

TEST(SemWaitTimeout, StartTimeOnlyForAbsoluteOrResume)
{
    EXPECT_TRUE(rtSemWaitNeedsStartTime(RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_RESUME));
    EXPECT_TRUE(rtSemWaitNeedsStartTime(RTSEMWAIT_F_ABSOLUTE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_NORESUME));
    EXPECT_FALSE(rtSemWaitNeedsStartTime(RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_MILLISECS | RTSEMWAIT_F_NORESUME));
}

TEST(SemWaitTimeout, RemainingAfterInterruption)
{
    EXPECT_EQ(UINT64_C(40), rtSemWaitRemainingNs(100, 60));
    EXPECT_EQ(UINT64_C(0), rtSemWaitRemainingNs(100, 100));
    EXPECT_EQ(UINT64_C(0), rtSemWaitRemainingNs(100, 250));
    EXPECT_EQ(RTSEMWAIT_NS_INDEFINITE, rtSemWaitRemainingNs(RTSEMWAIT_NS_INDEFINITE, 250));
}

} // namespace
