/** @file
 * The certificate resource split into the table: well-formed resources give
 * their certificates in order, pointing into the resource; every damaged one
 * is refused without a table entry written.
 */
#include <gtest/gtest.h>
#include "TarnStubEmbeddedCerts.h"
#include <rt/err.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{

typedef std::vector<uint8_t> Bytes;

void putU32(Bytes &ab, uint32_t u)
{
    for (int i = 0; i < 4; i++)
        ab.push_back((uint8_t)(u >> (8 * i)));
}

/** A resource as the packer writes it: the count, the sizes, the certificates. */
Bytes resourceOf(const std::vector<std::string> &certs)
{
    Bytes ab;
    putU32(ab, (uint32_t)certs.size());
    for (const std::string &str : certs)
        putU32(ab, (uint32_t)str.size());
    for (const std::string &str : certs)
        ab.insert(ab.end(), str.begin(), str.end());
    return ab;
}

TEST(StubEmbeddedCertsTest, WellFormedResourcesGiveTheirCertificatesInOrder)
{
    const std::vector<std::vector<std::string>> cases = {{}, {"A"}, {"first", "second!", "3"}};
    for (const std::vector<std::string> &certs : cases)
    {
        Bytes ab = resourceOf(certs);
        uint32_t cCerts = 99;
        ASSERT_EQ(INF_SUCCESS, ParseEmbeddedCerts(ab.data(), ab.size(), NULL, 0, &cCerts));
        ASSERT_EQ(certs.size(), cCerts);
        std::vector<EmbeddedCert> table(cCerts + 1, EmbeddedCert{NULL, 0});
        ASSERT_EQ(INF_SUCCESS, ParseEmbeddedCerts(ab.data(), ab.size(), table.data(), cCerts, &cCerts));
        for (uint32_t i = 0; i < cCerts; i++)
        {
            EXPECT_EQ(certs[i], std::string((const char *)table[i].pbData, table[i].cbData)) << i;
            EXPECT_TRUE(table[i].pbData >= ab.data() && table[i].pbData + table[i].cbData <= ab.data() + ab.size());
        }
        EXPECT_EQ(NULL, table[cCerts].pbData) << "only the certificates are written";
    }
}

TEST(StubEmbeddedCertsTest, DamagedResourcesAreRefusedWithoutAnEntryWritten)
{
    const Bytes good = resourceOf({"one", "two"});
    struct Case
    {
        const char *pszWhat;
        Bytes ab;
    };
    Bytes cutShort(good.begin(), good.end() - 1);
    Bytes trailing = good;
    trailing.push_back(0);
    Bytes emptyCert = resourceOf({"one", ""});
    Bytes countTooBig = good;
    countTooBig[0] = 3;
    Bytes hugeCount = good;
    hugeCount[3] = 0x40; /* 0x40000002 sizes: their bytes overflow a 32-bit product */
    Bytes sizeOverflow = good;
    sizeOverflow[8] = 0xff, sizeOverflow[9] = 0xff, sizeOverflow[10] = 0xff, sizeOverflow[11] = 0xff;
    const std::vector<Case> cases = {{"no count", Bytes{1, 0}},
                                     {"cut short", cutShort},
                                     {"bytes after the last certificate", trailing},
                                     {"an empty certificate", emptyCert},
                                     {"a count larger than the sizes given", countTooBig},
                                     {"a count whose sizes overflow", hugeCount},
                                     {"a size past the end", sizeOverflow}};
    for (const Case &c : cases)
    {
        EmbeddedCert table[4] = {};
        uint32_t cCerts = 77;
        EXPECT_EQ(ERR_PARSE_ERROR, ParseEmbeddedCerts(c.ab.data(), c.ab.size(), table, 4, &cCerts)) << c.pszWhat;
        EXPECT_EQ(77u, cCerts) << c.pszWhat;
        EXPECT_EQ(NULL, table[0].pbData) << c.pszWhat;
    }
}

TEST(StubEmbeddedCertsTest, ATableTooSmallIsReportedAndLeftAlone)
{
    Bytes ab = resourceOf({"one", "two"});
    EmbeddedCert table[1] = {};
    uint32_t cCerts = 0;
    EXPECT_EQ(ERR_BUFFER_OVERFLOW, ParseEmbeddedCerts(ab.data(), ab.size(), table, 1, &cCerts));
    EXPECT_EQ(NULL, table[0].pbData);
    EXPECT_EQ(ERR_INVALID_PARAMETER, ParseEmbeddedCerts(NULL, 4, table, 1, &cCerts));
}

} // namespace
