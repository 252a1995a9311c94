/** @file
 * Test seams of the final clean-up (tests only; see internal/seam.h): the
 * sleep between passes, so tests neither wait nine seconds nor depend on
 * timing, and the closing of handles, whose failures cannot be caused on
 * purpose.
 */
#ifndef TARN_STUB_CLEANUP_WIN_H
#define TARN_STUB_CLEANUP_WIN_H

#include <rt/file.h>
#include <rt/dir.h>
#include <rt/thread.h>
#include "TarnStubSeams.h"

#ifdef RT_WITH_SEAMS
typedef struct StubSeamsCleanup
{
    decltype(&RTThreadSleepMs) pfnRTThreadSleepMs;
    decltype(&RTFileClose) pfnRTFileClose;
    decltype(&RTDirClose) pfnRTDirClose;
} StubSeamsCleanup;
#endif

#endif
