/** @file
 * Text-processing "%R" families: a path's base name ("%Rbn"), the function
 * name inside a signature ("%Rfn") and XML escaping ("%RMas", "%RMes").
 */
#include "internal/path.h"
#include "internal/strformatrt.h"

namespace
{

size_t rtstrFmtTextOutputBadPointer(const RTSTRFMTRT *pCtx, const void *pv, const char *pszMarker)
{
    return rtstrFormatBadPointer(pCtx->pfnOutput, pCtx->pvArgOutput, pv, pCtx->cchWidth, pCtx->fFlags, pszMarker);
}

/** Consumes the form @a pszForm at *ppszFormat and returns true, or consumes the family letter and returns false. */
bool rtstrFmtTextTakeForm(const char **ppszFormat, const char *pszForm)
{
    size_t cch = rtstrFmtMatchForm(*ppszFormat, pszForm);
    *ppszFormat += cch ? cch : 1;
    return cch != 0;
}

/** Characters of a (possibly qualified) C++ function name outside template brackets. */
bool rtstrFmtTextIsNameChar(char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' || ch == ':' ||
           ch == '~' || ch == '$';
}

/** The end of the name in @a pszSig: the first '(' outside angle brackets (or the
 * end of the text), less any blanks before it. */
const char *rtstrFmtTextFindFunctionNameEnd(const char *pszSig)
{
    const char *pch = pszSig;
    unsigned cDepth = 0;
    for (; *pch; pch++)
    {
        if (*pch == '<')
            cDepth++;
        else if (*pch == '>' && cDepth > 0)
            cDepth--;
        else if (*pch == '(' && cDepth == 0)
            break;
    }
    while (pch > pszSig && pch[-1] == ' ')
        pch--;
    return pch;
}

/** Walks back from @a pszEnd over the name and any balanced template arguments
 * that end it, stopping at the type words before it. */
const char *rtstrFmtTextFindFunctionNameStart(const char *pszSig, const char *pszEnd)
{
    const char *pch = pszEnd;
    unsigned cDepth = 0;
    while (pch > pszSig)
    {
        char const ch = pch[-1];
        if (ch == '>')
            cDepth++;
        else if (ch == '<')
        {
            if (cDepth == 0)
                break;
            cDepth--;
        }
        else if (cDepth == 0 && !rtstrFmtTextIsNameChar(ch))
            break;
        pch--;
    }
    return pch;
}

const char *rtstrFmtTextXmlEntityFor(char ch, bool fAttribute)
{
    switch (ch)
    {
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '&':
            return "&amp;";
        case '"':
            return "&quot;";
        case '\n':
            return fAttribute ? "&#xA;" : nullptr;
        case '\r':
            return fAttribute ? "&#xD;" : nullptr;
        case '\'':
            return fAttribute ? nullptr : "&apos;";
        default:
            return nullptr;
    }
}

size_t rtstrFmtTextEscapedLength(const char *pch, size_t cch, bool fAttribute)
{
    size_t cchEscaped = 0;
    for (size_t i = 0; i < cch; i++)
    {
        const char *pszEntity = rtstrFmtTextXmlEntityFor(pch[i], fAttribute);
        cchEscaped += pszEntity ? RTStrLen(pszEntity) : 1;
    }
    return cchEscaped;
}

/** Writes @a cch bytes at @a pch escaped, in runs between the characters needing an entity. */
size_t rtstrFmtTextOutputEscaped(const RTSTRFMTRT *pCtx, const char *pch, size_t cch, bool fAttribute)
{
    size_t cbWritten = 0;
    size_t offRun = 0;
    for (size_t i = 0; i < cch; i++)
    {
        const char *pszEntity = rtstrFmtTextXmlEntityFor(pch[i], fAttribute);
        if (!pszEntity)
            continue;
        if (i > offRun)
            cbWritten += pCtx->pfnOutput(pCtx->pvArgOutput, &pch[offRun], i - offRun);
        cbWritten += pCtx->pfnOutput(pCtx->pvArgOutput, pszEntity, RTStrLen(pszEntity));
        offRun = i + 1;
    }
    if (cch > offRun)
        cbWritten += pCtx->pfnOutput(pCtx->pvArgOutput, &pch[offRun], cch - offRun);
    return cbWritten;
}

} // namespace

size_t rtstrFormatRtBaseName(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    if (!rtstrFmtTextTakeForm(ppszFormat, "bn"))
        return 0;
    const char *pszPath = va_arg(*pCtx->pArgs, const char *);
    if (!RT_VALID_PTR(pszPath))
        return rtstrFmtTextOutputBadPointer(pCtx, pszPath, "!BadBaseName");
    const char *pszBase = pszPath;
    const char *pch = pszPath;
    for (; *pch; pch++)
        if (rtPathIsNameBoundary(*pch))
            pszBase = pch + 1;
    return rtstrFormatPadded(pCtx->pfnOutput, pCtx->pvArgOutput, pszBase, (size_t)(pch - pszBase), pCtx->cchWidth,
                             pCtx->fFlags);
}

size_t rtstrFormatRtFunctionName(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    if (!rtstrFmtTextTakeForm(ppszFormat, "fn"))
        return 0;
    const char *pszSig = va_arg(*pCtx->pArgs, const char *);
    if (!RT_VALID_PTR(pszSig))
        return rtstrFmtTextOutputBadPointer(pCtx, pszSig, "!BadFnNm");
    const char *pszEnd = rtstrFmtTextFindFunctionNameEnd(pszSig);
    const char *pszName = rtstrFmtTextFindFunctionNameStart(pszSig, pszEnd);
    return rtstrFormatPadded(pCtx->pfnOutput, pCtx->pvArgOutput, pszName, (size_t)(pszEnd - pszName), pCtx->cchWidth,
                             pCtx->fFlags);
}

size_t rtstrFormatRtXmlEscaped(const RTSTRFMTRT *pCtx, const char **ppszFormat)
{
    bool fAttribute;
    if (rtstrFmtMatchForm(*ppszFormat, "Mas"))
        fAttribute = true;
    else if (rtstrFmtMatchForm(*ppszFormat, "Mes"))
        fAttribute = false;
    else
    {
        (*ppszFormat)++;
        return 0;
    }
    *ppszFormat += 3;

    const char *psz = va_arg(*pCtx->pArgs, const char *);
    if (!RT_VALID_PTR(psz))
        return rtstrFmtTextOutputBadPointer(pCtx, psz, "!BadStr");
    size_t const cch =
        pCtx->fFlags & RTFMT_F_PRECISION ? RTStrNLen(psz, (size_t)RT_MAX(pCtx->cchPrecision, 0)) : RTStrLen(psz);
    size_t const cchEscaped = pCtx->cchWidth > 0 ? rtstrFmtTextEscapedLength(psz, cch, fAttribute) : 0;
    size_t const cchPad = (size_t)pCtx->cchWidth > cchEscaped ? (size_t)pCtx->cchWidth - cchEscaped : 0;

    size_t cbWritten = 0;
    if (!(pCtx->fFlags & RTFMT_F_LEFT))
        cbWritten += rtstrFormatPadded(pCtx->pfnOutput, pCtx->pvArgOutput, "", 0, (int)cchPad, 0);
    cbWritten += rtstrFmtTextOutputEscaped(pCtx, psz, cch, fAttribute);
    if (pCtx->fFlags & RTFMT_F_LEFT)
        cbWritten += rtstrFormatPadded(pCtx->pfnOutput, pCtx->pvArgOutput, "", 0, (int)cchPad, 0);
    return cbWritten;
}
