/** @file
 * Fuzzes the number routine with arbitrary values, bases, widths, precisions
 * and flags: the result must stay within its 64-byte buffer, match the length
 * returned, and carry the digits of the value.
 */
#include <stdlib.h>
#include <string.h>
#include <rt/string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pb, size_t cb)
{
    struct
    {
        uint64_t uValue;
        uint8_t uBase;
        int16_t cchWidth;
        int16_t cchPrecision;
        uint16_t fFlags;
    } In;
    if (cb < sizeof(In))
        return 0;
    memcpy(&In, pb, sizeof(In));
    unsigned uiBase = 2 + In.uBase % 15;

    char *psz = (char *)malloc(RTSTR_NUMBER_BUF_SIZE); /* exact size so ASan sees any overrun */
    int cch = RTStrFmtNumber(psz, In.uValue, uiBase, In.cchWidth, In.cchPrecision, In.fFlags);
    if (cch < 0 || cch > RTSTR_NUMBER_BUF_SIZE - 1 || strlen(psz) != (size_t)cch)
        abort();
    if (uiBase == 10 && !(In.fFlags & (RTFMT_F_SIGNED | RTFMT_F_8BIT | RTFMT_F_16BIT | RTFMT_F_32BIT)) &&
        In.cchPrecision < 21 && In.cchWidth < 27)
    {
        /* Unsigned decimal: dropping padding and group blanks must give back the value. */
        uint64_t uParsed = 0;
        for (const char *pch = psz; *pch; pch++)
            if (*pch >= '0' && *pch <= '9')
                uParsed = uParsed * 10 + (uint64_t)(*pch - '0');
        if (uParsed != In.uValue)
            abort();
    }
    free(psz);
    return 0;
}
