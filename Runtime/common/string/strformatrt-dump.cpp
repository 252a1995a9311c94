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

void flush(DUMPWRITER *pWriter)
{
    if (pWriter->Buf.cch)
        pWriter->cbWritten += pWriter->pCtx->pfnOutput(pWriter->pCtx->pvArgOutput, pWriter->Buf.ach, pWriter->Buf.cch);
    pWriter->Buf.cch = 0;
}

void makeRoom(DUMPWRITER *pWriter, size_t cch)
{
    if (pWriter->Buf.cch + cch > sizeof(pWriter->Buf.ach))
        flush(pWriter);
}

void addCh(DUMPWRITER *pWriter, char ch)
{
    makeRoom(pWriter, 1);
    rtstrFmtBufAddCh(&pWriter->Buf, ch);
}

void addStr(DUMPWRITER *pWriter, const char *psz)
{
    while (*psz)
        addCh(pWriter, *psz++);
}

void addNumber(DUMPWRITER *pWriter, uint64_t uValue, unsigned uiBase, int cchDigits)
{
    char szNum[RTSTR_NUMBER_BUF_SIZE];
    RTStrFmtNumber(szNum, uValue, uiBase, cchDigits, 0, RTFMT_F_ZEROPAD);
    addStr(pWriter, szNum);
}

void addHex(DUMPWRITER *pWriter, uint64_t uValue, int cchDigits)
{
    addNumber(pWriter, uValue, 16, cchDigits);
}

void addSpaces(DUMPWRITER *pWriter, unsigned cSpaces)
{
    while (cSpaces-- > 0)
        addCh(pWriter, ' ');
}

constexpr int kcchAddress = (int)sizeof(void *) * 2;
constexpr size_t kcbLine = 16;

void addAddress(DUMPWRITER *pWriter, const uint8_t *pb)
{
    addHex(pWriter, (uintptr_t)pb, kcchAddress);
}

void dumpBytes(DUMPWRITER *pWriter, const uint8_t *pb, size_t cb, char chSeparator)
{
    if (pWriter->pCtx->fFlags & RTFMT_F_PREFIX)
    {
        addAddress(pWriter, pb);
        addStr(pWriter, ": ");
    }
    for (size_t i = 0; i < cb; i++)
    {
        if (i)
            addCh(pWriter, chSeparator);
        addHex(pWriter, pb[i], 2);
    }
}

bool sameLine(const uint8_t *pb1, const uint8_t *pb2)
{
    for (size_t i = 0; i < kcbLine; i++)
        if (pb1[i] != pb2[i])
            return false;
    return true;
}

void addDittoLine(DUMPWRITER *pWriter, unsigned cRepeats)
{
    addCh(pWriter, '\n');
    addSpaces(pWriter, kcchAddress + 6);
    addStr(pWriter, " ****  <ditto x ");
    addNumber(pWriter, cRepeats, 10, 0);
    addCh(pWriter, '>');
}

void addDumpLine(DUMPWRITER *pWriter, const uint8_t *pbStart, size_t off, size_t cbLine)
{
    if (off)
        addCh(pWriter, '\n');
    addAddress(pWriter, pbStart + off);
    addCh(pWriter, '/');
    addHex(pWriter, off, 4);
    addCh(pWriter, ':');
    for (size_t i = 0; i < kcbLine; i++)
    {
        if (i < cbLine)
        {
            addCh(pWriter, i == kcbLine / 2 ? '-' : ' ');
            addHex(pWriter, pbStart[off + i], 2);
        }
        else
            addSpaces(pWriter, 3);
    }
    addSpaces(pWriter, 2);
    for (size_t i = 0; i < cbLine; i++)
    {
        uint8_t const b = pbStart[off + i];
        addCh(pWriter, b >= 0x20 && b < 0x7f ? (char)b : '.');
    }
}

void dumpLines(DUMPWRITER *pWriter, const uint8_t *pb, size_t cb)
{
    unsigned cRepeats = 0;
    for (size_t off = 0; off < cb; off += kcbLine)
    {
        size_t const cbLine = RT_MIN(kcbLine, cb - off);
        bool const fLastLine = off + cbLine >= cb;
        if (off && !fLastLine && sameLine(pb + off, pb + off - kcbLine))
        {
            cRepeats++;
            continue;
        }
        if (cRepeats)
            addDittoLine(pWriter, cRepeats);
        cRepeats = 0;
        addDumpLine(pWriter, pb, off, cbLine);
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
        dumpLines(&Writer, pb, cb);
    else
        dumpBytes(&Writer, pb, cb, chForm == 's' ? ' ' : ':');
    flush(&Writer);
    return Writer.cbWritten;
}
