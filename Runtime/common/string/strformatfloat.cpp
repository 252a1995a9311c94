/** @file
 * Floating-point values for the formatter, printed as their sign, mantissa
 * bits and exponent so the text is exact and needs no floating-point code.
 */
#include "internal/strformatfloat.h"

namespace
{

uint64_t const g_fMantissaMask = (UINT64_C(1) << 52) - 1;
uint64_t const g_fQuietNanBit = UINT64_C(1) << 51;
unsigned const g_uExponentAllOnes = 0x7ff;
int const g_iExponentBias = 1023;

int rtstrFmtFloatAppendText(char *psz, int off, const char *pszText)
{
    while (*pszText)
        psz[off++] = *pszText++;
    psz[off] = '\0';
    return off;
}

int rtstrFmtFloatAppendMantissa(char *psz, int off, uint64_t uMantissa)
{
    off = rtstrFmtFloatAppendText(psz, off, "0x");
    return off + RTStrFmtNumber(&psz[off], uMantissa, 16, 0, 13, 0);
}

} // namespace

int rtstrFormatR64(char *psz, double rd)
{
    uint64_t uBits;
    __builtin_memcpy(&uBits, &rd, sizeof(uBits));
    uint64_t const uMantissa = uBits & g_fMantissaMask;
    unsigned const uExponent = (unsigned)(uBits >> 52) & g_uExponentAllOnes;

    psz[0] = uBits >> 63 ? '-' : '+';
    psz[1] = '\0';
    if (uExponent == g_uExponentAllOnes)
    {
        if (!uMantissa)
            return rtstrFmtFloatAppendText(psz, 1, "Inf");
        return rtstrFmtFloatAppendText(psz, 1, uMantissa & g_fQuietNanBit ? "QNan" : "SNan");
    }
    if (uExponent == 0)
    {
        if (!uMantissa)
            return rtstrFmtFloatAppendText(psz, 1, "0");
        return rtstrFmtFloatAppendMantissa(psz, rtstrFmtFloatAppendText(psz, 1, "0m"), uMantissa);
    }
    int off = rtstrFmtFloatAppendMantissa(psz, rtstrFmtFloatAppendText(psz, 1, "1m"), uMantissa);
    off = rtstrFmtFloatAppendText(psz, off, "^");
    int64_t const iExponent = (int64_t)uExponent - g_iExponentBias;
    return off + RTStrFmtNumber(&psz[off], (uint64_t)iExponent, 10, 0, 0, RTFMT_F_SIGNED | RTFMT_F_64BIT);
}
