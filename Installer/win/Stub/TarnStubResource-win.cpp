/** @file
 * Lookup of the container's resources in the executable's own image.
 */
#include <windows.h>
#include "TarnStubPackage.h"
#include "TarnStubEmbeddedCerts.h"
#include "TarnStubMessages.h"
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/string.h>
#include <rt/utf16.h>

namespace
{

/** Language-neutral lookup: the system picks the resource whatever its language. */
const WORD STUB_RESOURCE_LANGUAGE = 0;

int findResource(const char *pszName, const void **ppvData, uint32_t *pcbData)
{
    RTUTF16 *pwszName = NULL;
    int rc = RTStrToUtf16(pszName, &pwszName, RTMEM_TAG);
    if (RT_FAILURE(rc))
        return rc;
    HRSRC hRsrc = FindResourceExW(NULL, RT_RCDATA, (LPCWSTR)pwszName, STUB_RESOURCE_LANGUAGE);
    RTUtf16Free(pwszName);
    if (!hRsrc)
        return ERR_GENERAL_FAILURE;

    DWORD const cbData = SizeofResource(NULL, hRsrc);
    if (cbData == 0)
        return ERR_NO_DATA;
    if (pcbData)
        *pcbData = cbData;

    HGLOBAL hGlobal = LoadResource(NULL, hRsrc);
    const void *pvData = hGlobal ? LockResource(hGlobal) : NULL;
    if (!pvData)
        return ERR_GENERAL_FAILURE;
    *ppvData = pvData;
    return INF_SUCCESS;
}

} // namespace

int FindEmbeddedResource(const char *pszName, const void **ppvData, uint32_t *pcbData)
{
    if (!pszName)
        return ERR_INVALID_PARAMETER;
    return findResource(pszName, ppvData, pcbData);
}

const PackageHeader *FindPackageHeader(uint32_t idxPackage)
{
    char szName[32];
    RTStrBufPrintf(szName, sizeof(szName), PACKAGE_HEADER_RESOURCE_PREFIX "%02d", (int)idxPackage);
    const void *pvHeader = NULL;
    int rc = findResource(szName, &pvHeader, NULL);
    if (RT_FAILURE(rc))
    {
        ShowError("Internal error: Could not find package header #%u: %Rrc", idxPackage, rc);
        return NULL;
    }
    return static_cast<const PackageHeader *>(pvHeader);
}

bool FindEmbeddedCert(uint32_t idxCert, const void **ppvCert, uint32_t *pcbCert)
{
    char szName[32];
    RTStrBufPrintf(szName, sizeof(szName), EMBEDDED_CERT_RESOURCE_PREFIX "%02u", idxCert);
    return RT_SUCCESS(findResource(szName, ppvCert, pcbCert));
}
