/** @file
 * Win32 and NT error values to statuses. The mapping is the contract callers
 * rely on, so every listed value is checked against a table written here on
 * its own, and everything around the listed values must fall back.
 */
#include <gtest/gtest.h>
#include <rt/err.h>
#include "internal/err.h"

#include <map>
#include <set>
#include <vector>

namespace
{

struct WinMapping
{
    int rcExpected;
    std::vector<uint32_t> aWinErrors;
};

/* Every explicitly listed Win32 value, grouped by the status it gives. */
const WinMapping g_aWinMappings[] = {
    {0, {0}},
    {-2, {87, 160, 1004, 10022}},
    {-4, {6, 130, 10009}},
    {-6, {487, 998, 10014}},
    {-8, {8, 14, 1450}},
    {-9, {1056}},
    {-19, {4390}},
    {-36, {1}},
    {-37, {50}},
    {-38, {5, 10013}},
    {-39, {995, 10004}},
    {-40, {121, 258, 1053, 1121, 1460, 10060}},
    {-41, {111, 122}},
    {-43, {164}},
    {-44, {89, 10067}},
    {-45, {156, 205}},
    {-46, {162}},
    {-47, {209}},
    {-49, {1705}},
    {-52, {10035, 11002}},
    {-58, {1113}},
    {-70, {1223}},
    {-78, {1060, 1168}},
    {-89, {1272, 1326, 1788, 1789}},
    {-101, {110}},
    {-102, {2}},
    {-103, {3}},
    {-104, {123, 161, 1200}},
    {-105, {80, 183}},
    {-106, {4, 10024}},
    {-107, {25}},
    {-108, {131}},
    {-109, {132}},
    {-110, {38}},
    {-111, {30}},
    {-112, {29}},
    {-113, {19}},
    {-114, {32, 1224}},
    {-115, {167}},
    {-116, {33}},
    {-117, {82}},
    {-118, {16, 10066}},
    {-119, {17}},
    {-120, {206, 10063}},
    {-122, {1005}},
    {-123, {158}},
    {-125, {145}},
    {-126, {267}},
    {-151, {15}},
    {-152, {39, 112, 10069}},
    {-154, {108}},
    {-155, {26}},
    {-156, {10062}},
    {-201, {18}},
    {-202, {113}},
    {-225, {1359}},
    {-251, {20}},
    {-252, {21}},
    {-253, {22}},
    {-254, {23}},
    {-255, {24}},
    {-256, {27}},
    {-257, {31}},
    {-300, {535, 536}},
    {-301, {109}},
    {-302, {230}},
    {-303, {231}},
    {-304, {232, 1812}},
    {-305, {233}},
    {-306, {234}},
    {-351, {100}},
    {-352, {101}},
    {-353, {102}},
    {-354, {103}},
    {-355, {288}},
    {-357, {298}},
    {-361, {105}},
    {-362, {187}},
    {-400, {51, 52, 57, 58, 59, 60, 65, 66, 70, 71, 72, 85, 86, 88}},
    {-401, {54, 56, 68, 69, 84}},
    {-402, {53, 64, 11001}},
    {-403, {55, 67}},
    {-404, {61, 62, 63}},
    {-449, {11004}},
    {-468, {10106}},
    {-600, {191}},
    {-608, {193, 1392}},
    {-609, {127}},
    {-610, {126}},
    {-619, {577}},
    {-750, {203}},
    {-22405, {1325, 1327, 1330, 1331}},
    {-22410, {1314, 0xC000042Cu}},
    {-22419, {740}},
    {-22430, {4551}},
    {-23502, {0x80090008u}},
};

/* Winsock errors whose status is minus (error - 9600). */
std::vector<uint32_t> winsockRuleErrors()
{
    std::vector<uint32_t> a;
    for (uint32_t u = 10036; u <= 10059; u++)
        a.push_back(u);
    a.insert(a.end(), {10061, 10064, 10065});
    return a;
}

/* The whole expected Win32 mapping, each value once. */
std::map<uint32_t, int> expectedWinMapping()
{
    std::map<uint32_t, int> map;
    for (const WinMapping &m : g_aWinMappings)
        for (uint32_t u : m.aWinErrors)
            EXPECT_TRUE(map.emplace(u, m.rcExpected).second) << "listed twice: " << u;
    for (uint32_t u : winsockRuleErrors())
        EXPECT_TRUE(map.emplace(u, -(int)(u - 9600)).second) << "listed twice: " << u;
    return map;
}

TEST(ErrConvertWin, MapsEveryListedValue)
{
    std::map<uint32_t, int> map = expectedWinMapping();
    std::set<int> statuses;
    for (const auto &entry : map)
    {
        EXPECT_EQ(entry.second, RTErrConvertFromWinError(entry.first)) << "Win32 error " << entry.first;
        statuses.insert(entry.second);
    }
    /* The size of the mapping as published: 185 values onto 122 statuses. */
    EXPECT_EQ(185u, map.size());
    EXPECT_EQ(122u, statuses.size());
}

TEST(ErrConvertWin, TableIsSortedAndHoldsOnlyListedPairs)
{
    /* The binary search relies on the order; a pair the published mapping
     * lacks would be a status invented on the way. */
    std::map<uint32_t, int> map = expectedWinMapping();
    ASSERT_GT(g_cRTErrWinMap, 0u);
    for (size_t i = 0; i < g_cRTErrWinMap; i++)
    {
        const RTERRWINMAP &e = g_aRTErrWinMap[i];
        if (i > 0)
        {
            EXPECT_LT(g_aRTErrWinMap[i - 1].uWinError, e.uWinError) << "pair " << i;
        }
        ASSERT_TRUE(map.count(e.uWinError)) << "Win32 error " << e.uWinError << " is not in the mapping";
        EXPECT_EQ(map[e.uWinError], e.iStatus) << "Win32 error " << e.uWinError;
    }
    /* Everything but the Winsock rule and the two 32-bit codes is in the table. */
    EXPECT_EQ(185u - winsockRuleErrors().size() - 2, g_cRTErrWinMap);
}

TEST(ErrConvertWin, SpotValues)
{
    EXPECT_EQ(INF_SUCCESS, RTErrConvertFromWinError(0));
    EXPECT_EQ(ERR_FILE_NOT_FOUND, RTErrConvertFromWinError(2));
    EXPECT_EQ(-448, RTErrConvertFromWinError(10048)); /* the Winsock rule */
    EXPECT_EQ(ERR_TIMEOUT, RTErrConvertFromWinError(10060));
    EXPECT_EQ(ERR_UNRESOLVED_ERROR, RTErrConvertFromWinError(9999));
    EXPECT_EQ(-22410, RTErrConvertFromWinError(0xC000042Cu));
    EXPECT_EQ(-23502, RTErrConvertFromWinError(0x80090008u));
}

TEST(ErrConvertWin, EverythingElseIsUnresolved)
{
    std::map<uint32_t, int> map = expectedWinMapping();
    auto expectUnresolvedUnlessListed = [&map](uint32_t u)
    {
        if (!map.count(u))
        {
            EXPECT_EQ(ERR_UNRESOLVED_ERROR, RTErrConvertFromWinError(u)) << "Win32 error " << u;
        }
    };
    /* All 16-bit values, which covers every Win32 error and the Winsock range. */
    for (uint32_t u = 0; u <= 0xffff; u++)
        expectUnresolvedUnlessListed(u);
    /* The neighbours of the two 32-bit values, their low halves with other high halves, and the extremes. */
    for (uint32_t u : {0xC000042Bu, 0xC000042Du, 0x8009000Au, 0x80090007u, 0x80090009u, 0x0000042Cu + 0x10000u,
                       0x80070005u, 0x10002u, 0x7fffffffu, 0x80000000u, 0xffffffffu})
        expectUnresolvedUnlessListed(u);
}

struct NtMapping
{
    uint32_t uNtStatus;
    int rcExpected;
};

const NtMapping g_aNtMappings[] = {
    {0x00000000, 0},     {0x000000C0, -39},  {0x00000101, -39},  {0x80000002, -6},   {0x80000006, -201},
    {0x8000001A, -201},  {0xC0000003, -36},  {0xC0000005, -6},   {0xC0000008, -4},   {0xC000000D, -2},
    {0xC000000E, -102},  {0xC000000F, -102}, {0xC0000010, -253}, {0xC0000013, -165}, {0xC0000017, -8},
    {0xC0000022, -38},   {0xC0000024, -141}, {0xC0000033, -104}, {0xC0000034, -102}, {0xC0000039, -104},
    {0xC000003A, -103},  {0xC000003B, -104}, {0xC0000043, -114}, {0xC000006D, -89},  {0xC00000BA, -127},
    {0xC00000BE, -403},  {0xC00000C4, -400}, {0xC00000E5, -225}, {0xC0000101, -125}, {0xC0000103, -126},
    {0xC0000190, -3775}, {0xC0000280, -156}, {0xC0000428, -619},
};

std::map<uint32_t, int> expectedNtMapping()
{
    std::map<uint32_t, int> map;
    for (const NtMapping &m : g_aNtMappings)
        EXPECT_TRUE(map.emplace(m.uNtStatus, m.rcExpected).second) << std::hex << m.uNtStatus;
    for (uint32_t u = 0xC00000EF; u <= 0xC00000FA; u++) /* STATUS_INVALID_PARAMETER_1 to _12 */
        EXPECT_TRUE(map.emplace(u, -2).second) << std::hex << u;
    return map;
}

TEST(ErrConvertNt, MapsEveryListedValue)
{
    std::map<uint32_t, int> map = expectedNtMapping();
    EXPECT_EQ(45u, map.size());
    for (const auto &entry : map)
        EXPECT_EQ(entry.second, RTErrConvertFromNtStatus((int32_t)entry.first)) << std::hex << "NT " << entry.first;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTErrConvertFromNtStatus((int32_t)0xC00000F5u));
}

TEST(ErrConvertNt, EverythingElseIsUnresolved)
{
    std::map<uint32_t, int> map = expectedNtMapping();
    /* The low range of each severity holds every listed value; the rest of the
     * sweep checks that no neighbour or severity variant is caught by mistake. */
    for (uint32_t uSeverity : {0x00000000u, 0x40000000u, 0x80000000u, 0xC0000000u})
        for (uint32_t u = uSeverity; u < uSeverity + 0x1000; u++)
            if (!map.count(u))
            {
                EXPECT_EQ(ERR_UNRESOLVED_ERROR, RTErrConvertFromNtStatus((int32_t)u)) << std::hex << "NT " << u;
            }
    EXPECT_EQ(ERR_UNRESOLVED_ERROR, RTErrConvertFromNtStatus((int32_t)0xC0000001u));
    EXPECT_EQ(ERR_UNRESOLVED_ERROR, RTErrConvertFromNtStatus(INT32_MIN));
    EXPECT_EQ(ERR_UNRESOLVED_ERROR, RTErrConvertFromNtStatus(-1));
}

} /* namespace */
