/** @file
 * The certificate table, read from the executable's own resource.
 */
#include <windows.h>
#include "TarnStubEmbeddedCerts.h"
#include <rt/err.h>
#include <rt/mem.h>

const EmbeddedCert *g_aEmbeddedCerts = NULL;
uint32_t g_cEmbeddedCerts = 0;

int LoadEmbeddedCerts(void)
{
    if (g_aEmbeddedCerts)
        return INF_SUCCESS;
    /* Language-neutral, as every resource of the container is looked up. */
    HRSRC hRsrc = FindResourceExW(NULL, RT_RCDATA, L"" EMBEDDED_CERT_RESOURCE, 0);
    if (!hRsrc)
        return INF_SUCCESS; /* an installer packed without certificates */
    DWORD const cbResource = SizeofResource(NULL, hRsrc);
    HGLOBAL hGlobal = LoadResource(NULL, hRsrc);
    const void *pvResource = hGlobal ? LockResource(hGlobal) : NULL;
    if (!pvResource)
        return ERR_GENERAL_FAILURE;

    uint32_t cCerts = 0;
    int rc = ParseEmbeddedCerts(pvResource, cbResource, NULL, 0, &cCerts);
    if (RT_FAILURE(rc) || cCerts == 0)
        return rc;
    EmbeddedCert *paCerts = static_cast<EmbeddedCert *>(RTMemAllocTag(cCerts * sizeof(EmbeddedCert), RTMEM_TAG));
    if (!paCerts)
        return ERR_NO_MEMORY;
    rc = ParseEmbeddedCerts(pvResource, cbResource, paCerts, cCerts, &cCerts);
    if (RT_FAILURE(rc))
    {
        RTMemFree(paCerts);
        return rc;
    }
    g_aEmbeddedCerts = paCerts;
    g_cEmbeddedCerts = cCerts;
    return INF_SUCCESS;
}
