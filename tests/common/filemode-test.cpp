/** @file
 * File modes built from Windows attributes: type, permissions, executables by
 * name, symbolic links and the read-only rule.
 */
#include <gtest/gtest.h>
#include <rt/file.h>

namespace
{

TEST(FileMode, FromWindowsAttributes)
{
    struct
    {
        uint32_t fAttribs; /* FILE_ATTRIBUTE_* (unshifted) */
        const char *pszName;
        size_t cbName;
        uint32_t uReparseTag;
        RTFMODE fType;
        RTFMODE fExpected;
    } const s_aCases[] = {
        {0x80, NULL, 0, 0, 0, 0x800000 | RTFS_TYPE_FILE | 0666},
        {0x01, NULL, 0, 0, 0, 0x010000 | RTFS_TYPE_FILE | 0444},
        {0x10, NULL, 0, 0, 0, 0x100000 | RTFS_TYPE_DIRECTORY | 0777},
        /* A read-only directory stays writable. */
        {0x11, NULL, 0, 0, 0, 0x110000 | RTFS_TYPE_DIRECTORY | 0777},
        /* The type hint makes a directory of attributes that do not say so. */
        {0x00, NULL, 0, 0, RTFS_TYPE_DIRECTORY, 0x100000 | RTFS_TYPE_DIRECTORY | 0777},
        {0x01, NULL, 0, 0, RTFS_TYPE_DIRECTORY, 0x110000 | RTFS_TYPE_DIRECTORY | 0777},
        /* A file hint is no hint. */
        {0x00, NULL, 0, 0, RTFS_TYPE_FILE, RTFS_TYPE_FILE | 0666},
        /* Executables by name, in any case; only the last four characters count. */
        {0x20, "setup.exe", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0777},
        {0x20, "RUN.BAT", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0777},
        {0x20, "x.Com", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0777},
        {0x20, "a.cmd", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0777},
        {0x20, ".btm", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0777},
        {0x21, "tool.exe", 0, 0, 0, 0x210000 | RTFS_TYPE_FILE | 0555},
        {0x20, "exe", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0666},
        {0x20, "setup.exe.txt", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0666},
        {0x20, "setupexe", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0666},
        {0x20, "setup.msi", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0666},
        {0x20, "setup.ex", 0, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0666},
        /* An explicit length counts from the start: "a.exe" cut to "a.ex". */
        {0x20, "a.exe", 4, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0666},
        {0x20, "a.exe.txt", 5, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0777},
        /* A length past the terminator stops at the terminator. */
        {0x20, "a.cmd", 40, 0, 0, 0x200000 | RTFS_TYPE_FILE | 0777},
        /* A directory named like a program is still 0555 + write. */
        {0x10, "dir.exe", 0, 0, 0, 0x100000 | RTFS_TYPE_DIRECTORY | 0777},
        /* Symbolic links need both the reparse attribute and the link tag. */
        {0x400, NULL, 0, RTFS_REPARSE_TAG_SYMLINK, 0, 0x4000000 | RTFS_TYPE_SYMLINK | 0666},
        {0x410, NULL, 0, RTFS_REPARSE_TAG_SYMLINK, 0, 0x4100000 | RTFS_TYPE_SYMLINK | 0777},
        {0x401, NULL, 0, RTFS_REPARSE_TAG_SYMLINK, 0, 0x4010000 | RTFS_TYPE_SYMLINK | 0444},
        {0x400, NULL, 0, 0xA0000003 /* mount point */, 0, 0x4000000 | RTFS_TYPE_FILE | 0666},
        {0x000, NULL, 0, RTFS_REPARSE_TAG_SYMLINK, 0, RTFS_TYPE_FILE | 0666},
        /* Device attribute, as a console handle reports it. */
        {0x40, NULL, 0, 0, 0, 0x4081B6},
    };
    for (const auto &c : s_aCases)
        EXPECT_EQ(c.fExpected,
                  RTFsModeFromWinAttr(c.fAttribs << RTFS_DOS_SHIFT, c.pszName, c.cbName, c.uReparseTag, c.fType))
            << std::hex << "attributes 0x" << c.fAttribs << " name " << (c.pszName ? c.pszName : "(null)");
}

TEST(FileMode, OnlyTheAttributeHalfOfTheInputCounts)
{
    /* Type and permission bits handed in are replaced, not merged. */
    EXPECT_EQ(RTFS_TYPE_FILE | 0666u, RTFsModeFromWinAttr(RTFS_TYPE_DIRECTORY | 0777, NULL, 0, 0, 0));
    EXPECT_EQ(RTFS_DOS_READONLY | RTFS_TYPE_FILE | 0444u,
              RTFsModeFromWinAttr(RTFS_DOS_READONLY | RTFS_TYPE_SYMLINK | 0222, "x.txt", 0, 0, 0));
}

} /* namespace */
