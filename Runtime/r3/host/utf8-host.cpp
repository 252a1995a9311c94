/** @file
 * UTF-8 to the ANSI code page for the host build, whose code page is UTF-8:
 * the text is validated and duplicated.
 */
#include <rt/string.h>

int RTStrUtf8ToAnsi(char **ppszAnsi, const char *pszUtf8, const char *pszTag)
{
    if (!RT_VALID_PTR(ppszAnsi))
        return ERR_INVALID_POINTER;
    *ppszAnsi = NULL;
    int rc = RTStrValidate(pszUtf8, RTSTR_MAX, 0);
    if (RT_FAILURE(rc))
        return rc;
    char *pszDup = RTStrDup(pszUtf8, pszTag);
    if (!pszDup)
        return ERR_NO_TMP_MEMORY;
    *ppszAnsi = pszDup;
    return INF_SUCCESS;
}
