/** @file
 * The monotonic nanosecond time stamp on Windows: the performance counter.
 */
#include <windows.h>
#include <rt/time.h>

uint64_t RTTimeNanoTS(void)
{
    LARGE_INTEGER Freq, Now;
    if (!QueryPerformanceFrequency(&Freq) || Freq.QuadPart <= 0 || !QueryPerformanceCounter(&Now))
        return (uint64_t)GetTickCount() * 1000000;
    uint64_t const uFreq = (uint64_t)Freq.QuadPart;
    uint64_t const uTicks = (uint64_t)Now.QuadPart;
    /* Whole seconds and the rest apart, so the multiplication cannot overflow. */
    return uTicks / uFreq * UINT64_C(1000000000) + uTicks % uFreq * UINT64_C(1000000000) / uFreq;
}
