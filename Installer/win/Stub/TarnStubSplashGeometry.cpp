/** @file
 * The splash screen's geometry: window position, dot position, dot movement.
 */
#include "TarnStubSplashGeometry.h"

namespace
{

/** The π of the dot's angle. The positions the dot takes depend on it. */
const double SPLASH_PI_APPROX = 3.14159;

/** How far the dot's box sits below the picture's centre at dy = 0: the dot's
 * own centre is 80 pixels below, less half the dot. */
const int64_t DOT_BOX_BELOW_CENTRE = 80 - STUB_SPLASH_DOT_SIZE / 2;

const double TWO_PI = 6.283185307179586;
const double PI = 3.141592653589793;

/** Brings @a rdTheta into [−π, π]; it is already there for every angle the dot takes. */
double reduceAngle(double rdTheta)
{
    if (rdTheta >= -PI && rdTheta <= PI)
        return rdTheta;
    double const rdTurns = rdTheta / TWO_PI;
    int64_t const cTurns = (int64_t)(rdTurns < 0 ? rdTurns - 0.5 : rdTurns + 0.5);
    return rdTheta - (double)cTurns * TWO_PI;
}

/**
 * Sine and cosine by their power series; on [−π, π] the terms shrink below a
 * double's precision long before the last one. The program has no C runtime,
 * and the truncation of the dot's offsets needs results within a few units in
 * the last place: at 180 degrees cos θ misses −1 by only 3.5e-12.
 */
void sinCos(double rdTheta, double *prdSin, double *prdCos)
{
    double const rdX = reduceAngle(rdTheta);
    double const rdX2 = rdX * rdX;
    double rdSinTerm = rdX;
    double rdCosTerm = 1.0;
    double rdSin = rdSinTerm;
    double rdCos = rdCosTerm;
    for (int n = 1; n <= 15; n++)
    {
        rdSinTerm *= -rdX2 / (double)((2 * n) * (2 * n + 1));
        rdCosTerm *= -rdX2 / (double)((2 * n - 1) * (2 * n));
        rdSin += rdSinTerm;
        rdCos += rdCosTerm;
    }
    *prdSin = rdSin;
    *prdCos = rdCos;
}

} // namespace

uint32_t stubSplashNextAngle(uint32_t uAngle)
{
    /* In 32 bits (each term below 360, so the sum cannot overflow): a 64-bit
     * remainder would need a compiler helper in 32-bit code. */
    return (uAngle % 360 + STUB_SPLASH_ANGLE_STEP % 360) % 360;
}

SplashPoint stubSplashWindowOrigin(int32_t cxScreen, int32_t cyScreen, uint32_t cxPicture, uint32_t cyPicture)
{
    /* In 64 bits: no overflow for any picture or screen size. */
    SplashPoint Origin;
    Origin.x = (int32_t)(((int64_t)cxScreen - (int64_t)cxPicture) / 2);
    Origin.y = (int32_t)(((int64_t)cyScreen - (int64_t)cyPicture) / 2);
    return Origin;
}

SplashPoint stubSplashDotBox(uint32_t uAngle, uint32_t cxPicture, uint32_t cyPicture)
{
    double const rdTheta = (double)uAngle * SPLASH_PI_APPROX / 180.0;
    double rdSin = 0;
    double rdCos = 0;
    sinCos(rdTheta, &rdSin, &rdCos);
    int32_t const dx = (int32_t)(rdCos * -(double)STUB_SPLASH_DOT_RADIUS);
    int32_t const dy = (int32_t)(rdSin * -(double)STUB_SPLASH_DOT_RADIUS);

    /* In 64 bits: the offsets may not overflow next to the largest pictures. */
    SplashPoint Box;
    Box.x = (int32_t)((int64_t)(cxPicture / 2) - dx - STUB_SPLASH_DOT_SIZE / 2);
    Box.y = (int32_t)((int64_t)(cyPicture / 2) - dy + DOT_BOX_BELOW_CENTRE);
    return Box;
}
