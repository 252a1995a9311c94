/** @file
 * The table of the maker's certificates that every installer carries. The
 * packer writes its definition, an object file laid out as declared here,
 * when it packs an installer; the installer reads it (TarnStubCertUtil.h).
 *
 * g_cEmbeddedCerts entries of DER-encoded X.509 certificates, read-only and
 * passed to the system as they are. The array always has at least one element
 * so that it can be defined in C; only the first g_cEmbeddedCerts are
 * certificates.
 */
#ifndef TARN_STUB_EMBEDDED_CERTS_H
#define TARN_STUB_EMBEDDED_CERTS_H

#include <stdint.h>

/** One embedded certificate: its DER bytes and their count. */
typedef struct EmbeddedCert
{
    const uint8_t *pbData;
    uint32_t cbData;
} EmbeddedCert;

#ifdef __cplusplus
extern "C"
{
#endif
    extern const EmbeddedCert g_aEmbeddedCerts[];
    extern const uint32_t g_cEmbeddedCerts;
#ifdef __cplusplus
}
#endif

#endif
