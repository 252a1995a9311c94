/** @file
 * The installer's run settings and the command line that fills them.
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
#ifndef TARN_STUB_SETTINGS_H
#define TARN_STUB_SETTINGS_H

#include <rt/types.h>
#include <rt/getopt.h>
#include <rt/path.h>

/** @name Exit codes of the installer
 * @{ */
#define STUB_EXIT_SUCCESS       0    /**< success, help or version shown, extraction only done */
#define STUB_EXIT_FAILURE       1    /**< any reported failure */
#define STUB_EXIT_SYNTAX_ERROR  2    /**< command-line error */
#define STUB_EXIT_INIT_FAILURE  3    /**< the runtime could not start */
#define STUB_EXIT_REBOOT_NEEDED 3010 /**< installed; Windows Installer asks for a reboot */
/** @} */

/** Result of StubParseCommandLine when the run is to go on (never an exit code). */
#define STUB_CONTINUE (-1)

/** @name The installer's version, shown by --version and in the help text
 * @{ */
#define STUB_VERSION_MAJOR    7
#define STUB_VERSION_MINOR    2
#define STUB_VERSION_BUILD    0
#define STUB_VERSION_REVISION 169020
/** @} */

/** Size of StubSettings::szMsiParams in bytes: at most 4095 characters of parameters. */
#define STUB_MSI_PARAMS_SIZE 4096

/** The settings of one run, owned by StubMain. */
struct StubSettings
{
    /** --extract: only extract the packages, install nothing. */
    bool fExtractOnly;
    /** Add the embedded certificates in silent mode; cleared by --no-silent-cert. */
    bool fEnableSilentCert;
    /** --logging: let Windows Installer write a verbose log. */
    bool fLogging;
    /** --ignore-reboot: a reboot request does not become exit code 3010. */
    bool fIgnoreReboot;
    /** --path, absolute, UTF-8; empty for a fresh temporary directory. */
    char szExtractPath[RTPATH_MAX];
    /** --msi-log-file, absolute, UTF-8; empty when not given. */
    char szMsiLogFile[RTPATH_MAX];
    /** The property string for Windows Installer: pieces in command-line order, one space apart. */
    char szMsiParams[STUB_MSI_PARAMS_SIZE];
};

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
