/** @file
 * Judging where the system's side-by-side redirection sends a library name:
 * only answers inside the Windows directory tree are taken.
 */
#include "internal/ldr.h"

namespace
{

bool rtldrIsSeparator(RTUTF16 wc)
{
    return wc == '\\' || wc == '/';
}

RTUTF16 rtldrFoldAsciiCase(RTUTF16 wc)
{
    return wc >= 'a' && wc <= 'z' ? (RTUTF16)(wc - 'a' + 'A') : wc;
}

/** Whether the two units count as the same at one position of the walk. */
bool rtldrUnitsAgree(RTUTF16 wc1, RTUTF16 wc2)
{
    if (rtldrIsSeparator(wc1))
        return rtldrIsSeparator(wc2);
    /* Beyond ASCII nothing is folded: only the same unit agrees. */
    if (wc1 >= 127 || wc2 >= 127)
        return wc1 == wc2;
    return rtldrFoldAsciiCase(wc1) == rtldrFoldAsciiCase(wc2);
}

/** Whether @a pwsz of @a cwc units has a ".." component. */
bool rtldrHasParentComponent(const RTUTF16 *pwsz, size_t cwc)
{
    size_t offStart = 0;
    for (size_t off = 0; off <= cwc; off++)
        if (off == cwc || rtldrIsSeparator(pwsz[off]))
        {
            if (off - offStart == 2 && pwsz[offStart] == '.' && pwsz[offStart + 1] == '.')
                return true;
            offStart = off + 1;
        }
    return false;
}

/** How many runs of separators after the first position the answer and the
 * system directory agree on, walking both from the start. */
unsigned rtldrCountAgreeingSeparatorRuns(const RTUTF16 *pwszResult, size_t cwcResult, const RTUTF16 *pwszSystemDir)
{
    unsigned cRuns = 0;
    bool fInRun = false;
    for (size_t off = 0; off < cwcResult && pwszSystemDir[off] != '\0'; off++)
    {
        if (!rtldrUnitsAgree(pwszResult[off], pwszSystemDir[off]))
            break;
        bool const fSeparator = rtldrIsSeparator(pwszResult[off]);
        if (fSeparator && !fInRun && off > 0)
            cRuns++;
        fInRun = fSeparator;
    }
    return cRuns;
}

} // namespace

bool rtldrIsRedirectionInWindowsTree(const RTUTF16 *pwszResult, size_t cwcResult, const RTUTF16 *pwszSystemDir)
{
    /* "C:\Windows\..\Users\x\evil.dll" starts inside and ends outside. */
    if (rtldrHasParentComponent(pwszResult, cwcResult))
        return false;
    return rtldrCountAgreeingSeparatorRuns(pwszResult, cwcResult, pwszSystemDir) >= 2;
}
