/** @file
 * Message boxes for the host build, which has no windows: the caption and the
 * text go to standard error.
 */
#include "TarnStubConsole.h"
#include "TarnStubMsgBox.h"

void stubMsgBoxW(const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fStyle)
{
    stubPrintStdErr("[%ls (%#x)]\n%ls\n", pwszCaption, fStyle, pwszText);
}

void stubMsgBoxA(const char *pszText, const char *pszCaption, uint32_t fStyle)
{
    stubPrintStdErr("[%s (%#x)]\n%s\n", pszCaption, fStyle, pszText);
}
