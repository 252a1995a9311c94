/** @file
 * Package extraction against the real resources of this test program
 * (make-extract-fixture.py: four packages, one of them over 50 MB, plus a
 * header whose payload is missing): the files written, the records and
 * handles left behind, the locks other processes meet, and every message of
 * a failing step. Failures that the sharing modes rule out for real (a file
 * changed or replaced between writing and reading back) and failures of
 * single file calls come through the extraction's seams.
 */
#include "support/foreign-process.h"
#include "support/scratch-tree.h"
#include "support/stub-scratch.h"
#include "support/widen.h"
#include "TarnStubExtract.h"
#include "TarnStubPackage.h"
#include "TarnStubCmdLine.h"
#include "internal/mem.h"
#include <rt/err.h>
#include <rt/string.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace
{

/** The packages of the fixture. */
struct FixturePackage
{
    uint32_t idx;
    uint32_t uArch;
    const char *pszFileName;
    uint32_t cb;
    uint32_t uSeed;
};

const FixturePackage g_aPackages[] = {
    {0, PACKAGE_ARCH_ALL, "common.cab", 1000, 1},
    {1, PACKAGE_ARCH_AMD64, "Product_x64.msi", 50 * 1024 * 1024 + 4321, 2},
    {2, PACKAGE_ARCH_ARM64,
     "\xc3\x9c"
     "berall_arm64.msi",
     65536, 3},
    {3, PACKAGE_ARCH_X86, "Product_x86.msi", 65537, 4},
};
/** The manifest's count; header 4 names a payload that does not exist, header 5 a file of 223 bytes, header 6
 * is missing. */
const uint32_t g_cPackages = 4;

/** The fixture's payload bytes, computed independently of the resources (see make-extract-fixture.py). */
std::vector<uint8_t> expectedPayload(uint32_t cb, uint32_t uSeed)
{
    std::vector<uint8_t> ab(cb);
    for (uint32_t off = 0; off < cb; off++)
    {
        uint32_t const k = off / 65536, j = off % 65536;
        ab[off] = j < 4 ? (uint8_t)((k ^ (uSeed << 24)) >> (8 * j)) : (uint8_t)(j * 7 + uSeed + k * 13);
    }
    return ab;
}

std::vector<uint8_t> expectedPayload(const FixturePackage &Pkg)
{
    return expectedPayload(Pkg.cb, Pkg.uSeed);
}

/** Everything in the file, read the way others may while the installer holds it. */
std::vector<uint8_t> readWhole(const std::string &strPath)
{
    std::vector<uint8_t> ab;
    RTFILE hFile = NIL_RTFILE;
    if (RT_FAILURE(RTFileOpen(&hFile, strPath.c_str(), RTFILE_O_READ | RTFILE_O_OPEN | RTFILE_O_DENY_NONE)))
        return ab;
    uint64_t cbFile = 0;
    EXPECT_EQ(INF_SUCCESS, RTFileQuerySize(hFile, &cbFile));
    ab.resize((size_t)cbFile);
    EXPECT_EQ(INF_SUCCESS, RTFileRead(hFile, ab.data(), ab.size(), NULL));
    RTFileClose(hFile);
    return ab;
}

/** What a held package must refuse and allow, checked from whichever process runs it. */
void checkHeldPackage(const std::string &strPath, const std::vector<uint8_t> &abExpected)
{
    for (uint64_t fOpen : {STUB_EXTRACT_OPEN_WRITE, RTFILE_O_WRITE | RTFILE_O_OPEN | RTFILE_O_DENY_NONE,
                           RTFILE_O_READWRITE | RTFILE_O_OPEN_CREATE | RTFILE_O_TRUNCATE | RTFILE_O_DENY_NONE})
    {
        RTFILE hFile = NIL_RTFILE;
        EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileOpen(&hFile, strPath.c_str(), fOpen)) << std::hex << fOpen;
        RTFileClose(hFile);
    }
    EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileDelete(strPath.c_str()));
    std::string strOther = strPath + ".other";
    EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileRename(strPath.c_str(), strOther.c_str(), 0));

    /* Nor can another file take its name. */
    RTFILE hOther = NIL_RTFILE;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&hOther, strOther.c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE));
    RTFileClose(hOther);
    EXPECT_TRUE(RT_FAILURE(RTFileRename(strOther.c_str(), strPath.c_str(), RTFILE_RENAME_REPLACE)));
    RTFileDelete(strOther.c_str());

    EXPECT_TRUE(abExpected == readWhole(strPath)) << strPath;
}

const wchar_t g_wszEnvProbePath[] = L"TARN_PROBE_PATH";
const wchar_t g_wszEnvProbeIdx[] = L"TARN_PROBE_PACKAGE";

/** The records from the front of the list. */
std::vector<CleanupRecord *> listedRecords(void)
{
    std::vector<CleanupRecord *> apRecords;
    for (CleanupListEntry *pEntry = g_CleanupRecords.pNext; pEntry != &g_CleanupRecords; pEntry = pEntry->pNext)
        apRecords.push_back(reinterpret_cast<CleanupRecord *>(pEntry));
    return apRecords;
}

class StubExtractTest : public StubScratchTest
{
  protected:
    /** Extraction into @a strDir with the host architecture @a uHostArch. */
    int extract(const std::string &strDir, bool fExtractAll, uint32_t uHostArch = PACKAGE_ARCH_AMD64,
                uint32_t cPackages = g_cPackages)
    {
        return ExtractPackages(cPackages, strDir.c_str(), fExtractAll, uHostArch, &m_pDirRecord);
    }

    /** The package files in @a strDir, by name, with the packages each should be. */
    void expectPackagesIn(const std::string &strDir, const std::vector<uint32_t> &aidxExpected)
    {
        for (const FixturePackage &Pkg : g_aPackages)
        {
            std::string strPath = strDir + "\\" + Pkg.pszFileName;
            bool const fExpected = std::find(aidxExpected.begin(), aidxExpected.end(), Pkg.idx) != aidxExpected.end();
            EXPECT_EQ(fExpected, exists(strPath)) << strPath;
            if (fExpected)
            {
                EXPECT_TRUE(expectedPayload(Pkg) == readFile(strPath)) << strPath;
            }
        }
    }

    CleanupRecord *m_pDirRecord = NULL;
};

TEST_F(StubExtractTest, EveryPackageIsWrittenByteExactAndHeld)
{
    std::string strOut = path("out");
    ASSERT_EQ(STUB_EXIT_SUCCESS, extract(strOut, true /*fExtractAll*/));
    EXPECT_EQ("", boxes() + m_strStdErr + m_strStdOut);
    expectPackagesIn(strOut, {0, 1, 2, 3});

    /* The directory it created: recorded for removal, held open, made current. */
    ASSERT_TRUE(m_pDirRecord != NULL);
    EXPECT_FALSE(m_pDirRecord->fFile);
    EXPECT_FALSE(m_pDirRecord->fDontDelete);
    EXPECT_STREQ(strOut.c_str(), m_pDirRecord->szPath);
    EXPECT_TRUE(RTDirIsValid(m_pDirRecord->u.hDir));
    EXPECT_EQ(ERR_SHARING_VIOLATION, RTDirRemove(strOut.c_str()));
    wchar_t wszCurrent[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, wszCurrent);
    EXPECT_EQ(tst::widen(strOut), wszCurrent);

    /* One record per package, newest first, each holding its file. */
    std::vector<CleanupRecord *> apRecords = listedRecords();
    ASSERT_EQ(5u, apRecords.size());
    EXPECT_EQ(m_pDirRecord, apRecords[4]);
    for (const FixturePackage &Pkg : g_aPackages)
    {
        CleanupRecord *pRecord = apRecords[3 - Pkg.idx];
        std::string strPath = strOut + "\\" + Pkg.pszFileName;
        EXPECT_EQ(pRecord, FindCleanupRecordOfPackage(Pkg.idx));
        EXPECT_TRUE(pRecord->fFile);
        EXPECT_FALSE(pRecord->fDontDelete);
        EXPECT_STREQ(strPath.c_str(), pRecord->szPath);
        EXPECT_TRUE(RTFileIsValid(pRecord->u.hFile));
        checkHeldPackage(strPath, expectedPayload(Pkg));
    }
    /* The same from another process, for the big package and the one with a non-ASCII name. */
    for (uint32_t idx : {1u, 2u})
        EXPECT_TRUE(tst::runTestInChild("StubExtractTest.DISABLED_ProbeHeldPackage",
                                        {{g_wszEnvProbePath, tst::widen(strOut + "\\" + g_aPackages[idx].pszFileName)},
                                         {g_wszEnvProbeIdx, std::to_wstring(idx)}}));

    /* And the clean-up takes it all away again. */
    SetCurrentDirectoryW(tst::widen(m_strRoot).c_str());
    CleanUpRecords(strOut.c_str());
    EXPECT_FALSE(exists(strOut));
    EXPECT_EQ(&g_CleanupRecords, g_CleanupRecords.pNext);
}

/** Run only by EveryPackageIsWrittenByteExactAndHeld, in a process of its own. */
TEST_F(StubExtractTest, DISABLED_ProbeHeldPackage)
{
    wchar_t wszPath[1024], wszIdx[16];
    ASSERT_NE(0u, GetEnvironmentVariableW(g_wszEnvProbePath, wszPath, 1024));
    ASSERT_NE(0u, GetEnvironmentVariableW(g_wszEnvProbeIdx, wszIdx, 16));
    checkHeldPackage(tst::narrow(wszPath), expectedPayload(g_aPackages[std::stoul(wszIdx)]));
    tst::reportChildPassed();
}

struct HostCase
{
    uint32_t uHostArch;
    std::vector<uint32_t> aidxWritten;
};

TEST_F(StubExtractTest, WithoutExtractAllOnlyThePackagesOfTheHost)
{
    static const HostCase s_aCases[] = {
        {PACKAGE_ARCH_AMD64, {0, 1}},
        {PACKAGE_ARCH_ARM64, {0, 2}},
        {PACKAGE_ARCH_X86, {0, 3}},
    };
    for (const HostCase &Case : s_aCases)
    {
        SCOPED_TRACE(Case.uHostArch);
        std::string strOut = path("host" + std::to_string(Case.uHostArch));
        m_pDirRecord = NULL;
        ASSERT_EQ(STUB_EXIT_SUCCESS, extract(strOut, false /*fExtractAll*/, Case.uHostArch));
        expectPackagesIn(strOut, Case.aidxWritten);
        EXPECT_EQ(Case.aidxWritten.size() + 1, listedRecords().size());
        forgetCleanupRecords();
    }
    EXPECT_EQ("", boxes() + m_strStdErr);
}

TEST_F(StubExtractTest, ExistingDirectoryIsKeptAndItsFileReplaced)
{
    makeFile("common.cab", std::string(5000, 'o')); /* longer than the payload */
    ASSERT_EQ(STUB_EXIT_SUCCESS, extract(m_strRoot, false, PACKAGE_ARCH_ARM64));
    expectPackagesIn(m_strRoot, {0, 2});
    ASSERT_TRUE(m_pDirRecord != NULL);
    EXPECT_TRUE(m_pDirRecord->fDontDelete);
    EXPECT_TRUE(RTDirIsValid(m_pDirRecord->u.hDir));

    /* The run's own record for a directory it created is used as it is. */
    std::string strOut = makeDir("made-by-the-run");
    CleanupRecord *pRunRecord = AddCleanupRecord(strOut.c_str(), false);
    m_pDirRecord = pRunRecord;
    ASSERT_EQ(STUB_EXIT_SUCCESS, extract(strOut, false, PACKAGE_ARCH_X86));
    EXPECT_EQ(pRunRecord, m_pDirRecord);
    EXPECT_FALSE(pRunRecord->fDontDelete);
    EXPECT_TRUE(RTDirIsValid(pRunRecord->u.hDir));
    expectPackagesIn(strOut, {0, 3});
    EXPECT_EQ("", boxes() + m_strStdErr);
}

TEST_F(StubExtractTest, TargetHeldElsewhereWithoutReadSharingEndsTheExtraction)
{
    std::string strTarget = makeFile("common.cab", "someone else's");
    tst::ForeignFileHolder Holder;
    ASSERT_TRUE(Holder.hold(strTarget, 0 /* no sharing at all */));
    EXPECT_EQ(STUB_EXIT_FAILURE, extract(m_strRoot, true));
    Holder.release();

    EXPECT_EQ("W|0x10|Tarnvale Installer|Error extracting package #0 (common.cab): ERR_SHARING_VIOLATION\n", boxes());
    EXPECT_EQ("error: #0: Failed to create/replace '" + strTarget + "' for writing: ERR_SHARING_VIOLATION\n",
              m_strStdErr);
    EXPECT_EQ(std::vector<uint8_t>({'s', 'o', 'm', 'e', 'o', 'n', 'e', ' ', 'e', 'l', 's', 'e', '\'', 's'}),
              readFile(strTarget));
    EXPECT_FALSE(exists(path("Product_x64.msi"))); /* nothing after the first failure */
    EXPECT_EQ(std::vector<CleanupRecord *>({m_pDirRecord}), listedRecords());
}

TEST_F(StubExtractTest, FailingPackageStopsTheExtractionAndStaysRecorded)
{
    g_fSilent = true;
    EXPECT_EQ(STUB_EXIT_FAILURE, extract(path("out"), true, PACKAGE_ARCH_AMD64, g_cPackages + 1));
    std::string strMissing = path("out\\missing.cab");
    EXPECT_EQ("error: #4: Failed to locate resource 'BIN_77': ERR_GENERAL_FAILURE\n"
              "setup.exe: error: Error extracting package #4 (missing.cab): ERR_GENERAL_FAILURE\n",
              m_strStdErr);
    EXPECT_EQ("", boxes());
    expectPackagesIn(path("out"), {0, 1, 2, 3});
    CleanupRecord *pRecord = FindCleanupRecordOfPackage(4);
    ASSERT_TRUE(pRecord != NULL);
    EXPECT_STREQ(strMissing.c_str(), pRecord->szPath);
    EXPECT_TRUE(RTFileIsValid(pRecord->u.hFile)); /* the write handle, to be closed by the clean-up */
}

TEST_F(StubExtractTest, MissingHeaderEndsTheExtraction)
{
    /* Header 6 does not exist: every header is looked at before anything is created or written. */
    EXPECT_EQ(STUB_EXIT_FAILURE, extract(path("out"), false, PACKAGE_ARCH_AMD64, 7));
    EXPECT_EQ("W|0x10|Tarnvale Installer|Internal error: Could not find package header #6: ERR_GENERAL_FAILURE\n",
              boxes());
    EXPECT_FALSE(exists(path("out")));
}

TEST_F(StubExtractTest, DirectoryFailures)
{
    /* A directory that nobody may read: it exists, but cannot be held. */
    HANDLE hLocked = INVALID_HANDLE_VALUE;
    std::string strLocked = makeDir("locked");
    hLocked = CreateFileW(tst::widen(strLocked).c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hLocked);

    struct
    {
        std::string strDir;
        bool fRecordPassed;
        std::string strBox;
    } const s_aCases[] = {
        {path("gone"), true, "RTDirExists failed on '" + path("gone") + "' which we just created!"},
        {path("no\\parent"), false,
         "Failed to create extraction path '" + path("no\\parent") + "': ERR_PATH_NOT_FOUND"},
        {strLocked, false, "Failed to open extraction path '" + strLocked + "': ERR_SHARING_VIOLATION"},
    };
    for (const auto &Case : s_aCases)
    {
        m_aBoxes.clear();
        forgetCleanupRecords();
        m_pDirRecord = Case.fRecordPassed ? AddCleanupRecord(Case.strDir.c_str(), false) : NULL;
        EXPECT_EQ(STUB_EXIT_FAILURE, extract(Case.strDir, true));
        EXPECT_EQ("W|0x10|Tarnvale Installer|" + Case.strBox + "\n", boxes());
        EXPECT_EQ(0u, listedRecords().size() - (m_pDirRecord ? 1 : 0)) << "no package was written";
    }
    CloseHandle(hLocked);
    EXPECT_EQ("", m_strStdErr);
}

int ignoreSetCurrent(const char *)
{
    return ERR_FILENAME_TOO_LONG;
}

TEST_F(StubExtractTest, FileNameThatDoesNotFitIsAnInternalError)
{
    /* A directory path after which short names fit into 4100 bytes but not header 5's 223-byte name. */
    size_t const cchDir = RTPATH_MAX - 1 - 223;
    std::string strDir = m_strRoot;
    while (strDir.size() < cchDir)
    {
        size_t const cchLeft = cchDir - strDir.size() - 1; /* after the separator */
        strDir += "\\" + std::string(cchLeft > 200 ? RT_MIN((size_t)150, cchLeft - 2) : cchLeft, 'd');
        ASSERT_TRUE(CreateDirectoryW(tst::longForm(tst::widen(strDir)).c_str(), NULL)) << GetLastError();
    }
    ASSERT_EQ(cchDir, strDir.size());
    /* Windows refuses a current directory this long; Wine takes it and corrupts its own memory with it. */
    g_StubSeamsExtract.pfnRTPathSetCurrent = ignoreSetCurrent;
    EXPECT_EQ(STUB_EXIT_FAILURE, extract(strDir, false, PACKAGE_ARCH_ARM64, 6));
    EXPECT_EQ("W|0x10|Tarnvale Installer|Internal error: Build extraction file name failed: ERR_BUFFER_OVERFLOW\n",
              boxes());
    expectPackagesIn(strDir, {0, 2});
}

/*
 * One package through its steps, with the file calls observed or failed.
 */

/** What the seams of one case saw and do. */
struct StepSeams
{
    RTFILE hWrite, hVerify, hHold; /**< the handles opened by each mode */
    unsigned cQueries, cCloses, cReads;
    std::vector<std::pair<const void *, size_t>> aWrites;
    std::vector<size_t> acbReads;
};
StepSeams g_Seams;

int observedOpen(RTFILE *phFile, const char *pszPath, uint64_t fOpen)
{
    int rc = RTFileOpen(phFile, pszPath, fOpen);
    (fOpen == STUB_EXTRACT_OPEN_WRITE    ? g_Seams.hWrite
     : fOpen == STUB_EXTRACT_OPEN_VERIFY ? g_Seams.hVerify
                                         : g_Seams.hHold) = *phFile;
    return rc;
}

int observedWrite(RTFILE hFile, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten)
{
    g_Seams.aWrites.push_back({pvBuf, cbToWrite});
    return RTFileWrite(hFile, pvBuf, cbToWrite, pcbWritten);
}

int observedRead(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead)
{
    g_Seams.acbReads.push_back(cbToRead);
    return RTFileRead(hFile, pvBuf, cbToRead, pcbRead);
}

TEST_F(StubExtractTest, OneWriteFromTheResourceAndReadBackInBlocks)
{
    g_Seams = StepSeams();
    g_StubSeamsExtract.pfnRTFileWrite = observedWrite;
    g_StubSeamsExtract.pfnRTFileRead = observedRead;
    const FixturePackage &Pkg = g_aPackages[1];
    std::string strPath = path(Pkg.pszFileName);
    ASSERT_EQ(INF_SUCCESS, ExtractAndVerifyPackage("BIN_01", strPath.c_str(), Pkg.idx));
    EXPECT_EQ("", boxes() + m_strStdErr);

    const void *pvPayload = NULL;
    ASSERT_EQ(INF_SUCCESS, FindEmbeddedResource("BIN_01", &pvPayload, NULL));
    ASSERT_EQ(1u, g_Seams.aWrites.size());
    EXPECT_EQ(pvPayload, g_Seams.aWrites[0].first); /* straight from the mapped resource */
    EXPECT_EQ(Pkg.cb, g_Seams.aWrites[0].second);
    size_t cbRead = 0;
    for (size_t cb : g_Seams.acbReads)
    {
        EXPECT_LE(cb, 65536u);
        cbRead += cb;
    }
    EXPECT_EQ(Pkg.cb, cbRead);
    EXPECT_GE(g_Seams.acbReads.size(), (size_t)(Pkg.cb / 65536));
    EXPECT_TRUE(expectedPayload(Pkg) == readFile(strPath));
}

/** The size of BIN_03, the payload of the step cases: one whole block and one byte. */
const uint32_t g_cbStepPayload = 65537;

/** Which handle the record is left with. */
enum class Held
{
    Write,
    Verify,
    Hold
};

struct StepCase
{
    const char *pszStep;
    void (*pfnInstall)(void);
    int rcExpected;
    const char *pszStdErr; /**< '@' stands for the file's path */
    Held enmHeld;
};

int failWrite(RTFILE, const void *, size_t, size_t *)
{
    return ERR_DISK_FULL;
}

int failOpenVerify(RTFILE *phFile, const char *pszPath, uint64_t fOpen)
{
    return fOpen == STUB_EXTRACT_OPEN_VERIFY ? ERR_ACCESS_DENIED : observedOpen(phFile, pszPath, fOpen);
}

int failOpenHold(RTFILE *phFile, const char *pszPath, uint64_t fOpen)
{
    return fOpen == STUB_EXTRACT_OPEN_HOLD ? ERR_SHARING_VIOLATION : observedOpen(phFile, pszPath, fOpen);
}

/** The writer's close fails and leaves it open; the verifier's is real. */
int failCloseWriter(RTFILE hFile)
{
    g_Seams.cCloses++;
    return hFile == g_Seams.hWrite ? ERR_INVALID_HANDLE : RTFileClose(hFile);
}

/** The verifier's close claims a failure after closing. */
int failCloseVerifier(RTFILE hFile)
{
    g_Seams.cCloses++;
    int rc = RTFileClose(hFile);
    return hFile == g_Seams.hVerify ? ERR_INVALID_HANDLE : rc;
}

int failFirstQuery(RTFILE hFile, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdd)
{
    return ++g_Seams.cQueries == 1 ? ERR_ACCESS_DENIED : RTFileQueryInfo(hFile, pObjInfo, enmAdd);
}

int failSecondQuery(RTFILE hFile, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdd)
{
    return ++g_Seams.cQueries == 2 ? ERR_ACCESS_DENIED : RTFileQueryInfo(hFile, pObjInfo, enmAdd);
}

int growOnSecondQuery(RTFILE hFile, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdd)
{
    int rc = RTFileQueryInfo(hFile, pObjInfo, enmAdd);
    if (++g_Seams.cQueries == 2)
        pObjInfo->cbObject += 1;
    return rc;
}

int newIdOnSecondQuery(RTFILE hFile, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdd)
{
    int rc = RTFileQueryInfo(hFile, pObjInfo, enmAdd);
    pObjInfo->u.Unix.INodeId = ++g_Seams.cQueries == 1 ? UINT64_C(0x1122334455667788) : UINT64_C(0xaabb);
    return rc;
}

int zeroIds(RTFILE hFile, RTOBJINFO *pObjInfo, RTOBJINFOADD enmAdd)
{
    int rc = RTFileQueryInfo(hFile, pObjInfo, enmAdd);
    EXPECT_EQ(RTOBJINFOADD_UNIX, enmAdd);
    pObjInfo->u.Unix.INodeId = 0;
    return rc;
}

int failSecondRead(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead)
{
    return ++g_Seams.cReads == 2 ? ERR_EOF : RTFileRead(hFile, pvBuf, cbToRead, pcbRead);
}

/** What another writer would have done to the first or the last block, had it been able to. */
template <unsigned t_iRead, size_t t_offFlip>
int changeRead(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead)
{
    int rc = RTFileRead(hFile, pvBuf, cbToRead, pcbRead);
    if (++g_Seams.cReads == t_iRead)
        static_cast<uint8_t *>(pvBuf)[t_offFlip] ^= 0x80;
    return rc;
}

void installWrite()
{
    g_StubSeamsExtract.pfnRTFileWrite = failWrite;
}
void installFirstQuery()
{
    g_StubSeamsExtract.pfnRTFileQueryInfo = failFirstQuery;
}
void installOpenVerify()
{
    g_StubSeamsExtract.pfnRTFileOpen = failOpenVerify;
}
void installCloseWriter()
{
    g_StubSeamsExtract.pfnRTFileClose = failCloseWriter;
}
void installOpenHold()
{
    g_StubSeamsExtract.pfnRTFileOpen = failOpenHold;
}
void installCloseVerifier()
{
    g_StubSeamsExtract.pfnRTFileClose = failCloseVerifier;
}
void installSecondQuery()
{
    g_StubSeamsExtract.pfnRTFileQueryInfo = failSecondQuery;
}
void installGrow()
{
    g_StubSeamsExtract.pfnRTFileQueryInfo = growOnSecondQuery;
}
void installNewId()
{
    g_StubSeamsExtract.pfnRTFileQueryInfo = newIdOnSecondQuery;
}
void installZeroIds()
{
    g_StubSeamsExtract.pfnRTFileQueryInfo = zeroIds;
}
void installSecondRead()
{
    g_StubSeamsExtract.pfnRTFileRead = failSecondRead;
}
void installChangeFirst()
{
    g_StubSeamsExtract.pfnRTFileRead = changeRead<1, 65535>;
}
void installChangeLast()
{
    g_StubSeamsExtract.pfnRTFileRead = changeRead<2, 0>;
}

TEST_F(StubExtractTest, EveryStepReportsItsFailure)
{
    static const StepCase s_aCases[] = {
        {"write", installWrite, ERR_DISK_FULL, "error: #3: RTFileWrite('@',, 0x10001,) failed: ERR_DISK_FULL\n",
         Held::Write},
        {"query after writing", installFirstQuery, ERR_ACCESS_DENIED,
         "error: #3: RTFileQueryInfo failed on '@': ERR_ACCESS_DENIED\n", Held::Write},
        {"first re-open", installOpenVerify, ERR_ACCESS_DENIED,
         "error: #3: First re-opening of '@' failed: ERR_ACCESS_DENIED\n", Held::Write},
        {"closing the writer", installCloseWriter, ERR_INVALID_HANDLE,
         "error: #3: RTFileClose('@') failed: ERR_INVALID_HANDLE\n", Held::Write},
        {"second re-open", installOpenHold, ERR_SHARING_VIOLATION,
         "error: #3: Second re-opening of '@' failed: ERR_SHARING_VIOLATION\n", Held::Verify},
        {"closing the verifier", installCloseVerifier, INF_SUCCESS,
         "error: #3: Failed to close 2nd handle to '@': ERR_INVALID_HANDLE\n", Held::Hold},
        {"query after re-opening", installSecondQuery, ERR_ACCESS_DENIED,
         "error: #3: RTFileQueryInfo failed on '@': ERR_ACCESS_DENIED\n", Held::Hold},
        {"size", installGrow, ERR_MISMATCH, "error: #3: File size of '@' changed: 65 538, expected 65 537\n",
         Held::Hold},
        {"file ID", installNewId, ERR_MISMATCH,
         "error: #3: File ID of '@' changed: 0xaabb, expected 0x1122334455667788\n", Held::Hold},
        {"file IDs of 0", installZeroIds, INF_SUCCESS, "", Held::Hold},
        {"read", installSecondRead, ERR_EOF, "error: #3: RTFileRead failed on '@' at offset 0x10000: ERR_EOF\n",
         Held::Hold},
        {"content of the first block", installChangeFirst, ERR_MISMATCH,
         "error: #3: File '@' has change (mismatch in 0x10000 byte block at 0x0)\n", Held::Hold},
        {"content of the last block", installChangeLast, ERR_MISMATCH,
         "error: #3: File '@' has change (mismatch in 0x1 byte block at 0x10000)\n", Held::Hold},
    };
    unsigned iCase = 0;
    for (const StepCase &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszStep);
        m_strStdErr.clear();
        g_Seams = StepSeams();
        g_StubSeamsExtract = StubSeamsExtract();
        g_StubSeamsExtract.pfnRTFileOpen = observedOpen;
        Case.pfnInstall();

        std::string strPath = path("case" + std::to_string(iCase++) + ".msi");
        EXPECT_EQ(Case.rcExpected, ExtractAndVerifyPackage("BIN_03", strPath.c_str(), 3));
        std::string strStdErr = Case.pszStdErr;
        size_t offAt = strStdErr.find('@');
        if (offAt != std::string::npos)
            strStdErr.replace(offAt, 1, strPath);
        EXPECT_EQ(strStdErr, m_strStdErr);
        EXPECT_EQ("", boxes());

        CleanupRecord *pRecord = FindCleanupRecordOfPackage(3);
        ASSERT_TRUE(pRecord != NULL);
        EXPECT_STREQ(strPath.c_str(), pRecord->szPath);
        RTFILE hExpected = Case.enmHeld == Held::Write    ? g_Seams.hWrite
                           : Case.enmHeld == Held::Verify ? g_Seams.hVerify
                                                          : g_Seams.hHold;
        EXPECT_NE(NIL_RTFILE, hExpected);
        EXPECT_EQ(hExpected, pRecord->u.hFile);
        EXPECT_TRUE(RTFileIsValid(pRecord->u.hFile));
        forgetCleanupRecords();
    }
}

TEST_F(StubExtractTest, MissingPayloadIsReported)
{
    std::string strPath = path("none.msi");
    EXPECT_EQ(ERR_GENERAL_FAILURE, ExtractAndVerifyPackage("BIN_404", strPath.c_str(), 7));
    EXPECT_EQ("error: #7: Failed to locate resource 'BIN_404': ERR_GENERAL_FAILURE\n", m_strStdErr);
    CleanupRecord *pRecord = FindCleanupRecordOfPackage(7);
    ASSERT_TRUE(pRecord != NULL);
    EXPECT_TRUE(RTFileIsValid(pRecord->u.hFile));
}

LPVOID WINAPI failZeroFilled(HANDLE hHeap, DWORD fFlags, SIZE_T cb)
{
    return fFlags & HEAP_ZERO_MEMORY ? NULL : HeapAlloc(hHeap, fFlags, cb);
}

TEST_F(StubExtractTest, NoMemoryForTheDirectoryRecord)
{
    struct
    {
        std::string strDir;
        const char *pszStdErr;
    } const s_aCases[] = {
        {path("new"), "error: Failed to add cleanup record for dir '@'\n"},
        {m_strRoot, "error: Failed to add cleanup record for existing dir '@'\n"},
    };
    for (const auto &Case : s_aCases)
    {
        m_aBoxes.clear();
        m_strStdErr.clear();
        g_rtSeamsMem.pfnHeapAlloc = failZeroFilled;
        EXPECT_EQ(STUB_EXIT_FAILURE, extract(Case.strDir, true));
        g_rtSeamsMem = RTSEAMSMEM();
        std::string strStdErr = Case.pszStdErr;
        strStdErr.replace(strStdErr.find('@'), 1, Case.strDir);
        EXPECT_EQ(strStdErr, m_strStdErr);
        EXPECT_EQ("W|0x10|Tarnvale Installer|Out of memory!\n", boxes());
        EXPECT_TRUE(m_pDirRecord == NULL);
        EXPECT_EQ(0u, listedRecords().size());
        EXPECT_TRUE(exists(Case.strDir)) << "created all the same";
    }
}

TEST_F(StubExtractTest, NoMemoryForTheRecord)
{
    g_Seams = StepSeams();
    g_StubSeamsExtract.pfnRTFileOpen = observedOpen;
    g_rtSeamsMem.pfnHeapAlloc = failZeroFilled;
    std::string strPath = path("a.msi");
    EXPECT_EQ(ERR_NO_MEMORY, ExtractAndVerifyPackage("BIN_00", strPath.c_str(), 0));
    g_rtSeamsMem = RTSEAMSMEM();
    EXPECT_EQ("W|0x10|Tarnvale Installer|Out of memory!\n", boxes());
    EXPECT_EQ("", m_strStdErr);
    EXPECT_EQ(&g_CleanupRecords, g_CleanupRecords.pNext);
    /* The writer stays open, unrecorded. */
    EXPECT_TRUE(RTFileIsValid(g_Seams.hWrite));
    EXPECT_EQ(INF_SUCCESS, RTFileClose(g_Seams.hWrite));
}

} // namespace
