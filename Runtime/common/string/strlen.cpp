/** @file
 * String lengths without the C runtime.
 */
#include <rt/string.h>

size_t RTStrLen(const char *psz)
{
    const char *pszEnd = psz;
    while (*pszEnd)
        pszEnd++;
    return (size_t)(pszEnd - psz);
}

size_t RTStrNLen(const char *psz, size_t cchMax)
{
    size_t cch = 0;
    while (cch < cchMax && psz[cch])
        cch++;
    return cch;
}
