/** @file
 * Deriving the Windows version class from the version record.
 */
#include "internal/winostype.h"

namespace
{

RTWINOSTYPE rtWinOsClassify9x(uint32_t uMajor, uint32_t uMinor, uint32_t uBuild)
{
    if (uMajor != 4)
        return RTWINOSTYPE_UNKNOWN;
    if (uMinor <= 9)
    {
        if (uBuild == 950)
            return RTWINOSTYPE_95;
        if (uBuild > 950 && uBuild <= 1080)
            return RTWINOSTYPE_95SP1;
        return uBuild > 1080 ? RTWINOSTYPE_95OSR2 : RTWINOSTYPE_UNKNOWN;
    }
    if (uMinor == 10)
    {
        if (uBuild == 1998)
            return RTWINOSTYPE_98;
        if (uBuild > 1998 && uBuild <= 2182)
            return RTWINOSTYPE_98SP1;
        return uBuild > 2182 ? RTWINOSTYPE_98SE : RTWINOSTYPE_UNKNOWN;
    }
    return uMinor == 90 ? RTWINOSTYPE_ME : RTWINOSTYPE_UNKNOWN;
}

/** 6.0 to 6.4: one workstation and one server class per minor version. */
RTWINOSTYPE rtWinOsClassifyNt6(uint32_t uMinor, bool fWorkstation)
{
    static const RTWINOSTYPE s_aenmWorkstation[] = {RTWINOSTYPE_VISTA, RTWINOSTYPE_W7, RTWINOSTYPE_W8, RTWINOSTYPE_W81,
                                                    RTWINOSTYPE_W10};
    static const RTWINOSTYPE s_aenmServer[] = {RTWINOSTYPE_2008, RTWINOSTYPE_2008R2, RTWINOSTYPE_2012,
                                               RTWINOSTYPE_2012R2, RTWINOSTYPE_2016};
    if (uMinor >= RT_ELEMENTS(s_aenmWorkstation))
        return RTWINOSTYPE_NT_UNKNOWN;
    return fWorkstation ? s_aenmWorkstation[uMinor] : s_aenmServer[uMinor];
}

RTWINOSTYPE rtWinOsClassifyNt10(uint32_t uBuild, bool fWorkstation)
{
    if (fWorkstation)
        return uBuild < 22000 ? RTWINOSTYPE_W10 : RTWINOSTYPE_W11;
    if (uBuild <= 17762)
        return RTWINOSTYPE_2016;
    return uBuild < 20348 ? RTWINOSTYPE_2019 : RTWINOSTYPE_2022;
}

RTWINOSTYPE rtWinOsClassifyNt(uint32_t uMajor, uint32_t uMinor, uint32_t uBuild, bool fWorkstation)
{
    switch (uMajor)
    {
        case 3:
            if (uMinor < 50)
                return RTWINOSTYPE_NT310;
            return uMinor == 50 ? RTWINOSTYPE_NT350 : RTWINOSTYPE_NT351;
        case 4:
            return RTWINOSTYPE_NT4;
        case 5:
            if (uMinor == 0)
                return RTWINOSTYPE_W2K;
            if (uMinor == 1)
                return RTWINOSTYPE_XP;
            return uMinor == 2 ? RTWINOSTYPE_2003 : RTWINOSTYPE_NT_UNKNOWN;
        case 6:
            return rtWinOsClassifyNt6(uMinor, fWorkstation);
        case 10:
            return uMinor == 0 ? rtWinOsClassifyNt10(uBuild, fWorkstation) : RTWINOSTYPE_NT_UNKNOWN;
        default:
            return RTWINOSTYPE_NT_UNKNOWN;
    }
}

} // namespace

RTWINOSTYPE rtWinOsTypeFromVersion(uint32_t uPlatform, uint32_t uMajor, uint32_t uMinor, uint32_t uBuild,
                                   uint8_t bProductType)
{
    if (uPlatform == RTWINPLATFORM_9X)
        return rtWinOsClassify9x(uMajor, uMinor, uBuild & 0xffff);
    if (uPlatform == RTWINPLATFORM_NT)
        return rtWinOsClassifyNt(uMajor, uMinor, uBuild, bProductType == RTWINPRODUCT_WORKSTATION);
    return RTWINOSTYPE_UNKNOWN;
}
