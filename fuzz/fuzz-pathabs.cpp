/** @file
 * Fuzzes RTPathAbsEx with fuzzed path, base, flags, current directory and
 * destination size. Checks: nothing is written past the size (the destination
 * is an exactly sized heap block); an overflow reports a size that is enough
 * on retry; a result is exactly as long as reported, uses only '\' in DOS
 * style, and made absolute again comes back unchanged (but for the case of a
 * drive letter, which only absolute paths get upper-cased).
 *
 * Input: byte 0 selects the flags and the current directory, bytes 1-2 the
 * destination size; the rest is the base, a NUL, then the path (no base when
 * the flags byte says so).
 */
#include <stdlib.h>
#include <string.h>
#include <string>
#include <rt/path.h>
#include "internal/path-shim.h"

namespace
{

const char *const g_apszCwds[] = {"C:\\work", "\\\\srv\\share\\dir", "D:\\", "c:\\a\\b\\c"};

void check(bool f, const char *pszWhat)
{
    if (!f)
    {
        fprintf(stderr, "check failed: %s\n", pszWhat);
        abort();
    }
}

int absInto(const char *pszBase, const char *pszPath, uint32_t fFlags, size_t cb, std::string *pOut, size_t *pcb)
{
    char *psz = (char *)malloc(cb ? cb : 1);
    *pcb = cb;
    int rc = RTPathAbsEx(pszBase, pszPath, fFlags, psz, pcb);
    pOut->assign(psz, cb ? strnlen(psz, cb) : 0);
    free(psz);
    return rc;
}

bool sameButDriveCase(const std::string &A, const std::string &B)
{
    if (A.size() != B.size())
        return false;
    if (A.size() >= 2 && A[1] == ':')
        return (A[0] | 0x20) == (B[0] | 0x20) && A.compare(1, std::string::npos, B, 1, std::string::npos) == 0;
    return A == B;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    if (cb < 3)
        return 0;
    uint8_t const bSel = pb[0];
    size_t const cbDst = (size_t)pb[1] | ((size_t)(pb[2] & 0x0f) << 8);
    std::string Rest((const char *)pb + 3, cb - 3);

    uint32_t fFlags = bSel & RTPATH_STYLE_MASK;
    if (bSel & 0x04)
        fFlags |= RTPATHABS_F_STOP_AT_BASE;
    if (bSel & 0x08)
        fFlags |= RTPATHABS_F_STOP_AT_CWD;
    if (bSel & 0x10)
        fFlags |= RTPATHABS_F_ENSURE_TRAILING_SLASH;
    bool const fBase = (bSel & 0x20) != 0;
    rtPathShimReset();
    rtPathShimSetCurrent(g_apszCwds[bSel >> 6]);
    rtPathShimSetDriveCurrent('E', "E:\\data\\x");

    std::string Base, Path = Rest;
    if (fBase)
    {
        size_t off = Rest.find('\0');
        Base = Rest.substr(0, off);
        Path = off == std::string::npos ? std::string() : Rest.substr(off + 1);
    }
    Path = Path.c_str(); /* up to the first NUL */
    const char *pszBase = fBase ? Base.c_str() : NULL;

    std::string Out;
    size_t cbResult;
    int rc = absInto(pszBase, Path.c_str(), fFlags, cbDst, &Out, &cbResult);
    if (rc == ERR_BUFFER_OVERFLOW)
    {
        check(cbResult > cbDst, "overflow asks for more room");
        size_t const cbRetry = cbResult;
        rc = absInto(pszBase, Path.c_str(), fFlags, cbRetry, &Out, &cbResult);
        check(rc == INF_SUCCESS, "the size asked for is enough");
        check(cbResult < cbRetry, "result fits the size asked for");
    }
    else if (RT_FAILURE(rc))
        check(Out.empty(), "failure leaves an empty destination");
    if (RT_FAILURE(rc))
        return 0;

    check(Out.size() == cbResult, "reported length");
    if ((fFlags & RTPATH_STYLE_MASK) != RTPATH_STYLE_UNIX)
        check(Out.find('/') == std::string::npos, "DOS output uses '\\' only");

    std::string Again;
    size_t cbAgain;
    rc = absInto(NULL, Out.c_str(), fFlags & RTPATH_STYLE_MASK, Out.size() + 1, &Again, &cbAgain);
    check(rc == INF_SUCCESS, "result made absolute again");
    check(sameButDriveCase(Out, Again), "absolute result is stable");
    return 0;
}
