/** @file
 * Test seams of the host-architecture detection (tests only; see
 * internal/seam.h): the entry-point lookup, so tests can offer either system
 * call, both or neither, with the answers they need.
 */
#ifndef TARN_STUB_HOSTARCH_WIN_H
#define TARN_STUB_HOSTARCH_WIN_H

#include <windows.h>
#include "TarnStubSeams.h"

#ifdef RT_WITH_SEAMS
typedef struct StubSeamsHostArch
{
    decltype(&GetProcAddress) pfnGetProcAddress;
} StubSeamsHostArch;
#endif

#endif
