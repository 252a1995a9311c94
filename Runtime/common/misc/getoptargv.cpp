/** @file
 * Splitting a command line into an argument vector, in Windows C runtime or
 * Bourne shell quoting.
 *
 * Every argument is written over the text it was read from (the line itself,
 * or one copy of it), never ahead of the read position: each written byte
 * stands for at least one consumed byte, so the output always fits and the
 * arguments of one line lie back to back in one buffer, the first one at its
 * start.
 */
#include <rt/getoptargv.h>
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/string.h>

namespace
{

/** The pointer array grows by this many entries at a time. */
const size_t g_cArgvStep = 32;

/** The separator set, with the ASCII part as a bitmap for the common case. */
struct RTARGVSEPARATORS
{
    uint32_t abmAscii[4]; /**< One bit per ASCII separator. */
    const char *pszAll;   /**< The whole (validated) set, searched for non-ASCII code points. */
    bool fHasNonAscii;    /**< Whether pszAll holds any non-ASCII separator. */
};

/** The state of one split. */
struct RTARGVSPLIT
{
    const char *pszIn; /**< Read position. */
    char *pszOut;      /**< Write position; never ahead of pszIn. */
    RTARGVSEPARATORS const *pSeps;
    char **papszArgv; /**< The array, cAlloc entries. */
    size_t cArgs;
    size_t cAlloc;
};

/** How an argument ended. */
enum RTARGVEND
{
    kArgEndOfLine, /**< At the terminator, which is not consumed. */
    kArgSeparator  /**< At a separator, which is consumed. */
};

void rtArgvSepAddAscii(RTARGVSEPARATORS *pSeps, unsigned char ch)
{
    pSeps->abmAscii[ch >> 5] |= UINT32_C(1) << (ch & 31);
}

/** Fills @a pSeps from @a pszSeparators (null for the defaults), checking its UTF-8. */
int rtArgvSepInit(RTARGVSEPARATORS *pSeps, const char *pszSeparators)
{
    const char *psz = pszSeparators ? pszSeparators : RTARGV_DEFAULT_SEPARATORS;
    if (!*psz)
        return ERR_INVALID_PARAMETER;
    for (unsigned i = 0; i < RT_ELEMENTS(pSeps->abmAscii); i++)
        pSeps->abmAscii[i] = 0;
    pSeps->pszAll = psz;
    pSeps->fHasNonAscii = false;
    while (*psz)
    {
        unsigned char ch = (unsigned char)*psz;
        if (ch < 0x80)
        {
            rtArgvSepAddAscii(pSeps, ch);
            psz++;
            continue;
        }
        RTUNICP uCp;
        int rc = RTStrCpDecode(&psz, &uCp);
        if (RT_FAILURE(rc))
            return rc;
        pSeps->fHasNonAscii = true;
    }
    return INF_SUCCESS;
}

bool rtArgvSepIsSeparator(RTARGVSEPARATORS const *pSeps, RTUNICP uCp)
{
    if (uCp < 0x80)
        return (pSeps->abmAscii[uCp >> 5] >> (uCp & 31)) & 1;
    if (!pSeps->fHasNonAscii)
        return false;
    const char *psz = pSeps->pszAll;
    while (*psz)
    {
        RTUNICP uSep;
        RTStrCpDecode(&psz, &uSep); /* validated by rtArgvSepInit */
        if (uSep == uCp)
            return true;
    }
    return false;
}

/** Reads the character at the read position into @a puCp and advances past it. */
int rtArgvReadCp(RTARGVSPLIT *pSplit, RTUNICP *puCp)
{
    unsigned char ch = (unsigned char)*pSplit->pszIn;
    if (ch < 0x80)
    {
        *puCp = ch;
        pSplit->pszIn++;
        return INF_SUCCESS;
    }
    return RTStrCpDecode(&pSplit->pszIn, puCp);
}

void rtArgvPutByte(RTARGVSPLIT *pSplit, char ch)
{
    *pSplit->pszOut++ = ch;
}

/** Writes the character that was read from @a pszStart up to the read position, byte for byte
 * (a valid character re-encodes to exactly the bytes it was decoded from). */
void rtArgvPutCharFrom(RTARGVSPLIT *pSplit, const char *pszStart)
{
    while (pszStart < pSplit->pszIn)
        *pSplit->pszOut++ = *pszStart++;
}

/**
 * Reads one character and either reports a separator (when @a fMaySeparate) or writes it.
 * Sets *pfSeparator accordingly.
 */
int rtArgvTakeChar(RTARGVSPLIT *pSplit, bool fMaySeparate, bool *pfSeparator)
{
    const char *pszStart = pSplit->pszIn;
    RTUNICP uCp;
    int rc = rtArgvReadCp(pSplit, &uCp);
    if (RT_FAILURE(rc))
        return rc;
    *pfSeparator = fMaySeparate && rtArgvSepIsSeparator(pSplit->pSeps, uCp);
    if (!*pfSeparator)
        rtArgvPutCharFrom(pSplit, pszStart);
    return INF_SUCCESS;
}

/** Handles a run of backslashes in C runtime style; the read position is at the first one. */
void rtArgvMsCrtBackslashes(RTARGVSPLIT *pSplit)
{
    size_t cBackslashes = 0;
    while (*pSplit->pszIn == '\\')
    {
        cBackslashes++;
        pSplit->pszIn++;
    }
    if (*pSplit->pszIn != '"')
    {
        while (cBackslashes-- > 0)
            rtArgvPutByte(pSplit, '\\');
        return;
    }
    for (size_t i = 0; i < cBackslashes / 2; i++)
        rtArgvPutByte(pSplit, '\\');
    if (cBackslashes & 1)
    {
        rtArgvPutByte(pSplit, '"');
        pSplit->pszIn++;
    }
    /* With an even run the quote is left to the quoting rules. */
}

/** Reads one argument in C runtime style. */
int rtArgvMsCrtArgument(RTARGVSPLIT *pSplit, RTARGVEND *penmEnd)
{
    bool fInQuotes = false;
    for (;;)
    {
        char ch = *pSplit->pszIn;
        if (ch == '\0')
        {
            *penmEnd = kArgEndOfLine;
            return INF_SUCCESS;
        }
        if (ch == '\\')
            rtArgvMsCrtBackslashes(pSplit);
        else if (ch == '"')
        {
            if (fInQuotes && pSplit->pszIn[1] == '"')
            {
                rtArgvPutByte(pSplit, '"');
                pSplit->pszIn += 2;
            }
            else
            {
                fInQuotes = !fInQuotes;
                pSplit->pszIn++;
            }
        }
        else
        {
            bool fSeparator;
            int rc = rtArgvTakeChar(pSplit, !fInQuotes, &fSeparator);
            if (RT_FAILURE(rc))
                return rc;
            if (fSeparator)
            {
                *penmEnd = kArgSeparator;
                return INF_SUCCESS;
            }
        }
    }
}

/** Whether a backslash inside double quotes escapes @a ch in shell style. */
bool rtArgvShellIsDoubleQuoteEscapable(char ch)
{
    return ch == '"' || ch == '\\' || ch == '`' || ch == '$' || ch == '\n';
}

enum RTARGVSHELLQUOTE
{
    kShellUnquoted,
    kShellSingle,
    kShellDouble
};

/** Reads one argument in Bourne shell style. */
int rtArgvShellArgument(RTARGVSPLIT *pSplit, RTARGVEND *penmEnd)
{
    RTARGVSHELLQUOTE enmQuote = kShellUnquoted;
    for (;;)
    {
        char ch = *pSplit->pszIn;
        if (ch == '\0')
        {
            *penmEnd = kArgEndOfLine;
            return INF_SUCCESS;
        }
        bool fMaySeparate = false;
        if (enmQuote == kShellUnquoted)
        {
            if (ch == '\'' || ch == '"')
            {
                enmQuote = ch == '\'' ? kShellSingle : kShellDouble;
                pSplit->pszIn++;
                continue;
            }
            if (ch == '\\')
            {
                /* The next character is taken literally, whatever it is; a trailing '\' is dropped. */
                pSplit->pszIn++;
                if (*pSplit->pszIn == '\0')
                    continue;
            }
            else
                fMaySeparate = true;
        }
        else if (enmQuote == kShellSingle)
        {
            if (ch == '\'')
            {
                enmQuote = kShellUnquoted;
                pSplit->pszIn++;
                continue;
            }
        }
        else if (ch == '"')
        {
            enmQuote = kShellUnquoted;
            pSplit->pszIn++;
            continue;
        }
        else if (ch == '\\' && rtArgvShellIsDoubleQuoteEscapable(pSplit->pszIn[1]))
            pSplit->pszIn++; /* the escaped character follows as an ordinary one */

        bool fSeparator;
        int rc = rtArgvTakeChar(pSplit, fMaySeparate, &fSeparator);
        if (RT_FAILURE(rc))
            return rc;
        if (fSeparator)
        {
            *penmEnd = kArgSeparator;
            return INF_SUCCESS;
        }
    }
}

/** Makes room for one more argument and the terminating null entry. */
int rtArgvEnsureRoom(RTARGVSPLIT *pSplit)
{
    if (pSplit->cArgs + 2 <= pSplit->cAlloc)
        return INF_SUCCESS;
    size_t cNew = pSplit->cAlloc + g_cArgvStep;
    /* The count is handed out as an int; a line of more arguments than that cannot be described. */
    if (cNew > (size_t)INT32_MAX || cNew > SIZE_MAX / sizeof(char *))
        return ERR_NO_MEMORY;
    char **papszNew = (char **)RTMemReallocTag(pSplit->papszArgv, cNew * sizeof(char *), RTMEM_TAG);
    if (!papszNew)
        return ERR_NO_MEMORY;
    pSplit->papszArgv = papszNew;
    pSplit->cAlloc = cNew;
    return INF_SUCCESS;
}

/** Skips separators; returns false when the end of the line is reached. */
int rtArgvSkipSeparators(RTARGVSPLIT *pSplit, bool *pfMore)
{
    for (;;)
    {
        if (*pSplit->pszIn == '\0')
        {
            *pfMore = false;
            return INF_SUCCESS;
        }
        const char *pszStart = pSplit->pszIn;
        RTUNICP uCp;
        int rc = rtArgvReadCp(pSplit, &uCp);
        if (RT_FAILURE(rc))
            return rc;
        if (!rtArgvSepIsSeparator(pSplit->pSeps, uCp))
        {
            pSplit->pszIn = pszStart;
            *pfMore = true;
            return INF_SUCCESS;
        }
    }
}

/** Splits the buffer at pSplit->pszIn (also the write position) into pSplit->papszArgv. */
int rtArgvSplitAll(RTARGVSPLIT *pSplit, uint32_t fStyle)
{
    for (;;)
    {
        bool fMore;
        int rc = rtArgvSkipSeparators(pSplit, &fMore);
        if (RT_FAILURE(rc) || !fMore)
            return rc;

        rc = rtArgvEnsureRoom(pSplit);
        if (RT_FAILURE(rc))
            return rc;
        pSplit->papszArgv[pSplit->cArgs++] = pSplit->pszOut;

        RTARGVEND enmEnd = kArgEndOfLine;
        rc = fStyle == RTARGV_STYLE_SHELL ? rtArgvShellArgument(pSplit, &enmEnd) : rtArgvMsCrtArgument(pSplit, &enmEnd);
        if (RT_FAILURE(rc))
            return rc;
        rtArgvPutByte(pSplit, '\0');
        if (enmEnd == kArgEndOfLine)
            return INF_SUCCESS;
    }
}

} // namespace

int RTGetOptArgvSplit(char ***ppapszArgv, int *pcArgs, const char *pszCmdLine, uint32_t fFlags,
                      const char *pszSeparators)
{
    if (!RT_VALID_PTR(ppapszArgv) || !RT_VALID_PTR(pcArgs) || !RT_VALID_PTR(pszCmdLine))
        return ERR_INVALID_POINTER;
    if (pszSeparators && !RT_VALID_PTR(pszSeparators))
        return ERR_INVALID_POINTER;
    uint32_t const fStyle = fFlags & RTARGV_STYLE_MASK;
    if ((fFlags & ~(RTARGV_STYLE_MASK | RTARGV_IN_PLACE)) ||
        (fStyle != RTARGV_STYLE_MSCRT && fStyle != RTARGV_STYLE_SHELL))
        return ERR_INVALID_FLAGS;

    RTARGVSEPARATORS Seps;
    int rc = rtArgvSepInit(&Seps, pszSeparators);
    if (RT_FAILURE(rc))
        return rc;

    bool const fInPlace = (fFlags & RTARGV_IN_PLACE) != 0;
    /* In place, the caller's writable line is the buffer (see the header's contract). */
    char *pszBuf = fInPlace ? (char *)pszCmdLine : RTStrDup(pszCmdLine, RTMEM_TAG);
    if (!pszBuf)
        return ERR_NO_STR_MEMORY;

    RTARGVSPLIT Split;
    Split.pszIn = pszBuf;
    Split.pszOut = pszBuf;
    Split.pSeps = &Seps;
    Split.cArgs = 0;
    Split.cAlloc = g_cArgvStep;
    Split.papszArgv = (char **)RTMemAllocTag(g_cArgvStep * sizeof(char *), RTMEM_TAG);
    rc = Split.papszArgv ? rtArgvSplitAll(&Split, fStyle) : ERR_NO_MEMORY;

    /* Without arguments nobody could reach the copy through the array: release it here. */
    if (!fInPlace && (RT_FAILURE(rc) || Split.cArgs == 0))
        RTStrFree(pszBuf);
    if (RT_FAILURE(rc))
    {
        RTMemFree(Split.papszArgv);
        return rc;
    }
    Split.papszArgv[Split.cArgs] = NULL;
    *ppapszArgv = Split.papszArgv;
    *pcArgs = (int)Split.cArgs;
    return INF_SUCCESS;
}

void RTGetOptArgvFree(char **papszArgv, uint32_t fFlags)
{
    if (!papszArgv)
        return;
    if (!(fFlags & RTARGV_IN_PLACE))
    {
        /* The copy starts at the first argument, the lowest of them all, wherever the entries were moved. */
        char *pszCopy = NULL;
        for (char **ppsz = papszArgv; *ppsz; ppsz++)
            if (!pszCopy || *ppsz < pszCopy)
                pszCopy = *ppsz;
        RTStrFree(pszCopy);
    }
    RTMemFree(papszArgv);
}
