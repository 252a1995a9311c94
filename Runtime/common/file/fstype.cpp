/** @file
 * File-system facts the file code needs: the type behind a volume's name,
 * the largest file each type holds, and the piece size for transfers redone
 * under memory pressure. Portable.
 */
#include <rt/file.h>
#include "internal/file.h"

namespace
{

struct RTFSTYPENAME
{
    const char *pszName; /**< ASCII; compared unit by unit with the UTF-16 name. */
    size_t cchName;
    RTFSTYPE enmType;
};

const RTFSTYPENAME g_aFsTypeNames[] = {
    {"NTFS", 4, RTFSTYPE_NTFS},   {"FAT", 3, RTFSTYPE_FAT},   {"FAT32", 5, RTFSTYPE_FAT},
    {"exFAT", 5, RTFSTYPE_EXFAT}, {"ReFS", 4, RTFSTYPE_REFS}, {"UDF", 3, RTFSTYPE_UDF},
    {"CDFS", 4, RTFSTYPE_CDFS},   {"HPFS", 4, RTFSTYPE_HPFS}, {"TarnSharedFolderFS", 18, RTFSTYPE_SHAREDFOLDER},
};

bool rtFsTypeNameEquals(const RTFSTYPENAME *pEntry, const RTUTF16 *pwszName, size_t cbName)
{
    if (cbName != pEntry->cchName * sizeof(RTUTF16))
        return false;
    for (size_t i = 0; i < pEntry->cchName; i++)
        if (pwszName[i] != (RTUTF16)(unsigned char)pEntry->pszName[i])
            return false;
    return true;
}

} /* namespace */

RTFSTYPE rtFsTypeFromName(const RTUTF16 *pwszName, size_t cbName)
{
    for (size_t i = 0; i < RT_ELEMENTS(g_aFsTypeNames); i++)
        if (rtFsTypeNameEquals(&g_aFsTypeNames[i], pwszName, cbName))
            return g_aFsTypeNames[i].enmType;
    return RTFSTYPE_UNKNOWN;
}

uint64_t rtFsTypeMaxFileSize(RTFSTYPE enmType)
{
    switch (enmType)
    {
        case RTFSTYPE_FAT:
            return UINT64_C(4294967296); /* 4 GiB */
        case RTFSTYPE_HPFS:
            return UINT64_C(2147483648); /* 2 GiB */
        case RTFSTYPE_CDFS:
            return UINT64_C(8796093022208); /* 8 TiB */
        default:
            return 0;
    }
}

size_t rtFileFirstChunkSize(size_t cbTotal, size_t cbSmallBelow, size_t cbLarge)
{
    if (cbTotal >= cbSmallBelow)
        return cbLarge;
    size_t const cbHalf = cbTotal / 2 + (cbTotal & 1);
    size_t const cbChunk = (cbHalf + 255) & ~(size_t)255;
    return cbChunk ? cbChunk : 256;
}
