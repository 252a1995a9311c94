/** @file
 * Threads: the argument checks of creation and registration, and the
 * priority each thread type runs at.
 */
#include <rt/string.h>
#include "internal/thread.h"

int rtThreadValidateName(const char *pszName)
{
    if (!RT_VALID_PTR(pszName) || *pszName == '\0' || RTStrNLen(pszName, RTTHREAD_NAME_LEN + 1) > RTTHREAD_NAME_LEN)
        return ERR_INVALID_PARAMETER;
    return 0;
}

int rtThreadValidateCreateArgs(PRTTHREAD phThread, PFNRTTHREAD pfnThread, RTTHREADTYPE enmType, uint32_t fFlags,
                               const char *pszName)
{
    if ((phThread && !RT_VALID_PTR(phThread)) || !RT_VALID_PTR(pfnThread))
        return ERR_INVALID_POINTER;
    int rc = rtThreadValidateName(pszName);
    if (RT_FAILURE(rc))
        return rc;
    if (fFlags & ~RTTHREADCREATE_F_VALID_MASK)
        return ERR_INVALID_FLAGS;
    /* The type indexes the priority table and the per-type counts. */
    if (enmType <= RTTHREADTYPE_INVALID || enmType >= RTTHREADTYPE_END)
        return ERR_INVALID_PARAMETER;
    return 0;
}

int rtThreadTypePriority(RTTHREADTYPE enmType)
{
    /* -2 lowest, -1 below normal, 0 normal, 1 above normal, 2 highest. */
    static const int8_t s_aiPriorities[RTTHREADTYPE_END] = {0, -2, -1, 0, 0, 0, 0, 0, 1, 1, 2, 2};
    return s_aiPriorities[enmType];
}
