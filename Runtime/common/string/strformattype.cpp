/** @file
 * Custom formatter types: the registry behind "%R[name]".
 *
 * The registry is a fixed table kept sorted by name, so a conversion finds its
 * type by binary search without taking a lock. Writers (registration,
 * deregistration) serialise on a spin flag and bracket every change of the
 * table with a generation counter that is odd while the change is under way.
 * A formatting thread reads the counter, searches, then reads the counter
 * again behind an acquire barrier; a change in between (or an odd counter)
 * makes it search again. Every shared field is read and written with atomic
 * accesses, so a reader racing with a writer sees torn data at worst, which
 * the counter check then discards.
 */
#include "internal/strformatrt.h"

namespace
{

struct TYPEENTRY
{
    uint32_t cchName;
    char achName[RTSTR_FORMAT_TYPE_NAME_MAX + 1];
    PFNRTSTRFORMATTYPE pfnHandler;
    void *pvUser;
};

/* Zero-initialised: no constructor runs. */
TYPEENTRY g_aTypes[RTSTR_FORMAT_TYPE_MAX];
uint32_t g_cTypes;
/** Odd while a writer changes g_aTypes or g_cTypes. */
uint32_t g_uGeneration;
/** Set while a writer owns the table. */
uint32_t g_fWriterBusy;

template <typename T> T rtstrFmtTypeLoadRelaxed(const T *p)
{
    return __atomic_load_n(p, __ATOMIC_RELAXED);
}

template <typename T> void rtstrFmtTypeStoreRelaxed(T *p, T Value)
{
    __atomic_store_n(p, Value, __ATOMIC_RELAXED);
}

/** Compares the name @a pchKey (@a cchKey bytes) with the entry's name: <0, 0 or >0. */
int rtstrFmtTypeCompareWithEntry(const char *pchKey, size_t cchKey, const TYPEENTRY *pEntry)
{
    size_t const cchEntry = RT_MIN(rtstrFmtTypeLoadRelaxed(&pEntry->cchName), (uint32_t)RTSTR_FORMAT_TYPE_NAME_MAX);
    size_t const cchCommon = RT_MIN(cchKey, cchEntry);
    for (size_t i = 0; i < cchCommon; i++)
    {
        uint8_t const bKey = (uint8_t)pchKey[i];
        uint8_t const bEntry = (uint8_t)rtstrFmtTypeLoadRelaxed(&pEntry->achName[i]);
        if (bKey != bEntry)
            return bKey < bEntry ? -1 : 1;
    }
    return cchKey < cchEntry ? -1 : cchKey > cchEntry ? 1 : 0;
}

/** Binary search: true and the entry's index when found, else false and the index to insert at. */
bool rtstrFmtTypeSearchTable(const char *pchName, size_t cchName, uint32_t *pidx)
{
    uint32_t idxLow = 0;
    uint32_t idxHigh = RT_MIN(rtstrFmtTypeLoadRelaxed(&g_cTypes), (uint32_t)RTSTR_FORMAT_TYPE_MAX);
    while (idxLow < idxHigh)
    {
        uint32_t const idxMid = idxLow + (idxHigh - idxLow) / 2;
        int const iDiff = rtstrFmtTypeCompareWithEntry(pchName, cchName, &g_aTypes[idxMid]);
        if (iDiff == 0)
        {
            *pidx = idxMid;
            return true;
        }
        if (iDiff < 0)
            idxHigh = idxMid;
        else
            idxLow = idxMid + 1;
    }
    *pidx = idxLow;
    return false;
}

/** Looks a name up the lock-free way, copying what the caller needs out of the table. */
bool rtstrFmtTypeFind(const char *pchName, size_t cchName, PFNRTSTRFORMATTYPE *ppfnHandler, void **ppvUser)
{
    for (;;)
    {
        uint32_t const uGeneration = __atomic_load_n(&g_uGeneration, __ATOMIC_ACQUIRE);
        if (uGeneration & 1)
            continue; /* a writer is busy: wait for it to finish */
        uint32_t idx;
        bool const fFound = rtstrFmtTypeSearchTable(pchName, cchName, &idx);
        if (fFound)
        {
            *ppfnHandler = rtstrFmtTypeLoadRelaxed(&g_aTypes[idx].pfnHandler);
            *ppvUser = rtstrFmtTypeLoadRelaxed(&g_aTypes[idx].pvUser);
        }
        __atomic_thread_fence(__ATOMIC_ACQUIRE);
        if (__atomic_load_n(&g_uGeneration, __ATOMIC_RELAXED) == uGeneration)
            return fFound;
    }
}

void rtstrFmtTypeLockWriters()
{
    while (__atomic_exchange_n(&g_fWriterBusy, 1u, __ATOMIC_ACQUIRE))
        while (rtstrFmtTypeLoadRelaxed(&g_fWriterBusy))
        {
        }
}

void rtstrFmtTypeUnlockWriters()
{
    __atomic_store_n(&g_fWriterBusy, 0u, __ATOMIC_RELEASE);
}

void rtstrFmtTypeBeginChange()
{
    rtstrFmtTypeStoreRelaxed(&g_uGeneration, rtstrFmtTypeLoadRelaxed(&g_uGeneration) + 1);
    __atomic_thread_fence(__ATOMIC_RELEASE);
}

void rtstrFmtTypeEndChange()
{
    __atomic_store_n(&g_uGeneration, rtstrFmtTypeLoadRelaxed(&g_uGeneration) + 1, __ATOMIC_RELEASE);
}

void rtstrFmtTypeCopyEntry(TYPEENTRY *pDst, const TYPEENTRY *pSrc)
{
    rtstrFmtTypeStoreRelaxed(&pDst->cchName, rtstrFmtTypeLoadRelaxed(&pSrc->cchName));
    for (size_t i = 0; i < sizeof(pDst->achName); i++)
        rtstrFmtTypeStoreRelaxed(&pDst->achName[i], rtstrFmtTypeLoadRelaxed(&pSrc->achName[i]));
    rtstrFmtTypeStoreRelaxed(&pDst->pfnHandler, rtstrFmtTypeLoadRelaxed(&pSrc->pfnHandler));
    rtstrFmtTypeStoreRelaxed(&pDst->pvUser, rtstrFmtTypeLoadRelaxed(&pSrc->pvUser));
}

void rtstrFmtTypeFillEntry(TYPEENTRY *pEntry, const char *pszName, size_t cchName, PFNRTSTRFORMATTYPE pfnHandler,
                           void *pvUser)
{
    rtstrFmtTypeStoreRelaxed(&pEntry->cchName, (uint32_t)cchName);
    for (size_t i = 0; i < sizeof(pEntry->achName); i++)
        rtstrFmtTypeStoreRelaxed(&pEntry->achName[i], i < cchName ? pszName[i] : '\0');
    rtstrFmtTypeStoreRelaxed(&pEntry->pfnHandler, pfnHandler);
    rtstrFmtTypeStoreRelaxed(&pEntry->pvUser, pvUser);
}

bool rtstrFmtTypeIsForbiddenNameChar(char ch)
{
    return ch == '[' || ch == ']' || ch == '%';
}

/** Checks a name for registration; its length on success. */
int rtstrFmtTypeValidateName(const char *pszName, size_t *pcchName)
{
    if (!RT_VALID_PTR(pszName))
        return ERR_INVALID_POINTER;
    size_t const cchName = RTStrNLen(pszName, RTSTR_FORMAT_TYPE_NAME_MAX + 1);
    if (cchName == 0 || cchName > RTSTR_FORMAT_TYPE_NAME_MAX)
        return ERR_INVALID_PARAMETER;
    for (size_t i = 0; i < cchName; i++)
        if (rtstrFmtTypeIsForbiddenNameChar(pszName[i]))
            return ERR_INVALID_PARAMETER;
    *pcchName = cchName;
    return INF_SUCCESS;
}

int rtstrFmtTypeInsertLocked(const char *pszName, size_t cchName, PFNRTSTRFORMATTYPE pfnHandler, void *pvUser)
{
    uint32_t idx;
    if (rtstrFmtTypeSearchTable(pszName, cchName, &idx))
        return ERR_ALREADY_EXISTS;
    uint32_t const cTypes = rtstrFmtTypeLoadRelaxed(&g_cTypes);
    if (cTypes >= RTSTR_FORMAT_TYPE_MAX)
        return ERR_NO_MEMORY;
    rtstrFmtTypeBeginChange();
    for (uint32_t i = cTypes; i > idx; i--)
        rtstrFmtTypeCopyEntry(&g_aTypes[i], &g_aTypes[i - 1]);
    rtstrFmtTypeFillEntry(&g_aTypes[idx], pszName, cchName, pfnHandler, pvUser);
    rtstrFmtTypeStoreRelaxed(&g_cTypes, cTypes + 1);
    rtstrFmtTypeEndChange();
    return INF_SUCCESS;
}

int rtstrFmtTypeRemoveLocked(const char *pszName, size_t cchName)
{
    uint32_t idx;
    if (!rtstrFmtTypeSearchTable(pszName, cchName, &idx))
        return ERR_SYMBOL_NOT_FOUND;
    uint32_t const cTypes = rtstrFmtTypeLoadRelaxed(&g_cTypes);
    rtstrFmtTypeBeginChange();
    for (uint32_t i = idx; i + 1 < cTypes; i++)
        rtstrFmtTypeCopyEntry(&g_aTypes[i], &g_aTypes[i + 1]);
    rtstrFmtTypeFillEntry(&g_aTypes[cTypes - 1], "", 0, nullptr, nullptr);
    rtstrFmtTypeStoreRelaxed(&g_cTypes, cTypes - 1);
    rtstrFmtTypeEndChange();
    return INF_SUCCESS;
}

int rtstrFmtTypeSetUserLocked(const char *pszName, size_t cchName, void *pvUser)
{
    uint32_t idx;
    if (!rtstrFmtTypeSearchTable(pszName, cchName, &idx))
        return ERR_SYMBOL_NOT_FOUND;
    rtstrFmtTypeBeginChange();
    rtstrFmtTypeStoreRelaxed(&g_aTypes[idx].pvUser, pvUser);
    rtstrFmtTypeEndChange();
    return INF_SUCCESS;
}

/** Name checks for lookups by name: a name that cannot be registered is simply not there. */
int rtstrFmtTypeValidateLookupName(const char *pszName, size_t *pcchName)
{
    int rc = rtstrFmtTypeValidateName(pszName, pcchName);
    return rc == ERR_INVALID_PARAMETER ? ERR_SYMBOL_NOT_FOUND : rc;
}

size_t rtstrFmtTypeOutputMissing(const RTSTRFMTRT *pCtx, const char *pchName, size_t cchName)
{
    size_t cbWritten = pCtx->pfnOutput(pCtx->pvArgOutput, "<missing:%R[", 12);
    if (cchName)
        cbWritten += pCtx->pfnOutput(pCtx->pvArgOutput, pchName, cchName);
    return cbWritten + pCtx->pfnOutput(pCtx->pvArgOutput, "]>", 2);
}

} // namespace

int RTStrFormatTypeRegister(const char *pszType, PFNRTSTRFORMATTYPE pfnHandler, void *pvUser)
{
    size_t cchName;
    int rc = rtstrFmtTypeValidateName(pszType, &cchName);
    if (RT_FAILURE(rc))
        return rc;
    if (!RT_VALID_PTR((const void *)pfnHandler))
        return ERR_INVALID_POINTER;
    rtstrFmtTypeLockWriters();
    rc = rtstrFmtTypeInsertLocked(pszType, cchName, pfnHandler, pvUser);
    rtstrFmtTypeUnlockWriters();
    return rc;
}

int RTStrFormatTypeDeregister(const char *pszType)
{
    size_t cchName;
    int rc = rtstrFmtTypeValidateLookupName(pszType, &cchName);
    if (RT_FAILURE(rc))
        return rc;
    rtstrFmtTypeLockWriters();
    rc = rtstrFmtTypeRemoveLocked(pszType, cchName);
    rtstrFmtTypeUnlockWriters();
    return rc;
}

int RTStrFormatTypeSetUser(const char *pszType, void *pvUser)
{
    size_t cchName;
    int rc = rtstrFmtTypeValidateLookupName(pszType, &cchName);
    if (RT_FAILURE(rc))
        return rc;
    rtstrFmtTypeLockWriters();
    rc = rtstrFmtTypeSetUserLocked(pszType, cchName, pvUser);
    rtstrFmtTypeUnlockWriters();
    return rc;
}

size_t rtstrFormatRtCustomType(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    const char *pchName = *ppszFormat + 1;
    const char *pch = pchName;
    while (*pch && *pch != ']' && !rtstrFmtTypeIsForbiddenNameChar(*pch))
        pch++;
    if (*pch != ']')
    {
        *ppszFormat = pch; /* not a conversion: formatting goes on from the offending character */
        return 0;
    }
    *ppszFormat = pch + 1;
    size_t const cchName = (size_t)(pch - pchName);
    const void *pvValue = va_arg(*pCtx->pArgs, const void *);

    PFNRTSTRFORMATTYPE pfnHandler = nullptr;
    void *pvUser = nullptr;
    if (cchName == 0 || cchName > RTSTR_FORMAT_TYPE_NAME_MAX ||
        !rtstrFmtTypeFind(pchName, cchName, &pfnHandler, &pvUser))
        return rtstrFmtTypeOutputMissing(pCtx, pchName, cchName);

    char szName[RTSTR_FORMAT_TYPE_NAME_MAX + 1];
    for (size_t i = 0; i < cchName; i++)
        szName[i] = pchName[i];
    szName[cchName] = '\0';
    return pfnHandler(pCtx->pfnOutput, pCtx->pvArgOutput, szName, pvValue, pCtx->cchWidth, pCtx->cchPrecision,
                      pCtx->fFlags, pvUser);
}
