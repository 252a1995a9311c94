/** @file
 * Uniquely named directories from a template: which characters are replaced,
 * how often a taken name is retried, and that a failure never leaves a name
 * behind. The random source and the creation are replaced where the rules
 * are the point, and the real ones create directories where the result is.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include <rt/dir.h>
#include "internal/dir.h"
#include "support/scratch-tree.h"

namespace
{

/* What the replaced hooks saw and are to answer. */
std::vector<std::string> g_vCreated;
std::vector<std::pair<uint32_t, uint32_t>> g_vRanges;
uint32_t g_uNextRand;
int g_cExistingNames; /* how many attempts find their name taken */
int g_rcOtherFailure; /* answer after those, INF_SUCCESS for success */
RTFMODE g_fModeSeen;
uint32_t g_fCreateSeen;

uint32_t countingRand(uint32_t uFirst, uint32_t uLast)
{
    g_vRanges.emplace_back(uFirst, uLast);
    return g_uNextRand++ % (uLast + 1);
}

int recordingCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate)
{
    g_vCreated.push_back(pszPath);
    g_fModeSeen = fMode;
    g_fCreateSeen = fCreate;
    if ((int)g_vCreated.size() <= g_cExistingNames)
        return ERR_ALREADY_EXISTS;
    return g_rcOtherFailure;
}

class DirTempRules : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_vCreated.clear();
        g_vRanges.clear();
        g_uNextRand = 0;
        g_cExistingNames = 0;
        g_rcOtherFailure = INF_SUCCESS;
        g_rtSeamsDir.pfnRTRandU32Ex = countingRand;
        g_rtSeamsDir.pfnRTDirCreate = recordingCreate;
    }
};

TEST_F(DirTempRules, ReplacesTheRightRunFromTheLastCharacterToTheFirst)
{
    /* The counting source gives 0, 1, 2, ... so the run reads backwards "...3210". */
    static const struct
    {
        const char *pszTemplate;
        const char *pszExpected; /* null: refused */
    } s_aCases[] = {
        {"C:\\T\\XXXXXXXXXXXXXXXXXXXXXXXX", "C:\\T\\nmlkjihgfedcba9876543210"},
        {"C:\\T\\abcXXXdef", "C:\\T\\abc210def"},
        {"C:\\T\\fooX", "C:\\T\\foo0"},             /* any trailing run, even one 'X' */
        {"C:\\T\\aXXXbXXXXc", "C:\\T\\aXXXb3210c"}, /* the right-most group */
        {"C:\\T\\XXXXa", "C:\\T\\3210a"},           /* the whole group */
        {"C:\\T\\XXX.d", "C:\\T\\210.d"},
        {"XXX", "210"},
        {"C:\\T\\abc", NULL},
        {"C:\\T\\abXXc", NULL},  /* a group of two is not enough */
        {"C:\\XXXX\\abc", NULL}, /* only the file name counts */
        {"C:\\T\\XXX\\", NULL},  /* no file name */
        {"", NULL},
    };
    for (auto const &Case : s_aCases)
    {
        SetUp();
        char szBuf[64];
        strcpy(szBuf, Case.pszTemplate);
        int rc = RTDirCreateTemp(szBuf, 0700);
        if (Case.pszExpected)
        {
            EXPECT_EQ(INF_SUCCESS, rc) << Case.pszTemplate;
            EXPECT_STREQ(Case.pszExpected, szBuf) << Case.pszTemplate;
            EXPECT_EQ(1u, g_vCreated.size()) << Case.pszTemplate;
        }
        else
        {
            EXPECT_EQ(ERR_INVALID_PARAMETER, rc) << Case.pszTemplate;
            EXPECT_STREQ("", szBuf) << Case.pszTemplate;
            EXPECT_TRUE(g_vCreated.empty()) << Case.pszTemplate;
        }
    }
}

TEST_F(DirTempRules, DrawsEachCharacterFromTheWholeAlphabet)
{
    std::string strTemplate = "C:\\T\\" + std::string(38, 'X'); /* longer than the alphabet: it wraps */
    std::vector<char> vBuf(strTemplate.begin(), strTemplate.end());
    vBuf.push_back('\0');
    char *szBuf = vBuf.data();
    ASSERT_EQ(INF_SUCCESS, RTDirCreateTemp(szBuf, 0700));
    ASSERT_EQ(38u, g_vRanges.size());
    for (auto const &Range : g_vRanges)
        EXPECT_EQ(std::make_pair(0u, 35u), Range);
    EXPECT_STREQ("C:\\T\\10zyxwvutsrqponmlkjihgfedcba9876543210", szBuf);
    EXPECT_EQ(0700u, g_fModeSeen);
    EXPECT_EQ(0u, g_fCreateSeen);
}

TEST_F(DirTempRules, TakenNamesAreReplacedByFreshOnes)
{
    g_cExistingNames = 3;
    char szBuf[] = "C:\\T\\tmpXXXX";
    ASSERT_EQ(INF_SUCCESS, RTDirCreateTemp(szBuf, 0700));
    ASSERT_EQ(4u, g_vCreated.size());
    for (size_t i = 1; i < g_vCreated.size(); i++)
        EXPECT_NE(g_vCreated[i - 1], g_vCreated[i]);
    EXPECT_EQ(g_vCreated.back(), szBuf);
}

TEST_F(DirTempRules, GivesUpAfterTheLastAttemptWithAnEmptyBuffer)
{
    const size_t cAttemptsPromised = 10000; /* what the contract promises, whatever the constant says */
    g_cExistingNames = (int)cAttemptsPromised + 1;
    char szBuf[] = "C:\\T\\tmpXXXX";
    EXPECT_EQ(ERR_ALREADY_EXISTS, RTDirCreateTemp(szBuf, 0700));
    EXPECT_EQ(cAttemptsPromised, g_vCreated.size());
    EXPECT_STREQ("", szBuf);
}

TEST_F(DirTempRules, AnyOtherFailureEndsAtOnceWithAnEmptyBuffer)
{
    for (int rcFailure : {ERR_PATH_NOT_FOUND, ERR_ACCESS_DENIED, ERR_INVALID_FMODE})
    {
        SetUp();
        g_cExistingNames = 2;
        g_rcOtherFailure = rcFailure;
        char szBuf[] = "C:\\T\\tmpXXXX";
        EXPECT_EQ(rcFailure, RTDirCreateTemp(szBuf, 0700));
        EXPECT_EQ(3u, g_vCreated.size());
        EXPECT_STREQ("", szBuf);
    }
}

TEST_F(DirTempRules, BadPointer)
{
    EXPECT_EQ(ERR_INVALID_POINTER, RTDirCreateTemp(NULL, 0700));
    EXPECT_TRUE(g_vCreated.empty());
}

class DirTemp : public tst::ScratchTree
{
};

TEST_F(DirTemp, CreatesADirectoryWithTwentyFourAlphabetCharacters)
{
    std::string strTemplate = path(std::string(24, 'X'));
    std::vector<char> vBuf(strTemplate.begin(), strTemplate.end());
    vBuf.push_back('\0');
    ASSERT_EQ(INF_SUCCESS, RTDirCreateTemp(vBuf.data(), 0700));
    std::string strCreated(vBuf.data());
    ASSERT_EQ(strTemplate.size(), strCreated.size());
    EXPECT_EQ(m_strRoot + "\\", strCreated.substr(0, m_strRoot.size() + 1));
    std::string strName = strCreated.substr(m_strRoot.size() + 1);
    EXPECT_EQ(std::string::npos, strName.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz")) << strName;
    EXPECT_TRUE(isDirectory(strCreated));
    EXPECT_TRUE(RTDirExists(strCreated.c_str()));

    /* A second one from the same template is another directory. */
    std::vector<char> vBuf2(strTemplate.begin(), strTemplate.end());
    vBuf2.push_back('\0');
    ASSERT_EQ(INF_SUCCESS, RTDirCreateTemp(vBuf2.data(), 0700));
    EXPECT_NE(strCreated, std::string(vBuf2.data()));
}

TEST_F(DirTemp, MissingParentFailsAtTheFirstAttempt)
{
    std::string strTemplate = path("missing\\XXXXXXXX");
    std::vector<char> vBuf(strTemplate.begin(), strTemplate.end());
    vBuf.push_back('\0');
    EXPECT_EQ(ERR_PATH_NOT_FOUND, RTDirCreateTemp(vBuf.data(), 0700));
    EXPECT_STREQ("", vBuf.data());
}

} // namespace
