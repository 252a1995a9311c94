/** @file
 * Windows version classes from the fields of the version record.
 */
#include <gtest/gtest.h>
#include "internal/winostype.h"

namespace
{

const uint8_t g_bWorkstation = RTWINPRODUCT_WORKSTATION;
const uint8_t g_bServer = 3;
const uint8_t g_bDomainController = 2;

TEST(WinOsType, Table)
{
    struct
    {
        uint32_t uPlatform, uMajor, uMinor, uBuild;
        uint8_t bProductType;
        int iExpected;
    } const aCases[] = {
        /* 95: build 950, 951-1080, above 1080; the high word of the build is the version. */
        {1, 4, 0, 950, 0, 1},
        {1, 4, 0, 0x04000000 | 950, 0, 1},
        {1, 4, 0, 951, 0, 2},
        {1, 4, 3, 1080, 0, 2},
        {1, 4, 9, 1081, 0, 3},
        {1, 4, 0, 949, 0, 0},
        /* 98: 1998, 1999-2182, above 2182; ME. */
        {1, 4, 10, 1998, 0, 4},
        {1, 4, 10, 1999, 0, 5},
        {1, 4, 10, 2182, 0, 5},
        {1, 4, 10, 2183, 0, 6},
        {1, 4, 10, 1997, 0, 0},
        {1, 4, 90, 3000, 0, 7},
        {1, 4, 11, 3000, 0, 0},
        {1, 5, 0, 3000, 0, 0},
        /* NT 3.x and 4. */
        {2, 3, 10, 528, g_bWorkstation, 100},
        {2, 3, 49, 528, g_bWorkstation, 100},
        {2, 3, 50, 807, g_bWorkstation, 101},
        {2, 3, 51, 1057, g_bServer, 102},
        {2, 4, 0, 1381, g_bServer, 103},
        /* 5.x: the product type does not matter. */
        {2, 5, 0, 2195, g_bServer, 104},
        {2, 5, 1, 2600, g_bWorkstation, 105},
        {2, 5, 2, 3790, g_bServer, 107},
        {2, 5, 3, 0, g_bWorkstation, 199},
        /* 6.x: workstation or not. */
        {2, 6, 0, 6002, g_bWorkstation, 108},
        {2, 6, 0, 6002, g_bServer, 109},
        {2, 6, 1, 7601, g_bWorkstation, 110},
        {2, 6, 1, 7601, g_bDomainController, 111},
        {2, 6, 2, 9200, g_bWorkstation, 112},
        {2, 6, 2, 9200, g_bServer, 113},
        {2, 6, 3, 9600, g_bWorkstation, 114},
        {2, 6, 3, 9600, g_bServer, 115},
        {2, 6, 4, 9841, g_bWorkstation, 116},
        {2, 6, 4, 9841, g_bServer, 117},
        {2, 6, 5, 0, g_bWorkstation, 199},
        /* 10.0 by build. */
        {2, 10, 0, 19045, g_bWorkstation, 116},
        {2, 10, 0, 21999, g_bWorkstation, 116},
        {2, 10, 0, 22000, g_bWorkstation, 120},
        {2, 10, 0, 14393, g_bServer, 117},
        {2, 10, 0, 17762, g_bServer, 117},
        {2, 10, 0, 17763, g_bServer, 118},
        {2, 10, 0, 20347, g_bServer, 118},
        {2, 10, 0, 20348, g_bDomainController, 119},
        {2, 10, 1, 0, g_bWorkstation, 199},
        {2, 11, 0, 30000, g_bWorkstation, 199},
        {2, 7, 0, 0, g_bWorkstation, 199},
        /* Neither family. */
        {0, 3, 10, 0, 0, 0},
        {3, 10, 0, 0, 0, 0},
    };
    for (const auto &c : aCases)
        EXPECT_EQ(c.iExpected, (int)rtWinOsTypeFromVersion(c.uPlatform, c.uMajor, c.uMinor, c.uBuild, c.bProductType))
            << "platform " << c.uPlatform << " " << c.uMajor << "." << c.uMinor << " build " << c.uBuild << " product "
            << (int)c.bProductType;
}

} // namespace
