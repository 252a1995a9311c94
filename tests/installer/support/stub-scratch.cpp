/** @file
 * The recording fixture with a scratch directory.
 */
#include "support/stub-scratch.h"
#include "support/scratch-tree.h"
#include "support/widen.h"
#include "TarnStubCleanup.h"

#include <windows.h>

void StubScratchTest::forgetCleanupRecords(void)
{
    for (CleanupListEntry *pEntry = g_CleanupRecords.pNext; pEntry != &g_CleanupRecords; pEntry = pEntry->pNext)
    {
        CleanupRecord *pRecord = reinterpret_cast<CleanupRecord *>(pEntry);
        if (pRecord->fFile && pRecord->u.hFile != NIL_RTFILE && RTFileIsValid(pRecord->u.hFile))
            RTFileClose(pRecord->u.hFile);
        else if (!pRecord->fFile && RTDirIsValid(pRecord->u.hDir))
            RTDirClose(pRecord->u.hDir);
    }
    ReleaseCleanupRecords();
}

void StubScratchTest::SetUp()
{
    StubCaptureTest::SetUp();
    InitCleanupRecords();
    m_wstrSavedCurrentDir.resize(GetCurrentDirectoryW(0, NULL));
    m_wstrSavedCurrentDir.resize(GetCurrentDirectoryW((DWORD)m_wstrSavedCurrentDir.size(), &m_wstrSavedCurrentDir[0]));

    const ::testing::TestInfo *pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
    wchar_t wszTemp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, wszTemp));
    m_strRoot = tst::narrow(wszTemp) + "tarn-" + pInfo->test_suite_name() + "-" + pInfo->name() + "-" +
                std::to_string(GetCurrentProcessId());
    tst::removeTree(tst::widen(m_strRoot));
    ASSERT_TRUE(CreateDirectoryW(tst::widen(m_strRoot).c_str(), NULL)) << m_strRoot << ": " << GetLastError();
}

void StubScratchTest::TearDown()
{
    SetCurrentDirectoryW(m_wstrSavedCurrentDir.c_str());
    forgetCleanupRecords();
    tst::removeTree(tst::widen(m_strRoot));
    StubCaptureTest::TearDown();
}

std::string StubScratchTest::makeFile(const std::string &strName, const std::string &strContent)
{
    std::string strPath = path(strName);
    HANDLE hFile =
        CreateFileW(tst::widen(strPath).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, hFile) << strPath << ": " << GetLastError();
    DWORD cbWritten = 0;
    EXPECT_TRUE(strContent.empty() || WriteFile(hFile, strContent.data(), (DWORD)strContent.size(), &cbWritten, NULL));
    CloseHandle(hFile);
    return strPath;
}

std::string StubScratchTest::makeDir(const std::string &strName)
{
    std::string strPath = path(strName);
    EXPECT_TRUE(CreateDirectoryW(tst::widen(strPath).c_str(), NULL)) << strPath << ": " << GetLastError();
    return strPath;
}

std::vector<uint8_t> StubScratchTest::readFile(const std::string &strPath)
{
    std::vector<uint8_t> ab;
    HANDLE hFile = CreateFileW(tst::widen(strPath).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return ab;
    LARGE_INTEGER cbFile;
    if (GetFileSizeEx(hFile, &cbFile) && cbFile.QuadPart > 0)
    {
        ab.resize((size_t)cbFile.QuadPart);
        DWORD cbRead = 0;
        if (!ReadFile(hFile, ab.data(), (DWORD)ab.size(), &cbRead, NULL))
            cbRead = 0;
        ab.resize(cbRead);
    }
    CloseHandle(hFile);
    return ab;
}

bool StubScratchTest::exists(const std::string &strPath)
{
    return GetFileAttributesW(tst::widen(strPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}
