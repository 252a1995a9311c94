/** @file
 * The raw writers: their exact bytes on the standard error handle.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/rawwrite.h>

#include <string>

namespace
{

/** Points the standard error handle at a scratch file while it lives. */
class RawWriteTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        wchar_t wszDir[MAX_PATH], wszFile[MAX_PATH];
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, wszDir));
        ASSERT_NE(0u, GetTempFileNameW(wszDir, L"raw", 0, wszFile));
        m_hFile = CreateFileW(wszFile, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, m_hFile);
        m_hSaved = GetStdHandle(STD_ERROR_HANDLE);
        SetStdHandle(STD_ERROR_HANDLE, m_hFile);
    }
    void TearDown() override
    {
        SetStdHandle(STD_ERROR_HANDLE, m_hSaved);
        CloseHandle(m_hFile);
    }

    /** What was written since the last call. */
    std::string take()
    {
        char szBuf[256];
        DWORD cbRead = 0;
        LONG const offEnd = (LONG)SetFilePointer(m_hFile, 0, NULL, FILE_CURRENT);
        SetFilePointer(m_hFile, 0, NULL, FILE_BEGIN);
        EXPECT_TRUE(ReadFile(m_hFile, szBuf, (DWORD)offEnd, &cbRead, NULL));
        SetFilePointer(m_hFile, 0, NULL, FILE_BEGIN);
        SetEndOfFile(m_hFile);
        return std::string(szBuf, cbRead);
    }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    HANDLE m_hSaved = NULL;
};

TEST_F(RawWriteTest, ExactBytes)
{
    RTRawWrite("a\nb", 3);
    EXPECT_EQ("a\nb", take()); /* no translation */
    RTRawWriteStr("text");
    EXPECT_EQ("text", take());
    RTRawWriteStr((const char *)(uintptr_t)0x10);
    EXPECT_EQ("<pszString=00000010>", take());
    RTRawWriteStr((const char *)(uintptr_t)0xfffff800);
    EXPECT_EQ("<pszString=fffff800>", take());
    RTRawWriteHex(0x2a);
    EXPECT_EQ("0000002a", take());
    RTRawWriteHex(0xdeadbeef);
    EXPECT_EQ("deadbeef", take());
    RTRawWriteHexPrefixed(0x2a);
    EXPECT_EQ("0x2a", take());
    RTRawWriteHexPrefixed(0);
    EXPECT_EQ("0x0", take());
    RTRawWriteDecHex(300);
    EXPECT_EQ("300 (0x12c)", take());
    RTRawWriteDecHex((size_t)-2);
    EXPECT_EQ("4294967294 (0xfffffffe)", take());
    RTRawWriteMsgStatus("Error parsing command line: ", 28, -8);
    EXPECT_EQ("Error parsing command line: -8\r\n", take());
    RTRawWriteMsgStatus("x", 1, 28);
    EXPECT_EQ("x28\r\n", take());
}

} // namespace
