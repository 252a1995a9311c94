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
 */
typedef struct RTERRINFO
{
    int32_t rc;         /**< The status. */
    const char *pszMsg; /**< NUL-terminated message, or null. */
} RTERRINFO;

#endif
