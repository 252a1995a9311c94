/** @file
 * Register pretty-printing for the formatter: "%RA<arch>[<register>]" takes
 * the register's value as a 64-bit argument and prints the names of its set
 * flag bits in braces, e.g. "%RAx86[cr4]" of 0x2003 gives "{VME,PVI,VMXE}".
 * Set bits without a name follow as "unkn=0x..."; a value of 0 gives "{}".
 * Known: "x86" and "amd64" with "cr0" and "cr4". A well-formed conversion for
 * an unknown architecture or register takes its argument and prints nothing.
 */
#include "internal/strformatrt.h"
#include <rt/x86.h>

namespace
{

struct REGBIT
{
    uint32_t fBit;
    const char *pszName;
};

const REGBIT g_aCr0Bits[] = {
    {X86_CR0_PE, "PE"}, {X86_CR0_MP, "MP"}, {X86_CR0_EM, "EM"}, {X86_CR0_TS, "TS"},
    {X86_CR0_ET, "ET"}, {X86_CR0_NE, "NE"}, {X86_CR0_WP, "WP"}, {X86_CR0_AM, "AM"},
    {X86_CR0_NW, "NW"}, {X86_CR0_CD, "CD"}, {X86_CR0_PG, "PG"},
};

const REGBIT g_aCr4Bits[] = {
    {X86_CR4_VME, "VME"},
    {X86_CR4_PVI, "PVI"},
    {X86_CR4_TSD, "TSD"},
    {X86_CR4_DE, "DE"},
    {X86_CR4_PSE, "PSE"},
    {X86_CR4_PAE, "PAE"},
    {X86_CR4_MCE, "MCE"},
    {X86_CR4_PGE, "PGE"},
    {X86_CR4_PCE, "PCE"},
    {X86_CR4_OSFXSR, "OSFXSR"},
    {X86_CR4_OSXMMEXCPT, "OSXMMEXCPT"},
    {X86_CR4_UMIP, "UMIP"},
    {X86_CR4_LA57, "LA57"},
    {X86_CR4_VMXE, "VMXE"},
    {X86_CR4_SMXE, "SMXE"},
    {X86_CR4_FSGSBASE, "FSGSBASE"},
    {X86_CR4_PCIDE, "PCIDE"},
    {X86_CR4_OSXSAVE, "OSXSAVE"},
    {X86_CR4_SMEP, "SMEP"},
    {X86_CR4_SMAP, "SMAP"},
    {X86_CR4_PKE, "PKE"},
    {X86_CR4_CET, "CET"},
    {X86_CR4_PKS, "PKS"},
};

struct REGDESC
{
    const char *pszName;
    const REGBIT *paBits;
    size_t cBits;
};

const REGDESC g_aX86Registers[] = {
    {"cr0", g_aCr0Bits, RT_ELEMENTS(g_aCr0Bits)},
    {"cr4", g_aCr4Bits, RT_ELEMENTS(g_aCr4Bits)},
};

/** True when the @a cch bytes at @a pch are exactly @a psz. */
bool rtstrFmtRegEqualsText(const char *pch, size_t cch, const char *psz)
{
    return RTStrNLen(psz, cch + 1) == cch && rtstrFmtMatchForm(pch, psz) == cch;
}

const REGDESC *rtstrFmtRegFindRegister(const char *pchArch, size_t cchArch, const char *pchReg, size_t cchReg)
{
    if (!rtstrFmtRegEqualsText(pchArch, cchArch, "x86") && !rtstrFmtRegEqualsText(pchArch, cchArch, "amd64"))
        return nullptr;
    for (const REGDESC &Reg : g_aX86Registers)
        if (rtstrFmtRegEqualsText(pchReg, cchReg, Reg.pszName))
            return &Reg;
    return nullptr;
}

/** Scans to @a chEnd; false when the format ends or another conversion starts first. */
bool rtstrFmtRegScanTo(const char **ppch, char chEnd)
{
    const char *pch = *ppch;
    while (*pch && *pch != chEnd && *pch != '%' && *pch != '[' && *pch != ']')
        pch++;
    *ppch = pch;
    return *pch == chEnd;
}

size_t rtstrFmtRegOutputText(const RTSTRFMTRT *pCtx, const char *psz)
{
    return pCtx->pfnOutput(pCtx->pvArgOutput, psz, RTStrLen(psz));
}

size_t rtstrFmtRegOutputFlags(const RTSTRFMTRT *pCtx, const REGDESC *pReg, uint64_t uValue)
{
    size_t cbWritten = rtstrFmtRegOutputText(pCtx, "{");
    bool fFirst = true;
    for (size_t i = 0; i < pReg->cBits; i++)
        if (uValue & pReg->paBits[i].fBit)
        {
            if (!fFirst)
                cbWritten += rtstrFmtRegOutputText(pCtx, ",");
            cbWritten += rtstrFmtRegOutputText(pCtx, pReg->paBits[i].pszName);
            uValue &= ~(uint64_t)pReg->paBits[i].fBit;
            fFirst = false;
        }
    if (uValue)
    {
        char szNum[RTSTR_NUMBER_BUF_SIZE];
        int cch = RTStrFmtNumber(szNum, uValue, 16, 0, 0, RTFMT_F_PREFIX);
        cbWritten += rtstrFmtRegOutputText(pCtx, fFirst ? "unkn=" : ",unkn=");
        cbWritten += pCtx->pfnOutput(pCtx->pvArgOutput, szNum, (size_t)cch);
    }
    return cbWritten + rtstrFmtRegOutputText(pCtx, "}");
}

} // namespace

size_t rtstrFormatRtRegister(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    const char *pchArch = *ppszFormat + 1;
    const char *pch = pchArch;
    if (!rtstrFmtRegScanTo(&pch, '['))
    {
        (*ppszFormat)++;
        return 0;
    }
    size_t const cchArch = (size_t)(pch - pchArch);
    const char *pchReg = ++pch;
    if (!rtstrFmtRegScanTo(&pch, ']'))
    {
        (*ppszFormat)++;
        return 0;
    }
    size_t const cchReg = (size_t)(pch - pchReg);
    *ppszFormat = pch + 1;

    uint64_t const uValue = va_arg(*pCtx->pArgs, uint64_t);
    const REGDESC *pReg = rtstrFmtRegFindRegister(pchArch, cchArch, pchReg, cchReg);
    return pReg ? rtstrFmtRegOutputFlags(pCtx, pReg, uValue) : 0;
}
