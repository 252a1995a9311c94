/** @file
 * Where the splash window and its dot go, and how the dot moves.
 *
 * The splash window has the picture's size and is centred on the screen; a
 * dot of STUB_SPLASH_DOT_SIZE pixels circles 80 pixels below the picture's
 * centre, one step of STUB_SPLASH_ANGLE_STEP degrees per timer tick, clockwise
 * on the screen. Portable: no OS header, no C runtime (the sine and cosine are
 * the installer's own), the same results in every build.
 */
#ifndef TARN_STUB_SPLASH_GEOMETRY_H
#define TARN_STUB_SPLASH_GEOMETRY_H

#include <rt/types.h>

/** Degrees the dot advances per timer tick; the angle stays below 360. */
#define STUB_SPLASH_ANGLE_STEP UINT32_C(10)
/** Width and height of the dot's box in pixels. */
#define STUB_SPLASH_DOT_SIZE 10
/** Radius of the dot's circle in pixels. */
#define STUB_SPLASH_DOT_RADIUS 10
/** The dot's colour, ARGB: opaque dark blue (red 0, green 0, blue 100). */
#define STUB_SPLASH_DOT_ARGB UINT32_C(0xFF000064)
/** What a frame is cleared to before the picture is drawn, ARGB: opaque white. */
#define STUB_SPLASH_CLEAR_ARGB UINT32_C(0xFFFFFFFF)
/** Period of the timer that moves the dot, in milliseconds. */
#define STUB_SPLASH_TICK_MS UINT32_C(50)

/** A position in pixels; negative values are left of or above the origin. */
typedef struct SplashPoint
{
    int32_t x;
    int32_t y;
} SplashPoint;

/** The angle after one timer tick: (@a uAngle + 10) mod 360, so 350 is followed by 0. */
uint32_t stubSplashNextAngle(uint32_t uAngle);

/**
 * Top-left corner of a window of the picture's size centred on a screen of
 * @a cxScreen × @a cyScreen pixels: (screen − picture) / 2 in signed
 * arithmetic, truncated towards zero, so it is negative when the picture is
 * larger than the screen and the picture's centre stays at the screen's.
 */
SplashPoint stubSplashWindowOrigin(int32_t cxScreen, int32_t cyScreen, uint32_t cxPicture, uint32_t cyPicture);

/**
 * Top-left corner, in picture coordinates, of the dot's box for @a uAngle
 * degrees on a picture of @a cxPicture × @a cyPicture pixels.
 *
 * With θ = @a uAngle × 3.14159 / 180 (this approximation of π, not a better
 * one), dx and dy are cos θ × −10 and sin θ × −10 truncated towards zero; the
 * box is at (w/2 − dx − 5, h/2 − dy + 75) with integer halves. The
 * approximation makes sin and cos fall just short of ±1 at 90, 180 and 270
 * degrees, so those offsets are ±9, not ±10: for 800 × 200 the box is at
 * (405, 175) for 0 degrees, (395, 184) for 90, (386, 175) for 180 and
 * (395, 166) for 270.
 */
SplashPoint stubSplashDotBox(uint32_t uAngle, uint32_t cxPicture, uint32_t cyPicture);

#endif
