/** @file
 * Windows tests only: the recording fixture (stub-capture.h) with a scratch
 * directory of its own for each test, under the temporary directory. At the
 * end of a test the current directory is put back, every cleanup record left
 * by the test has its handle closed and is released, and the scratch
 * directory is removed with everything in it.
 */
#ifndef TARN_TEST_STUB_SCRATCH_H
#define TARN_TEST_STUB_SCRATCH_H

#include "support/stub-capture.h"

#include <stdint.h>
#include <string>
#include <vector>

class StubScratchTest : public StubCaptureTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    /** The path of @a strName (UTF-8, may contain separators) in the scratch directory. */
    std::string path(const std::string &strName) const { return m_strRoot + "\\" + strName; }
    /** Writes a file into the scratch directory, replacing one, and returns its path. */
    std::string makeFile(const std::string &strName, const std::string &strContent = "data");
    /** Creates a directory in the scratch directory and returns its path. */
    std::string makeDir(const std::string &strName);
    /** Everything in the file at @a strPath, read sharing everything; empty when it cannot be opened. */
    static std::vector<uint8_t> readFile(const std::string &strPath);
    /** Whether something exists at @a strPath. */
    static bool exists(const std::string &strPath);
    /** Closes the handles the cleanup records still hold, then releases the records. */
    static void forgetCleanupRecords(void);

    /** The scratch directory, without a trailing separator. */
    std::string m_strRoot;

  private:
    std::wstring m_wstrSavedCurrentDir;
};

#endif
