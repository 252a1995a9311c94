/** @file
 * Opening, reading, writing, seeking and sizing real files under the system:
 * the action each open reports, the sharing each flag word grants, the
 * count and end-of-file rules of reading and writing, and positions and
 * sizes beyond 4 GiB.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>

#include <rt/file.h>
#include <rt/err.h>
#include "support/file-data.h"
#include "support/scratch-tree.h"

namespace
{

using tst::AutoFile;
using tst::makePattern;

class FileOpen : public tst::ScratchTree
{
};
class FileReadWrite : public tst::ScratchTree
{
};
class FilePosition : public tst::ScratchTree
{
};
class FileHandle : public tst::ScratchTree
{
};

uint64_t sizeOnDisk(const std::wstring &wstrPath)
{
    WIN32_FILE_ATTRIBUTE_DATA Data;
    if (!GetFileAttributesExW(wstrPath.c_str(), GetFileExInfoStandard, &Data))
        return UINT64_MAX;
    return ((uint64_t)Data.nFileSizeHigh << 32) | Data.nFileSizeLow;
}

TEST_F(FileOpen, ActionTakenByDispositionAndExistence)
{
    struct
    {
        uint64_t fOpen;
        bool fExists;
        int rcExpected;
        RTFILEACTION enmAction;
        uint64_t cbAfter; /* UINT64_MAX: the file must not exist afterwards */
    } const s_aCases[] = {
        {RTFILE_O_WRITE | RTFILE_O_CREATE, false, INF_SUCCESS, RTFILEACTION_CREATED, 0},
        {RTFILE_O_WRITE | RTFILE_O_CREATE, true, ERR_ALREADY_EXISTS, RTFILEACTION_ALREADY_EXISTS, 10},
        {RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE, false, INF_SUCCESS, RTFILEACTION_CREATED, 0},
        {RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE, true, INF_SUCCESS, RTFILEACTION_REPLACED, 0},
        {RTFILE_O_READ | RTFILE_O_OPEN_CREATE, false, INF_SUCCESS, RTFILEACTION_CREATED, 0},
        {RTFILE_O_READ | RTFILE_O_OPEN_CREATE, true, INF_SUCCESS, RTFILEACTION_OPENED, 10},
        {RTFILE_O_WRITE | RTFILE_O_OPEN_CREATE | RTFILE_O_TRUNCATE, false, INF_SUCCESS, RTFILEACTION_CREATED, 0},
        {RTFILE_O_WRITE | RTFILE_O_OPEN_CREATE | RTFILE_O_TRUNCATE, true, INF_SUCCESS, RTFILEACTION_TRUNCATED, 0},
        {RTFILE_O_WRITE | RTFILE_O_OPEN | RTFILE_O_TRUNCATE, true, INF_SUCCESS, RTFILEACTION_TRUNCATED, 0},
        {RTFILE_O_WRITE | RTFILE_O_OPEN | RTFILE_O_TRUNCATE, false, ERR_FILE_NOT_FOUND, RTFILEACTION_INVALID,
         UINT64_MAX},
        {RTFILE_O_READ | RTFILE_O_OPEN, true, INF_SUCCESS, RTFILEACTION_OPENED, 10},
        {RTFILE_O_READ, true, INF_SUCCESS, RTFILEACTION_OPENED, 10}, /* action 0 opens an existing file */
        {RTFILE_O_READ, false, ERR_FILE_NOT_FOUND, RTFILEACTION_INVALID, UINT64_MAX},
    };
    unsigned idx = 0;
    for (const auto &c : s_aCases)
    {
        std::string strName = "f" + std::to_string(idx++);
        if (c.fExists)
            makeFile(strName.c_str(), makePattern(10));
        RTFILE hFile = (RTFILE)(intptr_t)0x1234;
        RTFILEACTION enmAction = (RTFILEACTION)77;
        int rc = RTFileOpenEx(path(strName.c_str()).c_str(), c.fOpen, &hFile, &enmAction);
        EXPECT_EQ(c.rcExpected, rc) << strName;
        EXPECT_EQ(c.enmAction, enmAction) << strName;
        if (RT_SUCCESS(rc))
        {
            EXPECT_NE(NIL_RTFILE, hFile);
            EXPECT_EQ(INF_SUCCESS, RTFileClose(hFile));
        }
        else
            EXPECT_EQ(NIL_RTFILE, hFile) << strName;
        EXPECT_EQ(c.cbAfter, sizeOnDisk(wpath(strName.c_str()))) << strName;
    }
}

TEST_F(FileOpen, RefusedArgumentsLeaveNoHandle)
{
    makeFile("a", makePattern(1));
    std::string strPath = path("a");
    struct
    {
        uint64_t fOpen;
        int rcExpected;
    } const s_aCases[] = {
        {RTFILE_O_READ | RTFILE_O_TRUNCATE, ERR_INVALID_PARAMETER},
        {RTFILE_O_OPEN | RTFILE_O_DENY_NONE, ERR_INVALID_PARAMETER},
        {RTFILE_O_READ | UINT64_C(0x500), ERR_INVALID_PARAMETER},
        {RTFILE_O_READ | RTFILE_O_NOT_CONTENT_INDEXED, ERR_INVALID_PARAMETER},
    };
    for (const auto &c : s_aCases)
    {
        RTFILE hFile = (RTFILE)(intptr_t)0x1234;
        RTFILEACTION enmAction = (RTFILEACTION)77;
        EXPECT_EQ(c.rcExpected, RTFileOpenEx(strPath.c_str(), c.fOpen, &hFile, &enmAction)) << std::hex << c.fOpen;
        EXPECT_EQ(NIL_RTFILE, hFile);
        EXPECT_EQ(RTFILEACTION_INVALID, enmAction);
    }
    RTFILE hFile;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTFileOpen(&hFile, NULL, RTFILE_O_READ));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTFileOpen(NULL, strPath.c_str(), RTFILE_O_READ));
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTFileOpenEx(strPath.c_str(), RTFILE_O_READ, NULL, NULL));
}

/** One open holds a file; the second asks for access the first may or may not share. */
TEST_F(FileOpen, SharingGrantedByTheDenyField)
{
    struct
    {
        uint64_t fFirst;
        uint64_t fSecond;
        int rcExpected;
    } const s_aCases[] = {
        /* Deny field 0 shares reading and writing. */
        {RTFILE_O_READ, RTFILE_O_WRITE, INF_SUCCESS},
        {RTFILE_O_WRITE, RTFILE_O_READ, INF_SUCCESS},
        {RTFILE_O_READ | RTFILE_O_DENY_WRITE, RTFILE_O_WRITE, ERR_SHARING_VIOLATION},
        {RTFILE_O_READ | RTFILE_O_DENY_WRITE, RTFILE_O_READ, INF_SUCCESS},
        {RTFILE_O_READ | RTFILE_O_DENY_READ, RTFILE_O_READ, ERR_SHARING_VIOLATION},
        {RTFILE_O_READ | RTFILE_O_DENY_READ, RTFILE_O_WRITE, INF_SUCCESS},
        {RTFILE_O_READ | RTFILE_O_DENY_READWRITE, RTFILE_O_ACCESS_ATTR_READ, INF_SUCCESS},
        {RTFILE_O_READ | RTFILE_O_DENY_READWRITE, RTFILE_O_READ, ERR_SHARING_VIOLATION},
        /* The second open's own deny field must allow what the first already has. */
        {RTFILE_O_WRITE, RTFILE_O_READ | RTFILE_O_DENY_WRITE, ERR_SHARING_VIOLATION},
        {RTFILE_O_READ, RTFILE_O_READ | RTFILE_O_DENY_WRITE, INF_SUCCESS},
    };
    makeFile("a", makePattern(4));
    std::string strPath = path("a");
    for (const auto &c : s_aCases)
    {
        AutoFile First, Second;
        ASSERT_EQ(INF_SUCCESS, RTFileOpen(&First.h, strPath.c_str(), c.fFirst));
        EXPECT_EQ(c.rcExpected, RTFileOpen(&Second.h, strPath.c_str(), c.fSecond))
            << std::hex << c.fFirst << " then " << c.fSecond;
    }
}

TEST_F(FileOpen, DeleteIsSharedOnlyWhenAsked)
{
    makeFile("a", makePattern(4));
    makeFile("b", makePattern(4));
    AutoFile A, B;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&A.h, path("a").c_str(), RTFILE_O_READ | RTFILE_O_DENY_NONE));
    ASSERT_EQ(INF_SUCCESS,
              RTFileOpen(&B.h, path("b").c_str(), RTFILE_O_READ | RTFILE_O_DENY_WRITE | RTFILE_O_DENY_NOT_DELETE));
    EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileDelete(path("a").c_str()));
    EXPECT_EQ(INF_SUCCESS, RTFileDelete(path("b").c_str()));
    EXPECT_EQ(ERR_SHARING_VIOLATION, RTFileOpen(&A.h, path("b").c_str(), RTFILE_O_WRITE));
    B.close();
    EXPECT_TRUE(exists("a"));
    EXPECT_FALSE(exists("b"));
}

TEST_F(FileOpen, HandleInheritanceAndAttributes)
{
    AutoFile Plain, Inherit;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Plain.h, path("plain").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE));
    ASSERT_EQ(INF_SUCCESS,
              RTFileOpen(&Inherit.h, path("inherit").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE | RTFILE_O_INHERIT));
    DWORD fFlags = 0;
    ASSERT_TRUE(GetHandleInformation((HANDLE)Plain.h, &fFlags));
    EXPECT_EQ(0u, fFlags & HANDLE_FLAG_INHERIT);
    ASSERT_TRUE(GetHandleInformation((HANDLE)Inherit.h, &fFlags));
    EXPECT_EQ((DWORD)HANDLE_FLAG_INHERIT, fFlags & HANDLE_FLAG_INHERIT);

    /* Marking a new file not content-indexed is a follow-up of the open; the
       system may not keep the attribute, so what shows is that the open with
       it succeeds for created and replaced files alike. */
    for (RTFILEACTION enmExpected : {RTFILEACTION_CREATED, RTFILEACTION_REPLACED})
    {
        AutoFile Marked;
        RTFILEACTION enmAction = RTFILEACTION_INVALID;
        ASSERT_EQ(INF_SUCCESS, RTFileOpenEx(path("marked").c_str(),
                                            RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE | RTFILE_O_NOT_CONTENT_INDEXED,
                                            &Marked.h, &enmAction));
        EXPECT_EQ(enmExpected, enmAction);
        EXPECT_TRUE(RTFileIsValid(Marked.h));
    }
}

TEST_F(FileOpen, AppendWritesAtTheEnd)
{
    makeFile("a", std::vector<uint8_t>{1, 2, 3});
    {
        AutoFile File;
        ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_WRITE | RTFILE_O_APPEND));
        ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, 0, RTFILE_SEEK_BEGIN, NULL));
        const uint8_t ab[] = {4, 5};
        ASSERT_EQ(INF_SUCCESS, RTFileWrite(File.h, ab, sizeof(ab), NULL));
    }
    EXPECT_EQ(std::vector<uint8_t>({1, 2, 3, 4, 5}), readFile("a"));
}

/** What the server ends of @a cInstances pipe instances hold, in instance order. */
std::string pipeContent(const HANDLE *pahInstances, size_t cInstances)
{
    std::string str;
    for (size_t i = 0; i < cInstances; i++)
    {
        DWORD cbAvail = 0;
        if (!PeekNamedPipe(pahInstances[i], NULL, 0, NULL, &cbAvail, NULL))
            continue; /* never connected */
        std::string strPart(cbAvail, '\0');
        DWORD cbRead = 0;
        if (cbAvail && ReadFile(pahInstances[i], &strPart[0], cbAvail, &cbRead, NULL))
            str += strPart.substr(0, cbRead);
    }
    return str;
}

TEST_F(FileOpen, AppendToAPipeWritesEverything)
{
    /* A pipe has no end of file: an append open must still be able to write to it. The
       open may connect more than once, so the server offers two instances. */
    std::wstring const wstrName = L"\\\\.\\pipe\\tarn-append-" + std::to_wstring(GetCurrentProcessId());
    HANDLE ahInstances[2];
    for (HANDLE &hInstance : ahInstances)
    {
        hInstance = CreateNamedPipeW(wstrName.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                                     PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, hInstance);
    }
    std::string const strPath(wstrName.begin(), wstrName.end());
    std::string const strText = "Host architecture        : x86_64\r\nExtraction path          : C:\\x\r\n";
    {
        AutoFile File;
        ASSERT_EQ(INF_SUCCESS,
                  RTFileOpen(&File.h, strPath.c_str(),
                             RTFILE_O_WRITE | RTFILE_O_APPEND | RTFILE_O_OPEN_CREATE | RTFILE_O_DENY_NONE));
        /* In pieces, as a stream writes them out. */
        for (size_t off = 0; off < strText.size(); off += 27)
            ASSERT_EQ(INF_SUCCESS, RTFileWrite(File.h, &strText[off], std::min<size_t>(27, strText.size() - off), NULL))
                << "at " << off;
    }
    EXPECT_EQ(strText, pipeContent(ahInstances, 2));
    for (HANDLE hInstance : ahInstances)
        CloseHandle(hInstance);
}

TEST_F(FileReadWrite, WholeCountOrEndOfFile)
{
    std::vector<uint8_t> abData = makePattern(100);
    makeFile("a", abData);
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));

    std::vector<uint8_t> abBuf(150, 0xee);
    size_t cbRead = 12345;
    /* A count of 0 reads nothing and reports 0. */
    EXPECT_EQ(INF_SUCCESS, RTFileRead(File.h, abBuf.data(), 0, &cbRead));
    EXPECT_EQ(0u, cbRead);
    /* Without an out count: all or ERR_EOF, with what there was read. */
    EXPECT_EQ(ERR_EOF, RTFileRead(File.h, abBuf.data(), 150, NULL));
    EXPECT_TRUE(std::equal(abData.begin(), abData.end(), abBuf.begin()));
    EXPECT_EQ(100u, RTFileTell(File.h));
    EXPECT_EQ(ERR_EOF, RTFileRead(File.h, abBuf.data(), 1, NULL));
    /* With an out count: a short read and the end are success. */
    cbRead = 12345;
    EXPECT_EQ(INF_SUCCESS, RTFileRead(File.h, abBuf.data(), 10, &cbRead));
    EXPECT_EQ(0u, cbRead);
    ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, 90, RTFILE_SEEK_BEGIN, NULL));
    EXPECT_EQ(INF_SUCCESS, RTFileRead(File.h, abBuf.data(), 50, &cbRead));
    EXPECT_EQ(10u, cbRead);
    EXPECT_TRUE(std::equal(abData.begin() + 90, abData.end(), abBuf.begin()));
    /* An exact read without an out count. */
    ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, 0, RTFILE_SEEK_BEGIN, NULL));
    std::vector<uint8_t> abAll(100);
    EXPECT_EQ(INF_SUCCESS, RTFileRead(File.h, abAll.data(), abAll.size(), NULL));
    EXPECT_EQ(abData, abAll);
}

TEST_F(FileReadWrite, WritesLandAndCount)
{
    std::vector<uint8_t> abData = makePattern(300000);
    {
        AutoFile File;
        ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE));
        size_t cbWritten = 777;
        EXPECT_EQ(INF_SUCCESS, RTFileWrite(File.h, abData.data(), 0, &cbWritten));
        EXPECT_EQ(0u, cbWritten);
        EXPECT_EQ(INF_SUCCESS, RTFileWrite(File.h, abData.data(), 1000, &cbWritten));
        EXPECT_EQ(1000u, cbWritten);
        EXPECT_EQ(INF_SUCCESS, RTFileWrite(File.h, &abData[1000], abData.size() - 1000, NULL));
        EXPECT_EQ(INF_SUCCESS, RTFileFlush(File.h));
        uint64_t cbSize = 0;
        EXPECT_EQ(INF_SUCCESS, RTFileQuerySize(File.h, &cbSize));
        EXPECT_EQ(abData.size(), cbSize);
    }
    EXPECT_EQ(abData, readFile("a"));

    /* Writing through a handle without write access is refused, and nothing changes. */
    AutoFile Reader;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&Reader.h, path("a").c_str(), RTFILE_O_READ));
    EXPECT_EQ(ERR_ACCESS_DENIED, RTFileWrite(Reader.h, "x", 1, NULL));
    size_t cbWritten = 5;
    EXPECT_EQ(ERR_ACCESS_DENIED, RTFileWrite(Reader.h, "x", 1, &cbWritten));
    Reader.close();
    EXPECT_EQ(abData, readFile("a"));
}

TEST_F(FilePosition, SeekAndTell)
{
    makeFile("a", makePattern(100));
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("a").c_str(), RTFILE_O_READ));
    struct
    {
        int64_t off;
        unsigned uMethod;
        int rcExpected;
        uint64_t offAfter;
    } const s_aSteps[] = {
        {10, RTFILE_SEEK_BEGIN, INF_SUCCESS, 10},
        {-3, RTFILE_SEEK_CURRENT, INF_SUCCESS, 7},
        {-1, RTFILE_SEEK_END, INF_SUCCESS, 99},
        {50, RTFILE_SEEK_END, INF_SUCCESS, 150},
        {-200, RTFILE_SEEK_CURRENT, ERR_NEGATIVE_SEEK, 150},
        {0, 3, ERR_INVALID_PARAMETER, 150},
        /* Positions whose low half is all ones are positions like any other. */
        {INT64_C(0xffffffff), RTFILE_SEEK_BEGIN, INF_SUCCESS, UINT64_C(0xffffffff)},
        {INT64_C(0xfffffffe), RTFILE_SEEK_BEGIN, INF_SUCCESS, UINT64_C(0xfffffffe)},
        {1, RTFILE_SEEK_CURRENT, INF_SUCCESS, UINT64_C(0xffffffff)},
        {INT64_C(0x1ffffffff) - 100, RTFILE_SEEK_END, INF_SUCCESS, UINT64_C(0x1ffffffff)},
        {INT64_C(0x100000005), RTFILE_SEEK_BEGIN, INF_SUCCESS, UINT64_C(0x100000005)},
        {-INT64_C(0x100000000), RTFILE_SEEK_CURRENT, INF_SUCCESS, 5},
    };
    for (const auto &s : s_aSteps)
    {
        uint64_t offActual = 0xdead;
        int rc = RTFileSeek(File.h, s.off, s.uMethod, &offActual);
        EXPECT_EQ(s.rcExpected, rc) << std::hex << s.off << " method " << s.uMethod;
        if (RT_SUCCESS(rc))
        {
            EXPECT_EQ(s.offAfter, offActual) << std::hex << s.off << " method " << s.uMethod;
        }
        EXPECT_EQ(s.offAfter, RTFileTell(File.h)) << std::hex << s.off << " method " << s.uMethod;
    }
    EXPECT_EQ(UINT64_MAX, RTFileTell(NIL_RTFILE));
}

TEST_F(FilePosition, SizesAcrossThe4GiBMark)
{
    AutoFile File;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&File.h, path("sparse").c_str(), RTFILE_O_READWRITE | RTFILE_O_CREATE));
    for (uint64_t cb : {UINT64_C(0), UINT64_C(100), UINT64_C(0xffffffff), UINT64_C(0x100000005)})
    {
        ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, (int64_t)cb, RTFILE_SEEK_BEGIN, NULL));
        ASSERT_TRUE(SetEndOfFile((HANDLE)File.h)) << GetLastError();
        uint64_t cbSize = 0;
        EXPECT_EQ(INF_SUCCESS, RTFileQuerySize(File.h, &cbSize)) << std::hex << cb;
        EXPECT_EQ(cb, cbSize);
        RTOBJINFO Info;
        ASSERT_EQ(INF_SUCCESS, RTFileQueryInfo(File.h, &Info, RTOBJINFOADD_NOTHING));
        EXPECT_EQ((int64_t)cb, Info.cbObject);
    }
    /* A byte written beyond 4 GiB reads back from there. */
    ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, INT64_C(0x100000001), RTFILE_SEEK_BEGIN, NULL));
    ASSERT_EQ(INF_SUCCESS, RTFileWrite(File.h, "Z", 1, NULL));
    ASSERT_EQ(INF_SUCCESS, RTFileSeek(File.h, -2, RTFILE_SEEK_CURRENT, NULL));
    char ach[3] = {1, 1, 1};
    EXPECT_EQ(INF_SUCCESS, RTFileRead(File.h, ach, 3, NULL));
    EXPECT_EQ(0, ach[0]);
    EXPECT_EQ('Z', ach[1]);
    EXPECT_EQ(0, ach[2]);
}

TEST_F(FileHandle, NilClosedAndNativeHandles)
{
    EXPECT_EQ(INF_SUCCESS, RTFileClose(NIL_RTFILE));
    EXPECT_FALSE(RTFileIsValid(NIL_RTFILE));

    makeFile("a", "xy");
    HANDLE hNative = CreateFileW(wpath("a").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hNative);
    RTFILE hFile = NIL_RTFILE;
    EXPECT_EQ(INF_SUCCESS, RTFileFromNative(&hFile, (intptr_t)hNative));
    EXPECT_EQ((RTFILE)hNative, hFile);
    EXPECT_TRUE(RTFileIsValid(hFile));
    char ach[2];
    EXPECT_EQ(INF_SUCCESS, RTFileRead(hFile, ach, 2, NULL));
    EXPECT_EQ('y', ach[1]);
    EXPECT_EQ(INF_SUCCESS, RTFileClose(hFile));
    /* The value now names nothing. */
    EXPECT_FALSE(RTFileIsValid(hFile));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTFileClose(hFile));

    hFile = (RTFILE)(intptr_t)0x1234;
    EXPECT_EQ(ERR_INVALID_HANDLE, RTFileFromNative(&hFile, -1));
    EXPECT_EQ(NIL_RTFILE, hFile);

    /* Pipes are valid file handles too. */
    HANDLE hRead, hWrite;
    ASSERT_TRUE(CreatePipe(&hRead, &hWrite, NULL, 0));
    EXPECT_TRUE(RTFileIsValid((RTFILE)hRead));
    EXPECT_EQ(INF_SUCCESS, RTFileWrite((RTFILE)hWrite, "pipe", 4, NULL));
    char achPipe[4];
    size_t cbRead = 0;
    EXPECT_EQ(INF_SUCCESS, RTFileRead((RTFILE)hRead, achPipe, sizeof(achPipe), &cbRead));
    EXPECT_EQ(4u, cbRead);
    EXPECT_EQ(INF_SUCCESS, RTFileClose((RTFILE)hRead));
    EXPECT_EQ(INF_SUCCESS, RTFileClose((RTFILE)hWrite));
}

} /* namespace */

namespace
{

class FileLongPath : public tst::ScratchTree
{
};

/** Every path-taking call works past the classic Win32 length limit. */
TEST_F(FileLongPath, PathsBeyondTheWin32Limit)
{
    std::string strRel = std::string(120, 'd') + "\\" + std::string(120, 'e');
    ASSERT_TRUE(CreateDirectoryW(tst::longForm(wpath(std::string(120, 'd').c_str())).c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryW(tst::longForm(wpath(strRel.c_str())).c_str(), NULL));
    std::string strName = strRel + "\\" + std::string(100, 'f') + ".msi";
    std::string strPath = path(strName.c_str());
    ASSERT_GT(strPath.size(), 300u);

    std::vector<uint8_t> abData = makePattern(5000);
    {
        AutoFile File;
        RTFILEACTION enmAction;
        ASSERT_EQ(INF_SUCCESS, RTFileOpenEx(strPath.c_str(), UINT64_C(0x1C000322), &File.h, &enmAction));
        EXPECT_EQ(RTFILEACTION_CREATED, enmAction);
        ASSERT_EQ(INF_SUCCESS, RTFileWrite(File.h, abData.data(), abData.size(), NULL));
    }
    EXPECT_EQ(abData, readFile(strName.c_str()));

    std::string strNewName = strRel + "\\" + std::string(100, 'g') + ".msi";
    EXPECT_EQ(INF_SUCCESS, RTFileRename(strPath.c_str(), path(strNewName.c_str()).c_str(), 0));
    EXPECT_FALSE(exists(strName.c_str()));
    EXPECT_EQ(abData, readFile(strNewName.c_str()));
    EXPECT_EQ(INF_SUCCESS, RTFileDelete(path(strNewName.c_str()).c_str()));
    EXPECT_FALSE(exists(strNewName.c_str()));
}

} /* namespace */
