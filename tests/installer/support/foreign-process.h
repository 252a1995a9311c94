/** @file
 * Windows tests only: another process acting on the installer's files.
 *
 * The other process is the running test program itself, started to run one of
 * its disabled tests; the parameters travel in its environment and the two
 * processes meet through named events. Its output goes to the same console.
 */
#ifndef TARN_TEST_FOREIGN_PROCESS_H
#define TARN_TEST_FOREIGN_PROCESS_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace tst
{

/** Environment variables for a child: name and value, UTF-16. */
typedef std::vector<std::pair<std::wstring, std::wstring>> ChildEnv;

/**
 * Runs the disabled test @a pszTest ("Suite.DISABLED_Name") of this program in
 * a second process with @a Env added to the environment, and waits for it.
 * Succeeds when the child ran the test and it passed: the child must call
 * reportChildPassed() at its end.
 */
::testing::AssertionResult runTestInChild(const char *pszTest, const ChildEnv &Env);

/** In a child started by runTestInChild: tells the parent the test got to its end without a failure. */
void reportChildPassed(void);

/**
 * A file held open by another process with the sharing it chooses, until
 * release(), the hold time or the end of the object.
 */
class ForeignFileHolder
{
  public:
    ForeignFileHolder() = default;
    ~ForeignFileHolder() { release(); }
    ForeignFileHolder(const ForeignFileHolder &) = delete;
    ForeignFileHolder &operator=(const ForeignFileHolder &) = delete;

    /**
     * Starts the other process and returns once it has opened @a strPath
     * (UTF-8, existing) for reading with the share mode @a fShare
     * (FILE_SHARE_XXX). With @a cMsHold it lets go by itself that many
     * milliseconds after opening; otherwise it holds until release().
     */
    ::testing::AssertionResult hold(const std::string &strPath, DWORD fShare, DWORD cMsHold = INFINITE);

    /** Makes the other process close the file and waits until it has ended. */
    void release();

  private:
    HANDLE m_hProcess = NULL;
    HANDLE m_hRelease = NULL;
};

} // namespace tst

#endif
