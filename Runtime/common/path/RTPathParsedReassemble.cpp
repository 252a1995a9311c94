/** @file
 * Rebuilding a path text from a parsed record: the root as it was, the kept
 * components joined by single separators, and a trailing separator on request.
 */
#include <rt/path.h>
#include "internal/path.h"

size_t rtPathParsedOutputLength(const RTPATHCOMPONENTS *pParsed)
{
    size_t idx = 0;
    size_t cch = 0;
    if (rtPathParsedHasRoot(pParsed))
    {
        cch = pParsed->aComps[0].cch;
        idx = 1;
    }
    size_t cWritten = 0;
    for (; idx < pParsed->cComps; idx++)
        if (pParsed->aComps[idx].cch)
        {
            cch += pParsed->aComps[idx].cch;
            cWritten++;
        }
    if (cWritten > 1)
        cch += cWritten - 1;
    if (cWritten && (pParsed->fProps & RTPATH_PROP_DIR_SLASH))
        cch++;
    return cch;
}

size_t rtPathParsedWrite(const char *pszSrc, const RTPATHCOMPONENTS *pParsed, uint32_t fStyle, char *pszDst)
{
    char const chSep = fStyle == RTPATH_STYLE_UNIX ? '/' : '\\';
    char const chForeign = fStyle == RTPATH_STYLE_UNIX ? '\\' : '/';

    /* Copying front to back is safe in place: every piece lands at or before where it was read. */
    size_t offDst = 0;
    size_t idx = 0;
    if (rtPathParsedHasRoot(pParsed))
    {
        const char *pchRoot = &pszSrc[pParsed->aComps[0].off];
        for (size_t i = 0; i < pParsed->aComps[0].cch; i++)
            pszDst[offDst++] = pchRoot[i] == chForeign ? chSep : pchRoot[i];
        idx = 1;
    }
    bool fFirst = true;
    for (; idx < pParsed->cComps; idx++)
    {
        size_t const cch = pParsed->aComps[idx].cch;
        if (!cch)
            continue;
        if (!fFirst)
            pszDst[offDst++] = chSep;
        fFirst = false;
        const char *pch = &pszSrc[pParsed->aComps[idx].off];
        for (size_t i = 0; i < cch; i++)
            pszDst[offDst++] = pch[i];
    }
    if (!fFirst && (pParsed->fProps & RTPATH_PROP_DIR_SLASH))
        pszDst[offDst++] = chSep;
    pszDst[offDst] = '\0';
    return offDst;
}

int RTPathParsedReassemble(const char *pszSrcPath, PRTPATHCOMPONENTS pParsed, uint32_t fFlags, char *pszDstPath,
                           size_t cbDstPath)
{
    if (!RT_VALID_PTR(pszSrcPath) || !RT_VALID_PTR(pParsed) || (cbDstPath && !RT_VALID_PTR(pszDstPath)))
        return ERR_INVALID_POINTER;
    if (pParsed->cComps == 0)
        return ERR_INVALID_PARAMETER;
    if ((fFlags & ~RTPATH_STYLE_MASK) || (fFlags & RTPATH_STYLE_MASK) == RTPATH_STYLE_MASK)
        return ERR_INVALID_FLAGS;

    size_t const cch = rtPathParsedOutputLength(pParsed);
    if (cch > UINT16_MAX)
    {
        if (cbDstPath)
            pszDstPath[0] = '\0';
        return ERR_FILENAME_TOO_LONG;
    }
    pParsed->cchPath = (uint16_t)cch;
    if (cch >= cbDstPath)
    {
        if (cbDstPath)
            pszDstPath[0] = '\0';
        return ERR_BUFFER_OVERFLOW;
    }
    rtPathParsedWrite(pszSrcPath, pParsed, rtPathResolveStyle(fFlags), pszDstPath);
    return INF_SUCCESS;
}
