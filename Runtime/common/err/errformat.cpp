/** @file
 * Status and Windows error texts for the formatter's "%Rr" and "%Rw" conversions.
 */
#include <rt/string.h>
#include "internal/err.h"

namespace
{

/** One entry of the Windows error name table. */
struct RTWINERRNAME
{
    uint32_t uValue;
    const char *pszName;
    uint8_t cchName;
};

/** Win32 error names, sorted by ascending value. Only success is named: other
 * Win32 errors print as numbers, which is what a reader can look up. */
const RTWINERRNAME g_aWinErrNames[] = {
    {0, "ERROR_SUCCESS", sizeof("ERROR_SUCCESS") - 1},
};

/** HRESULTs of facility FACILITY_WIN32 (7) wrap a Win32 error in their low 16 bits. */
const uint32_t g_fHResultFacilityMask = UINT32_C(0x1fff0000);
const uint32_t g_fHResultFacilityWin32 = UINT32_C(0x00070000);

size_t rtErrOutput(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *pch, size_t cch)
{
    /* A zero-length write with a null pointer would mean "end of output". */
    return cch ? pfnOutput(pvArgOutput, pch, cch) : 0;
}

size_t rtErrOutputStr(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *psz)
{
    return rtErrOutput(pfnOutput, pvArgOutput, psz, RTStrLen(psz));
}

/** Formats a number into the caller's scratch buffer, or into a local one when
 * the caller's is missing or too small for the number routine. */
size_t rtErrOutputNumber(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, uint64_t u64Value, unsigned uiBase,
                         unsigned fFlags, char *pszTmp, size_t cbTmp)
{
    char szLocal[RTSTR_NUMBER_BUF_SIZE];
    char *pszNum = RT_VALID_PTR(pszTmp) && cbTmp >= RTSTR_NUMBER_BUF_SIZE ? pszTmp : szLocal;
    int cch = RTStrFmtNumber(pszNum, u64Value, uiBase, 0, 0, fFlags);
    return rtErrOutput(pfnOutput, pvArgOutput, pszNum, cch > 0 ? (size_t)cch : 0);
}

/** The status in signed decimal, e.g. "-1234". */
size_t rtErrOutputDecimal(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, int32_t iValue, char *pszTmp, size_t cbTmp)
{
    return rtErrOutputNumber(pfnOutput, pvArgOutput, (uint64_t)(int64_t)iValue, 10, RTFMT_F_SIGNED, pszTmp, cbTmp);
}

/** The 32-bit two's complement in hexadecimal with "0x", e.g. "0xfffffb2e". */
size_t rtErrOutputHex(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, uint32_t uValue, char *pszTmp, size_t cbTmp)
{
    return rtErrOutputNumber(pfnOutput, pvArgOutput, uValue, 16, RTFMT_F_PREFIX, pszTmp, cbTmp);
}

/** The entry's symbolic name, e.g. "ERR_FILE_NOT_FOUND". */
size_t rtErrOutputStatusName(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const RTSTATUSMSG *pEntry)
{
    size_t cb = rtErrOutputStr(pfnOutput, pvArgOutput, rtErrStatusMsgNamePrefix(pEntry));
    return cb + rtErrOutputStr(pfnOutput, pvArgOutput, rtErrStatusMsgNameRest(pEntry));
}

/** The entry's message text, e.g. "file not found". */
size_t rtErrOutputStatusMsg(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const RTSTATUSMSG *pEntry)
{
    char szSpelled[RTSTATUSMSG_TEXT_BUF];
    return rtErrOutputStr(pfnOutput, pvArgOutput, rtErrStatusMsgText(pEntry, szSpelled));
}

size_t rtErrOutputUnknownStatus(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, int rc, char *pszTmp, size_t cbTmp)
{
    size_t cb = rtErrOutputStr(pfnOutput, pvArgOutput, "Unknown Status ");
    cb += rtErrOutputDecimal(pfnOutput, pvArgOutput, rc, pszTmp, cbTmp);
    cb += rtErrOutputStr(pfnOutput, pvArgOutput, " (");
    cb += rtErrOutputHex(pfnOutput, pvArgOutput, (uint32_t)rc, pszTmp, cbTmp);
    cb += rtErrOutputStr(pfnOutput, pvArgOutput, ")");
    return cb;
}

const RTWINERRNAME *rtErrFindWinErrName(uint32_t uValue)
{
    return rtErrTableFind(g_aWinErrNames, RT_ELEMENTS(g_aWinErrNames), &RTWINERRNAME::uValue, uValue);
}

/** Looks a Win32 value up directly, then as an HRESULT wrapping a Win32 error.
 * *pfWrapped tells which of the two found it. */
const RTWINERRNAME *rtErrFindWinErrNameOrHResult(uint32_t uValue, bool *pfWrapped)
{
    *pfWrapped = false;
    const RTWINERRNAME *pEntry = rtErrFindWinErrName(uValue);
    if (!pEntry && (uValue & g_fHResultFacilityMask) == g_fHResultFacilityWin32)
    {
        pEntry = rtErrFindWinErrName(uValue & UINT32_C(0xffff));
        *pfWrapped = pEntry != NULL;
    }
    return pEntry;
}

} /* namespace */

const RTSTATUSMSG *rtErrFindStatusMsg(int rc)
{
    return rtErrTableFind(g_aRTStatusMsgs, g_cRTStatusMsgs, &RTSTATUSMSG::iValue, rc);
}

size_t RTErrFormatName(int rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    const RTSTATUSMSG *pEntry = rtErrFindStatusMsg(rc);
    if (pEntry)
        return rtErrOutputStatusName(pfnOutput, pvArgOutput, pEntry);
    return rtErrOutputDecimal(pfnOutput, pvArgOutput, rc, pszTmp, cbTmp);
}

size_t RTErrFormatMsg(int rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    const RTSTATUSMSG *pEntry = rtErrFindStatusMsg(rc);
    if (pEntry)
        return rtErrOutputStatusMsg(pfnOutput, pvArgOutput, pEntry);
    return rtErrOutputUnknownStatus(pfnOutput, pvArgOutput, rc, pszTmp, cbTmp);
}

size_t RTErrFormatMsgAll(int rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    const RTSTATUSMSG *pEntry = rtErrFindStatusMsg(rc);
    if (!pEntry)
        return rtErrOutputUnknownStatus(pfnOutput, pvArgOutput, rc, pszTmp, cbTmp);
    size_t cb = rtErrOutputStatusName(pfnOutput, pvArgOutput, pEntry);
    cb += rtErrOutputStr(pfnOutput, pvArgOutput, " (");
    cb += rtErrOutputDecimal(pfnOutput, pvArgOutput, rc, pszTmp, cbTmp);
    cb += rtErrOutputStr(pfnOutput, pvArgOutput, ") - ");
    cb += rtErrOutputStatusMsg(pfnOutput, pvArgOutput, pEntry);
    return cb;
}

size_t RTErrWinFormatName(int32_t rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    bool fWrapped;
    const RTWINERRNAME *pEntry = rtErrFindWinErrNameOrHResult((uint32_t)rc, &fWrapped);
    if (!pEntry)
        return rtErrOutputHex(pfnOutput, pvArgOutput, (uint32_t)rc, pszTmp, cbTmp);
    size_t cb = rtErrOutput(pfnOutput, pvArgOutput, pEntry->pszName, pEntry->cchName);
    if (fWrapped)
    {
        cb += rtErrOutputStr(pfnOutput, pvArgOutput, "/");
        cb += rtErrOutputHex(pfnOutput, pvArgOutput, (uint32_t)rc, pszTmp, cbTmp);
    }
    return cb;
}

size_t RTErrWinFormatAll(int32_t rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    bool fWrapped;
    const RTWINERRNAME *pEntry = rtErrFindWinErrNameOrHResult((uint32_t)rc, &fWrapped);
    if (!pEntry)
    {
        size_t cb = rtErrOutputStr(pfnOutput, pvArgOutput, "Unknown Status ");
        return cb + rtErrOutputHex(pfnOutput, pvArgOutput, (uint32_t)rc, pszTmp, cbTmp);
    }
    size_t cb = rtErrOutput(pfnOutput, pvArgOutput, pEntry->pszName, pEntry->cchName);
    cb += rtErrOutputStr(pfnOutput, pvArgOutput, " (");
    cb += rtErrOutputHex(pfnOutput, pvArgOutput, (uint32_t)rc, pszTmp, cbTmp);
    cb += rtErrOutputStr(pfnOutput, pvArgOutput, ")");
    return cb;
}
