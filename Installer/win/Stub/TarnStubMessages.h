/** @file
 * The installer's messages to the user.
 *
 * Show*: a message box captioned STUB_PRODUCT_CAPTION, owned by the desktop
 * window, in interactive mode; a console line in silent mode (g_fSilent):
 *  - ShowError: error box (icon 0x10); silent: RTMsgError("%s", text), so
 *    every line goes to standard error behind "<program>: error: ". An empty
 *    text or a formatting failure shows nothing. Returns 1.
 *  - ShowInfo: information box (icon 0x40); silent: the text and "\n" on
 *    standard output. Shows nothing when the text cannot be formatted.
 *  - ShowSyntaxError: ShowError with the caller's format nested; returns 2.
 * Text that is not valid UTF-8 is shown through the 8-bit box instead.
 *
 * Print*: "error: <text>\n" on standard error in both modes, never a box and
 * without the program-name prefix:
 *  - PrintError returns nothing; PrintErrorExit returns 1; PrintErrorStatus
 *    returns the status it was given.
 *
 * Formats are the runtime formatter's (%Rrc, %N, ...). The functions keep no
 * state and may be called from any thread; a box blocks the calling thread.
 * Portable: the box and the console are reached through TarnStubMsgBox.h and
 * TarnStubConsole.h.
 */
#ifndef TARN_STUB_MESSAGES_H
#define TARN_STUB_MESSAGES_H

#include "TarnStubCmdLine.h"
#include <rt/types.h>

/** Caption of every message box. */
#define STUB_PRODUCT_CAPTION "Tarnvale Installer"

/** @name Message-box styles
 * @{ */
#define STUB_MB_ICONERROR       UINT32_C(0x10) /**< MB_ICONERROR with the OK button */
#define STUB_MB_ICONINFORMATION UINT32_C(0x40) /**< MB_ICONINFORMATION with the OK button */
/** @} */

int ShowError(const char *pszFormat, ...);
void ShowInfo(const char *pszFormat, ...);
int ShowSyntaxError(const char *pszFormat, ...);
void PrintError(const char *pszFormat, ...);
int PrintErrorExit(const char *pszFormat, ...);
int PrintErrorStatus(int rc, const char *pszFormat, ...);

#endif
