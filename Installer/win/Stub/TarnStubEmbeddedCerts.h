/** @file
 * The table of the maker's certificates that every installer carries.
 *
 * The packer writes the certificates into the installer as RT_RCDATA
 * resources beside the package container, one per certificate, named
 * EMBEDDED_CERT_RESOURCE_PREFIX and the certificate's place in the table
 * with at least two digits ("CERT_00", "CERT_01", ...): the table's entries
 * are those resources from number 0 up to the first number missing. Each
 * holds one DER-encoded X.509 certificate, read in place and passed to the
 * system as it is. An installer without certificates has none.
 */
#ifndef TARN_STUB_EMBEDDED_CERTS_H
#define TARN_STUB_EMBEDDED_CERTS_H

#include <rt/types.h>

/** Names of the certificate resources: the prefix, then the entry's number. The stub kit carries it. */
#define EMBEDDED_CERT_RESOURCE_PREFIX "CERT_"

/**
 * Entry @a idxCert of the certificate table.
 * @returns true with *ppvCert pointing at the certificate's bytes (read-only,
 *          valid for the life of the process) and their count in *pcbCert;
 *          false when the table has fewer entries.
 */
bool FindEmbeddedCert(uint32_t idxCert, const void **ppvCert, uint32_t *pcbCert);

#endif
