/** @file
 * The installer's run for parsed settings (TarnStubRun-win.cpp).
 */
#ifndef TARN_STUB_RUN_H
#define TARN_STUB_RUN_H

#include "TarnStubSettings.h"

/**
 * Runs the installer with @a pSettings, from the single-instance guard to the
 * clean-up. @returns the process exit code: STUB_EXIT_SUCCESS,
 * STUB_EXIT_FAILURE or STUB_EXIT_REBOOT_NEEDED (STUB_EXIT_SUCCESS instead with
 * fIgnoreReboot).
 */
int StubRunInstaller(StubSettings *pSettings);

#endif
