/** @file
 * The Park-Miller generator: sequences for fixed seeds under each range rule,
 * the bit reservoir, bytes, state text, invalid handles and the process-wide
 * generator.
 */
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>
#include <rt/rand.h>
#include "support/alloc-failure.h"
#include "internal/rand.h"

namespace
{

/**
 * A reference model written from the generator's rules with plain 64-bit
 * arithmetic, independent of the runtime's code.
 */
struct ReferencePm
{
    uint64_t x;
    uint64_t reservoir;
    uint64_t bitsLeft;

    explicit ReferencePm(uint64_t seed) : x(seed & 0xffffffff), reservoir(0), bitsLeft(0) {}

    uint64_t next(uint64_t v) { return (v == 0 ? 20080806 : v) * 16807 % 2147483647; }

    void refill(uint64_t minBits)
    {
        if (bitsLeft < minBits)
        {
            x = next(x);
            reservoir = x;
            bitsLeft = 30;
        }
    }

    uint32_t draw(uint32_t min, uint32_t max)
    {
        uint64_t r = (uint64_t)(uint32_t)(max - min);
        uint64_t cur = next(x);
        x = cur;
        uint64_t value;
        if (r == 0xffffffff)
        {
            refill(2);
            value = ((reservoir & 3) << 30) + (cur / 2);
            reservoir /= 4;
            bitsLeft -= 2;
        }
        else if (r == 2147483646)
            value = cur;
        else if (r < 134217727)
            value = (cur / 2) % (r + 1);
        else
        {
            refill(6);
            value = (((reservoir % 64) << 30) + cur / 2) % (r + 1);
            reservoir /= 64;
            bitsLeft -= 6;
        }
        return (uint32_t)(min + value);
    }
};

/** A generator made for one test and destroyed with it. */
class RandAdv : public ::testing::Test
{
  protected:
    RTRAND m_hRand = NIL_RTRAND;

    void SetUp() override { ASSERT_EQ(INF_SUCCESS, RTRandAdvCreateParkMiller(&m_hRand)); }
    void TearDown() override { EXPECT_EQ(INF_SUCCESS, RTRandAdvDestroy(m_hRand)); }

    std::string saveState()
    {
        char sz[64];
        size_t cb = sizeof(sz);
        EXPECT_EQ(INF_SUCCESS, RTRandAdvSaveState(m_hRand, sz, &cb));
        return sz;
    }
};

/* Range rules: full 32 bits, the state space, small ranges with their upper
   limit, large ranges from the limit up, wrap-around and a single value. */
struct RangeCase
{
    uint64_t u64Seed;
    uint32_t u32First;
    uint32_t u32Last;
};

const RangeCase g_aRangeCases[] = {
    {1, 0, UINT32_MAX},
    {0x123456789abcdefull, 0, UINT32_MAX},
    {1, 0, 2147483646},
    {42, 1000, 1000 + 2147483646u},
    {7, 0, 35},
    {7, 100, 100 + 134217726u}, /* the largest range taking the small rule */
    {7, 100, 100 + 134217727u}, /* the smallest range taking the reservoir rule */
    {0, 0, 0xfffffff0u},
    {99, 0x80000000u, 0x7ffffffeu}, /* first above last: the range wraps */
    {5, 77, 77},
    {0, 3, 9}, /* a zero state is replaced, not kept */
};

TEST_F(RandAdv, SequencesFollowTheRangeRules)
{
    for (const RangeCase &c : g_aRangeCases)
    {
        ASSERT_EQ(INF_SUCCESS, RTRandAdvSeed(m_hRand, c.u64Seed));
        ReferencePm ref(c.u64Seed);
        for (int i = 0; i < 200; i++)
            ASSERT_EQ(ref.draw(c.u32First, c.u32Last), RTRandAdvU32Ex(m_hRand, c.u32First, c.u32Last))
                << "seed " << c.u64Seed << " range " << c.u32First << ".." << c.u32Last << " draw " << i;
    }
}

TEST_F(RandAdv, ReservoirIsSharedBetweenRules)
{
    /* Full-range draws take 2 reservoir bits, large ranges 6, small ranges none:
       interleaving them must refill at exactly the right draws. */
    const uint32_t aLast[] = {UINT32_MAX, 500000000, 35, UINT32_MAX, 200000000, 2147483646};
    ASSERT_EQ(INF_SUCCESS, RTRandAdvSeed(m_hRand, 0xdeadbeef));
    ReferencePm ref(0xdeadbeef);
    for (int i = 0; i < 300; i++)
    {
        uint32_t u32Last = aLast[i % RT_ELEMENTS(aLast)];
        ASSERT_EQ(ref.draw(0, u32Last), RTRandAdvU32Ex(m_hRand, 0, u32Last)) << "draw " << i;
    }
}

TEST_F(RandAdv, PinnedValues)
{
    /* A fresh generator starts from 0x20080806. */
    EXPECT_EQ(1866912343u, RTRandAdvU32Ex(m_hRand, 0, 2147483646));

    /* The minimal-standard sequence from 1. */
    RTRandAdvSeed(m_hRand, 1);
    for (uint32_t uExpected : {16807u, 282475249u, 1622650073u, 984943658u, 1144108930u})
        EXPECT_EQ(uExpected, RTRandAdvU32Ex(m_hRand, 0, 2147483646));

    /* State 0 steps from 20080806; only the seed's low 32 bits count. */
    RTRandAdvSeed(m_hRand, 0x100000000ull);
    EXPECT_EQ(343173863u, RTRandAdvU32Ex(m_hRand, 0, 2147483646));

    /* Small range: (x >> 1) mod 36. */
    RTRandAdvSeed(m_hRand, 1);
    for (uint32_t uExpected : {15u, 12u, 20u, 1u, 29u})
        EXPECT_EQ(uExpected, RTRandAdvU32Ex(m_hRand, 0, 35));
}

TEST_F(RandAdv, ReservoirShowsInTheSavedState)
{
    /* From 1: x = 16807, the refill steps to 282475249 (0x10D63AF1), whose low
       2 bits (01) become the top of the result. */
    RTRandAdvSeed(m_hRand, 1);
    EXPECT_EQ(0x400020d3u, RTRandAdvU32Ex(m_hRand, 0, UINT32_MAX));
    EXPECT_EQ("PM:10d63af1,04358ebc,1c;", saveState());

    /* The reservoir rule takes 6 bits: 0x31 << 30 | 8403, modulo 2^27. */
    RTRandAdvSeed(m_hRand, 1);
    EXPECT_EQ(8403u, RTRandAdvU32Ex(m_hRand, 0, 134217727));
    EXPECT_EQ("PM:10d63af1,004358eb,18;", saveState());

    /* A restored odd count short of the bits a draw needs refills instead of
       taking the bits that are there. */
    ASSERT_EQ(INF_SUCCESS, RTRandAdvRestoreState(m_hRand, "PM:00000001,FFFFFFFF,01;"));
    EXPECT_EQ(0x400020d3u, RTRandAdvU32Ex(m_hRand, 0, UINT32_MAX));
    EXPECT_EQ("PM:10d63af1,04358ebc,1c;", saveState());
    ASSERT_EQ(INF_SUCCESS, RTRandAdvRestoreState(m_hRand, "PM:00000001,FFFFFFFF,05;"));
    EXPECT_EQ(8403u, RTRandAdvU32Ex(m_hRand, 0, 134217727));
    EXPECT_EQ("PM:10d63af1,004358eb,18;", saveState());

    /* The small rule leaves the reservoir alone; seeding empties it. */
    RTRandAdvSeed(m_hRand, 1);
    RTRandAdvU32Ex(m_hRand, 0, 134217726);
    EXPECT_EQ("PM:000041a7,00000000,00;", saveState());
}

TEST_F(RandAdv, SingleValueRangeStillAdvances)
{
    RTRandAdvSeed(m_hRand, 1);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(12345u, RTRandAdvU32Ex(m_hRand, 12345, 12345));
    EXPECT_EQ(984943658u, RTRandAdvU32Ex(m_hRand, 0, 2147483646)); /* the fourth step */
}

TEST_F(RandAdv, U64Ranges)
{
    RTRAND hTwin;
    ASSERT_EQ(INF_SUCCESS, RTRandAdvCreateParkMiller(&hTwin));
    RTRandAdvSeed(m_hRand, 31337);
    RTRandAdvSeed(hTwin, 31337);
    /* A range that fits 32 bits draws like the 32-bit call. */
    EXPECT_EQ(0x500000000ull + RTRandAdvU32Ex(hTwin, 0, 1000000),
              RTRandAdvU64Ex(m_hRand, 0x500000000ull, 0x5000F4240ull));
    /* The full range is two full 32-bit draws, high word first. */
    uint64_t uHigh = RTRandAdvU32Ex(hTwin, 0, UINT32_MAX);
    uint64_t uLow = RTRandAdvU32Ex(hTwin, 0, UINT32_MAX);
    EXPECT_EQ(uHigh << 32 | uLow, RTRandAdvU64Ex(m_hRand, 0, UINT64_MAX));
    /* Wide ranges stay inside. */
    for (int i = 0; i < 1000; i++)
    {
        uint64_t u = RTRandAdvU64Ex(m_hRand, 1ull << 40, (1ull << 40) + (3ull << 33));
        ASSERT_GE(u, 1ull << 40);
        ASSERT_LE(u, (1ull << 40) + (3ull << 33));
    }
    EXPECT_EQ(INF_SUCCESS, RTRandAdvDestroy(hTwin));
}

TEST_F(RandAdv, BytesAreLittleEndianFullRangeDraws)
{
    /* Seed 1 gives the draws 0x400020D3, 0x305BD66C, ... */
    uint8_t ab[8];
    memset(ab, 0xee, sizeof(ab));
    RTRandAdvSeed(m_hRand, 1);
    RTRandAdvBytes(m_hRand, ab, 6);
    const uint8_t abExpected[8] = {0xd3, 0x20, 0x00, 0x40, 0x6c, 0xd6, 0xee, 0xee};
    EXPECT_EQ(0, memcmp(abExpected, ab, sizeof(ab)));

    /* Lengths around a group boundary match the reference draw for draw. */
    for (size_t cb : {1, 3, 4, 5, 8, 13})
    {
        std::vector<uint8_t> vb(cb + 1, 0x5a);
        RTRandAdvSeed(m_hRand, 4242);
        RTRandAdvBytes(m_hRand, vb.data(), cb);
        ReferencePm ref(4242);
        for (size_t off = 0; off < cb; off += 4)
        {
            uint32_t u = ref.draw(0, UINT32_MAX);
            for (size_t i = off; i < cb && i < off + 4; i++, u >>= 8)
                ASSERT_EQ((uint8_t)u, vb[i]) << "length " << cb << " byte " << i;
        }
        EXPECT_EQ(0x5a, vb[cb]) << "wrote past " << cb << " bytes";
    }
}

TEST_F(RandAdv, SaveAndRestoreRoundTrip)
{
    RTRandAdvSeed(m_hRand, 0xfeedface);
    for (int i = 0; i < 7; i++)
        RTRandAdvU32Ex(m_hRand, 0, UINT32_MAX); /* leave bits in the reservoir */
    std::string strState = saveState();
    ASSERT_EQ(RTRAND_PM_STATE_SIZE - 1, strState.size());

    std::vector<uint32_t> vFirst;
    for (int i = 0; i < 20; i++)
        vFirst.push_back(RTRandAdvU32Ex(m_hRand, 0, i % 2 ? UINT32_MAX : 300000000));
    ASSERT_EQ(INF_SUCCESS, RTRandAdvRestoreState(m_hRand, strState.c_str()));
    for (int i = 0; i < 20; i++)
        EXPECT_EQ(vFirst[i], RTRandAdvU32Ex(m_hRand, 0, i % 2 ? UINT32_MAX : 300000000)) << i;

    /* Digits of either case are accepted; the text is saved in lower case. */
    ASSERT_EQ(INF_SUCCESS, RTRandAdvRestoreState(m_hRand, "PM:ABCDEF01,0000000f,1E;"));
    EXPECT_EQ("PM:abcdef01,0000000f,1e;", saveState());
}

TEST_F(RandAdv, SaveNeedsRoomFor25Bytes)
{
    char sz[RTRAND_PM_STATE_SIZE];
    memset(sz, 'x', sizeof(sz));
    size_t cb = 24;
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTRandAdvSaveState(m_hRand, sz, &cb));
    EXPECT_EQ(25u, cb);
    EXPECT_EQ('x', sz[0]);

    cb = 0; /* asking for the size with no buffer */
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTRandAdvSaveState(m_hRand, nullptr, &cb));
    EXPECT_EQ(25u, cb);

    cb = sizeof(sz);
    EXPECT_EQ(INF_SUCCESS, RTRandAdvSaveState(m_hRand, sz, &cb));
    EXPECT_STREQ("PM:20080806,00000000,00;", sz);
    EXPECT_EQ(ERR_INVALID_POINTER, RTRandAdvSaveState(m_hRand, sz, nullptr));
    EXPECT_EQ(ERR_INVALID_POINTER, RTRandAdvSaveState(m_hRand, (char *)16, &cb));
}

TEST_F(RandAdv, RestoreRejectsMalformedText)
{
    const char *const apszBad[] = {
        "",
        "PM:",
        "pm:12345678,12345678,12;",
        "PM 12345678,12345678,12;",
        "PM:1234567,12345678,12;",
        "PM:123456789,12345678,12;",
        "PM:12345678;12345678,12;",
        "PM:12345678,1234567g,12;",
        "PM:12345678,12345678,1;",
        "PM:12345678,12345678,123;",
        "PM:12345678,12345678,12",
        "PM:12345678,12345678,12;x",
        "PM:12345678,12345678,12;\n",
        " PM:12345678,12345678,12;",
        "PM:+2345678,12345678,12;",
        "PM:12345678,12345678,-1;",
    };
    RTRandAdvSeed(m_hRand, 555);
    RTRandAdvU32Ex(m_hRand, 0, UINT32_MAX);
    std::string strBefore = saveState();
    for (const char *psz : apszBad)
    {
        EXPECT_EQ(ERR_PARSE_ERROR, RTRandAdvRestoreState(m_hRand, psz)) << '"' << psz << '"';
        EXPECT_EQ(strBefore, saveState()) << '"' << psz << '"';
    }
    EXPECT_EQ(ERR_INVALID_POINTER, RTRandAdvRestoreState(m_hRand, nullptr));
}

TEST(RandAdvHandle, InvalidGeneratorsAreRefused)
{
    /* A record whose magic says it was destroyed, a null and a small handle. */
    RTRANDPM Dead;
    rtRandParkMillerInitRecord(&Dead);
    Dead.u32Magic = RTRAND_MAGIC_DEAD;
    for (RTRAND hBad : {&Dead, (RTRAND) nullptr, (RTRAND)(uintptr_t)64})
    {
        EXPECT_EQ(ERR_INVALID_HANDLE, RTRandAdvSeed(hBad, 1));
        EXPECT_EQ(UINT32_MAX, RTRandAdvU32Ex(hBad, 0, 10));
        EXPECT_EQ(UINT64_MAX, RTRandAdvU64Ex(hBad, 0, 10));
        uint8_t ab[4] = {1, 2, 3, 4};
        RTRandAdvBytes(hBad, ab, sizeof(ab));
        EXPECT_EQ(1, ab[0]);
        char sz[32];
        size_t cb = sizeof(sz);
        EXPECT_EQ(ERR_INVALID_HANDLE, RTRandAdvSaveState(hBad, sz, &cb));
        EXPECT_EQ(ERR_INVALID_HANDLE, RTRandAdvRestoreState(hBad, "PM:00000001,00000000,00;"));
        if (hBad)
        {
            EXPECT_EQ(ERR_INVALID_HANDLE, RTRandAdvDestroy(hBad));
        }
    }
    EXPECT_EQ(RTRANDPM_INITIAL_STATE, Dead.u32X); /* nothing touched the dead record */
    EXPECT_EQ(INF_SUCCESS, RTRandAdvDestroy(NIL_RTRAND));
}

TEST(RandAdvHandle, CreateFailures)
{
    EXPECT_EQ(ERR_INVALID_POINTER, RTRandAdvCreateParkMiller(nullptr));
    RTRAND hRand = NIL_RTRAND;
    tst::failAllocationsAfter(0);
    EXPECT_EQ(ERR_NO_MEMORY, RTRandAdvCreateParkMiller(&hRand));
    tst::endAllocationFailures();
    EXPECT_EQ(NIL_RTRAND, hRand);
}

/** Seeds the process-wide generator from a fixed counter value (each test starts without a generator). */
class RandProcess : public ::testing::Test
{
  protected:
    static uint64_t fixedCounter() { return 0x123456789abull; }

    void SetUp() override { g_rtSeamsRand.pfnrtRandSeedCounter = fixedCounter; }

    /** Checks the next draws of the process-wide generator against a reference seeded like it. */
    void expectSeededFromCounterBits8To39()
    {
        ReferencePm ref(0x23456789); /* bits 8 to 39 of the counter */
        for (int i = 0; i < 24; i++)
            ASSERT_EQ(ref.draw(0, 35), RTRandU32Ex(0, 35)) << "draw " << i;
        ASSERT_EQ(ref.draw(10, 0x7fffffff), RTRandU32Ex(10, 0x7fffffff));
    }
};

TEST_F(RandProcess, SeededFromTheCounterOnFirstUse)
{
    expectSeededFromCounterBits8To39();
}

TEST_F(RandProcess, WorksWithoutMemoryForTheGenerator)
{
    tst::failAllocationsAfter(0);
    expectSeededFromCounterBits8To39();
}

TEST_F(RandProcess, TimeStampSeedStaysInRange)
{
    g_rtSeamsRand.pfnrtRandSeedCounter = NULL;
    for (int i = 0; i < 1000; i++)
    {
        uint32_t u = RTRandU32Ex(1000, 1009);
        ASSERT_GE(u, 1000u);
        ASSERT_LE(u, 1009u);
    }
}

} // namespace
