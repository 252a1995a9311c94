/** @file
 * Fuzzes the ASCII case-insensitive compare. The input is split at its first
 * NUL into the two strings (each copied to an exact-size buffer so any read
 * past a terminator is caught). Properties:
 *  - both strings pure ASCII: the sign equals that of a simple folding
 *    reference, and swapping the arguments flips it;
 *  - the first string without malformed characters: changing the case of any
 *    ASCII letter in either string does not change the sign (the rule that
 *    gives the function its name; a malformed character switches to a plain
 *    byte comparison where case counts, so it is excluded).
 */
#include <stdlib.h>
#include <string.h>
#include <rt/string.h>

namespace
{

int Sign(int i)
{
    return (i > 0) - (i < 0);
}

int FoldAscii(unsigned char uch)
{
    return uch >= 'A' && uch <= 'Z' ? uch + 32 : uch;
}

int ReferenceCompare(const char *psz1, const char *psz2)
{
    for (;; psz1++, psz2++)
    {
        int iDiff = FoldAscii((unsigned char)*psz1) - FoldAscii((unsigned char)*psz2);
        if (iDiff || !*psz1)
            return iDiff;
    }
}

bool IsAscii(const char *psz)
{
    for (; *psz; psz++)
        if ((unsigned char)*psz >= 0x80)
            return false;
    return true;
}

bool DecodesCleanly(const char *psz)
{
    RTUNICP uCp;
    do
        if (RT_FAILURE(RTStrCpDecode(&psz, &uCp)))
            return false;
    while (uCp);
    return true;
}

char *SwapAsciiCase(const char *psz)
{
    char *pszSwapped = strdup(psz);
    for (char *pch = pszSwapped; *pch; pch++)
        if ((*pch >= 'a' && *pch <= 'z') || (*pch >= 'A' && *pch <= 'Z'))
            *pch ^= 0x20;
    return pszSwapped;
}

char *CopyExact(const uint8_t *pb, size_t cb)
{
    char *psz = (char *)malloc(cb + 1);
    memcpy(psz, pb, cb);
    psz[cb] = '\0';
    return psz;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    const uint8_t *pbNul = (const uint8_t *)memchr(pb, 0, cb);
    size_t cb1 = pbNul ? (size_t)(pbNul - pb) : cb;
    size_t cb2 = pbNul ? cb - cb1 - 1 : 0;
    char *psz1 = CopyExact(pb, cb1);
    char *psz2 = pbNul ? CopyExact(pbNul + 1, strnlen((const char *)pbNul + 1, cb2)) : CopyExact(pb, 0);

    int iResult = Sign(RTStrICmpAscii(psz1, psz2));
    if (IsAscii(psz1) && IsAscii(psz2))
    {
        if (iResult != Sign(ReferenceCompare(psz1, psz2)) || Sign(RTStrICmpAscii(psz2, psz1)) != -iResult)
            abort();
    }
    if (DecodesCleanly(psz1))
    {
        char *psz1Swapped = SwapAsciiCase(psz1);
        char *psz2Swapped = SwapAsciiCase(psz2);
        if (Sign(RTStrICmpAscii(psz1Swapped, psz2)) != iResult || Sign(RTStrICmpAscii(psz1, psz2Swapped)) != iResult)
            abort();
        free(psz1Swapped);
        free(psz2Swapped);
    }
    free(psz1);
    free(psz2);
    return 0;
}
