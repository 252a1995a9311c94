/** @file
 * The plain-form rule of Win32 paths at each form's threshold, the relative
 * path's share of the limit, and the long form made from native path text.
 */
#include <gtest/gtest.h>
#include <rt/err.h>
#include "internal/win32pathform.h"

#include <string>

namespace
{

struct ThresholdCase
{
    const char *pszHead;
    size_t cwcPlainMax;          /**< Longest length that stays plain. */
    RTPATHWIN32PLAIN enmUpToMax; /**< The rule up to that length. */
};

const ThresholdCase g_aThresholds[] = {
    {"C:\\", 243, RTPATHWIN32PLAIN_YES},
    {"c:/", 243, RTPATHWIN32PLAIN_YES},
    {"C:", 243, RTPATHWIN32PLAIN_IF_FULL_FITS},
    {"\\x", 241, RTPATHWIN32PLAIN_YES},
    {"/", 241, RTPATHWIN32PLAIN_YES},
    {"\\\\\\", 241, RTPATHWIN32PLAIN_YES}, /* two separators and no server: root-relative */
    {"\\\\srv\\", 240, RTPATHWIN32PLAIN_YES},
    {"//?/C:/", 240, RTPATHWIN32PLAIN_YES},
    {"\\\\?x", 243, RTPATHWIN32PLAIN_YES},
    {"x", 243, RTPATHWIN32PLAIN_IF_CWD_FITS},
    {"\xc3\xa9", 243, RTPATHWIN32PLAIN_IF_CWD_FITS},
};

TEST(Win32PathForm, PlainUpToTheThresholdOfEachForm)
{
    for (const ThresholdCase &Case : g_aThresholds)
    {
        /* The rule reads the text's first characters and the length it is told. */
        std::string const str = std::string(Case.pszHead) + "tail";
        for (size_t cwc = Case.cwcPlainMax - 1; cwc <= Case.cwcPlainMax + 1; cwc++)
        {
            RTPATHWIN32PLAIN const enmExpected = cwc <= Case.cwcPlainMax ? Case.enmUpToMax : RTPATHWIN32PLAIN_NO;
            EXPECT_EQ(enmExpected, rtPathWin32PlainRule(str.c_str(), cwc)) << Case.pszHead << ", " << cwc;
        }
    }
    EXPECT_EQ(RTPATHWIN32PLAIN_YES, rtPathWin32PlainRule("\\\\", 2));
    EXPECT_EQ(RTPATHWIN32PLAIN_YES, rtPathWin32PlainRule("\\", 1));
    EXPECT_EQ(RTPATHWIN32PLAIN_IF_CWD_FITS, rtPathWin32PlainRule("", 0));
}

TEST(Win32PathForm, RelativePathsShareTheLimitWithTheCurrentDirectory)
{
    /* 'C:\windows' is 11 units with its terminator. */
    EXPECT_TRUE(rtPathWin32RelativeFits(11, 231));
    EXPECT_FALSE(rtPathWin32RelativeFits(11, 232));
    EXPECT_TRUE(rtPathWin32RelativeFits(242, 0));
    EXPECT_FALSE(rtPathWin32RelativeFits(243, 0));
}

TEST(Win32PathForm, LongFormFromNativeText)
{
    struct
    {
        const char *pszNt;
        int rc;
        const char *pszWin32; /**< The text afterwards. */
    } const aCases[] = {
        {"\\??\\C:\\x", INF_SUCCESS, "\\\\?\\C:\\x"},
        {"\\??\\UNC\\srv\\share", INF_SUCCESS, "\\\\?\\UNC\\srv\\share"},
        {"\\??\\", INF_SUCCESS, "\\\\?\\"},
        /* No long Win32 form: left as it was. */
        {"\\DosDevices\\C:\\x", ERR_FILENAME_TOO_LONG, "\\DosDevices\\C:\\x"},
        {"\\Device\\x", ERR_FILENAME_TOO_LONG, "\\Device\\x"},
        {"\\??", ERR_FILENAME_TOO_LONG, "\\??"},
        {"", ERR_FILENAME_TOO_LONG, ""},
    };
    for (const auto &Case : aCases)
    {
        std::string str = Case.pszNt;
        EXPECT_EQ(Case.rc, rtPathWin32LongFromNtText(&str[0])) << Case.pszNt;
        EXPECT_EQ(Case.pszWin32, str);
    }
}

} // namespace
