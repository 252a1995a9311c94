/** @file
 * Putting a certificate into a system certificate store.
 */
#include "TarnStubCertUtil.h"
#include "TarnStubCertUtil-win.h"
#include "internal/seam.h"
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/message.h>
#include <rt/string.h>
#include <rt/utf16.h>

static_assert(STUB_CERT_STORE_LOCAL_MACHINE == CERT_SYSTEM_STORE_LOCAL_MACHINE, "local machine store location");

namespace
{

/** X509_ASN_ENCODING | PKCS_7_ASN_ENCODING. */
const DWORD STUB_CERT_ENCODING = 0x10001;

/** The certificate's context, or null after the error line. */
PCCERT_CONTEXT createContext(const void *pvCert, uint32_t cbCert)
{
    PCCERT_CONTEXT pContext = CertCreateCertificateContext(STUB_CERT_ENCODING, (const BYTE *)pvCert, cbCert);
    if (!pContext)
        RTMsgError("Unable to get certificate context: %d", (int)GetLastError());
    return pContext;
}

/**
 * Opens the system store @a pszStoreName, creating it when it is missing (the
 * open-existing bit of @a fStoreLocation is cleared). Null after the error
 * line.
 */
HCERTSTORE openStore(uint32_t fStoreLocation, const char *pszStoreName)
{
    HCERTSTORE hStore = NULL;
    DWORD dwErr = ERROR_SUCCESS;
    RTUTF16 *pwszStoreName = NULL;
    int const rc = RTStrToUtf16(pszStoreName, &pwszStoreName, RTMEM_TAG);
    if (RT_SUCCESS(rc))
    {
        hStore = RT_SEAM(g_StubSeamsCert, CertOpenStore)(CERT_STORE_PROV_SYSTEM_W, STUB_CERT_ENCODING, 0,
                                                         fStoreLocation & ~(DWORD)CERT_STORE_OPEN_EXISTING_FLAG,
                                                         pwszStoreName);
        dwErr = GetLastError(); /* before the free can touch it */
        RTUtf16Free(pwszStoreName);
    }
    else
        dwErr = GetLastError();
    if (!hStore)
        RTMsgError("Unable to open certificates store: %d", (int)dwErr);
    return hStore;
}

} // namespace

bool PutCertificateInStore(uint32_t fStoreLocation, const char *pszStoreName, const void *pvCert, uint32_t cbCert)
{
    PCCERT_CONTEXT pContext = createContext(pvCert, cbCert);
    if (!pContext)
        return false;

    HCERTSTORE hStore = openStore(fStoreLocation, pszStoreName);
    if (!hStore)
    {
        RT_SEAM(g_StubSeamsCert, CertFreeCertificateContext)(pContext);
        return false;
    }

    bool const fAdded = RT_SEAM(g_StubSeamsCert, CertAddCertificateContextToStore)(
                            hStore, pContext, CERT_STORE_ADD_REPLACE_EXISTING, NULL) != FALSE;
    if (!fAdded)
        RTMsgError("Unable to install certificate: %d", (int)GetLastError());

    RT_SEAM(g_StubSeamsCert, CertCloseStore)(hStore, CERT_CLOSE_STORE_CHECK_FLAG);
    RT_SEAM(g_StubSeamsCert, CertFreeCertificateContext)(pContext);
    return fAdded;
}
