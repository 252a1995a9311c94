/** @file
 * The ANSI conversion for systems whose ANSI code page is UTF-8.
 */
#include <rt/string.h>
#include "internal/utf.h"

int rtStrUtf8ToAnsiDup(char **ppszAnsi, const char *pszUtf8, const char *pszTag)
{
    int rc = RTStrValidate(pszUtf8, RTSTR_MAX, 0);
    if (RT_FAILURE(rc))
        return rc;
    char *pszDup = RTStrDup(pszUtf8, pszTag);
    if (!pszDup)
        return ERR_NO_TMP_MEMORY;
    *ppszAnsi = pszDup;
    return INF_SUCCESS;
}
