/** @file
 * Program error messages: the exact bytes of RTMsgError's lines, and the
 * messages RTGetOptReportError prints for each kind of parser result.
 */
#include <gtest/gtest.h>
#include <rt/err.h>
#include <rt/getopt.h>
#include <rt/message.h>
#include <rt/string.h>
#include "support/alloc-failure.h"
#include "support/scoped.h"
#include "internal/message.h"

#include <cstring>
#include <string>

namespace
{

/** The message bytes written during the test. */
std::string g_strOutput;

void captureOutput(const char *pch, size_t cch)
{
    g_strOutput.append(pch, cch);
}

/** Records the executable path as start-up does and captures the message bytes. */
class MessageTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        tst::ScopedExePath::record("C:\\Tools\\setup.exe");
        g_strOutput.clear();
        g_rtSeamsMsg.pfnrtMsgWriteStdErr = captureOutput;
    }

    static std::string takeOutput()
    {
        std::string Output;
        Output.swap(g_strOutput);
        return Output;
    }

    tst::ScopedExePath m_SavedExePath;
};

struct LineCase
{
    const char *pszFormat;
    const char *pszArg;
    const char *pszExpected;
};

const LineCase g_aLineCases[] = {
    {"Unknown option: '%s'", "-z", "setup.exe: error: Unknown option: '-z'\n"},
    {"a\nb", "", "setup.exe: error: a\nsetup.exe: error: b\n"},
    {"a\nb\n", "", "setup.exe: error: a\nsetup.exe: error: b\n"},
    {"a\n\nb", "", "setup.exe: error: a\n\nsetup.exe: error: b\n"},
    {"\na", "", "\nsetup.exe: error: a\n"},
    {"%s", "x\ny", "setup.exe: error: x\nsetup.exe: error: y\n"}, /* lines come from the formatted text */
    {"\n", "", "\n"},
    {"", "", "\n"},
    {"%s", "", ""}, /* an empty text has no line at all */
};

TEST_F(MessageTest, LinesArePrefixedWithProgramAndCategory)
{
    for (const LineCase &Case : g_aLineCases)
    {
        EXPECT_EQ(0, RTMsgError(Case.pszFormat, Case.pszArg));
        EXPECT_EQ(Case.pszExpected, takeOutput()) << "format [" << Case.pszFormat << "]";
    }
}

TEST_F(MessageTest, NoProgramNameBeforeThePathIsRecorded)
{
    tst::ScopedExePath::record("");
    RTMsgError("%s failed", "x");
    EXPECT_EQ("error: x failed\n", takeOutput());
    tst::ScopedExePath::record("noslash.exe"); /* a name without a directory: no program name */
    RTMsgError("y");
    EXPECT_EQ("error: y\n", takeOutput());
}

TEST_F(MessageTest, WithoutMemoryTheMessageGoesOutUnsplit)
{
    tst::failAllocationsAfter(0);
    RTMsgError("abc %d", 5);
    RTMsgError("x %s\ny", "1");
    tst::endAllocationFailures();
    EXPECT_EQ("setup.exe: error: abc 5\nsetup.exe: error: x 1\ny", takeOutput());
}

size_t appendOutput(void *pvArg, const char *pach, size_t cch)
{
    static_cast<std::string *>(pvArg)->append(pach, cch);
    return cch;
}

/** The status's short message, as "%Rrs" renders it. */
std::string statusMessage(int rc)
{
    std::string Text;
    char szTmp[64];
    RTErrFormatMsg(rc, appendOutput, &Text, szTmp, sizeof(szTmp));
    return Text;
}

TEST_F(MessageTest, ReportErrorMessagesByResult)
{
    static const RTOPTDEF s_Path = {"--path", 'p', RTOPT_VAL_STRING};
    static const RTOPTDEF s_Count = {"--count", 'k', RTOPT_VAL_UINT8};
    static const RTOPTDEF s_ShortOnly = {NULL, 'k', RTOPT_VAL_UINT8};
    static const RTOPTDEF s_NoName = {NULL, 1000, RTOPT_VAL_STRING};
    struct
    {
        int ch;
        const char *psz;  /* value text, or null */
        PCRTOPTDEF pDef;  /* or the definition */
        std::string Text; /* the line without prefix and newline */
    } const aCases[] = {
        {INF_OPT_NOT_OPTION, "C:\\x", NULL, "Invalid parameter: C:\\x"},
        {5, NULL, NULL, "Unhandled option: 5 (0x5)"},
        {'q', NULL, NULL, "Unhandled option: -q"},
        {'!', NULL, NULL, "Unhandled option: -!"},
        {' ', NULL, NULL, "Unhandled option: 32 (0x20)"},
        {0x7f, NULL, NULL, "Unhandled option: 127 (0x7f)"},
        {1000, NULL, NULL, "Unhandled option: 1000 (0x3e8)"},
        {ERR_OPT_UNKNOWN_OPTION, "-z", NULL, "Unknown option: '-z'"},
        {ERR_OPT_VALUE_MISSING, NULL, &s_Path, "--path: " + statusMessage(ERR_OPT_VALUE_MISSING)},
        {ERR_OPT_INDEX_MISSING, NULL, &s_Count, "--count: " + statusMessage(ERR_OPT_INDEX_MISSING)},
        {ERR_OPT_VALUE_MISSING, NULL, &s_NoName, "#1000: " + statusMessage(ERR_OPT_VALUE_MISSING)},
        {ERR_OPT_BAD_VALUE_FORMAT, NULL, &s_Count, "The value given '--count' has an invalid format."},
        {ERR_OPT_BAD_VALUE_FORMAT, NULL, &s_ShortOnly, "The value given '-k' has an invalid format."},
        {ERR_OPT_VALUE_MISSING, NULL, NULL, statusMessage(ERR_OPT_VALUE_MISSING)},
        {ERR_INVALID_UTF8_ENCODING, NULL, NULL, statusMessage(ERR_INVALID_UTF8_ENCODING)},
    };
    for (const auto &Case : aCases)
    {
        RTOPTVALUE Value;
        memset(&Value, 0, sizeof(Value));
        if (Case.psz)
            Value.psz = Case.psz;
        else
            Value.pDef = Case.pDef;
        EXPECT_EQ(2, RTGetOptReportError(Case.ch, &Value));
        EXPECT_EQ("setup.exe: error: " + Case.Text + "\n", takeOutput()) << "result " << Case.ch;
    }
}

TEST_F(MessageTest, ReportErrorAfterAParse)
{
    static const RTOPTDEF s_aOptions[] = {{"--path", 'p', RTOPT_VAL_STRING}};
    char szProg[] = "prog", szPath[] = "--path";
    char *apszArgs[] = {szProg, szPath};
    RTOPTSTATE State;
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, 2, apszArgs, s_aOptions, 1, 1, 0));
    RTOPTVALUE Value;
    int rc = RTGetOpt(&State, &Value);
    ASSERT_EQ(ERR_OPT_VALUE_MISSING, rc);
    EXPECT_EQ(2, RTGetOptReportError(rc, &Value));
    EXPECT_EQ("setup.exe: error: --path: " + statusMessage(rc) + "\n", takeOutput());
}

} // namespace
