/** @file
 * Checking the file names in package headers.
 */
#include "TarnStubPackageName.h"
#include <rt/err.h>
#include <rt/string.h>

namespace
{

bool isRefusedChar(char ch)
{
    if ((unsigned char)ch < 32)
        return true;
    for (const char *pch = "<>:\"|?*\\/"; *pch; pch++)
        if (*pch == ch)
            return true;
    return false;
}

/** Whether the @a cch bytes at @a pch, compared without case, are the ASCII text @a pszAscii. */
bool equalsAsciiNoCase(const char *pch, size_t cch, const char *pszAscii)
{
    size_t i = 0;
    for (; i < cch && pszAscii[i] != '\0'; i++)
    {
        char ch = pch[i];
        if (ch >= 'a' && ch <= 'z')
            ch = (char)(ch - 'a' + 'A');
        if (ch != pszAscii[i])
            return false;
    }
    return i == cch && pszAscii[i] == '\0';
}

/** Whether the part of @a pszName before its first dot, less trailing spaces, names a Windows device. */
bool isDeviceName(const char *pszName)
{
    size_t cchBase = 0;
    while (pszName[cchBase] != '\0' && pszName[cchBase] != '.')
        cchBase++;
    while (cchBase > 0 && pszName[cchBase - 1] == ' ')
        cchBase--;
    static const char *const s_apszDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char *pszDevice : s_apszDevices)
        if (equalsAsciiNoCase(pszName, cchBase, pszDevice))
            return true;
    if (cchBase == 4 && pszName[3] >= '1' && pszName[3] <= '9')
        return equalsAsciiNoCase(pszName, 3, "COM") || equalsAsciiNoCase(pszName, 3, "LPT");
    return false;
}

} // namespace

bool IsPlainPackageFileName(const char *pachField, size_t cbField, const char **ppszWhy)
{
    const char *pszWhy = NULL;
    size_t const cchName = RTStrNLen(pachField, cbField);
    if (cchName == cbField)
        pszWhy = "has no end within its field";
    else if (cchName == 0)
        pszWhy = "is empty";
    else if (RT_FAILURE(RTStrValidate(pachField, cchName, 0)))
        pszWhy = "is not valid UTF-8";
    else if (equalsAsciiNoCase(pachField, cchName, ".") || equalsAsciiNoCase(pachField, cchName, ".."))
        pszWhy = "is a directory";
    else
    {
        for (size_t i = 0; i < cchName && !pszWhy; i++)
            if (isRefusedChar(pachField[i]))
                pszWhy = "has a character Windows does not allow in file names";
        if (!pszWhy && (pachField[cchName - 1] == '.' || pachField[cchName - 1] == ' '))
            pszWhy = "ends in a dot or a space";
        else if (!pszWhy && isDeviceName(pachField))
            pszWhy = "names a Windows device";
    }
    *ppszWhy = pszWhy;
    return pszWhy == NULL;
}
