/** @file
 * Directories: the uniquely named directory from a template, the existence
 * check, and the open-directory record with its filter. The native open and
 * the creation and removal calls live in the system-specific files.
 */
#include <rt/dir.h>
#include <rt/mem.h>
#include <rt/path.h>
#include <rt/pathinfo.h>
#include <rt/rand.h>
#include <rt/string.h>
#include "internal/dir.h"
#include "internal/path.h"

/*********************************************************************************************************************************
 *   Temporary directories *
 *********************************************************************************************************************************/
namespace
{

/** The characters a temporary name is made of. */
const char g_szTempAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";

/** A run of 'X's of the template to replace. */
struct TemplateRun
{
    size_t off;
    size_t cch;
};

/** The right-most group of at least three 'X's in [offFirst, offEnd). */
bool rtDirFindXGroup(const char *psz, size_t offFirst, size_t offEnd, TemplateRun *pRun)
{
    size_t off = offEnd;
    while (off > offFirst)
    {
        if (psz[off - 1] != 'X')
        {
            off--;
            continue;
        }
        size_t const offGroupEnd = off;
        while (off > offFirst && psz[off - 1] == 'X')
            off--;
        if (offGroupEnd - off >= 3)
        {
            pRun->off = off;
            pRun->cch = offGroupEnd - off;
            return true;
        }
    }
    return false;
}

/**
 * Finds the characters of the template to replace: all trailing 'X's, or,
 * when it does not end in 'X', the right-most group of three or more 'X's in
 * a file name longer than three characters.
 */
bool rtDirFindTemplateRun(const char *pszTemplate, TemplateRun *pRun)
{
    size_t const cch = RTStrLen(pszTemplate);
    if (cch == 0)
        return false;
    if (pszTemplate[cch - 1] == 'X')
    {
        size_t off = cch;
        while (off > 0 && pszTemplate[off - 1] == 'X')
            off--;
        pRun->off = off;
        pRun->cch = cch - off;
        return true;
    }
    const char *pszName = RTPathFilename(pszTemplate);
    if (!pszName)
        return false;
    size_t const offName = (size_t)(pszName - pszTemplate);
    if (cch - offName <= 3)
        return false;
    return rtDirFindXGroup(pszTemplate, offName, cch, pRun);
}

/** Puts fresh random characters into the run, from the last to the first. */
void rtDirFillTemplateRun(char *pszTemplate, TemplateRun const *pRun)
{
    for (size_t i = pRun->cch; i > 0; i--)
    {
        uint32_t idx = RT_SEAM(g_rtSeamsDir, RTRandU32Ex)(0, sizeof(g_szTempAlphabet) - 2);
        /* The generator's contract keeps idx in range; a stray value must not read past the alphabet. */
        pszTemplate[pRun->off + i - 1] = g_szTempAlphabet[idx % (sizeof(g_szTempAlphabet) - 1)];
    }
}

} // namespace

int RTDirCreateTemp(char *pszTemplate, RTFMODE fMode)
{
    if (!RT_VALID_PTR(pszTemplate))
        return ERR_INVALID_POINTER;
    TemplateRun Run;
    if (!rtDirFindTemplateRun(pszTemplate, &Run))
    {
        *pszTemplate = '\0';
        return ERR_INVALID_PARAMETER;
    }
    int rc = ERR_ALREADY_EXISTS;
    for (unsigned cAttempts = 0; cAttempts < RTDIRTEMP_MAX_ATTEMPTS && rc == ERR_ALREADY_EXISTS; cAttempts++)
    {
        rtDirFillTemplateRun(pszTemplate, &Run);
        rc = RT_SEAM(g_rtSeamsDir, RTDirCreate)(pszTemplate, fMode, 0);
        if (RT_SUCCESS(rc))
            return rc;
    }
    /* Never leave a name behind that someone else may own. */
    *pszTemplate = '\0';
    return rc;
}

/*********************************************************************************************************************************
 *   Existence *
 *********************************************************************************************************************************/

bool RTDirExists(const char *pszPath)
{
    RTOBJINFO Info;
    int rc = RTPathQueryInfoEx(pszPath, &Info, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK);
    return RT_SUCCESS(rc) && (Info.fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY;
}

/*********************************************************************************************************************************
 *   Entry filters *
 *********************************************************************************************************************************/
namespace
{

/** Decodes and folds a name into a fresh code point array; null when it is not valid UTF-8 or memory is short. */
RTUNICP *rtDirFoldName(const char *pszName, size_t *pcuc)
{
    RTUNICP *pauc = NULL;
    size_t cuc = 0;
    if (RT_FAILURE(RTStrToCodePoints(pszName, RTStrLen(pszName), &pauc, 0, &cuc)))
        return NULL;
    for (size_t i = 0; i < cuc; i++)
        pauc[i] = rtDirFoldUpper(pauc[i]);
    *pcuc = cuc;
    return pauc;
}

/** The filter without wildcards: the whole name compared without case. */
bool rtDirFilterCompareNoCase(RTDIRINTERNAL const *pDir, const char *pszName)
{
    size_t idx = 0;
    for (;;)
    {
        RTUNICP uc;
        if (RT_FAILURE(RTStrCpDecode(&pszName, &uc)))
            return false;
        if (idx >= pDir->cucFilter)
            return uc == 0;
        if (rtDirFoldUpper(uc) != pDir->puszFilter[idx])
            return false;
        idx++;
    }
}

/** Advances the wildcard match by one filter character: aNext[j] tells whether the filter so far matches name[0..j). */
void rtDirMatchStep(RTUNICP ucFilter, RTUNICP const *pauc, size_t cuc, size_t idxLastDot, bool const *paPrev,
                    bool *paNext)
{
    bool fAny = false;
    for (size_t j = 0; j <= cuc; j++)
    {
        bool const fOneBefore = j > 0 && paPrev[j - 1];
        bool const fAtEndOrDot = j == cuc || pauc[j] == '.';
        switch (ucFilter)
        {
            case '*': /* any run */
                fAny = fAny || paPrev[j];
                paNext[j] = fAny;
                break;
            case '<': /* any run that does not swallow the name's last '.' */
                if (idxLastDot < cuc && j == idxLastDot + 1)
                    fAny = false;
                fAny = fAny || paPrev[j];
                paNext[j] = fAny;
                break;
            case '?': /* exactly one character */
                paNext[j] = fOneBefore;
                break;
            case '>': /* one character, or none at the end or before a '.' */
                paNext[j] = fOneBefore || (paPrev[j] && fAtEndOrDot);
                break;
            case '"': /* a '.', or nothing at the end */
                paNext[j] = (fOneBefore && pauc[j - 1] == '.') || (paPrev[j] && j == cuc);
                break;
            default:
                paNext[j] = fOneBefore && pauc[j - 1] == ucFilter;
                break;
        }
    }
}

/** The wildcard filter: '*' any run, '?' one character, '<' any run up to the last '.', '>' one character or none
 *  at the end or before a '.', '"' a '.' or the end; everything else compared without case. */
bool rtDirFilterWildcard(RTDIRINTERNAL const *pDir, const char *pszName)
{
    size_t cuc = 0;
    RTUNICP *pauc = rtDirFoldName(pszName, &cuc);
    if (!pauc)
        return false;
    bool *paRows = (bool *)RTMemAllocTag(2 * (cuc + 1) * sizeof(bool), RTMEM_TAG);
    if (!paRows)
    {
        RTMemFree(pauc);
        return false;
    }
    size_t idxLastDot = cuc;
    for (size_t j = 0; j < cuc; j++)
        if (pauc[j] == '.')
            idxLastDot = j;

    bool *paPrev = paRows;
    bool *paNext = paRows + cuc + 1;
    for (size_t j = 0; j <= cuc; j++)
        paPrev[j] = j == 0;
    for (size_t i = 0; i < pDir->cucFilter; i++)
    {
        rtDirMatchStep(pDir->puszFilter[i], pauc, cuc, idxLastDot, paPrev, paNext);
        bool *pTmp = paPrev;
        paPrev = paNext;
        paNext = pTmp;
    }
    bool const fMatch = paPrev[cuc];
    RTMemFree(paRows);
    RTMemFree(pauc);
    return fMatch;
}

bool rtDirIsWildcard(char ch)
{
    return ch == '*' || ch == '?' || ch == '<' || ch == '>' || ch == '"';
}

/** A filter that lets every name through is no filter at all. */
bool rtDirIsMatchAllFilter(const char *pszFilter, size_t cchFilter)
{
    if (cchFilter == 1)
        return pszFilter[0] == '*';
    return cchFilter == 3 && pszFilter[0] == '<' && pszFilter[1] == '"' && pszFilter[2] == '.';
}

/*********************************************************************************************************************************
 *   Opening *
 *********************************************************************************************************************************/

/** What RTDirOpenFiltered has worked out before it allocates the record. */
struct DirOpenPlan
{
    char *pszDirAsPassed; /**< The directory part as given (allocated). */
    char *pszPath;        /**< The directory path to record, ending with a separator (allocated). */
    size_t cchPath;
    const char *pszFilter; /**< Points into the caller's path; null without a filter. */
    size_t cchFilter;
    size_t cucFilter;
    bool fDirSlash;
};

/** Splits off the filter and copies the directory part (the current directory when a filter is all there is). */
int rtDirSplitFilter(const char *pszPath, RTDIRFILTER enmFilter, DirOpenPlan *pPlan)
{
    size_t cchDir = RTStrLen(pszPath);
    if (enmFilter == RTDIRFILTER_WINNT)
    {
        const char *pszName = RTPathFilename(pszPath);
        if (pszName)
        {
            cchDir = (size_t)(pszName - pszPath);
            size_t const cchFilter = RTStrLen(pszName);
            if (!rtDirIsMatchAllFilter(pszName, cchFilter))
            {
                pPlan->pszFilter = pszName;
                pPlan->cchFilter = cchFilter;
            }
        }
    }
    if (pPlan->pszFilter && cchDir == 0)
        pPlan->pszDirAsPassed = RTStrDup(".", RTMEM_TAG);
    else
        pPlan->pszDirAsPassed = RTStrDupN(pszPath, cchDir, RTMEM_TAG);
    if (!pPlan->pszDirAsPassed)
        return ERR_NO_MEMORY;
    size_t const cchPath = RTStrLen(pszPath);
    pPlan->fDirSlash = cchPath > 0 && rtPathIsDosSep(pszPath[cchPath - 1]);
    return INF_SUCCESS;
}

/** Counts the filter's code points; the filter must be valid UTF-8. */
int rtDirCountFilter(DirOpenPlan *pPlan)
{
    if (!pPlan->pszFilter)
        return INF_SUCCESS;
    int rc = RTStrValidate(pPlan->pszFilter, pPlan->cchFilter, 0);
    if (RT_FAILURE(rc))
        return rc;
    pPlan->cucFilter = RTStrCpCount(pPlan->pszFilter);
    return INF_SUCCESS;
}

/** The path as given, with a separator appended when it has none ('.\' for an empty one). */
int rtDirCopyPathWithSeparator(const char *pszDir, char **ppszPath, size_t *pcchPath)
{
    size_t const cbPath = RTStrLen(pszDir) + 3;
    char *pszPath = RTStrAlloc(cbPath, RTMEM_TAG);
    if (!pszPath)
        return ERR_NO_MEMORY;
    RTStrCopy(pszPath, cbPath, pszDir);
    *pcchPath = RTPathEnsureTrailingSeparator(pszPath, cbPath);
    *ppszPath = pszPath;
    return INF_SUCCESS;
}

/** The absolute form of the directory, ending with a separator. */
int rtDirMakeAbsolutePath(const char *pszDir, char **ppszPath, size_t *pcchPath)
{
    size_t cbPath = RTPATH_MAX;
    /* The current directory may grow between two calls: a few rounds settle it. */
    for (unsigned cRounds = 0; cRounds < 4; cRounds++)
    {
        char *pszPath = RTStrAlloc(cbPath + 1, RTMEM_TAG);
        if (!pszPath)
            return ERR_NO_MEMORY;
        size_t cbInOut = cbPath;
        int rc = RTPathAbsEx(NULL, pszDir, RTPATH_STYLE_HOST | RTPATHABS_F_ENSURE_TRAILING_SLASH, pszPath, &cbInOut);
        if (RT_SUCCESS(rc))
        {
            /* A bare root such as '\\server\share' comes back without its separator. */
            *pcchPath = RTPathEnsureTrailingSeparator(pszPath, cbPath + 1);
            *ppszPath = pszPath;
            return INF_SUCCESS;
        }
        RTStrFree(pszPath);
        if (rc != ERR_BUFFER_OVERFLOW)
            return rc;
        cbPath = RT_MAX(cbInOut, cbPath + 1);
    }
    return ERR_FILENAME_TOO_LONG;
}

/** Allocates the record in one block and fills it from the plan; the path is copied. */
RTDIRINTERNAL *rtDirAllocRecord(DirOpenPlan const *pPlan, uint32_t fFlags)
{
    size_t const cbFolded = pPlan->pszFilter ? (pPlan->cucFilter + 1) * sizeof(RTUNICP) : 0;
    size_t const cbFilter = pPlan->pszFilter ? pPlan->cchFilter + 1 : 0;
    size_t const cb = sizeof(RTDIRINTERNAL) + cbFolded + cbFilter + pPlan->cchPath + 1;
    RTDIRINTERNAL *pDir = (RTDIRINTERNAL *)RTMemAllocZTag(cb, RTMEM_TAG);
    if (!pDir)
        return NULL;
    char *pbNext = (char *)(pDir + 1);
    if (pPlan->pszFilter)
    {
        pDir->puszFilter = (RTUNICP *)pbNext;
        pbNext += cbFolded;
        pDir->pszFilter = pbNext;
        pbNext += cbFilter;
        const char *psz = pPlan->pszFilter;
        for (size_t i = 0; i < pPlan->cucFilter; i++)
        {
            RTUNICP uc = 0;
            RTStrCpDecode(&psz, &uc);
            pDir->puszFilter[i] = rtDirFoldUpper(uc);
        }
        pDir->cucFilter = pPlan->cucFilter;
        RTStrCopy(pDir->pszFilter, cbFilter, pPlan->pszFilter);
        pDir->cchFilter = pPlan->cchFilter;
        bool fWildcards = false;
        for (size_t i = 0; i < pPlan->cchFilter; i++)
            fWildcards = fWildcards || rtDirIsWildcard(pPlan->pszFilter[i]);
        pDir->enmFilter = RTDIRFILTER_WINNT;
        pDir->pfnFilter = fWildcards ? rtDirFilterWildcard : rtDirFilterCompareNoCase;
    }
    else
        pDir->enmFilter = RTDIRFILTER_NONE;
    pDir->pszPath = pbNext;
    RTStrCopy(pDir->pszPath, pPlan->cchPath + 1, pPlan->pszPath);
    pDir->cchPath = pPlan->cchPath;
    pDir->fFlags = fFlags;
    pDir->fDirSlash = pPlan->fDirSlash;
    pDir->hDir = RTDIR_NIL_NATIVE;
    pDir->u32Magic = RTDIR_MAGIC;
    return pDir;
}

int rtDirCheckOpenArgs(RTDIR *phDir, const char *pszPath, RTDIRFILTER enmFilter, uint32_t fFlags)
{
    if (!RT_VALID_PTR(phDir))
        return ERR_INVALID_POINTER;
    *phDir = NIL_RTDIR;
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;
    if (fFlags & ~RTDIR_F_VALID_MASK)
        return ERR_INVALID_FLAGS;
    switch (enmFilter)
    {
        case RTDIRFILTER_NONE:
        case RTDIRFILTER_WINNT:
            return INF_SUCCESS;
        case RTDIRFILTER_UNIX:
        case RTDIRFILTER_UNIX_UPCASED:
            return ERR_NOT_IMPLEMENTED;
        default:
            return ERR_INVALID_PARAMETER;
    }
}

/** Works out the filter and the directory path. */
int rtDirPlanOpen(const char *pszPath, RTDIRFILTER enmFilter, uint32_t fFlags, DirOpenPlan *pPlan)
{
    int rc = rtDirSplitFilter(pszPath, enmFilter, pPlan);
    if (RT_SUCCESS(rc))
        rc = rtDirCountFilter(pPlan);
    if (RT_SUCCESS(rc))
        rc = fFlags & RTDIR_F_NO_ABS_PATH
                 ? rtDirCopyPathWithSeparator(pPlan->pszDirAsPassed, &pPlan->pszPath, &pPlan->cchPath)
                 : rtDirMakeAbsolutePath(pPlan->pszDirAsPassed, &pPlan->pszPath, &pPlan->cchPath);
    return rc;
}

} // namespace

int RTDirOpenFiltered(RTDIR *phDir, const char *pszPath, RTDIRFILTER enmFilter, uint32_t fFlags)
{
    int rc = rtDirCheckOpenArgs(phDir, pszPath, enmFilter, fFlags);
    if (RT_FAILURE(rc))
        return rc;

    DirOpenPlan Plan;
    Plan.pszDirAsPassed = NULL;
    Plan.pszPath = NULL;
    Plan.cchPath = 0;
    Plan.pszFilter = NULL;
    Plan.cchFilter = 0;
    Plan.cucFilter = 0;
    Plan.fDirSlash = false;
    rc = rtDirPlanOpen(pszPath, enmFilter, fFlags, &Plan);
    RTDIRINTERNAL *pDir = NULL;
    if (RT_SUCCESS(rc))
    {
        pDir = rtDirAllocRecord(&Plan, fFlags);
        rc = pDir ? rtDirNativeOpen(pDir) : ERR_NO_MEMORY;
    }
    RTStrFree(Plan.pszDirAsPassed);
    RTStrFree(Plan.pszPath);
    if (RT_FAILURE(rc))
    {
        if (pDir)
            pDir->u32Magic = RTDIR_MAGIC_DEAD;
        RTMemFree(pDir);
        return rc;
    }
    *phDir = pDir;
    return rc;
}

int RTDirOpen(RTDIR *phDir, const char *pszPath)
{
    return RTDirOpenFiltered(phDir, pszPath, RTDIRFILTER_NONE, 0);
}

bool RTDirIsValid(RTDIR hDir)
{
    return RT_VALID_PTR(hDir) && hDir->u32Magic == RTDIR_MAGIC;
}

int RTDirClose(RTDIR hDir)
{
    if (!RTDirIsValid(hDir))
        return ERR_INVALID_PARAMETER;
    hDir->u32Magic = RTDIR_MAGIC_DEAD;
    rtDirNativeClose(hDir);
    RTMemFree(hDir);
    return INF_SUCCESS;
}
