/** @file
 * Program messages: the exact text RTMsgError, RTMsgInfo and RTMsgInitFailure
 * hand to the standard streams, and the messages RTGetOptReportError prints
 * for each kind of parser result.
 */
#include <gtest/gtest.h>
#include <rt/err.h>
#include <rt/getopt.h>
#include <rt/message.h>
#include <rt/stream.h>
#include <rt/string.h>
#include "support/alloc-failure.h"
#include "support/scoped.h"
#include "internal/message.h"

#include <cstring>
#include <map>
#include <string>

namespace
{

/** The text each stream received, by stream. */
std::map<PRTSTREAM, std::string> g_Captured;

size_t appendOutput(void *pvArg, const char *pach, size_t cch)
{
    static_cast<std::string *>(pvArg)->append(pach, cch);
    return cch;
}

int captureStreamPrintfV(PRTSTREAM pStream, const char *pszFormat, va_list va)
{
    return (int)RTStrFmtV(appendOutput, &g_Captured[pStream], NULL, NULL, pszFormat, va);
}

/** Records the executable path as start-up does and captures what reaches the streams. */
class MessageTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        tst::ScopedExePath::record("C:\\Tools\\setup.exe");
        g_Captured.clear();
        g_rtSeamsMsg.pfnRTStreamPrintfV = captureStreamPrintfV;
    }

    /** What @a pStream received since the last call (the error stream by default). */
    static std::string takeOutput(PRTSTREAM pStream = g_pStdErr)
    {
        std::string Output;
        Output.swap(g_Captured[pStream]);
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

TEST_F(MessageTest, InfoGoesToTheOutputStream)
{
    EXPECT_EQ(0, RTMsgInfo("line1\nline2"));
    EXPECT_EQ("setup.exe: info: line1\nsetup.exe: info: line2\n", takeOutput(g_pStdOut));
    EXPECT_EQ("", takeOutput(g_pStdErr));
    RTMsgError("e");
    EXPECT_EQ("", takeOutput(g_pStdOut));
    EXPECT_EQ("setup.exe: error: e\n", takeOutput(g_pStdErr));
}

TEST_F(MessageTest, InitFailureNamesTheStatusAndGivesExitCode3)
{
    EXPECT_EQ(3, RTMsgInitFailure(ERR_NO_MEMORY));
    EXPECT_EQ("setup.exe: fatal error: RTR3Init: ERR_NO_MEMORY\n", takeOutput());
    tst::ScopedExePath::record("");
    EXPECT_EQ(3, RTMsgInitFailure(ERR_INTERNAL_ERROR_3));
    EXPECT_EQ("fatal error: RTR3Init: ERR_INTERNAL_ERROR_3\n", takeOutput());
    EXPECT_EQ("", takeOutput(g_pStdOut));
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
