/** @file
 * Making a path absolute into a new string of a size that fits.
 */
#include <rt/path.h>
#include <rt/mem.h>
#include <rt/string.h>

namespace
{

/** First guess: room for any path the system's own limits allow, in most encodings. */
const size_t g_cbFirstTry = 2050;
/** Tries before giving up on a current directory that keeps growing. */
const unsigned g_cMaxTries = 16;

size_t rtPathAbsDupNextSize(size_t cbOld, size_t cbNeeded)
{
    size_t const cbRounded = (cbNeeded + 16 + 63) & ~(size_t)63;
    return RT_MAX(cbOld + 256, cbRounded);
}

} // namespace

char *RTPathAbsExDup(const char *pszBase, const char *pszPath, uint32_t fFlags)
{
    size_t cb = g_cbFirstTry;
    for (unsigned iTry = 0; iTry < g_cMaxTries; iTry++)
    {
        char *psz = RTStrAlloc(cb, RTMEM_TAG);
        if (!psz)
            return NULL;
        size_t cbActual = cb;
        int rc = RTPathAbsEx(pszBase, pszPath, fFlags, psz, &cbActual);
        if (RT_SUCCESS(rc))
        {
            /* Give back most of a generous first guess; keeping it is fine if that fails. */
            if (cbActual < cb / 2)
                RTStrRealloc(&psz, cbActual + 1, RTMEM_TAG);
            return psz;
        }
        RTStrFree(psz);
        if (rc != ERR_BUFFER_OVERFLOW)
            return NULL;
        cb = rtPathAbsDupNextSize(cb, cbActual);
    }
    return NULL;
}
