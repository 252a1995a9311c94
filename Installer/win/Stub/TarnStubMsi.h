/** @file
 * Handing one extracted package to Windows Installer.
 *
 * RunMsiPackage installs the package at @a pszMsi (UTF-8, full path with
 * backslashes) with @a pszMsiParams (UTF-8, never null, may be empty) as the
 * Installer's command line, and returns an exit-code value:
 *  - 0: installed;
 *  - 3010 (STUB_EXIT_REBOOT_NEEDED): installed, a reboot is needed; in
 *    silent mode "Reboot required (by <package>)" is written as an
 *    information line (RTMsgInfo), interactively nothing is shown;
 *  - 1: failed or cancelled, after one message through ShowError (none when
 *    the user cancelled, 1602).
 *
 * Every call sets the Installer's user interface anew: none in silent mode
 * (g_fSilent), the full one otherwise, owned by whatever window owned it
 * before. With @a pszMsiLogFile (optional, UTF-8) the Installer writes a
 * verbose log there, started afresh and flushed after every line. The common
 * controls are initialised before every package, for the Installer's dialogs.
 *
 * Failures of the Installer are described with the system's own text for the
 * result number; numbers 2100 to 2999 are network errors, whose texts the
 * system directory's netmsg.dll holds. A number without text is shown as
 * the number.
 *
 * Windows Installer and the common controls are bound on first use from the
 * system directory (the runtime's lazy import tables); the call blocks until
 * the Installer is done. Main thread only.
 */
#ifndef TARN_STUB_MSI_H
#define TARN_STUB_MSI_H

#include "TarnStubCmdLine.h"
#include <rt/types.h>

int RunMsiPackage(const char *pszMsi, const char *pszMsiParams, const char *pszMsiLogFile);

#endif
