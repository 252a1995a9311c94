/** @file
 * The installer's option table, on its own so that the option parser's tests
 * and fuzz target can take it without the rest of the command line.
 */
#include "TarnStubSettings.h"
#include "TarnStubOptions.h"

/** Most options come as "--word", "-word" and "/word". */
const RTOPTDEF g_aStubOptions[] = {
    {"--extract", 'x', RTOPT_VAL_NONE},
    {"-extract", 'x', RTOPT_VAL_NONE},
    {"/extract", 'x', RTOPT_VAL_NONE},
    {"--silent", 's', RTOPT_VAL_NONE},
    {"-silent", 's', RTOPT_VAL_NONE},
    {"/silent", 's', RTOPT_VAL_NONE},
    {"--no-silent-cert", 'c', RTOPT_VAL_NONE},
    {"-no-silent-cert", 'c', RTOPT_VAL_NONE},
    {"/no-silent-cert", 'c', RTOPT_VAL_NONE},
    {"--no-install-timestamp-ca", 't', RTOPT_VAL_NONE},
    {"--force-install-timestamp-ca", 'T', RTOPT_VAL_NONE},
    {"--logging", 'l', RTOPT_VAL_NONE},
    {"-logging", 'l', RTOPT_VAL_NONE},
    {"--msi-log-file", STUB_OPT_MSI_LOG_FILE, RTOPT_VAL_STRING},
    {"-msilogfile", STUB_OPT_MSI_LOG_FILE, RTOPT_VAL_STRING},
    {"/logging", 'l', RTOPT_VAL_NONE},
    {"--path", 'p', RTOPT_VAL_STRING},
    {"-path", 'p', RTOPT_VAL_STRING},
    {"/path", 'p', RTOPT_VAL_STRING},
    {"--msiparams", 'm', RTOPT_VAL_STRING},
    {"-msiparams", 'm', RTOPT_VAL_STRING},
    {"--msi-prop", 'P', RTOPT_VAL_STRING},
    {"--reinstall", 'f', RTOPT_VAL_NONE},
    {"-reinstall", 'f', RTOPT_VAL_NONE},
    {"/reinstall", 'f', RTOPT_VAL_NONE},
    {"--ignore-reboot", 'r', RTOPT_VAL_NONE},
    {"--verbose", 'v', RTOPT_VAL_NONE},
    {"-verbose", 'v', RTOPT_VAL_NONE},
    {"/verbose", 'v', RTOPT_VAL_NONE},
    {"--version", 'V', RTOPT_VAL_NONE},
    {"-version", 'V', RTOPT_VAL_NONE},
    {"/version", 'V', RTOPT_VAL_NONE},
    {"--help", 'h', RTOPT_VAL_NONE},
    {"-help", 'h', RTOPT_VAL_NONE},
    {"/help", 'h', RTOPT_VAL_NONE},
    {"/?", 'h', RTOPT_VAL_NONE},
};
static_assert(RT_ELEMENTS(g_aStubOptions) == STUB_OPTION_COUNT, "the option table has STUB_OPTION_COUNT definitions");
