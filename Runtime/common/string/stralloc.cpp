/** @file
 * The UTF-8 string allocation family, and the array allocation the
 * conversions share.
 */
#include <rt/string.h>
#include <rt/mem.h>
#include "internal/utf.h"

void *rtUtfAllocArray(size_t cElements, size_t cbElement, bool fZero, const char *pszTag)
{
    if (cElements > SIZE_MAX / cbElement)
        return NULL;
    size_t cb = cElements * cbElement;
    return fZero ? RTMemAllocZTag(cb, pszTag) : RTMemAllocTag(cb, pszTag);
}

char *RTStrAlloc(size_t cb, const char *pszTag)
{
    char *psz = (char *)RTMemAllocTag(cb ? cb : 1, pszTag);
    if (psz)
        psz[0] = '\0';
    return psz;
}

char *RTStrDupN(const char *psz, size_t cchMax, const char *pszTag)
{
    if (!psz)
        return NULL;
    size_t cch = RTStrNLen(psz, cchMax);
    char *pszNew = (char *)RTMemAllocTag(cch + 1, pszTag);
    if (!pszNew)
        return NULL;
    for (size_t i = 0; i < cch; i++)
        pszNew[i] = psz[i];
    pszNew[cch] = '\0';
    return pszNew;
}

char *RTStrDup(const char *psz, const char *pszTag)
{
    return RTStrDupN(psz, RTSTR_MAX, pszTag);
}

int RTStrRealloc(char **ppsz, size_t cbNew, const char *pszTag)
{
    if (!RT_VALID_PTR(ppsz))
        return ERR_INVALID_POINTER;
    if (cbNew == 0)
    {
        RTMemFree(*ppsz);
        *ppsz = NULL;
        return INF_SUCCESS;
    }
    bool fFresh = *ppsz == NULL;
    char *pszNew = (char *)RTMemReallocTag(*ppsz, cbNew, pszTag);
    if (!pszNew)
        return ERR_NO_STR_MEMORY;
    if (fFresh)
        pszNew[0] = '\0';
    pszNew[cbNew - 1] = '\0';
    *ppsz = pszNew;
    return INF_SUCCESS;
}

void RTStrFree(char *psz)
{
    RTMemFree(psz);
}
