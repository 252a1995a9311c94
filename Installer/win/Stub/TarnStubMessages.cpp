/** @file
 * The installer's messages: message boxes in interactive mode, console lines
 * in silent mode, and the detail lines on standard error.
 */
#include "TarnStubMessages.h"
#include "TarnStubConsole.h"
#include "TarnStubMsgBox.h"
#include "TarnStubCmdLine.h"
#include <rt/mem.h>
#include <rt/message.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/seam.h"

namespace
{

/** STUB_PRODUCT_CAPTION for the wide box. */
const RTUTF16 g_wszCaption[] = {'T', 'a', 'r', 'n', 'v', 'a', 'l', 'e', ' ', 'I',
                                'n', 's', 't', 'a', 'l', 'l', 'e', 'r', '\0'};
static_assert(sizeof(g_wszCaption) / sizeof(RTUTF16) == sizeof(STUB_PRODUCT_CAPTION), "caption texts differ");

/** Shows @a pszText in a box; text that is not valid UTF-8 goes through the 8-bit box. */
void showBox(const char *pszText, uint32_t fStyle)
{
    RTUTF16 *pwszText = NULL;
    if (RT_SUCCESS(RTStrToUtf16(pszText, &pwszText, RTMEM_TAG)))
    {
        RT_SEAM(g_StubSeamsMsgBox, stubMsgBoxW)(pwszText, g_wszCaption, fStyle);
        RTUtf16Free(pwszText);
    }
    else
        RT_SEAM(g_StubSeamsMsgBox, stubMsgBoxA)(pszText, STUB_PRODUCT_CAPTION, fStyle);
}

/** Formats into a fresh string; null when that fails. */
char *formatText(const char *pszFormat, va_list va)
{
    char *pszText = NULL;
    if (RTStrAllocPrintfV(&pszText, pszFormat, va, RTMEM_TAG) < 0)
        return NULL;
    return pszText;
}

void showErrorV(const char *pszFormat, va_list va)
{
    char *pszText = formatText(pszFormat, va);
    if (!pszText)
        return;
    if (pszText[0] != '\0')
    {
        if (g_fSilent)
            RTMsgError("%s", pszText);
        else
            showBox(pszText, STUB_MB_ICONERROR);
    }
    RTStrFree(pszText);
}

void printErrorV(const char *pszFormat, va_list va)
{
    va_list vaCopy;
    va_copy(vaCopy, va);
    stubPrintStdErr("error: %N\n", pszFormat, &vaCopy);
    va_end(vaCopy);
}

} // namespace

int ShowError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    showErrorV(pszFormat, va);
    va_end(va);
    return STUB_EXIT_FAILURE;
}

void ShowInfo(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    char *pszText = formatText(pszFormat, va);
    va_end(va);
    if (!pszText)
        return;
    if (g_fSilent)
        stubPrintStdOut("%s\n", pszText);
    else
        showBox(pszText, STUB_MB_ICONINFORMATION);
    RTStrFree(pszText);
}

int ShowSyntaxError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ShowError("%N", pszFormat, &va);
    va_end(va);
    return STUB_EXIT_SYNTAX_ERROR;
}

void PrintError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    printErrorV(pszFormat, va);
    va_end(va);
}

int PrintErrorExit(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    printErrorV(pszFormat, va);
    va_end(va);
    return STUB_EXIT_FAILURE;
}

int PrintErrorStatus(int rc, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    printErrorV(pszFormat, va);
    va_end(va);
    return rc;
}
