/** @file
 * Network addresses for the "%R" named types: IPv4, IPv6 (with the longest
 * run of zero groups compressed to "::"), MAC addresses and the tagged
 * network address record.
 */
#include "internal/strformatrt.h"
#include <rt/net.h>

namespace
{

void rtstrFmtNetAddDecimal(RTSTRFMTBUF *pBuf, uint32_t u)
{
    rtstrFmtBufAddNum(pBuf, u, 10, 0, 0);
}

void rtstrFmtNetAddHexByte(RTSTRFMTBUF *pBuf, uint8_t b)
{
    rtstrFmtBufAddNum(pBuf, b, 16, 2, RTFMT_F_ZEROPAD);
}

void rtstrFmtNetAddIPv4(RTSTRFMTBUF *pBuf, const uint8_t *pbAddr)
{
    for (unsigned i = 0; i < 4; i++)
    {
        if (i)
            rtstrFmtBufAddCh(pBuf, '.');
        rtstrFmtNetAddDecimal(pBuf, pbAddr[i]);
    }
}

/** The text of RFC 5952: lower case, no leading zeros, the first longest run
 * of two or more zero groups written as "::". */
void rtstrFmtNetAddIPv6(RTSTRFMTBUF *pBuf, const uint8_t *pbAddr)
{
    uint16_t au16Groups[8];
    for (unsigned i = 0; i < 8; i++)
        au16Groups[i] = (uint16_t)(pbAddr[2 * i] << 8 | pbAddr[2 * i + 1]);

    unsigned idxRun = 8, cRun = 0;
    for (unsigned i = 0; i < 8;)
    {
        unsigned iEnd = i;
        while (iEnd < 8 && au16Groups[iEnd] == 0)
            iEnd++;
        if (iEnd - i > cRun)
        {
            idxRun = i;
            cRun = iEnd - i;
        }
        i = iEnd > i ? iEnd : i + 1;
    }
    if (cRun < 2)
        idxRun = 8; /* a single zero group is written out */

    bool fAfterGap = false;
    for (unsigned i = 0; i < 8; i++)
    {
        if (i == idxRun)
        {
            rtstrFmtBufAddStr(pBuf, "::");
            i += cRun - 1;
            fAfterGap = true;
            continue;
        }
        if (i > 0 && !fAfterGap)
            rtstrFmtBufAddCh(pBuf, ':');
        fAfterGap = false;
        rtstrFmtBufAddNum(pBuf, au16Groups[i], 16, 0, 0);
    }
}

void rtstrFmtNetAddMac(RTSTRFMTBUF *pBuf, const uint8_t *pbMac)
{
    for (unsigned i = 0; i < 6; i++)
    {
        if (i)
            rtstrFmtBufAddCh(pBuf, ':');
        rtstrFmtNetAddHexByte(pBuf, pbMac[i]);
    }
}

void rtstrFmtNetAddPort(RTSTRFMTBUF *pBuf, uint32_t uPort)
{
    rtstrFmtBufAddCh(pBuf, ':');
    rtstrFmtNetAddDecimal(pBuf, uPort);
}

size_t rtstrFmtNetOutputBadPointer(const RTSTRFMTRT *pCtx, const void *pv, const char *pszMarker)
{
    return rtstrFormatBadPointer(pCtx->pfnOutput, pCtx->pvArgOutput, pv, pCtx->cchWidth, pCtx->fFlags, pszMarker);
}

} // namespace

size_t rtstrFormatRtIPv4(const RTSTRFMTRT *pCtx, uint32_t u32Addr)
{
    RTSTRFMTBUF Buf = {};
    rtstrFmtNetAddIPv4(&Buf, (const uint8_t *)&u32Addr); /* the bytes as they lie in memory */
    return rtstrFmtBufOutputPadded(pCtx, &Buf);
}

size_t rtstrFormatRtIPv6(const RTSTRFMTRT *pCtx, const void *pvAddr)
{
    if (!rtstrFmtIsReadable(pvAddr, sizeof(RTNETADDRIPV6)))
        return rtstrFmtNetOutputBadPointer(pCtx, pvAddr, "!BadIPv6");
    RTSTRFMTBUF Buf = {};
    rtstrFmtNetAddIPv6(&Buf, (const uint8_t *)pvAddr);
    return rtstrFmtBufOutputPadded(pCtx, &Buf);
}

size_t rtstrFormatRtMac(const RTSTRFMTRT *pCtx, const void *pvMac)
{
    if (!rtstrFmtIsReadable(pvMac, sizeof(RTMAC)))
        return rtstrFmtNetOutputBadPointer(pCtx, pvMac, "!BadMac");
    RTSTRFMTBUF Buf = {};
    rtstrFmtNetAddMac(&Buf, (const uint8_t *)pvMac);
    return rtstrFmtBufOutputPadded(pCtx, &Buf);
}

size_t rtstrFormatRtNetAddr(const RTSTRFMTRT *pCtx, const void *pvNetAddr)
{
    if (!rtstrFmtIsReadable(pvNetAddr, sizeof(RTNETADDR)))
        return rtstrFmtNetOutputBadPointer(pCtx, pvNetAddr, "!BadNetAddr");
    const RTNETADDR *pAddr = (const RTNETADDR *)pvNetAddr;
    bool const fPort = pAddr->uPort != RTNETADDR_PORT_NA;
    RTSTRFMTBUF Buf = {};
    switch (pAddr->enmType)
    {
        case RTNETADDRTYPE_IPV4:
            rtstrFmtNetAddIPv4(&Buf, pAddr->uAddr.au8);
            if (fPort)
                rtstrFmtNetAddPort(&Buf, pAddr->uPort);
            break;
        case RTNETADDRTYPE_IPV6:
            if (fPort)
                rtstrFmtBufAddCh(&Buf, '[');
            rtstrFmtNetAddIPv6(&Buf, pAddr->uAddr.au8);
            if (fPort)
            {
                rtstrFmtBufAddCh(&Buf, ']');
                rtstrFmtNetAddPort(&Buf, pAddr->uPort);
            }
            break;
        case RTNETADDRTYPE_MAC:
            rtstrFmtNetAddMac(&Buf, pAddr->uAddr.au8);
            break;
        default:
            rtstrFmtBufAddStr(&Buf, "unsupported-netaddr-type=");
            rtstrFmtNetAddDecimal(&Buf, (uint32_t)pAddr->enmType);
            break;
    }
    return rtstrFmtBufOutputPadded(pCtx, &Buf);
}
