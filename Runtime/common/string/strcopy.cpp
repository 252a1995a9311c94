/** @file
 * Bounded copy and append into fixed buffers, and the ASCII case-insensitive
 * compare.
 */
#include <rt/string.h>

int RTStrCopy(char *pszDst, size_t cbDst, const char *pszSrc)
{
    if (cbDst == 0)
        return ERR_BUFFER_OVERFLOW; /* not even room for the terminator */
    size_t cchRoom = cbDst - 1;
    size_t cch = 0;
    while (cch < cchRoom && pszSrc[cch])
    {
        pszDst[cch] = pszSrc[cch];
        cch++;
    }
    pszDst[cch] = '\0';
    return pszSrc[cch] ? ERR_BUFFER_OVERFLOW : INF_SUCCESS;
}

int RTStrCat(char *pszDst, size_t cbDst, const char *pszSrc)
{
    size_t cchDst = RTStrNLen(pszDst, cbDst);
    if (cchDst >= cbDst)
        return ERR_INVALID_PARAMETER; /* no terminator to append behind */
    return RTStrCopy(pszDst + cchDst, cbDst - cchDst, pszSrc);
}

namespace
{

inline int rtAsciiFold(unsigned uch)
{
    return uch >= 'A' && uch <= 'Z' ? (int)(uch + ('a' - 'A')) : (int)uch;
}

/** Plain unsigned byte comparison of two NUL-terminated texts. */
int rtStrCmpBytes(const char *psz1, const char *psz2)
{
    for (;; psz1++, psz2++)
    {
        uint8_t b1 = (uint8_t)*psz1;
        uint8_t b2 = (uint8_t)*psz2;
        if (b1 != b2)
            return b1 < b2 ? -1 : 1;
        if (!b1)
            return 0;
    }
}

} // namespace

int RTStrICmpAscii(const char *psz1, const char *pszAscii)
{
    if (psz1 == pszAscii)
        return 0;
    if (!psz1)
        return -1;
    if (!pszAscii)
        return 1;

    for (;;)
    {
        const char *pszChar = psz1;
        RTUNICP uCp;
        if ((uint8_t)*psz1 < 0x80)
            uCp = (uint8_t)*psz1++;
        else if (RT_FAILURE(RTStrCpDecode(&psz1, &uCp)))
            return rtStrCmpBytes(pszChar, pszAscii);

        unsigned uchAscii = (uint8_t)*pszAscii++;
        if (uCp != uchAscii)
        {
            if (uCp >= 0x80)
                return 1;
            int iDiff = rtAsciiFold(uCp) - rtAsciiFold(uchAscii);
            if (iDiff)
                return iDiff;
        }
        if (!uchAscii)
            return 0;
    }
}
