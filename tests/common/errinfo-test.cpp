/** @file
 * Extended error information: the setters with and without a message buffer.
 */
#include <gtest/gtest.h>
#include <rt/err.h>
#include <rt/errinfo.h>

namespace
{

TEST(ErrInfo, WithBuffer)
{
    char szBuf[16];
    RTERRINFO ErrInfo;
    EXPECT_EQ(&ErrInfo, RTErrInfoInit(&ErrInfo, szBuf, sizeof(szBuf)));
    EXPECT_EQ(0, ErrInfo.rc);
    EXPECT_EQ(nullptr, ErrInfo.pszMsg);

    EXPECT_EQ(ERR_ACCESS_DENIED, RTErrInfoSetF(&ErrInfo, ERR_ACCESS_DENIED, "GetLastError=%u", 5u));
    EXPECT_EQ(ERR_ACCESS_DENIED, ErrInfo.rc);
    EXPECT_STREQ("GetLastError=5", ErrInfo.pszMsg);
    EXPECT_EQ(szBuf, ErrInfo.pszMsg);

    /* Too long for the buffer: cut, terminated. */
    EXPECT_EQ(ERR_NO_MEMORY, RTErrInfoSetF(&ErrInfo, ERR_NO_MEMORY, "Failed to allocate %zu bytes", (size_t)40));
    EXPECT_STREQ("Failed to alloc", ErrInfo.pszMsg);
    char szText[] = "a message that is long";
    EXPECT_EQ(ERR_EOF, RTErrInfoSet(&ErrInfo, ERR_EOF, szText));
    EXPECT_STREQ("a message that ", ErrInfo.pszMsg);
    EXPECT_EQ(szBuf, ErrInfo.pszMsg) << "copied, not pointed at";

    RTErrInfoClear(&ErrInfo);
    EXPECT_EQ(0, ErrInfo.rc);
    EXPECT_EQ(nullptr, ErrInfo.pszMsg);
    EXPECT_EQ(szBuf, ErrInfo.pszMsgBuf) << "the buffer stays";
}

TEST(ErrInfo, WithoutBuffer)
{
    RTERRINFO ErrInfo;
    RTErrInfoInit(&ErrInfo, NULL, 0);
    static const char s_szMsg[] = "Error converting UTF-8 to UTF-16 string.";
    EXPECT_EQ(ERR_NO_UTF16_MEMORY, RTErrInfoSet(&ErrInfo, ERR_NO_UTF16_MEMORY, s_szMsg));
    EXPECT_EQ(s_szMsg, ErrInfo.pszMsg);
    /* Nothing to format into: the status alone. */
    EXPECT_EQ(ERR_ACCESS_DENIED, RTErrInfoSetF(&ErrInfo, ERR_ACCESS_DENIED, "GetLastError=%u", 5u));
    EXPECT_EQ(ERR_ACCESS_DENIED, ErrInfo.rc);
    EXPECT_EQ(nullptr, ErrInfo.pszMsg);
}

TEST(ErrInfo, NullRecord)
{
    EXPECT_EQ(ERR_EOF, RTErrInfoSet(NULL, ERR_EOF, "x"));
    EXPECT_EQ(ERR_EOF, RTErrInfoSetF(NULL, ERR_EOF, "%s", "x"));
    RTErrInfoClear(NULL);
}

} // namespace
