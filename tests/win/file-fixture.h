/** @file
 * What the file tests share: a fresh scratch directory per test that is
 * removed with everything in it afterwards, UTF-8/UTF-16 helpers, and
 * file contents made and checked with the system's own calls.
 */
#ifndef TARN_TESTS_WIN_FILE_FIXTURE_H
#define TARN_TESTS_WIN_FILE_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <rt/file.h>
#include <rt/err.h>

#include <string>
#include <vector>

namespace filetest
{

inline std::wstring toUtf16(const std::string &str)
{
    int cwc = MultiByteToWideChar(CP_UTF8, 0, str.c_str(), -1, NULL, 0);
    std::wstring wstr(cwc > 0 ? (size_t)cwc : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, str.c_str(), -1, &wstr[0], cwc);
    wstr.resize(wstr.size() - 1);
    return wstr;
}

inline std::string toUtf8(const std::wstring &wstr)
{
    int cch = WideCharToMultiByte(CP_UTF8, 0, wstr.c_str(), -1, NULL, 0, NULL, NULL);
    std::string str(cch > 0 ? (size_t)cch : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wstr.c_str(), -1, &str[0], cch, NULL, NULL);
    str.resize(str.size() - 1);
    return str;
}

/** A deterministic, position-dependent byte pattern, so misplaced bytes show. */
inline std::vector<uint8_t> makePattern(size_t cb, uint32_t uSeed = 1)
{
    std::vector<uint8_t> ab(cb);
    uint32_t u = uSeed * 2654435761u + 1;
    for (size_t i = 0; i < cb; i++)
    {
        u = u * 1103515245u + 12345u;
        ab[i] = (uint8_t)(u >> 16);
    }
    return ab;
}

/** The long form of an absolute path, which the system takes at any length. */
inline std::wstring longForm(const std::wstring &wstrPath)
{
    return wstrPath.compare(0, 4, L"\\\\?\\") == 0 ? wstrPath : L"\\\\?\\" + wstrPath;
}

/** Removes @a wstrPath (absolute) and everything below it, clearing read-only attributes on the way. */
inline void removeTree(const std::wstring &wstrPathIn)
{
    std::wstring const wstrPath = longForm(wstrPathIn);
    DWORD fAttr = GetFileAttributesW(wstrPath.c_str());
    if (fAttr == INVALID_FILE_ATTRIBUTES)
        return;
    if (fAttr & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(wstrPath.c_str(), fAttr & ~FILE_ATTRIBUTE_READONLY);
    if (!(fAttr & FILE_ATTRIBUTE_DIRECTORY))
    {
        DeleteFileW(wstrPath.c_str());
        return;
    }
    WIN32_FIND_DATAW Data;
    HANDLE hFind = FindFirstFileW((wstrPath + L"\\*").c_str(), &Data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::wstring wstrName = Data.cFileName;
            if (wstrName != L"." && wstrName != L"..")
                removeTree(wstrPath + L"\\" + wstrName);
        } while (FindNextFileW(hFind, &Data));
        FindClose(hFind);
    }
    RemoveDirectoryW(wstrPath.c_str());
}

/** A test with its own empty scratch directory. */
class FileTest : public ::testing::Test
{
  protected:
    std::wstring m_wstrDir;

    void SetUp() override
    {
        wchar_t wszTmp[MAX_PATH];
        DWORD cwc = GetTempPathW(MAX_PATH, wszTmp);
        ASSERT_GT(cwc, 0u);
        const ::testing::TestInfo *pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
        std::wstring wstrName = toUtf16(std::string("tarn-") + pInfo->test_suite_name() + "-" + pInfo->name());
        m_wstrDir = std::wstring(wszTmp) + wstrName + L"-" + std::to_wstring(GetCurrentProcessId());
        removeTree(m_wstrDir);
        ASSERT_TRUE(CreateDirectoryW(m_wstrDir.c_str(), NULL)) << GetLastError();
    }

    void TearDown() override { removeTree(m_wstrDir); }

    /** The UTF-8 path of @a pszName in the scratch directory. */
    std::string path(const char *pszName) const { return toUtf8(m_wstrDir) + "\\" + pszName; }
    std::wstring wpath(const char *pszName) const { return m_wstrDir + L"\\" + toUtf16(pszName); }

    /** Writes @a ab to a new file with the system's calls. */
    void createFile(const char *pszName, const std::vector<uint8_t> &ab)
    {
        HANDLE h = CreateFileW(longForm(wpath(pszName)).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << GetLastError();
        DWORD cbWritten = 0;
        ASSERT_TRUE(ab.empty() || WriteFile(h, ab.data(), (DWORD)ab.size(), &cbWritten, NULL));
        ASSERT_EQ(ab.size(), cbWritten);
        CloseHandle(h);
    }

    /** Everything in the file, read with the system's calls (sharing everything). */
    std::vector<uint8_t> readFile(const char *pszName) const
    {
        std::vector<uint8_t> ab;
        HANDLE h = CreateFileW(longForm(wpath(pszName)).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
        if (h == INVALID_HANDLE_VALUE)
            return ab;
        uint8_t abChunk[65536];
        DWORD cbRead = 0;
        while (ReadFile(h, abChunk, sizeof(abChunk), &cbRead, NULL) && cbRead)
            ab.insert(ab.end(), abChunk, abChunk + cbRead);
        CloseHandle(h);
        return ab;
    }

    bool exists(const char *pszName) const
    {
        return GetFileAttributesW(longForm(wpath(pszName)).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

/** Closes a runtime handle at the end of a scope, even when an assertion returns early. */
class AutoFile
{
  public:
    RTFILE h = NIL_RTFILE;
    AutoFile() = default;
    AutoFile(const AutoFile &) = delete;
    AutoFile &operator=(const AutoFile &) = delete;
    ~AutoFile() { RTFileClose(h); }
    int close()
    {
        int rc = RTFileClose(h);
        h = NIL_RTFILE;
        return rc;
    }
};

} /* namespace filetest */

#endif
