/** @file
 * Streams under Wine. From outside, through the no-CRT probe with its
 * standard handles redirected to files: the exact bytes of the standard
 * streams and the program messages, full buffering of a redirected stream
 * until the process ends, and the flush of streams opened by name at exit.
 * Inside the test process, on streams opened by name: the buffering modes,
 * binary streams, the sticky failure and the buffer allocation.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/stream.h>
#include <rt/string.h>
#include "internal/stream.h"
#include "win/child-process.h"

#include <cstdlib>
#include <cstring>
#include <string>

using namespace childtest;

namespace
{

std::string probeRest(const std::wstring &wstrArgs, ChildResult *pResult)
{
    ProbeReport Report;
    EXPECT_TRUE(runChild(probePath(), L"nocrt-probe.exe " + wstrArgs, pResult));
    EXPECT_TRUE(parseProbeOutput(pResult->strOut, &Report));
    return Report.strRest;
}

TEST(StreamStd, NewlinesBecomeCrLfAndTextIsExact)
{
    ChildResult Result;
    std::string strRest = probeRest(L"--out=a\\nb --err=x\\n\\ny --out=\\n\\nc --err=\\n", &Result);
    EXPECT_EQ("a\r\nb\r\n\r\ncatexit early\r\n", strRest);
    EXPECT_EQ("x\r\n\r\ny\r\n", Result.strErr);
}

TEST(StreamStd, RedirectedStreamsWaitForTheProcessEnd)
{
    /* Both streams are redirected to files: everything they hold comes after what
       was written straight to the handles, although whole lines were complete. */
    ChildResult Result;
    ASSERT_TRUE(runChild(probePath(), L"nocrt-probe.exe --out=one\\n --raw=RAW --err=e1\\n --raw-err=ERR --out=two\\n",
                         &Result));
    ASSERT_EQ(0, Result.strOut.compare(0, 3, "RAW")) << Result.strOut;
    ProbeReport Report;
    ASSERT_TRUE(parseProbeOutput(Result.strOut.substr(3), &Report));
    EXPECT_EQ("one\r\ntwo\r\natexit early\r\n", Report.strRest);
    EXPECT_EQ("ERRe1\r\n", Result.strErr);
}

TEST(StreamStd, FullBufferIsWrittenWhenItFills)
{
    /* The report and three 9,000-byte texts overflow the 64 KiB buffer: before the
       raw marker exactly the full buffers went out, the rest waits for the end. */
    std::wstring wstrArgs = L"nocrt-probe.exe";
    std::string strText;
    for (int i = 0; i < 3; i++)
    {
        std::string strChunk(9000, (char)('a' + i));
        strText += strChunk;
        wstrArgs += L" --out=" + std::wstring(strChunk.begin(), strChunk.end());
    }
    wstrArgs += L" --raw=RAW";
    ChildResult Result;
    ASSERT_TRUE(runChild(probePath(), wstrArgs, &Result));
    size_t const offRaw = Result.strOut.find("RAW");
    ASSERT_NE(std::string::npos, offRaw);
    std::string const strStream = Result.strOut.substr(0, offRaw) + Result.strOut.substr(offRaw + 3);
    ProbeReport Report;
    ASSERT_TRUE(parseProbeOutput(strStream, &Report));
    EXPECT_EQ(strText + "atexit early\r\n", Report.strRest);
    size_t const cbBeforeRaw = strStream.size() - sizeof("atexit early\r\n") + 1;
    ASSERT_GT(cbBeforeRaw, 65536u);
    EXPECT_EQ(cbBeforeRaw / 65536 * 65536, offRaw);
}

TEST(StreamStd, ProgramMessagesOnTheirStreams)
{
    ChildResult Result;
    std::string strRest =
        probeRest(L"\"--error=Unknown option: '-z'\" --info=line1\\nline2 --error=\\n --error=a\\n\\nb", &Result);
    EXPECT_EQ("nocrt-probe.exe: info: line1\r\nnocrt-probe.exe: info: line2\r\natexit early\r\n", strRest);
    EXPECT_EQ("nocrt-probe.exe: error: Unknown option: '-z'\r\n"
              "\r\n" /* a message that is only a newline */
              "nocrt-probe.exe: error: a\r\n\r\nnocrt-probe.exe: error: b\r\n",
              Result.strErr);
}

TEST(StreamStd, OpenedStreamIsWrittenAndClosedAtExit)
{
    wchar_t wszDir[MAX_PATH], wszFile[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, wszDir));
    ASSERT_NE(0u, GetTempFileNameW(wszDir, L"stm", 0, wszFile));
    ChildResult Result;
    ASSERT_TRUE(runChild(probePath(), std::wstring(L"nocrt-probe.exe \"--file=") + wszFile + L"\"", &Result));
    EXPECT_EQ("", Result.strErr);

    /* Closed: nobody holds it any more, so it opens without sharing. */
    HANDLE hFile = CreateFileW(wszFile, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    char szBuf[64];
    DWORD cbRead = 0;
    ASSERT_TRUE(ReadFile(hFile, szBuf, sizeof(szBuf), &cbRead, NULL));
    CloseHandle(hFile);
    EXPECT_EQ("line 1\r\nline 2\r\n", std::string(szBuf, cbRead));
}

/** Runs where the ANSI code page is the one in TARN_TEST_ACP (the test
 * registration starts this suite under locales for 1252 and for 65001). */
TEST(StreamCodePage, NonAsciiTextInTheAnsiCodePage)
{
    const char *pszAcp = getenv("TARN_TEST_ACP");
    if (!pszAcp)
        GTEST_SKIP() << "TARN_TEST_ACP names the code page this run expects";
    UINT const uAcp = (UINT)atoi(pszAcp);
    ASSERT_EQ(uAcp, GetACP());

    /* "é" and "€" in UTF-8, given as escapes so the command line stays ASCII. */
    ChildResult Result;
    std::string strRest = probeRest(L"--out=\\xc3\\xa9\\xe2\\x82\\xac\\n --error=\\xc3\\xa9", &Result);
    if (uAcp == 1252)
    {
        EXPECT_EQ("\xe9\x80\r\natexit early\r\n", strRest);
        EXPECT_EQ("nocrt-probe.exe: error: \xe9\r\n", Result.strErr);
    }
    else
    {
        ASSERT_EQ(65001u, uAcp);
        EXPECT_EQ("\xc3\xa9\xe2\x82\xac\r\natexit early\r\n", strRest);
        EXPECT_EQ("nocrt-probe.exe: error: \xc3\xa9\r\n", Result.strErr);
    }
}

/** An allocation with a marked tail, to see writes past the size that was asked for. */
struct GuardedBlock
{
    unsigned char *pb;
    size_t cb;
};
const size_t g_cbGuard = 16;
GuardedBlock g_aGuarded[8];
size_t g_cGuarded = 0;

void *allocGuarded(size_t cb, const char *pszTag)
{
    unsigned char *pb = (unsigned char *)RTMemAllocTag(cb + g_cbGuard, pszTag);
    if (pb && g_cGuarded < RT_ELEMENTS(g_aGuarded))
    {
        memset(pb + cb, 0xa5, g_cbGuard);
        g_aGuarded[g_cGuarded++] = GuardedBlock{pb, cb};
    }
    return pb;
}

/** The guarded blocks whose tail was written. */
size_t overrunBlocks(void)
{
    size_t cOverrun = 0;
    for (size_t i = 0; i < g_cGuarded; i++)
        for (size_t off = 0; off < g_cbGuard; off++)
            if (g_aGuarded[i].pb[g_aGuarded[i].cb + off] != 0xa5)
            {
                cOverrun++;
                break;
            }
    return cOverrun;
}

/** Standard error converts to the ANSI code page through a secondary buffer of an eighth of its buffer;
 * a piece of exactly that size (its terminator included) no longer fits it. Standard error is bound to a
 * file here, so this suite runs in a process of its own, as every suite does. */
TEST(StreamStdConverted, PieceOfAnEighthOfTheBufferIsConverted)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "runs where the ANSI code page is 1252 (the test registration sets a locale for it)";
    ASSERT_EQ(NIL_RTFILE, g_pStdErr->hFile) << "standard error was written before this test";
    wchar_t wszDir[MAX_PATH], wszFile[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, wszDir));
    ASSERT_NE(0u, GetTempFileNameW(wszDir, L"stm", 0, wszFile));
    HANDLE hFile = CreateFileW(wszFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    HANDLE const hStdErr = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, hFile);
    g_cGuarded = 0;
    g_rtSeamsStream.pfnRTMemAllocTag = allocGuarded;

    /* Unbuffered, 16 KiB: the secondary buffer has 2 KiB, here 1024 times "é" in UTF-8. */
    std::string strPiece;
    for (int i = 0; i < 1024; i++)
        strPiece += "\xc3\xa9";
    EXPECT_EQ(2048, RTStreamPrintf(g_pStdErr, "%s", strPiece.c_str()));
    EXPECT_EQ(2u, g_cGuarded);
    EXPECT_EQ(0u, overrunBlocks());
    rtStrmTerm();

    SetStdHandle(STD_ERROR_HANDLE, hStdErr);
    /* Standard error back as the process start left it: unbound, unbuffered. */
    g_pStdErr->hFile = NIL_RTFILE;
    g_pStdErr->enmBufMode = RTSTREAM_BUF_NONE;
    std::string strWritten(4096, '\0');
    DWORD cbRead = 0;
    SetFilePointer(hFile, 0, NULL, FILE_BEGIN);
    ReadFile(hFile, &strWritten[0], (DWORD)strWritten.size(), &cbRead, NULL);
    CloseHandle(hFile);
    strWritten.resize(cbRead);
    EXPECT_EQ(std::string(1024, '\xe9'), strWritten);
}

/*
 * Streams opened by name, inside the test process. The process exit's flush
 * (rtStrmTerm) ends each test, so every stream is written out and closed.
 */

class StreamOpened : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        wchar_t wszDir[MAX_PATH], wszFile[MAX_PATH];
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, wszDir));
        ASSERT_NE(0u, GetTempFileNameW(wszDir, L"stm", 0, wszFile));
        m_wstrPath = wszFile;
        char szPath[MAX_PATH * 3];
        WideCharToMultiByte(CP_UTF8, 0, wszFile, -1, szPath, sizeof(szPath), NULL, NULL);
        m_strPath = szPath;
    }
    void TearDown() override
    {
        rtStrmTerm();
        DeleteFileW(m_wstrPath.c_str());
    }

    /** The file's bytes as another reader sees them now. */
    std::string content()
    {
        HANDLE hFile = CreateFileW(m_wstrPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                   OPEN_EXISTING, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, hFile);
        std::string str;
        char ach[4096];
        DWORD cbRead = 0;
        while (ReadFile(hFile, ach, sizeof(ach), &cbRead, NULL) && cbRead)
            str.append(ach, cbRead);
        CloseHandle(hFile);
        return str;
    }

    std::wstring m_wstrPath;
    std::string m_strPath;
};

TEST_F(StreamOpened, BufferingModes)
{
    PRTSTREAM pStream = NULL;
    ASSERT_EQ(0, RTStreamOpen(m_strPath.c_str(), "w", &pStream));
    EXPECT_EQ(3, RTStreamPrintf(pStream, "a\nb"));
    EXPECT_EQ("", content()); /* fully buffered */

    ASSERT_EQ(0, RTStreamSetBuffering(pStream, RTSTRMBUFMODE_LINE));
    EXPECT_EQ(4, RTStreamPrintf(pStream, "c\nd%s", "e"));
    EXPECT_EQ("a\r\nbc\r\n", content()); /* up to the last newline */

    ASSERT_EQ(0, RTStreamSetBuffering(pStream, RTSTRMBUFMODE_UNBUFFERED));
    EXPECT_EQ(1, RTStreamPrintf(pStream, "f"));
    EXPECT_EQ("a\r\nbc\r\ndef", content());

    ASSERT_EQ(0, RTStreamSetBuffering(pStream, RTSTRMBUFMODE_FULL));
    EXPECT_EQ(2, RTStreamPrintf(pStream, "g\n"));
    EXPECT_EQ("a\r\nbc\r\ndef", content());
    rtStrmTerm();
    EXPECT_EQ("a\r\nbc\r\ndefg\r\n", content());
}

TEST_F(StreamOpened, TextIsWrittenUnconverted)
{
    PRTSTREAM pStream = NULL;
    ASSERT_EQ(0, RTStreamOpen(m_strPath.c_str(), "wt", &pStream));
    RTStreamPrintf(pStream, "\xc3\xa9\n");
    rtStrmTerm();
    EXPECT_EQ("\xc3\xa9\r\n", content());
}

TEST_F(StreamOpened, BinaryStreamKeepsNewlines)
{
    PRTSTREAM pStream = NULL;
    ASSERT_EQ(0, RTStreamOpen(m_strPath.c_str(), "wb", &pStream));
    ASSERT_EQ(0, RTStreamSetBuffering(pStream, RTSTRMBUFMODE_UNBUFFERED));
    RTStreamPrintf(pStream, "a\nb\r\n");
    EXPECT_EQ("a\nb\r\n", content());
}

TEST_F(StreamOpened, FirstFailureSticks)
{
    PRTSTREAM pStream = NULL;
    ASSERT_EQ(0, RTStreamOpen(m_strPath.c_str(), "r", &pStream)); /* writing will fail */
    ASSERT_EQ(0, RTStreamSetBuffering(pStream, RTSTRMBUFMODE_UNBUFFERED));
    EXPECT_EQ(4, RTStreamPrintf(pStream, "text"));
    EXPECT_EQ(-1, RTStreamPrintf(pStream, "more"));
    EXPECT_EQ(-1, RTStreamPrintf(pStream, "%s", "and more"));
    EXPECT_EQ("", content());
}

/** Refuses allocations above the size in g_cbAllowed. */
size_t g_cbAllowed = 0;
void *allocUpTo(size_t cb, const char *pszTag)
{
    return cb <= g_cbAllowed ? RTMemAllocTag(cb, pszTag) : NULL;
}

TEST_F(StreamOpened, BufferShrinksUntilItCanBeHad)
{
    PRTSTREAM pStream = NULL;
    ASSERT_EQ(0, RTStreamOpen(m_strPath.c_str(), "wb", &pStream));
    g_cbAllowed = 1024;
    g_rtSeamsStream.pfnRTMemAllocTag = allocUpTo;
    /* 64 KiB halved until 1 KiB fits: 1,000 bytes stay buffered, 100 more overflow it. */
    std::string strA(1000, 'a'), strB(100, 'b');
    RTStreamPrintf(pStream, "%s", strA.c_str());
    EXPECT_EQ("", content());
    RTStreamPrintf(pStream, "%s", strB.c_str());
    EXPECT_EQ(1024u, content().size());
    rtStrmTerm();
    EXPECT_EQ(strA + strB, content());
}

TEST_F(StreamOpened, NoBufferBelow512BytesIsAStickyNoMemory)
{
    PRTSTREAM pStream = NULL;
    ASSERT_EQ(0, RTStreamOpen(m_strPath.c_str(), "w", &pStream));
    g_cbAllowed = 511;
    g_rtSeamsStream.pfnRTMemAllocTag = allocUpTo;
    EXPECT_EQ(1, RTStreamPrintf(pStream, "x"));
    g_rtSeamsStream.pfnRTMemAllocTag = NULL;
    EXPECT_EQ(-1, RTStreamPrintf(pStream, "y"));
    rtStrmTerm();
    EXPECT_EQ("", content());

    /* 512 bytes (64 for the secondary buffer) are enough. */
    ASSERT_EQ(0, RTStreamOpen(m_strPath.c_str(), "w", &pStream));
    g_cbAllowed = 512;
    g_rtSeamsStream.pfnRTMemAllocTag = allocUpTo;
    EXPECT_EQ(1, RTStreamPrintf(pStream, "z"));
    rtStrmTerm();
    EXPECT_EQ("z", content());
}

struct WRITER
{
    PRTSTREAM pStream;
    HANDLE hStart;
    char ch;
};

const int g_cLinesPerWriter = 1000;

DWORD WINAPI writeLines(void *pvUser)
{
    WRITER const *pWriter = (WRITER const *)pvUser;
    std::string const strPart(20, pWriter->ch);
    WaitForSingleObject(pWriter->hStart, INFINITE);
    for (int i = 0; i < g_cLinesPerWriter; i++)
        RTStreamPrintf(pWriter->pStream, "%s%s%s%c\n", strPart.c_str(), strPart.c_str(), strPart.c_str(), pWriter->ch);
    return 0;
}

TEST_F(StreamOpened, ConcurrentWritesKeepLinesWhole)
{
    PRTSTREAM pStream = NULL;
    ASSERT_EQ(0, RTStreamOpen(m_strPath.c_str(), "wb", &pStream));
    ASSERT_EQ(0, RTStreamSetBuffering(pStream, RTSTRMBUFMODE_UNBUFFERED));
    HANDLE hStart = CreateEventW(NULL, TRUE, FALSE, NULL);
    ASSERT_NE(nullptr, hStart);
    WRITER aWriters[4];
    HANDLE ahThreads[4];
    for (int i = 0; i < 4; i++)
    {
        aWriters[i] = {pStream, hStart, (char)('a' + i)};
        ahThreads[i] = CreateThread(NULL, 0, writeLines, &aWriters[i], 0, NULL);
        ASSERT_NE(nullptr, ahThreads[i]);
    }
    SetEvent(hStart);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(4, ahThreads, TRUE, 120000));
    for (HANDLE hThread : ahThreads)
        CloseHandle(hThread);
    CloseHandle(hStart);

    /* Every formatted write is four pieces, each written out on its own; a line
       of one letter shows that no other thread's piece came between them. */
    std::string const strAll = content();
    ASSERT_EQ(4u * g_cLinesPerWriter * 62, strAll.size());
    for (size_t off = 0; off < strAll.size(); off += 62)
    {
        std::string const strLine = strAll.substr(off, 62);
        ASSERT_EQ(std::string(61, strLine[0]) + "\n", strLine) << "line at " << off;
    }
}

TEST(StreamArgs, InvalidStreamsAndModes)
{
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStreamPrintf(NULL, "x"));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStreamPrintf((PRTSTREAM)(uintptr_t)16, "x"));
    RTSTREAM Fake = {};
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStreamPrintf(&Fake, "x"));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTStreamSetBuffering(NULL, RTSTRMBUFMODE_FULL));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTStreamSetBuffering(&Fake, RTSTRMBUFMODE_FULL));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStreamSetBuffering(g_pStdOut, 0));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTStreamSetBuffering(g_pStdOut, 4));
}

} // namespace
