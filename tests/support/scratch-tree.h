/** @file
 * Windows tests only: a scratch directory of its own for each test, under the
 * temporary directory and removed with everything in it afterwards, with
 * helpers that make and read files there through the system's own calls.
 */
#ifndef TARN_TESTS_SUPPORT_SCRATCH_TREE_H
#define TARN_TESTS_SUPPORT_SCRATCH_TREE_H

#include <gtest/gtest.h>
#include <stdint.h>
#include <string>
#include <vector>

namespace tst
{

/** The long form ('\\?\') of an absolute path, which the system takes at any length. */
std::wstring longForm(const std::wstring &wstrPath);

/** Removes the object at @a wstrPath (absolute) and everything below it; links go, not what they point at. */
void removeTree(const std::wstring &wstrPath);

class ScratchTree : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    /** The path of @a strName (UTF-8, may contain separators) in the scratch directory. */
    std::string path(const std::string &strName) const { return m_strRoot + "\\" + strName; }
    /** The same as UTF-16. */
    std::wstring wpath(const std::string &strName) const;

    /** Writes a file of the given content into the scratch directory (replacing one) and returns its path. */
    std::string makeFile(const std::string &strName, const std::vector<uint8_t> &abContent);
    std::string makeFile(const std::string &strName, const std::string &strContent = "data");
    /** Creates a directory in the scratch directory and returns its path. */
    std::string makeDir(const std::string &strName);
    /** Everything in the file, read sharing everything; empty when it cannot be opened. */
    std::vector<uint8_t> readFile(const std::string &strName) const;
    /** Whether @a strName exists in the scratch directory. */
    bool exists(const std::string &strName) const;
    /** Whether @a strPath (UTF-8, anywhere) names a directory. */
    static bool isDirectory(const std::string &strPath);

    /** The scratch directory, UTF-8 and UTF-16, without a trailing separator. */
    std::string m_strRoot;
    std::wstring m_wstrRoot;
};

} // namespace tst

#endif
