/** @file
 * Splitting a path into its root and components, with the properties the
 * absolute-path and reassembly code needs.
 */
#include <rt/path.h>
#include <rt/string.h>
#include "internal/path.h"

namespace
{

/** Longest path the 16-bit offsets and lengths of the record can describe. */
const size_t g_cchParseMax = 65535;

/** Parser state: the text, the record being filled and the counts that go on beyond its capacity. */
struct RTPATHPARSER
{
    const char *pszPath;
    uint32_t fStyle;
    PRTPATHCOMPONENTS pParsed;
    size_t cCapacity;
    size_t cComps;
    uint16_t fProps;
    size_t cchRoot;     /**< Length of the root component, 0 when there is none. */
    size_t cchNonRoot;  /**< Sum of the other components' lengths. */
    size_t cNonRoot;    /**< Number of the other components. */
    size_t offLastComp; /**< Start of the last non-root component. */
    size_t cchLastComp; /**< Its length, 0 when there is none. */
};

bool rtPathIsSepAt(const RTPATHPARSER *pState, size_t off)
{
    return rtPathIsSep(pState->pszPath[off], pState->fStyle);
}

void rtPathAddComp(RTPATHPARSER *pState, size_t off, size_t cch)
{
    if (pState->cComps < pState->cCapacity)
    {
        pState->pParsed->aComps[pState->cComps].off = (uint16_t)off;
        pState->pParsed->aComps[pState->cComps].cch = (uint16_t)cch;
    }
    pState->cComps++;
}

/** Takes the root at the start of the text; returns where the text after it starts. */
size_t rtPathParseRoot(RTPATHPARSER *pState)
{
    const char *psz = pState->pszPath;
    size_t cchRoot = 0;
    if (pState->fStyle == RTPATH_STYLE_UNIX)
    {
        if (rtPathIsSep(psz[0], RTPATH_STYLE_UNIX))
        {
            cchRoot = 1;
            pState->fProps |= RTPATH_PROP_ABSOLUTE | RTPATH_PROP_ROOT_SLASH;
        }
        else
            pState->fProps |= RTPATH_PROP_RELATIVE;
    }
    else if (rtPathIsDosSep(psz[0]) && rtPathIsDosSep(psz[1]))
    {
        cchRoot = 2;
        while (psz[cchRoot] && !rtPathIsDosSep(psz[cchRoot]))
            cchRoot++;
        pState->fProps |= RTPATH_PROP_ABSOLUTE | RTPATH_PROP_UNC;
        if (cchRoot == 3 && (psz[2] == '.' || psz[2] == '?'))
            pState->fProps |= RTPATH_PROP_SPECIAL_UNC;
        if (psz[cchRoot])
        {
            cchRoot++;
            pState->fProps |= RTPATH_PROP_ROOT_SLASH;
        }
    }
    else if (rtPathIsDosSep(psz[0]))
    {
        cchRoot = 1;
        pState->fProps |= RTPATH_PROP_RELATIVE | RTPATH_PROP_ROOT_SLASH;
    }
    else if (rtPathStartsWithDrive(psz))
    {
        if (rtPathIsDosSep(psz[2]))
        {
            cchRoot = 3;
            pState->fProps |= RTPATH_PROP_ABSOLUTE | RTPATH_PROP_VOLUME | RTPATH_PROP_ROOT_SLASH;
        }
        else
        {
            cchRoot = 2;
            pState->fProps |= RTPATH_PROP_RELATIVE | RTPATH_PROP_VOLUME;
        }
    }
    else
        pState->fProps |= RTPATH_PROP_RELATIVE;

    if (cchRoot)
        rtPathAddComp(pState, 0, cchRoot);
    pState->cchRoot = cchRoot;
    return cchRoot;
}

/** Skips a run of separators from @a off; returns its end. */
size_t rtPathSkipSeps(const RTPATHPARSER *pState, size_t off)
{
    while (rtPathIsSepAt(pState, off))
        off++;
    return off;
}

void rtPathNoteComp(RTPATHPARSER *pState, size_t off, size_t cch)
{
    const char *pch = &pState->pszPath[off];
    if (cch == 1 && pch[0] == '.')
        pState->fProps |= RTPATH_PROP_DOT_REFS;
    else if (cch == 2 && pch[0] == '.' && pch[1] == '.')
    {
        pState->fProps |= RTPATH_PROP_DOTDOT_REFS | RTPATH_PROP_RELATIVE;
        pState->fProps &= (uint16_t)~RTPATH_PROP_ABSOLUTE;
    }
    rtPathAddComp(pState, off, cch);
    pState->cchNonRoot += cch;
    pState->cNonRoot++;
    pState->offLastComp = off;
    pState->cchLastComp = cch;
}

/** The suffix of the last component: from its last '.' that is neither its first nor its last character. */
void rtPathParseSuffix(RTPATHPARSER *pState)
{
    const char *pch = &pState->pszPath[pState->offLastComp];
    size_t cch = pState->cchLastComp;
    if (cch < 2 || pch[cch - 1] == '.')
        return;
    for (size_t off = cch - 1; off > 0; off--)
        if (pch[off] == '.')
        {
            pState->pParsed->offSuffix = (uint16_t)(pState->offLastComp + off);
            pState->pParsed->cchSuffix = (uint16_t)(cch - off);
            pState->fProps |= RTPATH_PROP_SUFFIX;
            return;
        }
}

} // namespace

int RTPathParse(const char *pszPath, PRTPATHCOMPONENTS pParsed, size_t cbParsed, uint32_t fFlags)
{
    if (cbParsed < RTPATHCOMPONENTS_HDR_SIZE)
        return ERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(pszPath) || !RT_VALID_PTR(pParsed))
        return ERR_INVALID_POINTER;
    if (!*pszPath)
        return ERR_PATH_ZERO_LENGTH;
    if ((fFlags & ~(RTPATH_STYLE_MASK | RTPATH_PARSE_F_NO_START | RTPATH_PARSE_F_NO_END)) ||
        (fFlags & RTPATH_STYLE_MASK) == RTPATH_STYLE_MASK)
        return ERR_INVALID_FLAGS;
    size_t const cchPath = RTStrNLen(pszPath, g_cchParseMax + 1);
    if (cchPath > g_cchParseMax)
        return ERR_FILENAME_TOO_LONG;

    RTPATHPARSER State = {};
    State.pszPath = pszPath;
    State.fStyle = rtPathResolveStyle(fFlags);
    State.pParsed = pParsed;
    State.cCapacity = RTPATHCOMPONENTS_CAPACITY(cbParsed);
    pParsed->offSuffix = (uint16_t)cchPath;
    pParsed->cchSuffix = 0;
    pParsed->u16Reserved = 0;

    size_t off;
    if (fFlags & RTPATH_PARSE_F_NO_START)
    {
        off = rtPathSkipSeps(&State, 0);
        if (off == cchPath)
            return ERR_PATH_ZERO_LENGTH;
        /* A middle piece joins text before it at a separator: it is never taken as normalised. */
        State.fProps = RTPATH_PROP_RELATIVE | RTPATH_PROP_EXTRA_SLASHES;
    }
    else
    {
        size_t offAfterRoot = rtPathParseRoot(&State);
        off = rtPathSkipSeps(&State, offAfterRoot);
        if (off != offAfterRoot)
            State.fProps |= RTPATH_PROP_EXTRA_SLASHES;
    }

    while (off < cchPath)
    {
        size_t offComp = off;
        while (off < cchPath && !rtPathIsSepAt(&State, off))
            off++;
        rtPathNoteComp(&State, offComp, off - offComp);
        size_t offNext = rtPathSkipSeps(&State, off);
        if (offNext - off > 1 || (offNext > off && offNext == cchPath && (fFlags & RTPATH_PARSE_F_NO_END)))
            State.fProps |= RTPATH_PROP_EXTRA_SLASHES;
        off = offNext;
    }

    if (rtPathIsSepAt(&State, cchPath - 1))
    {
        if (!(fFlags & RTPATH_PARSE_F_NO_END))
            State.fProps |= RTPATH_PROP_DIR_SLASH;
    }
    else if (State.cchLastComp && !(fFlags & RTPATH_PARSE_F_NO_END))
    {
        State.fProps |= RTPATH_PROP_FILENAME;
        rtPathParseSuffix(&State);
    }

    size_t cchNormal = State.cchRoot + State.cchNonRoot + (State.cNonRoot ? State.cNonRoot - 1 : 0);
    pParsed->cComps = (uint16_t)State.cComps;
    pParsed->fProps = State.fProps;
    pParsed->cchPath = (uint16_t)cchNormal;
    return State.cComps > State.cCapacity ? ERR_BUFFER_OVERFLOW : INF_SUCCESS;
}
