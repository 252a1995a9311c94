/** @file
 * Which answers of the side-by-side redirection the loader takes: only those
 * inside the Windows directory tree of the system directory.
 */
#include <gtest/gtest.h>
#include <string>
#include "internal/ldr.h"

namespace
{

std::u16string u16(const char *psz)
{
    std::u16string str;
    for (; *psz; psz++)
        str += (char16_t)(unsigned char)*psz;
    return str;
}

bool isInTree(const std::u16string &strResult, const std::u16string &strSystemDir)
{
    return rtldrIsRedirectionInWindowsTree((const RTUTF16 *)strResult.data(), strResult.size(),
                                           (const RTUTF16 *)strSystemDir.c_str());
}

TEST(LdrRedirect, WindowsTree)
{
    struct
    {
        const char *pszResult;
        bool fExpected;
    } const aCases[] = {
        {"C:\\Windows\\WinSxS\\x86_common-controls_6.0\\comctl32.dll", true},
        {"C:\\Windows\\System32\\msi.dll", true},
        {"C:\\Windows\\", true},
        /* Case and separators do not matter. */
        {"c:/windows/winsxs/comctl32.dll", true},
        {"C:\\WINDOWS\\system32\\MSI.DLL", true},
        /* Only the drive root agrees, or not even that. */
        {"C:\\Windows", false},
        {"C:\\Program Files\\App\\msi.dll", false},
        {"C:\\WindowsApps\\msi.dll", false},
        {"C:\\Window\\msi.dll", false},
        {"D:\\Windows\\System32\\msi.dll", false},
        {"msi.dll", false},
        {"", false},
        {"\\??\\C:\\Windows\\System32\\msi.dll", false},
        /* Inside by its start, outside by its end. */
        {"C:\\Windows\\..\\Users\\x\\msi.dll", false},
        {"C:\\Windows\\System32\\..\\..\\Temp\\msi.dll", false},
        {"C:\\Windows\\System32\\..", false},
        /* Dots that are no parent component are names. */
        {"C:\\Windows\\WinSxS\\x86..1.0\\comctl32.dll", true},
        {"C:\\Windows\\System32\\...dll", true},
    };
    std::u16string const strSystemDir = u16("C:\\Windows\\System32");
    for (const auto &c : aCases)
        EXPECT_EQ(c.fExpected, isInTree(u16(c.pszResult), strSystemDir)) << c.pszResult;
}

TEST(LdrRedirect, SeparatorRuns)
{
    /* A run of separators both share counts once: "C:\\" is one run, not two. */
    std::u16string const strSystemDir = u16("C:\\\\Windows\\System32");
    EXPECT_FALSE(isInTree(u16("C:\\\\Other\\x.dll"), strSystemDir));
    EXPECT_TRUE(isInTree(u16("C:\\\\Windows\\WinSxS\\x.dll"), strSystemDir));
    /* A separator only the answer has is a difference. */
    EXPECT_FALSE(isInTree(u16("C:\\\\Windows\\x.dll"), u16("C:\\Windows\\System32")));
}

TEST(LdrRedirect, UncSystemDirectory)
{
    /* The leading separators of a UNC path are no run "after the first position". */
    std::u16string const strSystemDir = u16("\\\\srv\\win\\System32");
    EXPECT_TRUE(isInTree(u16("\\\\srv\\win\\WinSxS\\a.dll"), strSystemDir));
    EXPECT_FALSE(isInTree(u16("\\\\srv\\other\\a.dll"), strSystemDir));
    EXPECT_FALSE(isInTree(u16("\\\\evil\\win\\a.dll"), strSystemDir));
}

TEST(LdrRedirect, BeyondAscii)
{
    /* Letters beyond ASCII are compared exactly: U+00C4 and U+00E4 differ. */
    std::u16string strSystemDir = u16("C:\\W\\System32");
    strSystemDir[3] = 0xc4;
    std::u16string strSame = u16("C:\\W\\WinSxS\\a.dll");
    strSame[3] = 0xc4;
    std::u16string strOther = strSame;
    strOther[3] = 0xe4;
    EXPECT_TRUE(isInTree(strSame, strSystemDir));
    EXPECT_FALSE(isInTree(strOther, strSystemDir));
}

TEST(LdrRedirect, CountedNotTerminated)
{
    /* The answer's length counts, not a terminator: what lies beyond is not read. */
    std::u16string const strSystemDir = u16("C:\\Windows\\System32");
    std::u16string const strResult = u16("C:\\Windows\\System32\\msi.dll");
    EXPECT_FALSE(
        rtldrIsRedirectionInWindowsTree((const RTUTF16 *)strResult.data(), 10, (const RTUTF16 *)strSystemDir.c_str()));
    EXPECT_TRUE(
        rtldrIsRedirectionInWindowsTree((const RTUTF16 *)strResult.data(), 11, (const RTUTF16 *)strSystemDir.c_str()));
}

} // namespace
