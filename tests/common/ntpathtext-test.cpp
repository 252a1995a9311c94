/** @file
 * Native path text from Win32 paths: every input form under both prefixes,
 * the absolute path's own form choosing the prefix, growing past the first
 * buffer, and the length limit of the UTF-16 result.
 *
 * Tests run with the current directory 'C:\windows' (a real directory in a
 * Windows prefix, plain text to the host build's stand-in).
 */
#include <gtest/gtest.h>
#include <rt/path.h>
#include <rt/utf16.h>
#include "internal/ntpathtext.h"
#include "support/alloc-failure.h"
#include "support/scoped.h"
#ifdef RT_OS_HOST
#include "internal/path-shim.h"
#endif

#include <memory>
#include <string>

namespace
{

const uint32_t g_uMajorNew = 10; /* '\??\' */
const uint32_t g_uMajorOld = 3;  /* '\DosDevices\' */

/** The native text of @a str, or "rc=<status>" on failure. */
std::string NtText(const std::string &str, uint32_t uMajor = g_uMajorNew)
{
    /* On the heap, so the sanitizers see any write past the record's first buffer. */
    std::unique_ptr<RTNTPATHTEXT> pText(new RTNTPATHTEXT);
    rtNtPathTextInit(pText.get());
    int rc = rtNtPathTextFromWin(pText.get(), str.c_str(), uMajor);
    std::string strResult;
    if (RT_FAILURE(rc))
    {
        EXPECT_EQ(nullptr, pText->psz) << str;
        strResult = "rc=" + std::to_string(rc);
    }
    else
    {
        strResult.assign(pText->psz);
        EXPECT_EQ(strResult.size(), pText->cch) << str;
    }
    rtNtPathTextFree(pText.get());
    return strResult;
}

std::string Failed(int rc)
{
    return "rc=" + std::to_string(rc);
}

class NtPathText : public ::testing::Test
{
  protected:
    tst::ScopedCurrentDir m_Cwd{"C:\\windows"};
};

struct FormCase
{
    const char *pszPath;
    const char *pszNew; /**< Under '\??\'. */
    const char *pszOld; /**< Under '\DosDevices\'. */
};

const FormCase g_aForms[] = {
    /* Raw: the rest verbatim, its first separator written as '\'; the version does not matter. */
    {"\\\\:soltnt:\\Device/a\\..\\B.", "\\Device/a\\..\\B.", "\\Device/a\\..\\B."},
    {"//:soltnt:/x", "\\x", "\\x"},
    {"/\\:soltnt:/", "\\", "\\"},
    {"\\\\:soltnt:\\\xc3\xa9", "\\\xc3\xa9", "\\\xc3\xa9"},
    /* Long form: only its prefix is replaced. */
    {"\\\\?\\C:\\a\\..\\b", "\\??\\C:\\a\\..\\b", "\\DosDevices\\C:\\a\\..\\b"},
    {"//?/C:/x/./y//", "\\??\\C:/x/./y//", "\\DosDevices\\C:/x/./y//"},
    {"\\\\?\\", "\\??\\", "\\DosDevices\\"},
    /* Everything else is made absolute first. */
    {"C:\\a\\..\\b", "\\??\\C:\\b", "\\DosDevices\\C:\\b"},
    {"c:/a/./b//c", "\\??\\C:\\a\\b\\c", "\\DosDevices\\C:\\a\\b\\c"},
    {"x", "\\??\\C:\\windows\\x", "\\DosDevices\\C:\\windows\\x"},
    {"..\\x\\", "\\??\\C:\\x\\", "\\DosDevices\\C:\\x\\"},
    {"\\x", "\\??\\C:\\x", "\\DosDevices\\C:\\x"},
    {"C:x", "\\??\\C:\\windows\\x", "\\DosDevices\\C:\\windows\\x"},
    {"\\\\server\\share\\x", "\\??\\UNC\\server\\share\\x", "\\DosDevices\\UNC\\server\\share\\x"},
    {"//server/share/../x", "\\??\\UNC\\server\\share\\x", "\\DosDevices\\UNC\\server\\share\\x"},
    {"\\\\.\\pipe\\x", "\\??\\pipe\\x", "\\DosDevices\\pipe\\x"},
    {"//./C:/a/../b", "\\??\\C:\\b", "\\DosDevices\\C:\\b"},
    {"\\\\?x", "\\??\\UNC\\?x", "\\DosDevices\\UNC\\?x"},
    /* Near misses of the raw prefix are ordinary UNC paths. */
    {"\\\\:soltnt", "\\??\\UNC\\:soltnt", "\\DosDevices\\UNC\\:soltnt"},
    {"\\\\:soltnt:x", "\\??\\UNC\\:soltnt:x", "\\DosDevices\\UNC\\:soltnt:x"},
    {"\\\\:SOLTNT:\\x", "\\??\\UNC\\:SOLTNT:\\x", "\\DosDevices\\UNC\\:SOLTNT:\\x"},
};

TEST_F(NtPathText, EveryFormUnderBothPrefixes)
{
    for (const FormCase &Case : g_aForms)
    {
        EXPECT_EQ(Case.pszNew, NtText(Case.pszPath, g_uMajorNew)) << Case.pszPath;
        EXPECT_EQ(Case.pszOld, NtText(Case.pszPath, g_uMajorOld)) << Case.pszPath;
    }
    EXPECT_EQ(Failed(ERR_PATH_ZERO_LENGTH), NtText(""));
    EXPECT_TRUE(rtNtPathUsesDosDevices(3));
    EXPECT_FALSE(rtNtPathUsesDosDevices(4));
}

/** A relative path of @a cch characters made of 100-character components. */
std::string RelativePathOfLength(size_t cch)
{
    std::string str;
    while (str.size() < cch)
        str += std::string(99, 'c') + "\\";
    str.resize(cch);
    if (str.back() == '\\')
        str.back() = 'c';
    return str;
}

TEST_F(NtPathText, LongPathsGrowPastTheFirstBuffer)
{
    for (size_t cch : {size_t(4084), size_t(4085), size_t(9000), size_t(30000)})
    {
        std::string const str = RelativePathOfLength(cch);
        EXPECT_EQ("\\??\\C:\\windows\\" + str, NtText(str)) << cch;
    }
    /* Eight attempts, the last with at least 128 KiB, then the path is too long. */
    EXPECT_EQ(Failed(ERR_FILENAME_TOO_LONG), NtText(RelativePathOfLength(200000)));

    /* 'C:\' and 4092 more characters fill the first buffer behind '\??\' exactly; one more needs the heap. */
    std::string const strFits = "C:\\" + RelativePathOfLength(4092);
    std::string const strGrows = "C:\\" + RelativePathOfLength(4093);
    tst::failAllocationsAfter(0);
    std::string const strFitsText = NtText(strFits);
    std::string const strGrowsText = NtText(strGrows);
    tst::endAllocationFailures();
    EXPECT_EQ("\\??\\" + strFits, strFitsText);
    EXPECT_EQ(Failed(ERR_NO_TMP_MEMORY), strGrowsText);
    EXPECT_EQ("\\??\\" + strGrows, NtText(strGrows));

    /* Raw and long forms longer than the first buffer are copied to the heap. */
    std::string const strRawTail(5000, 'r');
    EXPECT_EQ("\\" + strRawTail, NtText("\\\\:soltnt:\\" + strRawTail));
    tst::failAllocationsAfter(0);
    std::string const strRawText = NtText("\\\\:soltnt:\\" + strRawTail);
    tst::endAllocationFailures();
    EXPECT_EQ(Failed(ERR_NO_TMP_MEMORY), strRawText);
}

TEST_F(NtPathText, Utf16LimitCountsUnits)
{
    struct
    {
        std::string strText;
        int rc;
        size_t cwc;
    } const aCases[] = {
        {std::string(RTNTPATH_MAX_UNITS, 'l'), INF_SUCCESS, RTNTPATH_MAX_UNITS},
        {std::string(RTNTPATH_MAX_UNITS + 1, 'l'), ERR_FILENAME_TOO_LONG, 0},
        {"\\", INF_SUCCESS, 1},
        {"\xe2\x82\xac\xf0\x90\x90\xb7", INF_SUCCESS, 3}, /* a three-byte character counts once, a pair twice */
        {"\\\xc3", ERR_INVALID_UTF8_ENCODING, 0},
    };
    for (const auto &Case : aCases)
    {
        RTUTF16 *pwsz = (RTUTF16 *)(uintptr_t)1;
        size_t cwc = 1;
        EXPECT_EQ(Case.rc, rtNtPathTextToUtf16(Case.strText.c_str(), &pwsz, &cwc)) << Case.strText.size();
        EXPECT_EQ(Case.cwc, cwc);
        if (RT_SUCCESS(Case.rc))
        {
            EXPECT_EQ(Case.cwc, RTUtf16Len(pwsz));
            RTUtf16Free(pwsz);
        }
        else
            EXPECT_EQ(nullptr, pwsz);
    }
    std::string strWide;
    for (size_t i = 0; i < RTNTPATH_MAX_UNITS; i++)
        strWide += "\xe2\x82\xac";
    RTUTF16 *pwsz;
    size_t cwc;
    EXPECT_EQ(INF_SUCCESS, rtNtPathTextToUtf16(strWide.c_str(), &pwsz, &cwc));
    EXPECT_EQ(size_t(RTNTPATH_MAX_UNITS), cwc);
    RTUtf16Free(pwsz);
}

#ifdef RT_OS_HOST
/* The host stand-in can have a UNC current directory. */

TEST_F(NtPathText, TheAbsolutePathsFormPicksThePrefix)
{
    ASSERT_EQ(INF_SUCCESS, rtPathShimSetCurrent("\\\\srv\\share\\dir"));
    EXPECT_EQ("\\??\\UNC\\srv\\share\\dir\\x", NtText("x"));
    EXPECT_EQ("\\??\\UNC\\srv\\share\\x", NtText("\\x"));
    EXPECT_EQ("\\??\\UNC\\srv\\share\\x", NtText("..\\..\\x"));
    EXPECT_EQ("\\DosDevices\\UNC\\srv\\share\\dir\\x", NtText("x", g_uMajorOld));
    EXPECT_EQ("\\??\\C:\\x", NtText("C:\\x"));

    /* '\??\UNC\' wants the absolute path 2 bytes further in than the guess for 'x': it is moved
       while the first buffer has room, else the path is made absolute again on the heap. */
    std::string const strCwd = "\\\\srv\\share";
    ASSERT_EQ(INF_SUCCESS, rtPathShimSetCurrent(strCwd.c_str()));
    std::string const strMoved = RelativePathOfLength(RTPATH_MAX - 6 - strCwd.size() - 2);   /* 4093 absolute */
    std::string const strRegrown = RelativePathOfLength(RTPATH_MAX - 6 - strCwd.size() - 1); /* 4094 absolute */
    tst::failAllocationsAfter(0);
    std::string const strMovedText = NtText(strMoved);
    std::string const strRegrownText = NtText(strRegrown);
    tst::endAllocationFailures();
    EXPECT_EQ("\\??\\UNC\\srv\\share\\" + strMoved, strMovedText);
    EXPECT_EQ(Failed(ERR_NO_TMP_MEMORY), strRegrownText);
    EXPECT_EQ("\\??\\UNC\\srv\\share\\" + strRegrown, NtText(strRegrown));
}
#endif

} // namespace
