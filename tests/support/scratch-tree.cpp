/** @file
 * Windows tests only: the scratch directory fixture.
 */
#ifdef RT_OS_WINDOWS
#include "support/scratch-tree.h"

#include <windows.h>
#include "support/widen.h"

namespace tst
{

std::wstring longForm(const std::wstring &wstrPath)
{
    return wstrPath.compare(0, 4, L"\\\\?\\") == 0 ? wstrPath : L"\\\\?\\" + wstrPath;
}

namespace
{

void removeTreeLong(const std::wstring &wstrPath)
{
    DWORD const fAttr = GetFileAttributesW(wstrPath.c_str());
    if (fAttr == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(fAttr & FILE_ATTRIBUTE_DIRECTORY) || (fAttr & FILE_ATTRIBUTE_REPARSE_POINT))
    {
        SetFileAttributesW(wstrPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(wstrPath.c_str()))
            RemoveDirectoryW(wstrPath.c_str());
        return;
    }
    WIN32_FIND_DATAW Entry;
    HANDLE hFind = FindFirstFileW((wstrPath + L"\\*").c_str(), &Entry);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::wstring const wstrName = Entry.cFileName;
            if (wstrName != L"." && wstrName != L"..")
                removeTreeLong(wstrPath + L"\\" + wstrName);
        } while (FindNextFileW(hFind, &Entry));
        FindClose(hFind);
    }
    SetFileAttributesW(wstrPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(wstrPath.c_str());
}

/** The running test's name as a file name: parameterised names carry '/'. */
std::string testFileName(void)
{
    const ::testing::TestInfo *pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string str = std::string("tarn-") + pInfo->test_suite_name() + "-" + pInfo->name();
    for (char &ch : str)
        if (ch == '/' || ch == '\\')
            ch = '-';
    return str;
}

} // namespace

void removeTree(const std::wstring &wstrPath)
{
    /* Trees may be deeper than the plain form allows. */
    removeTreeLong(longForm(wstrPath));
}

bool ScratchTree::isDirectory(const std::string &strPath)
{
    DWORD const fAttr = GetFileAttributesW(longForm(widen(strPath)).c_str());
    return fAttr != INVALID_FILE_ATTRIBUTES && (fAttr & FILE_ATTRIBUTE_DIRECTORY);
}

void ScratchTree::SetUp()
{
    wchar_t wszTemp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, wszTemp));
    m_wstrRoot = std::wstring(wszTemp) + widen(testFileName()) + L"-" + std::to_wstring(GetCurrentProcessId());
    m_strRoot = narrow(m_wstrRoot);
    removeTree(m_wstrRoot);
    ASSERT_TRUE(CreateDirectoryW(m_wstrRoot.c_str(), NULL)) << m_strRoot << ": " << GetLastError();
}

void ScratchTree::TearDown()
{
    removeTree(m_wstrRoot);
}

std::wstring ScratchTree::wpath(const std::string &strName) const
{
    return m_wstrRoot + L"\\" + widen(strName);
}

std::string ScratchTree::makeFile(const std::string &strName, const std::vector<uint8_t> &abContent)
{
    HANDLE hFile = CreateFileW(longForm(wpath(strName)).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, hFile) << strName << ": " << GetLastError();
    DWORD cbWritten = 0;
    EXPECT_TRUE(abContent.empty() || WriteFile(hFile, abContent.data(), (DWORD)abContent.size(), &cbWritten, NULL));
    EXPECT_EQ(abContent.size(), cbWritten) << strName;
    CloseHandle(hFile);
    return path(strName);
}

std::string ScratchTree::makeFile(const std::string &strName, const std::string &strContent)
{
    return makeFile(strName, std::vector<uint8_t>(strContent.begin(), strContent.end()));
}

std::string ScratchTree::makeDir(const std::string &strName)
{
    EXPECT_TRUE(CreateDirectoryW(longForm(wpath(strName)).c_str(), NULL)) << strName << ": " << GetLastError();
    return path(strName);
}

std::vector<uint8_t> ScratchTree::readFile(const std::string &strName) const
{
    std::vector<uint8_t> ab;
    HANDLE hFile = CreateFileW(longForm(wpath(strName)).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return ab;
    uint8_t abChunk[65536];
    DWORD cbRead = 0;
    while (ReadFile(hFile, abChunk, sizeof(abChunk), &cbRead, NULL) && cbRead)
        ab.insert(ab.end(), abChunk, abChunk + cbRead);
    CloseHandle(hFile);
    return ab;
}

bool ScratchTree::exists(const std::string &strName) const
{
    return GetFileAttributesW(longForm(wpath(strName)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace tst

#endif
