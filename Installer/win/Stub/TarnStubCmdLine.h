/** @file
 * The command line that fills the run's settings (TarnStubCmdLine.cpp).
 *
 * StubParseCommandLine turns the argument vector into a StubSettings record and
 * the process-wide g_fSilent and g_cVerbosity. It either hands back
 * STUB_CONTINUE (the run goes on with the settings) or the exit code the run
 * ends with: 0 after the help or version text, 1 when the option parser
 * cannot be set up, 2 after a command-line error. Every message it produces
 * has already been shown when it returns.
 *
 * Portable: no OS header; the same code runs in the host build.
 */
#ifndef TARN_STUB_CMDLINE_H
#define TARN_STUB_CMDLINE_H

#include "TarnStubSettings.h"

/** Result of StubParseCommandLine when the run is to go on (never an exit code). */
#define STUB_CONTINUE (-1)

/** Silent mode (--silent): messages go to the console instead of message boxes. */
extern bool g_fSilent;
/** The number of --verbose options seen. */
extern uint32_t g_cVerbosity;

/**
 * Sets @a pSettings to the values a run starts with: every flag false except
 * fEnableSilentCert, all three buffers cleared over their whole length.
 */
void StubInitSettings(StubSettings *pSettings);

/**
 * Parses the command line into @a pSettings (initialised here first), g_fSilent
 * and g_cVerbosity. Options take effect in command-line order.
 *
 * @returns STUB_CONTINUE when the run is to go on; otherwise the exit code:
 *          STUB_EXIT_SUCCESS after the help or version text, STUB_EXIT_FAILURE
 *          when the parser cannot be initialised, STUB_EXIT_SYNTAX_ERROR for
 *          every command-line error (the message is shown already).
 * @param cArgs      Number of arguments, the program name included.
 * @param papszArgs  The UTF-8 arguments; entry 0 is the program name as passed.
 *                   Texts in the settings are copies; the vector is only read.
 */
int StubParseCommandLine(int cArgs, char **papszArgs, StubSettings *pSettings);

#endif
