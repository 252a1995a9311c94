/** @file
 * The "%R" conversions: the family dispatcher, the named runtime types
 * ("%RU64", "%RTbool", "%RTuuid", ...) and the small helpers the family
 * renderers share.
 */
#include "internal/strformatrt.h"
#include <rt/time.h>
#include <rt/uuid.h>
#include <rt/x86.h>

/*
 * Shared helpers.
 */

void rtstrFmtBufAddCh(RTSTRFMTBUF *pBuf, char ch)
{
    if (pBuf->cch < sizeof(pBuf->ach))
        pBuf->ach[pBuf->cch++] = ch;
}

void rtstrFmtBufAddStr(RTSTRFMTBUF *pBuf, const char *psz)
{
    while (*psz)
        rtstrFmtBufAddCh(pBuf, *psz++);
}

void rtstrFmtBufAddNum(RTSTRFMTBUF *pBuf, uint64_t uValue, unsigned uiBase, int cchWidth, unsigned fFlags)
{
    char szNum[RTSTR_NUMBER_BUF_SIZE];
    RTStrFmtNumber(szNum, uValue, uiBase, cchWidth, 0, fFlags);
    rtstrFmtBufAddStr(pBuf, szNum);
}

size_t rtstrFmtBufOutputPadded(const RTSTRFMTRT *pCtx, const RTSTRFMTBUF *pBuf)
{
    return rtstrFormatPadded(pCtx->pfnOutput, pCtx->pvArgOutput, pBuf->ach, pBuf->cch, pCtx->cchWidth, pCtx->fFlags);
}

size_t rtstrFmtMatchForm(const char *psz, const char *pszForm)
{
    size_t off = 0;
    while (pszForm[off])
    {
        if (psz[off] != pszForm[off]) /* also stops at the end of psz */
            return 0;
        off++;
    }
    return off;
}

bool rtstrFmtIsReadable(const void *pv, size_t cb)
{
    if (!RT_VALID_PTR(pv))
        return false;
    if (cb == 0)
        return true;
    uintptr_t const uFirst = (uintptr_t)pv;
    if (cb - 1 > UINTPTR_MAX - uFirst) /* wraps around */
        return false;
    return RT_VALID_PTR(uFirst + (cb - 1));
}

namespace
{

/*
 * Named types.
 */

enum NAMEDKIND : uint8_t
{
    kNumber,   /**< The number routine with the format's and the row's flags. */
    kFixedHex, /**< Zero-padded to two digits per byte unless a width is given. */
    kHidden,   /**< A value that must not appear in output (kernel addresses). */
    kBool,
    kFarPtr,
    kIPv4,
    kIPv6,
    kMac,
    kNetAddr,
    kUuid,
    kErrInfoAll, /**< Status name and message. */
    kErrInfoMsg  /**< Message only. */
};

/** Argument size meaning "a pointer to the value". */
constexpr uint8_t kcbPointer = 0;

struct NAMEDTYPE
{
    const char *pszName; /**< The text after "%R". */
    uint8_t cbArg;       /**< Bytes the argument holds, or kcbPointer. */
    uint8_t uiBase;
    NAMEDKIND enmKind;
    bool fSigned;
};

const NAMEDTYPE g_aNamedTypes[] = {
    {"I8", 1, 10, kNumber, true},
    {"I16", 2, 10, kNumber, true},
    {"I32", 4, 10, kNumber, true},
    {"I64", 8, 10, kNumber, true},
    {"U8", 1, 10, kNumber, false},
    {"U16", 2, 10, kNumber, false},
    {"U32", 4, 10, kNumber, false},
    {"U64", 8, 10, kNumber, false},
    {"X8", 1, 16, kNumber, false},
    {"X16", 2, 16, kNumber, false},
    {"X32", 4, 16, kNumber, false},
    {"X64", 8, 16, kNumber, false},
    {"Ci", 4, 10, kNumber, true},
    {"Cu", 4, 10, kNumber, false},
    {"Cx", 4, 16, kNumber, false},
    {"Cp", 8, 16, kFixedHex, false},
    {"Cr", 4, 16, kFixedHex, false},
    {"Cv", 4, 16, kFixedHex, false},
    {"Gi", 8, 10, kNumber, true},
    {"Gu", 8, 10, kNumber, false},
    {"Gx", 8, 16, kNumber, false},
    {"Gp", 8, 16, kFixedHex, false},
    {"Gr", 8, 16, kFixedHex, false},
    {"Gv", 8, 16, kFixedHex, false},
    {"Hi", 4, 10, kNumber, true},
    {"Hu", 4, 10, kNumber, false},
    {"Hx", 4, 16, kNumber, false},
    {"Hp", 8, 16, kFixedHex, false},
    {"Hr", 4, 16, kFixedHex, false},
    {"Hv", 4, 16, kFixedHex, false},
    {"Kv", 4, 16, kHidden, false},
    {"Rv", 4, 16, kFixedHex, false},
    {"Tbool", 1, 10, kBool, false},
    {"Tfile", 4, 10, kNumber, false},
    {"Tsock", 4, 10, kNumber, false},
    {"Tuint", 4, 10, kNumber, false},
    {"Tfoff", 8, 10, kNumber, true},
    {"Tgid", 4, 10, kNumber, true},
    {"Tuid", 4, 10, kNumber, true},
    {"Tint", 4, 10, kNumber, true},
    {"Tfmode", 4, 16, kFixedHex, false},
    {"Tldrm", 4, 16, kFixedHex, false},
    {"Tnthrd", 4, 16, kFixedHex, false},
    {"Tproc", 4, 16, kFixedHex, false},
    {"Treg", 4, 16, kFixedHex, false},
    {"Tsem", 4, 16, kFixedHex, false},
    {"Tthrd", 4, 16, kFixedHex, false},
    {"Tino", 8, 16, kFixedHex, false},
    {"Tptr", 8, 16, kFixedHex, false},
    {"Tiop", 2, 16, kFixedHex, false},
    {"Tsel", 2, 16, kFixedHex, false},
    {"Tutf16", 2, 16, kFixedHex, false},
    {"Tunicp", 4, 16, kFixedHex, false},
    {"Txint", 4, 16, kNumber, false},
    {"Tfp16", 4, 16, kFarPtr, false},
    {"Tfp32", 6, 16, kFarPtr, false},
    {"Tfp64", 10, 16, kFarPtr, false},
    {"Tnaipv4", 4, 10, kIPv4, false},
    {"Tnaipv6", kcbPointer, 16, kIPv6, false},
    {"Tmac", kcbPointer, 16, kMac, false},
    {"Tnaddr", kcbPointer, 10, kNetAddr, false},
    {"Tuuid", kcbPointer, 16, kUuid, false},
    {"Teic", kcbPointer, 16, kErrInfoAll, false},
    {"Teim", kcbPointer, 16, kErrInfoMsg, false},
};

constexpr unsigned kfSizeFlags = RTFMT_F_8BIT | RTFMT_F_16BIT | RTFMT_F_32BIT | RTFMT_F_64BIT;

/** The entry with the longest name that @a pszText starts with, and that name's length. */
const NAMEDTYPE *rtstrFmtRtLookupNamedType(const char *pszText, size_t *pcchName)
{
    const NAMEDTYPE *pBest = nullptr;
    size_t cchBest = 0;
    for (const NAMEDTYPE &Type : g_aNamedTypes)
    {
        size_t cch = rtstrFmtMatchForm(pszText, Type.pszName);
        if (cch > cchBest)
        {
            pBest = &Type;
            cchBest = cch;
        }
    }
    *pcchName = cchBest;
    return pBest;
}

unsigned rtstrFmtRtSizeFlagsFor(unsigned cb)
{
    switch (cb)
    {
        case 1:
            return RTFMT_F_8BIT;
        case 2:
            return RTFMT_F_16BIT;
        case 4:
            return RTFMT_F_32BIT;
        default:
            return RTFMT_F_64BIT;
    }
}

/** Takes an integer argument of @a cb bytes; 1- and 2-byte values travel as 32 bits. */
uint64_t rtstrFmtRtFetchInteger(const RTSTRFMTRT *pCtx, unsigned cb)
{
    if (cb == 8)
        return va_arg(*pCtx->pArgs, uint64_t);
    uint32_t const u32 = va_arg(*pCtx->pArgs, uint32_t);
    if (cb == 1)
        return (uint8_t)u32;
    if (cb == 2)
        return (uint16_t)u32;
    return u32;
}

size_t rtstrFmtRtOutputNumber(const RTSTRFMTRT *pCtx, uint64_t uValue, unsigned uiBase, int cchWidth, int cchPrecision,
                              unsigned fFlags)
{
    char szNum[RTSTR_NUMBER_BUF_SIZE];
    int cch = RTStrFmtNumber(szNum, uValue, uiBase, cchWidth, cchPrecision, fFlags);
    return pCtx->pfnOutput(pCtx->pvArgOutput, szNum, (size_t)cch);
}

size_t rtstrFmtRtNumberKind(const RTSTRFMTRT *pCtx, const NAMEDTYPE *pType)
{
    uint64_t const uValue = rtstrFmtRtFetchInteger(pCtx, pType->cbArg);
    unsigned fFlags = (pCtx->fFlags & ~(kfSizeFlags | RTFMT_F_SIGNED)) | rtstrFmtRtSizeFlagsFor(pType->cbArg);
    if (pType->fSigned)
        fFlags |= RTFMT_F_SIGNED;
    return rtstrFmtRtOutputNumber(pCtx, uValue, pType->uiBase, pCtx->cchWidth, pCtx->cchPrecision, fFlags);
}

size_t rtstrFmtRtFixedHexKind(const RTSTRFMTRT *pCtx, const NAMEDTYPE *pType)
{
    uint64_t const uValue = rtstrFmtRtFetchInteger(pCtx, pType->cbArg);
    unsigned fFlags = (pCtx->fFlags & ~(kfSizeFlags | RTFMT_F_SIGNED)) | rtstrFmtRtSizeFlagsFor(pType->cbArg);
    int cchWidth = pCtx->cchWidth;
    if (!(fFlags & RTFMT_F_WIDTH))
    {
        /* The natural width: every digit of the type, plus the prefix when there is one. */
        cchWidth = pType->cbArg * 2 + (fFlags & RTFMT_F_PREFIX ? 2 : 0);
        fFlags = (fFlags & ~RTFMT_F_LEFT) | RTFMT_F_ZEROPAD;
    }
    return rtstrFmtRtOutputNumber(pCtx, uValue, 16, cchWidth, pCtx->cchPrecision, fFlags);
}

size_t rtstrFmtRtHiddenKind(const RTSTRFMTRT *pCtx)
{
    (void)va_arg(*pCtx->pArgs, uint32_t); /* taken, never shown */
    RTSTRFMTBUF Buf = {};
    rtstrFmtBufAddStr(&Buf, pCtx->fFlags & RTFMT_F_PREFIX ? "0xXXXXXXXX" : "XXXXXXXX");
    return rtstrFmtBufOutputPadded(pCtx, &Buf);
}

size_t rtstrFmtRtBoolKind(const RTSTRFMTRT *pCtx)
{
    uint64_t const uValue = rtstrFmtRtFetchInteger(pCtx, 1);
    RTSTRFMTBUF Buf = {};
    if (uValue == 1)
        rtstrFmtBufAddStr(&Buf, pCtx->fFlags & RTFMT_F_PREFIX ? "true " : "true"); /* '#' lines up with "false" */
    else if (uValue == 0)
        rtstrFmtBufAddStr(&Buf, "false");
    else
    {
        rtstrFmtBufAddCh(&Buf, '!');
        rtstrFmtBufAddNum(&Buf, uValue, 10, 0, RTFMT_F_SIGNED | RTFMT_F_64BIT);
        rtstrFmtBufAddCh(&Buf, '!');
    }
    return rtstrFmtBufOutputPadded(pCtx, &Buf);
}

size_t rtstrFmtRtFarPtrKind(const RTSTRFMTRT *pCtx, const NAMEDTYPE *pType)
{
    uint16_t uSel;
    uint64_t uOff;
    int cchOff;
    if (pType->cbArg == sizeof(RTFAR16))
    {
        RTFAR16 Far = va_arg(*pCtx->pArgs, RTFAR16);
        uSel = Far.sel, uOff = Far.off, cchOff = 4;
    }
    else if (pType->cbArg == sizeof(RTFAR32))
    {
        RTFAR32 Far = va_arg(*pCtx->pArgs, RTFAR32);
        uSel = Far.sel, uOff = Far.off, cchOff = 8;
    }
    else
    {
        RTFAR64 Far = va_arg(*pCtx->pArgs, RTFAR64);
        uSel = Far.sel, uOff = Far.off, cchOff = 16;
    }
    RTSTRFMTBUF Buf = {};
    rtstrFmtBufAddNum(&Buf, uSel, 16, 4, RTFMT_F_ZEROPAD);
    rtstrFmtBufAddCh(&Buf, ':');
    rtstrFmtBufAddNum(&Buf, uOff, 16, cchOff, RTFMT_F_ZEROPAD);
    return rtstrFmtBufOutputPadded(pCtx, &Buf);
}

size_t rtstrFmtRtUuidKind(const RTSTRFMTRT *pCtx)
{
    const RTUUID *pUuid = va_arg(*pCtx->pArgs, const RTUUID *);
    if (!rtstrFmtIsReadable(pUuid, sizeof(*pUuid)))
        return rtstrFormatBadPointer(pCtx->pfnOutput, pCtx->pvArgOutput, pUuid, pCtx->cchWidth, pCtx->fFlags,
                                     "!BadUuid");
    RTSTRFMTBUF Buf = {};
    rtstrFmtBufAddNum(&Buf, pUuid->Gen.u32TimeLow, 16, 8, RTFMT_F_ZEROPAD);
    rtstrFmtBufAddCh(&Buf, '-');
    rtstrFmtBufAddNum(&Buf, pUuid->Gen.u16TimeMid, 16, 4, RTFMT_F_ZEROPAD);
    rtstrFmtBufAddCh(&Buf, '-');
    rtstrFmtBufAddNum(&Buf, pUuid->Gen.u16TimeHiAndVersion, 16, 4, RTFMT_F_ZEROPAD);
    rtstrFmtBufAddCh(&Buf, '-');
    rtstrFmtBufAddNum(&Buf, pUuid->Gen.u8ClockSeqHiAndReserved, 16, 2, RTFMT_F_ZEROPAD);
    rtstrFmtBufAddNum(&Buf, pUuid->Gen.u8ClockSeqLow, 16, 2, RTFMT_F_ZEROPAD);
    rtstrFmtBufAddCh(&Buf, '-');
    for (uint8_t bNode : pUuid->Gen.au8Node)
        rtstrFmtBufAddNum(&Buf, bNode, 16, 2, RTFMT_F_ZEROPAD);
    return rtstrFmtBufOutputPadded(pCtx, &Buf);
}

size_t rtstrFmtRtNamedType(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    size_t cchName;
    const NAMEDTYPE *pType = rtstrFmtRtLookupNamedType(*ppszFormat, &cchName);
    if (!pType)
    {
        (*ppszFormat)++;
        return 0;
    }
    *ppszFormat += cchName;
    switch (pType->enmKind)
    {
        case kNumber:
            return rtstrFmtRtNumberKind(pCtx, pType);
        case kFixedHex:
            return rtstrFmtRtFixedHexKind(pCtx, pType);
        case kHidden:
            return rtstrFmtRtHiddenKind(pCtx);
        case kBool:
            return rtstrFmtRtBoolKind(pCtx);
        case kFarPtr:
            return rtstrFmtRtFarPtrKind(pCtx, pType);
        case kIPv4:
            return rtstrFormatRtIPv4(pCtx, va_arg(*pCtx->pArgs, uint32_t));
        case kIPv6:
            return rtstrFormatRtIPv6(pCtx, va_arg(*pCtx->pArgs, const void *));
        case kMac:
            return rtstrFormatRtMac(pCtx, va_arg(*pCtx->pArgs, const void *));
        case kNetAddr:
            return rtstrFormatRtNetAddr(pCtx, va_arg(*pCtx->pArgs, const void *));
        case kUuid:
            return rtstrFmtRtUuidKind(pCtx);
        case kErrInfoAll:
            return rtstrFormatRtErrInfo(pCtx, va_arg(*pCtx->pArgs, const void *), true);
        case kErrInfoMsg:
            return rtstrFormatRtErrInfo(pCtx, va_arg(*pCtx->pArgs, const void *), false);
    }
    return 0;
}

/** "%RDtimespec": nanoseconds since the epoch, digits grouped. */
size_t rtstrFmtRtTimeFamily(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    size_t cchForm = rtstrFmtMatchForm(*ppszFormat, "Dtimespec");
    if (!cchForm)
    {
        (*ppszFormat)++;
        return 0;
    }
    *ppszFormat += cchForm;
    const RTTIMESPEC *pTime = va_arg(*pCtx->pArgs, const RTTIMESPEC *);
    if (!rtstrFmtIsReadable(pTime, sizeof(*pTime)))
        return rtstrFormatBadPointer(pCtx->pfnOutput, pCtx->pvArgOutput, pTime, pCtx->cchWidth, pCtx->fFlags,
                                     "!BadTimeSpec");
    RTSTRFMTBUF Buf = {};
    rtstrFmtBufAddNum(&Buf, (uint64_t)pTime->i64NanosecondsRelativeToUnixEpoch, 10, 0,
                      RTFMT_F_SIGNED | RTFMT_F_GROUP | RTFMT_F_64BIT);
    rtstrFmtBufAddStr(&Buf, " ns");
    return rtstrFmtBufOutputPadded(pCtx, &Buf);
}

} // namespace

size_t rtstrFormatRt(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs, int cchWidth,
                     int cchPrecision, unsigned fFlags, char chArgSize)
{
    (void)chArgSize; /* every "%R" type carries its own size */
    RTSTRFMTRT const Ctx = {pfnOutput, pvArgOutput, pArgs, cchWidth > 0 ? cchWidth : 0, cchPrecision, fFlags};
    switch (**ppszFormat)
    {
        case 'C':
        case 'G':
        case 'H':
        case 'I':
        case 'K':
        case 'R':
        case 'T':
        case 'U':
        case 'X':
            return rtstrFmtRtNamedType(&Ctx, ppszFormat);
        case 'r':
            return rtstrFormatRtStatus(&Ctx, ppszFormat);
        case 'w':
            return rtstrFormatRtWinError(&Ctx, ppszFormat);
        case 'b':
            return rtstrFormatRtBaseName(&Ctx, ppszFormat);
        case 'f':
            return rtstrFormatRtFunctionName(&Ctx, ppszFormat);
        case 'M':
            return rtstrFormatRtXmlEscaped(&Ctx, ppszFormat);
        case 'h':
            return rtstrFormatRtHexDump(&Ctx, ppszFormat);
        case 'D':
            return rtstrFmtRtTimeFamily(&Ctx, ppszFormat);
        case 'A':
            return rtstrFormatRtRegister(&Ctx, ppszFormat);
        case '[':
            return rtstrFormatRtCustomType(&Ctx, ppszFormat);
        case '\0':
            return 0; /* "%R" ends the format: nothing to skip */
        default:
            (*ppszFormat)++;
            return 0;
    }
}
