/** @file
 * Internal interfaces of the status code module: the status message table
 * (read by the text renderers and by tests) and the binding of the socket
 * library's error entry points.
 */
#ifndef RT_INTERNAL_ERR_H
#define RT_INTERNAL_ERR_H

#include <rt/err.h>

/** One entry of the status message table: the status and where its texts
 * lie in the table's text pool. Read the texts with the functions below. */
typedef struct RTSTATUSMSG
{
    uint16_t offName : 15; /**< Offset of the name (without prefix) in the pool; the message follows it. */
    uint16_t fWarning : 1; /**< A positive status named WRN_ rather than INF_. */
    int16_t iValue;        /**< The status; every status fits 16 bits. */
} RTSTATUSMSG;

/** The size the text pool may reach: what offName can address. */
#define RTSTATUSMSG_MAX_POOL 0x8000

/** The status message table, sorted by ascending value, one entry per value. */
extern const RTSTATUSMSG g_aRTStatusMsgs[];
/** Number of entries in g_aRTStatusMsgs. */
extern const size_t g_cRTStatusMsgs;

/** The prefix of the entry's name: "ERR_", "WRN_" or "INF_". */
const char *rtErrStatusMsgNamePrefix(const RTSTATUSMSG *pEntry);
/** The rest of the entry's name, e.g. "FILE_NOT_FOUND" of ERR_FILE_NOT_FOUND. */
const char *rtErrStatusMsgNameRest(const RTSTATUSMSG *pEntry);
/** Size of the buffer rtErrStatusMsgText may spell a message into. */
#define RTSTATUSMSG_TEXT_BUF 64
/** The entry's message text, e.g. "file not found": in the pool, or spelled
 * from the name into @a pszBuf (RTSTATUSMSG_TEXT_BUF bytes). */
const char *rtErrStatusMsgText(const RTSTATUSMSG *pEntry, char *pszBuf);

/** Finds the table entry of @a rc by binary search; null when the status has
 * none (always so for a status outside the 16-bit range). */
const RTSTATUSMSG *rtErrFindStatusMsg(int rc);

/** One pair of the Win32 error table: a Win32 error below 65536 and its status. */
typedef struct RTERRWINMAP
{
    uint16_t uWinError;
    int16_t iStatus;
} RTERRWINMAP;

/** The Win32 errors that RTErrConvertFromWinError finds by binary search,
 * sorted by ascending value, one pair per value. */
extern const RTERRWINMAP g_aRTErrWinMap[];
/** Number of pairs in g_aRTErrWinMap. */
extern const size_t g_cRTErrWinMap;

#ifdef __cplusplus
/**
 * Finds the entry of @a paEntries (sorted by ascending @a pValue member, one
 * entry per value) whose value is @a iValue; null when there is none. Values
 * compare as 64-bit numbers, so a key outside the member's range never matches.
 */
template <typename TEntry, typename TValue>
const TEntry *rtErrTableFind(const TEntry *paEntries, size_t cEntries, TValue TEntry::*pValue, int64_t iValue)
{
    size_t idxLow = 0;
    size_t idxEnd = cEntries;
    while (idxLow < idxEnd)
    {
        size_t const idxMid = idxLow + (idxEnd - idxLow) / 2;
        int64_t const iMid = (int64_t)(paEntries[idxMid].*pValue);
        if (iMid < iValue)
            idxLow = idxMid + 1;
        else if (iMid > iValue)
            idxEnd = idxMid;
        else
            return &paEntries[idxMid];
    }
    return NULL;
}
#endif

/** Value of the saved socket error when the socket library is not bound (WSANOTINITIALISED). */
#define RTERRSTATE_NO_SOCKET_ERROR 10093

#ifdef RT_OS_WINDOWS
/**
 * Binds WSAGetLastError and WSASetLastError for RTErrStateSave and
 * RTErrStateRestore, but only when ws2_32.dll or wsock32.dll is already
 * loaded in the process: the error state must never be the reason a socket
 * library gets loaded. Meant to be called once by runtime initialisation,
 * before other threads exist; until then the socket error is not saved.
 * Calling it again binds again (harmless, same addresses).
 */
void rtErrStateInitSockets(void);
#endif

#endif
