/** @file
 * The table of the maker's certificates that every installer carries.
 *
 * The packer writes the certificates into the installer as one RT_RCDATA
 * resource, EMBEDDED_CERT_RESOURCE, laid out as:
 *  - the certificate count n (32 bits, little-endian);
 *  - n sizes in bytes (32 bits each, little-endian), in table order;
 *  - the n DER-encoded X.509 certificates, one after another, in table order.
 * An installer without certificates has no such resource. The installer reads
 * the resource in place into g_aEmbeddedCerts when it is about to add the
 * certificates to the store (TarnStubCertUtil.h); the certificates' bytes are
 * passed to the system as they are.
 */
#ifndef TARN_STUB_EMBEDDED_CERTS_H
#define TARN_STUB_EMBEDDED_CERTS_H

#include <rt/types.h>

/*
 * The resource's layout, as the packer writes it. The stub kit carries every
 * EMBEDDED_CERT definition of this header.
 */
#define EMBEDDED_CERT_RESOURCE   "CERTS"
#define EMBEDDED_CERT_COUNT_SIZE 4
#define EMBEDDED_CERT_SIZE_SIZE  4

/** One embedded certificate: its DER bytes and their count. */
typedef struct EmbeddedCert
{
    const uint8_t *pbData;
    uint32_t cbData;
} EmbeddedCert;

/** The certificates in table order; g_cEmbeddedCerts entries, none before LoadEmbeddedCerts. */
extern const EmbeddedCert *g_aEmbeddedCerts;
extern uint32_t g_cEmbeddedCerts;

/**
 * Splits the resource bytes @a pvResource (@a cbResource of them) into
 * certificates. With @a paCerts null only counts them; otherwise writes the
 * entries, which point into the resource, to @a paCerts (room for
 * @a cMaxCerts).
 * @returns INF_SUCCESS with the count in *pcCerts; ERR_INVALID_PARAMETER for
 *          null arguments; ERR_PARSE_ERROR when the bytes are cut short, have
 *          bytes after the last certificate or hold an empty certificate; ERR_BUFFER_OVERFLOW when the entries do not fit
 *          @a cMaxCerts (nothing written then).
 */
int ParseEmbeddedCerts(const void *pvResource, size_t cbResource, EmbeddedCert *paCerts, uint32_t cMaxCerts,
                       uint32_t *pcCerts);

/**
 * Fills g_aEmbeddedCerts and g_cEmbeddedCerts from the executable's resource
 * EMBEDDED_CERT_RESOURCE: no resource means no certificate. The table lives
 * until the process ends; a second call changes nothing.
 * @returns INF_SUCCESS; ERR_PARSE_ERROR for a damaged resource,
 *          ERR_NO_MEMORY, or the lookup's status (table left empty then).
 */
int LoadEmbeddedCerts(void);

#endif
