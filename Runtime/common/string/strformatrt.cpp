/** @file
 * The "%R" conversion families. Not yet filled in: every family outputs nothing,
 * as an unknown family does.
 */
#include "internal/strformat.h"

size_t rtstrFormatRt(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs, int cchWidth,
                     int cchPrecision, unsigned fFlags, char chArgSize)
{
    (void)pfnOutput, (void)pvArgOutput, (void)pArgs, (void)cchWidth, (void)cchPrecision, (void)fFlags, (void)chArgSize;
    if (**ppszFormat)
        (*ppszFormat)++;
    return 0;
}
