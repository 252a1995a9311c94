/** @file
 * Fuzzes open-flag validation and translation, file modes from Windows
 * attributes and the file-system name lookup. Input: an 8-byte flag word,
 * then 4-byte attributes, reparse tag and type hint, then a name (copied to an
 * exact-size buffer so any read past it is caught). Properties:
 *  - a refused word is left alone; an accepted one is in normal form (high
 *    half clear, a known action, a deny field, some access, no invalid bit,
 *    truncation only with write access) and validating it again changes nothing;
 *  - its translation asks for some access, a known disposition, share bits
 *    only, and exactly one of the normal and temporary attributes;
 *  - a mode is a directory, a file or a link, always readable, and keeps the
 *    attribute half it was given (plus the directory bit for the hint);
 *  - name lookup and piece sizes never read out of bounds or give 0.
 */
#include <stdlib.h>
#include <string.h>
#include <rt/file.h>
#include <rt/err.h>
#include "internal/file.h"

namespace
{

uint32_t readU32(const uint8_t *pb)
{
    uint32_t u;
    memcpy(&u, pb, sizeof(u));
    return u;
}

void checkFlags(uint64_t fIn)
{
    uint64_t fOpen = fIn;
    if (RT_FAILURE(RTFileValidateOpenFlags(&fOpen)))
    {
        if (fOpen != fIn)
            abort();
        return;
    }
    uint64_t const fAction = fOpen & RTFILE_O_ACTION_MASK;
    if ((fOpen >> 32) || (fOpen & RTFILE_O_INVALID_MASK) || !(fOpen & RTFILE_O_DENY_MASK) ||
        !(fOpen & (RTFILE_O_ACCESS_MASK | RTFILE_O_ACCESS_ATTR_MASK)))
        abort();
    if (fAction != RTFILE_O_OPEN && fAction != RTFILE_O_OPEN_CREATE && fAction != RTFILE_O_CREATE &&
        fAction != RTFILE_O_CREATE_REPLACE)
        abort();
    if ((fOpen & RTFILE_O_TRUNCATE) && !(fOpen & RTFILE_O_WRITE))
        abort();
    uint64_t fAgain = fOpen;
    if (RTFileValidateOpenFlags(&fAgain) != INF_SUCCESS || fAgain != fOpen)
        abort();

    RTFILEWINOPEN Params;
    rtFileOpenFlagsToWin(fOpen, &Params);
    if (!Params.fAccess || Params.uDisposition < 1 || Params.uDisposition > 5 || (Params.fShare & ~UINT32_C(7)))
        abort();
    bool const fNormal = (Params.fFlagsAndAttribs & RTFILE_WIN_FILE_ATTRIBUTE_NORMAL) != 0;
    bool const fTemp = (Params.fFlagsAndAttribs & RTFILE_WIN_FILE_ATTRIBUTE_TEMP) != 0;
    if (fNormal == fTemp)
        abort();
}

void checkMode(RTFMODE fAttribs, uint32_t uTag, RTFMODE fType, const char *pszName, size_t cbName)
{
    RTFMODE const fMode = RTFsModeFromWinAttr(fAttribs, pszName, cbName, uTag, fType);
    RTFMODE const fKind = fMode & RTFS_TYPE_MASK;
    if (fKind != RTFS_TYPE_DIRECTORY && fKind != RTFS_TYPE_FILE && fKind != RTFS_TYPE_SYMLINK)
        abort();
    if ((fMode & RTFS_UNIX_ALL_READ) != RTFS_UNIX_ALL_READ)
        abort();
    RTFMODE fDos = fAttribs & RTFS_DOS_MASK;
    if ((fType & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY)
        fDos |= RTFS_DOS_DIRECTORY;
    if ((fMode & RTFS_DOS_MASK) != fDos)
        abort();
    if ((fMode & RTFS_DOS_DIRECTORY) && !(fMode & RTFS_UNIX_ALL_WRITE))
        abort();
}

} /* namespace */

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData)
{
    if (cbData < 20)
        return 0;
    uint64_t fOpen;
    memcpy(&fOpen, pbData, sizeof(fOpen));
    checkFlags(fOpen);

    size_t const cbName = cbData - 20;
    char *pszName = (char *)malloc(cbName + 1);
    memcpy(pszName, pbData + 20, cbName);
    pszName[cbName] = '\0';
    uint32_t const fAttribs = readU32(pbData + 8);
    checkMode(fAttribs, readU32(pbData + 12), readU32(pbData + 16), pszName, cbName);
    checkMode(fAttribs, readU32(pbData + 12), readU32(pbData + 16), cbName ? pszName : NULL, 0);

    /* The name bytes as a UTF-16 file-system name of exactly their length. */
    RTUTF16 *pwszName = (RTUTF16 *)malloc(cbName + 1);
    memcpy(pwszName, pbData + 20, cbName);
    if ((cbName & 1) == 0)
        (void)rtFsTypeFromName(pwszName, cbName);
    free(pwszName);
    free(pszName);

    if (!rtFileFirstChunkSize(fOpen & 0xffffff, 32770, 16384) || !rtFileFirstChunkSize(fOpen & 0xffffff, 65538, 32768))
        abort();
    return 0;
}
