/** @file
 * Empties every runtime seam before and after each test, so no test's
 * replacements or remembered answers reach the next one, and what the test
 * program's own start-up left remembered (a looked-up entry point, for
 * example) does not reach the first.
 */
#include <gtest/gtest.h>
#include "internal/seam.h"

namespace
{

class SeamReset : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override { rtSeamsResetAll(); }
    void OnTestEnd(const ::testing::TestInfo &) override { rtSeamsResetAll(); }
};

/** Registered before main runs; GoogleTest owns and deletes the listener. */
const bool g_fRegistered = []
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new SeamReset);
    return true;
}();

} // namespace
