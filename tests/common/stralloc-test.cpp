/** @file
 * The UTF-8 string allocation family and UTF-8 to the ANSI code page.
 */
#include <gtest/gtest.h>
#include <string.h>
#include <rt/string.h>
#include <rt/mem.h>
#include "support/alloc-failure.h"

namespace
{

TEST(StrAlloc, AllocStartsEmpty)
{
    for (size_t cb : {0, 1, 16})
    {
        char *psz = RTStrAlloc(cb, RTMEM_TAG);
        ASSERT_NE(nullptr, psz);
        EXPECT_EQ('\0', psz[0]);
        RTStrFree(psz);
    }
    tst::AllocationFailures Failures(0);
    EXPECT_EQ(nullptr, RTStrAlloc(8, RTMEM_TAG));
}

TEST(StrAlloc, DupAndDupN)
{
    struct
    {
        const char *psz;
        size_t cchMax;
        const char *pszExpected;
    } const s_aCases[] = {
        {"installer", RTSTR_MAX, "installer"},
        {"installer", 4, "inst"},
        {"installer", 0, ""},
        {"ab", 10, "ab"},
    };
    for (const auto &c : s_aCases)
    {
        char *psz = RTStrDupN(c.psz, c.cchMax, RTMEM_TAG);
        ASSERT_NE(nullptr, psz);
        EXPECT_STREQ(c.pszExpected, psz);
        RTStrFree(psz);
    }
    char *psz = RTStrDup("x\xc3\xa9", RTMEM_TAG);
    EXPECT_STREQ("x\xc3\xa9", psz);
    RTStrFree(psz);

    tst::AllocationFailures Failures(0);
    EXPECT_EQ(nullptr, RTStrDup("abc", RTMEM_TAG));
}

TEST(StrAlloc, ReallocRules)
{
    char *psz = NULL;
    ASSERT_EQ(INF_SUCCESS, RTStrRealloc(&psz, 4, RTMEM_TAG)); /* null: a fresh empty string */
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ('\0', psz[0]);
    EXPECT_EQ('\0', psz[3]);
    memcpy(psz, "abc", 4);

    ASSERT_EQ(INF_SUCCESS, RTStrRealloc(&psz, 64, RTMEM_TAG));
    EXPECT_STREQ("abc", psz);
    EXPECT_EQ('\0', psz[63]);

    ASSERT_EQ(INF_SUCCESS, RTStrRealloc(&psz, 2, RTMEM_TAG)); /* shrinking keeps a terminated prefix */
    EXPECT_STREQ("a", psz);

    {
        tst::AllocationFailures Failures(0);
        char *pszBefore = psz;
        EXPECT_EQ(ERR_NO_STR_MEMORY, RTStrRealloc(&psz, 100, RTMEM_TAG));
        EXPECT_EQ(pszBefore, psz);
        EXPECT_STREQ("a", psz);
    }

    ASSERT_EQ(INF_SUCCESS, RTStrRealloc(&psz, 0, RTMEM_TAG));
    EXPECT_EQ(nullptr, psz);
    RTStrFree(NULL);
}

/*
 * UTF-8 to ANSI: what holds for every code page. The host build's code page
 * is UTF-8; the Windows code pages are checked by the Windows-only tests.
 */

TEST(StrUtf8ToAnsi, AsciiAndEmptyComeBackAllocated)
{
    for (const char *pszText : {"", "setup.msi"})
    {
        char *pszAnsi = NULL;
        ASSERT_EQ(INF_SUCCESS, RTStrUtf8ToAnsi(&pszAnsi, pszText, RTMEM_TAG));
        ASSERT_NE(nullptr, pszAnsi);
        EXPECT_NE(pszText, pszAnsi);
        EXPECT_STREQ(pszText, pszAnsi);
        RTStrFree(pszAnsi);
    }
}

TEST(StrUtf8ToAnsi, InvalidTextGivesStatusAndNull)
{
    char *pszAnsi = (char *)(uintptr_t)0x5000;
    EXPECT_EQ(ERR_INVALID_UTF8_ENCODING, RTStrUtf8ToAnsi(&pszAnsi, "ab\xc0\x80", RTMEM_TAG));
    EXPECT_EQ(nullptr, pszAnsi);
    EXPECT_EQ(ERR_SURROGATE_CODE_POINT, RTStrUtf8ToAnsi(&pszAnsi, "\xed\xa0\x80", RTMEM_TAG));
    EXPECT_EQ(nullptr, pszAnsi);
}

TEST(StrUtf8ToAnsi, OutOfMemoryAtEachStepLeaksNothing)
{
    /* Fail the first, then the second allocation: every path must end in a
       status and a null result (the host build's leak checker watches the rest). */
    bool fSucceeded = false;
    for (int32_t cAllocs = 0; cAllocs < 4 && !fSucceeded; cAllocs++)
    {
        char *pszAnsi = (char *)(uintptr_t)0x5000;
        int rc;
        {
            tst::AllocationFailures Failures(cAllocs);
            rc = RTStrUtf8ToAnsi(&pszAnsi, "caf\xc3\xa9", RTMEM_TAG);
        }
        if (RT_SUCCESS(rc))
        {
            fSucceeded = true;
            RTStrFree(pszAnsi);
        }
        else
        {
            EXPECT_TRUE(rc == ERR_NO_TMP_MEMORY || rc == ERR_NO_UTF16_MEMORY) << rc;
            EXPECT_EQ(nullptr, pszAnsi);
        }
    }
    EXPECT_TRUE(fSucceeded);
}

} // namespace
