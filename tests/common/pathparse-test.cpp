/** @file
 * Path parsing (components, properties, suffix, capacity) and reassembly.
 */
#include <gtest/gtest.h>
#include <rt/path.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

#define P(a_Name) RTPATH_PROP_##a_Name

/** A parse record with room for @a cComps components. */
struct Record
{
    std::vector<uint8_t> ab;
    explicit Record(size_t cComps = 64) : ab(RTPATHCOMPONENTS_SIZE(cComps)) {}
    PRTPATHCOMPONENTS get() { return reinterpret_cast<PRTPATHCOMPONENTS>(ab.data()); }
    RTPATHCOMPONENTS *operator->() { return get(); }
};

/** The components as text, '|' between them, for compact expectations. */
std::string Components(const char *pszPath, RTPATHCOMPONENTS *pParsed)
{
    std::string Out;
    for (unsigned i = 0; i < pParsed->cComps; i++)
    {
        if (i)
            Out += '|';
        Out.append(pszPath + pParsed->aComps[i].off, pParsed->aComps[i].cch);
    }
    return Out;
}

struct ParseCase
{
    const char *pszPath;
    uint32_t fFlags;
    const char *pszComps;
    uint16_t fProps;
    uint16_t cchPath;
    const char *pszSuffix; /**< "" when none */
};

const ParseCase g_aParseCases[] = {
    {"C:\\dir\\file.tar.gz", 0, "C:\\|dir|file.tar.gz",
     P(ABSOLUTE) | P(VOLUME) | P(ROOT_SLASH) | P(FILENAME) | P(SUFFIX), 18, ".gz"},
    {"\\foo", 0, "\\|foo", P(RELATIVE) | P(ROOT_SLASH) | P(FILENAME), 4, ""},
    {"\\", 0, "\\", P(RELATIVE) | P(ROOT_SLASH) | P(DIR_SLASH), 1, ""},
    {"C:foo", 0, "C:|foo", P(RELATIVE) | P(VOLUME) | P(FILENAME), 5, ""},
    {"c:", 0, "c:", P(RELATIVE) | P(VOLUME), 2, ""},
    {"C:\\", 0, "C:\\", P(ABSOLUTE) | P(VOLUME) | P(ROOT_SLASH) | P(DIR_SLASH), 3, ""},
    {"C:\\\\a", 0, "C:\\|a", P(ABSOLUTE) | P(VOLUME) | P(ROOT_SLASH) | P(EXTRA_SLASHES) | P(FILENAME), 4, ""},
    {"\\\\srv\\share\\x", 0, "\\\\srv\\|share|x", P(ABSOLUTE) | P(UNC) | P(ROOT_SLASH) | P(FILENAME), 13, ""},
    {"//srv", 0, "//srv", P(ABSOLUTE) | P(UNC), 5, ""},
    {"\\\\.\\pipe\\x", 0, "\\\\.\\|pipe|x", P(ABSOLUTE) | P(UNC) | P(SPECIAL_UNC) | P(ROOT_SLASH) | P(FILENAME), 10,
     ""},
    {"\\\\?\\C:\\x", 0, "\\\\?\\|C:|x", P(ABSOLUTE) | P(UNC) | P(SPECIAL_UNC) | P(ROOT_SLASH) | P(FILENAME), 8, ""},
    {"\\\\..\\x", 0, "\\\\..\\|x", P(ABSOLUTE) | P(UNC) | P(ROOT_SLASH) | P(FILENAME), 6, ""},
    {"a/b\\c", 0, "a|b|c", P(RELATIVE) | P(FILENAME), 5, ""},
    {"a//b\\", 0, "a|b", P(RELATIVE) | P(EXTRA_SLASHES) | P(DIR_SLASH), 3, ""},
    {"a\\\\", 0, "a", P(RELATIVE) | P(EXTRA_SLASHES) | P(DIR_SLASH), 1, ""},
    {"./a/../b", 0, ".|a|..|b", P(RELATIVE) | P(DOT_REFS) | P(DOTDOT_REFS) | P(FILENAME), 8, ""},
    {"C:\\a\\..\\b", 0, "C:\\|a|..|b", P(RELATIVE) | P(VOLUME) | P(ROOT_SLASH) | P(DOTDOT_REFS) | P(FILENAME), 9, ""},
    {"...", 0, "...", P(RELATIVE) | P(FILENAME), 3, ""},
    {".profile", 0, ".profile", P(RELATIVE) | P(FILENAME), 8, ""},
    {"a.", 0, "a.", P(RELATIVE) | P(FILENAME), 2, ""},
    {"a..b", 0, "a..b", P(RELATIVE) | P(FILENAME) | P(SUFFIX), 4, ".b"},
    {"x.d\\f", 0, "x.d|f", P(RELATIVE) | P(FILENAME), 5, ""},
    /* Middle and leading pieces. */
    {"\\\\a\\b", RTPATH_PARSE_F_NO_START, "a|b", P(RELATIVE) | P(EXTRA_SLASHES) | P(FILENAME), 3, ""},
    {"a\\b", RTPATH_PARSE_F_NO_START, "a|b", P(RELATIVE) | P(EXTRA_SLASHES) | P(FILENAME), 3, ""}, /* 0x601 */
    {"a\\b.c\\", RTPATH_PARSE_F_NO_END, "a|b.c", P(RELATIVE) | P(EXTRA_SLASHES), 5, ""},
    {"a\\b.c", RTPATH_PARSE_F_NO_END, "a|b.c", P(RELATIVE), 5, ""},
    /* Unix style: only '/' separates, one root. */
    {"/usr//lib/x.so", RTPATH_STYLE_UNIX, "/|usr|lib|x.so",
     P(ABSOLUTE) | P(ROOT_SLASH) | P(EXTRA_SLASHES) | P(FILENAME) | P(SUFFIX), 13, ".so"},
    {"//x", RTPATH_STYLE_UNIX, "/|x", P(ABSOLUTE) | P(ROOT_SLASH) | P(EXTRA_SLASHES) | P(FILENAME), 2, ""},
    {"C:\\a\\b", RTPATH_STYLE_UNIX, "C:\\a\\b", P(RELATIVE) | P(FILENAME), 6, ""},
    {"a\\..", RTPATH_STYLE_UNIX, "a\\..", P(RELATIVE) | P(FILENAME), 4, ""},
};

TEST(PathParse, Table)
{
    for (const ParseCase &Case : g_aParseCases)
    {
        SCOPED_TRACE(std::string(Case.pszPath) + " flags " + std::to_string(Case.fFlags));
        Record Rec;
        ASSERT_EQ(INF_SUCCESS, RTPathParse(Case.pszPath, Rec.get(), Rec.ab.size(), Case.fFlags));
        EXPECT_EQ(Case.pszComps, Components(Case.pszPath, Rec.get()));
        EXPECT_EQ(Case.fProps, Rec->fProps) << std::hex << "expected 0x" << Case.fProps << " got 0x" << Rec->fProps;
        EXPECT_EQ(Case.cchPath, Rec->cchPath);
        size_t const cchInput = strlen(Case.pszPath);
        if (*Case.pszSuffix)
        {
            EXPECT_EQ(std::string(Case.pszSuffix), std::string(Case.pszPath + Rec->offSuffix, Rec->cchSuffix));
            EXPECT_EQ(cchInput, size_t(Rec->offSuffix) + Rec->cchSuffix);
        }
        else
        {
            EXPECT_EQ(cchInput, Rec->offSuffix);
            EXPECT_EQ(0, Rec->cchSuffix);
        }
    }
}

TEST(PathParse, CapacityReportsRealCount)
{
    const char *pszPath = "C:\\a\\b\\c\\d\\e";
    /* Room for three components: the header plus 3 entries. */
    Record Small(3);
    ASSERT_EQ(ERR_BUFFER_OVERFLOW, RTPathParse(pszPath, Small.get(), Small.ab.size(), 0));
    EXPECT_EQ(6, Small->cComps);
    EXPECT_EQ(12, Small->cchPath);
    Small->cComps = 3; /* what the record holds */
    EXPECT_EQ("C:\\|a|b", Components(pszPath, Small.get()));

    /* The size the count asks for is enough. */
    Record Fits(6);
    EXPECT_EQ(INF_SUCCESS, RTPathParse(pszPath, Fits.get(), RTPATHCOMPONENTS_SIZE(6), 0));
    EXPECT_EQ("C:\\|a|b|c|d|e", Components(pszPath, Fits.get()));

    /* Only the fixed part: every component counts as beyond capacity. */
    Record Header(0);
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathParse("a", Header.get(), RTPATHCOMPONENTS_HDR_SIZE, 0));
    EXPECT_EQ(1, Header->cComps);
}

TEST(PathParse, Errors)
{
    Record Rec;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTPathParse("a", Rec.get(), RTPATHCOMPONENTS_HDR_SIZE - 1, 0));
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathParse((const char *)8, Rec.get(), Rec.ab.size(), 0));
    EXPECT_EQ(ERR_INVALID_POINTER, RTPathParse("a", (PRTPATHCOMPONENTS)8, 64, 0));
    EXPECT_EQ(ERR_PATH_ZERO_LENGTH, RTPathParse("", Rec.get(), Rec.ab.size(), 0));
    EXPECT_EQ(ERR_PATH_ZERO_LENGTH, RTPathParse("\\//", Rec.get(), Rec.ab.size(), RTPATH_PARSE_F_NO_START));
    EXPECT_EQ(ERR_INVALID_FLAGS, RTPathParse("a", Rec.get(), Rec.ab.size(), 3));
    EXPECT_EQ(ERR_INVALID_FLAGS, RTPathParse("a", Rec.get(), Rec.ab.size(), 0x40));

    /* The record's 16-bit offsets cover paths up to 65535 bytes, and such a path reassembles whole. */
    std::string Long(65535, 'a');
    Long[100] = '\\';
    EXPECT_EQ(INF_SUCCESS, RTPathParse(Long.c_str(), Rec.get(), Rec.ab.size(), 0));
    EXPECT_EQ(65535, Rec->cchPath);
    std::vector<char> Whole(Long.size() + 1);
    EXPECT_EQ(INF_SUCCESS, RTPathParsedReassemble(Long.c_str(), Rec.get(), 0, Whole.data(), Whole.size()));
    EXPECT_EQ(Long, Whole.data());
    Long += 'b';
    EXPECT_EQ(ERR_FILENAME_TOO_LONG, RTPathParse(Long.c_str(), Rec.get(), Rec.ab.size(), 0));
}

struct ReassembleCase
{
    const char *pszPath;
    uint32_t fStyle;
    const char *pszExpect;
};

TEST(PathReassemble, NormalisesSeparators)
{
    const ReassembleCase aCases[] = {
        {"C:/dir//file", RTPATH_STYLE_DOS, "C:\\dir\\file"},
        {"c:\\dir\\\\", RTPATH_STYLE_HOST, "c:\\dir\\"},
        {"//srv/share//x/", RTPATH_STYLE_DOS, "\\\\srv\\share\\x\\"},
        {"C:", RTPATH_STYLE_DOS, "C:"},
        {"C:x//y", RTPATH_STYLE_DOS, "C:x\\y"},
        {"C:\\", RTPATH_STYLE_DOS, "C:\\"},
        {"\\\\srv", RTPATH_STYLE_DOS, "\\\\srv"},
        {"a\\b", RTPATH_STYLE_UNIX, "a/b"},
        {"\\\\srv\\s\\x", RTPATH_STYLE_UNIX, "//srv/s/x"},
        {"./a", RTPATH_STYLE_DOS, ".\\a"},
    };
    for (const ReassembleCase &Case : aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        Record Rec;
        ASSERT_EQ(INF_SUCCESS, RTPathParse(Case.pszPath, Rec.get(), Rec.ab.size(), RTPATH_STYLE_DOS));
        size_t const cchExpect = strlen(Case.pszExpect);

        std::vector<char> Buf(cchExpect + 1);
        EXPECT_EQ(INF_SUCCESS, RTPathParsedReassemble(Case.pszPath, Rec.get(), Case.fStyle, Buf.data(), Buf.size()));
        EXPECT_STREQ(Case.pszExpect, Buf.data());
        EXPECT_EQ(cchExpect, Rec->cchPath);

        /* One byte short: empty output, the length needed in cchPath. */
        std::vector<char> Small(cchExpect, 'x');
        Rec->cchPath = 0;
        EXPECT_EQ(ERR_BUFFER_OVERFLOW,
                  RTPathParsedReassemble(Case.pszPath, Rec.get(), Case.fStyle, Small.data(), Small.size()));
        EXPECT_EQ('\0', Small[0]);
        EXPECT_EQ(cchExpect, Rec->cchPath);
    }
}

TEST(PathReassemble, RemovedComponentsAndTrailingSlash)
{
    const char *pszPath = "C:\\a\\b\\c";
    Record Rec;
    ASSERT_EQ(INF_SUCCESS, RTPathParse(pszPath, Rec.get(), Rec.ab.size(), 0));
    char szOut[32];

    Rec->aComps[2].cch = 0; /* drop 'b' */
    Rec->fProps |= RTPATH_PROP_DIR_SLASH;
    ASSERT_EQ(INF_SUCCESS, RTPathParsedReassemble(pszPath, Rec.get(), 0, szOut, sizeof(szOut)));
    EXPECT_STREQ("C:\\a\\c\\", szOut);

    /* Only the root left: no trailing separator is added to it. */
    Rec->aComps[1].cch = 0;
    Rec->aComps[3].cch = 0;
    ASSERT_EQ(INF_SUCCESS, RTPathParsedReassemble(pszPath, Rec.get(), 0, szOut, sizeof(szOut)));
    EXPECT_STREQ("C:\\", szOut);

    /* In place over the parsed text. */
    char szInPlace[] = "//srv//share///dir/";
    ASSERT_EQ(INF_SUCCESS, RTPathParse(szInPlace, Rec.get(), Rec.ab.size(), 0));
    ASSERT_EQ(INF_SUCCESS, RTPathParsedReassemble(szInPlace, Rec.get(), 0, szInPlace, sizeof(szInPlace)));
    EXPECT_STREQ("\\\\srv\\share\\dir\\", szInPlace);
}

TEST(PathReassemble, Errors)
{
    Record Rec;
    ASSERT_EQ(INF_SUCCESS, RTPathParse("a", Rec.get(), Rec.ab.size(), 0));
    char szOut[8];
    EXPECT_EQ(ERR_INVALID_FLAGS, RTPathParsedReassemble("a", Rec.get(), RTPATH_PARSE_F_NO_START, szOut, 8));
    EXPECT_EQ(ERR_INVALID_FLAGS, RTPathParsedReassemble("a", Rec.get(), RTPATH_PARSE_F_NO_END, szOut, 8));
    EXPECT_EQ(ERR_INVALID_FLAGS, RTPathParsedReassemble("a", Rec.get(), 3, szOut, 8));
    Rec->cComps = 0;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTPathParsedReassemble("a", Rec.get(), 0, szOut, 8));
    Rec->cComps = 1;
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, RTPathParsedReassemble("a", Rec.get(), 0, szOut, 0));
    EXPECT_EQ(1, Rec->cchPath);
}

} // namespace
