/** @file
 * Environment variables of the process, read as UTF-8.
 *
 * Names may not contain '='. Values are converted from the system's form
 * (UTF-16 on Windows) on every read; nothing is cached.
 */
#ifndef RT_ENV_H
#define RT_ENV_H

#include <rt/types.h>
#include <rt/err.h>

/** An environment (opaque). Only the process environment exists. */
typedef struct RTENVINTERNAL *RTENV;
/** The process environment. */
#define RTENV_DEFAULT ((RTENV) ~(uintptr_t)0)

/**
 * Reads the variable @a pszVar of @a hEnv as UTF-8.
 *
 * @param hEnv        RTENV_DEFAULT; anything else gives ERR_INVALID_HANDLE.
 * @param pszVar      The name.
 * @param pszValue    Where the value goes, or null to ask for its length only.
 * @param cbValue     Size of @a pszValue in bytes; must be 0 when it is null.
 * @param pcchActual  Optional: receives the value's UTF-8 length without the
 *                    terminator; 0 when the variable is not read, the full
 *                    length also when the value does not fit.
 *
 * @returns INF_SUCCESS when found (an empty value is found and yields "");
 *          ERR_ENV_VAR_NOT_FOUND when the variable is not set;
 *          ERR_BUFFER_OVERFLOW when the value does not fit (the buffer then
 *          holds a terminated prefix when it has room for the terminator);
 *          ERR_ENV_INVALID_VAR_NAME when the name contains '=';
 *          ERR_INVALID_POINTER for a bad name, value or length pointer;
 *          ERR_INVALID_PARAMETER for a null @a pszValue with a non-zero size,
 *          or when there is neither @a pcchActual nor a buffer with room;
 *          a conversion status when the name or value cannot be converted;
 *          ERR_NO_TMP_MEMORY when a long value cannot get a temporary buffer.
 * Re-entrant.
 */
int RTEnvGetEx(RTENV hEnv, const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual);

/**
 * Reads the variable @a pszVar of the process environment into a string that
 * a ring of 64 slots owns: it stays valid until 64 further calls of RTEnvGet
 * (from any thread) have been made, and the caller must not free it.
 *
 * @returns The value, or null when the variable is not set, the name is bad
 *          or contains '=', or the value cannot be converted or allocated.
 */
const char *RTEnvGet(const char *pszVar);

#endif
