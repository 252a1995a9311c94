/** @file
 * Judging where the system's side-by-side redirection sends a library name:
 * only answers inside the Windows directory tree are taken.
 */
#include "internal/ldr.h"

namespace
{

bool isSeparator(RTUTF16 wc)
{
    return wc == '\\' || wc == '/';
}

RTUTF16 foldAsciiCase(RTUTF16 wc)
{
    return wc >= 'a' && wc <= 'z' ? (RTUTF16)(wc - 'a' + 'A') : wc;
}

/** Whether the two units count as the same at one position of the walk. */
bool unitsAgree(RTUTF16 wc1, RTUTF16 wc2)
{
    if (isSeparator(wc1))
        return isSeparator(wc2);
    /* Beyond ASCII nothing is folded: only the same unit agrees. */
    if (wc1 >= 127 || wc2 >= 127)
        return wc1 == wc2;
    return foldAsciiCase(wc1) == foldAsciiCase(wc2);
}

/** Whether @a pwsz of @a cwc units has a ".." component. */
bool hasParentComponent(const RTUTF16 *pwsz, size_t cwc)
{
    size_t offStart = 0;
    for (size_t off = 0; off <= cwc; off++)
        if (off == cwc || isSeparator(pwsz[off]))
        {
            if (off - offStart == 2 && pwsz[offStart] == '.' && pwsz[offStart + 1] == '.')
                return true;
            offStart = off + 1;
        }
    return false;
}

/** How many runs of separators after the first position the answer and the
 * system directory agree on, walking both from the start. */
unsigned countAgreeingSeparatorRuns(const RTUTF16 *pwszResult, size_t cwcResult, const RTUTF16 *pwszSystemDir)
{
    unsigned cRuns = 0;
    bool fInRun = false;
    for (size_t off = 0; off < cwcResult && pwszSystemDir[off] != '\0'; off++)
    {
        if (!unitsAgree(pwszResult[off], pwszSystemDir[off]))
            break;
        bool const fSeparator = isSeparator(pwszResult[off]);
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
    if (hasParentComponent(pwszResult, cwcResult))
        return false;
    return countAgreeingSeparatorRuns(pwszResult, cwcResult, pwszSystemDir) >= 2;
}
