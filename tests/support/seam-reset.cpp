/** @file
 * Empties every runtime seam after each test, so no test's replacements or
 * remembered answers reach the next one.
 */
#include <gtest/gtest.h>
#include "internal/seam.h"

namespace
{

class SeamReset : public ::testing::EmptyTestEventListener
{
    void OnTestEnd(const ::testing::TestInfo &) override { rtSeamsResetAll(); }
};

/** Registered before main runs; GoogleTest owns and deletes the listener. */
const bool g_fRegistered = []
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new SeamReset);
    return true;
}();

} // namespace
