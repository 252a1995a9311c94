/** @file
 * The "%R" conversions: named types, text families, dumps, register flags,
 * custom types and the bad-pointer texts of every pointer kind.
 */
#include <gtest/gtest.h>
#include <rt/errinfo.h>
#include <rt/net.h>
#include <rt/string.h>
#include <rt/time.h>
#include <rt/uuid.h>
#include <rt/x86.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{

/**
 * Formats through the buffer front end, so every case runs the whole path from
 * the format parser to the conversion. The length returned must be the length
 * stored: a truncation or a byte count that disagrees with the output fails.
 */
std::string formatRtV(const char *pszFormat, va_list va)
{
    std::vector<char> Buf(16384);
    intptr_t cch = RTStrBufPrintfExV(Buf.data(), Buf.size(), pszFormat, va);
    EXPECT_GE(cch, 0) << "truncated: " << pszFormat;
    EXPECT_EQ(strlen(Buf.data()), (size_t)cch) << pszFormat;
    return Buf.data();
}

std::string formatRt(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    std::string str = formatRtV(pszFormat, va);
    va_end(va);
    return str;
}

/** The text of a bad pointer, built independently: "<" + at least 8 hex digits + marker + ">". */
std::string badPointerText(const void *pv, const char *pszMarker)
{
    char sz[64];
    snprintf(sz, sizeof(sz), "<%08llx%s>", (unsigned long long)(uintptr_t)pv, pszMarker);
    return sz;
}

/** Copies a fixture to a heap block of exactly its size, so reading past it trips the address sanitizer. */
template <typename T> std::unique_ptr<uint8_t[]> exactCopy(const T &Value)
{
    std::unique_ptr<uint8_t[]> pb(new uint8_t[sizeof(T)]);
    memcpy(pb.get(), &Value, sizeof(T));
    return pb;
}

const void *const g_pvLowBad = (const void *)(uintptr_t)0x10;
const void *const g_pvHighBad = (const void *)(UINTPTR_MAX - 8);

/*
 * Named integer types.
 */

struct IntCase
{
    const char *pszFormat;
    bool f64;
    uint64_t uValue;
    const char *pszExpected;
};

const IntCase g_aIntCases[] = {
    /* Sizes 1 and 2 travel as 32 bits and are narrowed; signed types sign-extend. */
    {"%RI8", false, 0xff, "-1"},
    {"%RI8", false, 0x17f, "127"},
    {"%RU8", false, 0x1ff, "255"},
    {"%RI16", false, 0x8000, "-32768"},
    {"%RU16", false, 0x12345, "9029"},
    {"%RI32", false, 0xffffffff, "-1"},
    {"%RU32", false, 0xffffffff, "4294967295"},
    {"%RI64", true, (uint64_t)-5, "-5"},
    {"%RU64", true, ~0ull, "18446744073709551615"},
    {"%RX8", false, 0x1ab, "ab"},
    {"%RX32", false, 0xdeadbeef, "deadbeef"},
    {"%RX64", true, 0x123456789abcdef0ull, "123456789abcdef0"},
    /* The format's flags, width and precision apply to number kinds. */
    {"%'RU64", true, 53900000, "53 900 000"},
    {"%'RU32", false, 1000, "1 000"},
    {"%#RX64", true, 0, "0x0"},
    {"%#RX64", true, 0x1000, "0x1000"},
    {"%08RX16", false, 0xab, "000000ab"},
    {"%5RI32", false, (uint32_t)-42, "  -42"},
    {"%-5RU32|", false, 7, "7    |"},
    {"%+RI32", false, 5, "+5"},
    {"%.4RU32", false, 7, "0007"},
    {"%RCi", false, (uint32_t)-3, "-3"},
    {"%RCu", false, 0xffffffff, "4294967295"},
    {"%RCx", false, 255, "ff"},
    {"%RGi", true, ~0ull, "-1"},
    {"%RGx", true, 0x100000000ull, "100000000"},
    {"%RHi", false, 0x80000000, "-2147483648"},
    {"%RTfoff", true, ~0ull, "-1"},
    {"%RTint", false, (uint32_t)-7, "-7"},
    {"%RTgid", false, (uint32_t)-1, "-1"},
    {"%RTuint", false, 0xffffffff, "4294967295"},
    {"%RTsock", false, 12, "12"},
    {"%RTxint", false, 0xff, "ff"},
    /* Fixed hexadecimal: two digits a byte, two more with '#', unless a width is given. */
    {"%RCp", true, 0x1234, "0000000000001234"},
    {"%RCr", false, 0x12, "00000012"},
    {"%#RCv", false, 0x12, "0x00000012"},
    {"%RGp", true, 1, "0000000000000001"},
    {"%RHp", true, 0xabc, "0000000000000abc"},
    {"%RHr", false, 0xabc, "00000abc"},
    {"%RRv", false, 0xfee00000, "fee00000"},
    {"%RTnthrd", false, 0x1c, "0000001c"},
    {"%-RTthrd|", false, 0x1c, "0000001c|"},
    {"%4RTthrd", false, 0x1c, "  1c"},
    {"%06RTproc", false, 0x1c, "00001c"},
    {"%#RTptr", true, 0x401000, "0x0000000000401000"},
    {"%RTino", true, 0x1122334455667788ull, "1122334455667788"},
    {"%RTiop", false, 0x103f8, "03f8"},
    {"%RTsel", false, 0x1b, "001b"},
    {"%RTutf16", false, 0x41, "0041"},
    {"%RTunicp", false, 0x1f600, "0001f600"},
    {"%RTfmode", false, 0x81a4, "000081a4"},
    /* Hidden values never show. */
    {"%RKv", false, 0xdeadbeef, "XXXXXXXX"},
    {"%#RKv", false, 0xdeadbeef, "0xXXXXXXXX"},
    /* Booleans; the value is narrowed to a byte. */
    {"%RTbool", false, 1, "true"},
    {"%RTbool", false, 0, "false"},
    {"%#RTbool", false, 1, "true "},
    {"%RTbool", false, 2, "!2!"},
    {"%RTbool", false, 0x101, "true"},
    {"%-7RTbool|", false, 0, "false  |"},
    {"%RTnaipv4", false, 0, "0.0.0.0"},
    /* The name ends the conversion; text after it is literal. */
    {"%RU32abc", false, 5, "5abc"},
};

TEST(StrFormatRt, NamedIntegerTypes)
{
    for (const IntCase &c : g_aIntCases)
    {
        std::string str = c.f64 ? formatRt(c.pszFormat, c.uValue) : formatRt(c.pszFormat, (uint32_t)c.uValue);
        EXPECT_EQ(c.pszExpected, str) << c.pszFormat << " of " << c.uValue;
    }
}

TEST(StrFormatRt, ArgumentsStayInStepAcrossConversions)
{
    /* A 64-bit type between 32-bit ones must take exactly its own argument. */
    EXPECT_EQ("1 2 3 true 0000000000000004 5",
              formatRt("%RU32 %RU64 %RU8 %RTbool %RTptr %RU32", 1u, (uint64_t)2, 3u, 1u, (uint64_t)4, 5u));
    EXPECT_EQ("1.2.3.4:2", formatRt("%RTnaipv4:%RU16", RTNETADDRIPV4{{1, 2, 3, 4}}.u, 2u));
}

TEST(StrFormatRt, UnknownFamilyOrNameOutputsNothingAndTakesNoArgument)
{
    EXPECT_EQ("|7", formatRt("%RZ|%RU32", 7u));
    EXPECT_EQ("nope 7", formatRt("%RTnope %RU32", 7u)); /* only the family letter is consumed */
    EXPECT_EQ("", formatRt("%R"));
    EXPECT_EQ("3|7", formatRt("%RU3|%RU32", 7u));
}

TEST(StrFormatRt, FarPointers)
{
    EXPECT_EQ("0008:1234", formatRt("%RTfp16", RTFAR16{0x1234, 0x8}));
    EXPECT_EQ("001b:00401000", formatRt("%RTfp32", RTFAR32{0x401000, 0x1b}));
    EXPECT_EQ("0033:00007ff612345678|5", formatRt("%RTfp64|%RU32", RTFAR64{0x7ff612345678ull, 0x33}, 5u));
}

/*
 * Statuses and Win32 errors.
 */

TEST(StrFormatRt, StatusAndWinErrorFamilies)
{
    struct
    {
        const char *pszFormat;
        int32_t rc;
        const char *pszExpected;
    } const aCases[] = {
        {"%Rrc", ERR_FILE_NOT_FOUND, "ERR_FILE_NOT_FOUND"},
        {"%Rrs", ERR_FILE_NOT_FOUND, "file not found"},
        {"%Rrf", ERR_FILE_NOT_FOUND, "file not found"},
        {"%Rra", ERR_FILE_NOT_FOUND, "ERR_FILE_NOT_FOUND (-102) - file not found"},
        {"%Rrc", -1234, "-1234"},
        {"%Rrs", -1234, "Unknown Status -1234 (0xfffffb2e)"},
        {"%14Rrc|", INF_SUCCESS, "   INF_SUCCESS|"},
        {"%-14Rrc|", INF_SUCCESS, "INF_SUCCESS   |"},
        {"%4Rrc|", ERR_FILE_NOT_FOUND, "ERR_FILE_NOT_FOUND|"},
        {"%Rwc", 0, "ERROR_SUCCESS"},
        {"%Rwf", 5, "0x5"},
        {"%Rwa", 0, "ERROR_SUCCESS (0x0)"},
        {"%Rwa", (int32_t)0x80070000u, "ERROR_SUCCESS (0x80070000)"},
    };
    for (const auto &c : aCases)
        EXPECT_EQ(c.pszExpected, formatRt(c.pszFormat, c.rc)) << c.pszFormat << " of " << c.rc;
    /* Unknown forms take no argument. */
    EXPECT_EQ("x|7", formatRt("%Rrx|%RU32", 7u));
    EXPECT_EQ("s|7", formatRt("%Rws|%RU32", 7u));
}

TEST(StrFormatRt, ErrorInfo)
{
    struct
    {
        RTERRINFO ErrInfo;
        const char *pszAll;
        const char *pszMsg;
    } const aCases[] = {
        {{ERR_FILE_NOT_FOUND, "cannot open 'a.msi'", nullptr, 0},
         "ERR_FILE_NOT_FOUND: cannot open 'a.msi'",
         "cannot open 'a.msi'"},
        {{ERR_ACCESS_DENIED, nullptr, nullptr, 0}, "ERR_ACCESS_DENIED", "ERR_ACCESS_DENIED"},
        {{-1234, "", nullptr, 0}, "-1234", "-1234"},
        {{INF_SUCCESS, (const char *)g_pvLowBad, nullptr, 0}, "INF_SUCCESS: <00000010!BadStr>", "<00000010!BadStr>"},
    };
    for (const auto &c : aCases)
    {
        auto pb = exactCopy(c.ErrInfo);
        EXPECT_EQ(c.pszAll, formatRt("%RTeic", pb.get()));
        EXPECT_EQ(c.pszMsg, formatRt("%RTeim", pb.get()));
    }
    RTERRINFO const ErrInfo = {ERR_FILE_NOT_FOUND, "gone", nullptr, 0};
    EXPECT_EQ("  ERR_FILE_NOT_FOUND: gone|", formatRt("%26RTeic|", &ErrInfo));
    EXPECT_EQ("gone  |", formatRt("%-6RTeim|", &ErrInfo));
}

/*
 * Pointer kinds: network addresses, UUIDs, times.
 */

RTNETADDRIPV6 makeIPv6(std::initializer_list<uint16_t> Groups)
{
    RTNETADDRIPV6 Addr = {};
    unsigned i = 0;
    for (uint16_t u : Groups)
    {
        Addr.au8[i++] = (uint8_t)(u >> 8);
        Addr.au8[i++] = (uint8_t)u;
    }
    return Addr;
}

TEST(StrFormatRt, IPv6ZeroCompression)
{
    struct
    {
        RTNETADDRIPV6 Addr;
        const char *pszExpected;
    } const aCases[] = {
        {makeIPv6({0x2001, 0xdb8, 0, 0, 0, 0, 0, 1}), "2001:db8::1"},
        {makeIPv6({0, 0, 0, 0, 0, 0, 0, 0}), "::"},
        {makeIPv6({0, 0, 0, 0, 0, 0, 0, 1}), "::1"},
        {makeIPv6({1, 0, 0, 0, 0, 0, 0, 0}), "1::"},
        {makeIPv6({0x2001, 0xdb8, 0, 1, 1, 1, 1, 1}), "2001:db8:0:1:1:1:1:1"}, /* one zero group stays */
        {makeIPv6({1, 0, 0, 2, 0, 0, 3, 4}), "1::2:0:0:3:4"},                  /* first of equal runs */
        {makeIPv6({1, 0, 2, 0, 0, 0, 3, 4}), "1:0:2::3:4"},                    /* longest run wins */
        {makeIPv6({0xfe80, 0, 0, 0, 0x21a, 0x2bff, 0xfe3c, 0x4d5e}), "fe80::21a:2bff:fe3c:4d5e"},
        {makeIPv6({0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff}),
         "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"},
    };
    for (const auto &c : aCases)
    {
        auto pb = exactCopy(c.Addr);
        EXPECT_EQ(c.pszExpected, formatRt("%RTnaipv6", pb.get()));
    }
}

RTNETADDR makeNetAddr(RTNETADDRTYPE enmType, std::initializer_list<uint8_t> Bytes, uint32_t uPort)
{
    RTNETADDR Addr = {};
    unsigned i = 0;
    for (uint8_t b : Bytes)
        Addr.uAddr.au8[i++] = b;
    Addr.enmType = enmType;
    Addr.uPort = uPort;
    return Addr;
}

TEST(StrFormatRt, NetworkAddresses)
{
    RTNETADDRIPV4 const IPv4 = {{192, 168, 1, 20}};
    EXPECT_EQ("192.168.1.20", formatRt("%RTnaipv4", IPv4.u)); /* bytes in memory order */
    EXPECT_EQ("   10.0.0.1|", formatRt("%11RTnaipv4|", RTNETADDRIPV4{{10, 0, 0, 1}}.u));

    RTMAC const Mac = {{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}};
    auto pbMac = exactCopy(Mac);
    EXPECT_EQ("00:1a:2b:3c:4d:5e", formatRt("%RTmac", pbMac.get()));

    RTNETADDRTYPE const enmBogus = (RTNETADDRTYPE)9;
    struct
    {
        RTNETADDR Addr;
        const char *pszExpected;
    } const aCases[] = {
        {makeNetAddr(RTNETADDRTYPE_IPV4, {10, 0, 0, 1}, 8080), "10.0.0.1:8080"},
        {makeNetAddr(RTNETADDRTYPE_IPV4, {10, 0, 0, 1}, RTNETADDR_PORT_NA), "10.0.0.1"},
        {makeNetAddr(RTNETADDRTYPE_IPV4, {255, 255, 255, 255}, 0), "255.255.255.255:0"},
        {makeNetAddr(RTNETADDRTYPE_IPV6, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 443), "[::1]:443"},
        {makeNetAddr(RTNETADDRTYPE_IPV6, {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, RTNETADDR_PORT_NA),
         "fe80::1"},
        {makeNetAddr(RTNETADDRTYPE_IPV6,
                     {0x20, 0x01, 0x0d, 0xb8, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0, 0x12, 0x34, 0x56, 0x78},
                     0xfffffffe),
         "[2001:db8:1234:5678:9abc:def0:1234:5678]:4294967294"},
        {makeNetAddr(RTNETADDRTYPE_MAC, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}, 80), "00:1a:2b:3c:4d:5e"},
        {makeNetAddr(enmBogus, {1, 2, 3, 4}, 80), "unsupported-netaddr-type=9"},
        {makeNetAddr(RTNETADDRTYPE_INVALID, {1, 2, 3, 4}, 80), "unsupported-netaddr-type=0"},
    };
    for (const auto &c : aCases)
    {
        auto pb = exactCopy(c.Addr);
        EXPECT_EQ(c.pszExpected, formatRt("%RTnaddr", pb.get()));
    }
}

TEST(StrFormatRt, UuidAndTime)
{
    RTUUID Uuid = {};
    Uuid.Gen.u32TimeLow = 0x12345678;
    Uuid.Gen.u16TimeMid = 0x9abc;
    Uuid.Gen.u16TimeHiAndVersion = 0x4ef0;
    Uuid.Gen.u8ClockSeqHiAndReserved = 0x81;
    Uuid.Gen.u8ClockSeqLow = 0x02;
    const uint8_t abNode[6] = {0x33, 0x44, 0x55, 0x66, 0x77, 0x08};
    memcpy(Uuid.Gen.au8Node, abNode, sizeof(abNode));
    auto pbUuid = exactCopy(Uuid);
    EXPECT_EQ("12345678-9abc-4ef0-8102-334455667708", formatRt("%RTuuid", pbUuid.get()));

    RTTIMESPEC const Time = {1234567890};
    RTTIMESPEC const Before = {-1000};
    EXPECT_EQ("1 234 567 890 ns", formatRt("%RDtimespec", &Time));
    EXPECT_EQ("-1 000 ns|", formatRt("%RDtimespec|", &Before));
    EXPECT_EQ("timespex", formatRt("%RDtimespex"));
}

TEST(StrFormatRt, BadPointersOfEveryPointerKind)
{
    /* Each kind with its marker; the conversion still takes its argument, so the
       next one lines up. */
    const char *const apszKinds[][2] = {
        {"%RTnaipv6", "!BadIPv6"},
        {"%RTmac", "!BadMac"},
        {"%RTnaddr", "!BadNetAddr"},
        {"%RTuuid", "!BadUuid"},
        {"%RTeic", "!BadErrInfo"},
        {"%RTeim", "!BadErrInfo"},
        {"%RDtimespec", "!BadTimeSpec"},
        {"%Rbn", "!BadBaseName"},
        {"%Rfn", "!BadFnNm"},
        {"%RMas", "!BadStr"},
        {"%RMes", "!BadStr"},
        {"%.4Rhxs", "!BadHexDump"},
        {"%.4Rhxd", "!BadHexDump"},
        {"%.4Rhxc", "!BadHexDump"},
    };
    for (const auto &Kind : apszKinds)
    {
        std::string strFormat = std::string(Kind[0]) + "|%RU32";
        EXPECT_EQ("<NULL>|1", formatRt(strFormat.c_str(), (const void *)nullptr, 1u)) << Kind[0];
        EXPECT_EQ(badPointerText(g_pvLowBad, Kind[1]) + "|2", formatRt(strFormat.c_str(), g_pvLowBad, 2u)) << Kind[0];
        EXPECT_EQ(badPointerText(g_pvHighBad, Kind[1]) + "|3", formatRt(strFormat.c_str(), g_pvHighBad, 3u)) << Kind[0];
    }
    EXPECT_EQ("    <NULL>|", formatRt("%10RTuuid|", (const void *)nullptr));
}

/*
 * Text families.
 */

struct TextCase
{
    const char *pszFormat;
    const char *pszArg;
    const char *pszExpected;
};

const TextCase g_aTextCases[] = {
    {"%Rbn", "C:\\dir\\sub\\file.txt", "file.txt"},
    {"%Rbn", "/usr/lib/libx.so", "libx.so"},
    {"%Rbn", "c:name", "name"},
    {"%Rbn", "plain", "plain"},
    {"%Rbn", "dir/", ""},
    {"%10Rbn|", "a/b.c", "       b.c|"},
    {"%-6Rbn|", "a\\b.c", "b.c   |"},
    {"%Rfn", "int RTFoo(void)", "RTFoo"},
    {"%Rfn", "static const char *ns::Cls::get(int a, char b)", "ns::Cls::get"},
    {"%Rfn", "std::map<int, char> make<int, char>(void)", "make<int, char>"},
    {"%Rfn", "void Foo<int(char)>::bar(int)", "Foo<int(char)>::bar"},
    {"%Rfn", "void __cdecl Run (void)", "Run"},
    {"%Rfn", "Cls::~Cls()", "Cls::~Cls"},
    {"%Rfn", "noparen", "noparen"},
    {"%Rfn", "", ""},
    {"%8Rfn|", "int f(int)", "       f|"},
    {"%RMas", "a<b>&\"c'\n\r", "a&lt;b&gt;&amp;&quot;c'&#xA;&#xD;"},
    {"%RMes", "a<b>&\"c'\n\r", "a&lt;b&gt;&amp;&quot;c&apos;\n\r"},
    {"%RMes", "plain text", "plain text"},
    {"%.3RMes", "<<<<<", "&lt;&lt;&lt;"},
    {"%.0RMas", "<", ""},
    {"%8RMes|", "<", "    &lt;|"},
    {"%-8RMas|", "&", "&amp;   |"},
    /* Unknown forms consume the family letter only. */
    {"%Rbx", "unused", "x"},
    {"%RMxs", "unused", "xs"},
};

TEST(StrFormatRt, TextFamilies)
{
    for (const TextCase &c : g_aTextCases)
        EXPECT_EQ(c.pszExpected, formatRt(c.pszFormat, c.pszArg)) << c.pszFormat << " of " << c.pszArg;
}

TEST(StrFormatRt, XmlEscapingStopsAtTheTerminator)
{
    /* A precision beyond the string must not read past its NUL. */
    std::unique_ptr<char[]> psz(new char[3]);
    memcpy(psz.get(), "<a", 3);
    EXPECT_EQ("&lt;a", formatRt("%.100RMes", psz.get()));
}

/*
 * Hexadecimal dumps.
 */

std::string hexAddress(const void *pv)
{
    char sz[32];
    snprintf(sz, sizeof(sz), "%0*llx", (int)sizeof(void *) * 2, (unsigned long long)(uintptr_t)pv);
    return sz;
}

TEST(StrFormatRt, HexByteStrings)
{
    const uint8_t ab[4] = {0xde, 0xad, 0xbe, 0xef};
    auto pb = exactCopy(ab);
    EXPECT_EQ("de ad be ef", formatRt("%.4Rhxs", pb.get()));
    EXPECT_EQ("de:ad:be:ef", formatRt("%.*Rhxc", 4, pb.get()));
    EXPECT_EQ(hexAddress(pb.get()) + ": de:ad", formatRt("%#.2Rhxc", pb.get()));
    EXPECT_EQ(hexAddress(pb.get()) + ": de", formatRt("%#.1Rhxs", pb.get()));
    EXPECT_EQ("|", formatRt("%Rhxs|", pb.get())); /* no precision: no bytes */
    EXPECT_EQ("xq|", formatRt("%Rhxq|"));
}

TEST(StrFormatRt, HexDumpLinesAndDitto)
{
    /* Lines 1 to 3 repeat line 0; line 3 is not the last, line 4 is partial. */
    uint8_t ab[68];
    for (size_t i = 0; i < sizeof(ab); i++)
        ab[i] = (uint8_t)(i < 64 ? 0x41 + i % 16 : i);
    auto pb = exactCopy(ab);
    const uint8_t *pbStart = pb.get();
    std::string const strPad(sizeof(void *) * 2 + 6, ' ');
    std::string const strExpected =
        hexAddress(pbStart) + "/0000: 41 42 43 44 45 46 47 48-49 4a 4b 4c 4d 4e 4f 50  ABCDEFGHIJKLMNOP\n" + strPad +
        " ****  <ditto x 3>\n" + hexAddress(pbStart + 64) + "/0040: 40 41 42 43" + std::string(12 * 3, ' ') + "  @ABC";
    EXPECT_EQ(strExpected, formatRt("%.68Rhxd", pbStart));

    /* A repeated last line is printed in full. */
    std::string const strTwo = formatRt("%.32Rhxd", pbStart);
    EXPECT_EQ(std::string::npos, strTwo.find("ditto"));
    EXPECT_NE(std::string::npos, strTwo.find("\n" + hexAddress(pbStart + 16) + "/0010: 41"));

    const uint8_t abCtl[3] = {0x00, 0x7f, 0x20};
    auto pbCtl = exactCopy(abCtl);
    EXPECT_EQ(hexAddress(pbCtl.get()) + "/0000: 00 7f 20" + std::string(13 * 3, ' ') + "  .. ",
              formatRt("%.3Rhxd", pbCtl.get()));
}

TEST(StrFormatRt, HexDumpRefusesRangesReachingTheTopOfMemory)
{
    /* The start is valid but the range ends within the last 4 KiB, or wraps. */
    const void *pvNearTop = (const void *)(UINTPTR_MAX - 8191);
    EXPECT_EQ(badPointerText(pvNearTop, "!BadHexDump"), formatRt("%.8192Rhxs", pvNearTop));
    EXPECT_EQ(badPointerText(pvNearTop, "!BadHexDump"), formatRt("%.*Rhxd", 0x7fffffff, pvNearTop));
}

/*
 * Register flags.
 */

TEST(StrFormatRt, ControlRegisterFlags)
{
    EXPECT_EQ("{PE,ET,PG}", formatRt("%RAx86[cr0]", (uint64_t)0x80000011));
    EXPECT_EQ("{VME,PVI,VMXE,unkn=0x10000000000}", formatRt("%RAamd64[cr4]", (uint64_t)0x10000002003ull));
    EXPECT_EQ("{unkn=0x8000}", formatRt("%RAx86[cr4]", (uint64_t)0x8000));
    EXPECT_EQ("{}", formatRt("%RAx86[cr0]", (uint64_t)0));
    /* Unknown register or architecture: the argument is still taken. */
    EXPECT_EQ("|7", formatRt("%RAx86[cr9]|%RU32", (uint64_t)1, 7u));
    EXPECT_EQ("|7", formatRt("%RAarm[cr0]|%RU32", (uint64_t)1, 7u));
    /* Not a complete conversion: no argument. */
    EXPECT_EQ("x86|7", formatRt("%RAx86|%RU32", 7u));
}

/*
 * Custom types.
 */

/** Prints "<user>:<value as int>:w<width>.p<precision>" so every input is visible. */
size_t formatTestType(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *pszType, const void *pvValue,
                      int cchWidth, int cchPrecision, unsigned fFlags, void *pvUser)
{
    char sz[128];
    int cch = snprintf(sz, sizeof(sz), "%s/%s:%d:w%d.p%d%s", (const char *)pvUser, pszType, (int)(intptr_t)pvValue,
                       cchWidth, cchPrecision, fFlags & RTFMT_F_LEFT ? "-" : "");
    return pfnOutput(pvArgOutput, sz, (size_t)cch);
}

/** Registers a set of names for one test and removes whatever is left at its end. */
class CustomTypes : public ::testing::Test
{
  protected:
    std::vector<std::string> m_Names;

    int add(const char *pszName, const char *pszUser = "u")
    {
        int rc = RTStrFormatTypeRegister(pszName, formatTestType, (void *)pszUser);
        if (RT_SUCCESS(rc))
            m_Names.push_back(pszName);
        return rc;
    }
    void TearDown() override
    {
        for (const std::string &strName : m_Names)
            RTStrFormatTypeDeregister(strName.c_str());
    }
};

TEST_F(CustomTypes, RegisterLookUpMissAndDeregister)
{
    EXPECT_EQ("<missing:%R[nosuch]>", formatRt("%R[nosuch]", (void *)1));
    ASSERT_EQ(INF_SUCCESS, add("point", "P"));
    EXPECT_EQ("P/point:42:w0.p-1|", formatRt("%R[point]|", (void *)42));
    EXPECT_EQ("P/point:42:w7.p3-", formatRt("%-7.3R[point]", (void *)42));
    EXPECT_EQ("<missing:%R[poin]>|<missing:%R[pointx]>", formatRt("%R[poin]|%R[pointx]", (void *)1, (void *)2));

    EXPECT_EQ(INF_SUCCESS, RTStrFormatTypeSetUser("point", (void *)"Q"));
    EXPECT_EQ("Q/point:1:w0.p-1", formatRt("%R[point]", (void *)1));

    EXPECT_EQ(INF_SUCCESS, RTStrFormatTypeDeregister("point"));
    EXPECT_EQ("<missing:%R[point]>", formatRt("%R[point]", (void *)42));
    EXPECT_EQ(ERR_SYMBOL_NOT_FOUND, RTStrFormatTypeDeregister("point"));
    EXPECT_EQ(ERR_SYMBOL_NOT_FOUND, RTStrFormatTypeSetUser("point", nullptr));
}

TEST_F(CustomTypes, RejectsBadRegistrations)
{
    ASSERT_EQ(INF_SUCCESS, add("dup"));
    EXPECT_EQ(ERR_ALREADY_EXISTS, add("dup"));
    std::string const strLong(RTSTR_FORMAT_TYPE_NAME_MAX + 1, 'n');
    std::string const strLongest(RTSTR_FORMAT_TYPE_NAME_MAX, 'n');
    const char *const apszBad[] = {"", "a]b", "a[b", "a%b", strLong.c_str()};
    for (const char *pszBad : apszBad)
        EXPECT_EQ(ERR_INVALID_PARAMETER, add(pszBad)) << pszBad;
    EXPECT_EQ(ERR_INVALID_POINTER, add(nullptr));
    EXPECT_EQ(ERR_INVALID_POINTER, RTStrFormatTypeRegister("nohandler", nullptr, nullptr));
    EXPECT_EQ(ERR_SYMBOL_NOT_FOUND, RTStrFormatTypeDeregister(strLong.c_str()));

    ASSERT_EQ(INF_SUCCESS, add(strLongest.c_str()));
    EXPECT_EQ("u/" + strLongest + ":3:w0.p-1", formatRt(("%R[" + strLongest + "]").c_str(), (void *)3));
}

TEST_F(CustomTypes, BinarySearchFindsEveryNameInAnyRegistrationOrder)
{
    /* Names share prefixes and arrive unsorted; each must find its own handler argument. */
    const char *const apszNames[] = {"m", "a", "zz", "b", "ab", "a0", "z", "mm", "A", "_", "~"};
    for (const char *pszName : apszNames)
        ASSERT_EQ(INF_SUCCESS, add(pszName, pszName));
    for (const char *pszName : apszNames)
    {
        std::string strFormat = std::string("%R[") + pszName + "]";
        EXPECT_EQ(std::string(pszName) + "/" + pszName + ":5:w0.p-1", formatRt(strFormat.c_str(), (void *)5));
    }
    EXPECT_EQ("<missing:%R[aa]>", formatRt("%R[aa]", (void *)5));
}

TEST_F(CustomTypes, TableFillsUpAndEmptiesAgain)
{
    int rc = INF_SUCCESS;
    unsigned cAdded = 0;
    for (unsigned i = 0; i <= RTSTR_FORMAT_TYPE_MAX && RT_SUCCESS(rc); i++)
    {
        rc = add(("t" + std::to_string(1000 - i)).c_str());
        cAdded += RT_SUCCESS(rc);
    }
    EXPECT_EQ(ERR_NO_MEMORY, rc);
    EXPECT_EQ((unsigned)RTSTR_FORMAT_TYPE_MAX, cAdded);
    EXPECT_EQ("u/t1000:1:w0.p-1 u/t937:2:w0.p-1", formatRt("%R[t1000] %R[t937]", (void *)1, (void *)2));
    for (const std::string &strName : m_Names)
        EXPECT_EQ(INF_SUCCESS, RTStrFormatTypeDeregister(strName.c_str()));
    m_Names.clear();
    EXPECT_EQ("<missing:%R[t1000]>", formatRt("%R[t1000]", (void *)1));
}

TEST_F(CustomTypes, MalformedNamesAreNoConversion)
{
    ASSERT_EQ(INF_SUCCESS, add("ab"));
    EXPECT_EQ("7", formatRt("%R[ab%RU32", 7u)); /* '%' before ']': no argument taken */
    EXPECT_EQ("[ab]", formatRt("%R[[ab]"));     /* '[' before ']' */
    EXPECT_EQ("", formatRt("%R[ab"));           /* the format ends */
    EXPECT_EQ("<missing:%R[]>", formatRt("%R[]", (void *)1));
}

TEST_F(CustomTypes, LookupsStayCorrectWhileOtherThreadsRegister)
{
    /* Registering and removing names sorting before "m" shifts its slot; a reader
       must never miss it nor run another type's handler. */
    ASSERT_EQ(INF_SUCCESS, add("m", "M"));
    std::atomic<bool> fStop(false);
    std::atomic<unsigned> cCycles(0);
    std::thread Writer(
        [&fStop, &cCycles]()
        {
            const char *const apszShifters[] = {"a", "b", "c", "d"};
            while (!fStop.load())
            {
                for (const char *pszName : apszShifters)
                    RTStrFormatTypeRegister(pszName, formatTestType, (void *)"X");
                for (const char *pszName : apszShifters)
                    RTStrFormatTypeDeregister(pszName);
                cCycles++;
            }
        });
    /* Read until the writer has been busy for a good while, however the threads are scheduled. */
    unsigned cWrong = 0;
    for (unsigned i = 0; i < 20000 || cCycles.load() < 5000; i++)
        cWrong += formatRt("%R[m]", (void *)1) != "M/m:1:w0.p-1";
    fStop = true;
    Writer.join();
    EXPECT_EQ(0u, cWrong);
}

} // namespace
