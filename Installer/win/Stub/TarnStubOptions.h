/** @file
 * The installer's option table (TarnStubOptions.cpp), which the command line,
 * the option parser's tests and its fuzz target share.
 */
#ifndef TARN_STUB_OPTIONS_H
#define TARN_STUB_OPTIONS_H

#include <rt/getopt.h>

/** Identifier of --msi-log-file (and -msilogfile), which has no short form. */
#define STUB_OPT_MSI_LOG_FILE 1000

/** Number of definitions in g_aStubOptions. */
#define STUB_OPTION_COUNT 36

/**
 * The installer's option table, as StubParseCommandLine hands it to the option
 * parser: STUB_OPTION_COUNT definitions, every spelling of every option, each
 * identified by its short form (or STUB_OPT_MSI_LOG_FILE). Declared without
 * its size, which only the definition gives, so that the definition can check
 * its rows against STUB_OPTION_COUNT (a bound here would pad a short table
 * with empty rows).
 */
extern const RTOPTDEF g_aStubOptions[];

#endif
