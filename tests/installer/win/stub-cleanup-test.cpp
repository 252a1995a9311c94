/** @file
 * The final clean-up against real files and directories: what it removes and
 * leaves, how it retries while another process holds a file, and what it
 * reports. The waits between passes are recorded instead of slept, except in
 * the one test that waits for real.
 */
#include "support/foreign-process.h"
#include "support/stub-scratch.h"
#include "TarnStubCleanup.h"
#include "TarnStubCleanup-win.h"
#include "TarnStubCmdLine.h"
#include "support/widen.h"
#include <rt/err.h>
#include <rt/string.h>

#include <functional>
#include <vector>

namespace
{

/** The sharing of a process that reads a file and lets nobody delete or rename it. */
const DWORD g_fShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;

class StubCleanupTest : public StubScratchTest
{
  protected:
    void SetUp() override
    {
        StubScratchTest::SetUp();
        s_pActive = this;
        g_StubSeamsCleanup.pfnRTThreadSleepMs = recordSleep;
    }
    void TearDown() override
    {
        m_Holder.release();
        s_pActive = NULL;
        StubScratchTest::TearDown();
    }

    /** A file record for @a strPath holding it as the extraction does (others may only read). */
    CleanupRecord *addHeldFile(const std::string &strPath, int32_t idxPackage)
    {
        CleanupRecord *pRecord = AddCleanupRecord(strPath.c_str(), true);
        EXPECT_TRUE(pRecord != NULL);
        if (!pRecord)
            return NULL;
        pRecord->idxPackage = idxPackage;
        EXPECT_EQ(INF_SUCCESS, RTFileOpen(&pRecord->u.hFile, strPath.c_str(), UINT64_C(0x721)));
        return pRecord;
    }

    /** A directory record for @a strPath holding it open. */
    CleanupRecord *addHeldDir(const std::string &strPath, bool fDontDelete = false)
    {
        CleanupRecord *pRecord = AddCleanupRecord(strPath.c_str(), false);
        EXPECT_TRUE(pRecord != NULL);
        if (!pRecord)
            return NULL;
        pRecord->fDontDelete = fDontDelete;
        EXPECT_EQ(INF_SUCCESS, RTDirOpen(&pRecord->u.hDir, strPath.c_str()));
        return pRecord;
    }

    /** The extraction directory "x" with two package files, recorded in the order extraction records them. */
    void extractTwoPackages()
    {
        addHeldDir(makeDir("x"));
        addHeldFile(makeFile("x\\a.msi"), 0);
        addHeldFile(makeFile("x\\b.cab"), 1);
    }

    static bool isListEmpty() { return g_CleanupRecords.pNext == &g_CleanupRecords; }

    static int recordSleep(RTMSINTERVAL cMillies)
    {
        s_pActive->m_acMsWaits.push_back(cMillies);
        if (s_pActive->m_pfnOnSleep)
            s_pActive->m_pfnOnSleep(s_pActive->m_acMsWaits.size());
        return INF_SUCCESS;
    }

    static StubCleanupTest *s_pActive;
    /** The waits between passes, in order. */
    std::vector<RTMSINTERVAL> m_acMsWaits;
    /** Called at each wait with the number of waits so far. */
    std::function<void(size_t)> m_pfnOnSleep;
    tst::ForeignFileHolder m_Holder;
};

StubCleanupTest *StubCleanupTest::s_pActive = NULL;

const std::vector<RTMSINTERVAL> g_acMsNoWait = {};
const std::vector<RTMSINTERVAL> g_acMsAllWaits = {100, 3000, 3000, 3000};

TEST_F(StubCleanupTest, NormalRunRemovesEverythingWithoutWaiting)
{
    extractTwoPackages();
    CleanUpRecords(path("x").c_str());

    EXPECT_FALSE(exists(path("x")));
    EXPECT_TRUE(isListEmpty());
    EXPECT_EQ(g_acMsNoWait, m_acMsWaits);
    EXPECT_EQ("", boxes() + m_strStdErr + m_strStdOut);
}

TEST_F(StubCleanupTest, FinalDirectoryWithoutRecordIsRemovedToo)
{
    addHeldFile(makeFile("a.msi"), 0);
    makeDir("unrecorded");
    CleanUpRecords(path("unrecorded").c_str());
    EXPECT_FALSE(exists(path("a.msi")));
    EXPECT_FALSE(exists(path("unrecorded")));
    EXPECT_EQ(g_acMsNoWait, m_acMsWaits);

    /* Already gone: counts as removed. */
    CleanUpRecords(path("unrecorded").c_str());
    EXPECT_EQ(g_acMsNoWait, m_acMsWaits);
    EXPECT_EQ("", boxes() + m_strStdErr);
}

TEST_F(StubCleanupTest, VanishedFileCountsAsDeleted)
{
    addHeldDir(makeDir("x"));
    AddCleanupRecord(path("x\\gone.msi").c_str(), true)->idxPackage = 0;
    AddCleanupRecord(path("nodir\\gone.msi").c_str(), true)->idxPackage = 1;
    CleanUpRecords(NULL);
    EXPECT_FALSE(exists(path("x")));
    EXPECT_TRUE(isListEmpty());
    EXPECT_EQ(g_acMsNoWait, m_acMsWaits);
    EXPECT_EQ("", boxes() + m_strStdErr);
}

TEST_F(StubCleanupTest, DirectoryThatExistedBeforeIsClosedButStays)
{
    makeFile("foreign.txt", "not ours");
    addHeldDir(m_strRoot, true /*fDontDelete*/);
    addHeldFile(makeFile("a.msi"), 0);
    CleanUpRecords(NULL);

    EXPECT_FALSE(exists(path("a.msi")));
    EXPECT_TRUE(exists(path("foreign.txt")));
    EXPECT_TRUE(isListEmpty());
    EXPECT_EQ(g_acMsNoWait, m_acMsWaits);
    /* Its handle is closed: the directory can be renamed again. */
    std::string strRenamed = m_strRoot + "-renamed";
    ASSERT_TRUE(MoveFileW(tst::widen(m_strRoot).c_str(), tst::widen(strRenamed).c_str())) << GetLastError();
    MoveFileW(tst::widen(strRenamed).c_str(), tst::widen(m_strRoot).c_str());
}

TEST_F(StubCleanupTest, FileHeldElsewhereIsDeletedOnceReleased)
{
    extractTwoPackages();
    ASSERT_TRUE(m_Holder.hold(path("x\\a.msi"), g_fShareNoDelete));
    /* Let go during the second wait: the third pass deletes it and the clean-up ends at once. */
    m_pfnOnSleep = [this](size_t cWaits)
    {
        if (cWaits == 2)
            m_Holder.release();
    };
    CleanUpRecords(path("x").c_str());

    EXPECT_EQ(std::vector<RTMSINTERVAL>({100, 3000}), m_acMsWaits);
    EXPECT_FALSE(exists(path("x")));
    EXPECT_TRUE(isListEmpty());
    EXPECT_EQ("", boxes() + m_strStdErr);
}

TEST_F(StubCleanupTest, FileHeldToTheEndIsReportedOnceInTheLastPass)
{
    extractTwoPackages();
    ASSERT_TRUE(m_Holder.hold(path("x\\a.msi"), g_fShareNoDelete));
    CleanUpRecords(path("x").c_str());

    EXPECT_EQ(g_acMsAllWaits, m_acMsWaits);
    EXPECT_EQ("W|0x10|Tarnvale Installer|Failed to delete temporary file '" + path("x\\a.msi") +
                  "': ERR_SHARING_VIOLATION\n",
              boxes());
    EXPECT_EQ("", m_strStdErr); /* nothing about the directory that could not go */
    EXPECT_TRUE(exists(path("x\\a.msi")));
    EXPECT_FALSE(exists(path("x\\b.cab")));

    /* The file's record stays for the release; the directory's was given up. */
    CleanupRecord *pRecord = FindCleanupRecordOfPackage(0);
    ASSERT_TRUE(pRecord != NULL);
    EXPECT_EQ(NIL_RTFILE, pRecord->u.hFile);
    EXPECT_EQ(&pRecord->ListEntry, g_CleanupRecords.pNext);
    EXPECT_EQ(&pRecord->ListEntry, g_CleanupRecords.pPrev);
}

TEST_F(StubCleanupTest, SilentRunReportsOnStandardError)
{
    g_fSilent = true;
    addHeldFile(makeFile("a.msi"), 0);
    ASSERT_TRUE(m_Holder.hold(path("a.msi"), g_fShareNoDelete));
    CleanUpRecords(NULL);
    EXPECT_EQ(g_acMsAllWaits, m_acMsWaits);
    EXPECT_EQ("", boxes());
    EXPECT_EQ("setup.exe: error: Failed to delete temporary file '" + path("a.msi") + "': ERR_SHARING_VIOLATION\n",
              m_strStdErr);
}

TEST_F(StubCleanupTest, DirectoryHeldToTheEndIsReported)
{
    RTDIR hForeign = NIL_RTDIR;
    addHeldDir(makeDir("x"));
    ASSERT_EQ(INF_SUCCESS, RTDirOpen(&hForeign, path("x").c_str())); /* a holder the clean-up knows nothing of */
    CleanUpRecords(path("x").c_str());
    RTDirClose(hForeign);

    EXPECT_EQ(g_acMsAllWaits, m_acMsWaits);
    EXPECT_EQ("W|0x10|Tarnvale Installer|Failed to delete temporary directory '" + path("x") +
                  "': ERR_SHARING_VIOLATION\n",
              boxes()); /* once: the final removal's failure is not reported */
    EXPECT_TRUE(exists(path("x")));
}

TEST_F(StubCleanupTest, DirectoryWithUnrecordedContentIsGivenUpSilently)
{
    extractTwoPackages();
    makeFile("x\\TarnInstallLog.txt", "log");
    CleanUpRecords(path("x").c_str());

    EXPECT_EQ(g_acMsAllWaits, m_acMsWaits);
    EXPECT_FALSE(exists(path("x\\a.msi")));
    EXPECT_FALSE(exists(path("x\\b.cab")));
    EXPECT_TRUE(exists(path("x\\TarnInstallLog.txt")));
    EXPECT_TRUE(isListEmpty());
    EXPECT_EQ("", boxes() + m_strStdErr);
}

TEST_F(StubCleanupTest, FinalDirectoryIsRetriedUntilItGoes)
{
    makeDir("x");
    makeFile("x\\late.txt");
    m_pfnOnSleep = [this](size_t cWaits)
    {
        if (cWaits == 3)
            DeleteFileW(tst::widen(path("x\\late.txt")).c_str());
    };
    CleanUpRecords(path("x").c_str());
    EXPECT_EQ(std::vector<RTMSINTERVAL>({100, 3000, 3000}), m_acMsWaits);
    EXPECT_FALSE(exists(path("x")));
    EXPECT_EQ("", boxes() + m_strStdErr);
}

/** Closes for real, then claims a failure. */
int failingFileClose(RTFILE hFile)
{
    RTFileClose(hFile);
    return ERR_WRITE_ERROR;
}

int failingDirClose(RTDIR hDir)
{
    RTDirClose(hDir);
    return ERR_INVALID_HANDLE;
}

TEST_F(StubCleanupTest, CloseFailuresArePrintedAndTheCleanUpGoesOn)
{
    g_StubSeamsCleanup.pfnRTFileClose = failingFileClose;
    g_StubSeamsCleanup.pfnRTDirClose = failingDirClose;
    CleanupRecord *pDir = addHeldDir(makeDir("x"));
    CleanupRecord *pFile = addHeldFile(makeFile("x\\a.msi"), 3);
    char szExpected[1024];
    RTStrBufPrintf(szExpected, sizeof(szExpected),
                   "error: Cleanup file '%s' for #3: RTFileClose(%p) failed: ERR_WRITE_ERROR\n"
                   "error: Cleanup dir '%s' for #4294967295: RTDirClose(%p) failed: ERR_INVALID_HANDLE\n",
                   path("x\\a.msi").c_str(), pFile->u.hFile, path("x").c_str(), pDir->u.hDir);
    CleanUpRecords(NULL);

    EXPECT_EQ(szExpected, m_strStdErr);
    EXPECT_EQ("", boxes());
    EXPECT_FALSE(exists(path("x")));
    EXPECT_EQ(g_acMsNoWait, m_acMsWaits);
}

TEST_F(StubCleanupTest, FileHandleThatIsNoLongerValidIsNotClosedAgain)
{
    g_StubSeamsCleanup.pfnRTFileClose = failingFileClose;
    CleanupRecord *pFile = addHeldFile(makeFile("a.msi"), 0);
    RTFileClose(pFile->u.hFile);
    CleanUpRecords(NULL);
    EXPECT_EQ("", m_strStdErr); /* the failing close was never called */
    EXPECT_FALSE(exists(path("a.msi")));
    EXPECT_TRUE(isListEmpty());
}

TEST_F(StubCleanupTest, ReleaseLeavesHandlesAndFilesAlone)
{
    CleanupRecord *pRecord = addHeldFile(makeFile("a.msi"), 0);
    RTFILE hFile = pRecord->u.hFile;
    ReleaseCleanupRecords();
    EXPECT_TRUE(isListEmpty());
    EXPECT_TRUE(exists(path("a.msi")));
    /* Still open and still denying deletion until its owner closes it. */
    EXPECT_TRUE(RTFileIsValid(hFile));
    EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileDelete(path("a.msi").c_str()));
    EXPECT_EQ(INF_SUCCESS, RTFileClose(hFile));
}

/** The one test that waits for real: the holder lets go after a second, so the third pass deletes the file. */
TEST_F(StubCleanupTest, RealWaitOutlastsABriefHolder)
{
    g_StubSeamsCleanup.pfnRTThreadSleepMs = NULL;
    extractTwoPackages();
    ASSERT_TRUE(m_Holder.hold(path("x\\a.msi"), g_fShareNoDelete, 1000));
    DWORD const uStart = GetTickCount();
    CleanUpRecords(path("x").c_str());
    DWORD const cMsElapsed = GetTickCount() - uStart;

    EXPECT_FALSE(exists(path("x")));
    EXPECT_EQ("", boxes() + m_strStdErr);
    /* Passes 0 and 1 met the holder; the third came after 100 + 3000 ms (less the tick granularity). */
    EXPECT_GE(cMsElapsed, 3050u);
}

} // namespace
