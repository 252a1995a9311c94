/** @file
 * Entry point of the probe installers that the packer tests link instead of
 * the installer's own: it reads the container with the installer's lookup
 * functions and prints what it finds, so the tests can compare it with the
 * files that went in. One line per item on standard output:
 *
 *   manifest <magic> <count>
 *   package <n> arch=<a> payload=<name> size=<bytes> fnv=<hash> name=<file name>
 *   splash size=<bytes> fnv=<hash>          (or "splash none")
 *   certs <count>
 *   cert <n> size=<bytes> fnv=<hash>
 *
 * Hashes are 32-bit FNV-1a in 8 lower-case hexadecimal digits.
 */
#include <windows.h>
#include "TarnStubCertUtil.h"
#include "TarnStubConsole.h"
#include "TarnStubPackage.h"
#include "TarnStubCmdLine.h"
#include <rt/err.h>
#include <rt/process.h>

namespace
{

uint32_t fnv1a(const void *pv, uint32_t cb)
{
    const uint8_t *pb = static_cast<const uint8_t *>(pv);
    uint32_t uHash = UINT32_C(2166136261);
    for (uint32_t i = 0; i < cb; i++)
        uHash = (uHash ^ pb[i]) * UINT32_C(16777619);
    return uHash;
}

int probePackages(void)
{
    const void *pvManifest = NULL;
    uint32_t cbManifest = 0;
    int rc = FindEmbeddedResource("MANIFEST", &pvManifest, &cbManifest);
    if (RT_FAILURE(rc) || cbManifest != sizeof(PackageManifest))
    {
        stubPrintStdOut("manifest missing %Rrc size=%u\n", rc, cbManifest);
        return 1;
    }
    const PackageManifest *pManifest = static_cast<const PackageManifest *>(pvManifest);
    stubPrintStdOut("manifest %.15s %u\n", pManifest->achMagic, pManifest->cPackages);
    for (uint32_t i = 0; i < pManifest->cPackages; i++)
    {
        const PackageHeader *pHdr = FindPackageHeader(i);
        if (!pHdr)
            return 1;
        const void *pvPayload = NULL;
        uint32_t cbPayload = 0;
        rc = FindEmbeddedResource(pHdr->szPayloadName, &pvPayload, &cbPayload);
        if (RT_FAILURE(rc))
        {
            stubPrintStdOut("package %u payload %s: %Rrc\n", i, pHdr->szPayloadName, rc);
            return 1;
        }
        stubPrintStdOut("package %u arch=%u payload=%s size=%u fnv=%08x name=%s\n", i, pHdr->uArch, pHdr->szPayloadName,
                        cbPayload, fnv1a(pvPayload, cbPayload), pHdr->szFileName);
    }
    return 0;
}

void probeSplash(void)
{
    HRSRC hRsrc = FindResourceW(NULL, MAKEINTRESOURCEW(102), L"PNG");
    HGLOBAL hGlobal = hRsrc ? LoadResource(NULL, hRsrc) : NULL;
    const void *pv = hGlobal ? LockResource(hGlobal) : NULL;
    if (!pv)
    {
        stubPrintStdOut("splash none\n");
        return;
    }
    uint32_t const cb = SizeofResource(NULL, hRsrc);
    stubPrintStdOut("splash size=%u fnv=%08x\n", cb, fnv1a(pv, cb));
}

void probeCerts(void)
{
    uint32_t cCerts = 0;
    const void *pvCert;
    uint32_t cbCert;
    while (FindEmbeddedCert(cCerts, &pvCert, &cbCert))
        cCerts++;
    stubPrintStdOut("certs %u\n", cCerts);
    for (uint32_t i = 0; FindEmbeddedCert(i, &pvCert, &cbCert); i++)
        stubPrintStdOut("cert %u size=%u fnv=%08x\n", i, cbCert, fnv1a(pvCert, cbCert));
}

} // namespace

extern "C" DWORD WINAPI TarnPackProbeEntry(void)
{
    g_fSilent = true; /* a missing header is reported on standard error, not in a box */
    int rcExit = probePackages();
    probeSplash();
    probeCerts();
    /* Through the runtime's exit: it writes out what the output streams still hold. */
    RTProcExit(rcExit, true);
}
