/** @file
 * The maker's code-signing certificates and the certificate store.
 *
 * Before a silent installation the installer puts the certificates it carries
 * into the local machine's "TrustedPublisher" store, so that Windows trusts
 * the maker's signed drivers and programs without asking.
 * The table of those certificates is TarnStubEmbeddedCerts.h.
 */
#ifndef TARN_STUB_CERTUTIL_H
#define TARN_STUB_CERTUTIL_H

#include <rt/types.h>
#include "TarnStubEmbeddedCerts.h"

/** CERT_SYSTEM_STORE_LOCAL_MACHINE: the machine's stores, not the user's. */
#define STUB_CERT_STORE_LOCAL_MACHINE UINT32_C(0x20000)
/** The store of publishers whose signatures are trusted without asking. */
#define STUB_CERT_STORE_TRUSTED_PUBLISHER "TrustedPublisher"

/**
 * Adds the DER-encoded X.509 certificate @a pvCert (@a cbCert bytes) to the
 * system store @a pszStoreName (UTF-8) at @a fStoreLocation (CERT_SYSTEM_STORE_XXX
 * flags), creating the store when it does not exist and replacing a copy of
 * the certificate that is already there.
 *
 * @returns true when the certificate is in the store. False after one error
 *          line on standard error (RTMsgError, never a box) with the system's
 *          error number: "Unable to get certificate context: %d" (not a
 *          certificate), "Unable to open certificates store: %d", "Unable to
 *          install certificate: %d". Nothing obtained stays open either way.
 *
 * CRYPT32 is bound on first use from the system directory.
 */
bool PutCertificateInStore(uint32_t fStoreLocation, const char *pszStoreName, const void *pvCert, uint32_t cbCert);

#endif
