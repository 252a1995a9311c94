/** @file
 * Package extraction with write verification.
 *
 * Windows Installer reads the package files some time after they were
 * written; the handles held from the write until the clean-up make sure the
 * files it reads are exactly the verified ones.
 */
#include "TarnStubExtract.h"
#include "TarnStubMessages.h"
#include "TarnStubPackageName.h"
#include "TarnStubSettings.h"
#include "internal/seam.h"
#include <rt/err.h>
#include <rt/path.h>
#include <rt/string.h>

#include <string.h>

namespace
{

int openFile(RTFILE *phFile, const char *pszPath, uint64_t fOpen)
{
    return RT_SEAM(g_StubSeamsExtract, RTFileOpen)(phFile, pszPath, fOpen);
}

int closeFile(RTFILE hFile)
{
    return RT_SEAM(g_StubSeamsExtract, RTFileClose)(hFile);
}

int queryInfo(RTFILE hFile, RTOBJINFO *pObjInfo)
{
    return RT_SEAM(g_StubSeamsExtract, RTFileQueryInfo)(hFile, pObjInfo, RTOBJINFOADD_UNIX);
}

/**
 * Reads the held file from its start in blocks and compares every block with
 * the payload bytes at the same offset.
 */
int compareWithPayload(RTFILE hFile, const char *pszPath, uint32_t idxPackage, const uint8_t *pbPayload,
                       uint32_t cbPayload)
{
    uint8_t abBlock[STUB_EXTRACT_BLOCK_SIZE];
    for (size_t offBlock = 0; offBlock < cbPayload; offBlock += sizeof(abBlock))
    {
        size_t const cbBlock = RT_MIN(sizeof(abBlock), cbPayload - offBlock);
        int rc = RT_SEAM(g_StubSeamsExtract, RTFileRead)(hFile, abBlock, cbBlock, NULL);
        if (RT_FAILURE(rc))
            return PrintErrorStatus(rc, "#%u: RTFileRead failed on '%s' at offset %#zx: %Rrc", idxPackage, pszPath,
                                    offBlock, rc);
        if (memcmp(abBlock, &pbPayload[offBlock], cbBlock) != 0)
            return PrintErrorStatus(ERR_MISMATCH, "#%u: File '%s' has change (mismatch in %#zx byte block at %#zx)",
                                    idxPackage, pszPath, cbBlock, offBlock);
    }
    return INF_SUCCESS;
}

/**
 * Checks the file held by @a hHeld against what was written: size, file ID
 * (the same file, not a replacement under the same name) and every byte.
 */
int verifyHeldFile(RTFILE hHeld, const char *pszPath, uint32_t idxPackage, uint64_t idFileWritten,
                   const void *pvPayload, uint32_t cbPayload)
{
    RTOBJINFO InfoHeld;
    int rc = queryInfo(hHeld, &InfoHeld);
    if (RT_FAILURE(rc))
        return PrintErrorStatus(rc, "#%u: RTFileQueryInfo failed on '%s': %Rrc", idxPackage, pszPath, rc);
    if ((uint64_t)InfoHeld.cbObject != cbPayload)
        return PrintErrorStatus(ERR_MISMATCH, "#%u: File size of '%s' changed: %'RU64, expected %'RU32", idxPackage,
                                pszPath, (uint64_t)InfoHeld.cbObject, cbPayload);
    if (InfoHeld.u.Unix.INodeId != idFileWritten)
        return PrintErrorStatus(ERR_MISMATCH, "#%u: File ID of '%s' changed: %#RX64, expected %#RX64", idxPackage,
                                pszPath, InfoHeld.u.Unix.INodeId, idFileWritten);
    return compareWithPayload(hHeld, pszPath, idxPackage, static_cast<const uint8_t *>(pvPayload), cbPayload);
}

/**
 * Hands the file over from the writer to a handle that denies writing, never
 * leaving it without an open handle; @a pRecord owns the current handle.
 */
int handOverToHoldingHandle(CleanupRecord *pRecord, const char *pszPath, uint32_t idxPackage)
{
    RTFILE hVerify = NIL_RTFILE;
    int rc = openFile(&hVerify, pszPath, STUB_EXTRACT_OPEN_VERIFY);
    if (RT_FAILURE(rc))
        return PrintErrorStatus(rc, "#%u: First re-opening of '%s' failed: %Rrc", idxPackage, pszPath, rc);

    rc = closeFile(pRecord->u.hFile);
    if (RT_FAILURE(rc))
    {
        closeFile(hVerify);
        return PrintErrorStatus(rc, "#%u: RTFileClose('%s') failed: %Rrc", idxPackage, pszPath, rc);
    }
    pRecord->u.hFile = hVerify;

    RTFILE hHold = NIL_RTFILE;
    rc = openFile(&hHold, pszPath, STUB_EXTRACT_OPEN_HOLD);
    if (RT_FAILURE(rc))
        return PrintErrorStatus(rc, "#%u: Second re-opening of '%s' failed: %Rrc", idxPackage, pszPath, rc);
    pRecord->u.hFile = hHold;

    rc = closeFile(hVerify);
    if (RT_FAILURE(rc))
        PrintError("#%u: Failed to close 2nd handle to '%s': %Rrc", idxPackage, pszPath, rc);
    return INF_SUCCESS;
}

/** Whether package @a pHdr is to be written in this run. */
bool isPackageApplicable(const PackageHeader *pHdr, bool fExtractAll, uint32_t uHostArch)
{
    return fExtractAll || pHdr->uArch == PACKAGE_ARCH_ALL || pHdr->uArch == uHostArch;
}

/**
 * Makes sure the extraction directory exists, has its record in
 * *@a ppDirRecord and is held open by it. @returns 0, or 1 after the message.
 */
int prepareExtractionDir(const char *pszExtractPath, CleanupRecord **ppDirRecord)
{
    if (!RTDirExists(pszExtractPath))
    {
        if (*ppDirRecord)
            return ShowError("RTDirExists failed on '%s' which we just created!", pszExtractPath);
        int rc = RTDirCreate(pszExtractPath, STUB_EXTRACT_DIR_MODE, 0);
        if (RT_FAILURE(rc))
            return ShowError("Failed to create extraction path '%s': %Rrc", pszExtractPath, rc);
        *ppDirRecord = AddCleanupRecord(pszExtractPath, false /*fFile*/);
        if (!*ppDirRecord)
            return PrintErrorExit("Failed to add cleanup record for dir '%s'", pszExtractPath);
    }
    else if (!*ppDirRecord)
    {
        /* It was there before the run (a --path directory, or the temporary directory itself): close it at
           the end, never remove it. */
        *ppDirRecord = AddCleanupRecord(pszExtractPath, false /*fFile*/);
        if (!*ppDirRecord)
            return PrintErrorExit("Failed to add cleanup record for existing dir '%s'", pszExtractPath);
        (*ppDirRecord)->fDontDelete = true;
    }

    int rc = RTDirOpen(&(*ppDirRecord)->u.hDir, pszExtractPath);
    if (RT_FAILURE(rc))
        return ShowError("Failed to open extraction path '%s': %Rrc", pszExtractPath, rc);
    return STUB_EXIT_SUCCESS;
}

/**
 * Checks the names in every package header before anything is written: a
 * header whose names do not end within their fields, or whose file name is
 * not a plain file name, makes the container a damaged one.
 * @returns 0, or 1 after the message.
 */
int checkPackageHeaders(uint32_t cPackages)
{
    for (uint32_t idxPackage = 0; idxPackage < cPackages; idxPackage++)
    {
        const PackageHeader *pHdr = FindPackageHeader(idxPackage);
        if (!pHdr)
            return STUB_EXIT_FAILURE;
        if (RTStrNLen(pHdr->szPayloadName, sizeof(pHdr->szPayloadName)) == sizeof(pHdr->szPayloadName))
            return ShowError("Internal package error: Package #%u: the payload name has no end within its field",
                             idxPackage);
        const char *pszWhy = NULL;
        if (!IsPlainPackageFileName(pHdr->szFileName, sizeof(pHdr->szFileName), &pszWhy))
            return ShowError("Internal package error: Package #%u: the file name %s", idxPackage, pszWhy);
    }
    return STUB_EXIT_SUCCESS;
}

} // namespace

int ExtractAndVerifyPackage(const char *pszPayloadName, const char *pszPath, uint32_t idxPackage)
{
    RTFILE hWrite = NIL_RTFILE;
    int rc = openFile(&hWrite, pszPath, STUB_EXTRACT_OPEN_WRITE);
    if (RT_FAILURE(rc))
        return PrintErrorStatus(rc, "#%u: Failed to create/replace '%s' for writing: %Rrc", idxPackage, pszPath, rc);

    CleanupRecord *pRecord = AddCleanupRecord(pszPath, true /*fFile*/);
    if (!pRecord)
        return ERR_NO_MEMORY;
    pRecord->idxPackage = (int32_t)idxPackage;
    pRecord->u.hFile = hWrite;

    const void *pvPayload = NULL;
    uint32_t cbPayload = 0;
    rc = FindEmbeddedResource(pszPayloadName, &pvPayload, &cbPayload);
    if (RT_FAILURE(rc))
        return PrintErrorStatus(rc, "#%u: Failed to locate resource '%s': %Rrc", idxPackage, pszPayloadName, rc);

    /* Straight from the mapped resource, in one call. */
    rc = RT_SEAM(g_StubSeamsExtract, RTFileWrite)(hWrite, pvPayload, cbPayload, NULL);
    if (RT_FAILURE(rc))
        return PrintErrorStatus(rc, "#%u: RTFileWrite('%s',, %#x,) failed: %Rrc", idxPackage, pszPath, cbPayload, rc);

    RTOBJINFO InfoWritten;
    rc = queryInfo(hWrite, &InfoWritten);
    if (RT_FAILURE(rc))
        return PrintErrorStatus(rc, "#%u: RTFileQueryInfo failed on '%s': %Rrc", idxPackage, pszPath, rc);

    rc = handOverToHoldingHandle(pRecord, pszPath, idxPackage);
    if (RT_FAILURE(rc))
        return rc;
    return verifyHeldFile(pRecord->u.hFile, pszPath, idxPackage, InfoWritten.u.Unix.INodeId, pvPayload, cbPayload);
}

int ExtractPackages(uint32_t cPackages, const char *pszExtractPath, bool fExtractAll, uint32_t uHostArch,
                    CleanupRecord **ppDirRecord)
{
    int rcExit = checkPackageHeaders(cPackages);
    if (rcExit != STUB_EXIT_SUCCESS)
        return rcExit;
    rcExit = prepareExtractionDir(pszExtractPath, ppDirRecord);
    if (rcExit != STUB_EXIT_SUCCESS)
        return rcExit;
    RT_SEAM(g_StubSeamsExtract, RTPathSetCurrent)
    (pszExtractPath); /* its result does not matter: every path used here is absolute */

    for (uint32_t idxPackage = 0; idxPackage < cPackages; idxPackage++)
    {
        const PackageHeader *pHdr = FindPackageHeader(idxPackage);
        if (!pHdr)
            return STUB_EXIT_FAILURE;
        if (!isPackageApplicable(pHdr, fExtractAll, uHostArch))
            continue;

        char szPath[RTPATH_MAX];
        int rc = RTPathJoin(szPath, sizeof(szPath), pszExtractPath, pHdr->szFileName);
        if (RT_FAILURE(rc))
            return ShowError("Internal error: Build extraction file name failed: %Rrc", rc);

        rc = ExtractAndVerifyPackage(pHdr->szPayloadName, szPath, idxPackage);
        if (RT_FAILURE(rc))
            return ShowError("Error extracting package #%u (%s): %Rrc", idxPackage, pHdr->szFileName, rc);
    }
    return STUB_EXIT_SUCCESS;
}
