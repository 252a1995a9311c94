/** @file
 * Files on Windows: open, close, read, write, seek, flush and handle checks.
 */
#include <windows.h>
#include <winternl.h>
#include <rt/file.h>
#include <rt/err.h>
#include <rt/path-win.h>
#include "internal/file.h"

/* Transfer counts are handed to the system as they are. */
static_assert(sizeof(size_t) == sizeof(DWORD), "byte counts must fit the system's 32-bit counts");

namespace
{

/** Memory shortage of the system; transfers are then redone in pieces. */
const DWORD g_uErrNotEnoughMemory = ERROR_NOT_ENOUGH_MEMORY;

/** @name Piece sizes for transfers redone under memory pressure.
 * @{ */
const size_t g_cbReadSmallBelow = 32770;
const size_t g_cbReadLargeChunk = 16384;
const size_t g_cbWriteSmallBelow = 65538;
const size_t g_cbWriteLargeChunk = 32768;
/** @} */

/** One synchronous read of the transfers (the seam tests replace). */
BOOL rtFileSysRead(HANDLE hFile, void *pvBuf, DWORD cbToRead, DWORD *pcbRead)
{
    return RT_SEAM(g_rtSeamsFile, ReadFile)(hFile, pvBuf, cbToRead, pcbRead, NULL);
}

/** One synchronous write of the transfers (the seam tests replace). */
BOOL rtFileSysWrite(HANDLE hFile, const void *pvBuf, DWORD cbToWrite, DWORD *pcbWritten)
{
    return RT_SEAM(g_rtSeamsFile, WriteFile)(hFile, pvBuf, cbToWrite, pcbWritten, NULL);
}

} /* namespace */

/*
 * Opening and closing
 */

namespace
{

/** What CreateFileW did, from the disposition asked for and the last error it left. */
RTFILEACTION rtFileActionTaken(uint32_t uDisposition, DWORD uLastError)
{
    switch (uDisposition)
    {
        case CREATE_NEW:
            return RTFILEACTION_CREATED;
        case CREATE_ALWAYS:
            return uLastError == ERROR_ALREADY_EXISTS ? RTFILEACTION_REPLACED : RTFILEACTION_CREATED;
        case OPEN_ALWAYS:
            return uLastError == ERROR_ALREADY_EXISTS ? RTFILEACTION_OPENED : RTFILEACTION_CREATED;
        case TRUNCATE_EXISTING:
            return RTFILEACTION_TRUNCATED;
        default:
            return RTFILEACTION_OPENED;
    }
}

/**
 * The follow-ups of a successful CreateFileW: marking a new file not
 * content-indexed, and truncating an existing one opened with
 * RTFILE_O_OPEN_CREATE | RTFILE_O_TRUNCATE. Updates *penmAction.
 */
int rtFileOpenFollowUps(HANDLE hFile, const RTUTF16 *pwszPath, uint64_t fOpen, RTFILEACTION *penmAction)
{
    if ((fOpen & RTFILE_O_NOT_CONTENT_INDEXED) &&
        (*penmAction == RTFILEACTION_CREATED || *penmAction == RTFILEACTION_REPLACED))
    {
        int rc = rtFileSetNotContentIndexed(pwszPath);
        if (RT_FAILURE(rc))
            return rc;
    }
    if ((fOpen & RTFILE_O_ACTION_MASK) == RTFILE_O_OPEN_CREATE && (fOpen & RTFILE_O_TRUNCATE) &&
        *penmAction == RTFILEACTION_OPENED)
    {
        /* The position of a fresh handle is 0: this cuts the file to nothing. */
        if (!SetEndOfFile(hFile))
            return RTErrConvertFromWinError(GetLastError());
        *penmAction = RTFILEACTION_TRUNCATED;
    }
    return INF_SUCCESS;
}

/** CreateFileW with the prepared share mode, inheritance and flags, and the access and disposition given. */
HANDLE rtFileCreateW(const RTUTF16 *pwszPath, const RTFILEWINOPEN *pParams, uint32_t fAccess, uint32_t uDisposition)
{
    SECURITY_ATTRIBUTES SecAttr;
    SecAttr.nLength = sizeof(SecAttr);
    SecAttr.lpSecurityDescriptor = NULL;
    SecAttr.bInheritHandle = TRUE;
    return CreateFileW((const wchar_t *)pwszPath, fAccess, pParams->fShare, pParams->fInherit ? &SecAttr : NULL,
                       uDisposition, pParams->fFlagsAndAttribs, NULL);
}

/**
 * Append access is write access without FILE_WRITE_DATA, and only file
 * systems write such a handle's data at the end of the file. Consoles and
 * pipes refuse every write on it (to a pipe, FILE_APPEND_DATA is even the
 * right to create an instance), and no device has an end of file that
 * write-data access could overwrite. So an append open that reached anything
 * but a disk file is redone with FILE_WRITE_DATA; should the name reach a
 * disk file the second time, the open fails rather than give a handle that
 * writes at its position.
 */
int rtFileReopenAppendDevice(const RTUTF16 *pwszPath, const RTFILEWINOPEN *pParams, HANDLE *phFile)
{
    if ((pParams->fAccess & (FILE_WRITE_DATA | FILE_APPEND_DATA)) != FILE_APPEND_DATA ||
        GetFileType(*phFile) == FILE_TYPE_DISK)
        return INF_SUCCESS;
    CloseHandle(*phFile);
    *phFile = rtFileCreateW(pwszPath, pParams, pParams->fAccess | FILE_WRITE_DATA, OPEN_EXISTING);
    if (*phFile == INVALID_HANDLE_VALUE)
        return RTErrConvertFromWinError(GetLastError());
    if (GetFileType(*phFile) == FILE_TYPE_DISK)
    {
        CloseHandle(*phFile);
        *phFile = INVALID_HANDLE_VALUE;
        return ERR_ACCESS_DENIED;
    }
    return INF_SUCCESS;
}

/** Opens the prepared path; the arguments as for RTFileOpenEx after validation. */
int rtFileOpenWin32(const RTUTF16 *pwszPath, uint64_t fOpen, RTFILE *phFile, RTFILEACTION *penmAction)
{
    RTFILEWINOPEN Params;
    rtFileOpenFlagsToWin(fOpen, &Params);

    /* Cleared first so that the "already exists" report of the open-or-create
     * dispositions cannot be a left-over. */
    SetLastError(NO_ERROR);
    HANDLE hFile = rtFileCreateW(pwszPath, &Params, Params.fAccess, Params.uDisposition);
    DWORD const uLastError = GetLastError();
    if (hFile == INVALID_HANDLE_VALUE)
    {
        if (Params.uDisposition == CREATE_NEW && uLastError == ERROR_FILE_EXISTS)
            *penmAction = RTFILEACTION_ALREADY_EXISTS;
        return RTErrConvertFromWinError(uLastError);
    }

    *penmAction = rtFileActionTaken(Params.uDisposition, uLastError);
    int rc = rtFileReopenAppendDevice(pwszPath, &Params, &hFile);
    if (RT_FAILURE(rc))
        return rc;
    rc = rtFileOpenFollowUps(hFile, pwszPath, fOpen, penmAction);
    if (RT_FAILURE(rc))
    {
        CloseHandle(hFile);
        return rc;
    }
    *phFile = (RTFILE)hFile;
    return INF_SUCCESS;
}

} /* namespace */

int RTFileOpenEx(const char *pszFilename, uint64_t fOpen, RTFILE *phFile, RTFILEACTION *penmActionTaken)
{
    if (!pszFilename || !phFile)
        return ERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(pszFilename) || !RT_VALID_PTR(phFile) || (penmActionTaken && !RT_VALID_PTR(penmActionTaken)))
        return ERR_INVALID_POINTER;
    *phFile = NIL_RTFILE;
    if (penmActionTaken)
        *penmActionTaken = RTFILEACTION_INVALID;

    int rc = RTFileValidateOpenFlags(&fOpen);
    if (RT_FAILURE(rc))
        return rc;

    RTUTF16 *pwszPath = NULL;
    rc = RTPathToWin32(&pwszPath, pszFilename);
    if (RT_FAILURE(rc))
        return rc;
    RTFILEACTION enmAction = RTFILEACTION_INVALID;
    rc = rtFileOpenWin32(pwszPath, fOpen, phFile, &enmAction);
    RTPathWin32Free(pwszPath);
    if (penmActionTaken)
        *penmActionTaken = enmAction;
    return rc;
}

int RTFileOpen(RTFILE *phFile, const char *pszFilename, uint64_t fOpen)
{
    return RTFileOpenEx(pszFilename, fOpen, phFile, NULL);
}

int RTFileClose(RTFILE hFile)
{
    if (hFile == NIL_RTFILE)
        return INF_SUCCESS;
    if (!CloseHandle((HANDLE)hFile))
        return RTErrConvertFromWinError(GetLastError());
    return INF_SUCCESS;
}

/*
 * Reading and writing
 */

namespace
{

/**
 * Redoes a read that failed for lack of system memory in pieces, halving the
 * piece after each further shortage until it is RTFILE_CHUNK_MIN bytes or
 * less. With @a pcbRead the first piece read ends it.
 */
int rtFileReadInPieces(HANDLE hFile, uint8_t *pbBuf, size_t cbToRead, size_t *pcbRead)
{
    size_t cbChunk = rtFileFirstChunkSize(cbToRead, g_cbReadSmallBelow, g_cbReadLargeChunk);
    size_t cbDone = 0;
    while (cbDone < cbToRead)
    {
        DWORD const cbThis = (DWORD)RT_MIN(cbChunk, cbToRead - cbDone);
        DWORD cbRead = 0;
        if (!rtFileSysRead(hFile, &pbBuf[cbDone], cbThis, &cbRead))
        {
            DWORD const uLastError = GetLastError();
            if (uLastError != g_uErrNotEnoughMemory || cbChunk <= RTFILE_CHUNK_MIN)
                return RTErrConvertFromWinError(uLastError);
            cbChunk /= 2;
            continue;
        }
        if (pcbRead)
        {
            *pcbRead = cbDone + cbRead;
            return INF_SUCCESS;
        }
        if (!cbRead)
            return ERR_EOF;
        cbDone += cbRead;
    }
    return INF_SUCCESS;
}

/** Reads on after a first read of @a cbDone bytes until all is read. */
int rtFileReadRest(HANDLE hFile, uint8_t *pbBuf, size_t cbToRead, size_t cbDone)
{
    while (cbDone < cbToRead)
    {
        DWORD cbRead = 0;
        if (!rtFileSysRead(hFile, &pbBuf[cbDone], (DWORD)(cbToRead - cbDone), &cbRead))
            return RTErrConvertFromWinError(GetLastError());
        if (!cbRead)
            return ERR_EOF;
        cbDone += cbRead;
    }
    return INF_SUCCESS;
}

/**
 * A write failed with @a uLastError after @a cbFailed bytes were asked for at
 * the current position. A full volume is told apart from a file that reached
 * the largest size its file system holds.
 */
int rtFileWriteFailure(HANDLE hFile, DWORD uLastError, size_t cbFailed)
{
    int rc = RTErrConvertFromWinError(uLastError);
    if (rc != ERR_DISK_FULL)
        return rc;
    uint64_t const offCurrent = RTFileTell((RTFILE)hFile);
    if (offCurrent == UINT64_MAX)
        return ERR_DISK_FULL;
    uint64_t const offEnd = offCurrent + cbFailed;
    if (offEnd < RTFILE_DISK_FULL_NO_QUERY_BELOW)
        return ERR_DISK_FULL;
    RTFSTYPE enmType = RTFSTYPE_UNKNOWN;
    if (RT_FAILURE(RTFileQueryFsType((RTFILE)hFile, &enmType)))
        return ERR_DISK_FULL;
    uint64_t const cbMax = rtFsTypeMaxFileSize(enmType);
    return cbMax && offEnd >= cbMax ? ERR_FILE_TOO_BIG : ERR_DISK_FULL;
}

/** The write counterpart of rtFileReadInPieces. */
int rtFileWriteInPieces(HANDLE hFile, const uint8_t *pbBuf, size_t cbToWrite, size_t *pcbWritten)
{
    size_t cbChunk = rtFileFirstChunkSize(cbToWrite, g_cbWriteSmallBelow, g_cbWriteLargeChunk);
    size_t cbDone = 0;
    while (cbDone < cbToWrite)
    {
        DWORD const cbThis = (DWORD)RT_MIN(cbChunk, cbToWrite - cbDone);
        DWORD cbWritten = 0;
        if (!rtFileSysWrite(hFile, &pbBuf[cbDone], cbThis, &cbWritten))
        {
            DWORD const uLastError = GetLastError();
            if (uLastError != g_uErrNotEnoughMemory || cbChunk <= RTFILE_CHUNK_MIN)
                return rtFileWriteFailure(hFile, uLastError, cbThis);
            cbChunk /= 2;
            continue;
        }
        if (pcbWritten)
        {
            *pcbWritten = cbDone + RT_MIN((size_t)cbWritten, (size_t)cbThis);
            return INF_SUCCESS;
        }
        if (!cbWritten)
            return ERR_WRITE_ERROR;
        cbDone += cbWritten;
    }
    return INF_SUCCESS;
}

/** Writes on after a first write of @a cbDone bytes until all is written. */
int rtFileWriteRest(HANDLE hFile, const uint8_t *pbBuf, size_t cbToWrite, size_t cbDone)
{
    while (cbDone < cbToWrite)
    {
        DWORD const cbThis = (DWORD)(cbToWrite - cbDone);
        DWORD cbWritten = 0;
        if (!rtFileSysWrite(hFile, &pbBuf[cbDone], cbThis, &cbWritten))
            return rtFileWriteFailure(hFile, GetLastError(), cbThis);
        if (!cbWritten)
            return ERR_WRITE_ERROR;
        cbDone += cbWritten;
    }
    return INF_SUCCESS;
}

} /* namespace */

int RTFileRead(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead)
{
    if (pcbRead)
        *pcbRead = 0;
    if (!cbToRead)
        return INF_SUCCESS;

    uint8_t *pbBuf = (uint8_t *)pvBuf;
    DWORD cbRead = 0;
    if (rtFileSysRead((HANDLE)hFile, pbBuf, (DWORD)cbToRead, &cbRead))
    {
        if (pcbRead)
        {
            *pcbRead = cbRead;
            return INF_SUCCESS;
        }
        if (!cbRead)
            return ERR_EOF;
        return rtFileReadRest((HANDLE)hFile, pbBuf, cbToRead, cbRead);
    }
    DWORD const uLastError = GetLastError();
    if (uLastError == g_uErrNotEnoughMemory)
        return rtFileReadInPieces((HANDLE)hFile, pbBuf, cbToRead, pcbRead);
    return RTErrConvertFromWinError(uLastError);
}

int RTFileWrite(RTFILE hFile, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten)
{
    if (pcbWritten)
        *pcbWritten = 0;
    if (!cbToWrite)
        return INF_SUCCESS;

    const uint8_t *pbBuf = (const uint8_t *)pvBuf;
    DWORD cbWritten = 0;
    if (rtFileSysWrite((HANDLE)hFile, pbBuf, (DWORD)cbToWrite, &cbWritten))
    {
        if (pcbWritten)
        {
            *pcbWritten = RT_MIN((size_t)cbWritten, cbToWrite);
            return INF_SUCCESS;
        }
        if (!cbWritten)
            return ERR_WRITE_ERROR;
        return rtFileWriteRest((HANDLE)hFile, pbBuf, cbToWrite, cbWritten);
    }
    DWORD const uLastError = GetLastError();
    if (uLastError == g_uErrNotEnoughMemory)
        return rtFileWriteInPieces((HANDLE)hFile, pbBuf, cbToWrite, pcbWritten);
    return rtFileWriteFailure((HANDLE)hFile, uLastError, cbToWrite);
}

/*
 * Position, flushing and handle checks
 */

int RTFileSeek(RTFILE hFile, int64_t offSeek, unsigned uMethod, uint64_t *poffActual)
{
    if (uMethod > RTFILE_SEEK_END)
        return ERR_INVALID_PARAMETER;

    LONG lHigh = (LONG)(offSeek >> 32);
    /* A returned low half of all ones is also a valid position; only the last
     * error tells it from a failure, so it is cleared for every call. */
    SetLastError(NO_ERROR);
    DWORD const uLow = SetFilePointer((HANDLE)hFile, (LONG)(uint32_t)offSeek, &lHigh, uMethod);
    if (uLow == INVALID_SET_FILE_POINTER)
    {
        DWORD const uLastError = GetLastError();
        if (uLastError != NO_ERROR)
            return RTErrConvertFromWinError(uLastError);
    }
    if (poffActual)
        *poffActual = ((uint64_t)(uint32_t)lHigh << 32) | uLow;
    return INF_SUCCESS;
}

uint64_t RTFileTell(RTFILE hFile)
{
    uint64_t off = 0;
    if (RT_FAILURE(RTFileSeek(hFile, 0, RTFILE_SEEK_CURRENT, &off)))
        return UINT64_MAX;
    return off;
}

int RTFileFlush(RTFILE hFile)
{
    if (!FlushFileBuffers((HANDLE)hFile))
        return RTErrConvertFromWinError(GetLastError());
    return INF_SUCCESS;
}

bool RTFileIsValid(RTFILE hFile)
{
    if (hFile == NIL_RTFILE)
        return false;
    SetLastError(NO_ERROR);
    switch (GetFileType((HANDLE)hFile))
    {
        case FILE_TYPE_DISK:
        case FILE_TYPE_CHAR:
        case FILE_TYPE_PIPE:
        case FILE_TYPE_REMOTE:
            return true;
        default:
            return GetLastError() == NO_ERROR;
    }
}

int RTFileFromNative(RTFILE *phFile, intptr_t uNative)
{
    if (!RT_VALID_PTR(phFile))
        return ERR_INVALID_POINTER;
    *phFile = (RTFILE)uNative;
    return uNative == -1 ? ERR_INVALID_HANDLE : INF_SUCCESS;
}
