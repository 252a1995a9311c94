/** @file
 * Empties every installer seam before and after each test (the runtime's own seams are
 * emptied by tests/support/seam-reset.cpp, linked beside this file).
 */
#include <gtest/gtest.h>
#include "TarnStubSeams.h"

namespace
{

class StubSeamReset : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override { stubSeamsResetAll(); }
    void OnTestEnd(const ::testing::TestInfo &) override { stubSeamsResetAll(); }
};

/** Registered before main runs; GoogleTest owns and deletes the listener. */
const bool g_fRegistered = []
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new StubSeamReset);
    return true;
}();

} // namespace
