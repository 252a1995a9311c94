/** @file
 * Status and Windows error texts: the five renderers, and the message table
 * that backs them.
 */
#include <gtest/gtest.h>
#include <rt/err.h>
#include "internal/err.h"

#include <set>
#include <string>

namespace
{

size_t collectOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    EXPECT_NE(nullptr, pachChars) << "a renderer must not signal the end of output";
    EXPECT_NE(0u, cbChars) << "a renderer must not write empty pieces";
    if (pachChars)
        static_cast<std::string *>(pvArg)->append(pachChars, cbChars);
    return cbChars;
}

typedef size_t FNRENDER(int rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp);

/* Renders @a rc and checks that the returned count matches what was written. */
std::string render(FNRENDER *pfnRender, int rc, char *pszTmp, size_t cbTmp)
{
    std::string str;
    size_t cb = pfnRender(rc, collectOutput, &str, pszTmp, cbTmp);
    EXPECT_EQ(str.size(), cb);
    return str;
}

std::string render(FNRENDER *pfnRender, int rc)
{
    char szTmp[64];
    return render(pfnRender, rc, szTmp, sizeof(szTmp));
}

size_t winFormatName(int rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    return RTErrWinFormatName(rc, pfnOutput, pvArgOutput, pszTmp, cbTmp);
}

size_t winFormatAll(int rc, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, char *pszTmp, size_t cbTmp)
{
    return RTErrWinFormatAll(rc, pfnOutput, pvArgOutput, pszTmp, cbTmp);
}

struct RenderCase
{
    FNRENDER *pfnRender;
    int rc;
    const char *pszExpected;
};

const RenderCase g_aRenderCases[] = {
    /* Known statuses. */
    {RTErrFormatName, ERR_FILE_NOT_FOUND, "ERR_FILE_NOT_FOUND"},
    {RTErrFormatName, INF_SUCCESS, "INF_SUCCESS"},
    {RTErrFormatName, INF_OPT_NOT_OPTION, "INF_OPT_NOT_OPTION"},
    {RTErrFormatName, WRN_TRAILING_CHARS, "WRN_TRAILING_CHARS"},
    {RTErrFormatName, ERR_TRAILING_CHARS, "ERR_TRAILING_CHARS"},
    {RTErrFormatName, ERR_CRYPTO_BAD_ALGORITHM, "ERR_CRYPTO_BAD_ALGORITHM"},
    {RTErrFormatMsg, ERR_FILE_NOT_FOUND, "file not found"},
    {RTErrFormatMsgAll, ERR_FILE_NOT_FOUND, "ERR_FILE_NOT_FOUND (-102) - file not found"},
    {RTErrFormatMsgAll, INF_SUCCESS, "INF_SUCCESS (0) - success"},
    {RTErrFormatMsgAll, INF_OPT_NOT_OPTION, "INF_OPT_NOT_OPTION (828) - not an option"},
    /* Statuses without an entry. */
    {RTErrFormatName, -1234, "-1234"},
    {RTErrFormatName, 1234, "1234"},
    {RTErrFormatMsg, -1234, "Unknown Status -1234 (0xfffffb2e)"},
    {RTErrFormatMsg, 1234, "Unknown Status 1234 (0x4d2)"},
    {RTErrFormatMsgAll, -1234, "Unknown Status -1234 (0xfffffb2e)"},
    {RTErrFormatMsg, INT32_MIN, "Unknown Status -2147483648 (0x80000000)"},
    {RTErrFormatMsg, INT32_MAX, "Unknown Status 2147483647 (0x7fffffff)"},
    /* Outside 16 bits nothing is found, even where the low 16 bits name a status. */
    {RTErrFormatName, 0x10000 + ERR_FILE_NOT_FOUND, "65434"},
    {RTErrFormatName, ERR_FILE_NOT_FOUND - 0x10000, "-65638"},
    {RTErrFormatName, 0x10000, "65536"},
    /* The Windows error names: direct, through an HRESULT of facility 7, not found. */
    {winFormatName, 0, "ERROR_SUCCESS"},
    {winFormatName, 5, "0x5"},
    {winFormatName, (int)0x80070000u, "ERROR_SUCCESS/0x80070000"},
    {winFormatName, 0x00070000, "ERROR_SUCCESS/0x70000"},
    {winFormatName, (int)0xA0070000u, "ERROR_SUCCESS/0xa0070000"}, /* bits 29..31 are not the facility */
    {winFormatName, (int)0x90070000u, "0x90070000"},               /* bit 28 is */
    {winFormatName, (int)0x80080000u, "0x80080000"},
    {winFormatName, (int)0x80070005u, "0x80070005"},
    {winFormatName, -1, "0xffffffff"},
    {winFormatAll, 0, "ERROR_SUCCESS (0x0)"},
    {winFormatAll, (int)0x80070000u, "ERROR_SUCCESS (0x80070000)"},
    {winFormatAll, 5, "Unknown Status 0x5"},
    {winFormatAll, (int)0x80070005u, "Unknown Status 0x80070005"},
};

TEST(ErrFormat, RendersTable)
{
    for (const RenderCase &c : g_aRenderCases)
        EXPECT_EQ(c.pszExpected, render(c.pfnRender, c.rc)) << "status " << c.rc;
}

TEST(ErrFormat, NumbersDoNotDependOnTheScratchBuffer)
{
    /* A missing or short scratch buffer must neither truncate nor overrun. */
    char szSmall[4];
    for (FNRENDER *pfn : {RTErrFormatName, RTErrFormatMsg, RTErrFormatMsgAll, winFormatName, winFormatAll})
        for (int rc : {INT32_MIN, -1234, ERR_FILE_NOT_FOUND, 0, 5, (int)0x80070000u})
        {
            std::string strExpected = render(pfn, rc);
            EXPECT_EQ(strExpected, render(pfn, rc, nullptr, 0)) << rc;
            EXPECT_EQ(strExpected, render(pfn, rc, szSmall, sizeof(szSmall))) << rc;
        }
}

std::string entryName(const RTSTATUSMSG &e)
{
    return std::string(rtErrStatusMsgNamePrefix(&e)) + rtErrStatusMsgNameRest(&e);
}

TEST(ErrFormat, MessageTableIsSortedUniqueAndWellFormed)
{
    ASSERT_GT(g_cRTStatusMsgs, 0u);
    std::set<std::string> names;
    for (size_t i = 0; i < g_cRTStatusMsgs; i++)
    {
        const RTSTATUSMSG &e = g_aRTStatusMsgs[i];
        std::string strName = entryName(e);
        if (i > 0)
        {
            EXPECT_LT(g_aRTStatusMsgs[i - 1].iValue, e.iValue) << "entry " << i << " " << strName;
        }
        EXPECT_GT(strlen(rtErrStatusMsgNameRest(&e)), 0u) << "entry " << i;
        char szSpelled[RTSTATUSMSG_TEXT_BUF];
        std::string strMsg = rtErrStatusMsgText(&e, szSpelled);
        EXPECT_GT(strMsg.size(), 0u) << strName;
        EXPECT_TRUE(names.insert(strName).second) << "name used twice: " << strName;
        const char *pszPrefix = e.iValue < 0                                     ? "ERR_"
                                : e.iValue == 0 || strName.rfind("INF_", 0) == 0 ? "INF_"
                                                                                 : "WRN_";
        EXPECT_EQ(0u, strName.rfind(pszPrefix, 0)) << strName << " = " << e.iValue;
        /* Every entry is reachable by the lookup and renders its own texts. */
        EXPECT_EQ(&e, rtErrFindStatusMsg(e.iValue));
        EXPECT_EQ(strName, render(RTErrFormatName, e.iValue));
        EXPECT_EQ(strMsg, render(RTErrFormatMsg, e.iValue));
        EXPECT_EQ(strName + " (" + std::to_string(e.iValue) + ") - " + strMsg, render(RTErrFormatMsgAll, e.iValue));
    }
}

struct ListedStatus
{
    int rc;
    const char *pszName;
    const char *pszMsg;
};
/* The table's own list read once more: every status must render exactly as
 * written there, whichever way the pool stores its texts. */
const ListedStatus g_aListedStatuses[] = {
#define RTERR_STATUS(a_Prefix, a_Rest, a_szMsg) {a_Prefix##_##a_Rest, #a_Prefix "_" #a_Rest, a_szMsg},
#include "../../Runtime/common/err/errmsg-list.h"
#undef RTERR_STATUS
};

TEST(ErrFormat, EveryListedStatusRendersAsListed)
{
    EXPECT_EQ(RT_ELEMENTS(g_aListedStatuses), g_cRTStatusMsgs);
    for (const ListedStatus &c : g_aListedStatuses)
    {
        EXPECT_EQ(c.pszName, render(RTErrFormatName, c.rc));
        EXPECT_EQ(c.pszMsg, render(RTErrFormatMsg, c.rc)) << c.pszName;
    }
}

/* Neighbours in the pool: each text ends where the next begins, so a message
 * read from the wrong place shows as the neighbour's text. */
TEST(ErrFormat, TextsOfNeighbouringEntries)
{
    const RenderCase aCases[] = {
        {RTErrFormatMsg, ERR_CRYPTO_BAD_ALGORITHM, "invalid cryptographic algorithm"}, /* first in the pool */
        {RTErrFormatName, ERR_BLOCKED_BY_POLICY, "ERR_BLOCKED_BY_POLICY"},
        {RTErrFormatMsg, ERR_BLOCKED_BY_POLICY, "blocked by the code integrity policy"},
        {RTErrFormatMsg, INF_OPT_NOT_OPTION, "not an option"}, /* last in the pool */
        {RTErrFormatName, WRN_NUMBER_TOO_BIG, "WRN_NUMBER_TOO_BIG"},
        {RTErrFormatName, INF_ALREADY_INITIALIZED, "INF_ALREADY_INITIALIZED"},
        {RTErrFormatMsgAll, ERR_TRAILING_SPACES, "ERR_TRAILING_SPACES (-77) - trailing spaces"},
        {RTErrFormatMsgAll, WRN_TRAILING_SPACES, "WRN_TRAILING_SPACES (77) - trailing spaces"},
        {RTErrFormatMsg, ERR_LENGTH_MISMATCH, "text shorter than the required length"},
    };
    for (const RenderCase &c : aCases)
        EXPECT_EQ(c.pszExpected, render(c.pfnRender, c.rc)) << "status " << c.rc;
}

bool looksLikeName(const std::string &str)
{
    return str.size() > 4 && (str.rfind("ERR_", 0) == 0 || str.rfind("INF_", 0) == 0 || str.rfind("WRN_", 0) == 0);
}

TEST(ErrFormat, EveryConvertedStatusHasAName)
{
    std::set<int> statuses;
    for (uint32_t u = 0; u <= 0xffff; u++)
        statuses.insert(RTErrConvertFromWinError(u));
    statuses.insert(RTErrConvertFromWinError(0xC000042Cu));
    statuses.insert(RTErrConvertFromWinError(0x80090008u));
    for (uint32_t uSeverity : {0x00000000u, 0x80000000u, 0xC0000000u})
        for (uint32_t u = uSeverity; u < uSeverity + 0x1000; u++)
            statuses.insert(RTErrConvertFromNtStatus((int32_t)u));
    EXPECT_GE(statuses.size(), 124u); /* the Win32 statuses and the NT-only ones */
    for (int rc : statuses)
    {
        std::string strName = render(RTErrFormatName, rc);
        EXPECT_TRUE(looksLikeName(strName)) << rc << " renders as " << strName;
        EXPECT_EQ(std::string::npos, render(RTErrFormatMsg, rc).find("Unknown Status")) << rc;
    }
}

#define NAMED_STATUS(a_Status)                                                                                         \
    {                                                                                                                  \
        a_Status, #a_Status                                                                                            \
    }
struct NamedStatus
{
    int rc;
    const char *pszName;
};
/* Every status the runtime and the installer name: each must print by name. */
const NamedStatus g_aNamedStatuses[] = {
    NAMED_STATUS(INF_SUCCESS),
    NAMED_STATUS(ERR_INVALID_PARAMETER),
    NAMED_STATUS(ERR_INVALID_HANDLE),
    NAMED_STATUS(ERR_INVALID_POINTER),
    NAMED_STATUS(ERR_NO_MEMORY),
    NAMED_STATUS(ERR_NOT_IMPLEMENTED),
    NAMED_STATUS(ERR_INVALID_FLAGS),
    NAMED_STATUS(ERR_NO_TMP_MEMORY),
    NAMED_STATUS(ERR_INVALID_FMODE),
    NAMED_STATUS(ERR_WRONG_ORDER),
    NAMED_STATUS(ERR_TLS_UNAVAILABLE),
    NAMED_STATUS(ERR_SELF_TLS_NOT_SET),
    NAMED_STATUS(INF_ALREADY_INITIALIZED),
    NAMED_STATUS(ERR_THREAD_ENDED_ABNORMALLY),
    NAMED_STATUS(ERR_NOT_WAITABLE),
    NAMED_STATUS(ERR_UNRESOLVED_ERROR),
    NAMED_STATUS(ERR_INVALID_FUNCTION),
    NAMED_STATUS(ERR_REQUEST_NOT_SUPPORTED),
    NAMED_STATUS(ERR_ACCESS_DENIED),
    NAMED_STATUS(ERR_INTERRUPTED),
    NAMED_STATUS(ERR_TIMEOUT),
    NAMED_STATUS(ERR_BUFFER_OVERFLOW),
    NAMED_STATUS(ERR_MISMATCH),
    NAMED_STATUS(ERR_INVALID_UUID_FORMAT),
    NAMED_STATUS(ERR_RESULT_PENDING),
    NAMED_STATUS(WRN_NUMBER_TOO_BIG),
    NAMED_STATUS(ERR_NO_DIGITS),
    NAMED_STATUS(WRN_NEGATIVE_UNSIGNED),
    NAMED_STATUS(ERR_NONCHARACTER_CODE_POINT),
    NAMED_STATUS(ERR_SURROGATE_CODE_POINT),
    NAMED_STATUS(ERR_INVALID_UTF8_ENCODING),
    NAMED_STATUS(ERR_INVALID_UTF16_ENCODING),
    NAMED_STATUS(ERR_CODE_POINT_OUT_OF_RANGE),
    NAMED_STATUS(ERR_NO_STR_MEMORY),
    NAMED_STATUS(ERR_NO_UTF16_MEMORY),
    NAMED_STATUS(ERR_NO_CODE_POINT_MEMORY),
    NAMED_STATUS(ERR_TRAILING_CHARS),
    NAMED_STATUS(WRN_TRAILING_CHARS),
    NAMED_STATUS(ERR_TRAILING_SPACES),
    NAMED_STATUS(WRN_TRAILING_SPACES),
    NAMED_STATUS(ERR_END_OF_STRING),
    NAMED_STATUS(ERR_OPEN_FAILED),
    NAMED_STATUS(ERR_FILE_NOT_FOUND),
    NAMED_STATUS(ERR_PATH_NOT_FOUND),
    NAMED_STATUS(ERR_INVALID_NAME),
    NAMED_STATUS(ERR_ALREADY_EXISTS),
    NAMED_STATUS(ERR_TOO_MANY_OPEN_FILES),
    NAMED_STATUS(ERR_EOF),
    NAMED_STATUS(ERR_READ_ERROR),
    NAMED_STATUS(ERR_WRITE_ERROR),
    NAMED_STATUS(ERR_SHARING_VIOLATION),
    NAMED_STATUS(ERR_FILENAME_TOO_LONG),
    NAMED_STATUS(ERR_DIR_NOT_EMPTY),
    NAMED_STATUS(ERR_NOT_A_DIRECTORY),
    NAMED_STATUS(ERR_IS_A_DIRECTORY),
    NAMED_STATUS(ERR_FILE_TOO_BIG),
    NAMED_STATUS(ERR_WRONG_TYPE),
    NAMED_STATUS(ERR_PATH_INVALID_BASE),
    NAMED_STATUS(ERR_PATH_ZERO_LENGTH),
    NAMED_STATUS(ERR_DISK_FULL),
    NAMED_STATUS(ERR_IS_A_SYMLINK),
    NAMED_STATUS(ERR_NO_MORE_FILES),
    NAMED_STATUS(ERR_INTERNAL_ERROR),
    NAMED_STATUS(ERR_INTERNAL_ERROR_2),
    NAMED_STATUS(ERR_INTERNAL_ERROR_3),
    NAMED_STATUS(ERR_INTERNAL_ERROR_4),
    NAMED_STATUS(ERR_BAD_COMMAND),
    NAMED_STATUS(ERR_GENERAL_FAILURE),
    NAMED_STATUS(ERR_NO_DATA),
    NAMED_STATUS(ERR_NOT_OWNER),
    NAMED_STATUS(ERR_SEM_BUSY),
    NAMED_STATUS(ERR_SEM_OWNER_DIED),
    NAMED_STATUS(ERR_SEM_DESTROYED),
    NAMED_STATUS(ERR_SEM_NESTED),
    NAMED_STATUS(ERR_SYMBOL_NOT_FOUND),
    NAMED_STATUS(ERR_MODULE_NOT_FOUND),
    NAMED_STATUS(ERR_ENV_VAR_NOT_FOUND),
    NAMED_STATUS(ERR_ENV_INVALID_VAR_NAME),
    NAMED_STATUS(ERR_OPT_UNKNOWN_OPTION),
    NAMED_STATUS(ERR_OPT_VALUE_MISSING),
    NAMED_STATUS(ERR_OPT_BAD_VALUE_FORMAT),
    NAMED_STATUS(INF_OPT_NOT_OPTION),
    NAMED_STATUS(ERR_OPT_INDEX_MISSING),
    NAMED_STATUS(ERR_LENGTH_MISMATCH),
};

TEST(ErrFormat, EveryNamedStatusHasItsName)
{
    for (const NamedStatus &c : g_aNamedStatuses)
    {
        EXPECT_EQ(c.pszName, render(RTErrFormatName, c.rc));
        EXPECT_EQ(std::string::npos, render(RTErrFormatMsg, c.rc).find("Unknown Status")) << c.pszName;
    }
}

} /* namespace */
