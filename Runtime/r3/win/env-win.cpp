/** @file
 * Environment variables of the process on Windows, read through the UTF-16
 * interface and converted to UTF-8.
 */
#include <windows.h>
#include <rt/env.h>
#include <rt/mem.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/env.h"

namespace
{

/** Units of the first read buffer, on the stack: most values fit. */
DWORD const g_cwcStackBuffer = 512;
/** Values are at most 32767 units; a buffer past that which is still too small means something is wrong. */
DWORD const g_cwcValueMax = 32767;

/** A variable's value in UTF-16, in the stack buffer or a temporary heap buffer. */
struct EnvValueUtf16
{
    RTUTF16 awcStack[g_cwcStackBuffer];
    RTUTF16 *pwszHeap;
    const RTUTF16 *pwsz; /**< The value (not terminated when empty). */
    size_t cwc;          /**< Its length in units. */
};

/**
 * Decides what a zero-length read means: with no error set the variable exists
 * and is empty. Systems of major version 3 return 0 without an error for
 * missing variables too, so there a size query must confirm it exists.
 */
int rtEnvClassifyZeroLength(const RTUTF16 *pwszVar)
{
    DWORD dwErr = GetLastError();
    if (dwErr != NO_ERROR)
        return RTErrConvertFromWinError(dwErr);
    if (LOBYTE(LOWORD(GetVersion())) == 3 && GetEnvironmentVariableW((LPCWSTR)pwszVar, NULL, 0) == 0)
        return RTErrConvertFromWinError(ERROR_ENVVAR_NOT_FOUND);
    return INF_SUCCESS;
}

/**
 * Reads the variable @a pwszVar into @a pValue, growing the buffer while the
 * value does not fit (it may grow between calls). The caller frees
 * pValue->pwszHeap in every case.
 */
int rtEnvReadValueUtf16(const RTUTF16 *pwszVar, EnvValueUtf16 *pValue)
{
    pValue->pwszHeap = NULL;
    RTUTF16 *pwszBuf = pValue->awcStack;
    DWORD cwcBuf = g_cwcStackBuffer;
    SetLastError(NO_ERROR);
    DWORD cwcRet = GetEnvironmentVariableW((LPCWSTR)pwszVar, (LPWSTR)pwszBuf, cwcBuf);
    for (DWORD cRetries = 1; cwcRet >= cwcBuf; cRetries++)
    {
        if (cwcBuf > g_cwcValueMax)
            return ERR_INTERNAL_ERROR_3;
        /* The reported size includes the terminator; a little extra per retry
           absorbs a value that keeps growing. */
        DWORD cwcNew = RT_MAX(cwcRet + cRetries, g_cwcStackBuffer * cRetries);
        RTMemFree(pValue->pwszHeap);
        pValue->pwszHeap = (RTUTF16 *)RTMemAllocTag(cwcNew * sizeof(RTUTF16), RTMEM_TAG);
        if (!pValue->pwszHeap)
            return ERR_NO_TMP_MEMORY;
        pwszBuf = pValue->pwszHeap;
        cwcBuf = cwcNew;
        SetLastError(NO_ERROR);
        cwcRet = GetEnvironmentVariableW((LPCWSTR)pwszVar, (LPWSTR)pwszBuf, cwcBuf);
    }
    pValue->pwsz = pwszBuf;
    pValue->cwc = cwcRet;
    return cwcRet != 0 ? INF_SUCCESS : rtEnvClassifyZeroLength(pwszVar);
}

/** Converts the name to UTF-16 and reads the variable; the caller frees pValue->pwszHeap in every case. */
int rtEnvQueryValue(const char *pszVar, EnvValueUtf16 *pValue)
{
    pValue->pwszHeap = NULL;
    RTUTF16 *pwszVar = NULL;
    int rc = RTStrToUtf16(pszVar, &pwszVar, RTMEM_TAG);
    if (RT_FAILURE(rc))
        return rc;
    rc = rtEnvReadValueUtf16(pwszVar, pValue);
    RTUtf16Free(pwszVar);
    return rc;
}

/** Converts a value into the caller's buffer, or measures it when there is none. */
int rtEnvDeliverValue(const EnvValueUtf16 *pValue, char *pszValue, size_t cbValue, size_t *pcchActual)
{
    if (pszValue && cbValue > 0)
        return RTUtf16ToUtf8Ex(pValue->pwsz, pValue->cwc, &pszValue, cbValue, pcchActual, RTMEM_TAG);
    size_t cch = 0;
    int rc = RTUtf16Validate(pValue->pwsz, pValue->cwc, &cch);
    if (RT_FAILURE(rc))
        return rc;
    if (pcchActual)
        *pcchActual = cch;
    /* A buffer of size 0 cannot even take the terminator. */
    return pszValue ? ERR_BUFFER_OVERFLOW : INF_SUCCESS;
}

} // namespace

int RTEnvGetEx(RTENV hEnv, const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual)
{
    int rc = rtEnvGetExCheckArgs(hEnv, pszVar, pszValue, cbValue, pcchActual);
    if (RT_FAILURE(rc))
        return rc;
    EnvValueUtf16 Value;
    rc = rtEnvQueryValue(pszVar, &Value);
    if (RT_SUCCESS(rc))
        rc = rtEnvDeliverValue(&Value, pszValue, cbValue, pcchActual);
    RTMemFree(Value.pwszHeap);
    return rc;
}

const char *RTEnvGet(const char *pszVar)
{
    if (!rtEnvIsValidVarName(pszVar))
        return NULL;
    EnvValueUtf16 Value;
    int rc = rtEnvQueryValue(pszVar, &Value);
    char *pszCopy = NULL;
    if (RT_SUCCESS(rc))
        rc = RTUtf16ToUtf8Ex(Value.pwsz, Value.cwc, &pszCopy, 0, NULL, RTMEM_TAG);
    RTMemFree(Value.pwszHeap);
    if (RT_FAILURE(rc))
        return NULL;
    return rtEnvRingStore(pszCopy);
}
