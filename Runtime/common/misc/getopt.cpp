/** @file
 * Command-line option parser: matching arguments against the option table,
 * short option groups, values taken from the next argument, and the
 * options-first reordering.
 */
#include <rt/getopt.h>
#include <rt/err.h>
#include <rt/string.h>
#include <rt/strnum.h>
#include "internal/getopt.h"

namespace
{

/** Non-option count meaning "every remaining argument is a non-option". */
const int32_t NON_OPTIONS_ALL = INT32_MAX;

/** Searched after the caller's table unless RTOPT_INIT_NO_BUILTINS. The first
 * one also stands for the short option '?'. */
const RTOPTDEF g_aBuiltinOptions[] = {
    {"--help", 'h', 0},
    {"-help", 'h', 0},
    {"--version", 'V', 0},
    {"-version", 'V', 0},
};

bool rtGetOptIsDashCodePoint(RTUNICP uCp)
{
    switch (uCp)
    {
        case '-':
        case 0x2010:
        case 0x2011:
        case 0x2012:
        case 0x2013:
        case 0x2014:
        case 0x2212:
        case 0xfe58:
        case 0xfe63:
        case 0xff0d:
            return true;
        default:
            return false;
    }
}

bool rtGetOptIsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

char rtGetOptFoldAsciiLetter(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? (char)(ch + ('a' - 'A')) : ch;
}

/** Bytes of the dash character at @a psz (a '-' or a Unicode dash), 0 when there is none. */
size_t rtGetOptDashLength(const char *psz)
{
    if (*psz == '-')
        return 1;
    if ((unsigned char)*psz < 0x80)
        return 0;
    const char *pszNext = psz;
    RTUNICP uCp = 0;
    if (RT_FAILURE(RTStrCpDecode(&pszNext, &uCp)) || !rtGetOptIsDashCodePoint(uCp))
        return 0;
    return (size_t)(pszNext - psz);
}

/**
 * Matches the whole of @a pszName against the start of @a pszArg: equal bytes,
 * a name '-' against any dash, and with @a fICase ASCII letters of either case.
 * @returns true and the argument bytes consumed in *pcchArg on a match.
 */
bool rtGetOptMatchNamePrefix(const char *pszName, const char *pszArg, bool fICase, size_t *pcchArg)
{
    const char *pszArgStart = pszArg;
    while (*pszName)
    {
        if (*pszName == *pszArg)
        {
            pszName++;
            pszArg++;
            continue;
        }
        if (*pszName == '-')
        {
            size_t cchDash = rtGetOptDashLength(pszArg);
            if (cchDash == 0)
                return false;
            pszName++;
            pszArg += cchDash;
            continue;
        }
        if (fICase && *pszArg && rtGetOptFoldAsciiLetter(*pszName) == rtGetOptFoldAsciiLetter(*pszArg) &&
            (unsigned char)*pszArg < 0x80)
        {
            pszName++;
            pszArg++;
            continue;
        }
        return false;
    }
    *pcchArg = (size_t)(pszArg - pszArgStart);
    return true;
}

/** Skips what an index option may have between its name and ':'/'=' or the end:
 * one dash before a digit (RTOPT_INDEX_DASH) and, with RTOPT_INDEX, the digits.
 * @returns the position after the optional dash via *pcchDash and after the
 *          digits as the result. */
const char *rtGetOptSkipIndexPart(const char *psz, uint32_t fFlags, size_t *pcchDash)
{
    *pcchDash = 0;
    if (fFlags & RTOPT_INDEX_DASH)
    {
        size_t cchDash = rtGetOptDashLength(psz);
        if (cchDash && rtGetOptIsDigit(psz[cchDash]))
        {
            *pcchDash = cchDash;
            psz += cchDash;
        }
    }
    if (fFlags & RTOPT_INDEX)
        while (rtGetOptIsDigit(*psz))
            psz++;
    return psz;
}

/**
 * Whether @a pszArg is the long option @a pDef. On a match *pcchMatch is the
 * length of the name (plus a skipped index dash) in the argument's bytes.
 */
bool rtGetOptMatchLongOption(PCRTOPTDEF pDef, const char *pszArg, size_t *pcchMatch)
{
    if (!pDef->pszLong)
        return false;
    size_t cchName = 0;
    if (!rtGetOptMatchNamePrefix(pDef->pszLong, pszArg, (pDef->fFlags & RTOPT_ICASE) != 0, &cchName))
        return false;

    const bool fHasValue = (pDef->fFlags & RTOPT_VAL_MASK) != 0;
    if (!fHasValue && !(pDef->fFlags & RTOPT_INDEX))
    {
        *pcchMatch = cchName;
        return pszArg[cchName] == '\0';
    }

    size_t cchDash = 0;
    const char *pszAfter = rtGetOptSkipIndexPart(&pszArg[cchName], pDef->fFlags, &cchDash);
    if (*pszAfter != '\0' && (!fHasValue || (*pszAfter != ':' && *pszAfter != '=')))
        return false;
    *pcchMatch = cchName + cchDash;
    return true;
}

PCRTOPTDEF rtGetOptFindLongOption(const RTOPTSTATE *pState, const char *pszArg, size_t *pcchMatch)
{
    for (int32_t i = 0; i < pState->cOptions; i++)
        if (rtGetOptMatchLongOption(&pState->paOptions[i], pszArg, pcchMatch))
            return &pState->paOptions[i];
    if (!(pState->fFlags & RTOPT_INIT_NO_BUILTINS))
        for (const RTOPTDEF &Def : g_aBuiltinOptions)
            if (rtGetOptMatchLongOption(&Def, pszArg, pcchMatch))
                return &Def;
    return NULL;
}

PCRTOPTDEF rtGetOptFindShortOption(const RTOPTSTATE *pState, char ch)
{
    if ((unsigned char)ch == 0 || (unsigned char)ch >= 0x80)
        return NULL;
    for (int32_t i = 0; i < pState->cOptions; i++)
        if (pState->paOptions[i].iShort == ch)
            return &pState->paOptions[i];
    if (pState->fFlags & RTOPT_INIT_NO_BUILTINS)
        return NULL;
    for (const RTOPTDEF &Def : g_aBuiltinOptions)
        if (Def.iShort == ch)
            return &Def;
    return ch == '?' ? &g_aBuiltinOptions[0] : NULL;
}

bool rtGetOptIsOptionsFirst(const RTOPTSTATE *pState)
{
    return (pState->fFlags & RTOPT_INIT_OPTIONS_FIRST) != 0;
}

/** Moves the entry after the collected non-options to position @a idx, in
 * front of them, keeping their order. Nothing moves in the default mode. */
void rtGetOptMoveInFrontOfNonOptions(RTOPTSTATE *pState, int32_t idx)
{
    int32_t cNonOptions = pState->cNonOptions;
    if (cNonOptions <= 0 || cNonOptions == NON_OPTIONS_ALL)
        return;
    char *pszMoved = pState->papszArgs[idx + cNonOptions];
    for (int32_t i = idx + cNonOptions; i > idx; i--)
        pState->papszArgs[i] = pState->papszArgs[i - 1];
    pState->papszArgs[idx] = pszMoved;
}

/** Leaves a group of short options: the next index moves past its argument. */
void rtGetOptEndShortGroup(RTOPTSTATE *pState)
{
    if (pState->pszNextShort)
    {
        pState->pszNextShort = NULL;
        pState->iNext++;
    }
}

/**
 * Takes the argument after the collected non-options as the option's value,
 * moving it in front of them.
 */
int rtGetOptTakeNextArgument(RTOPTSTATE *pState, const char **ppszValue)
{
    int32_t cNonOptions = pState->cNonOptions == NON_OPTIONS_ALL ? 0 : pState->cNonOptions;
    if (pState->iNext >= pState->cArgs || cNonOptions >= pState->cArgs - pState->iNext)
        return ERR_OPT_VALUE_MISSING;
    rtGetOptMoveInFrontOfNonOptions(pState, pState->iNext);
    *ppszValue = pState->papszArgs[pState->iNext];
    pState->iNext++;
    return INF_SUCCESS;
}

/** The default index of an index option, or UINT32_MAX when it must be given. */
uint32_t rtGetOptDefaultIndex(uint32_t fFlags)
{
    uint32_t uField = (fFlags & RTOPT_INDEX_DEFAULT_MASK) >> 20;
    return uField ? uField - 1 : UINT32_MAX;
}

/** Finds the value of a long index option whose index starts at @a pszRest. */
int rtGetOptTakeIndexedValue(RTOPTSTATE *pState, PCRTOPTDEF pDef, const char *pszRest, uint32_t *puIndex,
                             const char **ppszValue)
{
    uint32_t uDefault = rtGetOptDefaultIndex(pDef->fFlags);
    if (*pszRest == '\0' && uDefault == UINT32_MAX)
        return ERR_OPT_INDEX_MISSING;

    char *pszNext = NULL;
    uint32_t uIndex = 0;
    int rc = RTStrParseU32(pszRest, &pszNext, 10, &uIndex);
    if (rc == ERR_NO_DIGITS)
    {
        if (uDefault == UINT32_MAX)
            return ERR_OPT_BAD_VALUE_FORMAT;
        uIndex = uDefault;
        pszNext = (char *)pszRest;
    }
    else if (rc != INF_SUCCESS && rc != WRN_TRAILING_CHARS)
        return ERR_OPT_BAD_VALUE_FORMAT;

    if (*pszNext == ':' || *pszNext == '=')
        *ppszValue = pszNext + 1;
    else if (*pszNext != '\0')
        return ERR_OPT_BAD_VALUE_FORMAT;
    else
    {
        rc = rtGetOptTakeNextArgument(pState, ppszValue);
        if (RT_FAILURE(rc))
            return rc;
    }
    *puIndex = uIndex;
    return INF_SUCCESS;
}

/** The index of a long index option without value; the rest must be the index alone. */
int rtGetOptParseFlagIndex(PCRTOPTDEF pDef, const char *pszRest, uint32_t *puIndex)
{
    if (*pszRest == '\0')
    {
        /* The default applies as it does for options with a value. */
        *puIndex = rtGetOptDefaultIndex(pDef->fFlags);
        return *puIndex != UINT32_MAX ? INF_SUCCESS : ERR_OPT_INDEX_MISSING;
    }
    uint32_t uIndex = 0;
    if (RTStrParseU32Whole(pszRest, 10, &uIndex) != INF_SUCCESS)
        return ERR_OPT_BAD_VALUE_FORMAT;
    *puIndex = uIndex;
    return INF_SUCCESS;
}

/** What the argument loop found. */
struct OPTMATCH
{
    PCRTOPTDEF pDef;
    /** Short option: the position right after the option character. */
    const char *pszAfterShort;
    /** Long option: the argument and the length of its matched name. */
    const char *pszArg;
    size_t cchMatch;
};

/** Value and index of a matched option with a value type. */
int rtGetOptProcessValueOption(RTOPTSTATE *pState, const OPTMATCH &Match, uint32_t *puIndex, PRTOPTVALUE pValue)
{
    const char *pszValue = NULL;
    int rc = INF_SUCCESS;
    if (Match.pszAfterShort)
    {
        const char *pszRest = Match.pszAfterShort;
        rtGetOptEndShortGroup(pState);
        if (*pszRest == '\0')
            rc = rtGetOptTakeNextArgument(pState, &pszValue);
        else
            pszValue = *pszRest == ':' || *pszRest == '=' ? pszRest + 1 : pszRest;
    }
    else if (Match.pDef->fFlags & RTOPT_INDEX)
        rc = rtGetOptTakeIndexedValue(pState, Match.pDef, Match.pszArg + Match.cchMatch, puIndex, &pszValue);
    else if (Match.pszArg[Match.cchMatch] != '\0')
        pszValue = &Match.pszArg[Match.cchMatch + 1];
    else
        rc = rtGetOptTakeNextArgument(pState, &pszValue);
    if (RT_FAILURE(rc))
        return rc;
    return rtGetOptConvertValue(Match.pDef->fFlags, pszValue, pValue);
}

/** Group and index handling of a matched option without value. */
int rtGetOptProcessFlagOption(RTOPTSTATE *pState, const OPTMATCH &Match, uint32_t *puIndex)
{
    if (Match.pszAfterShort)
    {
        if (*Match.pszAfterShort == '\0')
            rtGetOptEndShortGroup(pState);
        else
        {
            if (!pState->pszNextShort)
                pState->iNext--; /* designate the group's argument until it is used up */
            pState->pszNextShort = Match.pszAfterShort;
        }
        return INF_SUCCESS;
    }
    if (Match.pDef->fFlags & RTOPT_INDEX)
        return rtGetOptParseFlagIndex(Match.pDef, Match.pszArg + Match.cchMatch, puIndex);
    return INF_SUCCESS;
}

/**
 * Looks @a pszArg up as a long option, then as a dash followed by a short
 * option character. *pfDash tells whether the argument starts with a dash.
 * @returns INF_SUCCESS (pMatch->pDef null when nothing matched), or the
 *          decoder's status for a malformed first character.
 */
int rtGetOptMatchArgument(const RTOPTSTATE *pState, const char *pszArg, OPTMATCH *pMatch, bool *pfDash)
{
    pMatch->pDef = rtGetOptFindLongOption(pState, pszArg, &pMatch->cchMatch);
    if (pMatch->pDef)
    {
        pMatch->pszArg = pszArg;
        return INF_SUCCESS;
    }

    const char *pszAfterFirst = pszArg;
    RTUNICP uFirst = 0;
    if (*pszArg != '\0')
    {
        int rc = RTStrCpDecode(&pszAfterFirst, &uFirst);
        if (RT_FAILURE(rc))
            return rc;
    }
    *pfDash = rtGetOptIsDashCodePoint(uFirst);
    if (*pfDash && *pszAfterFirst != '\0' && *pszAfterFirst != '-' && (unsigned char)*pszAfterFirst < 0x80)
    {
        pMatch->pDef = rtGetOptFindShortOption(pState, *pszAfterFirst);
        if (pMatch->pDef)
            pMatch->pszAfterShort = pszAfterFirst + 1;
    }
    return INF_SUCCESS;
}

/**
 * Examines arguments until one matches an option.
 * @returns INF_SUCCESS with @a pMatch filled (pMatch->pDef non-null), or the
 *          result RTGetOpt returns (0, INF_OPT_NOT_OPTION, ERR_OPT_UNKNOWN_OPTION,
 *          a decoding status) with pMatch->pDef null.
 */
int rtGetOptFindNextOption(RTOPTSTATE *pState, OPTMATCH *pMatch, PRTOPTVALUE pValue)
{
    for (;;)
    {
        if (pState->iNext >= pState->cArgs)
            return 0;
        if (pState->cNonOptions == NON_OPTIONS_ALL)
        {
            pValue->psz = pState->papszArgs[pState->iNext++];
            return INF_OPT_NOT_OPTION;
        }
        if (pState->cNonOptions >= pState->cArgs - pState->iNext)
        {
            pState->cNonOptions = NON_OPTIONS_ALL;
            continue;
        }
        const char *pszArg = pState->papszArgs[pState->iNext + pState->cNonOptions];
        pState->iNext++;

        bool fDash = false;
        int rc = rtGetOptMatchArgument(pState, pszArg, pMatch, &fDash);
        if (RT_FAILURE(rc) || pMatch->pDef)
            return rc;

        if (pszArg[0] == '-' && pszArg[1] == '-' && pszArg[2] == '\0')
        {
            rtGetOptMoveInFrontOfNonOptions(pState, pState->iNext - 1);
            pState->cNonOptions = NON_OPTIONS_ALL;
            continue;
        }

        if (!rtGetOptIsOptionsFirst(pState))
        {
            /* Only an ASCII '-' makes an unknown option here: "/x" and "" are plain arguments. */
            pValue->psz = pszArg;
            return pszArg[0] == '-' ? ERR_OPT_UNKNOWN_OPTION : INF_OPT_NOT_OPTION;
        }
        if (fDash)
        {
            pValue->psz = pszArg;
            return ERR_OPT_UNKNOWN_OPTION;
        }
        pState->cNonOptions++;
        pState->iNext--;
        if (pState->cNonOptions >= pState->cArgs - pState->iNext)
            pState->cNonOptions = NON_OPTIONS_ALL;
    }
}

void rtGetOptClearValueHead(PRTOPTVALUE pValue)
{
    /* The first two 32-bit words: the pointer member on every target and all of a 64-bit value. */
    pValue->u64 = 0;
}

} // namespace

int RTGetOptInit(PRTOPTSTATE pState, int cArgs, char **papszArgs, PCRTOPTDEF paOptions, size_t cOptions, int iFirst,
                 uint32_t fFlags)
{
    if (!RT_VALID_PTR(pState))
        return ERR_INVALID_POINTER;
    if (fFlags & ~(RTOPT_INIT_OPTIONS_FIRST | RTOPT_INIT_NO_BUILTINS))
        return ERR_INVALID_PARAMETER;
    if (cArgs < 0 || iFirst < 0 || cOptions > (size_t)INT32_MAX)
        return ERR_INVALID_PARAMETER;
    if ((cArgs > 0 && !RT_VALID_PTR(papszArgs)) || (cOptions > 0 && !RT_VALID_PTR(paOptions)))
        return ERR_INVALID_PARAMETER;

    pState->iNext = iFirst;
    pState->papszArgs = papszArgs;
    pState->cArgs = cArgs;
    pState->paOptions = paOptions;
    pState->cOptions = (int32_t)cOptions;
    pState->pszNextShort = NULL;
    pState->pDefLast = NULL;
    pState->uIndex = UINT32_MAX;
    pState->fFlags = fFlags;
    pState->cNonOptions = 0;
    return INF_SUCCESS;
}

int RTGetOpt(PRTOPTSTATE pState, PRTOPTVALUE pValue)
{
    if (!RT_VALID_PTR(pState) || !RT_VALID_PTR(pValue))
        return ERR_INVALID_POINTER;
    pState->pDefLast = NULL;
    pState->uIndex = UINT32_MAX;
    rtGetOptClearValueHead(pValue);

    OPTMATCH Match = {NULL, NULL, NULL, 0};
    if (pState->pszNextShort)
    {
        Match.pDef = rtGetOptFindShortOption(pState, *pState->pszNextShort);
        if (!Match.pDef)
        {
            pValue->psz = pState->pszNextShort;
            return ERR_OPT_UNKNOWN_OPTION;
        }
        pState->pszNextShort++;
        Match.pszAfterShort = pState->pszNextShort;
    }
    else
    {
        int rc = rtGetOptFindNextOption(pState, &Match, pValue);
        if (!Match.pDef)
            return rc;
        rtGetOptMoveInFrontOfNonOptions(pState, pState->iNext - 1);
    }

    pValue->pDef = Match.pDef;
    uint32_t uIndex = UINT32_MAX;
    int rc = Match.pDef->fFlags & RTOPT_VAL_MASK ? rtGetOptProcessValueOption(pState, Match, &uIndex, pValue)
                                                 : rtGetOptProcessFlagOption(pState, Match, &uIndex);
    if (RT_FAILURE(rc))
        return rc;
    pState->pDefLast = Match.pDef;
    pState->uIndex = uIndex;
    return Match.pDef->iShort;
}

int RTGetOptTakeValue(PRTOPTSTATE pState, PRTOPTVALUE pValue, uint32_t fFlags)
{
    if (!RT_VALID_PTR(pState) || !RT_VALID_PTR(pValue))
        return ERR_INVALID_POINTER;
    if (!(fFlags & RTOPT_VAL_MASK) || (fFlags & ~(RTOPT_VAL_MASK | UINT32_C(0x00ff0000))))
        return ERR_INVALID_PARAMETER;
    rtGetOptClearValueHead(pValue);

    const char *pszValue = NULL;
    if (pState->pszNextShort)
    {
        /* Inside a group ("-xs") the rest of the group is the value, as for a short option with one. */
        pszValue = pState->pszNextShort;
        rtGetOptEndShortGroup(pState);
    }
    else
    {
        int rc = rtGetOptTakeNextArgument(pState, &pszValue);
        if (RT_FAILURE(rc))
            return rc; /* nothing taken: the union stays cleared */
    }
    /* A value was taken: a failed conversion leaves the option's definition for the error report. */
    pValue->pDef = pState->pDefLast;
    return rtGetOptConvertValue(fFlags, pszValue, pValue);
}
