/** @file
 * The container lookup against real resources of this test program (laid out
 * by make-container-fixture.py, independently of tarn-pack).
 */
#include "support/stub-capture.h"
#include "TarnStubPackage.h"
#include "TarnStubCmdLine.h"
#include <rt/err.h>

#include <cstring>
#include <string>

namespace
{

class StubResourceTest : public StubCaptureTest
{
};

TEST_F(StubResourceTest, ManifestIsFoundWithItsSize)
{
    const void *pv = NULL;
    uint32_t cb = 0;
    ASSERT_EQ(INF_SUCCESS, FindEmbeddedResource("MANIFEST", &pv, &cb));
    ASSERT_EQ(16u, cb);
    const PackageManifest *pManifest = static_cast<const PackageManifest *>(pv);
    EXPECT_EQ(0, memcmp(pManifest->achMagic, "TarnInstV1\0\0\0\0\0", 15));
    EXPECT_EQ(4u, pManifest->cPackages);

    const void *pvAgain = NULL;
    ASSERT_EQ(INF_SUCCESS, FindEmbeddedResource("MANIFEST", &pvAgain, NULL)); /* the size is optional */
    EXPECT_EQ(pv, pvAgain);
}

TEST_F(StubResourceTest, PayloadBytesAreTheResourceInPlace)
{
    const void *pv = NULL;
    uint32_t cb = 0;
    ASSERT_EQ(INF_SUCCESS, FindEmbeddedResource("BIN_00", &pv, &cb));
    ASSERT_EQ(70000u, cb);
    const uint8_t *pb = static_cast<const uint8_t *>(pv);
    for (uint32_t i = 0; i < cb; i++)
        ASSERT_EQ((uint8_t)(i * 7 + 3), pb[i]) << "offset " << i;

    ASSERT_EQ(INF_SUCCESS, FindEmbeddedResource("BIN_01", &pv, &cb));
    EXPECT_EQ(1u, cb);
    EXPECT_EQ(0x42, *static_cast<const uint8_t *>(pv));
}

struct LookupFailure
{
    const char *pszName;
    int rcExpected;
};

TEST_F(StubResourceTest, FailuresLeaveThePointerAlone)
{
    static const LookupFailure s_aCases[] = {
        {NULL, ERR_INVALID_PARAMETER},   {"\xff", ERR_INVALID_UTF8_ENCODING},
        {"BIN_99", ERR_GENERAL_FAILURE}, {"PNGONLY", ERR_GENERAL_FAILURE}, /* another resource type */
        {"EMPTY", ERR_NO_DATA},
    };
    for (const LookupFailure &Case : s_aCases)
    {
        const void *pv = &Case;
        EXPECT_EQ(Case.rcExpected, FindEmbeddedResource(Case.pszName, &pv, NULL))
            << (Case.pszName ? Case.pszName : "null");
        EXPECT_EQ((const void *)&Case, pv);
    }
    EXPECT_EQ("", boxes()); /* lookups report nothing themselves */
}

TEST_F(StubResourceTest, HeadersByNumberWithTwoOrMoreDigits)
{
    const PackageHeader *pHdr = FindPackageHeader(0);
    ASSERT_TRUE(pHdr != NULL);
    EXPECT_EQ(PACKAGE_ARCH_AMD64, pHdr->uArch);
    EXPECT_STREQ("BIN_00", pHdr->szPayloadName);
    EXPECT_STREQ("Product_x64.msi", pHdr->szFileName);

    pHdr = FindPackageHeader(1);
    ASSERT_TRUE(pHdr != NULL);
    EXPECT_EQ(PACKAGE_ARCH_ARM64, pHdr->uArch);
    EXPECT_STREQ("\xc3\x9c"
                 "berall_arm64.msi",
                 pHdr->szFileName);

    pHdr = FindPackageHeader(2);
    ASSERT_TRUE(pHdr != NULL);
    EXPECT_EQ(PACKAGE_ARCH_ALL, pHdr->uArch);
    EXPECT_EQ(std::string(223, 'n'), pHdr->szFileName);

    pHdr = FindPackageHeader(10);
    ASSERT_TRUE(pHdr != NULL);
    EXPECT_STREQ("ten.msi", pHdr->szFileName);

    pHdr = FindPackageHeader(100);
    ASSERT_TRUE(pHdr != NULL);
    EXPECT_STREQ("hundred.msi", pHdr->szFileName);
    EXPECT_EQ("", boxes());
}

TEST_F(StubResourceTest, MissingHeaderIsShownAsInternalError)
{
    EXPECT_TRUE(FindPackageHeader(3) == NULL);
    EXPECT_EQ("W|0x10|Tarnvale Installer|Internal error: Could not find package header #3: ERR_GENERAL_FAILURE\n",
              boxes());

    g_fSilent = true;
    EXPECT_TRUE(FindPackageHeader(1000) == NULL);
    EXPECT_EQ("setup.exe: error: Internal error: Could not find package header #1000: ERR_GENERAL_FAILURE\n",
              m_strStdErr);
}

} // namespace
