/** @file
 * Fuzzes the split of the certificate resource into the table: arbitrary
 * bytes, copied into a heap block of exactly their size so that any over-read
 * shows. Counting and filling must agree, and every entry accepted must be a
 * non-empty run of bytes inside the resource, the runs following each other
 * up to its end.
 */
#include <stdlib.h>
#include <string.h>
#include <vector>
#include "TarnStubEmbeddedCerts.h"
#include <rt/err.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData)
{
    uint8_t *pb = static_cast<uint8_t *>(malloc(cbData ? cbData : 1));
    memcpy(pb, pbData, cbData);
    uint32_t cCerts = 0;
    int rc = ParseEmbeddedCerts(pb, cbData, NULL, 0, &cCerts);
    if (RT_SUCCESS(rc))
    {
        std::vector<EmbeddedCert> table(cCerts);
        uint32_t cFilled = 0;
        if (ParseEmbeddedCerts(pb, cbData, table.data(), cCerts, &cFilled) != INF_SUCCESS || cFilled != cCerts)
            abort();
        const uint8_t *pbNext = pb + 4 + 4 * (size_t)cCerts;
        for (const EmbeddedCert &cert : table)
        {
            if (cert.pbData != pbNext || cert.cbData == 0)
                abort();
            pbNext += cert.cbData;
        }
        if (pbNext != pb + cbData)
            abort();
    }
    else if (rc != ERR_PARSE_ERROR)
        abort();
    free(pb);
    return 0;
}
