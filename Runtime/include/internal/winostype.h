/** @file
 * Classes of Windows versions, as start-up records them in g_enmWinVer, and
 * their derivation from the version record (portable, so it is tested on
 * every build).
 */
#ifndef RT_INTERNAL_WINOSTYPE_H
#define RT_INTERNAL_WINOSTYPE_H

#include <rt/types.h>

/** Windows version classes; the values are fixed, later versions compare higher within a family. */
typedef enum RTWINOSTYPE
{
    RTWINOSTYPE_UNKNOWN = 0,
    RTWINOSTYPE_95 = 1,
    RTWINOSTYPE_95SP1 = 2,
    RTWINOSTYPE_95OSR2 = 3,
    RTWINOSTYPE_98 = 4,
    RTWINOSTYPE_98SP1 = 5,
    RTWINOSTYPE_98SE = 6,
    RTWINOSTYPE_ME = 7,
    RTWINOSTYPE_NT310 = 100,
    RTWINOSTYPE_NT350 = 101,
    RTWINOSTYPE_NT351 = 102,
    RTWINOSTYPE_NT4 = 103,
    RTWINOSTYPE_W2K = 104,
    RTWINOSTYPE_XP = 105,
    RTWINOSTYPE_2003 = 107,
    RTWINOSTYPE_VISTA = 108,
    RTWINOSTYPE_2008 = 109,
    RTWINOSTYPE_W7 = 110,
    RTWINOSTYPE_2008R2 = 111,
    RTWINOSTYPE_W8 = 112,
    RTWINOSTYPE_2012 = 113,
    RTWINOSTYPE_W81 = 114,
    RTWINOSTYPE_2012R2 = 115,
    RTWINOSTYPE_W10 = 116,
    RTWINOSTYPE_2016 = 117,
    RTWINOSTYPE_2019 = 118,
    RTWINOSTYPE_2022 = 119,
    RTWINOSTYPE_W11 = 120,
    RTWINOSTYPE_NT_UNKNOWN = 199
} RTWINOSTYPE;

/** The platform of the 95/98/ME family in the version record. */
#define RTWINPLATFORM_9X 1
/** The platform of the NT family in the version record. */
#define RTWINPLATFORM_NT 2
/** The product type of a workstation (anything else is a server or domain controller). */
#define RTWINPRODUCT_WORKSTATION 1

/**
 * The class of the version described by @a uPlatform, @a uMajor, @a uMinor,
 * @a uBuild and @a bProductType (fields of the extended version record). On
 * the 9x platform only the low 16 bits of the build count, as that family
 * keeps the version in the high ones. RTWINOSTYPE_NT_UNKNOWN for NT versions
 * the table does not name, RTWINOSTYPE_UNKNOWN for everything else.
 */
RTWINOSTYPE rtWinOsTypeFromVersion(uint32_t uPlatform, uint32_t uMajor, uint32_t uMinor, uint32_t uBuild,
                                   uint8_t bProductType);

#endif
