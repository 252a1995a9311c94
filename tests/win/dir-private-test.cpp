/** @file
 * Private directories: the descriptor the runtime builds for a directory
 * created with mode 0700, and what the file system returns for such a
 * directory, as SDDL text.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>
#include <algorithm>
#include <string>
#include <vector>
#include <rt/dir.h>
#include <rt/file.h>
#include "internal/dir-win.h"
#include "support/scratch-tree.h"

namespace
{

std::wstring sddlOf(PSECURITY_DESCRIPTOR pSd, SECURITY_INFORMATION fInfo)
{
    LPWSTR pwszSddl = NULL;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(pSd, SDDL_REVISION_1, fInfo, &pwszSddl, NULL))
        return L"<no SDDL: " + std::to_wstring(GetLastError()) + L">";
    std::wstring wstr(pwszSddl);
    LocalFree(pwszSddl);
    return wstr;
}

/** Owner and DACL of the file or directory @a strPath as SDDL. */
std::wstring sddlOfPath(const std::string &strPath)
{
    SECURITY_INFORMATION const fInfo = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD cbNeeded = 0;
    GetFileSecurityA(strPath.c_str(), fInfo, NULL, 0, &cbNeeded);
    std::string abSd(cbNeeded ? cbNeeded : 1, '\0');
    if (!GetFileSecurityA(strPath.c_str(), fInfo, &abSd[0], cbNeeded, &cbNeeded))
        return L"<no descriptor: " + std::to_wstring(GetLastError()) + L">";
    return sddlOf(&abSd[0], fInfo);
}

/** The process token's user as a SID string. */
std::wstring tokenUserSid()
{
    HANDLE hToken = NULL;
    union
    {
        TOKEN_USER User;
        BYTE ab[256];
    } Info;
    DWORD cb = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return L"<no token>";
    BOOL const fOk = GetTokenInformation(hToken, TokenUser, &Info, sizeof(Info), &cb);
    CloseHandle(hToken);
    LPWSTR pwszSid = NULL;
    if (!fOk || !ConvertSidToStringSidW(Info.User.User.Sid, &pwszSid))
        return L"<no user>";
    std::wstring wstr(pwszSid);
    LocalFree(pwszSid);
    return wstr;
}

/** Full control, inherited by what is created inside, for the user, SYSTEM and the Administrators. */
std::wstring privateDacl(const std::wstring &wstrUser, const wchar_t *pwszFlags)
{
    std::wstring wstrUserAce =
        wstrUser == L"S-1-5-18" ? L"" : L"(A;" + std::wstring(pwszFlags) + L";FA;;;" + wstrUser + L")";
    return wstrUserAce + L"(A;" + pwszFlags + L";FA;;;SY)(A;" + pwszFlags + L";FA;;;BA)";
}

TEST(DirPrivateSd, TheRuntimeBuildsAProtectedDaclForUserSystemAndAdministrators)
{
    RTDIRPRIVATESD Sd;
    ASSERT_EQ(INF_SUCCESS, rtDirWinInitPrivateSd(&Sd));
    std::wstring const wstrUser = tokenUserSid();
    EXPECT_EQ(L"O:" + wstrUser + L"D:P" + privateDacl(wstrUser, L"OICI"),
              sddlOf(&Sd.Sd, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION));
}

TEST(DirPrivateSd, OnlyModesGrantingNothingToGroupAndOthersArePrivate)
{
    struct
    {
        RTFMODE fMode;
        bool fPrivate;
    } const aCases[] = {
        {0700, true},  {0500, true},  {0100, true},  {0700 | RTFS_TYPE_DIRECTORY, true},
        {0750, false}, {0705, false}, {0755, false}, {0777, false},
        {0000, false}, {0070, false}, {0007, false}, {RTFS_TYPE_DIRECTORY, false},
    };
    for (const auto &Case : aCases)
        EXPECT_EQ(Case.fPrivate, rtDirWinIsPrivateMode(Case.fMode)) << std::oct << Case.fMode;
}

/** The trustees of the entries of the DACL in @a wstrSddl ("SY", "BA", a SID string, ...), in order. */
std::vector<std::wstring> trusteesOf(const std::wstring &wstrSddl)
{
    std::vector<std::wstring> aTrustees;
    for (size_t off = wstrSddl.find(L";;;"); off != std::wstring::npos; off = wstrSddl.find(L";;;", off + 3))
        aTrustees.push_back(wstrSddl.substr(off + 3, wstrSddl.find(L')', off) - off - 3));
    return aTrustees;
}

class DirPrivate : public tst::ScratchTree
{
};

/* Windows returns the descriptor the runtime gave the directory (see above). Wine keeps no descriptors:
   it turns the one given into the Unix mode 0700 and derives the descriptor it returns from that mode,
   which shows that the descriptor reached the system, and names no one beyond the user and SYSTEM. */
TEST_F(DirPrivate, A0700DirectoryHasEntriesForTheUserSystemAndAdministratorsOnly)
{
    std::wstring const wstrUser = tokenUserSid();
    std::string strTemp = path("tempXXXXXX");
    ASSERT_EQ(INF_SUCCESS, RTDirCreateTemp(&strTemp[0], 0700));
    std::string const strDir = path("private");
    ASSERT_EQ(INF_SUCCESS, RTDirCreate(strDir.c_str(), 0700, 0));
    for (const std::string &strPath : {strTemp, strDir})
    {
        std::wstring const wstrSddl = sddlOfPath(strPath);
        EXPECT_EQ(0u, wstrSddl.find(L"O:" + wstrUser + L"D:")) << wstrSddl;
        std::vector<std::wstring> const aTrustees = trusteesOf(wstrSddl);
        EXPECT_FALSE(aTrustees.empty()) << wstrSddl;
        for (const std::wstring &wstrTrustee : aTrustees)
            EXPECT_TRUE(wstrTrustee == wstrUser || wstrTrustee == L"SY" || wstrTrustee == L"BA") << wstrSddl;
    }
}

/** Whether the tests run under Wine, which keeps no descriptors of files. */
bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != NULL;
}

/* A package is written into the private directory as the installer writes it: created with mode 0700 and no
   descriptor of its own. On Windows it inherits the directory's three entries, marked inherited (ID). Wine
   gives a new file no inherited entries: it derives the descriptor it returns from the file's Unix mode, which
   lets everyone read; there the file is private because no one else may enter its directory (Unix mode 0700,
   checked by the whole-run tests). What Wine does show: the owner, and a directory still private after the
   write. */
TEST_F(DirPrivate, APackageWrittenIntoAPrivateDirectoryInheritsItsEntries)
{
    std::wstring const wstrUser = tokenUserSid();
    std::string const strDir = path("private");
    ASSERT_EQ(INF_SUCCESS, RTDirCreate(strDir.c_str(), 0700, 0));
    std::string const strFile = strDir + "\\package.msi";
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(INF_SUCCESS, RTFileOpen(&hFile, strFile.c_str(),
                                      RTFILE_O_WRITE | RTFILE_O_DENY_WRITE | RTFILE_O_CREATE_REPLACE |
                                          (UINT64_C(0700) << RTFILE_O_CREATE_MODE_SHIFT)));
    ASSERT_EQ(INF_SUCCESS, RTFileWrite(hFile, "MSI", 3, NULL));
    ASSERT_EQ(INF_SUCCESS, RTFileClose(hFile));
    std::wstring const wstrSddl = sddlOfPath(strFile);
    if (underWine())
        EXPECT_EQ(0u, wstrSddl.find(L"O:" + wstrUser + L"D:")) << wstrSddl;
    else
        EXPECT_EQ(L"O:" + wstrUser + L"D:" + privateDacl(wstrUser, L"ID"), wstrSddl);
    for (const std::wstring &wstrTrustee : trusteesOf(sddlOfPath(strDir)))
        EXPECT_TRUE(wstrTrustee == wstrUser || wstrTrustee == L"SY" || wstrTrustee == L"BA") << wstrTrustee;
}

TEST_F(DirPrivate, OtherModesKeepWhatTheParentGives)
{
    std::string const strShared = path("shared");
    ASSERT_EQ(INF_SUCCESS, RTDirCreate(strShared.c_str(), 0755, 0));
    std::wstring const wstrSddl = sddlOfPath(strShared);
    EXPECT_EQ(std::wstring::npos, wstrSddl.find(L"D:P")) << wstrSddl;
    /* The scratch tree lies where everyone may read. */
    std::vector<std::wstring> const aTrustees = trusteesOf(wstrSddl);
    EXPECT_NE(aTrustees.end(), std::find(aTrustees.begin(), aTrustees.end(), L"WD")) << wstrSddl;
}

} // namespace
