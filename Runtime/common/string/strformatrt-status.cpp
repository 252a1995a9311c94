/** @file
 * Status texts for the formatter: "%Rrc", "%Rrs", "%Rrf", "%Rra" (runtime
 * statuses), "%Rwc", "%Rwf", "%Rwa" (Win32 errors) and the error-info record
 * ("%RTeic", "%RTeim"). The texts come from the status renderers; a width
 * pads them like any other text.
 */
#include "internal/strformatrt.h"
#include <rt/errinfo.h>

namespace
{

/** Renders an item through the given output; @a pvItem is what to render. */
typedef size_t FNRENDER(const void *pvItem, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput);

size_t rtstrFmtStatusCountBytes(void *pvArg, const char *pach, size_t cb)
{
    (void)pach;
    *(size_t *)pvArg += cb;
    return cb;
}

/** Renders an item padded to the conversion's width, measuring it first when it must be right-aligned. */
size_t rtstrFmtStatusOutputPadded(const RTSTRFMTRT *pCtx, FNRENDER *pfnRender, const void *pvItem)
{
    if (pCtx->cchWidth <= 0)
        return pfnRender(pvItem, pCtx->pfnOutput, pCtx->pvArgOutput);
    size_t cchText = 0;
    pfnRender(pvItem, rtstrFmtStatusCountBytes, &cchText);
    int const cPad = (size_t)pCtx->cchWidth > cchText ? pCtx->cchWidth - (int)cchText : 0;
    size_t cbWritten = 0;
    if (!(pCtx->fFlags & RTFMT_F_LEFT))
        cbWritten += rtstrFormatPadded(pCtx->pfnOutput, pCtx->pvArgOutput, "", 0, cPad, 0);
    cbWritten += pfnRender(pvItem, pCtx->pfnOutput, pCtx->pvArgOutput);
    if (pCtx->fFlags & RTFMT_F_LEFT)
        cbWritten += rtstrFormatPadded(pCtx->pfnOutput, pCtx->pvArgOutput, "", 0, cPad, 0);
    return cbWritten;
}

/** A status with the renderer that prints it. */
struct STATUSITEM
{
    int32_t rc;
    size_t (*pfnText)(int32_t rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp);
};

size_t rtstrFmtStatusRender(const void *pvItem, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput)
{
    const STATUSITEM *pItem = (const STATUSITEM *)pvItem;
    char szTmp[RTSTR_NUMBER_BUF_SIZE];
    return pItem->pfnText(pItem->rc, pfnOutput, pvArgOutput, szTmp, sizeof(szTmp));
}

size_t rtstrFmtStatusName(int32_t rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    return RTErrFormatName(rc, pfnOutput, pvArgOutput, pszTmp, cbTmp);
}

size_t rtstrFmtStatusMsg(int32_t rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    return RTErrFormatMsg(rc, pfnOutput, pvArgOutput, pszTmp, cbTmp);
}

size_t rtstrFmtStatusAll(int32_t rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    return RTErrFormatMsgAll(rc, pfnOutput, pvArgOutput, pszTmp, cbTmp);
}

/** The status renderer for the letter after "%Rr", or null. */
STATUSITEM rtstrFmtStatusFormFor(char chForm)
{
    switch (chForm)
    {
        case 'c':
            return {0, rtstrFmtStatusName};
        case 's':
        case 'f':
            return {0, rtstrFmtStatusMsg};
        case 'a':
            return {0, rtstrFmtStatusAll};
        default:
            return {0, nullptr};
    }
}

/** The Win32 error renderer for the letter after "%Rw", or null. */
STATUSITEM rtstrFmtStatusWinErrorFormFor(char chForm)
{
    switch (chForm)
    {
        case 'c':
        case 'f':
            return {0, RTErrWinFormatName};
        case 'a':
            return {0, RTErrWinFormatAll};
        default:
            return {0, nullptr};
    }
}

size_t rtstrFmtStatusFamily(const RTSTRFMTRT *pCtx, const char **ppszFormat, STATUSITEM Item)
{
    if (!Item.pfnText)
    {
        (*ppszFormat)++;
        return 0;
    }
    *ppszFormat += 2;
    Item.rc = va_arg(*pCtx->pArgs, int32_t);
    return rtstrFmtStatusOutputPadded(pCtx, rtstrFmtStatusRender, &Item);
}

struct ERRINFOITEM
{
    const RTERRINFO *pErrInfo;
    bool fWithStatus; /**< "%RTeic": the status's name before the message. */
};

size_t rtstrFmtStatusRenderErrInfo(const void *pvItem, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput)
{
    const ERRINFOITEM *pItem = (const ERRINFOITEM *)pvItem;
    const char *pszMsg = pItem->pErrInfo->pszMsg;
    bool const fMsg = pszMsg && (!RT_VALID_PTR(pszMsg) || *pszMsg);
    char szTmp[RTSTR_NUMBER_BUF_SIZE];
    size_t cbWritten = 0;
    if (pItem->fWithStatus || !fMsg)
        cbWritten += RTErrFormatName(pItem->pErrInfo->rc, pfnOutput, pvArgOutput, szTmp, sizeof(szTmp));
    if (!fMsg)
        return cbWritten;
    if (pItem->fWithStatus)
        cbWritten += pfnOutput(pvArgOutput, ": ", 2);
    if (!RT_VALID_PTR(pszMsg))
        return cbWritten + rtstrFormatBadPointer(pfnOutput, pvArgOutput, pszMsg, 0, 0, "!BadStr");
    return cbWritten + pfnOutput(pvArgOutput, pszMsg, RTStrLen(pszMsg));
}

} // namespace

size_t rtstrFormatRtStatus(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    return rtstrFmtStatusFamily(pCtx, ppszFormat, rtstrFmtStatusFormFor((*ppszFormat)[1]));
}

size_t rtstrFormatRtWinError(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    return rtstrFmtStatusFamily(pCtx, ppszFormat, rtstrFmtStatusWinErrorFormFor((*ppszFormat)[1]));
}

size_t rtstrFormatRtErrInfo(const RTSTRFMTRT *pCtx, const void *pvErrInfo, bool fWithStatus)
{
    if (!rtstrFmtIsReadable(pvErrInfo, sizeof(RTERRINFO)))
        return rtstrFormatBadPointer(pCtx->pfnOutput, pCtx->pvArgOutput, pvErrInfo, pCtx->cchWidth, pCtx->fFlags,
                                     "!BadErrInfo");
    ERRINFOITEM const Item = {(const RTERRINFO *)pvErrInfo, fWithStatus};
    return rtstrFmtStatusOutputPadded(pCtx, rtstrFmtStatusRenderErrInfo, &Item);
}
