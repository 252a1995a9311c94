/** @file
 * Internals shared by the environment code of the host and Windows builds.
 */
#ifndef RT_INTERNAL_ENV_H
#define RT_INTERNAL_ENV_H

#include <rt/env.h>

/** Number of strings RTEnvGet keeps alive. */
#define RTENV_RING_SLOTS 64

/**
 * Checks the arguments of RTEnvGetEx in the order its contract gives, and on
 * success sets *pcchActual (when given) to 0.
 */
int rtEnvGetExCheckArgs(RTENV hEnv, const char *pszVar, const char *pszValue, size_t cbValue, size_t *pcchActual);

/** A name RTEnvGet accepts: a valid pointer to a string without '='. */
bool rtEnvIsValidVarName(const char *pszVar);

/**
 * Hands @a pszValue (from the string allocator) to the next ring slot, frees
 * the string that slot held and returns @a pszValue.
 */
const char *rtEnvRingStore(char *pszValue);

#endif
