/** @file
 * The splash screen's geometry: the centred window, the dot's box for each
 * angle (against the values worked out by hand and against the C library's
 * sine and cosine), and the dot's movement.
 */
#include <gtest/gtest.h>
#include "TarnStubSplashGeometry.h"

#include <cmath>
#include <set>

namespace
{

struct DotCase
{
    uint32_t uAngle;
    uint32_t cx, cy;
    int32_t xBox, yBox;
};

/* Worked out by hand from θ = angle × 3.14159 / 180: at 90, 180 and 270 degrees
 * the products fall just short of ±10 and truncate to ±9; at 30 degrees
 * sin θ × −10 is −4.999996 and truncates to −4, at 150 degrees −5.00002 and
 * truncates to −5 (with a better π: −4). */
const DotCase g_aDotCases[] = {
    {0, 800, 200, 405, 175},   {90, 800, 200, 395, 184},  {180, 800, 200, 386, 175}, {270, 800, 200, 395, 166},
    {30, 800, 200, 403, 179},  {120, 800, 200, 391, 183}, {150, 800, 200, 387, 180}, {300, 800, 200, 399, 167},
    {350, 800, 200, 404, 174}, {0, 801, 201, 405, 175},   {90, 10, 10, 0, 89},       {180, 0, 0, -14, 75},
    {270, 1, 1, -5, 66},
};

TEST(StubSplashGeometryTest, DotBoxTable)
{
    for (const DotCase &Case : g_aDotCases)
    {
        SplashPoint const Box = stubSplashDotBox(Case.uAngle, Case.cx, Case.cy);
        EXPECT_EQ(Case.xBox, Box.x) << Case.uAngle << " degrees, " << Case.cx << "x" << Case.cy;
        EXPECT_EQ(Case.yBox, Box.y) << Case.uAngle << " degrees, " << Case.cx << "x" << Case.cy;
    }
}

/* Every angle the dot takes, against the C library's functions: the truncation
 * leaves no room for a sine or cosine that is off in the last digits. */
TEST(StubSplashGeometryTest, DotBoxFollowsTheLibraryFunctions)
{
    for (uint32_t uAngle = 0; uAngle < 360; uAngle += 10)
    {
        double const rdTheta = uAngle * 3.14159 / 180;
        int32_t const dx = (int32_t)(std::cos(rdTheta) * -10);
        int32_t const dy = (int32_t)(std::sin(rdTheta) * -10);
        SplashPoint const Box = stubSplashDotBox(uAngle, 800, 200);
        EXPECT_EQ(400 - dx - 5, Box.x) << uAngle;
        EXPECT_EQ(100 - dy + 75, Box.y) << uAngle;
    }
}

/* Angles outside a turn still give the library's answer (they never occur, but
 * must not break the series). */
TEST(StubSplashGeometryTest, LargeAnglesStayAccurate)
{
    for (uint32_t uAngle : {370u, 725u, 3600u, 100000u, 4294967290u})
    {
        double const rdTheta = uAngle * 3.14159 / 180;
        SplashPoint const Box = stubSplashDotBox(uAngle, 800, 200);
        EXPECT_EQ(400 - (int32_t)(std::cos(rdTheta) * -10) - 5, Box.x) << uAngle;
        EXPECT_EQ(100 - (int32_t)(std::sin(rdTheta) * -10) + 75, Box.y) << uAngle;
    }
}

/* Clockwise on the screen (y grows downwards): right, bottom, left, top. */
TEST(StubSplashGeometryTest, DotTurnsClockwiseAroundItsCentre)
{
    SplashPoint const Right = stubSplashDotBox(0, 800, 200);
    SplashPoint const Bottom = stubSplashDotBox(90, 800, 200);
    SplashPoint const Left = stubSplashDotBox(180, 800, 200);
    SplashPoint const Top = stubSplashDotBox(270, 800, 200);
    EXPECT_GT(Right.x, Bottom.x);
    EXPECT_GT(Bottom.y, Right.y);
    EXPECT_GT(Bottom.x, Left.x);
    EXPECT_GT(Bottom.y, Left.y);
    EXPECT_LT(Top.y, Left.y);
    EXPECT_GT(Top.x, Left.x);
}

TEST(StubSplashGeometryTest, AngleStepsAndWraps)
{
    EXPECT_EQ(10u, stubSplashNextAngle(0));
    EXPECT_EQ(350u, stubSplashNextAngle(340));
    EXPECT_EQ(0u, stubSplashNextAngle(350));

    /* One turn: 36 ticks, 36 different angles, back at the start. */
    std::set<uint32_t> Seen;
    uint32_t uAngle = 0;
    for (int i = 0; i < 36; i++)
    {
        Seen.insert(uAngle);
        uAngle = stubSplashNextAngle(uAngle);
        EXPECT_LT(uAngle, 360u);
    }
    EXPECT_EQ(0u, uAngle);
    EXPECT_EQ(36u, Seen.size());
    EXPECT_EQ(265u, stubSplashNextAngle(UINT32_MAX)); /* 4294967305 mod 360: no overflow on the way */
}

struct OriginCase
{
    int32_t cxScreen, cyScreen;
    uint32_t cxPicture, cyPicture;
    int32_t x, y;
};

TEST(StubSplashGeometryTest, WindowCentredOnTheScreen)
{
    const OriginCase aCases[] = {
        {1024, 768, 800, 200, 112, 284},
        {1920, 1080, 800, 200, 560, 440},
        {800, 200, 800, 200, 0, 0},
        /* Smaller than the picture: negative, the centres still match. */
        {640, 480, 800, 200, -80, 140},
        {640, 100, 800, 200, -80, -50},
        /* Odd differences truncate towards zero, on both sides of it. */
        {1025, 769, 800, 200, 112, 284},
        {641, 99, 800, 200, -79, -50},
        /* An empty picture: a 0 × 0 window at the screen's centre. */
        {1024, 768, 0, 0, 512, 384},
        /* Sizes beyond any screen do not overflow. */
        {0, 0, 4000000000u, 10, -2000000000, -5},
    };
    for (const OriginCase &Case : aCases)
    {
        SplashPoint const Origin = stubSplashWindowOrigin(Case.cxScreen, Case.cyScreen, Case.cxPicture, Case.cyPicture);
        EXPECT_EQ(Case.x, Origin.x) << Case.cxScreen << "x" << Case.cyScreen << " " << Case.cxPicture;
        EXPECT_EQ(Case.y, Origin.y) << Case.cxScreen << "x" << Case.cyScreen << " " << Case.cyPicture;
    }
}

} // namespace
