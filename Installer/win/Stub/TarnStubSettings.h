/** @file
 * The installer's run settings (filled from the command line,
 * TarnStubCmdLine.h), its exit codes and its version.
 *
 * Portable: no OS header; the same code runs in the host build.
 */
#ifndef TARN_STUB_SETTINGS_H
#define TARN_STUB_SETTINGS_H

#include <rt/types.h>
#include <rt/path.h>

/** @name Exit codes of the installer
 * @{ */
#define STUB_EXIT_SUCCESS       0    /**< success, help or version shown, extraction only done */
#define STUB_EXIT_FAILURE       1    /**< any reported failure */
#define STUB_EXIT_SYNTAX_ERROR  2    /**< command-line error */
#define STUB_EXIT_INIT_FAILURE  3    /**< the runtime could not start */
#define STUB_EXIT_REBOOT_NEEDED 3010 /**< installed; Windows Installer asks for a reboot */
/** @} */

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

#endif
