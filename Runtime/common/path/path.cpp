/** @file
 * Path text operations: appending and joining, file name, suffix and root,
 * separator conversion and trailing separators.
 */
#include <rt/path.h>
#include <rt/string.h>
#include "internal/path.h"

namespace
{

void rtPathCopyChars(char *pszDst, const char *pszSrc, size_t cch)
{
    for (size_t i = 0; i < cch; i++)
        pszDst[i] = pszSrc[i];
}

/** Where the pieces of an append come from: the path's kept prefix, an optional separator, the text's tail. */
struct RTPATHAPPENDPLAN
{
    size_t cchKeep;   /**< Characters of the existing path kept. */
    char chSep;       /**< Separator put in between, or 0. */
    size_t offText;   /**< First character of the appended text used. */
    size_t cchResult; /**< Length of the result. */
};

/** Length the path keeps when it ends in separators: one of them, but never cutting into its root. */
size_t rtPathTrimTrailingSeps(const char *pszPath, size_t cchPath, uint32_t fStyle)
{
    size_t cchMin = fStyle == RTPATH_STYLE_UNIX ? 1 : RTPathRootSpecLen(pszPath);
    if (cchMin < 1)
        cchMin = 1;
    size_t cchKeep = cchPath;
    while (cchKeep > cchMin && cchKeep >= 2 && rtPathIsSep(pszPath[cchKeep - 2], fStyle))
        cchKeep--;
    return cchKeep;
}

RTPATHAPPENDPLAN rtPathPlanAppend(const char *pszPath, size_t cchPath, const char *pszAppend, size_t cchAppend,
                                  uint32_t fStyle)
{
    RTPATHAPPENDPLAN Plan = {cchPath, 0, 0, 0};
    if (rtPathIsSep(pszPath[cchPath - 1], fStyle))
    {
        while (Plan.offText < cchAppend && rtPathIsSep(pszAppend[Plan.offText], fStyle))
            Plan.offText++;
        Plan.cchKeep = rtPathTrimTrailingSeps(pszPath, cchPath, fStyle);
    }
    else if (rtPathIsSep(pszAppend[0], fStyle))
    {
        /* Keep only the last separator of the run. */
        while (Plan.offText + 1 < cchAppend && rtPathIsSep(pszAppend[Plan.offText + 1], fStyle))
            Plan.offText++;
    }
    else if (!(fStyle == RTPATH_STYLE_DOS && cchPath == 2 && rtPathStartsWithDrive(pszPath)))
        Plan.chSep = fStyle == RTPATH_STYLE_UNIX ? '/' : '\\';
    Plan.cchResult = Plan.cchKeep + (Plan.chSep ? 1 : 0) + (cchAppend - Plan.offText);
    return Plan;
}

/**
 * Writes the first @a cchSrc characters of @a pszSrc followed by the appended
 * text to @a pszDst. @a pszSrc may be @a pszDst. Nothing is written on failure.
 */
int rtPathAppendTo(char *pszDst, size_t cbDst, const char *pszSrc, size_t cchSrc, const char *pszAppend,
                   size_t cchAppendMax, uint32_t fStyle)
{
    size_t cchAppend = pszAppend ? RTStrNLen(pszAppend, cchAppendMax) : 0;
    if (cchAppend == 0 || cchSrc == 0)
    {
        const char *pszFrom = cchAppend == 0 ? pszSrc : pszAppend;
        size_t cchFrom = cchAppend == 0 ? cchSrc : cchAppend;
        if (cchFrom >= cbDst)
            return ERR_BUFFER_OVERFLOW;
        if (pszFrom != pszDst)
            rtPathCopyChars(pszDst, pszFrom, cchFrom);
        pszDst[cchFrom] = '\0';
        return INF_SUCCESS;
    }

    RTPATHAPPENDPLAN Plan = rtPathPlanAppend(pszSrc, cchSrc, pszAppend, cchAppend, fStyle);
    if (Plan.cchResult >= cbDst)
        return ERR_BUFFER_OVERFLOW;
    if (pszSrc != pszDst)
        rtPathCopyChars(pszDst, pszSrc, Plan.cchKeep);
    size_t off = Plan.cchKeep;
    if (Plan.chSep)
        pszDst[off++] = Plan.chSep;
    rtPathCopyChars(&pszDst[off], &pszAppend[Plan.offText], cchAppend - Plan.offText);
    pszDst[Plan.cchResult] = '\0';
    return INF_SUCCESS;
}

/** Length of a run of characters other than '\' and '/' (and the terminator). */
size_t rtPathNameLen(const char *psz)
{
    size_t cch = 0;
    while (psz[cch] && !rtPathIsDosSep(psz[cch]))
        cch++;
    return cch;
}

} // namespace

int RTPathAppendEx(char *pszPath, size_t cbPathDst, const char *pszAppend, size_t cchAppendMax, uint32_t fFlags)
{
    if (!RT_VALID_PTR(pszPath) || (pszAppend && !RT_VALID_PTR(pszAppend)))
        return ERR_INVALID_POINTER;
    if ((fFlags & ~RTPATH_STYLE_MASK) || (fFlags & RTPATH_STYLE_MASK) == RTPATH_STYLE_MASK)
        return ERR_INVALID_FLAGS;
    size_t cchPath = RTStrNLen(pszPath, cbPathDst);
    if (cchPath >= cbPathDst)
        return ERR_INVALID_PARAMETER;
    return rtPathAppendTo(pszPath, cbPathDst, pszPath, cchPath, pszAppend, cchAppendMax, rtPathResolveStyle(fFlags));
}

int RTPathAppend(char *pszPath, size_t cbPathDst, const char *pszAppend)
{
    return RTPathAppendEx(pszPath, cbPathDst, pszAppend, RTSTR_MAX, RTPATH_STYLE_HOST);
}

int RTPathJoin(char *pszPathDst, size_t cbPathDst, const char *pszPathSrc, const char *pszAppend)
{
    if (!RT_VALID_PTR(pszPathDst) || !RT_VALID_PTR(pszPathSrc) || (pszAppend && !RT_VALID_PTR(pszAppend)))
        return ERR_INVALID_POINTER;
    size_t cchSrc = RTStrLen(pszPathSrc);
    if (cchSrc >= cbPathDst)
        return ERR_BUFFER_OVERFLOW;
    return rtPathAppendTo(pszPathDst, cbPathDst, pszPathSrc, cchSrc, pszAppend, RTSTR_MAX, RTPATH_STYLE_DOS);
}

char *RTPathFilename(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath))
        return NULL;
    const char *pszName = pszPath;
    for (const char *psz = pszPath; *psz; psz++)
        if (rtPathIsNameBoundary(*psz))
            pszName = psz + 1;
    return *pszName ? (char *)pszName : NULL;
}

char *RTPathSuffix(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath))
        return NULL;
    const char *pszDot = NULL;
    const char *psz = pszPath;
    for (; *psz; psz++)
    {
        if (*psz == '.')
            pszDot = psz;
        else if (rtPathIsNameBoundary(*psz))
            pszDot = NULL;
    }
    if (!pszDot || pszDot == pszPath || pszDot + 1 == psz)
        return NULL;
    return (char *)pszDot;
}

size_t RTPathParseSimple(const char *pszPath, size_t *pcchDir, ptrdiff_t *poffName, ptrdiff_t *poffSuff)
{
    size_t cchRoot = 0;
    size_t cchPath = 0;
    if (RT_VALID_PTR(pszPath))
    {
        if (rtPathStartsWithDrive(pszPath))
            cchRoot = 2;
        else if (rtPathIsDosSep(pszPath[0]) && rtPathIsDosSep(pszPath[1]))
            cchRoot = 2 + rtPathNameLen(&pszPath[2]);
        while (rtPathIsDosSep(pszPath[cchRoot]))
            cchRoot++;
        cchPath = cchRoot + RTStrLen(&pszPath[cchRoot]);
    }

    /* The name is what follows the last separator after the root. */
    size_t offName = cchRoot;
    for (size_t off = cchRoot; off < cchPath; off++)
        if (rtPathIsDosSep(pszPath[off]))
            offName = off + 1;
    bool const fHasName = offName < cchPath;

    size_t cchDir = fHasName ? offName : cchPath;
    while (cchDir > cchRoot && rtPathIsDosSep(pszPath[cchDir - 1]))
        cchDir--;

    ptrdiff_t offSuff = -1;
    if (fHasName)
        for (size_t off = cchPath - 1; off > offName; off--)
            if (pszPath[off] == '.')
            {
                if (off + 1 < cchPath)
                    offSuff = (ptrdiff_t)off;
                break;
            }

    if (pcchDir)
        *pcchDir = cchDir;
    if (poffName)
        *poffName = fHasName ? (ptrdiff_t)offName : -1;
    if (poffSuff)
        *poffSuff = offSuff;
    return cchPath;
}

size_t RTPathRootSpecLen(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath) || !*pszPath)
        return 0;
    if (rtPathStartsWithDrive(pszPath))
        return rtPathIsDosSep(pszPath[2]) ? 3 : 2;
    if (!rtPathIsDosSep(pszPath[0]))
        return 0;
    if (!rtPathIsDosSep(pszPath[1]) || pszPath[2] == '\0' || rtPathIsDosSep(pszPath[2]))
        return 1;

    /* '\\server\share\': the server, one separator, the share and one separator when present. */
    size_t cch = 2 + rtPathNameLen(&pszPath[2]);
    if (rtPathIsDosSep(pszPath[cch]))
    {
        cch++;
        cch += rtPathNameLen(&pszPath[cch]);
        if (rtPathIsDosSep(pszPath[cch]))
            cch++;
    }
    return cch;
}

bool RTPathStartsWithRoot(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath))
        return false;
    return rtPathIsDosSep(pszPath[0]) || rtPathStartsWithDrive(pszPath);
}

bool RTPathHasSuffix(const char *pszPath)
{
    return RTPathSuffix(pszPath) != NULL;
}

bool RTPathHasPath(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath))
        return false;
    for (const char *psz = pszPath; *psz; psz++)
        if (rtPathIsNameBoundary(*psz))
            return true;
    return false;
}

char *RTPathChangeToDosSlashes(char *pszPath, bool fForce)
{
    (void)fForce;
    if (!RT_VALID_PTR(pszPath))
        return pszPath;
    for (char *psz = pszPath; *psz; psz++)
        if (*psz == '/')
            *psz = '\\';
    return pszPath;
}

size_t RTPathEnsureTrailingSeparator(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return 0;
    size_t cch = RTStrNLen(pszPath, cbPath);
    if (cch >= cbPath)
        return 0;
    if (cch == 0)
    {
        if (cbPath <= 2)
            return 0;
        pszPath[0] = '.';
        pszPath[1] = '\\';
        pszPath[2] = '\0';
        return 2;
    }
    char chLast = pszPath[cch - 1];
    if (rtPathIsNameBoundary(chLast))
        return cch;
    if (cbPath < cch + 2)
        return 0;
    pszPath[cch] = '\\';
    pszPath[cch + 1] = '\0';
    return cch + 1;
}

size_t RTPathStripTrailingSlash(char *pszPath)
{
    if (!RT_VALID_PTR(pszPath))
        return 0;
    size_t cch = RTStrLen(pszPath);
    while (cch > 1 && rtPathIsDosSep(pszPath[cch - 1]))
    {
        if (cch == 3 && rtPathStartsWithDrive(pszPath))
            break;
        pszPath[--cch] = '\0';
    }
    return cch;
}
