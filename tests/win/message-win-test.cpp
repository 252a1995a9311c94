/** @file
 * Program messages reach the standard error handle with CR LF line ends.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/message.h>
#include "support/scoped.h"

#include <cstring>
#include <string>

namespace
{

TEST(MessageWin, WritesCrLfToTheStandardErrorHandle)
{
    wchar_t wszDir[MAX_PATH], wszFile[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, wszDir));
    ASSERT_NE(0u, GetTempFileNameW(wszDir, L"msg", 0, wszFile));
    HANDLE hFile = CreateFileW(wszFile, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);

    tst::ScopedExePath SavedExePath;
    tst::ScopedExePath::record("C:\\tarn\\setup.exe");
    HANDLE hSaved = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, hFile);
    RTMsgError("Unknown option: '%s'", "-z");
    RTMsgError("a\n\nb");
    SetStdHandle(STD_ERROR_HANDLE, hSaved);

    char szBuf[256];
    DWORD cbRead = 0;
    SetFilePointer(hFile, 0, NULL, FILE_BEGIN);
    ASSERT_TRUE(ReadFile(hFile, szBuf, sizeof(szBuf), &cbRead, NULL));
    CloseHandle(hFile);
    EXPECT_EQ("setup.exe: error: Unknown option: '-z'\r\n"
              "setup.exe: error: a\r\n\r\nsetup.exe: error: b\r\n",
              std::string(szBuf, cbRead));
}

} // namespace
