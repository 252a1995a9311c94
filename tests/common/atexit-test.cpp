/** @file
 * Exit handlers: reverse order, each once, the limit of 8192, and a block that
 * cannot be allocated.
 */
#include <gtest/gtest.h>
#include <rt/process.h>
#include "internal/process.h"

#include <string>
#include <vector>

namespace
{

std::vector<int> g_aiRun;
int g_cCounted = 0;

template <int t_i> void record(void)
{
    g_aiRun.push_back(t_i);
}

void count(void)
{
    g_cCounted++;
}

class AtExitTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_aiRun.clear();
        g_cCounted = 0;
    }
};

TEST_F(AtExitTest, RunsInReverseOrderEachOnce)
{
    ASSERT_EQ(0, RTAtExitRegister(record<1>));
    ASSERT_EQ(0, RTAtExitRegister(record<2>));
    ASSERT_EQ(0, RTAtExitRegister(record<3>));
    ASSERT_EQ(0, RTAtExitRegister(record<2>)); /* the same handler twice runs twice */
    RTAtExitRun();
    EXPECT_EQ((std::vector<int>{2, 3, 2, 1}), g_aiRun);
    RTAtExitRun(); /* the list is empty now */
    EXPECT_EQ(4u, g_aiRun.size());
}

TEST_F(AtExitTest, HoldsAtMost8192)
{
    for (int i = 0; i < 8192; i++)
        ASSERT_EQ(0, RTAtExitRegister(count)) << "handler " << i;
    EXPECT_EQ(-1, RTAtExitRegister(record<9>));
    EXPECT_EQ(-1, RTAtExitRegister(record<9>));
    RTAtExitRun();
    EXPECT_EQ(8192, g_cCounted);
    EXPECT_TRUE(g_aiRun.empty());
    /* After the run there is room again. */
    EXPECT_EQ(0, RTAtExitRegister(record<1>));
    RTAtExitRun();
    EXPECT_EQ(std::vector<int>{1}, g_aiRun);
}

void *failAlloc(size_t, const char *)
{
    return NULL;
}

TEST_F(AtExitTest, MissingBlockFailsThatRegistrationOnly)
{
    ASSERT_EQ(0, RTAtExitRegister(record<1>)); /* block 0 exists from here on */
    for (int i = 1; i < 256; i++)
        ASSERT_EQ(0, RTAtExitRegister(count));
    g_rtSeamsAtExit.pfnRTMemAllocZTag = failAlloc;
    EXPECT_EQ(-1, RTAtExitRegister(record<2>)); /* slot 256 needs block 1 */
    g_rtSeamsAtExit.pfnRTMemAllocZTag = NULL;
    EXPECT_EQ(0, RTAtExitRegister(record<3>));
    RTAtExitRun();
    EXPECT_EQ((std::vector<int>{3, 1}), g_aiRun);
    EXPECT_EQ(255, g_cCounted);
}

} // namespace
