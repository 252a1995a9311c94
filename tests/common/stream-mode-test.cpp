/** @file
 * The mode strings of RTStreamOpen: the open flags each stands for, and the
 * strings refused.
 */
#include <gtest/gtest.h>
#include <rt/err.h>
#include <rt/stream.h>
#include "internal/stream.h"

namespace
{

/** Sharing and creation mode every stream is opened with. */
const uint64_t g_fCommon = RTFILE_O_DENY_NONE | (UINT64_C(0666) << RTFILE_O_CREATE_MODE_SHIFT);

struct ModeCase
{
    const char *pszMode;
    uint64_t fOpen; /**< without g_fCommon */
    bool fBinary;
};

const ModeCase g_aModeCases[] = {
    {"r", RTFILE_O_OPEN | RTFILE_O_READ | RTFILE_O_INHERIT, false},
    {"w", RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE | RTFILE_O_INHERIT, false},
    {"a", RTFILE_O_OPEN_CREATE | RTFILE_O_WRITE | RTFILE_O_APPEND | RTFILE_O_INHERIT, false},
    {"r+", RTFILE_O_OPEN | RTFILE_O_READWRITE | RTFILE_O_INHERIT, false},
    {"+w", RTFILE_O_CREATE_REPLACE | RTFILE_O_READWRITE | RTFILE_O_INHERIT, false},
    {"a+", RTFILE_O_OPEN_CREATE | RTFILE_O_READWRITE | RTFILE_O_APPEND | RTFILE_O_INHERIT, false},
    {"wx", RTFILE_O_CREATE | RTFILE_O_READWRITE | RTFILE_O_INHERIT, false},
    {"xw", RTFILE_O_CREATE | RTFILE_O_READWRITE | RTFILE_O_INHERIT, false},
    {"wb", RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE | RTFILE_O_INHERIT, true},
    {"bw", RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE | RTFILE_O_INHERIT, true},
    {"wbt", RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE | RTFILE_O_INHERIT, false}, /* the last of b and t counts */
    {"wtb", RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE | RTFILE_O_INHERIT, true},
    {"wN", RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE, false},
    {"we", RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE, false},
    {"weE", RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE | RTFILE_O_INHERIT, false},
    {"rb+N", RTFILE_O_OPEN | RTFILE_O_READWRITE, true},
};

TEST(StreamMode, FlagsOfEachMode)
{
    for (const ModeCase &Case : g_aModeCases)
    {
        uint64_t fOpen = 0;
        bool fBinary = !Case.fBinary;
        ASSERT_EQ(0, rtStrmParseMode(Case.pszMode, &fOpen, &fBinary)) << Case.pszMode;
        EXPECT_EQ(Case.fOpen | g_fCommon, fOpen) << Case.pszMode;
        EXPECT_EQ(Case.fBinary, fBinary) << Case.pszMode;
        /* Every result is a flag word the file layer takes as it is. */
        uint64_t fValidated = fOpen;
        EXPECT_EQ(INF_SUCCESS, RTFileValidateOpenFlags(&fValidated)) << Case.pszMode;
        EXPECT_EQ(fOpen, fValidated) << Case.pszMode;
    }
}

TEST(StreamMode, RefusedModes)
{
    static const char *const s_apszBad[] = {"", "rx", "ax", "x", "+", "b", "rw", "wa", "ww", "wq", "r ", "W", NULL};
    for (const char *pszMode : s_apszBad)
    {
        uint64_t fOpen = 42;
        bool fBinary = true;
        EXPECT_EQ(ERR_INVALID_FLAGS, rtStrmParseMode(pszMode, &fOpen, &fBinary)) << (pszMode ? pszMode : "(null)");
        EXPECT_EQ(42u, fOpen);
        EXPECT_TRUE(fBinary);
    }
}

TEST(StreamMode, OpenChecksNameThenMode)
{
    PRTSTREAM pStream = NULL;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStreamOpen(NULL, "w", &pStream));
    EXPECT_EQ(ERR_INVALID_FLAGS, RTStreamOpen("x.txt", "rx", &pStream));
    EXPECT_EQ(ERR_INVALID_FLAGS, RTStreamOpen("x.txt", "", &pStream));
    EXPECT_EQ(nullptr, pStream);
}

} // namespace
