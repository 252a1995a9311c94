/** @file
 * Splitting the embedded certificate resource into the certificate table.
 */
#include "TarnStubEmbeddedCerts.h"
#include <rt/err.h>

namespace
{

uint32_t readU32(const uint8_t *pb)
{
    return (uint32_t)pb[0] | (uint32_t)pb[1] << 8 | (uint32_t)pb[2] << 16 | (uint32_t)pb[3] << 24;
}

} // namespace

int ParseEmbeddedCerts(const void *pvResource, size_t cbResource, EmbeddedCert *paCerts, uint32_t cMaxCerts,
                       uint32_t *pcCerts)
{
    if (!pvResource || !pcCerts)
        return ERR_INVALID_PARAMETER;
    const uint8_t *pb = static_cast<const uint8_t *>(pvResource);
    if (cbResource < EMBEDDED_CERT_COUNT_SIZE)
        return ERR_PARSE_ERROR;
    uint32_t const cCerts = readU32(pb);
    /* The sizes must fit before anything else is read; divided, so no product overflows. */
    size_t const cbSizesRoom = cbResource - EMBEDDED_CERT_COUNT_SIZE;
    if (cCerts > cbSizesRoom / EMBEDDED_CERT_SIZE_SIZE)
        return ERR_PARSE_ERROR;
    const uint8_t *pbSizes = pb + EMBEDDED_CERT_COUNT_SIZE;
    size_t offData = EMBEDDED_CERT_COUNT_SIZE + (size_t)cCerts * EMBEDDED_CERT_SIZE_SIZE;

    /* Check every size against what is left first, so the table is written whole or not at all. */
    size_t off = offData;
    for (uint32_t i = 0; i < cCerts; i++)
    {
        uint32_t const cb = readU32(pbSizes + (size_t)i * EMBEDDED_CERT_SIZE_SIZE);
        if (cb == 0 || cb > cbResource - off)
            return ERR_PARSE_ERROR;
        off += cb;
    }
    if (off != cbResource)
        return ERR_PARSE_ERROR;
    if (paCerts)
    {
        if (cCerts > cMaxCerts)
            return ERR_BUFFER_OVERFLOW;
        for (uint32_t i = 0; i < cCerts; i++)
        {
            paCerts[i].pbData = pb + offData;
            paCerts[i].cbData = readU32(pbSizes + (size_t)i * EMBEDDED_CERT_SIZE_SIZE);
            offData += paCerts[i].cbData;
        }
    }
    *pcCerts = cCerts;
    return INF_SUCCESS;
}
