/** @file
 * The formatter's front ends: into a caller's buffer (truncating, and the
 * variant reporting the full length) and into a fresh heap string.
 */
#include <gtest/gtest.h>
#include <rt/string.h>
#include <rt/mem.h>
#include "support/alloc-failure.h"

#include <string.h>
#include <string>

namespace
{

struct BufCase
{
    size_t cbBuffer;
    const char *pszExpected; /* buffer contents; null when nothing may be written */
    size_t cchStored;        /* RTStrBufPrintf's result */
    intptr_t cchEx;          /* RTStrBufPrintfEx's result */
};

/* "%s%d%s" of "ab", 12, "cd" is "ab12cd" (6 bytes, in three pieces). */
const BufCase g_aBufCases[] = {
    {0, NULL, 0, ~(intptr_t)6},  {1, "", 0, ~(intptr_t)6},      {2, "a", 1, ~(intptr_t)6}, {3, "ab", 2, ~(intptr_t)6},
    {4, "ab1", 3, ~(intptr_t)6}, {6, "ab12c", 5, ~(intptr_t)6}, {7, "ab12cd", 6, 6},       {32, "ab12cd", 6, 6},
};

TEST(StrBufPrintf, TruncatesAndTerminates)
{
    for (const BufCase &c : g_aBufCases)
    {
        char achBuf[40];
        memset(achBuf, '#', sizeof(achBuf));
        EXPECT_EQ(c.cchStored, RTStrBufPrintf(achBuf, c.cbBuffer, "%s%d%s", "ab", 12, "cd")) << c.cbBuffer;
        if (c.pszExpected)
        {
            EXPECT_STREQ(c.pszExpected, achBuf) << c.cbBuffer;
        }
        EXPECT_EQ('#', achBuf[c.cbBuffer]) << "wrote past the buffer of " << c.cbBuffer;

        memset(achBuf, '#', sizeof(achBuf));
        EXPECT_EQ(c.cchEx, RTStrBufPrintfEx(achBuf, c.cbBuffer, "%s%d%s", "ab", 12, "cd")) << c.cbBuffer;
        if (c.pszExpected)
        {
            EXPECT_STREQ(c.pszExpected, achBuf) << c.cbBuffer;
        }
        EXPECT_EQ('#', achBuf[c.cbBuffer]) << "wrote past the buffer of " << c.cbBuffer;
    }
}

TEST(StrBufPrintf, ExComplementOfTheFullLength)
{
    char achBuf[4];
    intptr_t cch = RTStrBufPrintfEx(achBuf, sizeof(achBuf), "abcdef");
    EXPECT_EQ(~(intptr_t)6, cch);
    EXPECT_LT(cch, 0);
    EXPECT_STREQ("abc", achBuf);

    /* An empty text into a one-byte buffer fits. */
    EXPECT_EQ(0, RTStrBufPrintfEx(achBuf, 1, "%s", ""));
    EXPECT_STREQ("", achBuf);
}

/** Formats with RTStrAllocPrintfV and the caller's own tag. */
int allocPrintf(char **ppsz, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    int cch = RTStrAllocPrintfV(ppsz, pszFormat, va, "strprintf-test");
    va_end(va);
    return cch;
}

TEST(StrAllocPrintf, SmallText)
{
    char *psz = NULL;
    EXPECT_EQ(9, RTStrAllocPrintf(&psz, "x=%d y=%s", -5, "ab"));
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("x=-5 y=ab", psz);
    RTMemFree(psz);

    EXPECT_EQ(0, allocPrintf(&psz, ""));
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("", psz);
    RTMemFree(psz);
}

/**
 * Formats @a pszFormat under a growing allocation budget until it succeeds.
 * Every budget below the one that succeeds must fail cleanly (-1, null, no
 * leak). Returns the number of allocations the text needed.
 */
int allocationsNeeded(std::string const &strExpected, const char *pszFormat, int cchWidth, const char *pszArg)
{
    for (int cAllowed = 0; cAllowed < 64; cAllowed++)
    {
        char *psz = (char *)(uintptr_t)1;
        tst::failAllocationsAfter(cAllowed);
        int cch = allocPrintf(&psz, pszFormat, cchWidth, pszArg);
        tst::endAllocationFailures();
        if (cch < 0)
        {
            EXPECT_EQ(-1, cch);
            EXPECT_EQ(nullptr, psz);
            continue;
        }
        EXPECT_EQ(strExpected.size(), (size_t)cch);
        EXPECT_TRUE(psz && strExpected == psz);
        RTMemFree(psz);
        return cAllowed;
    }
    ADD_FAILURE() << "never succeeded";
    return -1;
}

TEST(StrAllocPrintf, StackBufferThenHeap)
{
    /* Up to 2047 bytes the only allocation is the final copy. */
    std::string str2047(2046, 'a');
    EXPECT_EQ(1, allocationsNeeded(str2047 + "|", "%*s|", 0, str2047.c_str()));
    EXPECT_EQ(1, allocationsNeeded(std::string(2046, ' ') + "|", "%*s|", 2046, ""));
    /* One byte more moves the text to the heap, then shrinks it to size. */
    EXPECT_EQ(2, allocationsNeeded(std::string(2047, ' ') + "|", "%*s|", 2047, ""));
    /* One large piece grows the buffer in a single step. */
    std::string str5000(5000, 'b');
    EXPECT_EQ(2, allocationsNeeded("<" + str5000 + ">", "<%.*s>", 5000, str5000.c_str()));
}

TEST(StrAllocPrintf, GrowsByAtMostOneMiBAtATime)
{
    /* Padding arrives in 32-byte pieces. The first step adds a piece rounded up
       to 4 KiB (2 -> 6 KiB), then the capacity doubles up to 1.5 MiB (8 more
       steps) and from there grows by 1 MiB: 2.5 and 3.5 MiB for 3 MiB + 1 bytes.
       Doubling without the cap would need one step less. */
    size_t const cchPad = 3 * 1024 * 1024;
    EXPECT_EQ(1 + 8 + 2 + 1, allocationsNeeded(std::string(cchPad, ' ') + "|", "%*s|", (int)cchPad, ""));
}

TEST(StrAllocPrintf, GrowthStepAboveOneGiBFails)
{
#ifdef RT_OS_WINDOWS
    GTEST_SKIP() << "needs more than a 32-bit process can allocate";
#else
    size_t const cch = (size_t)1024 * 1024 * 1024 + 1;
    char *pach = (char *)malloc(cch);
    ASSERT_NE(nullptr, pach);
    memset(pach, 'g', cch);
    char *psz = (char *)(uintptr_t)1;
    EXPECT_EQ(-1, allocPrintf(&psz, "%.*s", (int)cch, pach));
    EXPECT_EQ(nullptr, psz);
    free(pach);
#endif
}

} // namespace
