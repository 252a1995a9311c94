/** @file
 * A scratch directory of its own for each directory test, removed with
 * everything in it afterwards.
 */
#ifndef TESTS_WIN_DIR_SCRATCH_H
#define TESTS_WIN_DIR_SCRATCH_H

#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "internal/mem.h"

class DirScratch : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char szTemp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(sizeof(szTemp), szTemp));
        const ::testing::TestInfo *pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
        m_strRoot = std::string(szTemp) + "tarn-" + pInfo->test_suite_name() + "-" + pInfo->name() + "-" +
                    std::to_string(GetCurrentProcessId());
        removeTree(m_strRoot);
        ASSERT_TRUE(CreateDirectoryA(m_strRoot.c_str(), NULL)) << m_strRoot;
    }

    void TearDown() override
    {
        rtMemTestFailAfter(-1);
        removeTree(m_strRoot);
    }

    /** Removes a tree of any depth (through the long form, as trees may be deeper than the plain form allows). */
    static void removeTree(const std::string &strPath)
    {
        std::wstring wstrLong = L"\\\\?\\" + std::wstring(strPath.begin(), strPath.end());
        removeTreeW(wstrLong);
    }

    static void removeTreeW(const std::wstring &wstrPath)
    {
        DWORD fAttr = GetFileAttributesW(wstrPath.c_str());
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
                std::wstring wstrName = Entry.cFileName;
                if (wstrName != L"." && wstrName != L"..")
                    removeTreeW(wstrPath + L"\\" + wstrName);
            } while (FindNextFileW(hFind, &Entry));
            FindClose(hFind);
        }
        RemoveDirectoryW(wstrPath.c_str());
    }

    /** A path inside the scratch directory. */
    std::string path(const std::string &strName) const { return m_strRoot + "\\" + strName; }

    /** Creates a file with @a strContent inside the scratch directory and returns its path. */
    std::string makeFile(const std::string &strName, const std::string &strContent = "data")
    {
        std::string strPath = path(strName);
        HANDLE hFile = CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, hFile) << strPath;
        DWORD cbWritten = 0;
        EXPECT_TRUE(WriteFile(hFile, strContent.data(), (DWORD)strContent.size(), &cbWritten, NULL));
        CloseHandle(hFile);
        return strPath;
    }

    /** Creates a directory inside the scratch directory and returns its path. */
    std::string makeDir(const std::string &strName)
    {
        std::string strPath = path(strName);
        EXPECT_TRUE(CreateDirectoryA(strPath.c_str(), NULL)) << strPath;
        return strPath;
    }

    static bool isDirectory(const std::string &strPath)
    {
        DWORD fAttr = GetFileAttributesA(strPath.c_str());
        return fAttr != INVALID_FILE_ATTRIBUTES && (fAttr & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::string m_strRoot;
};

#endif
