/** @file
 * The option parser over the installer's own option table, and the parser
 * features that table does not use (case-insensitive and index options,
 * options-first mode, built-ins switched off).
 */
#include <gtest/gtest.h>
#include <rt/getopt.h>
#include <rt/err.h>
#include "TarnStubSettings.h"
#include "TarnStubOptions.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{

/* The cases below run against the installer's own table (TarnStubSettings.h). */
static_assert(STUB_OPTION_COUNT == 36, "the installer has 36 rows");

/** An argument vector of exactly-sized copies, with the program name in front. */
class ArgVector
{
  public:
    explicit ArgVector(const std::vector<std::string> &Args)
    {
        m_Storage.push_back("prog");
        m_Storage.insert(m_Storage.end(), Args.begin(), Args.end());
        for (std::string &Arg : m_Storage)
            m_Pointers.push_back(&Arg[0]);
    }
    char **data() { return m_Pointers.data(); }
    int count() const { return (int)m_Pointers.size(); }
    std::vector<std::string> current() const { return {m_Pointers.begin() + 1, m_Pointers.end()}; }

  private:
    std::vector<std::string> m_Storage;
    std::vector<char *> m_Pointers;
};

/**
 * One parser result in readable form: "x" for a flag option, "p=C:\dir" for a
 * value option, "828:foo" for a non-option, "-825:-z" for an unknown option,
 * "-826@--path" for a failure carrying a definition, "1000=x" for identifiers
 * that are not characters.
 */
std::string describe(int rc, const RTOPTVALUE &Value, const RTOPTSTATE &State)
{
    if (rc == INF_OPT_NOT_OPTION || rc == ERR_OPT_UNKNOWN_OPTION)
        return std::to_string(rc) + ":" + Value.psz;
    if (rc < 0)
        return std::to_string(rc) + "@" + (Value.pDef && Value.pDef->pszLong ? Value.pDef->pszLong : "null");
    std::string Id = rc < 0x80 ? std::string(1, (char)rc) : std::to_string(rc);
    if (State.pDefLast == NULL || State.pDefLast->iShort != rc)
        return Id + "!pDefLast";
    if ((State.pDefLast->fFlags & RTOPT_VAL_MASK) == RTOPT_VAL_STRING)
        return Id + "=" + Value.psz;
    if (Value.pDef != State.pDefLast)
        return Id + "!pDef";
    return Id;
}

/** Parses @a Args until 0 or the first failure, as the installer does. */
std::vector<std::string> parseAll(ArgVector &Argv, PCRTOPTDEF paOptions, size_t cOptions, uint32_t fInit = 0)
{
    RTOPTSTATE State;
    EXPECT_EQ(INF_SUCCESS, RTGetOptInit(&State, Argv.count(), Argv.data(), paOptions, cOptions, 1, fInit));
    std::vector<std::string> Results;
    for (int cCalls = 0; cCalls < 64; cCalls++)
    {
        RTOPTVALUE Value;
        memset(&Value, 0xa5, sizeof(Value));
        int rc = RTGetOpt(&State, &Value);
        if (rc == 0)
            break;
        Results.push_back(describe(rc, Value, State));
        if (rc < 0)
            break;
    }
    return Results;
}

std::vector<std::string> parseInstaller(const std::vector<std::string> &Args)
{
    ArgVector Argv(Args);
    return parseAll(Argv, g_aStubOptions, STUB_OPTION_COUNT);
}

struct InstallerCase
{
    std::vector<std::string> Args;
    std::vector<std::string> Expected;
};

const InstallerCase g_aInstallerCases[] = {
    /* Every spelling of one option, groups and Unicode dashes. */
    {{"-extract", "--extract", "/extract", "-x"}, {"x", "x", "x", "x"}},
    {{"-xs", "-v"}, {"x", "s", "v"}},
    {{"-xsv", "foo"}, {"x", "s", "v", "828:foo"}}, /* groups of three and more */
    {{"-xsvrl", "-c"}, {"x", "s", "v", "r", "l", "c"}},
    {{"\xE2\x80\x93"
      "extract"},
     {"x"}}, /* en dash */
    {{"\xE2\x80\x94\xE2\x88\x92"
      "silent"},
     {"s"}}, /* em dash + minus for "--" */
    {{"--no\xEF\xBC\x8Dsilent\xEF\xB9\xA3"
      "cert"},
     {"c"}},                    /* full-width and small hyphen-minus */
    {{"\xE2\x80\x90x"}, {"x"}}, /* a dash before a short option */
    {{"-t", "-T", "--no-install-timestamp-ca", "--force-install-timestamp-ca"}, {"t", "T", "t", "T"}},
    /* Values: every form of --path. */
    {{"--path", "C:\\dir", "--path=C:\\dir", "--path:C:\\dir", "-path", "C:\\dir", "/path", "C:\\dir"},
     {"p=C:\\dir", "p=C:\\dir", "p=C:\\dir", "p=C:\\dir", "p=C:\\dir"}},
    {{"-p", "C:\\dir", "-pC:\\dir", "-p=C:\\dir", "-p:C:\\dir"}, {"p=C:\\dir", "p=C:\\dir", "p=C:\\dir", "p=C:\\dir"}},
    {{"--path=", "--path", ""}, {"p=", "p="}},
    {{"--path", "--silent", "--path", "-x"}, {"p=--silent", "p=-x"}}, /* values are taken verbatim */
    {{"-sp", "C:\\x", "-s"}, {"s", "p=C:\\x", "s"}},                  /* group ending in a value option */
    {{"-spC:\\x", "-xp=y"}, {"s", "p=C:\\x", "x", "p=y"}},
    {{"-px", "-v"}, {"p=x", "v"}}, /* the value swallows the group */
    {{"-xvpC:\\t", "-s"}, {"x", "v", "p=C:\\t", "s"}},
    {{"-xsvp", "C:\\t", "-r"}, {"x", "s", "v", "p=C:\\t", "r"}},
    {{"--msi-log-file=log.txt", "-msilogfile", "a b"}, {"1000=log.txt", "1000=a b"}},
    {{"--msiparams", "A=1", "B=2", "/qn", ""}, {"m=A=1", "828:B=2", "828:/qn", "828:"}},
    /* Help and version: the table's rows, the built-in '?' and the built-in short 'V'. */
    {{"/?", "-?", "-h", "--help", "-help", "/help"}, {"h", "h", "h", "h", "h", "h"}},
    {{"--version", "-V", "/version"}, {"V", "V", "V"}},
    {{"-x?"}, {"x", "h"}},
    /* What is not an option. */
    {{"--pathC:\\dir"}, {"-825:--pathC:\\dir"}},
    {{"--EXTRACT"}, {"-825:--EXTRACT"}},
    {{"/EXTRACT", "foo", "/x"}, {"828:/EXTRACT", "828:foo", "828:/x"}},
    {{"-z"}, {"-825:-z"}},
    {{"-"}, {"-825:-"}},
    {{"---extract"}, {"-825:---extract"}},
    {{"--silent=1"}, {"-825:--silent=1"}},      /* flags take no value */
    {{"\xE2\x80\x93z"}, {"828:\xE2\x80\x93z"}}, /* only an ASCII '-' is unknown */
    {{"-xz"}, {"x", "-825:z"}},
    {{"-x\xC3\xA9"}, {"x", "-825:\xC3\xA9"}},
    /* "--" ends the options and is never returned. */
    {{"-x", "--", "--silent", "--", "foo"}, {"x", "828:--silent", "828:--", "828:foo"}},
    {{"--"}, {}},
    /* Value missing. */
    {{"--path"}, {"-826@--path"}},
    {{"-s", "-p"}, {"s", "-826@--path"}},
    {{"-xp"}, {"x", "-826@--path"}},
    {{"--msi-log-file"}, {"-826@--msi-log-file"}},
};

TEST(GetOptInstaller, TableOfCommandLines)
{
    for (const InstallerCase &Case : g_aInstallerCases)
    {
        std::string Line;
        for (const std::string &Arg : Case.Args)
            Line += "[" + Arg + "] ";
        EXPECT_EQ(Case.Expected, parseInstaller(Case.Args)) << Line;
    }
}

TEST(GetOptInstaller, FlagOptionsHandBackTheirOwnRow)
{
    struct
    {
        const char *pszArg;
        size_t iRow;
    } const aCases[] = {{"--extract", 0}, {"-extract", 1}, {"/extract", 2}, {"-x", 0}, {"/?", 35}, {"-h", 32}};
    for (const auto &Case : aCases)
    {
        ArgVector Argv({Case.pszArg});
        RTOPTSTATE State;
        ASSERT_EQ(INF_SUCCESS,
                  RTGetOptInit(&State, Argv.count(), Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1, 0));
        RTOPTVALUE Value;
        EXPECT_EQ(g_aStubOptions[Case.iRow].iShort, RTGetOpt(&State, &Value)) << Case.pszArg;
        EXPECT_EQ(&g_aStubOptions[Case.iRow], Value.pDef) << Case.pszArg;
        EXPECT_EQ(&g_aStubOptions[Case.iRow], State.pDefLast) << Case.pszArg;
        EXPECT_EQ(UINT32_MAX, State.uIndex);
    }
}

TEST(GetOptInstaller, UnknownGroupCharacterIsReportedAgainOnTheNextCall)
{
    ArgVector Argv({"-xzs"});
    RTOPTSTATE State;
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, Argv.count(), Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1, 0));
    RTOPTVALUE Value;
    EXPECT_EQ('x', RTGetOpt(&State, &Value));
    for (int i = 0; i < 2; i++)
    {
        EXPECT_EQ(ERR_OPT_UNKNOWN_OPTION, RTGetOpt(&State, &Value));
        EXPECT_STREQ("zs", Value.psz);
        EXPECT_EQ(NULL, State.pDefLast);
    }
}

TEST(GetOptInstaller, MsiPropTakesItsSecondValue)
{
    ArgVector Argv({"--msi-prop", "INSTALLDIR", "C:\\a b", "--msi-prop", "A"});
    RTOPTSTATE State;
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, Argv.count(), Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1, 0));
    RTOPTVALUE Value;
    ASSERT_EQ('P', RTGetOpt(&State, &Value));
    EXPECT_STREQ("INSTALLDIR", Value.psz);
    ASSERT_EQ(INF_SUCCESS, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING));
    EXPECT_STREQ("C:\\a b", Value.psz);

    ASSERT_EQ('P', RTGetOpt(&State, &Value));
    EXPECT_STREQ("A", Value.psz);
    EXPECT_EQ(ERR_OPT_VALUE_MISSING, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING));
    EXPECT_EQ(NULL, Value.pDef); /* nothing was taken: the union is cleared, the definition not stored */
    EXPECT_EQ(0, RTGetOpt(&State, &Value));
}

TEST(GetOptInstaller, TakeValueWithABadValueNamesTheOption)
{
    ArgVector Argv({"--msi-prop", "N", "twelve"});
    RTOPTSTATE State;
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, Argv.count(), Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1, 0));
    RTOPTVALUE Value;
    ASSERT_EQ('P', RTGetOpt(&State, &Value));
    memset(&Value, 0xa5, sizeof(Value));
    EXPECT_EQ(ERR_OPT_BAD_VALUE_FORMAT, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_UINT32));
    EXPECT_EQ(&g_aStubOptions[21], Value.pDef);
    EXPECT_EQ(0, RTGetOpt(&State, &Value)); /* the bad value was used up */
}

TEST(GetOptInstaller, TakeValueInsideAGroupTakesTheRestOfTheGroup)
{
    ArgVector Argv({"-xsv", "next"});
    RTOPTSTATE State;
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, Argv.count(), Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1, 0));
    RTOPTVALUE Value;
    ASSERT_EQ('x', RTGetOpt(&State, &Value));
    ASSERT_EQ(INF_SUCCESS, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING));
    EXPECT_STREQ("sv", Value.psz);
    EXPECT_EQ(INF_OPT_NOT_OPTION, RTGetOpt(&State, &Value));
    EXPECT_STREQ("next", Value.psz);
    EXPECT_EQ(0, RTGetOpt(&State, &Value));
}

TEST(GetOptApi, InitAndTakeValueRejectBadFlags)
{
    ArgVector Argv({"x"});
    RTOPTSTATE State;
    EXPECT_EQ(ERR_INVALID_PARAMETER,
              RTGetOptInit(&State, Argv.count(), Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1, 4));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTGetOptInit(&State, -1, Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1, 0));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTGetOptInit(&State, 2, NULL, g_aStubOptions, STUB_OPTION_COUNT, 1, 0));
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, Argv.count(), Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1,
                                        RTOPT_INIT_OPTIONS_FIRST | RTOPT_INIT_NO_BUILTINS));
    EXPECT_EQ(1, State.iNext);
    EXPECT_EQ(UINT32_MAX, State.uIndex);
    EXPECT_EQ(0, State.cNonOptions);

    RTOPTVALUE Value;
    Value.psz = "untouched";
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTGetOptTakeValue(&State, &Value, 0));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING | 0x100));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING | 0x01000000));
    EXPECT_STREQ("untouched", Value.psz);
    EXPECT_EQ(INF_SUCCESS, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING | RTOPT_ICASE));
    EXPECT_STREQ("x", Value.psz);
    EXPECT_EQ(ERR_OPT_VALUE_MISSING, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING));
}

TEST(GetOptApi, MalformedUtf8EndsTheCallWithTheDecoderStatus)
{
    ArgVector Argv({"\xC3(", "\xFF"});
    RTOPTSTATE State;
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, Argv.count(), Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1, 0));
    for (int i = 0; i < 2; i++)
    {
        RTOPTVALUE Value;
        Value.psz = "stale";
        int rc = RTGetOpt(&State, &Value);
        EXPECT_LT(rc, 0);
        EXPECT_NE(ERR_OPT_UNKNOWN_OPTION, rc);
        EXPECT_EQ(NULL, Value.psz);
    }
}

/*
 * Parser features outside the installer's table.
 */

const RTOPTDEF g_aFeatureOptions[] = {
    {"--Mode", 'm', RTOPT_VAL_STRING | RTOPT_ICASE},
    {"--quiet", 'q', RTOPT_VAL_NONE | RTOPT_ICASE},
    {"--disk", 'd', RTOPT_VAL_UINT32 | RTOPT_INDEX},
    {"--nic", 'n', RTOPT_VAL_STRING | RTOPT_INDEX | RTOPT_INDEX_DASH | RTOPT_INDEX_DEFAULT_1},
    {"--cpu", 'c', RTOPT_VAL_NONE | RTOPT_INDEX},
    {"--port", 'P', RTOPT_VAL_NONE | RTOPT_INDEX | RTOPT_INDEX_DEFAULT_2},
    {"--count", 'k', RTOPT_VAL_UINT8},
    {"--broken", 'b', RTOPT_VAL_STRING | RTOPT_HEX},
    {NULL, 'z', RTOPT_VAL_NONE},
    {"--help", 1001, RTOPT_VAL_NONE},
};

struct FeatureCase
{
    std::vector<std::string> Args;
    /* Each result as from describe(), with "#<index>" appended when the state has an index. */
    std::vector<std::string> Expected;
};

std::vector<std::string> parseFeatures(const std::vector<std::string> &Args, uint32_t fInit = 0)
{
    ArgVector Argv(Args);
    RTOPTSTATE State;
    EXPECT_EQ(INF_SUCCESS, RTGetOptInit(&State, Argv.count(), Argv.data(), g_aFeatureOptions,
                                        RT_ELEMENTS(g_aFeatureOptions), 1, fInit));
    std::vector<std::string> Results;
    for (int cCalls = 0; cCalls < 64; cCalls++)
    {
        RTOPTVALUE Value;
        memset(&Value, 0xa5, sizeof(Value));
        int rc = RTGetOpt(&State, &Value);
        if (rc == 0)
            break;
        std::string Result;
        if (rc == 'd' || rc == 'k')
            Result = std::string(1, (char)rc) + "=" + std::to_string(rc == 'd' ? Value.u32 : Value.u8);
        else
            Result = describe(rc, Value, State);
        if (State.uIndex != UINT32_MAX)
            Result += "#" + std::to_string(State.uIndex);
        Results.push_back(Result);
        if (rc < 0)
            break;
    }
    return Results;
}

const FeatureCase g_aFeatureCases[] = {
    /* Letter case. */
    {{"--MODE=fast", "--mode", "slow", "--QuIeT"}, {"m=fast", "m=slow", "q"}},
    {{"--quiet\xC3\xA9"}, {"-825:--quiet\xC3\xA9"}},
    /* Index options with a value. */
    {{"--disk3=7", "--disk12:8", "--disk0", "9"}, {"d=7#3", "d=8#12", "d=9#0"}},
    {{"--disk=7"}, {"-827@--disk"}},
    {{"--disk"}, {"-829@--disk"}},
    {{"--disk4"}, {"-826@--disk"}},
    {{"--disk99999999999=1"}, {"-827@--disk"}},
    {{"--disk3=x"}, {"-827@--disk"}},
    {{"--disk-3=1"}, {"-825:--disk-3=1"}},
    {{"--nic-2=eth",
      "--nic\xE2\x80\x91"
      "5",
      "a", "--nic", "b", "--nic=c"},
     {"n=eth#2", "n=a#5", "n=b#1", "n=c#1"}},
    /* Index options without a value. */
    {{"--cpu7", "--cpu"}, {"c#7", "-829@--cpu"}},
    {{"--cpu7=1"}, {"-825:--cpu7=1"}},
    {{"--cpu99999999999"}, {"-827@--cpu"}},
    {{"--port", "--port4"}, {"P#2", "P#4"}}, /* the default applies without a value too */
    /* Conversion failures hand back the definition. */
    {{"--count", "300"}, {"-827@--count"}},
    {{"-k7", "-k", "0x10"}, {"k=7", "k=16"}},
    {{"--broken", "x"}, {"-225@--broken"}},
    /* A definition without long name is reachable as a short option only; the
     * caller's "--help" comes before the built-in, '?' still means help. */
    {{"-z", "--help", "-?"}, {"z", "1001", "h"}},
};

TEST(GetOptFeatures, TableOfCommandLines)
{
    for (const FeatureCase &Case : g_aFeatureCases)
    {
        std::string Line;
        for (const std::string &Arg : Case.Args)
            Line += "[" + Arg + "] ";
        EXPECT_EQ(Case.Expected, parseFeatures(Case.Args)) << Line;
    }
}

TEST(GetOptFeatures, NoBuiltins)
{
    EXPECT_EQ(std::vector<std::string>{"-825:-?"}, parseFeatures({"-?"}, RTOPT_INIT_NO_BUILTINS));
    EXPECT_EQ(std::vector<std::string>{"-825:--version"}, parseFeatures({"--version"}, RTOPT_INIT_NO_BUILTINS));
    EXPECT_EQ(std::vector<std::string>{"V"}, parseFeatures({"--version"}));
    EXPECT_EQ(std::vector<std::string>{"V"}, parseFeatures({"-V"}));
}

TEST(GetOptFeatures, CallerDefinedQuestionMarkWins)
{
    const RTOPTDEF aOptions[] = {{"--query", '?', RTOPT_VAL_NONE}};
    ArgVector Argv({"-?"});
    EXPECT_EQ(std::vector<std::string>{"?"}, parseAll(Argv, aOptions, RT_ELEMENTS(aOptions)));
}

/*
 * Options-first mode.
 */

struct OptionsFirstCase
{
    std::vector<std::string> Args;
    std::vector<std::string> Expected;
    std::vector<std::string> Reordered;
};

const OptionsFirstCase g_aOptionsFirstCases[] = {
    {{"a", "-x", "b", "--path", "p1", "c"},
     {"x", "p=p1", "828:a", "828:b", "828:c"},
     {"-x", "--path", "p1", "a", "b", "c"}},
    {{"a", "b", "-sp", "v", "c"}, {"s", "p=v", "828:a", "828:b", "828:c"}, {"-sp", "v", "a", "b", "c"}},
    {{"a", "--", "-x", "b"}, {"828:a", "828:-x", "828:b"}, {"--", "a", "-x", "b"}},
    {{"a", "-x", "--", "-s"}, {"x", "828:a", "828:-s"}, {"-x", "--", "a", "-s"}},
    {{"a", "/qn"}, {"828:a", "828:/qn"}, {"a", "/qn"}},
    {{"a", "--path"}, {"-826@--path"}, {"--path", "a"}},
    {{"a", "-z", "b"}, {"-825:-z"}, {"a", "-z", "b"}},
    {{"a", "\xE2\x80\x93z"}, {"-825:\xE2\x80\x93z"}, {"a", "\xE2\x80\x93z"}}, /* any dash counts here */
};

TEST(GetOptOptionsFirst, ReturnsOptionsFirstAndReordersTheVector)
{
    for (const OptionsFirstCase &Case : g_aOptionsFirstCases)
    {
        std::string Line;
        for (const std::string &Arg : Case.Args)
            Line += "[" + Arg + "] ";
        ArgVector Argv(Case.Args);
        EXPECT_EQ(Case.Expected, parseAll(Argv, g_aStubOptions, STUB_OPTION_COUNT, RTOPT_INIT_OPTIONS_FIRST)) << Line;
        EXPECT_EQ(Case.Reordered, Argv.current()) << Line;
    }
}

TEST(GetOptOptionsFirst, TakeValueLooksPastCollectedNonOptions)
{
    ArgVector Argv({"a", "--msi-prop", "N", "b"});
    RTOPTSTATE State;
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, Argv.count(), Argv.data(), g_aStubOptions, STUB_OPTION_COUNT, 1,
                                        RTOPT_INIT_OPTIONS_FIRST));
    RTOPTVALUE Value;
    ASSERT_EQ('P', RTGetOpt(&State, &Value));
    EXPECT_STREQ("N", Value.psz);
    ASSERT_EQ(INF_SUCCESS, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING));
    EXPECT_STREQ("b", Value.psz);
    EXPECT_EQ((std::vector<std::string>{"--msi-prop", "N", "b", "a"}), Argv.current());
    /* Only the collected "a" is left: there is no further value to take. */
    EXPECT_EQ(ERR_OPT_VALUE_MISSING, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING));
    EXPECT_EQ(INF_OPT_NOT_OPTION, RTGetOpt(&State, &Value));
    EXPECT_STREQ("a", Value.psz);
    EXPECT_EQ(0, RTGetOpt(&State, &Value));
}

} // namespace
