/** @file
 * The file names of package headers: every name of the table that the packer's
 * tests also use, in a header field of the real size.
 */
#include <gtest/gtest.h>
#include "TarnStubPackage.h"
#include "TarnStubPackageName.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{

struct NameCase
{
    bool fOk;
    std::string strName;
};

/** "\xNN" in the table stands for the byte NN. */
std::string unescape(const std::string &strText)
{
    std::string str;
    for (size_t i = 0; i < strText.size(); i++)
    {
        if (strText.compare(i, 2, "\\x") == 0 && i + 3 < strText.size())
        {
            str += (char)std::stoi(strText.substr(i + 2, 2), nullptr, 16);
            i += 3;
        }
        else
            str += strText[i];
    }
    return str;
}

std::vector<NameCase> readNameTable()
{
    std::vector<NameCase> aCases;
    FILE *pFile = fopen(TARN_PACKAGE_NAMES_FILE, "rb");
    if (!pFile)
        return aCases;
    char szLine[1024];
    while (fgets(szLine, sizeof(szLine), pFile))
    {
        std::string strLine(szLine);
        strLine.erase(strLine.find_last_not_of("\r\n") + 1);
        size_t const offTab = strLine.find('\t');
        if (strLine.empty() || strLine[0] == '#' || offTab == std::string::npos)
            continue;
        aCases.push_back({strLine.compare(0, offTab, "ok") == 0, unescape(strLine.substr(offTab + 1))});
    }
    fclose(pFile);
    return aCases;
}

/** The header field as the packer fills it: the name, then NULs to the end (none when it fills the field). */
std::vector<char> headerField(const std::string &strName)
{
    std::vector<char> achField(sizeof(PackageHeader::szFileName), '\0');
    memcpy(achField.data(), strName.data(), std::min(strName.size(), achField.size()));
    return achField;
}

TEST(StubPackageNameTest, TheSharedTable)
{
    std::vector<NameCase> const aCases = readNameTable();
    ASSERT_GT(aCases.size(), 40u) << "the table " << TARN_PACKAGE_NAMES_FILE << " was not read";
    for (const NameCase &Case : aCases)
    {
        std::vector<char> const achField = headerField(Case.strName);
        const char *pszWhy = "not set";
        bool const fOk = IsPlainPackageFileName(achField.data(), achField.size(), &pszWhy);
        EXPECT_EQ(Case.fOk, fOk) << "'" << Case.strName << "' (" << Case.strName.size() << " bytes)";
        if (Case.fOk)
            EXPECT_EQ(nullptr, pszWhy) << Case.strName;
        else
            EXPECT_NE(nullptr, pszWhy) << Case.strName;
    }
}

TEST(StubPackageNameTest, OnlyTheBytesBeforeTheFirstNulCount)
{
    char achField[16] = "a.msi\0..\\CON:";
    const char *pszWhy = NULL;
    EXPECT_TRUE(IsPlainPackageFileName(achField, sizeof(achField), &pszWhy));

    memset(achField, 'a', sizeof(achField));
    EXPECT_FALSE(IsPlainPackageFileName(achField, sizeof(achField), &pszWhy));
    EXPECT_STREQ("has no end within its field", pszWhy);
}

} // namespace
