/** @file
 * Fuzzes UTF-8 validation and the round trip through UTF-16. The input is
 * taken as UTF-8 of the given length (a NUL inside ends the text):
 *  - validation, counting and conversion agree on the status;
 *  - valid text goes to UTF-16 and back unchanged, with the counts reported;
 *  - invalid text gives a status and no allocation (the result pointer is null);
 *  - the lenient decoder walks the bytes without reading past them.
 * The same bytes, taken as UTF-16 units, must survive the reverse round trip.
 */
#include <stdlib.h>
#include <string.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include <rt/mem.h>

namespace
{

void CheckUtf8(const char *pch, size_t cch)
{
    size_t cwcCount = 0;
    int rcValidate = RTStrValidate(pch, cch, 0);
    if (RTStrUtf16Count(pch, cch, &cwcCount) != rcValidate)
        abort();

    RTUTF16 *pwsz = NULL;
    size_t cwc = 0;
    int rc = RTStrToUtf16Ex(pch, cch, &pwsz, 0, &cwc, RTMEM_TAG);
    if (rc != rcValidate)
        abort();
    if (RT_FAILURE(rc))
    {
        if (pwsz || cwcCount != SIZE_MAX)
            abort();
        return;
    }
    if (cwc != cwcCount || RTUtf16Len(pwsz) != cwc)
        abort();

    char *psz = NULL;
    size_t cchBack = 0;
    if (RTUtf16ToUtf8Ex(pwsz, RTSTR_MAX, &psz, 0, &cchBack, RTMEM_TAG) != INF_SUCCESS)
        abort();
    size_t cchText = strnlen(pch, cch);
    if (cchBack != cchText || memcmp(psz, pch, cchText) != 0 || psz[cchText] != '\0')
        abort();
    RTStrFree(psz);
    RTUtf16Free(pwsz);
}

void WalkLenient(const char *pch, size_t cch)
{
    size_t cchLeft = cch;
    const char *psz = pch;
    RTUNICP uCp;
    while (cchLeft > 0)
    {
        const char *pszBefore = psz;
        int rc = RTStrCpDecodeN(&psz, &cchLeft, &uCp);
        if (psz <= pszBefore || psz > pch + cch || (RT_FAILURE(rc) && (uCp != RTUNICP_INVALID || psz != pszBefore + 1)))
            abort();
    }
}

void CheckUtf16(const RTUTF16 *pwc, size_t cwc)
{
    char *psz = NULL;
    size_t cch = 0;
    int rc = RTUtf16ToUtf8Ex(pwc, cwc, &psz, 0, &cch, RTMEM_TAG);
    if (RT_FAILURE(rc))
    {
        if (psz)
            abort();
        return;
    }
    RTUTF16 *pwsz = NULL;
    size_t cwcBack = 0;
    if (RTStrToUtf16Ex(psz, RTSTR_MAX, &pwsz, 0, &cwcBack, RTMEM_TAG) != INF_SUCCESS)
        abort();
    size_t cwcText = 0;
    while (cwcText < cwc && pwc[cwcText])
        cwcText++;
    if (cwcBack != cwcText || memcmp(pwsz, pwc, cwcText * sizeof(RTUTF16)) != 0)
        abort();
    RTUtf16Free(pwsz);
    RTStrFree(psz);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    /* Exact-size copies, so the sanitizer sees any read past the input. */
    char *pch = (char *)malloc(cb ? cb : 1);
    memcpy(pch, pb, cb);
    CheckUtf8(pch, cb);
    WalkLenient(pch, cb);
    free(pch);

    size_t cwc = cb / sizeof(RTUTF16);
    RTUTF16 *pwc = (RTUTF16 *)malloc(cwc ? cwc * sizeof(RTUTF16) : 1);
    memcpy(pwc, pb, cwc * sizeof(RTUTF16));
    CheckUtf16(pwc, cwc);
    free(pwc);
    return 0;
}
