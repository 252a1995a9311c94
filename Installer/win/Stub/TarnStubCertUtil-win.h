/** @file
 * Test seams of the certificate store operation (tests only; see
 * internal/seam.h): the store calls, whose failures cannot be caused on
 * purpose and whose order of release tests check.
 */
#ifndef TARN_STUB_CERTUTIL_WIN_H
#define TARN_STUB_CERTUTIL_WIN_H

#include <windows.h>
#include <wincrypt.h>
#include "TarnStubSeams.h"

#ifdef RT_WITH_SEAMS
typedef struct StubSeamsCert
{
    decltype(&CertOpenStore) pfnCertOpenStore;
    decltype(&CertAddCertificateContextToStore) pfnCertAddCertificateContextToStore;
    decltype(&CertCloseStore) pfnCertCloseStore;
    decltype(&CertFreeCertificateContext) pfnCertFreeCertificateContext;
} StubSeamsCert;
#endif

#endif
