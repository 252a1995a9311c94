/** @file
 * Extended error information records: initialisation and the setters.
 */
#include <rt/errinfo.h>
#include <rt/string.h>

RTERRINFO *RTErrInfoInit(RTERRINFO *pErrInfo, char *pszBuf, size_t cbBuf)
{
    pErrInfo->rc = 0;
    pErrInfo->pszMsg = NULL;
    pErrInfo->pszMsgBuf = cbBuf ? pszBuf : NULL;
    pErrInfo->cbMsgBuf = pszBuf ? cbBuf : 0;
    if (pErrInfo->pszMsgBuf)
        pErrInfo->pszMsgBuf[0] = '\0';
    return pErrInfo;
}

void RTErrInfoClear(RTERRINFO *pErrInfo)
{
    if (!pErrInfo)
        return;
    pErrInfo->rc = 0;
    pErrInfo->pszMsg = NULL;
}

int RTErrInfoSet(RTERRINFO *pErrInfo, int rc, const char *pszMsg)
{
    if (!pErrInfo)
        return rc;
    pErrInfo->rc = rc;
    if (pErrInfo->pszMsgBuf && pszMsg)
    {
        /* A message too long for the room is kept cut, which is what it is for. */
        RTStrCopy(pErrInfo->pszMsgBuf, pErrInfo->cbMsgBuf, pszMsg);
        pErrInfo->pszMsg = pErrInfo->pszMsgBuf;
    }
    else
        pErrInfo->pszMsg = pszMsg;
    return rc;
}

int RTErrInfoSetF(RTERRINFO *pErrInfo, int rc, const char *pszFormat, ...)
{
    if (!pErrInfo)
        return rc;
    pErrInfo->rc = rc;
    pErrInfo->pszMsg = NULL;
    if (pErrInfo->pszMsgBuf)
    {
        va_list va;
        va_start(va, pszFormat);
        RTStrBufPrintfV(pErrInfo->pszMsgBuf, pErrInfo->cbMsgBuf, pszFormat, va);
        va_end(va);
        pErrInfo->pszMsg = pErrInfo->pszMsgBuf;
    }
    return rc;
}
