/** @file
 * The installer's main routine: StubMain is called by the process entry with
 * the UTF-8 argument vector and returns the process exit code (STUB_EXIT_XXX
 * of TarnStubSettings.h).
 */
#ifndef TARN_STUB_MAIN_H
#define TARN_STUB_MAIN_H

#include "TarnStubSettings.h"

int StubMain(int cArgs, char **papszArgs, char **papszEnv);

#endif
