/** @file
 * Option value conversion, type by type: input text -> value or status.
 */
#include <gtest/gtest.h>
#include <rt/getopt.h>
#include <rt/err.h>

#include <cstring>
#include <string>

namespace
{

const RTOPTDEF g_aNoOptions[] = {{"--unused", 'u', RTOPT_VAL_NONE}};

/** Converts @a pszText as RTGetOptTakeValue does for a value of type @a fFlags.
 * The union starts out filled with a pattern so stale bytes show. */
int convert(uint32_t fFlags, const char *pszText, RTOPTVALUE *pValue)
{
    std::string Arg(pszText);
    char szProg[] = "prog";
    char *apszArgs[] = {szProg, &Arg[0]};
    RTOPTSTATE State;
    EXPECT_EQ(INF_SUCCESS, RTGetOptInit(&State, 2, apszArgs, g_aNoOptions, 1, 1, 0));
    memset(pValue, 0xa5, sizeof(*pValue));
    int rc = RTGetOptTakeValue(&State, pValue, fFlags);
    if (rc == ERR_OPT_UNKNOWN_OPTION)
    {
        EXPECT_EQ(apszArgs[1], pValue->psz) << pszText; /* the text itself, not a copy */
    }
    return rc;
}

struct IntegerCase
{
    uint32_t fFlags;
    const char *pszText;
    int rc;
    uint64_t u64; /* the first 64 bits of the union on success */
};

const IntegerCase g_aIntegerCases[] = {
    /* Decimal first, then a hexadecimal retry for "0x" text. */
    {RTOPT_VAL_UINT32, "10", INF_SUCCESS, 10},
    {RTOPT_VAL_UINT32, "0x10", INF_SUCCESS, 16},
    {RTOPT_VAL_UINT32, "0X1f", INF_SUCCESS, 31},
    {RTOPT_VAL_UINT32, "010", INF_SUCCESS, 10},
    {RTOPT_VAL_UINT32, "4294967295", INF_SUCCESS, 0xffffffff},
    {RTOPT_VAL_UINT32, "0xffffffff", INF_SUCCESS, 0xffffffff},
    {RTOPT_VAL_UINT32, "4294967296", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT32, "0x100000000", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT32, "-1", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT32, "12 ", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT32, " 12", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT32, "", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT32, "0x", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT32, "0xg", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT32, "ff", ERR_OPT_BAD_VALUE_FORMAT, 0},
    /* Every width and sign narrows, with the upper bytes of the head left zero. */
    {RTOPT_VAL_INT8, "-128", INF_SUCCESS, 0x80},
    {RTOPT_VAL_INT8, "127", INF_SUCCESS, 0x7f},
    {RTOPT_VAL_INT8, "128", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_INT8, "-129", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT8, "255", INF_SUCCESS, 0xff},
    {RTOPT_VAL_UINT8, "256", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_INT16, "-32768", INF_SUCCESS, 0x8000},
    {RTOPT_VAL_UINT16, "0xffff", INF_SUCCESS, 0xffff},
    {RTOPT_VAL_UINT16, "65536", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_INT32, "-2147483648", INF_SUCCESS, 0x80000000},
    {RTOPT_VAL_INT32, "2147483648", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_INT64, "-9223372036854775808", INF_SUCCESS, 0x8000000000000000ull},
    {RTOPT_VAL_INT64, "9223372036854775808", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT64, "18446744073709551615", INF_SUCCESS, ~0ull},
    {RTOPT_VAL_UINT64, "18446744073709551616", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT64, "0x123456789abcdef0", INF_SUCCESS, 0x123456789abcdef0ull},
    /* Base bits: only that base is tried. */
    {RTOPT_VAL_UINT32 | RTOPT_HEX, "10", INF_SUCCESS, 16},
    {RTOPT_VAL_UINT32 | RTOPT_HEX, "0x10", INF_SUCCESS, 16},
    {RTOPT_VAL_UINT32 | RTOPT_OCT, "17", INF_SUCCESS, 15},
    {RTOPT_VAL_UINT32 | RTOPT_OCT, "8", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_UINT32 | RTOPT_DEC, "0x10", ERR_OPT_BAD_VALUE_FORMAT, 0},
    {RTOPT_VAL_INT16 | RTOPT_DEC, "-7", INF_SUCCESS, 0xfff9},
    /* Base bits go only with integers and pairs; more than one base is no base. */
    {RTOPT_VAL_STRING | RTOPT_HEX, "10", ERR_INTERNAL_ERROR, 0},
    {RTOPT_VAL_BOOL | RTOPT_DEC, "1", ERR_INTERNAL_ERROR, 0},
    {RTOPT_VAL_IPV4ADDR | RTOPT_OCT, "1.2.3.4", ERR_INTERNAL_ERROR, 0},
    {RTOPT_VAL_UINT32 | RTOPT_HEX | RTOPT_OCT, "10", ERR_INTERNAL_ERROR, 0},
    /* Unsupported value types. */
    {12, "1", ERR_INTERNAL_ERROR, 0},
    {13, "1", ERR_INTERNAL_ERROR, 0},
    {22, "1", ERR_INTERNAL_ERROR, 0},
};

TEST(GetOptValue, Integers)
{
    for (const IntegerCase &Case : g_aIntegerCases)
    {
        RTOPTVALUE Value;
        EXPECT_EQ(Case.rc, convert(Case.fFlags, Case.pszText, &Value)) << Case.pszText << " flags " << Case.fFlags;
        if (Case.rc == INF_SUCCESS)
        {
            EXPECT_EQ(Case.u64, Value.u64) << Case.pszText;
        }
        else
        {
            EXPECT_EQ(NULL, Value.pDef) << Case.pszText; /* no partial value: the (null) last definition */
        }
    }
}

TEST(GetOptValue, FailedConversionInsideRTGetOptLeavesTheDefinition)
{
    static const RTOPTDEF s_aOptions[] = {{"--n", 'n', RTOPT_VAL_UINT64}, {"--u", 'u', RTOPT_VAL_UUID}};
    char szProg[] = "prog", szN[] = "--n=1x", szU[] = "--u=12345678-1234-1234-1234-1234567890ag";
    char *apszArgs[] = {szProg, szN, szU};
    RTOPTSTATE State;
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, 3, apszArgs, s_aOptions, 2, 1, 0));
    for (size_t i = 0; i < 2; i++)
    {
        RTOPTVALUE Value;
        memset(&Value, 0xa5, sizeof(Value));
        EXPECT_EQ(ERR_OPT_BAD_VALUE_FORMAT, RTGetOpt(&State, &Value));
        EXPECT_EQ(&s_aOptions[i], Value.pDef);
        EXPECT_EQ(NULL, State.pDefLast);
    }
}

struct BytesCase
{
    uint32_t fFlags;
    const char *pszText;
    int rc;
    const char *pszBytes; /* the expected bytes at the start of the union, as hex */
};

std::string hexBytes(const void *pv, size_t cb)
{
    static const char s_szDigits[] = "0123456789abcdef";
    std::string Hex;
    for (size_t i = 0; i < cb; i++)
    {
        uint8_t b = ((const uint8_t *)pv)[i];
        Hex += s_szDigits[b >> 4];
        Hex += s_szDigits[b & 15];
    }
    return Hex;
}

const BytesCase g_aAddressCases[] = {
    /* IPv4 addresses: bytes in the order written. */
    {RTOPT_VAL_IPV4ADDR, "192.168.1.20", INF_SUCCESS, "c0a80114"},
    {RTOPT_VAL_IPV4ADDR, " \t10.0.0.255  ", INF_SUCCESS, "0a0000ff"},
    {RTOPT_VAL_IPV4ADDR, "0.0.0.0", INF_SUCCESS, "00000000"},
    {RTOPT_VAL_IPV4ADDR, "1.2.3.256", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_IPV4ADDR, "1.2.3", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_IPV4ADDR, "1.2.3.4.5", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_IPV4ADDR, "1.2.3.4x", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_IPV4ADDR, "1..3.4", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_IPV4ADDR, "+1.2.3.4", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_IPV4ADDR, "", ERR_OPT_BAD_VALUE_FORMAT, ""},
    /* MAC addresses: twelve digits, or six ':' parts with an empty middle part as 0. */
    {RTOPT_VAL_MACADDR, "0011223344aA", INF_SUCCESS, "0011223344aa"},
    {RTOPT_VAL_MACADDR, " 001122334455 \t", INF_SUCCESS, "001122334455"},
    {RTOPT_VAL_MACADDR, "0:1:22:3:44:FF", INF_SUCCESS, "0001220344ff"},
    {RTOPT_VAL_MACADDR, "00::22:33:44:55", INF_SUCCESS, "000022334455"},
    {RTOPT_VAL_MACADDR, "  00:11:22:33:44:55  ", INF_SUCCESS, "001122334455"},
    {RTOPT_VAL_MACADDR, "00112233445", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_MACADDR, "0011223344556", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_MACADDR, "001122334455x", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_MACADDR, ":11:22:33:44:55", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_MACADDR, "00:11:22:33:44:", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_MACADDR, "00:11:22:33:44", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_MACADDR, "00:11:22:33:44:55:66", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_MACADDR, "00:11:122:33:44:55", ERR_OPT_BAD_VALUE_FORMAT, ""},
    {RTOPT_VAL_MACADDR, "00-11-22-33-44-55", ERR_OPT_BAD_VALUE_FORMAT, ""},
};

TEST(GetOptValue, Addresses)
{
    for (const BytesCase &Case : g_aAddressCases)
    {
        RTOPTVALUE Value;
        EXPECT_EQ(Case.rc, convert(Case.fFlags, Case.pszText, &Value)) << Case.pszText;
        if (Case.rc == INF_SUCCESS)
        {
            EXPECT_EQ(Case.pszBytes, hexBytes(&Value, strlen(Case.pszBytes) / 2)) << Case.pszText;
        }
    }
}

struct CidrCase
{
    const char *pszText;
    int rc;
    uint32_t u32Network;
    uint32_t u32Netmask;
};

const CidrCase g_aCidrCases[] = {
    {"10.0.0.0/8", INF_SUCCESS, 0x0a000000, 0xff000000},
    {"10/8", INF_SUCCESS, 0x0a000000, 0xff000000},
    {"172.16/12", INF_SUCCESS, 0xac100000, 0xfff00000},
    {"192.168.1/24", INF_SUCCESS, 0xc0a80100, 0xffffff00},
    {"192.168.1.7", INF_SUCCESS, 0xc0a80107, 0xffffffff},
    {"192.168.1.7/32", INF_SUCCESS, 0xc0a80107, 0xffffffff},
    {"0.0.0.0/0", INF_SUCCESS, 0, 0},
    {"128.0.0.0/1", INF_SUCCESS, 0x80000000, 0x80000000},
    {"10.0.0.1/8", ERR_OPT_BAD_VALUE_FORMAT, 0, 0}, /* host bits set */
    {"10.1/8", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {"10/9", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},      /* the prefix reaches into a missing octet */
    {"192.168.1", ERR_OPT_BAD_VALUE_FORMAT, 0, 0}, /* /32 needs all four */
    {"10.0.0.0/33", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {"10.0.0.0/", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {"10.0.0.0/8 ", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {"10.0.0.0 /8", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {"10.0.0.0/+8", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
};

TEST(GetOptValue, Ipv4Networks)
{
    for (const CidrCase &Case : g_aCidrCases)
    {
        RTOPTVALUE Value;
        EXPECT_EQ(Case.rc, convert(RTOPT_VAL_IPV4CIDR, Case.pszText, &Value)) << Case.pszText;
        if (Case.rc == INF_SUCCESS)
        {
            EXPECT_EQ(Case.u32Network, Value.CidrIPv4.u32Network) << Case.pszText;
            EXPECT_EQ(Case.u32Netmask, Value.CidrIPv4.u32Netmask) << Case.pszText;
        }
    }
}

TEST(GetOptValue, Uuids)
{
    const char *const apszGood[] = {"12345678-9abc-DEF0-0123-456789abcdef", "{12345678-9abc-def0-0123-456789ABCDEF}"};
    for (const char *pszText : apszGood)
    {
        RTOPTVALUE Value;
        ASSERT_EQ(INF_SUCCESS, convert(RTOPT_VAL_UUID, pszText, &Value)) << pszText;
        EXPECT_EQ(0x12345678u, Value.Uuid.Gen.u32TimeLow);
        EXPECT_EQ(0x9abcu, Value.Uuid.Gen.u16TimeMid);
        EXPECT_EQ(0xdef0u, Value.Uuid.Gen.u16TimeHiAndVersion);
        EXPECT_EQ("0123456789abcdef", hexBytes(&Value.Uuid.au8[8], 8));
    }
    const char *const apszBad[] = {
        "",
        "12345678-9abc-def0-0123-456789abcde",   /* short */
        "12345678-9abc-def0-0123-456789abcdef0", /* long */
        "12345678-9abc-def0-0123-456789abcdeg",
        "12345678-9abc-def0-01234-56789abcdef", /* dash misplaced */
        "123456789abcdef00123456789abcdef",
        "{12345678-9abc-def0-0123-456789abcdef",
        "12345678-9abc-def0-0123-456789abcdef}",
        " 12345678-9abc-def0-0123-456789abcdef",
    };
    for (const char *pszText : apszBad)
    {
        RTOPTVALUE Value;
        EXPECT_EQ(ERR_OPT_BAD_VALUE_FORMAT, convert(RTOPT_VAL_UUID, pszText, &Value)) << pszText;
    }
}

struct BoolCase
{
    uint32_t fFlags;
    const char *pszText;
    int rc;
    bool f;
};

const BoolCase g_aBoolCases[] = {
    {RTOPT_VAL_BOOL, "Yes", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "y", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "t", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "TRUE", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "e", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "EN", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "enable", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "Enabled", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "on", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "1", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL, "f", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "False", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "n", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "NO", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "d", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "DIS", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "disable", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "disabled", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "oFf", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "0", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL, "o", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL, "ena", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL, "tr", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL, "ye", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL, "di", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL, "of", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL, "yess", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL, "01", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL, "", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL, "yes ", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL_ONOFF, "on", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL_ONOFF, "ON", INF_SUCCESS, true},
    {RTOPT_VAL_BOOL_ONOFF, "Off", INF_SUCCESS, false},
    {RTOPT_VAL_BOOL_ONOFF, "yes", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL_ONOFF, "o", ERR_OPT_UNKNOWN_OPTION, false},
    {RTOPT_VAL_BOOL_ONOFF, "onn", ERR_OPT_UNKNOWN_OPTION, false},
};

TEST(GetOptValue, Booleans)
{
    for (const BoolCase &Case : g_aBoolCases)
    {
        RTOPTVALUE Value;
        EXPECT_EQ(Case.rc, convert(Case.fFlags, Case.pszText, &Value)) << Case.pszText;
        if (Case.rc == INF_SUCCESS)
        {
            EXPECT_EQ(Case.f, Value.f) << Case.pszText;
        }
    }
}

struct PairCase
{
    uint32_t fFlags;
    const char *pszText;
    int rc;
    uint64_t uFirst;
    uint64_t uSecond;
};

const PairCase g_aPairCases[] = {
    {RTOPT_VAL_UINT32_PAIR, "1 2", INF_SUCCESS, 1, 2},
    {RTOPT_VAL_UINT32_PAIR, "1/2", INF_SUCCESS, 1, 2},
    {RTOPT_VAL_UINT32_PAIR, "1:2", INF_SUCCESS, 1, 2},
    {RTOPT_VAL_UINT32_PAIR, "1 |\t2", INF_SUCCESS, 1, 2},
    {RTOPT_VAL_UINT32_PAIR, "0x10:010", INF_SUCCESS, 16, 10},
    {RTOPT_VAL_UINT32_PAIR, "4294967295 0xffffffff", INF_SUCCESS, 0xffffffff, 0xffffffff},
    {RTOPT_VAL_UINT32_PAIR, "4294967296 1", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT32_PAIR, "1", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT32_PAIR, "1 ", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT32_PAIR, "1x2", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT32_PAIR, "1//2", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT32_PAIR, "1 2 ", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT32_PAIR, "1 2x", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT32_PAIR, "-1 2", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT32_PAIR, "", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT32_OPTIONAL_PAIR, "7", INF_SUCCESS, 7, 0xffffffff},
    {RTOPT_VAL_UINT32_OPTIONAL_PAIR, "7:8", INF_SUCCESS, 7, 8},
    {RTOPT_VAL_UINT32_OPTIONAL_PAIR, "7:", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
    {RTOPT_VAL_UINT64_PAIR, "18446744073709551615|1", INF_SUCCESS, ~0ull, 1},
    {RTOPT_VAL_UINT64_OPTIONAL_PAIR, "0x8000000000000000", INF_SUCCESS, 0x8000000000000000ull, ~0ull},
    {RTOPT_VAL_UINT32_PAIR | RTOPT_HEX, "10 ff", INF_SUCCESS, 16, 255},
    {RTOPT_VAL_UINT32_PAIR | RTOPT_OCT, "10 0x10", INF_SUCCESS, 8, 16},
    {RTOPT_VAL_UINT32_PAIR | RTOPT_OCT, "8 1", ERR_OPT_BAD_VALUE_FORMAT, 0, 0},
};

TEST(GetOptValue, Pairs)
{
    for (const PairCase &Case : g_aPairCases)
    {
        RTOPTVALUE Value;
        EXPECT_EQ(Case.rc, convert(Case.fFlags, Case.pszText, &Value)) << Case.pszText;
        if (Case.rc != INF_SUCCESS)
            continue;
        uint32_t uType = Case.fFlags & RTOPT_VAL_MASK;
        if (uType == RTOPT_VAL_UINT64_PAIR || uType == RTOPT_VAL_UINT64_OPTIONAL_PAIR)
        {
            EXPECT_EQ(Case.uFirst, Value.PairU64.uFirst) << Case.pszText;
            EXPECT_EQ(Case.uSecond, Value.PairU64.uSecond) << Case.pszText;
        }
        else
        {
            EXPECT_EQ(Case.uFirst, Value.PairU32.uFirst) << Case.pszText;
            EXPECT_EQ(Case.uSecond, Value.PairU32.uSecond) << Case.pszText;
        }
    }
}

TEST(GetOptValue, StringIsTheArgumentItself)
{
    RTOPTVALUE Value;
    char szProg[] = "prog", szArg[] = " any text ";
    char *apszArgs[] = {szProg, szArg};
    RTOPTSTATE State;
    ASSERT_EQ(INF_SUCCESS, RTGetOptInit(&State, 2, apszArgs, g_aNoOptions, 1, 1, 0));
    ASSERT_EQ(INF_SUCCESS, RTGetOptTakeValue(&State, &Value, RTOPT_VAL_STRING));
    EXPECT_EQ(szArg, Value.psz);
}

} // namespace
