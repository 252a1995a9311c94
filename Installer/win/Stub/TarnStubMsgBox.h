/** @file
 * The message box of the platform, as the message functions use it.
 *
 * stubMsgBoxW shows @a pwszText in a box captioned @a pwszCaption with the
 * style bits @a fStyle, owned by the desktop window, and returns once the user
 * has closed it; stubMsgBoxA does the same with 8-bit text in the system's
 * ANSI code page, for text that cannot be converted to UTF-16. On Windows the
 * USER32 functions are bound lazily on the first box; the host build has no
 * boxes and writes the text to standard error instead.
 */
#ifndef TARN_STUB_MSGBOX_H
#define TARN_STUB_MSGBOX_H

#include <rt/types.h>
#include "TarnStubSeams.h"

void stubMsgBoxW(const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fStyle);
void stubMsgBoxA(const char *pszText, const char *pszCaption, uint32_t fStyle);

#ifdef RT_WITH_SEAMS
/** Replaceable calls of the message functions (tests only; see internal/seam.h). */
typedef struct StubSeamsMsgBox
{
    decltype(&stubMsgBoxW) pfnstubMsgBoxW;
    decltype(&stubMsgBoxA) pfnstubMsgBoxA;
} StubSeamsMsgBox;
#endif

#endif
