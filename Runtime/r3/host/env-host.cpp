/** @file
 * Environment variables for the host build: the C library's environment
 * stands in for the Windows one. Its names and values are taken as UTF-8.
 */
#include <stdlib.h>
#include <rt/env.h>
#include <rt/mem.h>
#include <rt/string.h>
#include "internal/env.h"

int RTEnvGetEx(RTENV hEnv, const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual)
{
    int rc = rtEnvGetExCheckArgs(hEnv, pszVar, pszValue, cbValue, pcchActual);
    if (RT_FAILURE(rc))
        return rc;
    const char *pszFound = getenv(pszVar);
    if (!pszFound)
        return ERR_ENV_VAR_NOT_FOUND;
    if (pcchActual)
        *pcchActual = RTStrLen(pszFound);
    if (!pszValue)
        return INF_SUCCESS;
    return RTStrCopy(pszValue, cbValue, pszFound);
}

const char *RTEnvGet(const char *pszVar)
{
    if (!rtEnvIsValidVarName(pszVar))
        return NULL;
    const char *pszFound = getenv(pszVar);
    if (!pszFound)
        return NULL;
    char *pszCopy = RTStrDup(pszFound, RTMEM_TAG);
    if (!pszCopy)
        return NULL;
    return rtEnvRingStore(pszCopy);
}
