/** @file
 * Completing file modes: which half of the mode the other is derived from,
 * and which results are consistent.
 */
#include <gtest/gtest.h>
#include <rt/dir.h>

namespace
{

TEST(FsModeNormalize, CompletesTheMissingHalf)
{
    static const struct
    {
        RTFMODE fMode;
        const char *pszName;
        RTFMODE fType;
        RTFMODE fExpected;
    } s_aCases[] = {
        /* Unix bits only: type from the hint, attributes from type and permissions. */
        {0700, "C:\\T\\dir", RTFS_TYPE_DIRECTORY, RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | 0700},
        {0644, "C:\\T\\file", RTFS_TYPE_FILE, RTFS_TYPE_FILE | RTFS_DOS_NT_NORMAL | 0644},
        {0555, "C:\\T\\dir", RTFS_TYPE_DIRECTORY, RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | RTFS_DOS_READONLY | 0555},
        {0444, "file", 0, RTFS_DOS_READONLY | 0444},
        {RTFS_TYPE_FILE | 0600, "file", RTFS_TYPE_DIRECTORY, RTFS_TYPE_FILE | RTFS_DOS_NT_NORMAL | 0600},
        /* A dot file is hidden; "." and ".." are not, nor is a dot before the last separator. */
        {0600, "C:\\T\\.profile", RTFS_TYPE_FILE, RTFS_TYPE_FILE | RTFS_DOS_NT_NORMAL | RTFS_DOS_HIDDEN | 0600},
        {0700, "C:/T/.cache", RTFS_TYPE_DIRECTORY, RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | RTFS_DOS_HIDDEN | 0700},
        {0700, "C:\\T\\..", RTFS_TYPE_DIRECTORY, RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | 0700},
        {0700, ".", RTFS_TYPE_DIRECTORY, RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | 0700},
        {0700, "C:\\.T\\dir", RTFS_TYPE_DIRECTORY, RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | 0700},
        {0600, NULL, RTFS_TYPE_FILE, RTFS_TYPE_FILE | RTFS_DOS_NT_NORMAL | 0600},
        /* Windows attributes present: the type follows the directory attribute and vice versa. */
        {RTFS_DOS_DIRECTORY | 0700, "x", 0, RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | 0700},
        {RTFS_DOS_HIDDEN | 0600, "x", RTFS_TYPE_DIRECTORY, RTFS_TYPE_FILE | RTFS_DOS_HIDDEN | 0600},
        {RTFS_TYPE_DIRECTORY | RTFS_DOS_HIDDEN, "x", 0, RTFS_TYPE_DIRECTORY | RTFS_DOS_HIDDEN | RTFS_DOS_DIRECTORY},
        /* Neither permissions nor type: all from the attributes, as for a file the system describes. */
        {RTFS_DOS_DIRECTORY, "x", 0, RTFsModeFromWinAttr(RTFS_DOS_DIRECTORY, "x", 0, 0, 0)},
        {0, "C:\\T\\setup.exe", 0, RTFsModeFromWinAttr(0, "C:\\T\\setup.exe", 0, 0, 0)},
        {0, "dir", RTFS_TYPE_DIRECTORY, RTFsModeFromWinAttr(0, "dir", 0, 0, RTFS_TYPE_DIRECTORY)},
    };
    for (auto const &Case : s_aCases)
        EXPECT_EQ(Case.fExpected, RTFsModeNormalize(Case.fMode, Case.pszName, 0, Case.fType))
            << std::oct << Case.fMode << " " << (Case.pszName ? Case.pszName : "(null)");
}

TEST(FsModeNormalize, NameLengthLimitsTheNameLookedAt)
{
    /* Only ".hidden" counts when the length stops before "\x". */
    EXPECT_EQ(RTFS_TYPE_FILE | RTFS_DOS_NT_NORMAL | RTFS_DOS_HIDDEN | 0600,
              RTFsModeNormalize(0600, "T\\.hidden\\x", 9, RTFS_TYPE_FILE));
    EXPECT_EQ(RTFS_TYPE_FILE | RTFS_DOS_NT_NORMAL | 0600, RTFsModeNormalize(0600, "T\\.hidden\\x", 0, RTFS_TYPE_FILE));
}

TEST(FsModeNormalize, TheInstallersModeBecomesAConsistentDirectory)
{
    RTFMODE fMode = RTFsModeNormalize(0700, "C:\\T\\XXXXXXXX", 0, RTFS_TYPE_DIRECTORY);
    EXPECT_EQ(RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | 0700, fMode);
    EXPECT_TRUE(RTFsModeIsConsistent(fMode));
}

TEST(FsModeNormalize, Consistency)
{
    EXPECT_TRUE(RTFsModeIsConsistent(RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY));
    EXPECT_TRUE(RTFsModeIsConsistent(RTFS_TYPE_FILE | RTFS_DOS_NT_NORMAL));
    EXPECT_TRUE(RTFsModeIsConsistent(0));
    EXPECT_FALSE(RTFsModeIsConsistent(RTFS_TYPE_DIRECTORY));
    EXPECT_FALSE(RTFsModeIsConsistent(RTFS_TYPE_FILE | RTFS_DOS_DIRECTORY));
    EXPECT_FALSE(RTFsModeIsConsistent(RTFS_TYPE_SYMLINK | RTFS_DOS_DIRECTORY));
    /* Normalising cannot repair a type that contradicts the directory attribute. */
    EXPECT_FALSE(RTFsModeIsConsistent(RTFsModeNormalize(RTFS_TYPE_FILE | RTFS_DOS_DIRECTORY | 0700, "x", 0, 0)));
}

} // namespace
