/** @file
 * Hexadecimal memory dumps for the formatter ("%Rhxd", "%Rhxs", "%Rhxc").
 *
 * The argument is a pointer; the precision gives the number of bytes (none
 * without a precision).
 *   "%Rhxs"  bytes separated by blanks:  "de ad be ef"
 *   "%Rhxc"  bytes separated by colons:  "de:ad:be:ef"
 *            ('#' puts the address and ": " in front of either)
 *   "%Rhxd"  a dump of 16 bytes a line: address/offset, the bytes with a '-'
 *            between the two halves, and the printable characters:
 *              "00401000/0000: 41 42 43 44 45 46 47 48-49 4a 4b 4c 4d 4e 4f 50  ABCDEFGHIJKLMNOP"
 *            Full lines repeating the line before them (except the last
 *            line) collapse into one "****  <ditto x N>" line.
 */
#include "internal/strformatrt.h"

namespace
{

/** Buffered output of one dump through 64-byte pieces. */
struct DUMPWRITER
{
    const RTSTRFMTRT *pCtx;
    size_t cbWritten;
    RTSTRFMTBUF Buf;
};

void rtstrFmtDumpFlush(DUMPWRITER *pWriter)
{
    if (pWriter->Buf.cch)
        pWriter->cbWritten += pWriter->pCtx->pfnOutput(pWriter->pCtx->pvArgOutput, pWriter->Buf.ach, pWriter->Buf.cch);
    pWriter->Buf.cch = 0;
}

void rtstrFmtDumpMakeRoom(DUMPWRITER *pWriter, size_t cch)
{
    if (pWriter->Buf.cch + cch > sizeof(pWriter->Buf.ach))
        rtstrFmtDumpFlush(pWriter);
}

void rtstrFmtDumpAddCh(DUMPWRITER *pWriter, char ch)
{
    rtstrFmtDumpMakeRoom(pWriter, 1);
    rtstrFmtBufAddCh(&pWriter->Buf, ch);
}

void rtstrFmtDumpAddStr(DUMPWRITER *pWriter, const char *psz)
{
    while (*psz)
        rtstrFmtDumpAddCh(pWriter, *psz++);
}

void rtstrFmtDumpAddNumber(DUMPWRITER *pWriter, uint64_t uValue, unsigned uiBase, int cchDigits)
{
    char szNum[RTSTR_NUMBER_BUF_SIZE];
    RTStrFmtNumber(szNum, uValue, uiBase, cchDigits, 0, RTFMT_F_ZEROPAD);
    rtstrFmtDumpAddStr(pWriter, szNum);
}

void rtstrFmtDumpAddHex(DUMPWRITER *pWriter, uint64_t uValue, int cchDigits)
{
    rtstrFmtDumpAddNumber(pWriter, uValue, 16, cchDigits);
}

void rtstrFmtDumpAddSpaces(DUMPWRITER *pWriter, unsigned cSpaces)
{
    while (cSpaces-- > 0)
        rtstrFmtDumpAddCh(pWriter, ' ');
}

constexpr int kcchAddress = (int)sizeof(void *) * 2;
constexpr size_t kcbLine = 16;

void rtstrFmtDumpAddAddress(DUMPWRITER *pWriter, const uint8_t *pb)
{
    rtstrFmtDumpAddHex(pWriter, (uintptr_t)pb, kcchAddress);
}

void rtstrFmtDumpBytes(DUMPWRITER *pWriter, const uint8_t *pb, size_t cb, char chSeparator)
{
    if (pWriter->pCtx->fFlags & RTFMT_F_PREFIX)
    {
        rtstrFmtDumpAddAddress(pWriter, pb);
        rtstrFmtDumpAddStr(pWriter, ": ");
    }
    for (size_t i = 0; i < cb; i++)
    {
        if (i)
            rtstrFmtDumpAddCh(pWriter, chSeparator);
        rtstrFmtDumpAddHex(pWriter, pb[i], 2);
    }
}

bool rtstrFmtDumpSameLine(const uint8_t *pb1, const uint8_t *pb2)
{
    for (size_t i = 0; i < kcbLine; i++)
        if (pb1[i] != pb2[i])
            return false;
    return true;
}

void rtstrFmtDumpAddDittoLine(DUMPWRITER *pWriter, unsigned cRepeats)
{
    rtstrFmtDumpAddCh(pWriter, '\n');
    rtstrFmtDumpAddSpaces(pWriter, kcchAddress + 6);
    rtstrFmtDumpAddStr(pWriter, " ****  <ditto x ");
    rtstrFmtDumpAddNumber(pWriter, cRepeats, 10, 0);
    rtstrFmtDumpAddCh(pWriter, '>');
}

void rtstrFmtDumpAddDumpLine(DUMPWRITER *pWriter, const uint8_t *pbStart, size_t off, size_t cbLine)
{
    if (off)
        rtstrFmtDumpAddCh(pWriter, '\n');
    rtstrFmtDumpAddAddress(pWriter, pbStart + off);
    rtstrFmtDumpAddCh(pWriter, '/');
    rtstrFmtDumpAddHex(pWriter, off, 4);
    rtstrFmtDumpAddCh(pWriter, ':');
    for (size_t i = 0; i < kcbLine; i++)
    {
        if (i < cbLine)
        {
            rtstrFmtDumpAddCh(pWriter, i == kcbLine / 2 ? '-' : ' ');
            rtstrFmtDumpAddHex(pWriter, pbStart[off + i], 2);
        }
        else
            rtstrFmtDumpAddSpaces(pWriter, 3);
    }
    rtstrFmtDumpAddSpaces(pWriter, 2);
    for (size_t i = 0; i < cbLine; i++)
    {
        uint8_t const b = pbStart[off + i];
        rtstrFmtDumpAddCh(pWriter, b >= 0x20 && b < 0x7f ? (char)b : '.');
    }
}

void rtstrFmtDumpLines(DUMPWRITER *pWriter, const uint8_t *pb, size_t cb)
{
    unsigned cRepeats = 0;
    for (size_t off = 0; off < cb; off += kcbLine)
    {
        size_t const cbLine = RT_MIN(kcbLine, cb - off);
        bool const fLastLine = off + cbLine >= cb;
        if (off && !fLastLine && rtstrFmtDumpSameLine(pb + off, pb + off - kcbLine))
        {
            cRepeats++;
            continue;
        }
        if (cRepeats)
            rtstrFmtDumpAddDittoLine(pWriter, cRepeats);
        cRepeats = 0;
        rtstrFmtDumpAddDumpLine(pWriter, pb, off, cbLine);
    }
}

} // namespace

size_t rtstrFormatRtHexDump(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    char const chForm = rtstrFmtMatchForm(*ppszFormat, "hx") ? (*ppszFormat)[2] : '\0';
    if (chForm != 'd' && chForm != 's' && chForm != 'c')
    {
        (*ppszFormat)++;
        return 0;
    }
    *ppszFormat += 3;

    const uint8_t *pb = va_arg(*pCtx->pArgs, const uint8_t *);
    size_t const cb = pCtx->fFlags & RTFMT_F_PRECISION ? (size_t)RT_MAX(pCtx->cchPrecision, 0) : 0;
    if (!rtstrFmtIsReadable(pb, cb))
        return rtstrFormatBadPointer(pCtx->pfnOutput, pCtx->pvArgOutput, pb, pCtx->cchWidth, pCtx->fFlags,
                                     "!BadHexDump");

    DUMPWRITER Writer = {pCtx, 0, {}};
    if (chForm == 'd')
        rtstrFmtDumpLines(&Writer, pb, cb);
    else
        rtstrFmtDumpBytes(&Writer, pb, cb, chForm == 's' ? ' ' : ':');
    rtstrFmtDumpFlush(&Writer);
    return Writer.cbWritten;
}
