/** @file
 * Padding and bad-pointer output shared by the formatter's conversions.
 */
#include "internal/strformat.h"

namespace
{

size_t rtstrFmtOutputSpaces(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, int cSpaces)
{
    static const char s_szSpaces[] = "                                ";
    size_t cbWritten = 0;
    while (cSpaces > 0)
    {
        int cChunk = RT_MIN(cSpaces, (int)sizeof(s_szSpaces) - 1);
        cbWritten += pfnOutput(pvArgOutput, s_szSpaces, (size_t)cChunk);
        cSpaces -= cChunk;
    }
    return cbWritten;
}

} // namespace

size_t rtstrFormatPadded(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *pach, size_t cch, int cchWidth,
                         unsigned fFlags)
{
    int cPad = cchWidth > 0 && (size_t)cchWidth > cch ? cchWidth - (int)cch : 0;
    size_t cbWritten = 0;
    if (!(fFlags & RTFMT_F_LEFT))
        cbWritten += rtstrFmtOutputSpaces(pfnOutput, pvArgOutput, cPad);
    if (cch)
        cbWritten += pfnOutput(pvArgOutput, pach, cch);
    if (fFlags & RTFMT_F_LEFT)
        cbWritten += rtstrFmtOutputSpaces(pfnOutput, pvArgOutput, cPad);
    return cbWritten;
}

size_t rtstrFormatBadPointer(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const void *pv, int cchWidth, unsigned fFlags,
                             const char *pszMarker)
{
    if (!pv)
        return rtstrFormatPadded(pfnOutput, pvArgOutput, "<NULL>", 6, cchWidth, fFlags);
    char szText[RTSTR_NUMBER_BUF_SIZE + 32];
    szText[0] = '<';
    size_t cch = 1 + (size_t)RTStrFmtNumber(&szText[1], (uintptr_t)pv, 16, 8, 0, RTFMT_F_ZEROPAD);
    while (*pszMarker && cch < sizeof(szText) - 2)
        szText[cch++] = *pszMarker++;
    szText[cch++] = '>';
    return rtstrFormatPadded(pfnOutput, pvArgOutput, szText, cch, cchWidth, fFlags);
}
