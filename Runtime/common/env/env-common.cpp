/** @file
 * The environment code both builds share: argument checks and the ring of
 * strings RTEnvGet returns.
 */
#include <rt/env.h>
#include <rt/err.h>
#include <rt/string.h>
#include "internal/env.h"

namespace
{

/** The strings RTEnvGet returned last; exchanged atomically so no caller frees another's current string. */
char *g_apszRing[RTENV_RING_SLOTS];
/** Counts RTEnvGet results; modulo the slot count it picks the next slot. */
uint32_t volatile g_cRingStores = 0;

bool rtEnvContainsEquals(const char *psz)
{
    for (; *psz; psz++)
        if (*psz == '=')
            return true;
    return false;
}

} // namespace

int rtEnvGetExCheckArgs(RTENV hEnv, const char *pszVar, const char *pszValue, size_t cbValue, size_t *pcchActual)
{
    if (hEnv != RTENV_DEFAULT)
        return ERR_INVALID_HANDLE;
    if (!RT_VALID_PTR(pszVar))
        return ERR_INVALID_POINTER;
    if (pszValue && !RT_VALID_PTR(pszValue))
        return ERR_INVALID_POINTER;
    if (!pszValue && cbValue != 0)
        return ERR_INVALID_PARAMETER;
    if (pcchActual && !RT_VALID_PTR(pcchActual))
        return ERR_INVALID_POINTER;
    if (!pcchActual && (!pszValue || cbValue == 0))
        return ERR_INVALID_PARAMETER;
    if (rtEnvContainsEquals(pszVar))
        return ERR_ENV_INVALID_VAR_NAME;
    if (pcchActual)
        *pcchActual = 0;
    return INF_SUCCESS;
}

bool rtEnvIsValidVarName(const char *pszVar)
{
    return RT_VALID_PTR(pszVar) && !rtEnvContainsEquals(pszVar);
}

const char *rtEnvRingStore(char *pszValue)
{
    /* The counter wraps at 2^32, a multiple of the slot count, so the order stays round-robin. */
    uint32_t idxSlot = __atomic_fetch_add(&g_cRingStores, 1, __ATOMIC_RELAXED) % RTENV_RING_SLOTS;
    char *pszOld = __atomic_exchange_n(&g_apszRing[idxSlot], pszValue, __ATOMIC_ACQ_REL);
    RTStrFree(pszOld);
    return pszValue;
}
