/** @file
 * The list of cleanup records: what a new record holds, the order of the
 * list, finding the file of a package, running out of memory, and the release.
 */
#include "support/stub-capture.h"
#include "TarnStubCleanup.h"
#include "internal/mem.h"

#include <string>
#include <vector>

namespace
{

/* Records are zero-filled blocks; the message shown about a missing one needs plain allocations, which go on
   working. */
#ifdef RT_OS_WINDOWS
LPVOID WINAPI failZeroFilled(HANDLE hHeap, DWORD fFlags, SIZE_T cb)
{
    return fFlags & HEAP_ZERO_MEMORY ? NULL : HeapAlloc(hHeap, fFlags, cb);
}

void failZeroFilledAllocations(void)
{
    g_rtSeamsMem.pfnHeapAlloc = failZeroFilled;
}
#else
void *failZeroFilled(size_t, size_t) noexcept
{
    return NULL;
}

void failZeroFilledAllocations(void)
{
    g_rtSeamsMem.pfncalloc = failZeroFilled;
}
#endif

class StubCleanupListTest : public StubCaptureTest
{
  protected:
    void SetUp() override
    {
        StubCaptureTest::SetUp();
        InitCleanupRecords();
    }
    void TearDown() override
    {
        ReleaseCleanupRecords();
        StubCaptureTest::TearDown();
    }

    /** The paths of the list from the front, checking the backward links on the way. */
    static std::vector<std::string> pathsFromFront()
    {
        std::vector<std::string> astr;
        const CleanupListEntry *pPrev = &g_CleanupRecords;
        for (const CleanupListEntry *pEntry = g_CleanupRecords.pNext; pEntry != &g_CleanupRecords;
             pEntry = pEntry->pNext)
        {
            EXPECT_EQ(pPrev, pEntry->pPrev);
            astr.push_back(reinterpret_cast<const CleanupRecord *>(pEntry)->szPath);
            pPrev = pEntry;
        }
        EXPECT_EQ(pPrev, g_CleanupRecords.pPrev);
        return astr;
    }
};

TEST_F(StubCleanupListTest, NewRecordsHaveNoHandleAndGoToTheFront)
{
    std::string strPath = "C:\\Temp\\abc";
    CleanupRecord *pDir = AddCleanupRecord(strPath.c_str(), false);
    ASSERT_TRUE(pDir != NULL);
    EXPECT_FALSE(pDir->fFile);
    EXPECT_FALSE(pDir->fDontDelete);
    EXPECT_EQ(-1, pDir->idxPackage);
    EXPECT_EQ(NIL_RTDIR, pDir->u.hDir);
    strPath[0] = 'D'; /* the record has its own copy */
    EXPECT_STREQ("C:\\Temp\\abc", pDir->szPath);

    CleanupRecord *pFile = AddCleanupRecord("C:\\Temp\\abc\\\xc3\x9c"
                                            "berall.msi",
                                            true);
    ASSERT_TRUE(pFile != NULL);
    EXPECT_TRUE(pFile->fFile);
    EXPECT_FALSE(pFile->fDontDelete);
    EXPECT_EQ(-1, pFile->idxPackage);
    EXPECT_EQ(NIL_RTFILE, pFile->u.hFile);

    CleanupRecord *pEmpty = AddCleanupRecord("", true);
    ASSERT_TRUE(pEmpty != NULL);
    EXPECT_EQ(std::vector<std::string>({"",
                                        "C:\\Temp\\abc\\\xc3\x9c"
                                        "berall.msi",
                                        "C:\\Temp\\abc"}),
              pathsFromFront());
    EXPECT_EQ("", boxes() + m_strStdErr);
}

TEST_F(StubCleanupListTest, PackageRecordIsTheNewestWithItsNumber)
{
    EXPECT_TRUE(FindCleanupRecordOfPackage(0) == NULL);
    AddCleanupRecord("dir", false);
    CleanupRecord *pOld0 = AddCleanupRecord("old0", true);
    pOld0->idxPackage = 0;
    CleanupRecord *p2 = AddCleanupRecord("two", true);
    p2->idxPackage = 2;
    AddCleanupRecord(".custom", false);
    EXPECT_EQ(pOld0, FindCleanupRecordOfPackage(0));
    EXPECT_EQ(p2, FindCleanupRecordOfPackage(2));
    EXPECT_TRUE(FindCleanupRecordOfPackage(1) == NULL);
    EXPECT_TRUE(FindCleanupRecordOfPackage(UINT32_MAX) == NULL); /* not the records without a package */

    CleanupRecord *pNew0 = AddCleanupRecord("new0", true);
    pNew0->idxPackage = 0;
    EXPECT_EQ(pNew0, FindCleanupRecordOfPackage(0));
}

TEST_F(StubCleanupListTest, DropUnlinksOneRecord)
{
    CleanupRecord *pA = AddCleanupRecord("a", true);
    CleanupRecord *pB = AddCleanupRecord("b", true);
    AddCleanupRecord("c", true);
    DropCleanupRecord(pB);
    EXPECT_EQ(std::vector<std::string>({"c", "a"}), pathsFromFront());
    DropCleanupRecord(pA);
    EXPECT_EQ(std::vector<std::string>({"c"}), pathsFromFront());
}

TEST_F(StubCleanupListTest, OutOfMemoryIsShownAndLeavesTheListAlone)
{
    AddCleanupRecord("a", true);
    failZeroFilledAllocations();
    EXPECT_TRUE(AddCleanupRecord("b", true) == NULL);
    g_rtSeamsMem = RTSEAMSMEM();
    EXPECT_EQ("W|0x10|Tarnvale Installer|Out of memory!\n", boxes());
    EXPECT_EQ(std::vector<std::string>({"a"}), pathsFromFront());
}

TEST_F(StubCleanupListTest, ReleaseEmptiesTheList)
{
    ReleaseCleanupRecords(); /* an empty list is fine */
    for (const char *psz : {"a", "b", "c"})
        AddCleanupRecord(psz, true);
    ReleaseCleanupRecords();
    EXPECT_EQ(std::vector<std::string>(), pathsFromFront());
    EXPECT_EQ(&g_CleanupRecords, g_CleanupRecords.pNext);
    EXPECT_EQ(&g_CleanupRecords, g_CleanupRecords.pPrev);

    AddCleanupRecord("again", false);
    EXPECT_EQ(std::vector<std::string>({"again"}), pathsFromFront());
}

} // namespace
