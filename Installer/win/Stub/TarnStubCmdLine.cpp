/** @file
 * The installer's command line: the effects of its options on the run
 * settings.
 */
#include "TarnStubCmdLine.h"
#include "TarnStubOptions.h"
#include "TarnStubMessages.h"
#include <rt/err.h>
#include <rt/getopt.h>
#include <rt/path.h>
#include <rt/string.h>

bool g_fSilent = false;
uint32_t g_cVerbosity = 0;

namespace
{

/** Placeholders: caption, the four version numbers, argument 0 twice. */
const char g_szHelpFormat[] = "-- %s v%u.%u.%ur%u --\n"
                              "\n"
                              "Command Line Parameters:\n"
                              "\n"
                              "--extract\n"
                              "    Extract file contents to temporary directory\n"
                              "--logging\n"
                              "    Enables MSI installer logging (to extract path)\n"
                              "--msi-log-file <path/to/file>\n"
                              "    Sets MSI logging to <file>\n"
                              "--msiparams <parameters>\n"
                              "    Specifies extra parameters for the MSI installers\n"
                              "    double quoted arguments must be doubled and put\n"
                              "    in quotes: --msiparams \"PROP=\"\"a b c\"\"\"\n"
                              "--msi-prop <prop> <value>\n"
                              "    Adds <prop>=<value> to the MSI parameters,\n"
                              "    quoting the property value if necessary\n"
                              "--no-silent-cert\n"
                              "    Do not install Tarnvale Certificate automatically\n"
                              "    when --silent option is specified\n"
                              "--path\n"
                              "    Sets the path of the extraction directory\n"
                              "--reinstall\n"
                              "    Forces Tarnvale to get re-installed\n"
                              "--ignore-reboot\n"
                              "   Do not set exit code to 3010 if a reboot is required\n"
                              "--silent\n"
                              "   Enables silent mode installation\n"
                              "--version\n"
                              "   Displays version number and exit\n"
                              "-?, -h, --help\n"
                              "   Displays this help text and exit\n"
                              "\n"
                              "Examples:\n"
                              "  %s --msiparams \"INSTALLDIR=\"\"C:\\Program Files\\Tarnvale\"\"\"\n"
                              "  %s --extract -path C:\\Tarn";

/** The white space that a property name may not hold and that makes a value quoted. */
const char g_szWhiteSpace[] = " \t\n\r";

const char g_szOutOfSpace[] = "Out of space for MSI parameters and properties";

bool containsWhiteSpace(const char *psz)
{
    for (; *psz; psz++)
        for (const char *pszWs = g_szWhiteSpace; *pszWs; pszWs++)
            if (*psz == *pszWs)
                return true;
    return false;
}

/** Appends @a pszPiece to the MSI parameters, one space after what is there. */
int appendMsiParam(StubSettings *pSettings, const char *pszPiece)
{
    int rc = INF_SUCCESS;
    if (pSettings->szMsiParams[0] != '\0')
        rc = RTStrCat(pSettings->szMsiParams, sizeof(pSettings->szMsiParams), " ");
    if (RT_SUCCESS(rc))
        rc = RTStrCat(pSettings->szMsiParams, sizeof(pSettings->szMsiParams), pszPiece);
    if (RT_FAILURE(rc))
        return ShowSyntaxError(g_szOutOfSpace);
    return STUB_CONTINUE;
}

/** --msi-prop <name> <value>: appends name=value, the value quoted when it holds white space. */
int appendMsiProperty(PRTOPTSTATE pState, const char *pszName, StubSettings *pSettings)
{
    if (containsWhiteSpace(pszName))
        return ShowSyntaxError("The first argument to --msi-prop must not contain spaces: %s", pszName);

    RTOPTVALUE Value;
    int rc = RTGetOptTakeValue(pState, &Value, RTOPT_VAL_STRING);
    if (rc == ERR_OPT_VALUE_MISSING)
        return ShowSyntaxError("--msi-prop takes two arguments, the 2nd is missing");
    if (RT_FAILURE(rc))
        return ShowSyntaxError("Failed to get 2nd --msi-prop argument: %Rrc", rc);

    size_t const cchUsed = RTStrLen(pSettings->szMsiParams);
    const char *pszFormat = containsWhiteSpace(Value.psz) ? "%s%s=\"%s\"" : "%s%s=%s";
    intptr_t cch = RTStrBufPrintfEx(&pSettings->szMsiParams[cchUsed], sizeof(pSettings->szMsiParams) - cchUsed,
                                    pszFormat, cchUsed > 0 ? " " : "", pszName, Value.psz);
    if (cch < 0)
        return ShowSyntaxError(g_szOutOfSpace);
    return STUB_CONTINUE;
}

/** Stores @a pszValue as an absolute path in @a pszDst (RTPATH_MAX bytes); an empty value clears it. */
int setAbsolutePath(char *pszDst, const char *pszValue, const char *pszTooLongFormat)
{
    if (pszValue[0] == '\0')
    {
        pszDst[0] = '\0';
        return STUB_CONTINUE;
    }
    int rc = RTPathAbs(pszValue, pszDst, RTPATH_MAX);
    if (RT_FAILURE(rc))
        return ShowSyntaxError(pszTooLongFormat, rc);
    return STUB_CONTINUE;
}

/** A parser failure, an unexpected identifier or a stray argument before any MSI parameter. */
int reportParseError(int ch, PCRTOPTVALUE pValue)
{
    if (g_fSilent)
        return RTGetOptReportError(ch, pValue);
    if (ch == ERR_OPT_UNKNOWN_OPTION)
        return ShowSyntaxError("Unknown option \"%s\"\n"
                               "Please refer to the command line help by specifying \"-?\"\n"
                               "to get more information.",
                               pValue->psz);
    return ShowSyntaxError("Parameter parsing error: %Rrc\n"
                           "Please refer to the command line help by specifying \"-?\"\n"
                           "to get more information.",
                           ch);
}

/** Applies one parser result; STUB_CONTINUE or the exit code the run ends with. */
int applyOption(PRTOPTSTATE pState, int ch, PCRTOPTVALUE pValue, const char *pszArg0, StubSettings *pSettings)
{
    switch (ch)
    {
        case 'x':
            pSettings->fExtractOnly = true;
            return STUB_CONTINUE;
        case 's':
            g_fSilent = true;
            return STUB_CONTINUE;
        case 'c':
            pSettings->fEnableSilentCert = false;
            return STUB_CONTINUE;
        case 't':
        case 'T':
            return STUB_CONTINUE;
        case 'l':
            pSettings->fLogging = true;
            return STUB_CONTINUE;
        case STUB_OPT_MSI_LOG_FILE:
            return setAbsolutePath(pSettings->szMsiLogFile, pValue->psz, "MSI log file path is too long (%Rrc)");
        case 'p':
            return setAbsolutePath(pSettings->szExtractPath, pValue->psz, "Extraction path is too long (%Rrc)");
        case 'm':
            return appendMsiParam(pSettings, pValue->psz);
        case 'P':
            return appendMsiProperty(pState, pValue->psz, pSettings);
        case 'f':
            return appendMsiParam(pSettings, "REINSTALLMODE=vomus REINSTALL=ALL");
        case 'r':
            pSettings->fIgnoreReboot = true;
            return STUB_CONTINUE;
        case 'v':
            g_cVerbosity++;
            return STUB_CONTINUE;
        case 'V':
            ShowInfo("Version: %u.%u.%ur%u", STUB_VERSION_MAJOR, STUB_VERSION_MINOR, STUB_VERSION_BUILD,
                     STUB_VERSION_REVISION);
            return STUB_EXIT_SUCCESS;
        case 'h':
            ShowInfo(g_szHelpFormat, STUB_PRODUCT_CAPTION, STUB_VERSION_MAJOR, STUB_VERSION_MINOR, STUB_VERSION_BUILD,
                     STUB_VERSION_REVISION, pszArg0, pszArg0);
            return STUB_EXIT_SUCCESS;
        case INF_OPT_NOT_OPTION:
            if (pSettings->szMsiParams[0] != '\0')
                return appendMsiParam(pSettings, pValue->psz);
            return reportParseError(ch, pValue);
        default:
            return reportParseError(ch, pValue);
    }
}

} // namespace

void StubInitSettings(StubSettings *pSettings)
{
    __builtin_memset(pSettings, 0, sizeof(*pSettings));
    pSettings->fEnableSilentCert = true;
}

int StubParseCommandLine(int cArgs, char **papszArgs, StubSettings *pSettings)
{
    StubInitSettings(pSettings);

    RTOPTSTATE State;
    int rc = RTGetOptInit(&State, cArgs, papszArgs, g_aStubOptions, STUB_OPTION_COUNT, 1, 0);
    if (RT_FAILURE(rc))
        return ShowError("RTGetOptInit failed: %Rrc", rc);

    const char *pszArg0 = cArgs > 0 ? papszArgs[0] : NULL;
    RTOPTVALUE Value;
    int ch;
    while ((ch = RTGetOpt(&State, &Value)) != 0)
    {
        int rcExit = applyOption(&State, ch, &Value, pszArg0, pSettings);
        if (rcExit != STUB_CONTINUE)
            return rcExit;
    }
    return STUB_CONTINUE;
}
