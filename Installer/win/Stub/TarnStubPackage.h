/** @file
 * The package container inside the installer executable, and the
 * architecture values that decide which packages apply to a host.
 *
 * The container is a set of RT_RCDATA resources named by strings, stored under
 * language 0x409 and looked up language-neutral:
 *  - "MANIFEST": a PackageManifest (16 bytes) with the package count n;
 *  - "HDR_00" .. "HDR_<n-1>" (two digits, more from 100 on): one
 *    PackageHeader (256 bytes) per package;
 *  - the payloads, named by their headers ("BIN_00", ...): the package files'
 *    bytes, unchanged.
 * The installer trusts the container: only failed lookups are reported.
 * Resources are read in place and never freed.
 */
#ifndef TARN_STUB_PACKAGE_H
#define TARN_STUB_PACKAGE_H

#include <rt/types.h>

/** @name Architecture values of package headers and hosts
 * @{ */
#define PACKAGE_ARCH_ALL   UINT32_C(1) /**< the package applies to every host; never a host value */
#define PACKAGE_ARCH_X86   UINT32_C(2) /**< 32-bit x86 */
#define PACKAGE_ARCH_AMD64 UINT32_C(3) /**< x86-64 */
#define PACKAGE_ARCH_ARM64 UINT32_C(4) /**< 64-bit ARM */
/** @} */

/** @name The container's layout
 * The packer and the test fixtures read these from the stub kit, which takes
 * every PACKAGE_ definition of this header.
 * @{ */
/** The ten characters at the start of every manifest, followed by five NULs. */
#define PACKAGE_MANIFEST_MAGIC "TarnInstV1"
/** Name of the manifest resource. */
#define PACKAGE_MANIFEST_RESOURCE "MANIFEST"
/** Names of the header resources: the prefix, then the package number with at least two digits. */
#define PACKAGE_HEADER_RESOURCE_PREFIX "HDR_"
/** Names of the payload resources the packer gives them (a header may name any). */
#define PACKAGE_PAYLOAD_RESOURCE_PREFIX "BIN_"
#define PACKAGE_MANIFEST_SIZE           16
#define PACKAGE_MAX_COUNT               255
#define PACKAGE_HEADER_SIZE             256
#define PACKAGE_PAYLOAD_NAME_SIZE       28
#define PACKAGE_FILE_NAME_SIZE          224
/** @} */

/** The resource PACKAGE_MANIFEST_RESOURCE. */
typedef struct PackageManifest
{
    /** PACKAGE_MANIFEST_MAGIC, NUL-padded; not checked by the installer. */
    char achMagic[PACKAGE_MANIFEST_SIZE - 1];
    /** Number of packages, so at most PACKAGE_MAX_COUNT. */
    uint8_t cPackages;
} PackageManifest;
static_assert(sizeof(PackageManifest) == PACKAGE_MANIFEST_SIZE, "PackageManifest is 16 bytes");
static_assert(PACKAGE_MAX_COUNT == UINT8_MAX, "the count fits its byte");

/** The resources "HDR_nn": one per package. */
typedef struct PackageHeader
{
    /** PACKAGE_ARCH_XXX, little-endian. */
    uint32_t uArch;
    /** Name of the payload resource, ASCII, NUL-terminated inside the field. */
    char szPayloadName[PACKAGE_PAYLOAD_NAME_SIZE];
    /** File name of the extracted package, UTF-8 without directory part, NUL-terminated inside the field. */
    char szFileName[PACKAGE_FILE_NAME_SIZE];
} PackageHeader;
static_assert(sizeof(PackageHeader) == PACKAGE_HEADER_SIZE, "PackageHeader is 256 bytes");
static_assert(offsetof(PackageHeader, szPayloadName) == 4 && offsetof(PackageHeader, szFileName) == 32,
              "PackageHeader field offsets");

/**
 * Finds the RT_RCDATA resource @a pszName (UTF-8) of the executable.
 * @returns INF_SUCCESS with *ppvData pointing at the bytes (read-only, valid
 *          for the life of the process) and *pcbData, when asked for, their
 *          count; ERR_INVALID_PARAMETER for a null name; the UTF-16
 *          conversion's status; ERR_GENERAL_FAILURE when the resource is not
 *          found or cannot be loaded or locked; ERR_NO_DATA when it is empty.
 *          *ppvData is written on success only; *pcbData as soon as the size
 *          is known, so also when loading fails after that.
 * @param pcbData  Optional.
 */
int FindEmbeddedResource(const char *pszName, const void **ppvData, uint32_t *pcbData);

/**
 * The header of package @a idxPackage ("HDR_%02d"). Each call looks it up again.
 * @returns the header, or null after showing "Internal error: Could not find
 *          package header #%u: %Rrc" (ShowError).
 */
const PackageHeader *FindPackageHeader(uint32_t idxPackage);

#endif
