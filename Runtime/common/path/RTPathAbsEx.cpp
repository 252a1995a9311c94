/** @file
 * Making paths absolute against a base, the current directory or the current
 * drive, resolving "." and "..".
 *
 * The common case runs without the heap: the path is parsed into a record on
 * the stack, and the current directory is read straight into the destination
 * and combined there in place (reassembly only ever shrinks text).
 */
#include <rt/path.h>
#include <rt/mem.h>
#include <rt/string.h>
#include "internal/path.h"

namespace
{

/** Size of the temporary buffers for a current directory or drive that does not fit the destination. */
const size_t g_cbTmpMin = 65536;

/** A parse record: on the stack for up to 253 components, else on the heap. */
struct RTPATHABSREC
{
    union
    {
        RTPATHCOMPONENTS Parsed;
        uint8_t ab[1024];
    } u;
    PRTPATHCOMPONENTS pParsed;
};

int rtPathAbsParse(const char *pszPath, uint32_t fStyle, RTPATHABSREC *pRec)
{
    pRec->pParsed = &pRec->u.Parsed;
    int rc = RTPathParse(pszPath, pRec->pParsed, sizeof(pRec->u), fStyle);
    if (rc == ERR_BUFFER_OVERFLOW)
    {
        size_t const cb = RTPATHCOMPONENTS_SIZE(pRec->pParsed->cComps);
        PRTPATHCOMPONENTS pParsed = (PRTPATHCOMPONENTS)RTMemAllocTag(cb, RTMEM_TAG);
        if (!pParsed)
            return ERR_NO_TMP_MEMORY;
        pRec->pParsed = pParsed;
        rc = RTPathParse(pszPath, pParsed, cb, fStyle);
    }
    return rc;
}

void rtPathAbsRecFree(RTPATHABSREC *pRec)
{
    if (pRec->pParsed != &pRec->u.Parsed)
        RTMemFree(pRec->pParsed);
    pRec->pParsed = &pRec->u.Parsed;
}

bool rtPathAbsIsDots(const char *pszPath, const RTPATHCOMPONENT *pComp, size_t cDots)
{
    if (pComp->cch != cDots)
        return false;
    for (size_t i = 0; i < cDots; i++)
        if (pszPath[pComp->off + i] != '.')
            return false;
    return true;
}

/**
 * Drops the "." components from @a idxFirst on and lets each ".." remove the
 * nearest kept component before it, but none below @a idxFirst. The kept
 * components are moved together (order and text positions unchanged), which
 * keeps this linear however the dots are arranged.
 * @returns how many ".." found nothing left to remove.
 */
size_t rtPathAbsResolveDots(const char *pszPath, PRTPATHCOMPONENTS pParsed, size_t idxFirst)
{
    size_t cUnresolved = 0;
    size_t idxKept = idxFirst;
    for (size_t idx = idxFirst; idx < pParsed->cComps; idx++)
    {
        RTPATHCOMPONENT const Comp = pParsed->aComps[idx];
        if (rtPathAbsIsDots(pszPath, &Comp, 1))
            continue;
        if (rtPathAbsIsDots(pszPath, &Comp, 2))
        {
            if (idxKept > idxFirst)
                idxKept--;
            else
                cUnresolved++;
            continue;
        }
        pParsed->aComps[idxKept++] = Comp;
    }
    if (idxKept < pParsed->cComps)
        pParsed->cComps = (uint16_t)idxKept;
    return cUnresolved;
}

/**
 * First component ".." may remove: the one after the root, or after the share
 * of a plain UNC path. A share named "." or ".." is no share but a reference
 * to resolve, so it is not protected.
 */
size_t rtPathAbsProtectedEnd(const char *pszPath, const RTPATHCOMPONENTS *pParsed)
{
    if ((pParsed->fProps & (RTPATH_PROP_UNC | RTPATH_PROP_SPECIAL_UNC)) == RTPATH_PROP_UNC && pParsed->cComps > 1 &&
        !rtPathAbsIsDots(pszPath, &pParsed->aComps[1], 1) && !rtPathAbsIsDots(pszPath, &pParsed->aComps[1], 2))
        return 2;
    return rtPathParsedHasRoot(pParsed) ? 1 : 0;
}

void rtPathAbsUpperDrive(char *pszDst, const RTPATHCOMPONENTS *pParsed)
{
    if (pParsed->fProps & RTPATH_PROP_VOLUME)
        pszDst[0] = rtPathUpper(pszDst[0]);
}

int rtPathAbsOverflow(size_t cchNeeded, size_t *pcbAbsPath)
{
    *pcbAbsPath = cchNeeded + 1;
    return ERR_BUFFER_OVERFLOW;
}

/** Case 1: an absolute path is only normalised. */
int rtPathAbsAbsolute(const char *pszPath, PRTPATHCOMPONENTS pParsed, uint32_t fFlags, uint32_t fStyle, char *pszDst,
                      size_t cbDst, size_t *pcbAbsPath)
{
    rtPathAbsResolveDots(pszPath, pParsed, 1);
    if ((fFlags & RTPATHABS_F_ENSURE_TRAILING_SLASH) && pParsed->cComps > 1)
        pParsed->fProps |= RTPATH_PROP_DIR_SLASH;
    size_t const cch = rtPathParsedOutputLength(pParsed);
    if (cch >= cbDst)
        return rtPathAbsOverflow(cch, pcbAbsPath);
    rtPathParsedWrite(pszPath, pParsed, fStyle, pszDst);
    rtPathAbsUpperDrive(pszDst, pParsed);
    *pcbAbsPath = cch;
    return INF_SUCCESS;
}

/** Copies @a cch characters turning '/' into '\'. */
size_t rtPathAbsCopyDos(char *pszDst, const char *pszSrc, size_t cch)
{
    for (size_t i = 0; i < cch; i++)
        pszDst[i] = pszSrc[i] == '/' ? '\\' : pszSrc[i];
    return cch;
}

/**
 * The drive or share a root-relative path goes on, taken from the base: its
 * drive 'X:', or '\\server\share' (just its root without a trailing separator
 * when it has no share, a "." or ".." in its place, or is a '\\.\' or '\\?\'
 * path). Writes it to
 * @a pszDst when it fits together with @a cchPathOut.
 * @returns true when the base has such a prefix (*pcchPrefix set).
 */
bool rtPathAbsPrefixFromBase(const char *pszBase, const RTPATHCOMPONENTS *pBase, size_t cchPathOut, char *pszDst,
                             size_t cbDst, size_t *pcchPrefix)
{
    size_t cchRoot = pBase->aComps[0].cch;
    size_t cchShare = 0;
    if (pBase->fProps & RTPATH_PROP_VOLUME)
        cchRoot = 2;
    else if (!(pBase->fProps & RTPATH_PROP_UNC))
        return false;
    else if (rtPathAbsProtectedEnd(pszBase, pBase) < 2)
        cchRoot -= (pBase->fProps & RTPATH_PROP_ROOT_SLASH) ? 1 : 0;
    else
        cchShare = pBase->aComps[1].cch;

    *pcchPrefix = cchRoot + cchShare;
    if (*pcchPrefix + cchPathOut < cbDst)
    {
        rtPathAbsCopyDos(pszDst, pszBase, cchRoot);
        if (cchShare)
            rtPathAbsCopyDos(&pszDst[cchRoot], &pszBase[pBase->aComps[1].off], cchShare);
        rtPathAbsUpperDrive(pszDst, pBase);
    }
    return true;
}

/**
 * Writes the current drive to @a pszDst as the prefix of a root-relative path
 * of @a cchPathOut characters. When it does not fit it is read into a
 * temporary buffer to learn the size needed.
 */
int rtPathAbsPrefixFromCurrentDrive(size_t cchPathOut, size_t cchPathIn, char *pszDst, size_t cbDst, size_t *pcchPrefix,
                                    size_t *pcbAbsPath)
{
    int rc = RTPathGetCurrentDrive(pszDst, cbDst);
    if (RT_SUCCESS(rc))
    {
        *pcchPrefix = RTStrLen(pszDst);
        return rc;
    }
    if (rc != ERR_BUFFER_OVERFLOW)
        return rc;

    char *pszTmp = (char *)RTMemAllocTag(g_cbTmpMin, RTMEM_TAG);
    if (!pszTmp)
        return ERR_NO_TMP_MEMORY;
    rc = RTPathGetCurrentDrive(pszTmp, g_cbTmpMin);
    if (RT_SUCCESS(rc))
        rc = rtPathAbsOverflow(RTStrLen(pszTmp) + cchPathOut, pcbAbsPath);
    else if (rc == ERR_BUFFER_OVERFLOW)
        *pcbAbsPath = RT_MAX(cbDst * 2, cchPathIn + 196609);
    RTMemFree(pszTmp);
    return rc;
}

/** Case 2: a root-relative path, or a rooted one with "..". */
int rtPathAbsRootRelative(const char *pszBase, const char *pszPath, PRTPATHCOMPONENTS pParsed, uint32_t fFlags,
                          uint32_t fStyle, char *pszDst, size_t cbDst, size_t *pcbAbsPath)
{
    rtPathAbsResolveDots(pszPath, pParsed, rtPathAbsProtectedEnd(pszPath, pParsed));
    if ((fFlags & RTPATHABS_F_ENSURE_TRAILING_SLASH) && pParsed->cComps > 1)
        pParsed->fProps |= RTPATH_PROP_DIR_SLASH;
    size_t const cchPathOut = rtPathParsedOutputLength(pParsed);

    size_t cchPrefix = 0;
    if (fStyle == RTPATH_STYLE_DOS && !(pParsed->fProps & (RTPATH_PROP_VOLUME | RTPATH_PROP_UNC)))
    {
        bool fHavePrefix = false;
        if (pszBase)
        {
            RTPATHABSREC Base;
            int rc = rtPathAbsParse(pszBase, fStyle, &Base);
            if (RT_SUCCESS(rc))
                fHavePrefix = rtPathAbsPrefixFromBase(pszBase, Base.pParsed, cchPathOut, pszDst, cbDst, &cchPrefix);
            rtPathAbsRecFree(&Base);
            if (RT_FAILURE(rc))
                return rc;
        }
        if (!fHavePrefix)
        {
            int rc =
                rtPathAbsPrefixFromCurrentDrive(cchPathOut, RTStrLen(pszPath), pszDst, cbDst, &cchPrefix, pcbAbsPath);
            if (RT_FAILURE(rc))
                return rc;
        }
    }

    if (cchPrefix + cchPathOut >= cbDst)
        return rtPathAbsOverflow(cchPrefix + cchPathOut, pcbAbsPath);
    rtPathParsedWrite(pszPath, pParsed, fStyle, &pszDst[cchPrefix]);
    *pcbAbsPath = cchPrefix + cchPathOut;
    return INF_SUCCESS;
}

/** A base must be rooted with a separator somewhere ('X:\', '\\server', '/'), not relative or root-relative only. */
bool rtPathAbsIsUsableBase(const RTPATHCOMPONENTS *pBase, uint32_t fStyle)
{
    if (pBase->fProps & RTPATH_PROP_ABSOLUTE)
        return true;
    if (!(pBase->fProps & RTPATH_PROP_ROOT_SLASH))
        return false;
    return fStyle == RTPATH_STYLE_UNIX || (pBase->fProps & (RTPATH_PROP_VOLUME | RTPATH_PROP_UNC));
}

/**
 * Combines an absolute base with a relative path into @a pszDst. The base text
 * may lie at the start of @a pszDst; it is rewritten there in place.
 */
int rtPathAbsCombine(const char *pszBase, PRTPATHCOMPONENTS pBase, const char *pszPath, PRTPATHCOMPONENTS pPath,
                     uint32_t fFlags, uint32_t fStyle, char *pszDst, size_t cbDst, size_t *pcbAbsPath)
{
    if (pBase->cComps == 0)
        return ERR_INVALID_PARAMETER;
    if (!rtPathAbsIsUsableBase(pBase, fStyle))
        return ERR_PATH_INVALID_BASE;

    size_t const idxBaseFirst = rtPathAbsProtectedEnd(pszBase, pBase);
    rtPathAbsResolveDots(pszBase, pBase, idxBaseFirst);

    /* The path's drive is the base's; ".." beyond the path's own components climbs the base. */
    size_t idxPathFirst = 0;
    if (fStyle == RTPATH_STYLE_DOS && (pPath->fProps & RTPATH_PROP_VOLUME))
    {
        pPath->aComps[0].cch = 0;
        idxPathFirst = 1;
    }
    size_t cUp = rtPathAbsResolveDots(pszPath, pPath, idxPathFirst);
    if (!(fFlags & RTPATHABS_F_STOP_AT_BASE))
        for (; cUp > 0 && pBase->cComps > idxBaseFirst; cUp--)
            pBase->cComps--;
    bool const fPathContributes = pPath->cComps > idxPathFirst;

    if (pBase->cComps == 1 && !(pBase->fProps & RTPATH_PROP_ROOT_SLASH))
        return ERR_PATH_INVALID_BASE;
    if (pBase->cComps > 1)
    {
        if (fPathContributes || (pPath->fProps & RTPATH_PROP_DIR_SLASH) || (fFlags & RTPATHABS_F_ENSURE_TRAILING_SLASH))
            pBase->fProps |= RTPATH_PROP_DIR_SLASH;
        else
            pBase->fProps &= (uint16_t)~RTPATH_PROP_DIR_SLASH;
    }
    if ((fFlags & RTPATHABS_F_ENSURE_TRAILING_SLASH) && fPathContributes)
        pPath->fProps |= RTPATH_PROP_DIR_SLASH;

    size_t const cchBase = rtPathParsedOutputLength(pBase);
    size_t const cchPathOut = rtPathParsedOutputLength(pPath);
    if (cchBase + cchPathOut >= cbDst)
        return rtPathAbsOverflow(cchBase + cchPathOut, pcbAbsPath);
    rtPathParsedWrite(pszBase, pBase, fStyle, pszDst);
    rtPathAbsUpperDrive(pszDst, pBase);
    rtPathParsedWrite(pszPath, pPath, fStyle, &pszDst[cchBase]);
    *pcbAbsPath = cchBase + cchPathOut;
    return INF_SUCCESS;
}

/** ".." stopping at the current directory is ".." stopping at the base once the current directory is the base. */
uint32_t rtPathAbsCwdFlags(uint32_t fFlags)
{
    uint32_t fCombine = fFlags & ~(RTPATHABS_F_STOP_AT_BASE | RTPATHABS_F_STOP_AT_CWD);
    if (fFlags & RTPATHABS_F_STOP_AT_CWD)
        fCombine |= RTPATHABS_F_STOP_AT_BASE;
    return fCombine;
}

/** Case 3: a relative path on the current directory (of its drive, for 'X:foo'). */
int rtPathAbsFromCwd(const char *pszPath, PRTPATHCOMPONENTS pParsed, uint32_t fFlags, uint32_t fStyle, char *pszDst,
                     size_t cbDst, size_t *pcbAbsPath)
{
    bool const fOnDrive = fStyle == RTPATH_STYLE_DOS && (pParsed->fProps & RTPATH_PROP_VOLUME);
    const char *pszCwd = pszDst;
    char *pszTmp = NULL;
    int rc = fOnDrive ? RTPathGetCurrentOnDrive(pszPath[0], pszDst, cbDst) : RTPathGetCurrent(pszDst, cbDst);
    if (rc == ERR_BUFFER_OVERFLOW)
    {
        size_t const cbTmp = cbDst < g_cbTmpMin / 4 ? g_cbTmpMin : cbDst * 4;
        pszTmp = cbDst <= SIZE_MAX / 4 ? (char *)RTMemAllocTag(cbTmp, RTMEM_TAG) : NULL;
        if (!pszTmp)
        {
            *pcbAbsPath = RTStrLen(pszPath) + cbTmp + 2;
            return ERR_BUFFER_OVERFLOW;
        }
        rc = fOnDrive ? RTPathGetCurrentOnDrive(pszPath[0], pszTmp, cbTmp) : RTPathGetCurrent(pszTmp, cbTmp);
        if (rc == ERR_BUFFER_OVERFLOW)
            rc = ERR_FILENAME_TOO_LONG;
        pszCwd = pszTmp;
    }
    if (RT_SUCCESS(rc))
    {
        RTPATHABSREC Cwd;
        rc = rtPathAbsParse(pszCwd, fStyle, &Cwd);
        if (RT_SUCCESS(rc))
            rc = rtPathAbsCombine(pszCwd, Cwd.pParsed, pszPath, pParsed, rtPathAbsCwdFlags(fFlags), fStyle, pszDst,
                                  cbDst, pcbAbsPath);
        rtPathAbsRecFree(&Cwd);
    }
    RTMemFree(pszTmp);
    return rc;
}

/** Case 4: a relative path on a given base, which is made absolute first when it is not. */
int rtPathAbsFromBase(const char *pszBase, const char *pszPath, PRTPATHCOMPONENTS pParsed, uint32_t fFlags,
                      uint32_t fStyle, char *pszDst, size_t cbDst, size_t *pcbAbsPath)
{
    RTPATHABSREC Base;
    int rc = rtPathAbsParse(pszBase, fStyle, &Base);
    const char *pszBaseAbs = pszBase;
    char *pszTmp = NULL;
    if (RT_SUCCESS(rc) &&
        (!(Base.pParsed->fProps & RTPATH_PROP_ABSOLUTE) || (Base.pParsed->fProps & RTPATH_PROP_DOT_REFS)))
    {
        rtPathAbsRecFree(&Base);
        uint32_t const fBaseFlags = fStyle | (fFlags & RTPATHABS_F_STOP_AT_CWD);
        size_t cbBase = cbDst;
        rc = RTPathAbsEx(NULL, pszBase, fBaseFlags, pszDst, &cbBase);
        pszBaseAbs = pszDst;
        if (rc == ERR_BUFFER_OVERFLOW)
        {
            /* Make it absolute aside so the size reported covers the whole result. */
            pszTmp = (char *)RTMemAllocTag(cbBase, RTMEM_TAG);
            if (!pszTmp)
                return ERR_NO_TMP_MEMORY;
            size_t cbTmp = cbBase;
            rc = RTPathAbsEx(NULL, pszBase, fBaseFlags, pszTmp, &cbTmp);
            if (rc == ERR_BUFFER_OVERFLOW) /* the current directory grew meanwhile */
                *pcbAbsPath = cbTmp + RTStrLen(pszPath) + 1;
            pszBaseAbs = pszTmp;
        }
        if (RT_SUCCESS(rc))
            rc = rtPathAbsParse(pszBaseAbs, fStyle, &Base);
    }
    if (RT_SUCCESS(rc))
        rc = rtPathAbsCombine(pszBaseAbs, Base.pParsed, pszPath, pParsed, fFlags, fStyle, pszDst, cbDst, pcbAbsPath);
    rtPathAbsRecFree(&Base);
    RTMemFree(pszTmp);
    return rc;
}

bool rtPathAbsSameDrive(const char *pszBase, char chDrive)
{
    return rtPathStartsWithDrive(pszBase) && rtPathUpper(pszBase[0]) == rtPathUpper(chDrive);
}

} // namespace

namespace
{

int rtPathAbsExWorker(const char *pszBase, const char *pszPath, uint32_t fFlags, char *pszAbsPath, size_t *pcbAbsPath)
{
    if (!*pszPath)
        return ERR_PATH_ZERO_LENGTH;
    uint32_t const fValid =
        RTPATH_STYLE_MASK | RTPATHABS_F_STOP_AT_BASE | RTPATHABS_F_STOP_AT_CWD | RTPATHABS_F_ENSURE_TRAILING_SLASH;
    if ((fFlags & ~fValid) || (fFlags & RTPATH_STYLE_MASK) == RTPATH_STYLE_MASK)
        return ERR_INVALID_FLAGS;
    uint32_t const fStyle = rtPathResolveStyle(fFlags);
    if (pszBase && !*pszBase)
        pszBase = NULL;
    size_t const cbDst = *pcbAbsPath;

    RTPATHABSREC Path;
    int rc = rtPathAbsParse(pszPath, fStyle, &Path);
    if (RT_SUCCESS(rc))
    {
        PRTPATHCOMPONENTS pParsed = Path.pParsed;
        uint16_t const fProps = pParsed->fProps;
        if (fProps & RTPATH_PROP_ABSOLUTE)
            rc = rtPathAbsAbsolute(pszPath, pParsed, fFlags, fStyle, pszAbsPath, cbDst, pcbAbsPath);
        else if (fProps & RTPATH_PROP_ROOT_SLASH)
            rc = rtPathAbsRootRelative(pszBase, pszPath, pParsed, fFlags, fStyle, pszAbsPath, cbDst, pcbAbsPath);
        else if (!pszBase || (fStyle == RTPATH_STYLE_DOS && (fProps & RTPATH_PROP_VOLUME) &&
                              !rtPathAbsSameDrive(pszBase, pszPath[0])))
            rc = rtPathAbsFromCwd(pszPath, pParsed, fFlags, fStyle, pszAbsPath, cbDst, pcbAbsPath);
        else
            rc = rtPathAbsFromBase(pszBase, pszPath, pParsed, fFlags, fStyle, pszAbsPath, cbDst, pcbAbsPath);
    }
    rtPathAbsRecFree(&Path);
    return rc;
}

} // namespace

int RTPathAbsEx(const char *pszBase, const char *pszPath, uint32_t fFlags, char *pszAbsPath, size_t *pcbAbsPath)
{
    if (!RT_VALID_PTR(pszPath) || !RT_VALID_PTR(pszAbsPath) || !RT_VALID_PTR(pcbAbsPath) ||
        (pszBase && !RT_VALID_PTR(pszBase)))
        return ERR_INVALID_POINTER;
    size_t const cbDst = *pcbAbsPath;
    int rc = rtPathAbsExWorker(pszBase, pszPath, fFlags, pszAbsPath, pcbAbsPath);
    if (RT_FAILURE(rc) && cbDst)
        pszAbsPath[0] = '\0';
    return rc;
}

int RTPathAbs(const char *pszPath, char *pszAbsPath, size_t cbAbsPath)
{
    return RTPathAbsEx(NULL, pszPath, RTPATH_STYLE_HOST, pszAbsPath, &cbAbsPath);
}
