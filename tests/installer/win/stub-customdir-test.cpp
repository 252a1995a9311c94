/** @file
 * The customisation directory copy: the shell's real copy of a tree from
 * beside the "executable" (a scratch directory, through the executable
 * directory's seam) into a scratch extraction directory, the cleanup record
 * that holds the copy, and every failure with its message.
 */
#include "support/stub-scratch.h"
#include "support/widen.h"
#include "TarnStubCleanup.h"
#include "TarnStubCustomDir.h"
#include "TarnStubCustomDir-win.h"
#include "TarnStubCmdLine.h"
#include <rt/err.h>
#include <rt/string.h>

#include <string>
#include <vector>

namespace
{

/** What the replaced executable-directory query answers. */
std::string g_strExecDir;
int g_rcExecDir = INF_SUCCESS;

int fakeExecDir(char *pszPath, size_t cbPath)
{
    if (RT_FAILURE(g_rcExecDir))
        return g_rcExecDir;
    return RTStrCopy(pszPath, cbPath, g_strExecDir.c_str());
}

/** The request the shell received, as far as a test checks it. */
struct ShellRequest
{
    std::wstring wstrFrom;
    std::wstring wstrTo;
    bool fListsEnded = false; /* both lists end in a second NUL */
    UINT wFunc = 0;
    FILEOP_FLAGS fFlags = 0;
    bool fPlain = false; /* no window, not aborted, no mappings, no title */
};
ShellRequest g_Request;
int g_iShellResult = 0;

int WINAPI recordShellOperation(LPSHFILEOPSTRUCTW pOp)
{
    g_Request.wstrFrom = pOp->pFrom;
    g_Request.wstrTo = pOp->pTo;
    g_Request.fListsEnded =
        pOp->pFrom[g_Request.wstrFrom.size() + 1] == 0 && pOp->pTo[g_Request.wstrTo.size() + 1] == 0;
    g_Request.wFunc = pOp->wFunc;
    g_Request.fFlags = pOp->fFlags;
    g_Request.fPlain = !pOp->hwnd && !pOp->fAnyOperationsAborted && !pOp->hNameMappings && !pOp->lpszProgressTitle;
    return g_iShellResult;
}

int failDirOpen(RTDIR *phDir, const char *)
{
    *phDir = NIL_RTDIR;
    return ERR_ACCESS_DENIED;
}

/** The newest record of the cleanup list, or null. */
CleanupRecord *newestRecord(void)
{
    return g_CleanupRecords.pNext == &g_CleanupRecords ? NULL
                                                       : reinterpret_cast<CleanupRecord *>(g_CleanupRecords.pNext);
}

class StubCustomDirTest : public StubScratchTest
{
  protected:
    void SetUp() override
    {
        StubScratchTest::SetUp();
        g_fSilent = true;
        g_rcExecDir = INF_SUCCESS;
        g_iShellResult = 0;
        g_Request = ShellRequest();
        /* Spaces and a non-ASCII letter on the way, as user profiles have them. */
        m_strApp = makeDir("app \xc3\xa4");
        m_strExtract = makeDir("extract \xc3\xa4");
        g_strExecDir = m_strApp;
        g_StubSeamsCustomDir.pfnRTPathExecDir = fakeExecDir;
    }

    /** The content of a file; "<missing>" when it cannot be read. */
    std::string content(const std::string &strPath) const
    {
        if (!exists(strPath))
            return "<missing>";
        std::vector<uint8_t> const abContent = readFile(strPath);
        return std::string(abContent.begin(), abContent.end());
    }

    static bool isDirectory(const std::string &strPath)
    {
        DWORD const fAttr = GetFileAttributesW(tst::widen(strPath).c_str());
        return fAttr != INVALID_FILE_ATTRIBUTES && (fAttr & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::string m_strApp;
    std::string m_strExtract;
};

TEST_F(StubCustomDirTest, NothingToCopyIsNoError)
{
    EXPECT_EQ(0, CopyCustomDirectory(m_strExtract.c_str())) << "no .custom";
    makeFile("app \xc3\xa4\\.custom", "a file, not a directory");
    EXPECT_EQ(0, CopyCustomDirectory(m_strExtract.c_str())) << ".custom is a file";
    EXPECT_EQ(nullptr, newestRecord());
    EXPECT_FALSE(exists(m_strExtract + "\\.custom"));
    EXPECT_EQ("", m_strStdErr + m_strStdOut);
}

TEST_F(StubCustomDirTest, CopiesTheWholeTreeOverwritingAndHoldsTheCopy)
{
    makeDir("app \xc3\xa4\\.custom");
    makeDir("app \xc3\xa4\\.custom\\sub");
    makeDir("app \xc3\xa4\\.custom\\sub\\deeper");
    makeDir("app \xc3\xa4\\.custom\\empty");
    makeFile("app \xc3\xa4\\.custom\\settings.ini", "[tarn]\r\nmode=custom\r\n");
    makeFile("app \xc3\xa4\\.custom\\sub\\licence.txt", "licence");
    makeFile("app \xc3\xa4\\.custom\\sub\\deeper\\blob.bin", std::string("\x00\x01\xff\r\n\x1a", 6));
    /* A copy already there from an earlier run: replaced without a question. */
    makeDir("extract \xc3\xa4\\.custom");
    makeFile("extract \xc3\xa4\\.custom\\settings.ini", "old");

    ASSERT_EQ(0, CopyCustomDirectory(m_strExtract.c_str()));
    EXPECT_EQ("", m_strStdErr + m_strStdOut);
    EXPECT_EQ("[tarn]\r\nmode=custom\r\n", content(m_strExtract + "\\.custom\\settings.ini"));
    EXPECT_EQ("licence", content(m_strExtract + "\\.custom\\sub\\licence.txt"));
    EXPECT_EQ(std::string("\x00\x01\xff\r\n\x1a", 6), content(m_strExtract + "\\.custom\\sub\\deeper\\blob.bin"));
    EXPECT_TRUE(isDirectory(m_strExtract + "\\.custom\\empty"));
    EXPECT_EQ("[tarn]\r\nmode=custom\r\n", content(m_strApp + "\\.custom\\settings.ini")) << "the source stays";

    /* One directory record for the copy, holding it open until the clean-up. */
    CleanupRecord *pRecord = newestRecord();
    ASSERT_NE(nullptr, pRecord);
    EXPECT_EQ(&g_CleanupRecords, pRecord->ListEntry.pNext) << "exactly one record";
    EXPECT_EQ(m_strExtract + "\\.custom", std::string(pRecord->szPath));
    EXPECT_FALSE(pRecord->fFile);
    EXPECT_FALSE(pRecord->fDontDelete);
    EXPECT_EQ(-1, pRecord->idxPackage);
    ASSERT_NE(NIL_RTDIR, pRecord->u.hDir);
    std::wstring const wstrCopy = tst::widen(m_strExtract + "\\.custom");
    EXPECT_FALSE(MoveFileW(wstrCopy.c_str(), tst::widen(m_strExtract + "\\moved").c_str()))
        << "the held copy cannot be renamed";
}

/* The request is the one the shell needs: a copy of one double-NUL-ended entry into another, silent. An
   extraction directory of 4099 characters fits in 4100 units with its NUL; one more does not. */
TEST_F(StubCustomDirTest, ShellRequestAndTheLongestPaths)
{
    makeDir("app \xc3\xa4\\.custom");
    g_StubSeamsCustomDir.pfnSHFileOperationW = recordShellOperation;
    g_StubSeamsCustomDir.pfnRTDirOpen = failDirOpen; /* the copy is not really made */

    std::string const strLongest = "C:\\" + std::string(4096, 'x');
    ASSERT_EQ(4099u, strLongest.size());
    CopyCustomDirectory(strLongest.c_str());
    EXPECT_EQ(tst::widen(strLongest), g_Request.wstrTo);
    EXPECT_TRUE(g_Request.fListsEnded);

    /* After the longest, a short one: the lists end right behind it. */
    g_Request = ShellRequest();
    m_strStdErr.clear();
    CopyCustomDirectory(m_strExtract.c_str());
    EXPECT_EQ(tst::widen(m_strApp + "\\.custom"), g_Request.wstrFrom);
    EXPECT_EQ(tst::widen(m_strExtract), g_Request.wstrTo);
    EXPECT_TRUE(g_Request.fListsEnded);
    EXPECT_EQ((UINT)FO_COPY, g_Request.wFunc);
    EXPECT_EQ(0x614, g_Request.fFlags);
    EXPECT_TRUE(g_Request.fPlain);

    g_Request = ShellRequest();
    m_strStdErr.clear();
    EXPECT_EQ(1, CopyCustomDirectory((strLongest + "y").c_str()));
    EXPECT_EQ("setup.exe: error: RTStrToUtf16Ex failed on '" + strLongest + "y': ERR_BUFFER_OVERFLOW\n", m_strStdErr);
    EXPECT_EQ(L"", g_Request.wstrTo) << "the shell is not asked";
}

TEST_F(StubCustomDirTest, FailuresAreReportedOnce)
{
    makeDir("app \xc3\xa4\\.custom");
    struct Case
    {
        const char *pszWhat;
        int rcExecDir;
        size_t cchExecDir; /* 0: the scratch directory */
        int iShellResult;
        bool fFailOpen;
        const char *pszMessage;
        bool fRecord; /* a record for the copy is listed afterwards */
    } const aCases[] = {
        {"no executable directory", ERR_WRONG_ORDER, 0, 0, false,
         "Failed to construct '.custom' dir path: ERR_WRONG_ORDER", false},
        {"no room for .custom", INF_SUCCESS, 4092, 0, false,
         "Failed to construct '.custom' dir path: ERR_BUFFER_OVERFLOW", false},
        {"shell copy fails", INF_SUCCESS, 0, 0x75, false, "Copying the '.custom' dir failed: 0x75", false},
        {"copy cannot be held", INF_SUCCESS, 0, 0, true,
         "Unable to open the destination .custom directory: ERR_ACCESS_DENIED", true},
    };
    for (const Case &c : aCases)
    {
        m_strStdErr.clear();
        g_rcExecDir = c.rcExecDir;
        g_strExecDir = c.cchExecDir ? "C:\\" + std::string(c.cchExecDir - 3, 'd') : m_strApp;
        g_iShellResult = c.iShellResult;
        g_StubSeamsCustomDir.pfnSHFileOperationW = c.iShellResult ? recordShellOperation : NULL;
        g_StubSeamsCustomDir.pfnRTDirOpen = c.fFailOpen ? failDirOpen : NULL;
        EXPECT_EQ(1, CopyCustomDirectory(m_strExtract.c_str())) << c.pszWhat;
        EXPECT_EQ(std::string("setup.exe: error: ") + c.pszMessage + "\n", m_strStdErr) << c.pszWhat;
        CleanupRecord *pRecord = newestRecord();
        EXPECT_EQ(c.fRecord, pRecord != NULL) << c.pszWhat;
        if (pRecord)
        {
            EXPECT_EQ(NIL_RTDIR, pRecord->u.hDir) << c.pszWhat;
            DropCleanupRecord(pRecord);
        }
    }
}

} // namespace
