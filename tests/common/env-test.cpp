/** @file
 * Reading environment variables: found, empty and missing variables, the
 * argument checks, buffer overflow, length queries, long values and the ring
 * of strings RTEnvGet returns. Variables are set with the system's own call.
 */
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include <rt/env.h>
#include "support/alloc-failure.h"
#include "support/scoped.h"
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace
{

/** Puts the variables the test sets back afterwards. */
class Env : public ::testing::Test
{
  protected:
    tst::ScopedEnv m_Env;

    void set(const char *pszName, const std::string &strValue)
    {
        EXPECT_TRUE(m_Env.set(pszName, strValue.c_str())) << pszName;
    }
};

/* A UTF-8 text of @a cUnits UTF-16 units cycling through one-, two- and
   three-byte characters and a surrogate pair, so bytes and units differ. */
std::string makeValue(size_t cUnits)
{
    struct
    {
        const char *pszUtf8;
        size_t cUnits;
    } const aPieces[] = {{"a", 1}, {"\xc3\xa9", 1}, {"\xe2\x82\xac", 1}, {"\xf0\x9f\x98\x80", 2}}; /* a, é, €, 😀 */
    std::string str;
    size_t cDone = 0;
    for (size_t i = 0; cDone < cUnits; i++)
    {
        const auto &piece = aPieces[i % RT_ELEMENTS(aPieces)];
        if (cDone + piece.cUnits > cUnits)
            continue;
        str += piece.pszUtf8;
        cDone += piece.cUnits;
    }
    return str;
}

TEST_F(Env, ReadsFoundEmptyAndMissingVariables)
{
    set("TARN_ENVTEST_PLAIN", "C:\\Temp\\x y");
    set("TARN_ENVTEST_EMPTY", "");
    set("TARN_ENVTEST_UNICODE", "gr\xc3\xbc\xc3\x9f"
                                "e \xe2\x82\xac \xf0\x9f\x98\x80");
    m_Env.set("TARN_ENVTEST_MISSING", NULL);

    struct
    {
        const char *pszName;
        int rcExpected;
        const char *pszExpected;
    } const aCases[] = {
        {"TARN_ENVTEST_PLAIN", INF_SUCCESS, "C:\\Temp\\x y"},
        {"TARN_ENVTEST_EMPTY", INF_SUCCESS, ""},
        {"TARN_ENVTEST_UNICODE", INF_SUCCESS,
         "gr\xc3\xbc\xc3\x9f"
         "e \xe2\x82\xac \xf0\x9f\x98\x80"},
        {"TARN_ENVTEST_MISSING", ERR_ENV_VAR_NOT_FOUND, ""},
        {"TARN_ENVTEST_PLAIN=", ERR_ENV_INVALID_VAR_NAME, ""},
        {"=TARN_ENVTEST_PLAIN", ERR_ENV_INVALID_VAR_NAME, ""},
    };
    for (const auto &c : aCases)
    {
        char szValue[256] = "untouched";
        size_t cch = 77;
        EXPECT_EQ(c.rcExpected, RTEnvGetEx(RTENV_DEFAULT, c.pszName, szValue, sizeof(szValue), &cch)) << c.pszName;
        if (c.rcExpected == INF_SUCCESS)
        {
            EXPECT_STREQ(c.pszExpected, szValue) << c.pszName;
            EXPECT_EQ(strlen(c.pszExpected), cch) << c.pszName;
        }
        else
        {
            EXPECT_STREQ("untouched", szValue) << c.pszName;
            EXPECT_EQ(c.rcExpected == ERR_ENV_VAR_NOT_FOUND ? 0u : 77u, cch) << c.pszName;
        }

        /* The same through the ring. */
        const char *psz = RTEnvGet(c.pszName);
        if (c.rcExpected == INF_SUCCESS)
        {
            ASSERT_NE(nullptr, psz) << c.pszName;
            EXPECT_STREQ(c.pszExpected, psz);
        }
        else
            EXPECT_EQ(nullptr, psz) << c.pszName;
    }
}

TEST_F(Env, ChecksArguments)
{
    set("TARN_ENVTEST_ARGS", "value");
    char szValue[16];
    size_t cch = 0;
    char *const pszBad = (char *)(uintptr_t)100;
    struct
    {
        RTENV hEnv;
        const char *pszName;
        char *pszValue;
        size_t cbValue;
        size_t *pcch;
        int rcExpected;
    } const aCases[] = {
        {(RTENV)(uintptr_t)0x10000, "TARN_ENVTEST_ARGS", szValue, sizeof(szValue), &cch, ERR_INVALID_HANDLE},
        {RTENV_DEFAULT, NULL, szValue, sizeof(szValue), &cch, ERR_INVALID_POINTER},
        {RTENV_DEFAULT, pszBad, szValue, sizeof(szValue), &cch, ERR_INVALID_POINTER},
        {RTENV_DEFAULT, "TARN_ENVTEST_ARGS", pszBad, sizeof(szValue), &cch, ERR_INVALID_POINTER},
        {RTENV_DEFAULT, "TARN_ENVTEST_ARGS", szValue, sizeof(szValue), (size_t *)pszBad, ERR_INVALID_POINTER},
        {RTENV_DEFAULT, "TARN_ENVTEST_ARGS", NULL, 4, &cch, ERR_INVALID_PARAMETER},
        {RTENV_DEFAULT, "TARN_ENVTEST_ARGS", NULL, 0, NULL, ERR_INVALID_PARAMETER},
        {RTENV_DEFAULT, "TARN_ENVTEST_ARGS", szValue, 0, NULL, ERR_INVALID_PARAMETER},
        /* Pointer checks come before the name's content. */
        {RTENV_DEFAULT, "A=B", pszBad, sizeof(szValue), &cch, ERR_INVALID_POINTER},
        {RTENV_DEFAULT, "A=B", szValue, sizeof(szValue), NULL, ERR_ENV_INVALID_VAR_NAME},
    };
    for (size_t i = 0; i < RT_ELEMENTS(aCases); i++)
    {
        const auto &c = aCases[i];
        EXPECT_EQ(c.rcExpected, RTEnvGetEx(c.hEnv, c.pszName, c.pszValue, c.cbValue, c.pcch)) << "case " << i;
    }
    EXPECT_EQ(nullptr, RTEnvGet(NULL));
    EXPECT_EQ(nullptr, RTEnvGet(pszBad));
}

TEST_F(Env, OverflowKeepsATerminatedPrefixAndTellsTheLength)
{
    set("TARN_ENVTEST_OVF", "abcdefgh");
    char szValue[16];
    size_t cch = 0;

    memset(szValue, 'x', sizeof(szValue));
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVTEST_OVF", szValue, 5, &cch));
    EXPECT_STREQ("abcd", szValue);
    EXPECT_EQ(8u, cch);

    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVTEST_OVF", szValue, 8, NULL));
    EXPECT_EQ(INF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVTEST_OVF", szValue, 9, NULL));
    EXPECT_STREQ("abcdefgh", szValue);

    /* A buffer of size 0 with a length output: too small, nothing written. */
    memset(szValue, 'x', sizeof(szValue));
    cch = 0;
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVTEST_OVF", szValue, 0, &cch));
    EXPECT_EQ(8u, cch);
    EXPECT_EQ('x', szValue[0]);
}

TEST_F(Env, LengthOnlyCountsUtf8Bytes)
{
    set("TARN_ENVTEST_LEN", "\xe2\x82\xac"
                            "uro \xf0\x9f\x98\x80"); /* 3 + 4 + 4 bytes, 7 UTF-16 units */
    size_t cch = 0;
    EXPECT_EQ(INF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVTEST_LEN", NULL, 0, &cch));
    EXPECT_EQ(11u, cch);
    set("TARN_ENVTEST_LEN", "");
    cch = 5;
    EXPECT_EQ(INF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVTEST_LEN", NULL, 0, &cch));
    EXPECT_EQ(0u, cch);
}

TEST_F(Env, LongValuesAreReadWhole)
{
    /* Around the first read buffer of 512 units, and 32766 units: the longest
       value every system the tests run on reads back whole. */
    for (size_t cUnits : {511, 512, 513, 1500, 32766})
    {
        std::string strValue = makeValue(cUnits);
        set("TARN_ENVTEST_LONG", strValue);

        std::vector<char> vBuf(strValue.size() + 1, 'x');
        size_t cch = 0;
        ASSERT_EQ(INF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVTEST_LONG", vBuf.data(), vBuf.size(), &cch))
            << cUnits << " units";
        EXPECT_EQ(strValue.size(), cch);
        EXPECT_TRUE(strValue == vBuf.data()) << cUnits << " units";

        cch = 0;
        EXPECT_EQ(INF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVTEST_LONG", NULL, 0, &cch));
        EXPECT_EQ(strValue.size(), cch);

        EXPECT_EQ(ERR_BUFFER_OVERFLOW,
                  RTEnvGetEx(RTENV_DEFAULT, "TARN_ENVTEST_LONG", vBuf.data(), vBuf.size() - 1, NULL));

        const char *psz = RTEnvGet("TARN_ENVTEST_LONG");
        ASSERT_NE(nullptr, psz);
        EXPECT_TRUE(strValue == psz) << cUnits << " units";
    }
}

TEST_F(Env, RingKeeps64StringsAndReusesSlots)
{
    /* 64 reads of changing values: each result is its own string and all stay valid. */
    std::vector<const char *> vpsz;
    for (int i = 0; i < 64; i++)
    {
        set("TARN_ENVTEST_RING", "value-" + std::to_string(i));
        const char *psz = RTEnvGet("TARN_ENVTEST_RING");
        ASSERT_NE(nullptr, psz);
        vpsz.push_back(psz);
    }
    for (int i = 0; i < 64; i++)
    {
        EXPECT_EQ("value-" + std::to_string(i), vpsz[i]);
        for (int j = 0; j < i; j++)
            ASSERT_NE(vpsz[j], vpsz[i]);
    }

#if defined(__SANITIZE_ADDRESS__)
    /* Every further read frees the string of the read 64 calls before it, and only that one. */
    for (int i = 0; i < 64; i++)
    {
        ASSERT_NE(nullptr, RTEnvGet("TARN_ENVTEST_RING"));
        EXPECT_TRUE(__asan_address_is_poisoned(vpsz[i])) << i;
        if (i + 1 < 64)
        {
            EXPECT_FALSE(__asan_address_is_poisoned(vpsz[i + 1])) << i;
        }
    }
#endif
}

TEST_F(Env, RingGetsNothingWithoutMemory)
{
    set("TARN_ENVTEST_OOM", "value");
    tst::failAllocationsAfter(0);
    EXPECT_EQ(nullptr, RTEnvGet("TARN_ENVTEST_OOM"));
    tst::endAllocationFailures();
    const char *psz = RTEnvGet("TARN_ENVTEST_OOM");
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("value", psz);
}

} // namespace
