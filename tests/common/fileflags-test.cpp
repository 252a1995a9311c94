/** @file
 * Open-flag validation and the Windows open arguments each flag word turns
 * into; the file-system name table and size limits behind the disk-full
 * refinement.
 */
#include <gtest/gtest.h>
#include <rt/file.h>
#include <rt/err.h>
#include "internal/file.h"

namespace
{

TEST(FileFlags, RefusedWords)
{
    struct
    {
        uint64_t fOpen;
        const char *pszWhy;
    } const s_aCases[] = {
        {0, "no access at all"},
        {RTFILE_O_DENY_NONE | RTFILE_O_OPEN, "only deny and action"},
        {RTFILE_O_READ | UINT64_C(0x8), "bit 3"},
        {RTFILE_O_READ | UINT64_C(0x4000), "bit 14"},
        {RTFILE_O_READ | UINT64_C(0x80000000), "bit 31"},
        {RTFILE_O_READ | RTFILE_O_TRUNCATE | RTFILE_O_OPEN, "truncate without write"},
        {RTFILE_O_ACCESS_ATTR_READWRITE | RTFILE_O_TRUNCATE, "truncate with attribute access only"},
        {RTFILE_O_READ | UINT64_C(0x400), "action 0x400"},
        {RTFILE_O_READ | UINT64_C(0x500), "action 0x500"},
        {RTFILE_O_READ | UINT64_C(0x600), "action 0x600"},
        {RTFILE_O_READ | RTFILE_O_OPEN | RTFILE_O_NOT_CONTENT_INDEXED, "open existing and mark it"},
        {RTFILE_O_READ | RTFILE_O_NOT_CONTENT_INDEXED, "default action and mark it"},
    };
    for (const auto &c : s_aCases)
    {
        uint64_t fOpen = c.fOpen;
        EXPECT_EQ(ERR_INVALID_PARAMETER, RTFileValidateOpenFlags(&fOpen)) << c.pszWhy;
        EXPECT_EQ(c.fOpen, fOpen) << c.pszWhy << ": a refused word is left alone";
    }
}

TEST(FileFlags, NormalFormOfAcceptedWords)
{
    struct
    {
        uint64_t fIn;
        uint64_t fOut;
    } const s_aCases[] = {
        {RTFILE_O_READ, RTFILE_O_READ | RTFILE_O_OPEN | RTFILE_O_DENY_NONE},
        {RTFILE_O_ACCESS_ATTR_READ, RTFILE_O_ACCESS_ATTR_READ | RTFILE_O_OPEN | RTFILE_O_DENY_NONE},
        {RTFILE_O_WRITE | RTFILE_O_TRUNCATE, RTFILE_O_WRITE | RTFILE_O_TRUNCATE | RTFILE_O_OPEN | RTFILE_O_DENY_NONE},
        {RTFILE_O_WRITE | RTFILE_O_CREATE | RTFILE_O_NOT_CONTENT_INDEXED,
         RTFILE_O_WRITE | RTFILE_O_CREATE | RTFILE_O_NOT_CONTENT_INDEXED | RTFILE_O_DENY_NONE},
        /* A deny-not-delete alone keeps the deny field non-zero: no default is added. */
        {RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE, RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE | RTFILE_O_OPEN},
        /* The high half is dropped, the installer's words pass unchanged. */
        {UINT64_C(0xffff000100000721), UINT64_C(0x721)},
        {UINT64_C(0x1C000322), UINT64_C(0x1C000322)},
        {UINT64_C(0x1C000781), UINT64_C(0x1C000781)},
        /* Bit 29 has no meaning but is not refused. */
        {RTFILE_O_READ | UINT64_C(0x20000000),
         RTFILE_O_READ | UINT64_C(0x20000000) | RTFILE_O_OPEN | RTFILE_O_DENY_NONE},
    };
    for (const auto &c : s_aCases)
    {
        uint64_t fOpen = c.fIn;
        EXPECT_EQ(INF_SUCCESS, RTFileValidateOpenFlags(&fOpen)) << std::hex << c.fIn;
        EXPECT_EQ(c.fOut, fOpen) << std::hex << c.fIn;
    }
}

TEST(FileFlags, WindowsOpenArguments)
{
    struct
    {
        uint64_t fOpen; /* as given to the open call; normalised here first */
        uint32_t fAccess;
        uint32_t fShare;
        uint32_t uDisposition;
        uint32_t fFlagsAndAttribs;
        bool fInherit;
    } const s_aCases[] = {
        /* The installer's three words. */
        {UINT64_C(0x1C000322), 0x120116, 0x1, 2, 0x80, false},
        {UINT64_C(0x1C000781), 0x120089, 0x3, 3, 0x80, false},
        {UINT64_C(0x721), 0x120089, 0x1, 3, 0x80, false},
        /* Access. */
        {RTFILE_O_READWRITE, 0x12019F, 0x3, 3, 0x80, false},
        {RTFILE_O_WRITE | RTFILE_O_APPEND, 0x120114, 0x3, 3, 0x80, false},
        {RTFILE_O_READWRITE | RTFILE_O_APPEND, 0x12019D, 0x3, 3, 0x80, false},
        {RTFILE_O_ACCESS_ATTR_READ, 0x100080, 0x3, 3, 0x80, false},
        {RTFILE_O_ACCESS_ATTR_WRITE, 0x100100, 0x3, 3, 0x80, false},
        {RTFILE_O_READ | RTFILE_O_ACCESS_ATTR_WRITE, 0x120189, 0x3, 3, 0x80, false},
        {RTFILE_O_WRITE | RTFILE_O_NO_CACHE, 0x120112, 0x3, 3, 0x20000080, false},
        /* Actions. */
        {RTFILE_O_READ | RTFILE_O_OPEN_CREATE, 0x120089, 0x3, 4, 0x80, false},
        {RTFILE_O_READ | RTFILE_O_CREATE, 0x120089, 0x3, 1, 0x80, false},
        {RTFILE_O_WRITE | RTFILE_O_TRUNCATE, 0x40120116, 0x3, 5, 0x80, false},
        {RTFILE_O_WRITE | RTFILE_O_OPEN_CREATE | RTFILE_O_TRUNCATE, 0x120116, 0x3, 4, 0x80, false},
        /* Sharing. */
        {RTFILE_O_READ | RTFILE_O_DENY_READ, 0x120089, 0x2, 3, 0x80, false},
        {RTFILE_O_READ | RTFILE_O_DENY_READWRITE, 0x120089, 0x0, 3, 0x80, false},
        {RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE, 0x120089, 0x7, 3, 0x80, false},
        {RTFILE_O_READ | RTFILE_O_DENY_READ | RTFILE_O_DENY_NOT_DELETE, 0x120089, 0x6, 3, 0x80, false},
        {RTFILE_O_READ | RTFILE_O_DENY_WRITE | RTFILE_O_DENY_NOT_DELETE, 0x120089, 0x5, 3, 0x80, false},
        {RTFILE_O_READ | RTFILE_O_DENY_READWRITE | RTFILE_O_DENY_NOT_DELETE, 0x120089, 0x4, 3, 0x80, false},
        /* Handle and attribute flags. */
        {RTFILE_O_READ | RTFILE_O_INHERIT, 0x120089, 0x3, 3, 0x80, true},
        {RTFILE_O_READ | RTFILE_O_TEMPORARY, 0x120089, 0x3, 3, 0x100, false},
        {RTFILE_O_READ | RTFILE_O_WRITE_THROUGH | RTFILE_O_ASYNC_IO, 0x120089, 0x3, 3, 0xC0000080, false},
    };
    for (const auto &c : s_aCases)
    {
        uint64_t fOpen = c.fOpen;
        ASSERT_EQ(INF_SUCCESS, RTFileValidateOpenFlags(&fOpen)) << std::hex << c.fOpen;
        RTFILEWINOPEN Params;
        rtFileOpenFlagsToWin(fOpen, &Params);
        EXPECT_EQ(c.fAccess, Params.fAccess) << std::hex << c.fOpen;
        EXPECT_EQ(c.fShare, Params.fShare) << std::hex << c.fOpen;
        EXPECT_EQ(c.uDisposition, Params.uDisposition) << std::hex << c.fOpen;
        EXPECT_EQ(c.fFlagsAndAttribs, Params.fFlagsAndAttribs) << std::hex << c.fOpen;
        EXPECT_EQ(c.fInherit, Params.fInherit) << std::hex << c.fOpen;
    }
}

TEST(FileFsType, NamesMatchByExactLengthAndCase)
{
    struct
    {
        std::u16string strName;
        RTFSTYPE enmType;
    } const s_aCases[] = {
        {u"NTFS", RTFSTYPE_NTFS},
        {u"FAT", RTFSTYPE_FAT},
        {u"FAT32", RTFSTYPE_FAT},
        {u"exFAT", RTFSTYPE_EXFAT},
        {u"ReFS", RTFSTYPE_REFS},
        {u"UDF", RTFSTYPE_UDF},
        {u"CDFS", RTFSTYPE_CDFS},
        {u"HPFS", RTFSTYPE_HPFS},
        {u"TarnSharedFolderFS", RTFSTYPE_SHAREDFOLDER},
        {u"ntfs", RTFSTYPE_UNKNOWN},
        {u"EXFAT", RTFSTYPE_UNKNOWN},
        {u"FAT1", RTFSTYPE_UNKNOWN},
        {u"NTFSX", RTFSTYPE_UNKNOWN},
        {u"FA", RTFSTYPE_UNKNOWN},
        {u"", RTFSTYPE_UNKNOWN},
        {std::u16string(u"N\x0154"
                        u"FS"),
         RTFSTYPE_UNKNOWN}, /* 'T' with a high byte set */
    };
    for (const auto &c : s_aCases)
        EXPECT_EQ(c.enmType, rtFsTypeFromName((const RTUTF16 *)c.strName.data(), c.strName.size() * 2))
            << c.strName.size() << " units";

    /* The byte length decides, not a terminator: "FAT32" given as 3 units is "FAT". */
    EXPECT_EQ(RTFSTYPE_FAT, rtFsTypeFromName((const RTUTF16 *)u"FAT32", 6));
    /* An odd byte length matches nothing. */
    EXPECT_EQ(RTFSTYPE_UNKNOWN, rtFsTypeFromName((const RTUTF16 *)u"NTFS", 7));
}

TEST(FileFsType, LargestFileByType)
{
    EXPECT_EQ(UINT64_C(4294967296), rtFsTypeMaxFileSize(RTFSTYPE_FAT));
    EXPECT_EQ(UINT64_C(2147483648), rtFsTypeMaxFileSize(RTFSTYPE_HPFS));
    EXPECT_EQ(UINT64_C(8796093022208), rtFsTypeMaxFileSize(RTFSTYPE_CDFS));
    for (RTFSTYPE enmType : {RTFSTYPE_UNKNOWN, RTFSTYPE_NTFS, RTFSTYPE_EXFAT, RTFSTYPE_REFS, RTFSTYPE_UDF})
        EXPECT_EQ(0u, rtFsTypeMaxFileSize(enmType)) << enmType;
}

TEST(FileChunks, FirstPieceSize)
{
    struct
    {
        size_t cbTotal;
        size_t cbExpected;
    } const s_aReads[] = {
        {1, 256}, {2, 256}, {512, 256}, {513, 512}, {1000, 512}, {32769, 16640}, {32770, 16384}, {1000000, 16384},
    };
    for (const auto &c : s_aReads)
        EXPECT_EQ(c.cbExpected, rtFileFirstChunkSize(c.cbTotal, 32770, 16384)) << c.cbTotal;
    EXPECT_EQ(32768u, rtFileFirstChunkSize(65538, 65538, 32768));
    EXPECT_EQ(33024u, rtFileFirstChunkSize(65537, 65538, 32768));
}

} /* namespace */
