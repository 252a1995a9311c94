/** @file
 * UTF-8 to the ANSI code page for the host build, whose code page is UTF-8:
 * the text is validated and duplicated.
 */
#include <rt/string.h>
#include "internal/utf.h"

int RTStrUtf8ToAnsi(char **ppszAnsi, const char *pszUtf8, const char *pszTag)
{
    if (!RT_VALID_PTR(ppszAnsi))
        return ERR_INVALID_POINTER;
    *ppszAnsi = NULL;
    return rtStrUtf8ToAnsiDup(ppszAnsi, pszUtf8, pszTag);
}
