/** @file
 * The installer's command line: argument vector in, settings, exit code and
 * the exact messages out, in interactive and silent mode.
 */
#include "support/stub-capture.h"
#include "TarnStubCmdLine.h"
#include <rt/err.h>
#include <rt/path.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

const char g_szArg0[] = "C:\\Downloads\\setup.exe";

const std::string g_strHelp =
    "-- Tarnvale Installer v7.2.0r169020 --\n"
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
    "  C:\\Downloads\\setup.exe --msiparams \"INSTALLDIR=\"\"C:\\Program Files\\Tarnvale\"\"\"\n"
    "  C:\\Downloads\\setup.exe --extract -path C:\\Tarn";

const std::string g_strHint = "\nPlease refer to the command line help by specifying \"-?\"\nto get more information.";

std::string errorBox(const std::string &strText)
{
    return "W|0x10|Tarnvale Installer|" + strText + "\n";
}

std::string infoBox(const std::string &strText)
{
    return "W|0x40|Tarnvale Installer|" + strText + "\n";
}

std::string programError(const std::string &strText)
{
    return "setup.exe: error: " + strText + "\n";
}

/** What a command line must produce; built with the setters below from the initial settings. */
struct Expect
{
    int rcExit = STUB_CONTINUE;
    bool fExtractOnly = false;
    bool fEnableSilentCert = true;
    bool fLogging = false;
    bool fIgnoreReboot = false;
    bool fSilent = false;
    uint32_t cVerbosity = 0;
    std::string strExtractPath;
    std::string strMsiLogFile;
    std::string strMsiParams;
    std::string strBoxes;
    std::string strStdOut;
    std::string strStdErr;

    Expect exit(int rc) const
    {
        return with([&](Expect &e) { e.rcExit = rc; });
    }
    Expect extract() const
    {
        return with([](Expect &e) { e.fExtractOnly = true; });
    }
    Expect noCert() const
    {
        return with([](Expect &e) { e.fEnableSilentCert = false; });
    }
    Expect logging() const
    {
        return with([](Expect &e) { e.fLogging = true; });
    }
    Expect ignoreReboot() const
    {
        return with([](Expect &e) { e.fIgnoreReboot = true; });
    }
    Expect silent() const
    {
        return with([](Expect &e) { e.fSilent = true; });
    }
    Expect verbosity(uint32_t c) const
    {
        return with([&](Expect &e) { e.cVerbosity = c; });
    }
    Expect path(const std::string &s) const
    {
        return with([&](Expect &e) { e.strExtractPath = s; });
    }
    Expect logFile(const std::string &s) const
    {
        return with([&](Expect &e) { e.strMsiLogFile = s; });
    }
    Expect params(const std::string &s) const
    {
        return with([&](Expect &e) { e.strMsiParams = s; });
    }
    Expect box(const std::string &s) const
    {
        return with([&](Expect &e) { e.strBoxes += s; });
    }
    Expect out(const std::string &s) const
    {
        return with([&](Expect &e) { e.strStdOut = s; });
    }
    Expect err(const std::string &s) const
    {
        return with([&](Expect &e) { e.strStdErr = s; });
    }

    template <typename Fn> Expect with(Fn fn) const
    {
        Expect Copy = *this;
        fn(Copy);
        return Copy;
    }
};

const Expect g_Run;                                     /* the run goes on with the initial settings */
const Expect g_Syntax = Expect().exit(2);               /* a command-line error */
const Expect g_Done = Expect().exit(STUB_EXIT_SUCCESS); /* help or version shown */

struct CmdLineCase
{
    const char *pszName;
    std::vector<std::string> Args; /* after argument 0 */
    Expect Want;
};

const std::string g_str4095(4095, 'a');
const std::string g_str4094(4094, 'a');
const std::string g_str4093(4093, 'a');
const std::string g_str4090(4090, 'a');
const std::string g_strLongPath = "C:\\" + std::string(4200, 'p');

const CmdLineCase g_aCases[] = {
    {"no arguments", {}, g_Run},

    /* Every definition of the table, by the effect of its identifier. */
    {"extract forms", {"--extract", "-extract", "/extract"}, g_Run.extract()},
    {"silent forms", {"--silent", "-silent", "/silent"}, g_Run.silent()},
    {"no-silent-cert forms", {"--no-silent-cert", "-no-silent-cert", "/no-silent-cert"}, g_Run.noCert()},
    {"timestamp-ca options change nothing",
     {"--no-install-timestamp-ca", "--force-install-timestamp-ca", "-t", "-T", "-tT"},
     g_Run},
    {"logging forms", {"--logging", "-logging", "/logging"}, g_Run.logging()},
    {"msi-log-file", {"--msi-log-file", "C:\\logs\\msi.txt"}, g_Run.logFile("C:\\logs\\msi.txt")},
    {"msilogfile", {"-msilogfile", "D:/x/../log.txt"}, g_Run.logFile("D:\\log.txt")},
    {"path forms", {"--path", "C:\\a", "-path", "C:\\b", "/path", "C:\\c"}, g_Run.path("C:\\c")},
    {"msiparams forms", {"--msiparams", "A=1", "-msiparams", "B=2"}, g_Run.params("A=1 B=2")},
    {"reinstall forms",
     {"--reinstall", "-reinstall", "/reinstall"},
     g_Run.params("REINSTALLMODE=vomus REINSTALL=ALL REINSTALLMODE=vomus REINSTALL=ALL "
                  "REINSTALLMODE=vomus REINSTALL=ALL")},
    {"ignore-reboot", {"--ignore-reboot"}, g_Run.ignoreReboot()},
    {"verbose forms", {"--verbose", "-verbose", "/verbose", "-v"}, g_Run.verbosity(4)},
    {"version dash dash", {"--version"}, g_Done.box(infoBox("Version: 7.2.0r169020"))},
    {"version dash", {"-version"}, g_Done.box(infoBox("Version: 7.2.0r169020"))},
    {"version slash", {"/version"}, g_Done.box(infoBox("Version: 7.2.0r169020"))},
    {"version -V", {"-V"}, g_Done.box(infoBox("Version: 7.2.0r169020"))},
    {"help dash dash", {"--help"}, g_Done.box(infoBox(g_strHelp))},
    {"help dash", {"-help"}, g_Done.box(infoBox(g_strHelp))},
    {"help slash", {"/help"}, g_Done.box(infoBox(g_strHelp))},
    {"help slash question", {"/?"}, g_Done.box(infoBox(g_strHelp))},
    {"help dash question", {"-?"}, g_Done.box(infoBox(g_strHelp))},
    {"help -h", {"-h"}, g_Done.box(infoBox(g_strHelp))},

    /* Short forms and the parser's value spellings. */
    {"short group", {"-xs"}, g_Run.extract().silent()},
    {"short path separate", {"-p", "C:\\x"}, g_Run.path("C:\\x")},
    {"short path joined", {"-pC:\\x"}, g_Run.path("C:\\x")},
    {"path with =", {"--path=C:\\x"}, g_Run.path("C:\\x")},
    {"path with :", {"--path:C:\\x"}, g_Run.path("C:\\x")},
    {"empty path clears", {"--path", "C:\\x", "--path", ""}, g_Run},
    {"empty log file clears", {"--msi-log-file", "C:\\l", "--msi-log-file", ""}, g_Run},
    {"later path wins", {"--path", "C:\\one", "-p", "C:\\two\\.\\sub"}, g_Run.path("C:\\two\\sub")},
    {"path too long",
     {"--path", g_strLongPath},
     g_Syntax.box(errorBox("Extraction path is too long (ERR_BUFFER_OVERFLOW)"))},
    {"log file too long",
     {"--msi-log-file", g_strLongPath},
     g_Syntax.box(errorBox("MSI log file path is too long (ERR_BUFFER_OVERFLOW)"))},
    {"path too long, silent",
     {"-s", "--path", g_strLongPath},
     g_Syntax.silent().err(programError("Extraction path is too long (ERR_BUFFER_OVERFLOW)"))},

    /* Help and version stop where they stand. */
    {"silent then help", {"--silent", "--help"}, g_Done.silent().out(g_strHelp + "\n")},
    {"help then silent", {"--help", "--silent"}, g_Done.box(infoBox(g_strHelp))},
    {"silent version", {"-s", "--version"}, g_Done.silent().out("Version: 7.2.0r169020\n")},
    {"nothing after help is examined", {"--help", "--bogus", "--path", g_strLongPath}, g_Done.box(infoBox(g_strHelp))},
    {"settings before version stay", {"-x", "--version", "-s"}, g_Done.extract().box(infoBox("Version: 7.2.0r169020"))},

    /* Command-line errors. */
    {"unknown option", {"--bogus"}, g_Syntax.box(errorBox("Unknown option \"--bogus\"" + g_strHint))},
    {"unknown option then silent",
     {"--bogus", "--silent"},
     g_Syntax.box(errorBox("Unknown option \"--bogus\"" + g_strHint))},
    {"silent then unknown option",
     {"--silent", "--bogus"},
     g_Syntax.silent().err(programError("Unknown option: '--bogus'"))},
    {"unknown short option", {"-xq"}, g_Syntax.extract().box(errorBox("Unknown option \"q\"" + g_strHint))},
    {"stray argument first",
     {"B=2", "--msiparams", "A=1"},
     g_Syntax.box(errorBox("Parameter parsing error: INF_OPT_NOT_OPTION" + g_strHint))},
    {"stray argument silent", {"-s", "B=2"}, g_Syntax.silent().err(programError("Invalid parameter: B=2"))},
    {"slash word is a stray argument",
     {"/qn"},
     g_Syntax.box(errorBox("Parameter parsing error: INF_OPT_NOT_OPTION" + g_strHint))},
    {"slash word silent", {"/silent", "/qn"}, g_Syntax.silent().err(programError("Invalid parameter: /qn"))},
    {"value missing", {"--path"}, g_Syntax.box(errorBox("Parameter parsing error: ERR_OPT_VALUE_MISSING" + g_strHint))},
    {"value missing silent",
     {"-s", "--msiparams"},
     g_Syntax.silent().err(programError("--msiparams: option value missing"))},
    {"malformed UTF-8",
     {"\xff"},
     g_Syntax.box(errorBox("Parameter parsing error: ERR_INVALID_UTF8_ENCODING" + g_strHint))},

    /* The MSI parameter string. */
    {"extra arguments after msiparams", {"--msiparams", "A=1", "B=2", "/qn"}, g_Run.params("A=1 B=2 /qn")},
    {"msiparams kept unchanged", {"--msiparams", "PROP=\"\"a b\"\""}, g_Run.params("PROP=\"\"a b\"\"")},
    {"reinstall after msiparams",
     {"--msiparams", "X", "--reinstall"},
     g_Run.params("X REINSTALLMODE=vomus REINSTALL=ALL")},
    {"empty msiparams value",
     {"--msiparams", "", "B=2"},
     g_Syntax.box(errorBox("Parameter parsing error: INF_OPT_NOT_OPTION" + g_strHint))},
    {"4095 characters fit", {"--msiparams", g_str4095}, g_Run.params(g_str4095)},
    {"4093 characters, a space and one more fit", {"--msiparams", g_str4093, "b"}, g_Run.params(g_str4093 + " b")},
    {"4096 characters do not fit",
     {"--msiparams", g_str4094, "b"},
     g_Syntax.params(g_str4094 + " ").box(errorBox("Out of space for MSI parameters and properties"))},
    {"out of space silent",
     {"-s", "--msiparams", g_str4095, "--reinstall"},
     g_Syntax.silent().params(g_str4095).err(programError("Out of space for MSI parameters and properties"))},

    /* --msi-prop. */
    {"property", {"--msi-prop", "A", "1"}, g_Run.params("A=1")},
    {"property value with a space is quoted",
     {"--msi-prop", "INSTALLDIR", "C:\\Program Files\\T"},
     g_Run.params("INSTALLDIR=\"C:\\Program Files\\T\"")},
    {"property value with a tab is quoted", {"--msi-prop", "P", "a\tb"}, g_Run.params("P=\"a\tb\"")},
    {"property value with a carriage return is quoted", {"--msi-prop", "P", "a\rb"}, g_Run.params("P=\"a\rb\"")},
    {"property value quotes are copied", {"--msi-prop", "P", "say\"hi\""}, g_Run.params("P=say\"hi\"")},
    {"property name with =, empty name", {"--msi-prop", "A=B", "1", "--msi-prop", "", "v"}, g_Run.params("A=B=1 =v")},
    {"property after msiparams", {"--msiparams", "X", "--msi-prop=P", "v"}, g_Run.params("X P=v")},
    {"property empty value", {"--msi-prop", "P", ""}, g_Run.params("P=")},
    {"property then stray argument", {"--msi-prop", "A", "1", "B=2"}, g_Run.params("A=1 B=2")},
    {"property name with a space",
     {"--msi-prop", "A B", "1"},
     g_Syntax.box(errorBox("The first argument to --msi-prop must not contain spaces: A B"))},
    {"property name with a line feed, silent",
     {"-s", "--msi-prop", "A\nB", "1"},
     g_Syntax.silent().err(programError("The first argument to --msi-prop must not contain spaces: A") +
                           programError("B"))},
    {"property without value",
     {"--msi-prop", "P"},
     g_Syntax.box(errorBox("--msi-prop takes two arguments, the 2nd is missing"))},
    {"property fits exactly", {"--msiparams", g_str4090, "--msi-prop", "A", "12"}, g_Run.params(g_str4090 + " A=12")},
    {"property out of space",
     {"--msiparams", g_str4090, "--msi-prop", "A", "123"},
     g_Syntax.params(g_str4090 + " A=12").box(errorBox("Out of space for MSI parameters and properties"))},
};

void PrintTo(const CmdLineCase &Case, std::ostream *pOs)
{
    *pOs << Case.pszName;
}

class StubCmdLineTest : public StubCaptureTest, public ::testing::WithParamInterface<CmdLineCase>
{
  protected:
    int parse(const std::vector<std::string> &Args)
    {
        m_Storage.assign(1, g_szArg0);
        m_Storage.insert(m_Storage.end(), Args.begin(), Args.end());
        m_apszArgs.clear();
        for (std::string &str : m_Storage)
            m_apszArgs.push_back(&str[0]);
        m_apszArgs.push_back(NULL);
        /* Leftovers of an earlier run must not survive the parse. */
        memset(&m_Settings, 0x5a, sizeof(m_Settings));
        return StubParseCommandLine((int)m_Storage.size(), m_apszArgs.data(), &m_Settings);
    }

    StubSettings m_Settings;
    std::vector<std::string> m_Storage;
    std::vector<char *> m_apszArgs;
};

TEST_P(StubCmdLineTest, SettingsExitCodeAndMessages)
{
    const Expect &Want = GetParam().Want;
    int rc = parse(GetParam().Args);
    EXPECT_EQ(Want.rcExit, rc);
    EXPECT_EQ(Want.strBoxes, boxes());
    EXPECT_EQ(Want.strStdOut, m_strStdOut);
    EXPECT_EQ(Want.strStdErr, m_strStdErr);
    EXPECT_EQ(Want.fSilent, g_fSilent);
    EXPECT_EQ(Want.cVerbosity, g_cVerbosity);
    EXPECT_EQ(Want.fExtractOnly, m_Settings.fExtractOnly);
    EXPECT_EQ(Want.fEnableSilentCert, m_Settings.fEnableSilentCert);
    EXPECT_EQ(Want.fLogging, m_Settings.fLogging);
    EXPECT_EQ(Want.fIgnoreReboot, m_Settings.fIgnoreReboot);
    EXPECT_EQ(Want.strExtractPath, m_Settings.szExtractPath);
    EXPECT_EQ(Want.strMsiLogFile, m_Settings.szMsiLogFile);
    EXPECT_EQ(Want.strMsiParams, m_Settings.szMsiParams);
}

INSTANTIATE_TEST_SUITE_P(Table, StubCmdLineTest, ::testing::ValuesIn(g_aCases),
                         [](const ::testing::TestParamInfo<CmdLineCase> &Info)
                         {
                             std::string strName = std::to_string(Info.index) + "_";
                             for (const char *pch = Info.param.pszName; *pch; pch++)
                                 strName += isalnum((unsigned char)*pch) ? *pch : '_';
                             return strName;
                         });

class StubCmdLineMiscTest : public StubCmdLineTest
{
};

/* The buffers are cleared over their whole length, not just terminated. */
TEST_F(StubCmdLineMiscTest, InitialSettingsClearWholeBuffers)
{
    ASSERT_EQ(STUB_CONTINUE, parse({}));
    StubSettings Zero;
    memset(&Zero, 0, sizeof(Zero));
    Zero.fEnableSilentCert = true;
    EXPECT_EQ(0, memcmp(&Zero, &m_Settings, sizeof(Zero)));
}

TEST_F(StubCmdLineMiscTest, RelativePathsBecomeAbsoluteUnderTheCurrentDirectory)
{
    char szCwd[RTPATH_MAX];
    ASSERT_EQ(INF_SUCCESS, RTPathGetCurrent(szCwd, sizeof(szCwd)));
    std::string strBase = szCwd;
    if (strBase.back() != '\\')
        strBase += '\\';
    ASSERT_EQ(STUB_CONTINUE, parse({"--path", "pkgs", "--msi-log-file", "logs/msi.log"}));
    EXPECT_EQ(strBase + "pkgs", m_Settings.szExtractPath);
    EXPECT_EQ(strBase + "logs\\msi.log", m_Settings.szMsiLogFile);
}

/* A process may be started with an empty command line: no program name, no options. */
TEST_F(StubCmdLineMiscTest, EmptyVectorRunsWithInitialSettings)
{
    StubSettings Settings;
    char *apszArgs[] = {NULL};
    EXPECT_EQ(STUB_CONTINUE, StubParseCommandLine(0, apszArgs, &Settings));
    EXPECT_EQ("", boxes());
    EXPECT_TRUE(Settings.fEnableSilentCert);
    EXPECT_STREQ("", Settings.szMsiParams);
}

TEST_F(StubCmdLineMiscTest, ParserThatCannotStartEndsWithOne)
{
    StubSettings Settings;
    char *apszArgs[] = {NULL};
    EXPECT_EQ(1, StubParseCommandLine(-1, apszArgs, &Settings));
    EXPECT_EQ(errorBox("RTGetOptInit failed: ERR_INVALID_PARAMETER"), boxes());
}

} // namespace
