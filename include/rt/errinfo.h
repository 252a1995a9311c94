/** @file
 * Extended error information: a status together with a message text, as
 * printed by "%RTeic" and "%RTeim" (both take a pointer to the record).
 */
#ifndef RT_ERRINFO_H
#define RT_ERRINFO_H

#include <rt/types.h>

/**
 * A status and the message that explains it. The message is owned by whoever
 * filled in the record and may be null when there is none.
 *
 * "%RTeic" prints the status's name, then ": " and the message when there is
 * one ("ERR_FILE_NOT_FOUND: cannot open 'a.msi'"). "%RTeim" prints the message
 * alone, or the status's name when there is no message.
 *
 * A record that should receive formatted messages carries a buffer of the
 * caller's (RTErrInfoInit); the RTErrInfoSet functions write into it.
 */
typedef struct RTERRINFO
{
    int32_t rc;         /**< The status. */
    const char *pszMsg; /**< NUL-terminated message, or null. */
    char *pszMsgBuf;    /**< Room for messages the setters format, or null. */
    size_t cbMsgBuf;    /**< Size of pszMsgBuf in bytes. */
} RTERRINFO;

/**
 * Prepares @a pErrInfo for use: no status, no message, and @a pszBuf of
 * @a cbBuf bytes (both may be null/0) as the room for messages.
 * @returns @a pErrInfo.
 */
RTERRINFO *RTErrInfoInit(RTERRINFO *pErrInfo, char *pszBuf, size_t cbBuf);

/** Forgets status and message of @a pErrInfo, keeping its buffer; null is ignored. */
void RTErrInfoClear(RTERRINFO *pErrInfo);

/**
 * Stores @a rc and the message @a pszMsg in @a pErrInfo (null is ignored).
 * With a buffer the message is copied (cut to fit); without one the record
 * points at @a pszMsg, which must then outlive the record (a literal).
 * @returns @a rc.
 */
int RTErrInfoSet(RTERRINFO *pErrInfo, int rc, const char *pszMsg);

/**
 * Stores @a rc and the message formatted from @a pszFormat (RTStrBufPrintf
 * conversions, cut to fit) in @a pErrInfo (null is ignored). Without a buffer
 * only the status is stored and the message is null.
 * @returns @a rc.
 */
int RTErrInfoSetF(RTERRINFO *pErrInfo, int rc, const char *pszFormat, ...);

#endif
