/** @file
 * The certificates the installer carries for the trusted-publisher store.
 *
 * The table is generated when the installer is packed (scripts/tarn-pack):
 * g_cEmbeddedCerts entries of DER-encoded X.509 certificates, read-only. The
 * array always has at least one element so that it can be defined in C; only
 * the first g_cEmbeddedCerts are certificates.
 */
#ifndef TARN_STUB_CERTS_H
#define TARN_STUB_CERTS_H

#include <rt/types.h>

/** One embedded certificate: its DER bytes and their count. */
typedef struct EmbeddedCert
{
    const uint8_t *pbData;
    uint32_t cbData;
} EmbeddedCert;

extern "C" const EmbeddedCert g_aEmbeddedCerts[];
extern "C" const uint32_t g_cEmbeddedCerts;

#endif
