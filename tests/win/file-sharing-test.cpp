/** @file
 * The hand-over of handles that package extraction relies on: a file is
 * written with 0x1C000322, re-opened with 0x1C000781 while the writer is
 * still open, re-opened with 0x721 once the writer is closed, and then held.
 * While it is held nobody, in this process or another, can write, replace,
 * delete or rename it, while reading it stays possible and shows exactly
 * what was written, under the same file ID.
 *
 * The other process is this test program itself, started to run only the
 * disabled probe below; the file to probe is named in its environment.
 */
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include <rt/file.h>
#include <rt/err.h>
#include "support/file-data.h"
#include "support/scoped.h"
#include "support/scratch-tree.h"
#include "support/widen.h"

namespace
{

using tst::AutoFile;
using tst::makePattern;

/** The three flag words of the extraction. */
const uint64_t g_fOpenWrite = UINT64_C(0x1C000322);
const uint64_t g_fOpenVerify = UINT64_C(0x1C000781);
const uint64_t g_fOpenHold = UINT64_C(0x721);

/** An odd size, so the last 64 KiB block is a partial one. */
const size_t g_cbPackage = 300001;
const uint32_t g_uPatternSeed = 7;

const wchar_t g_wszEnvPath[] = L"TARN_FILE_SHARING_PATH";
const wchar_t g_wszEnvFileId[] = L"TARN_FILE_SHARING_FILE_ID";

class FileSharing : public tst::ScratchTree
{
};

uint64_t fileIdOf(RTFILE hFile)
{
    RTOBJINFO Info;
    int rc = RTFileQueryInfo(hFile, &Info, RTOBJINFOADD_UNIX);
    EXPECT_EQ(INF_SUCCESS, rc);
    return RT_SUCCESS(rc) ? Info.u.Unix.INodeId : 0;
}

/** Reads the whole file from the start in 64 KiB blocks, as the verification does. */
std::vector<uint8_t> readInBlocks(RTFILE hFile, uint64_t cbFile)
{
    std::vector<uint8_t> ab;
    EXPECT_EQ(INF_SUCCESS, RTFileSeek(hFile, 0, RTFILE_SEEK_BEGIN, NULL));
    uint8_t abBlock[65536];
    for (uint64_t off = 0; off < cbFile; off += sizeof(abBlock))
    {
        size_t const cb = (size_t)RT_MIN((uint64_t)sizeof(abBlock), cbFile - off);
        int rc = RTFileRead(hFile, abBlock, cb, NULL);
        EXPECT_EQ(INF_SUCCESS, rc) << off;
        if (RT_FAILURE(rc))
            break;
        ab.insert(ab.end(), abBlock, abBlock + cb);
    }
    return ab;
}

/** What a held file must refuse and allow, checked from whichever process runs it. */
void checkHeldFile(const std::string &strPath, uint64_t idFile)
{
    struct
    {
        uint64_t fOpen;
        int rcExpected;
    } const s_aOpens[] = {
        {g_fOpenWrite, ERR_SHARING_VIOLATION},
        {RTFILE_O_WRITE | RTFILE_O_OPEN | RTFILE_O_DENY_NONE, ERR_SHARING_VIOLATION},
        {RTFILE_O_READWRITE | RTFILE_O_OPEN_CREATE | RTFILE_O_TRUNCATE, ERR_SHARING_VIOLATION},
        {RTFILE_O_WRITE | RTFILE_O_APPEND | RTFILE_O_DENY_NONE, ERR_SHARING_VIOLATION},
        {g_fOpenHold, INF_SUCCESS},
        {g_fOpenVerify, INF_SUCCESS},
    };
    for (const auto &o : s_aOpens)
    {
        AutoFile File;
        EXPECT_EQ(o.rcExpected, RTFileOpen(&File.h, strPath.c_str(), o.fOpen)) << std::hex << o.fOpen;
    }

    EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileDelete(strPath.c_str()));
    std::string strNewName = strPath + ".renamed";
    EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileRename(strPath.c_str(), strNewName.c_str(), 0));
    EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileRename(strPath.c_str(), strNewName.c_str(), RTFILE_RENAME_REPLACE));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(tst::widen(strNewName).c_str()));

    AutoFile Reader;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Reader.h, strPath.c_str(), g_fOpenHold));
    EXPECT_EQ(idFile, fileIdOf(Reader.h));
    uint64_t cbFile = 0;
    ASSERT_EQ(INF_SUCCESS, RTFileQuerySize(Reader.h, &cbFile));
    ASSERT_EQ(g_cbPackage, cbFile);
    EXPECT_EQ(makePattern(g_cbPackage, g_uPatternSeed), readInBlocks(Reader.h, cbFile));
}

/** Runs the probe below in a second process; its gtest output comes back for the message. */
::testing::AssertionResult runProbeProcess(const std::string &strPath, uint64_t idFile)
{
    wchar_t wszExe[MAX_PATH];
    GetModuleFileNameW(NULL, wszExe, MAX_PATH);
    std::wstring wstrCmdLine = std::wstring(L"\"") + wszExe +
                               L"\" --gtest_also_run_disabled_tests"
                               L" --gtest_filter=FileSharing.DISABLED_ProbeFromAnotherProcess";
    tst::ScopedEnv Env;
    EXPECT_TRUE(Env.setW(g_wszEnvPath, tst::widen(strPath).c_str()));
    EXPECT_TRUE(Env.setW(g_wszEnvFileId, std::to_wstring(idFile).c_str()));

    SECURITY_ATTRIBUTES Sa = {sizeof(Sa), NULL, TRUE};
    HANDLE hRead, hWrite;
    if (!CreatePipe(&hRead, &hWrite, &Sa, 0))
        return ::testing::AssertionFailure() << "CreatePipe: " << GetLastError();
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW Si = {};
    Si.cb = sizeof(Si);
    Si.dwFlags = STARTF_USESTDHANDLES;
    Si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    Si.hStdOutput = hWrite;
    Si.hStdError = hWrite;
    PROCESS_INFORMATION Pi;
    BOOL fStarted = CreateProcessW(wszExe, &wstrCmdLine[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &Si, &Pi);
    DWORD uErr = GetLastError();
    CloseHandle(hWrite);
    if (!fStarted)
    {
        CloseHandle(hRead);
        return ::testing::AssertionFailure() << "CreateProcessW: " << uErr;
    }

    std::string strOut;
    char ach[4096];
    DWORD cbRead;
    while (ReadFile(hRead, ach, sizeof(ach), &cbRead, NULL) && cbRead)
        strOut.append(ach, cbRead);
    CloseHandle(hRead);
    WaitForSingleObject(Pi.hProcess, INFINITE);
    DWORD uExit = 1;
    GetExitCodeProcess(Pi.hProcess, &uExit);
    CloseHandle(Pi.hProcess);
    CloseHandle(Pi.hThread);
    /* A probe that did not run at all would exit with 0 too. */
    if (uExit != 0 || strOut.find("[       OK ] FileSharing.DISABLED_ProbeFromAnotherProcess") == std::string::npos)
        return ::testing::AssertionFailure() << "probe exit " << uExit << ", output:\n" << strOut;
    return ::testing::AssertionSuccess();
}

TEST_F(FileSharing, ExtractionHandOverKeepsTheFileLocked)
{
    std::string strPath = path("package.msi");
    std::vector<uint8_t> abPackage = makePattern(g_cbPackage, g_uPatternSeed);

    /* Write the package. */
    AutoFile Writer;
    RTFILEACTION enmAction = RTFILEACTION_INVALID;
    ASSERT_EQ(INF_SUCCESS, RTFileOpenEx(strPath.c_str(), g_fOpenWrite, &Writer.h, &enmAction));
    EXPECT_EQ(RTFILEACTION_CREATED, enmAction);
    for (size_t off = 0; off < g_cbPackage; off += 100000)
        ASSERT_EQ(INF_SUCCESS, RTFileWrite(Writer.h, &abPackage[off], RT_MIN((size_t)100000, g_cbPackage - off), NULL));

    /* First re-open while the writer is still open; the holding open cannot happen yet. */
    AutoFile Verifier, Held;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Verifier.h, strPath.c_str(), g_fOpenVerify));
    EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileOpen(&Held.h, strPath.c_str(), g_fOpenHold));
    EXPECT_EQ(NIL_RTFILE, Held.h);
    uint64_t const idFile = fileIdOf(Writer.h);
    EXPECT_EQ(idFile, fileIdOf(Verifier.h));
    uint64_t cbFile = 0;
    ASSERT_EQ(INF_SUCCESS, RTFileQuerySize(Verifier.h, &cbFile));
    EXPECT_EQ(g_cbPackage, cbFile);
    EXPECT_EQ(abPackage, readInBlocks(Verifier.h, cbFile));

    /* The writer goes; the holding open works now. */
    ASSERT_EQ(INF_SUCCESS, Writer.close());
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Held.h, strPath.c_str(), g_fOpenHold));
    EXPECT_EQ(idFile, fileIdOf(Held.h));
    ASSERT_EQ(INF_SUCCESS, Verifier.close());

    /* Held: nobody writes, replaces, deletes or renames it, here or elsewhere. */
    checkHeldFile(strPath, idFile);
    EXPECT_TRUE(runProbeProcess(strPath, idFile));
    EXPECT_EQ(abPackage, readInBlocks(Held.h, g_cbPackage));

    /* Released, the file can be written and deleted again. */
    ASSERT_EQ(INF_SUCCESS, Held.close());
    AutoFile Writer2;
    EXPECT_EQ(INF_SUCCESS, RTFileOpen(&Writer2.h, strPath.c_str(), RTFILE_O_WRITE | RTFILE_O_OPEN));
    Writer2.close();
    EXPECT_EQ(INF_SUCCESS, RTFileDelete(strPath.c_str()));
    EXPECT_FALSE(exists("package.msi"));
}

TEST_F(FileSharing, HoldingOpenFailsWhileAnyWriterIsOpen)
{
    makeFile("a", makePattern(100));
    std::string strPath = path("a");
    AutoFile Verifier;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Verifier.h, strPath.c_str(), g_fOpenVerify));
    for (uint64_t fWriter : {RTFILE_O_WRITE | RTFILE_O_DENY_NONE, RTFILE_O_READWRITE | RTFILE_O_DENY_NONE,
                             RTFILE_O_WRITE | RTFILE_O_APPEND | RTFILE_O_DENY_NONE})
    {
        AutoFile Writer, Held;
        ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Writer.h, strPath.c_str(), fWriter)) << std::hex << fWriter;
        EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileOpen(&Held.h, strPath.c_str(), g_fOpenHold)) << std::hex << fWriter;
        Writer.close();
        EXPECT_EQ(INF_SUCCESS, RTFileOpen(&Held.h, strPath.c_str(), g_fOpenHold)) << std::hex << fWriter;
    }
    /* A reader without write access is no obstacle. */
    AutoFile Reader, Held;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Reader.h, strPath.c_str(), RTFILE_O_READ | RTFILE_O_DENY_NONE));
    EXPECT_EQ(INF_SUCCESS, RTFileOpen(&Held.h, strPath.c_str(), g_fOpenHold));
}

/** Run only by ExtractionHandOverKeepsTheFileLocked, in a process of its own. */
TEST_F(FileSharing, DISABLED_ProbeFromAnotherProcess)
{
    wchar_t wszPath[MAX_PATH * 2] = L"";
    wchar_t wszFileId[32] = L"";
    ASSERT_NE(0u, GetEnvironmentVariableW(g_wszEnvPath, wszPath, MAX_PATH * 2));
    ASSERT_NE(0u, GetEnvironmentVariableW(g_wszEnvFileId, wszFileId, 32));
    checkHeldFile(tst::narrow(wszPath), std::stoull(wszFileId));
}

} /* namespace */
