/** @file
 * Differential test of the UTF-8 and UTF-16 conversions against the host C
 * library's iconv, over structured inputs (every short lead/continuation
 * combination, overlongs, surrogates, truncations, noncharacters) and seeded
 * random ones.
 *
 * Where the two differ by design the difference is listed below and our own
 * documented result is checked instead:
 *  - U+FFFE and U+FFFF: iconv converts them; we refuse them as noncharacters
 *    (ERR_NONCHARACTER_CODE_POINT) in both directions, because text that
 *    carries them is a byte-order mix-up or a sentinel, not a name or path.
 * Inputs carry no NUL byte/unit: our length-limited conversions stop at a NUL,
 * iconv converts through it.
 */
#include <gtest/gtest.h>
#include <errno.h>
#include <iconv.h>
#include <string.h>
#include <random>
#include <string>
#include <vector>
#include <rt/string.h>
#include <rt/utf16.h>
#include <rt/mem.h>

namespace
{

/** An iconv descriptor for one direction, closed at the end of the test. */
class IconvConverter
{
  public:
    IconvConverter(const char *pszTo, const char *pszFrom) : m_hCd(iconv_open(pszTo, pszFrom)) {}
    ~IconvConverter()
    {
        if (m_hCd != (iconv_t)-1)
            iconv_close(m_hCd);
    }
    bool IsOpen() const { return m_hCd != (iconv_t)-1; }

    /** Converts all of @a cbIn bytes; false when iconv refuses any of them. */
    bool Convert(const void *pvIn, size_t cbIn, std::string *pstrOut)
    {
        iconv(m_hCd, NULL, NULL, NULL, NULL);
        std::vector<char> vecIn((const char *)pvIn, (const char *)pvIn + cbIn);
        std::vector<char> vecOut(cbIn * 4 + 16);
        char *pchIn = vecIn.data();
        char *pchOut = vecOut.data();
        size_t cbInLeft = cbIn;
        size_t cbOutLeft = vecOut.size();
        if (iconv(m_hCd, &pchIn, &cbInLeft, &pchOut, &cbOutLeft) == (size_t)-1 || cbInLeft != 0)
            return false;
        pstrOut->assign(vecOut.data(), vecOut.size() - cbOutLeft);
        return true;
    }

  private:
    iconv_t m_hCd;
};

bool HasNoncharacterUnit(const std::string &strUtf16Le)
{
    for (size_t i = 0; i + 1 < strUtf16Le.size(); i += 2)
        if ((uint8_t)strUtf16Le[i] >= 0xfe && (uint8_t)strUtf16Le[i + 1] == 0xff)
            return true;
    return false;
}

std::string Hex(const void *pv, size_t cb)
{
    std::string str;
    char sz[4];
    for (size_t i = 0; i < cb; i++)
    {
        snprintf(sz, sizeof(sz), "%02x ", ((const uint8_t *)pv)[i]);
        str += sz;
    }
    return str;
}

/*
 * UTF-8 to UTF-16.
 */

class Utf8Differ
{
  public:
    Utf8Differ() : m_Iconv("UTF-16LE", "UTF-8") {}
    bool Ready() const { return m_Iconv.IsOpen(); }

    /** Compares one NUL-free input; returns false (after reporting) on a disagreement. */
    bool Check(const std::string &strIn)
    {
        m_cChecked++;
        std::string strIconv;
        bool fIconvOk = m_Iconv.Convert(strIn.data(), strIn.size(), &strIconv);

        RTUTF16 *pwsz = NULL;
        size_t cwc = 0;
        int rc = RTStrToUtf16Ex(strIn.data(), strIn.size(), &pwsz, 0, &cwc, RTMEM_TAG);
        std::string strOurs;
        if (RT_SUCCESS(rc))
            strOurs.assign((const char *)pwsz, cwc * sizeof(RTUTF16)); /* little-endian host */
        else if (pwsz)
            ADD_FAILURE() << "result pointer set on failure for " << Hex(strIn.data(), strIn.size());
        RTUtf16Free(pwsz);

        int rcValidate = RTStrValidate(strIn.data(), strIn.size(), 0);
        if (rcValidate != rc)
            return Report(strIn, "validation and conversion disagree", rc, rcValidate);
        if (RT_SUCCESS(rc) && fIconvOk)
            return strOurs == strIconv || Report(strIn, "different output", rc, 0);
        if (RT_SUCCESS(rc))
            return Report(strIn, "we accept what iconv refuses", rc, 0);
        if (!fIconvOk)
            return true;
        /* The listed difference: iconv passes the noncharacters through. */
        if (rc == ERR_NONCHARACTER_CODE_POINT && HasNoncharacterUnit(strIconv))
        {
            m_cNoncharacters++;
            return true;
        }
        return Report(strIn, "we refuse what iconv accepts", rc, 0);
    }

    size_t m_cChecked = 0;
    size_t m_cNoncharacters = 0;

  private:
    bool Report(const std::string &strIn, const char *pszWhat, int rc, int rc2)
    {
        ADD_FAILURE() << pszWhat << ": " << Hex(strIn.data(), strIn.size()) << " rc " << rc << " / " << rc2;
        return false;
    }
    IconvConverter m_Iconv;
};

/** Every lead byte with continuations, non-continuations and truncation. */
std::vector<std::string> StructuredUtf8Inputs()
{
    std::vector<std::string> vec;
    const uint8_t s_abTails[] = {0x80, 0x81, 0x8f, 0x90, 0x9f, 0xa0, 0xbf, 0x41, 0xc0, 0xc2, 0xe0, 0xff};
    for (unsigned bLead = 0x80; bLead <= 0xff; bLead++)
    {
        std::string strLead(1, (char)bLead);
        vec.push_back(strLead);
        vec.push_back("x" + strLead + "y");
        for (unsigned b2 = 1; b2 <= 0xff; b2++)
        {
            std::string str2 = strLead + (char)b2;
            vec.push_back(str2);
            if (b2 < 0x80 || b2 > 0xbf || bLead < 0xe0)
                continue;
            for (uint8_t b3 : s_abTails)
            {
                std::string str3 = str2 + (char)b3;
                vec.push_back(str3);
                if (bLead < 0xf0)
                    continue;
                for (uint8_t b4 : s_abTails)
                {
                    std::string str4 = str3 + (char)b4;
                    vec.push_back(str4);
                    if (bLead >= 0xf8) /* 5- and 6-byte forms, with their tails */
                        vec.push_back(str4 + "\x80\x80");
                }
            }
        }
    }
    /* All of the surrogate block and the end of the BMP, and the edges of every length. */
    for (unsigned b2 = 0xa0; b2 <= 0xbf; b2++)
        for (unsigned b3 = 0x80; b3 <= 0xbf; b3++)
            vec.push_back(std::string("\xed") + (char)b2 + (char)b3);
    for (unsigned b3 = 0x80; b3 <= 0xbf; b3++)
        vec.push_back(std::string("\xef\xbf") + (char)b3 + "tail");
    return vec;
}

/** Text made of random code points of every class, then sometimes damaged. */
std::string RandomUtf8Input(std::mt19937 &Rng)
{
    static const RTUNICP s_auClassStarts[][2] = {{0x01, 0x7f},          {0x80, 0x7ff},          {0x800, 0xd7ff},
                                                 {0xd800, 0xdfff},      {0xe000, 0xffff},       {0xfff0, 0xffff},
                                                 {0x10000, 0x10ffff},   {0x10fff0, 0x110010},   {0x110000, 0x1fffff},
                                                 {0x200000, 0x3ffffff}, {0x4000000, 0x7fffffff}};
    std::string str;
    unsigned cChars = Rng() % 6 + 1;
    for (unsigned i = 0; i < cChars; i++)
    {
        const RTUNICP *pRange = s_auClassStarts[Rng() % RT_ELEMENTS(s_auClassStarts)];
        RTUNICP uCp = pRange[0] + Rng() % (pRange[1] - pRange[0] + 1);
        char ach[8];
        str.append(ach, RTStrCpEncode(ach, uCp));
    }
    switch (Rng() % 4)
    {
        case 0: /* truncate */
            str.resize(Rng() % (str.size() + 1));
            break;
        case 1: /* replace a byte */
            str[Rng() % str.size()] = (char)(Rng() % 255 + 1);
            break;
        case 2: /* pure random bytes */
            for (char &ch : str)
                ch = (char)(Rng() % 255 + 1);
            break;
        default:
            break;
    }
    return str;
}

TEST(UtfIconvDiff, Utf8ToUtf16)
{
    Utf8Differ Differ;
    ASSERT_TRUE(Differ.Ready());
    size_t cFailures = 0;
    for (const std::string &str : StructuredUtf8Inputs())
        if (!Differ.Check(str) && ++cFailures > 20)
            FAIL() << "too many disagreements";
    std::mt19937 Rng(20240611);
    for (unsigned i = 0; i < 200000; i++)
        if (!Differ.Check(RandomUtf8Input(Rng)) && ++cFailures > 20)
            FAIL() << "too many disagreements";
    EXPECT_GT(Differ.m_cNoncharacters, 0u); /* the listed difference was exercised */
    RecordProperty("inputs", (int)Differ.m_cChecked);
}

/*
 * UTF-16 to UTF-8.
 */

class Utf16Differ
{
  public:
    Utf16Differ() : m_Iconv("UTF-8", "UTF-16LE") {}
    bool Ready() const { return m_Iconv.IsOpen(); }

    bool Check(const std::vector<RTUTF16> &vecIn)
    {
        std::string strIconv;
        bool fIconvOk = m_Iconv.Convert(vecIn.data(), vecIn.size() * sizeof(RTUTF16), &strIconv);

        char *psz = NULL;
        size_t cch = 0;
        int rc = RTUtf16ToUtf8Ex(vecIn.data(), vecIn.size(), &psz, 0, &cch, RTMEM_TAG);
        std::string strOurs = RT_SUCCESS(rc) ? std::string(psz, cch) : std::string();
        if (RT_FAILURE(rc) && psz)
            ADD_FAILURE() << "result pointer set on failure";
        RTStrFree(psz);

        size_t cchValidate = 0;
        if (RTUtf16Validate(vecIn.data(), vecIn.size(), &cchValidate) != rc || (RT_SUCCESS(rc) && cchValidate != cch))
            return Report(vecIn, "validation and conversion disagree", rc);
        if (RT_SUCCESS(rc) && fIconvOk)
            return strOurs == strIconv || Report(vecIn, "different output", rc);
        if (RT_SUCCESS(rc))
            return Report(vecIn, "we accept what iconv refuses", rc);
        if (!fIconvOk)
            return true;
        bool fHasNoncharacter = false;
        for (RTUTF16 wc : vecIn)
            fHasNoncharacter |= wc >= 0xfffe;
        if (rc == ERR_NONCHARACTER_CODE_POINT && fHasNoncharacter)
        {
            m_cNoncharacters++;
            return true;
        }
        return Report(vecIn, "we refuse what iconv accepts", rc);
    }

    size_t m_cNoncharacters = 0;

  private:
    bool Report(const std::vector<RTUTF16> &vecIn, const char *pszWhat, int rc)
    {
        ADD_FAILURE() << pszWhat << ": units " << Hex(vecIn.data(), vecIn.size() * 2) << " rc " << rc;
        return false;
    }
    IconvConverter m_Iconv;
};

TEST(UtfIconvDiff, Utf16ToUtf8)
{
    Utf16Differ Differ;
    ASSERT_TRUE(Differ.Ready());
    size_t cFailures = 0;
    auto CheckOne = [&](const std::vector<RTUTF16> &vec)
    {
        if (!Differ.Check(vec) && ++cFailures > 20)
            return false;
        return true;
    };

    /* Every unit alone and between ASCII, and every surrogate with each kind of neighbour. */
    for (unsigned wc = 1; wc <= 0xffff; wc++)
    {
        ASSERT_TRUE(CheckOne({(RTUTF16)wc}));
        ASSERT_TRUE(CheckOne({'a', (RTUTF16)wc, 'b'}));
    }
    const RTUTF16 s_awcNeighbours[] = {'a', 0xd800, 0xdbff, 0xdc00, 0xdfff, 0xe000, 0xfffe};
    for (unsigned wc = 0xd800; wc <= 0xdfff; wc++)
        for (RTUTF16 wcNext : s_awcNeighbours)
        {
            ASSERT_TRUE(CheckOne({(RTUTF16)wc, wcNext}));
            ASSERT_TRUE(CheckOne({wcNext, (RTUTF16)wc}));
        }

    /* Random runs of units drawn mostly from the interesting ranges. */
    std::mt19937 Rng(19700101);
    for (unsigned i = 0; i < 200000; i++)
    {
        std::vector<RTUTF16> vec(Rng() % 8 + 1);
        for (RTUTF16 &wc : vec)
        {
            switch (Rng() % 4)
            {
                case 0:
                    wc = (RTUTF16)(0xd800 + Rng() % 0x800);
                    break;
                case 1:
                    wc = (RTUTF16)(0xfff0 + Rng() % 0x10);
                    break;
                default:
                    wc = (RTUTF16)(Rng() % 0xffff + 1);
                    break;
            }
        }
        ASSERT_TRUE(CheckOne(vec));
    }
    EXPECT_GT(Differ.m_cNoncharacters, 0u);
}

} // namespace
