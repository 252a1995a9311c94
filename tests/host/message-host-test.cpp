/** @file
 * Program messages reach file descriptor 2 byte for byte on the host build.
 */
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>
#include <rt/message.h>
#include "support/scoped.h"

#include <cstring>
#include <string>

namespace
{

TEST(MessageHost, WritesToStandardError)
{
    FILE *pFile = tmpfile();
    ASSERT_NE(nullptr, pFile);
    tst::ScopedExePath SavedExePath;
    tst::ScopedExePath::record("/opt/tarn/setup");

    fflush(stderr);
    int fdSaved = dup(STDERR_FILENO);
    ASSERT_GE(fdSaved, 0);
    ASSERT_EQ(STDERR_FILENO, dup2(fileno(pFile), STDERR_FILENO));
    RTMsgError("first %d\nsecond", 1);
    dup2(fdSaved, STDERR_FILENO);
    close(fdSaved);

    char szBuf[256] = "";
    rewind(pFile);
    size_t cb = fread(szBuf, 1, sizeof(szBuf) - 1, pFile);
    fclose(pFile);
    EXPECT_EQ("setup: error: first 1\nsetup: error: second\n", std::string(szBuf, cb));
}

} // namespace
