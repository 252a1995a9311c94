/** @file
 * Writing the packages into the extraction directory and proving that each
 * file on disk is the very file just written, holding exactly the payload.
 *
 * Each package file is written with one write straight from the mapped
 * resource, then handed over from handle to handle so that at every moment
 * at least one handle is open on it and none lets others delete or rename it:
 *  - STUB_EXTRACT_OPEN_WRITE: write only, others may only read, create or
 *    replace;
 *  - STUB_EXTRACT_OPEN_VERIFY: read only, others may read and write (the
 *    writer is still open), open existing;
 *  - STUB_EXTRACT_OPEN_HOLD: read only, others may only read, open existing;
 *    taken once the writer is closed and kept until the clean-up.
 * The held file's size and file ID must equal those seen through the writer,
 * and its bytes, read back in 64 KiB blocks, the payload's. The cleanup
 * record of the file (TarnStubCleanup.h) owns whichever handle is current.
 *
 * Windows only (the container and the runtime's file access); main thread only.
 */
#ifndef TARN_STUB_EXTRACT_H
#define TARN_STUB_EXTRACT_H

#include <rt/types.h>
#include <rt/file.h>
#include <rt/dir.h>
#include <rt/path.h>
#include "TarnStubCleanup.h"
#include "TarnStubPackage.h"
#include "TarnStubSeams.h"

/** @name The open-flag words of a package file
 * @{ */
/** The Unix mode a package file is created with. */
#define STUB_EXTRACT_FILE_MODE (UINT64_C(0700) << RTFILE_O_CREATE_MODE_SHIFT)
/** Write, deny write, create or replace, creation mode 0700 (0x1C000322). */
#define STUB_EXTRACT_OPEN_WRITE                                                                                        \
    (RTFILE_O_WRITE | RTFILE_O_DENY_WRITE | RTFILE_O_CREATE_REPLACE | STUB_EXTRACT_FILE_MODE)
/** Read, deny none, open existing, creation mode 0700 (0x1C000781). */
#define STUB_EXTRACT_OPEN_VERIFY (RTFILE_O_READ | RTFILE_O_DENY_NONE | RTFILE_O_OPEN | STUB_EXTRACT_FILE_MODE)
/** Read, deny write, open existing (0x721). */
#define STUB_EXTRACT_OPEN_HOLD (RTFILE_O_READ | RTFILE_O_DENY_WRITE | RTFILE_O_OPEN)
/** @} */

/** Bytes compared per block when reading a package file back. */
#define STUB_EXTRACT_BLOCK_SIZE 0x10000

/** Mode of an extraction directory the installer creates. */
#define STUB_EXTRACT_DIR_MODE 0700

/**
 * Writes every applicable package of the container into @a pszExtractPath.
 *
 * First every header is checked (IsPlainPackageFileName, and a payload name
 * that ends within its field): a damaged one ends the run with "Internal
 * package error: Package #n: ..." before anything is created or written.
 * A missing directory is created (mode 0700) and recorded; one that existed
 * before the run is recorded with fDontDelete. The directory is held open by
 * its record and made the current directory. Packages 0 to @a cPackages - 1
 * are then written in order: all of them with @a fExtractAll, else those for
 * every architecture and those of the host @a uHostArch.
 * The first failure ends the extraction; what was written stays recorded.
 *
 * @returns 0 on success; 1 after a failure, whose message has been shown
 *          (ShowError, or PrintErrorExit when a record cannot be added).
 * @param cPackages       The manifest's package count.
 * @param pszExtractPath  The extraction directory: absolute, backslashes.
 * @param fExtractAll     Extract packages of every architecture (--extract).
 * @param uHostArch       The host's architecture, PACKAGE_ARCH_XXX (DetectHostArch).
 * @param ppDirRecord     In: the directory's record when the run created the
 *                        directory moments ago, else null. Out: the record.
 */
int ExtractPackages(uint32_t cPackages, const char *pszExtractPath, bool fExtractAll, uint32_t uHostArch,
                    CleanupRecord **ppDirRecord);

/**
 * Writes payload @a pszPayloadName to @a pszPath and verifies it, as package
 * number @a idxPackage; on success the file is held open (others may read it,
 * nothing else) by its cleanup record until the clean-up.
 *
 * @returns INF_SUCCESS; ERR_NO_MEMORY when the record cannot be added ("Out of
 *          memory!" shown, the write handle stays open); ERR_MISMATCH when
 *          the size, the file ID or the content differs; otherwise the status
 *          of the failing step. Every failure has been printed on standard
 *          error (PrintErrorStatus); the caller shows the box.
 */
int ExtractAndVerifyPackage(const char *pszPayloadName, const char *pszPath, uint32_t idxPackage);

#ifdef RT_WITH_SEAMS
/** Replaceable calls of the extraction (tests only; see internal/seam.h): the
 * file calls, so tests can fail each step and change what the read-back sees;
 * the change of the current directory, which Wine mishandles for paths
 * longer than MAX_PATH. */
typedef struct StubSeamsExtract
{
    decltype(&RTFileOpen) pfnRTFileOpen;
    decltype(&RTFileWrite) pfnRTFileWrite;
    decltype(&RTFileQueryInfo) pfnRTFileQueryInfo;
    decltype(&RTFileClose) pfnRTFileClose;
    decltype(&RTFileRead) pfnRTFileRead;
    decltype(&RTPathSetCurrent) pfnRTPathSetCurrent;
} StubSeamsExtract;
#endif

#endif
