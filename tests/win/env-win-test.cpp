/** @file
 * Environment reads that only the Windows side can reach: values that are not
 * valid UTF-16, names that are not valid UTF-8, values at the length limit
 * and beyond, and running out of memory on the way.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <string>
#include <vector>
#include <rt/env.h>
#include "support/alloc-failure.h"
#include "support/scoped.h"

namespace
{

/** Puts TARN_ENVWIN back as it was afterwards. */
class EnvWin : public ::testing::Test
{
  protected:
    tst::ScopedEnv m_Env;
};

TEST_F(EnvWin, ValueThatIsNotValidUtf16)
{
    const wchar_t wszLone[] = {L'a', 0xd800, L'b', 0}; /* a high surrogate without its low half */
    ASSERT_TRUE(m_Env.setW(L"TARN_ENVWIN", wszLone));
    char szValue[32];
    size_t cch = 0;
    EXPECT_EQ(ERR_INVALID_UTF16_ENCODING, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVWIN", szValue, sizeof(szValue), &cch));
    EXPECT_EQ(ERR_INVALID_UTF16_ENCODING, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVWIN", NULL, 0, &cch));
    EXPECT_EQ(nullptr, RTEnvGet("TARN_ENVWIN"));
}

TEST_F(EnvWin, NameThatIsNotValidUtf8)
{
    size_t cch = 0;
    EXPECT_EQ(ERR_INVALID_UTF8_ENCODING, RTEnvGetEx(RTENV_DEFAULT, "TARN_\xff", NULL, 0, &cch));
    EXPECT_EQ(nullptr, RTEnvGet("TARN_\xff"));
}

TEST_F(EnvWin, ValuesAtTheLimitAndBeyond)
{
    /* The system may refuse values this long, or hand out only their first
       32766 units; a result must be whole and never an empty or unwritten buffer. */
    for (size_t cwc : {32767, 32768, 40000})
    {
        std::wstring wstr(cwc, L'q');
        if (!m_Env.setW(L"TARN_ENVWIN", wstr.c_str()))
            continue;
        std::vector<char> vBuf(cwc + 1, '\x01');
        size_t cch = 0;
        int rc = RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVWIN", vBuf.data(), vBuf.size(), &cch);
        if (RT_SUCCESS(rc))
        {
            ASSERT_LE(cch, cwc) << cwc;
            ASSERT_GE(cch, 32766u) << cwc;
            EXPECT_EQ(cch, strlen(vBuf.data())) << cwc;
            EXPECT_EQ(std::string(cch, 'q'), vBuf.data()) << cwc;
        }
        const char *psz = RTEnvGet("TARN_ENVWIN");
        if (psz)
        {
            EXPECT_LE(strlen(psz), cwc);
            EXPECT_GE(strlen(psz), 32766u);
            EXPECT_EQ(std::string(strlen(psz), 'q'), psz) << cwc;
        }
    }
}

TEST_F(EnvWin, OutOfMemory)
{
    char szValue[2048];
    size_t cch = 0;

    /* A short value needs only the name's conversion. */
    ASSERT_TRUE(m_Env.setW(L"TARN_ENVWIN", L"short"));
    tst::failAllocationsAfter(0);
    EXPECT_EQ(ERR_NO_UTF16_MEMORY, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVWIN", szValue, sizeof(szValue), &cch));
    tst::failAllocationsAfter(1);
    EXPECT_EQ(INF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVWIN", szValue, sizeof(szValue), &cch));
    EXPECT_STREQ("short", szValue);

    /* A long one needs a temporary buffer as well. */
    std::wstring wstrLong(1000, L'L');
    ASSERT_TRUE(m_Env.setW(L"TARN_ENVWIN", wstrLong.c_str()));
    tst::failAllocationsAfter(1);
    EXPECT_EQ(ERR_NO_TMP_MEMORY, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVWIN", szValue, sizeof(szValue), &cch));
    EXPECT_EQ(nullptr, RTEnvGet("TARN_ENVWIN"));
    tst::failAllocationsAfter(2); /* the copy RTEnvGet makes fails last */
    EXPECT_EQ(nullptr, RTEnvGet("TARN_ENVWIN"));
    tst::endAllocationFailures();
    EXPECT_EQ(INF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVWIN", szValue, sizeof(szValue), &cch));
    EXPECT_EQ(1000u, cch);
}

} // namespace
