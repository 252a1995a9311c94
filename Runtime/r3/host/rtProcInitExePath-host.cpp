/** @file
 * The executable's path for the host build, from the process's own link.
 */
#include <errno.h>
#include <unistd.h>
#include "internal/process.h"
#include <rt/err.h>

int rtProcInitExePath(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;
    if (!cbPath)
        return ERR_BUFFER_OVERFLOW;
    ssize_t cch = readlink("/proc/self/exe", pszPath, cbPath);
    if (cch < 0)
    {
        pszPath[0] = '\0';
        return errno == EACCES ? ERR_ACCESS_DENIED : ERR_FILE_NOT_FOUND;
    }
    if ((size_t)cch >= cbPath)
    {
        pszPath[0] = '\0';
        return ERR_BUFFER_OVERFLOW;
    }
    pszPath[cch] = '\0';
    return INF_SUCCESS;
}
