/** @file
 * The directory of the running executable, from the store start-up fills.
 */
#include <rt/path.h>
#include "internal/process.h"

int RTPathExecDir(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;
    size_t const cchDir = g_cchrtProcDir;
    if (g_cchrtProcExePath == 0 || g_cchrtProcExePath >= RTPROC_EXE_PATH_SIZE || cchDir > g_cchrtProcExePath)
        return ERR_WRONG_ORDER;
    if (cchDir >= cbPath)
    {
        if (cbPath)
            pszPath[0] = '\0';
        return ERR_BUFFER_OVERFLOW;
    }
    for (size_t i = 0; i < cchDir; i++)
        pszPath[i] = g_szrtProcExePath[i];
    pszPath[cchDir] = '\0';
    return INF_SUCCESS;
}
