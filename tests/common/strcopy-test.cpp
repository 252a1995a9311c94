/** @file
 * Bounded copy and append into fixed buffers, and the ASCII case-insensitive
 * compare.
 */
#include <gtest/gtest.h>
#include <string.h>
#include <rt/string.h>

namespace
{

/** A destination with guard bytes behind its given size, to catch writes past it. */
struct GuardedBuffer
{
    static const size_t s_cbGuard = 4;
    char ach[32];
    size_t cb;

    GuardedBuffer(size_t cbSize, const char *pszInitial) : cb(cbSize)
    {
        memset(ach, 'Z', sizeof(ach));
        if (pszInitial)
            memcpy(ach, pszInitial, RT_MIN(strlen(pszInitial) + 1, cb));
    }
    bool GuardIntact() const
    {
        for (size_t i = cb; i < cb + s_cbGuard; i++)
            if (ach[i] != 'Z')
                return false;
        return true;
    }
};

TEST(StrCopy, CopiesOrTruncatesWithTerminator)
{
    struct
    {
        const char *pszSrc;
        size_t cbDst;
        int rcExpected;
        const char *pszExpected;
    } const s_aCases[] = {
        {"abc", 4, INF_SUCCESS, "abc"}, {"abc", 3, ERR_BUFFER_OVERFLOW, "ab"}, {"abc", 1, ERR_BUFFER_OVERFLOW, ""},
        {"", 1, INF_SUCCESS, ""},       {"abc", 10, INF_SUCCESS, "abc"},
    };
    for (const auto &c : s_aCases)
    {
        GuardedBuffer Dst(c.cbDst, NULL);
        EXPECT_EQ(c.rcExpected, RTStrCopy(Dst.ach, Dst.cb, c.pszSrc)) << c.pszSrc << " into " << c.cbDst;
        EXPECT_STREQ(c.pszExpected, Dst.ach);
        EXPECT_TRUE(Dst.GuardIntact());
    }
}

TEST(StrCopy, ZeroSizeWritesNothing)
{
    GuardedBuffer Dst(0, NULL);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTStrCopy(Dst.ach, 0, "abc"));
    EXPECT_TRUE(Dst.GuardIntact());
}

TEST(StrCat, AppendsOrTruncatesWithTerminator)
{
    struct
    {
        const char *pszInitial;
        size_t cbDst;
        const char *pszSrc;
        int rcExpected;
        const char *pszExpected;
    } const s_aCases[] = {
        {"ab", 4, "c", INF_SUCCESS, "abc"},        {"ab", 4, "cd", ERR_BUFFER_OVERFLOW, "abc"},
        {"ab", 3, "c", ERR_BUFFER_OVERFLOW, "ab"}, /* full already */
        {"", 4, "xyz", INF_SUCCESS, "xyz"},        {"ab", 8, "", INF_SUCCESS, "ab"},
    };
    for (const auto &c : s_aCases)
    {
        GuardedBuffer Dst(c.cbDst, c.pszInitial);
        EXPECT_EQ(c.rcExpected, RTStrCat(Dst.ach, Dst.cb, c.pszSrc)) << c.pszInitial << " + " << c.pszSrc;
        EXPECT_STREQ(c.pszExpected, Dst.ach);
        EXPECT_TRUE(Dst.GuardIntact());
    }
}

TEST(StrCat, DestinationWithoutTerminatorIsRefusedUntouched)
{
    GuardedBuffer Dst(4, NULL);
    memcpy(Dst.ach, "abcd", 4);
    Dst.ach[4] = '\0'; /* a NUL right behind the given size must not be taken for the end */
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStrCat(Dst.ach, 4, "e"));
    EXPECT_EQ(0, memcmp(Dst.ach, "abcd\0", 5));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStrCat(Dst.ach, 0, "e"));
}

int Sign(int i)
{
    return (i > 0) - (i < 0);
}

TEST(StrICmpAscii, ComparesByTable)
{
    struct
    {
        const char *psz1;
        const char *pszAscii;
        int iSign;
    } const s_aCases[] = {
        {"Setup.MSI", "setup.msi", 0},
        {"a.msi", "a.cab", 1},
        {"a.cab", "a.msi", -1},
        {"", "", 0},
        {"abc", "ab", 1},
        {"ab", "abc", -1},
        {"ABC", "abd", -1},
        {"_", "A", -1}, /* folding is to lower case: '_' (0x5f) < 'a' (0x61) */
        {"[", "a", -1},
        {"\xc3\xa9", "e", 1},    /* a non-ASCII character is greater than any ASCII byte */
        {"\xc3\xa9", "", 1},     /* ... and than the end */
        {"\xc3\xa9", "\xe9", 0}, /* the code point U+E9 meets the byte 0xE9 */
        {"x\xf4\x90\x80\x80", "X", 1},
        /* A malformed character ends in a plain byte comparison from there on. */
        {"\xc3(", "\xc3(", 0},
        {"A\xff", "a\xfe", 1},
        {"A\xc0\x80", "a\xc0\x81", -1},
        {"A\xed\xa0\x80", "aB", 1}, /* surrogate: 0xED against 'B' */
        {"\x80z", "\x80Z", 1},      /* bytes, so case counts again */
    };
    for (const auto &c : s_aCases)
        EXPECT_EQ(c.iSign, Sign(RTStrICmpAscii(c.psz1, c.pszAscii))) << c.psz1 << " vs " << c.pszAscii;
}

TEST(StrICmpAscii, PointerRules)
{
    const char *psz = "same";
    EXPECT_EQ(0, RTStrICmpAscii(psz, psz));
    EXPECT_EQ(0, RTStrICmpAscii(NULL, NULL));
    EXPECT_LT(RTStrICmpAscii(NULL, "a"), 0);
    EXPECT_GT(RTStrICmpAscii("a", NULL), 0);
}

} // namespace
