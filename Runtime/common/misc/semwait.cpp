/** @file
 * Semaphore waits, the portable part: which wait-flag combinations are valid
 * and how a timeout becomes the nanoseconds still to wait.
 */
#include "internal/semwait.h"

namespace
{

/** True when exactly one of the bits in @a fPair is set in @a fFlags. */
bool rtSemWaitExactlyOneOf(uint32_t fFlags, uint32_t fPair)
{
    uint32_t const fSet = fFlags & fPair;
    return fSet != 0 && (fSet & (fSet - 1)) == 0;
}

} // namespace

bool RTSemWaitAreFlagsValid(uint32_t fFlags)
{
    if (fFlags & ~RTSEMWAIT_F_VALID_MASK)
        return false;
    if (!rtSemWaitExactlyOneOf(fFlags, RTSEMWAIT_F_RESUME | RTSEMWAIT_F_NORESUME))
        return false;
    if (fFlags & RTSEMWAIT_F_INDEFINITE)
        return true;
    return rtSemWaitExactlyOneOf(fFlags, RTSEMWAIT_F_RELATIVE | RTSEMWAIT_F_ABSOLUTE) &&
           rtSemWaitExactlyOneOf(fFlags, RTSEMWAIT_F_NANOSECS | RTSEMWAIT_F_MILLISECS);
}

bool rtSemWaitNeedsStartTime(uint32_t fFlags)
{
    return (fFlags & (RTSEMWAIT_F_ABSOLUTE | RTSEMWAIT_F_RESUME)) != 0;
}

uint64_t rtSemWaitRelativeNs(uint32_t fFlags, uint64_t uTimeout, uint64_t nsNow)
{
    if ((fFlags & RTSEMWAIT_F_INDEFINITE) || uTimeout == UINT64_MAX)
        return RTSEMWAIT_NS_INDEFINITE;
    if (fFlags & RTSEMWAIT_F_MILLISECS)
    {
        /* Beyond this the product no longer fits 64 bits. */
        if (uTimeout >= UINT64_C(18446744073709))
            return RTSEMWAIT_NS_INDEFINITE;
        uTimeout *= UINT64_C(1000000);
    }
    if (fFlags & RTSEMWAIT_F_ABSOLUTE)
        return uTimeout <= nsNow ? 0 : uTimeout - nsNow;
    return uTimeout;
}

uint64_t rtSemWaitRemainingNs(uint64_t nsTimeout, uint64_t nsElapsed)
{
    if (nsTimeout == RTSEMWAIT_NS_INDEFINITE)
        return nsTimeout;
    return nsElapsed >= nsTimeout ? 0 : nsTimeout - nsElapsed;
}
