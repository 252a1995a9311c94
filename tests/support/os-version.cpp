/** @file
 * Windows tests only: a copy of the process environment block with another
 * system major version, handed out through the native layer's seam.
 */
#ifdef RT_OS_WINDOWS
#include "support/os-version.h"

#include <string.h>
#include <windows.h>
#include <winternl.h>
#include "internal/nt.h"

namespace
{

/** Where the published layout of the process environment block keeps OSMajorVersion. */
#ifdef _WIN64
const size_t g_offOsMajorVersion = 0x118;
#else
const size_t g_offOsMajorVersion = 0xA4;
#endif
static_assert(g_offOsMajorVersion + sizeof(ULONG) <= sizeof(PEB), "the copy must hold the version");

PEB g_PebCopy;

PEB *NTAPI pebCopy(void)
{
    return &g_PebCopy;
}

} // namespace

namespace tst
{

PretendOsMajorVersion::PretendOsMajorVersion(uint32_t uMajor)
{
    memcpy(&g_PebCopy, RtlGetCurrentPeb(), sizeof(g_PebCopy));
    ULONG const uValue = uMajor;
    memcpy((uint8_t *)&g_PebCopy + g_offOsMajorVersion, &uValue, sizeof(uValue));
    g_rtSeamsNt.pfnRtlGetCurrentPeb = pebCopy;
}

PretendOsMajorVersion::~PretendOsMajorVersion()
{
    g_rtSeamsNt.pfnRtlGetCurrentPeb = NULL;
}

} // namespace tst

#endif
