/** @file
 * Open flags: their validation and their translation into the arguments of
 * the Windows open call. Portable, so both are checked in every build.
 */
#include <rt/file.h>
#include <rt/err.h>
#include "internal/file.h"

int RTFileValidateOpenFlags(uint64_t *pfOpen)
{
    uint64_t fOpen = *pfOpen;
    if (!(fOpen & (RTFILE_O_ACCESS_MASK | RTFILE_O_ACCESS_ATTR_MASK)))
        return ERR_INVALID_PARAMETER;
    if (fOpen & RTFILE_O_INVALID_MASK)
        return ERR_INVALID_PARAMETER;
    if ((fOpen & RTFILE_O_TRUNCATE) && !(fOpen & RTFILE_O_WRITE))
        return ERR_INVALID_PARAMETER;

    switch (fOpen & RTFILE_O_ACTION_MASK)
    {
        case 0:
            fOpen |= RTFILE_O_OPEN;
            break;
        case RTFILE_O_OPEN_CREATE:
        case RTFILE_O_CREATE:
        case RTFILE_O_CREATE_REPLACE:
            break;
        case RTFILE_O_OPEN:
            break;
        default:
            return ERR_INVALID_PARAMETER;
    }
    /* Marking is for files this open creates; an open of an existing file never does. */
    if ((fOpen & RTFILE_O_ACTION_MASK) == RTFILE_O_OPEN && (fOpen & RTFILE_O_NOT_CONTENT_INDEXED))
        return ERR_INVALID_PARAMETER;

    if (!(fOpen & RTFILE_O_DENY_MASK))
        fOpen |= RTFILE_O_DENY_NONE;

    *pfOpen = fOpen & UINT64_C(0xffffffff);
    return INF_SUCCESS;
}

namespace
{

uint32_t rtFileWinDisposition(uint64_t fOpen)
{
    switch (fOpen & RTFILE_O_ACTION_MASK)
    {
        case RTFILE_O_OPEN_CREATE:
            return RTFILE_WIN_OPEN_ALWAYS;
        case RTFILE_O_CREATE:
            return RTFILE_WIN_CREATE_NEW;
        case RTFILE_O_CREATE_REPLACE:
            return RTFILE_WIN_CREATE_ALWAYS;
        default:
            return fOpen & RTFILE_O_TRUNCATE ? RTFILE_WIN_TRUNCATE_EXISTING : RTFILE_WIN_OPEN_EXISTING;
    }
}

uint32_t rtFileWinAccess(uint64_t fOpen)
{
    uint32_t fAccess = 0;
    switch (fOpen & RTFILE_O_ACCESS_MASK)
    {
        case RTFILE_O_READ:
            fAccess = RTFILE_WIN_FILE_GENERIC_READ;
            break;
        case RTFILE_O_WRITE:
            fAccess = RTFILE_WIN_FILE_GENERIC_WRITE;
            break;
        case RTFILE_O_READWRITE:
            fAccess = RTFILE_WIN_FILE_GENERIC_READ | RTFILE_WIN_FILE_GENERIC_WRITE;
            break;
    }
    /* Appending must not be able to overwrite what is there. */
    if (fOpen & RTFILE_O_APPEND)
        fAccess &= ~RTFILE_WIN_FILE_WRITE_DATA;

    if (fOpen & RTFILE_O_ACCESS_ATTR_READ)
        fAccess |= RTFILE_WIN_FILE_READ_ATTRIBUTES | RTFILE_WIN_SYNCHRONIZE;
    if (fOpen & RTFILE_O_ACCESS_ATTR_WRITE)
        fAccess |= RTFILE_WIN_FILE_WRITE_ATTRIBUTES | RTFILE_WIN_SYNCHRONIZE;

    /* Truncating an existing file on open needs write access as such. */
    if (rtFileWinDisposition(fOpen) == RTFILE_WIN_TRUNCATE_EXISTING)
        fAccess |= RTFILE_WIN_GENERIC_WRITE;
    /* Unbuffered handles cannot append (the system refuses the combination). */
    if (fOpen & RTFILE_O_NO_CACHE)
        fAccess &= ~RTFILE_WIN_FILE_APPEND_DATA;
    return fAccess;
}

uint32_t rtFileWinShare(uint64_t fOpen)
{
    uint32_t fShare;
    switch (fOpen & RTFILE_O_DENY_READWRITE)
    {
        case RTFILE_O_DENY_READ:
            fShare = RTFILE_WIN_FILE_SHARE_WRITE;
            break;
        case RTFILE_O_DENY_WRITE:
            fShare = RTFILE_WIN_FILE_SHARE_READ;
            break;
        case RTFILE_O_DENY_READWRITE:
            fShare = 0;
            break;
        default: /* RTFILE_O_DENY_NONE, or RTFILE_O_DENY_NOT_DELETE alone */
            fShare = RTFILE_WIN_FILE_SHARE_READ | RTFILE_WIN_FILE_SHARE_WRITE;
            break;
    }
    if (fOpen & RTFILE_O_DENY_NOT_DELETE)
        fShare |= RTFILE_WIN_FILE_SHARE_DELETE;
    return fShare;
}

uint32_t rtFileWinFlagsAndAttribs(uint64_t fOpen)
{
    uint32_t fFlags = fOpen & RTFILE_O_TEMPORARY ? RTFILE_WIN_FILE_ATTRIBUTE_TEMP : RTFILE_WIN_FILE_ATTRIBUTE_NORMAL;
    if (fOpen & RTFILE_O_WRITE_THROUGH)
        fFlags |= RTFILE_WIN_FILE_FLAG_WRITE_THROUGH;
    if (fOpen & RTFILE_O_ASYNC_IO)
        fFlags |= RTFILE_WIN_FILE_FLAG_OVERLAPPED;
    if (fOpen & RTFILE_O_NO_CACHE)
        fFlags |= RTFILE_WIN_FILE_FLAG_NO_BUFFERING;
    return fFlags;
}

} /* namespace */

void rtFileOpenFlagsToWin(uint64_t fOpen, RTFILEWINOPEN *pParams)
{
    pParams->uDisposition = rtFileWinDisposition(fOpen);
    pParams->fAccess = rtFileWinAccess(fOpen);
    pParams->fShare = rtFileWinShare(fOpen);
    pParams->fFlagsAndAttribs = rtFileWinFlagsAndAttribs(fOpen);
    pParams->fInherit = (fOpen & RTFILE_O_INHERIT) != 0;
}
