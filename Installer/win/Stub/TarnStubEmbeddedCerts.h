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

#include <stddef.h>
#include <stdint.h>

/*
 * The table's layout in the 32-bit installer, as the packer writes it: the
 * count and the array under these C names, each entry EMBEDDED_CERT_SIZE
 * bytes with the address and the count of its bytes at the given offsets.
 * The stub kit carries every EMBEDDED_CERT definition of this header.
 */
#define EMBEDDED_CERT_COUNT_SYMBOL "g_cEmbeddedCerts"
#define EMBEDDED_CERT_TABLE_SYMBOL "g_aEmbeddedCerts"
#define EMBEDDED_CERT_SIZE         8
#define EMBEDDED_CERT_DATA_OFFSET  0
#define EMBEDDED_CERT_COUNT_OFFSET 4

/** One embedded certificate: its DER bytes and their count. */
typedef struct EmbeddedCert
{
    const uint8_t *pbData;
    uint32_t cbData;
} EmbeddedCert;
#if defined(__cplusplus) && defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(EmbeddedCert) == EMBEDDED_CERT_SIZE, "EmbeddedCert size");
static_assert(offsetof(EmbeddedCert, pbData) == EMBEDDED_CERT_DATA_OFFSET &&
                  offsetof(EmbeddedCert, cbData) == EMBEDDED_CERT_COUNT_OFFSET,
              "EmbeddedCert field offsets");
#endif

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
