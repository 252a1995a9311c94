/** @file
 * Joining two paths into a new string.
 */
#include <rt/path.h>
#include <rt/mem.h>
#include <rt/string.h>

char *RTPathJoinA(const char *pszPathSrc, const char *pszAppend)
{
    if (!RT_VALID_PTR(pszPathSrc) || (pszAppend && !RT_VALID_PTR(pszAppend)))
        return NULL;
    /* Both texts, a separator between them and the terminator always fit in this. */
    size_t const cb = RTStrLen(pszPathSrc) + (pszAppend ? RTStrLen(pszAppend) : 0) + 4;
    char *psz = RTStrAlloc(cb, RTMEM_TAG);
    if (!psz)
        return NULL;
    if (RT_FAILURE(RTPathJoin(psz, cb, pszPathSrc, pszAppend)))
    {
        RTStrFree(psz);
        return NULL;
    }
    return psz;
}
