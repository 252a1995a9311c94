/** @file
 * The installer's message functions: which channel each one takes in
 * interactive and silent mode, the exact texts, captions and styles, and
 * their results.
 */
#include "support/stub-capture.h"
#include "TarnStubMessages.h"
#include "TarnStubCmdLine.h"
#include <rt/err.h>

namespace
{

class StubMessagesTest : public StubCaptureTest
{
};

TEST_F(StubMessagesTest, ShowErrorIsAnErrorBoxInteractively)
{
    EXPECT_EQ(1, ShowError("Failed to create extraction path: %Rrc", ERR_ACCESS_DENIED));
    EXPECT_EQ("W|0x10|Tarnvale Installer|Failed to create extraction path: ERR_ACCESS_DENIED\n", boxes());
    EXPECT_EQ("", m_strStdErr);
    EXPECT_EQ("", m_strStdOut);
}

TEST_F(StubMessagesTest, ShowErrorSilentWritesEachLineAsProgramError)
{
    g_fSilent = true;
    EXPECT_EQ(1, ShowError("Unknown option \"%s\"\nPlease refer to the help", "-z"));
    EXPECT_EQ("setup.exe: error: Unknown option \"-z\"\nsetup.exe: error: Please refer to the help\n", m_strStdErr);
    EXPECT_EQ("", boxes());
    EXPECT_EQ("", m_strStdOut);
}

TEST_F(StubMessagesTest, MultiLineErrorIsOneBox)
{
    ShowError("line one\nline two");
    EXPECT_EQ("W|0x10|Tarnvale Installer|line one\nline two\n", boxes());
}

TEST_F(StubMessagesTest, EmptyErrorShowsNothingInEitherMode)
{
    EXPECT_EQ(1, ShowError("%s", ""));
    g_fSilent = true;
    EXPECT_EQ(1, ShowError("%s", ""));
    EXPECT_EQ("", boxes());
    EXPECT_EQ("", m_strStdErr);
}

TEST_F(StubMessagesTest, ShowInfoIsAnInformationBoxOrStandardOutput)
{
    ShowInfo("Files were extracted to: %s", "C:\\Temp");
    EXPECT_EQ("W|0x40|Tarnvale Installer|Files were extracted to: C:\\Temp\n", boxes());
    EXPECT_EQ("", m_strStdOut);

    g_fSilent = true;
    ShowInfo("Files were extracted to: %s", "C:\\Temp");
    EXPECT_EQ("Files were extracted to: C:\\Temp\n", m_strStdOut);
    EXPECT_EQ("", m_strStdErr);
    EXPECT_EQ(1u, m_aBoxes.size());
}

TEST_F(StubMessagesTest, ShowSyntaxErrorNestsTheCallersFormatAndReturnsTwo)
{
    EXPECT_EQ(2, ShowSyntaxError("The first argument to --msi-prop must not contain spaces: %s", "A B"));
    EXPECT_EQ("W|0x10|Tarnvale Installer|The first argument to --msi-prop must not contain spaces: A B\n", boxes());

    g_fSilent = true;
    EXPECT_EQ(2, ShowSyntaxError("Extraction path is too long (%Rrc)", ERR_BUFFER_OVERFLOW));
    EXPECT_EQ("setup.exe: error: Extraction path is too long (ERR_BUFFER_OVERFLOW)\n", m_strStdErr);
}

/* A path from a foreign code page is no UTF-8: the box shows its bytes through the 8-bit call. */
TEST_F(StubMessagesTest, TextThatIsNotUtf8GoesThroughThe8BitBox)
{
    ShowError("Cannot open '%s'", "C:\\Daten\\\xe4nderung.msi");
    ShowInfo("%s", "\xff");
    EXPECT_EQ("A|0x10|Tarnvale Installer|Cannot open 'C:\\Daten\\\xe4nderung.msi'\n"
              "A|0x40|Tarnvale Installer|\xff\n",
              boxes());
}

TEST_F(StubMessagesTest, Utf8TextStaysWide)
{
    ShowError("Datei '%s'", "\xc3\xa4nderung.msi");
    EXPECT_EQ("W|0x10|Tarnvale Installer|Datei '\xc3\xa4nderung.msi'\n", boxes());
}

TEST_F(StubMessagesTest, PrintFunctionsWriteErrorLinesInBothModesWithoutBox)
{
    for (bool fSilent : {false, true})
    {
        g_fSilent = fSilent;
        m_strStdErr.clear();
        PrintError("IsWow64Process2 failed: %u", 5u);
        EXPECT_EQ(1, PrintErrorExit("Package #%u not found in cleanup records", 2u));
        EXPECT_EQ(ERR_WRITE_ERROR, PrintErrorStatus(ERR_WRITE_ERROR, "#%u: Write failed: %Rrc", 0u, ERR_WRITE_ERROR));
        EXPECT_EQ("error: IsWow64Process2 failed: 5\n"
                  "error: Package #2 not found in cleanup records\n"
                  "error: #0: Write failed: ERR_WRITE_ERROR\n",
                  m_strStdErr)
            << "silent " << fSilent;
    }
    EXPECT_EQ("", boxes());
    EXPECT_EQ("", m_strStdOut);
}

TEST_F(StubMessagesTest, PrintErrorStatusPassesSuccessStatusesThrough)
{
    EXPECT_EQ(INF_SUCCESS, PrintErrorStatus(INF_SUCCESS, "nothing"));
    EXPECT_EQ(-12345, PrintErrorStatus(-12345, "odd"));
}

} // namespace
