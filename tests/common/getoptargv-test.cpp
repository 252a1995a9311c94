/** @file
 * Command-line splitting: both quoting styles, separators, in place and copying, statuses, and
 * the out-of-memory paths.
 */
#include <gtest/gtest.h>
#include <rt/getoptargv.h>
#include <rt/err.h>
#include "support/alloc-failure.h"

#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define ARGV_TEST_LEAK_CHECK() EXPECT_EQ(0, __lsan_do_recoverable_leak_check())
#else
#define ARGV_TEST_LEAK_CHECK() ((void)0)
#endif

namespace
{

typedef std::vector<std::string> Args;

struct SplitCase
{
    const char *pszLine;
    Args Expected;
};

/** Splits @a strLine with @a fFlags (copy or in place on a private buffer) and checks the result's shape. */
int splitLine(const std::string &strLine, uint32_t fFlags, const char *pszSeparators, Args *pArgs)
{
    std::vector<char> Buf(strLine.begin(), strLine.end());
    Buf.push_back('\0');
    char **papszArgv = NULL;
    int cArgs = -1;
    int rc = RTGetOptArgvSplit(&papszArgv, &cArgs, Buf.data(), fFlags, pszSeparators);
    if (RT_FAILURE(rc))
        return rc;
    pArgs->clear();
    const char *pchBuf = Buf.data();
    for (int i = 0; i < cArgs; i++)
    {
        pArgs->push_back(papszArgv[i]);
        bool fInLine = papszArgv[i] >= pchBuf && papszArgv[i] < pchBuf + Buf.size();
        EXPECT_EQ((fFlags & RTARGV_IN_PLACE) != 0, fInLine) << "argument " << i << " of [" << strLine << "]";
    }
    EXPECT_EQ(nullptr, papszArgv[cArgs]) << strLine;
    if (!(fFlags & RTARGV_IN_PLACE))
    {
        EXPECT_EQ(strLine, std::string(Buf.data())) << "the copying split changed its input";
    }
    RTGetOptArgvFree(papszArgv, fFlags);
    return rc;
}

/** Runs a table through both the copying and the in-place split. */
void checkTable(const SplitCase *paCases, size_t cCases, uint32_t fStyle, const char *pszSeparators = NULL)
{
    for (size_t i = 0; i < cCases; i++)
        for (uint32_t fPlace : {0u, (uint32_t)RTARGV_IN_PLACE})
        {
            Args Got;
            ASSERT_EQ(INF_SUCCESS, splitLine(paCases[i].pszLine, fStyle | fPlace, pszSeparators, &Got))
                << "[" << paCases[i].pszLine << "]";
            EXPECT_EQ(paCases[i].Expected, Got) << "[" << paCases[i].pszLine << "] flags " << (fStyle | fPlace);
        }
}

const SplitCase g_aMsCrtCases[] = {
    /* The documented way to pass a quoted MSI property value. */
    {"setup.exe --msiparams \"PROP=\"\"a b c\"\"\"", {"setup.exe", "--msiparams", "PROP=\"a b c\""}},
    {"", {}},
    {"  a  ", {"a"}},
    {" \t\r\n ", {}},
    {"a\tb\nc\rd e", {"a", "b", "c", "d", "e"}},
    {"x \"\" y", {"x", "", "y"}},
    {"\"\"", {""}},
    {"a \"", {"a", ""}},
    {"\"a b", {"a b"}},
    {"\"a\"b\"c d\"", {"abc d"}},
    {"a\"\"b", {"ab"}},
    {"\"a\"\"b\"", {"a\"b"}},
    {"\"a\"\" b\" c", {"a\" b", "c"}},
    {"\"\"\"\"", {"\""}},
    {"\"\"\"\"\"\" x", {"\"\"", "x"}},
    /* Backslash runs. */
    {"a\\\\\\\"b", {"a\\\"b"}},
    {"a\\\\\\\\\"b c\"", {"a\\\\b c"}},
    {"C:\\dir\\file.msi a\\\\b", {"C:\\dir\\file.msi", "a\\\\b"}},
    {"a\\ b\\\\", {"a\\", "b\\\\"}},
    {"\"a\\\"b\" \"c\\\\\" d", {"a\"b", "c\\", "d"}},
    {"\\\"", {"\""}},
    {"\"a\\\\\\\\\"", {"a\\\\"}},
    /* The program path follows the same rules. */
    {"\"C:\\Program Files\\a\\\"b.exe\" x", {"C:\\Program Files\\a\"b.exe", "x"}},
    /* Non-ASCII text passes through unchanged. */
    {"\xC3\xA9t\xC3\xA9 \"\xE2\x82\xAC \xF0\x9F\x98\x80\"", {"\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC \xF0\x9F\x98\x80"}},
};

TEST(GetOptArgvSplit, MsCrtStyle)
{
    checkTable(g_aMsCrtCases, RT_ELEMENTS(g_aMsCrtCases), RTARGV_STYLE_MSCRT);
}

const SplitCase g_aShellCases[] = {
    {"'a b'", {"a b"}},
    {"a\\ b", {"a b"}},
    {"  a  b  ", {"a", "b"}},
    {"a'b'\"c\"d", {"abcd"}},
    {"'' x \"\"", {"", "x", ""}},
    {"'a\\b \"c\"'", {"a\\b \"c\""}},
    {"\"a 'b' c\"", {"a 'b' c"}},
    {"\"\\\" \\\\ \\` \\$ \\\n\"", {"\" \\ ` $ \n"}},
    {"\"a\\b\\'\"", {"a\\b\\'"}},
    {"\\'x\\\" \\\\", {"'x\"", "\\"}},
    {"a\\", {"a"}},
    {"a \\", {"a", ""}}, /* the lone backslash started an argument */
    {"'a b", {"a b"}},
    {"\"a b\\\"", {"a b\""}},
    {"\\\xC3\xA9 '\xE2\x82\xAC'", {"\xC3\xA9", "\xE2\x82\xAC"}},
};

TEST(GetOptArgvSplit, ShellStyle)
{
    checkTable(g_aShellCases, RT_ELEMENTS(g_aShellCases), RTARGV_STYLE_SHELL);
}

TEST(GetOptArgvSplit, CustomSeparators)
{
    const SplitCase aComma[] = {
        {",a,,b c,", {"a", "b c"}},
        {"\"x,y\",z", {"x,y", "z"}},
        {",,,", {}},
    };
    checkTable(aComma, RT_ELEMENTS(aComma), RTARGV_STYLE_MSCRT, ",");
    checkTable(aComma, RT_ELEMENTS(aComma), RTARGV_STYLE_SHELL, ",");

    /* Non-ASCII separators match whole code points only: U+00E9 shares its lead byte with U+00EA. */
    const SplitCase aNonAscii[] = {
        {"a\xC3\xAA"
         "b;c\xC3\xA9"
         "d",
         {"a", "b",
          "c\xC3\xA9"
          "d"}},
        {"\xE2\x86\x92x\xE2\x86\x92\xE2\x86\x92y z\xF0\x9F\x98\x80", {"x", "y z\xF0\x9F\x98\x80"}},
        {"\"a\xC3\xAA"
         "b\"",
         {"a\xC3\xAA"
          "b"}},
    };
    checkTable(aNonAscii, RT_ELEMENTS(aNonAscii), RTARGV_STYLE_MSCRT, "\xC3\xAA;\xE2\x86\x92");
}

TEST(GetOptArgvSplit, Statuses)
{
    struct
    {
        const char *pszLine;
        uint32_t fFlags;
        const char *pszSeparators;
        int rcExpected;
    } const aCases[] = {
        {"a b", 2, NULL, ERR_INVALID_FLAGS},
        {"a b", 3 | RTARGV_IN_PLACE, NULL, ERR_INVALID_FLAGS},
        {"a b", 8, NULL, ERR_INVALID_FLAGS},
        {"a b", 0, "", ERR_INVALID_PARAMETER},
        {"a b", 0, ",\xC3", ERR_INVALID_UTF8_ENCODING},
        {"a \xC0\x80", 0, NULL, ERR_INVALID_UTF8_ENCODING},
        {"a \"b\xFF\"", RTARGV_IN_PLACE, NULL, ERR_INVALID_UTF8_ENCODING},
        {"a 'b\xED\xA0\x80'", RTARGV_STYLE_SHELL, NULL, ERR_SURROGATE_CODE_POINT},
        {"a \xEF\xBF\xBF", RTARGV_STYLE_SHELL | RTARGV_IN_PLACE, NULL, ERR_NONCHARACTER_CODE_POINT},
        /* Malformed text in the separators between arguments is caught too. */
        {"a \x80 b", 0, NULL, ERR_INVALID_UTF8_ENCODING},
        {"a\xC3", RTARGV_STYLE_SHELL, NULL, ERR_INVALID_UTF8_ENCODING},
    };
    for (const auto &c : aCases)
    {
        std::string strLine(c.pszLine);
        char **papszArgv = (char **)&strLine; /* sentinels: must stay untouched on failure */
        int cArgs = 4242;
        EXPECT_EQ(c.rcExpected, RTGetOptArgvSplit(&papszArgv, &cArgs, &strLine[0], c.fFlags, c.pszSeparators))
            << "[" << c.pszLine << "] flags " << c.fFlags;
        EXPECT_EQ((char **)&strLine, papszArgv);
        EXPECT_EQ(4242, cArgs);
    }

    char **papszArgv = NULL;
    int cArgs = 0;
    char szLine[] = "a";
    EXPECT_EQ(ERR_INVALID_POINTER, RTGetOptArgvSplit(NULL, &cArgs, szLine, 0, NULL));
    EXPECT_EQ(ERR_INVALID_POINTER, RTGetOptArgvSplit(&papszArgv, NULL, szLine, 0, NULL));
    EXPECT_EQ(ERR_INVALID_POINTER, RTGetOptArgvSplit(&papszArgv, &cArgs, NULL, 0, NULL));
    EXPECT_EQ(ERR_INVALID_POINTER, RTGetOptArgvSplit(&papszArgv, &cArgs, szLine, 0, (const char *)16));
    ARGV_TEST_LEAK_CHECK();
}

TEST(GetOptArgvSplit, CopyHoldsArgumentsBackToBackFromItsStart)
{
    char **papszArgv = NULL;
    int cArgs = 0;
    const char szLine[] = "  one \"two 2\"  three";
    ASSERT_EQ(INF_SUCCESS, RTGetOptArgvSplit(&papszArgv, &cArgs, szLine, RTARGV_STYLE_MSCRT, NULL));
    ASSERT_EQ(3, cArgs);
    EXPECT_EQ(papszArgv[0] + 4, papszArgv[1]);
    EXPECT_EQ(papszArgv[1] + 6, papszArgv[2]);
    EXPECT_STREQ("three", papszArgv[2]);

    /* The free routine finds the copy even after the option parser has permuted the entries. */
    char *pszTmp = papszArgv[0];
    papszArgv[0] = papszArgv[2];
    papszArgv[2] = pszTmp;
    RTGetOptArgvFree(papszArgv, RTARGV_STYLE_MSCRT);
    RTGetOptArgvFree(NULL, 0);
    ARGV_TEST_LEAK_CHECK();
}

/** A line of @a cArgs single-letter arguments. */
std::string manyArgs(int cArgs)
{
    std::string str;
    for (int i = 0; i < cArgs; i++)
        str += i ? " x" : "x";
    return str;
}

TEST(GetOptArgvSplit, ManyArgumentsSurviveGrowth)
{
    std::string strLine;
    Args Expected;
    for (int i = 0; i < 100; i++)
    {
        strLine += "\"a " + std::to_string(i) + "\" ";
        Expected.push_back("a " + std::to_string(i));
    }
    for (uint32_t fPlace : {0u, (uint32_t)RTARGV_IN_PLACE})
    {
        Args Got;
        ASSERT_EQ(INF_SUCCESS, splitLine(strLine, fPlace, NULL, &Got));
        EXPECT_EQ(Expected, Got);
    }
}

TEST(GetOptArgvSplit, OutOfMemoryFreesEverything)
{
    /* Allocation order: the copy (not in place), then the array of 32 entries, then one
       reallocation for every further 32 entries (one entry is kept for the null). */
    struct
    {
        int cArgs;
        uint32_t fFlags;
        int32_t cAllocsToSucceed;
        int rcExpected;
    } const aCases[] = {
        {3, 0, 0, ERR_NO_STR_MEMORY},
        {0, 0, 0, ERR_NO_STR_MEMORY},
        {3, 0, 1, ERR_NO_MEMORY},
        {3, RTARGV_IN_PLACE, 0, ERR_NO_MEMORY},
        {31, 0, 2, INF_SUCCESS},
        {32, 0, 2, ERR_NO_MEMORY},
        {32, RTARGV_IN_PLACE, 1, ERR_NO_MEMORY},
        {32, RTARGV_IN_PLACE, 2, INF_SUCCESS},
        {63, RTARGV_IN_PLACE, 2, INF_SUCCESS},
        {64, RTARGV_IN_PLACE, 2, ERR_NO_MEMORY},
        {64, 0, 4, INF_SUCCESS},
        {0, 0, 2, INF_SUCCESS},
    };
    for (const auto &c : aCases)
    {
        std::string strLine = manyArgs(c.cArgs);
        char **papszArgv = NULL;
        int cArgs = -1;
        tst::failAllocationsAfter(c.cAllocsToSucceed);
        int rc = RTGetOptArgvSplit(&papszArgv, &cArgs, &strLine[0], c.fFlags, NULL);
        tst::endAllocationFailures();
        EXPECT_EQ(c.rcExpected, rc) << c.cArgs << " arguments, flags " << c.fFlags << ", " << c.cAllocsToSucceed
                                    << " allocations";
        if (RT_SUCCESS(rc))
        {
            EXPECT_EQ(c.cArgs, cArgs);
            RTGetOptArgvFree(papszArgv, c.fFlags);
        }
        else
        {
            EXPECT_EQ(nullptr, papszArgv);
        }
    }
    ARGV_TEST_LEAK_CHECK();
}

} // namespace
