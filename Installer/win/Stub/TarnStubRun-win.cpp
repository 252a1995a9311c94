/** @file
 * The installer's run for parsed settings, as far as it is built: the host
 * architecture, the refusal of interactive runs on 32-bit x86 hosts and the
 * package manifest. Extraction, installation and clean-up continue from the
 * manifest.
 */
#include "TarnStubMain.h"
#include "TarnStubMessages.h"
#include "TarnStubPackage.h"
#include <rt/err.h>

int StubRunInstaller(StubSettings *pSettings)
{
    uint32_t const uHostArch = DetectHostArch();
    if (!pSettings->fExtractOnly && !g_fSilent && uHostArch == PACKAGE_ARCH_X86)
        return ShowError("32-bit Windows hosts are not supported by this Tarnvale release.");

    const void *pvManifest = NULL;
    int rc = FindEmbeddedResource("MANIFEST", &pvManifest, NULL);
    if (RT_FAILURE(rc))
        return ShowError("Internal package error: Manifest not found (%Rrc)", rc);
    return STUB_EXIT_SUCCESS;
}
