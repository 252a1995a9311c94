/** @file
 * Differential test of the formatter against the host C library's snprintf
 * over a generated table of formats and values: the conversions d i u o x X c s
 * with every combination of the flags '-' '+' ' ' '#' '0', widths (also from
 * '*', negative too), precisions and size prefixes, wherever both give them
 * the same meaning.
 *
 * Left out on purpose, because our formatter defines them differently:
 *  - grouping ('\'') separates with spaces, not with the locale's separator;
 *  - "%.0d" of 0 prints "0" (at least one digit), where C prints nothing;
 *  - '#' with 'o' always prefixes "0", and '#' with 'x'/'X' prints "0x0" for 0;
 *  - '0' with a precision still pads with zeros (C ignores '0' then);
 *  - a negative '*' precision counts as 0, so "%.*s" of -1 prints nothing;
 *  - "%ls"/"%lc" take UTF-16, not the host's wchar_t.
 * Also left out: what C leaves undefined ('#' with d i u c s, '0' with c s,
 * a precision with c).
 */
#include <gtest/gtest.h>
#include <rt/string.h>

#include <stdint.h>
#include <stdio.h>
#include <string>

namespace
{

/** One generated conversion: its text and the '*' arguments it takes. */
struct Conv
{
    std::string strFlags;
    std::string strWidth;     /* "", digits or "*" */
    int cchStarWidth;         /* the argument for a "*" width */
    std::string strPrecision; /* "", ".", ".digits" or ".*" */
    int cchStarPrecision;     /* the argument for a ".*" precision */
    char chConversion;
    std::string strSize;

    bool hasFlag(char ch) const { return strFlags.find(ch) != std::string::npos; }
    bool hasPrecision() const { return !strPrecision.empty() && !(strPrecision == ".*" && cchStarPrecision < 0); }
    bool hasZeroPrecision() const
    {
        if (!hasPrecision())
            return false;
        if (strPrecision == ".*")
            return cchStarPrecision == 0;
        return strPrecision == "." || strPrecision == ".0";
    }
    std::string format() const { return "[%" + strFlags + strWidth + strPrecision + strSize + chConversion + "]"; }
};

/** Compares the two formatters and records the first mismatches. */
struct Comparison
{
    size_t cCompared = 0;
    size_t cMismatches = 0;
    std::string strReport;

    template <typename... Args> void compare(Conv const &conv, const char *pszValue, Args... args)
    {
        std::string const strFormat = conv.format();
        char szC[256];
        char szRt[256];
        int cchC = snprintf(szC, sizeof(szC), strFormat.c_str(), args...);
        size_t cchRt = RTStrBufPrintf(szRt, sizeof(szRt), strFormat.c_str(), args...);
        cCompared++;
        if (cchC >= 0 && (size_t)cchC == cchRt && std::string(szC, cchRt) == std::string(szRt, cchRt))
            return;
        if (++cMismatches <= 20)
            strReport += strFormat + " of " + pszValue + ": C '" + std::string(szC, cchC > 0 ? (size_t)cchC : 0) +
                         "' ours '" + std::string(szRt, cchRt) + "'\n";
    }

    /** Passes the star arguments the conv needs before the value. */
    template <typename T> void compareValue(Conv const &conv, const char *pszValue, T value)
    {
        bool const fStarWidth = conv.strWidth == "*";
        bool const fStarPrecision = conv.strPrecision == ".*";
        if (fStarWidth && fStarPrecision)
            compare(conv, pszValue, conv.cchStarWidth, conv.cchStarPrecision, value);
        else if (fStarWidth)
            compare(conv, pszValue, conv.cchStarWidth, value);
        else if (fStarPrecision)
            compare(conv, pszValue, conv.cchStarPrecision, value);
        else
            compare(conv, pszValue, value);
    }
};

const int64_t g_aiValues[] = {0,      1,     -1,        7,         -42,        127,       128,       255,
                              -32768, 65535, 123456789, INT32_MIN, UINT32_MAX, INT64_MIN, INT64_MAX, -1234567890123LL};

const char *const g_apszSizes[] = {"hh", "h", "", "l", "ll", "z", "t", "j"};

/** Passes @a iValue converted to the type the size prefix names. */
void compareInteger(Comparison &cmp, Conv const &conv, int64_t iValue)
{
    std::string const strValue = std::to_string(iValue);
    const char *psz = strValue.c_str();
    std::string const &s = conv.strSize;
    bool const fSigned = conv.chConversion == 'd' || conv.chConversion == 'i';
    if (s == "hh")
        fSigned ? cmp.compareValue(conv, psz, (int)(signed char)iValue)
                : cmp.compareValue(conv, psz, (unsigned)(unsigned char)iValue);
    else if (s == "h")
        fSigned ? cmp.compareValue(conv, psz, (int)(short)iValue)
                : cmp.compareValue(conv, psz, (unsigned)(unsigned short)iValue);
    else if (s == "")
        fSigned ? cmp.compareValue(conv, psz, (int)iValue) : cmp.compareValue(conv, psz, (unsigned)iValue);
    else if (s == "l")
        fSigned ? cmp.compareValue(conv, psz, (long)iValue) : cmp.compareValue(conv, psz, (unsigned long)iValue);
    else if (s == "ll")
        fSigned ? cmp.compareValue(conv, psz, (long long)iValue)
                : cmp.compareValue(conv, psz, (unsigned long long)iValue);
    else if (s == "z" || s == "t")
        fSigned ? cmp.compareValue(conv, psz, (ptrdiff_t)iValue) : cmp.compareValue(conv, psz, (size_t)iValue);
    else
        fSigned ? cmp.compareValue(conv, psz, (intmax_t)iValue) : cmp.compareValue(conv, psz, (uintmax_t)iValue);
}

/** Calls @a fn for every flag set, width and precision. */
template <typename Fn> void forEachConv(char chConversion, Fn fn)
{
    static const char s_szFlags[] = "-+ #0";
    struct Width
    {
        const char *psz;
        int cchStar;
    };
    static const Width s_aWidths[] = {{"", 0}, {"1", 0}, {"5", 0}, {"12", 0}, {"70", 0}, {"*", 7}, {"*", -7}};
    static const Width s_aPrecisions[] = {{"", 0},   {".", 0},   {".0", 0}, {".1", 0},
                                          {".3", 0}, {".20", 0}, {".*", 2}, {".*", -1}};
    for (unsigned fMask = 0; fMask < 32; fMask++)
        for (Width const &w : s_aWidths)
            for (Width const &p : s_aPrecisions)
            {
                Conv conv;
                for (unsigned i = 0; i < 5; i++)
                    if (fMask & (1u << i))
                        conv.strFlags += s_szFlags[i];
                conv.strWidth = w.psz;
                conv.cchStarWidth = w.cchStar;
                conv.strPrecision = p.psz;
                conv.cchStarPrecision = p.cchStar;
                conv.chConversion = chConversion;
                fn(conv);
            }
}

/** The cases where C and our formatter deliberately or undefinedly differ. */
bool isComparable(Conv const &conv, int64_t iValueAsPassed)
{
    char const ch = conv.chConversion;
    bool const fInteger = ch != 'c' && ch != 's';
    if (conv.hasFlag('#') && (ch == 'd' || ch == 'i' || ch == 'u' || ch == 'c' || ch == 's' || ch == 'o'))
        return false;
    if (conv.hasFlag('#') && (ch == 'x' || ch == 'X') && iValueAsPassed == 0)
        return false;
    if (conv.hasFlag('0') && (!fInteger || conv.hasPrecision()))
        return false;
    if (fInteger && conv.hasZeroPrecision() && iValueAsPassed == 0)
        return false;
    if (ch == 'c' && !conv.strPrecision.empty())
        return false;
    if (ch == 's' && conv.strPrecision == ".*" && conv.cchStarPrecision < 0)
        return false;
    return true;
}

/** The value as the conversion sees it, to tell whether it is 0. */
int64_t narrowed(int64_t iValue, std::string const &strSize)
{
    if (strSize == "hh")
        return (int64_t)(unsigned char)iValue;
    if (strSize == "h")
        return (int64_t)(unsigned short)iValue;
    if (strSize == "")
        return (int64_t)(unsigned)iValue;
    return iValue;
}

TEST(StrFmtVsSnprintf, Integers)
{
    Comparison cmp;
    for (char chConversion : std::string("diuoxX"))
        for (const char *pszSize : g_apszSizes)
            forEachConv(chConversion,
                        [&](Conv conv)
                        {
                            conv.strSize = pszSize;
                            for (int64_t iValue : g_aiValues)
                                if (isComparable(conv, narrowed(iValue, conv.strSize)))
                                    compareInteger(cmp, conv, iValue);
                        });
    EXPECT_EQ(0u, cmp.cMismatches) << cmp.cCompared << " compared; first mismatches:\n" << cmp.strReport;
    EXPECT_GT(cmp.cCompared, 100000u); /* the generator did produce the table */
}

TEST(StrFmtVsSnprintf, CharsAndStrings)
{
    static const int s_aChars[] = {'A', ' ', '0', 0, 200};
    static const char *const s_apszStrings[] = {"", "a", "hello", "hello, world! 0123456789", "\xC3\xA9t\xC3\xA9"};
    Comparison cmp;
    forEachConv('c',
                [&](Conv const &conv)
                {
                    for (int iChar : s_aChars)
                        if (isComparable(conv, iChar))
                            cmp.compareValue(conv, std::to_string(iChar).c_str(), iChar);
                });
    forEachConv('s',
                [&](Conv const &conv)
                {
                    for (const char *psz : s_apszStrings)
                        if (isComparable(conv, 1))
                            cmp.compareValue(conv, psz, psz);
                });
    EXPECT_EQ(0u, cmp.cMismatches) << cmp.cCompared << " compared; first mismatches:\n" << cmp.strReport;
    EXPECT_GT(cmp.cCompared, 1000u);
}

} // namespace
