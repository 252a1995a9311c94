/** @file
 * The raw writers' number and string forms, on top of the OS's RTRawWrite.
 * Numbers go through a stack buffer: nothing here allocates.
 */
#include <rt/rawwrite.h>
#include <rt/string.h>

namespace
{

void rtRawWriteNumber(uint64_t uValue, unsigned uBase, int cchWidth, unsigned fFlags)
{
    char szNum[RTSTR_NUMBER_BUF_SIZE];
    int cch = RTStrFmtNumber(szNum, uValue, uBase, cchWidth, 0, fFlags);
    RTRawWrite(szNum, (size_t)cch);
}

} // namespace

void RTRawWriteStr(const char *psz)
{
    if (RT_VALID_PTR(psz))
        RTRawWrite(psz, RTStrLen(psz));
    else
    {
        RTRawWrite("<pszString=", 11);
        RTRawWriteHex((uintptr_t)psz);
        RTRawWrite(">", 1);
    }
}

void RTRawWriteHex(size_t uValue)
{
    rtRawWriteNumber(uValue, 16, 8, RTFMT_F_ZEROPAD | RTFMT_F_WIDTH);
}

void RTRawWriteHexPrefixed(size_t uValue)
{
    rtRawWriteNumber(uValue, 16, 0, RTFMT_F_PREFIX);
}

void RTRawWriteDecHex(size_t uValue)
{
    rtRawWriteNumber(uValue, 10, 0, 0);
    RTRawWrite(" (", 2);
    RTRawWriteHexPrefixed(uValue);
    RTRawWrite(")", 1);
}

void RTRawWriteMsgStatus(const char *pch, size_t cch, int rc)
{
    RTRawWrite(pch, cch);
    rtRawWriteNumber((uint64_t)(int64_t)rc, 10, 0, RTFMT_F_SIGNED);
    RTRawWrite("\r\n", 2);
}
