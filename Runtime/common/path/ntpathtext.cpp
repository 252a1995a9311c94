/** @file
 * Native path text from UTF-8 Win32 paths: the raw, long and plain forms.
 */
#include <rt/mem.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/ntpathtext.h"
#include "internal/path.h"

namespace
{

/** Attempts at making a path absolute before it is declared too long. */
const unsigned g_cAbsAttempts = 8;
/** The last attempt gets at least this much room. */
const size_t g_cbAbsLastAttempt = 131072;
/** Systems before this major version name devices under '\DosDevices\'. */
const uint32_t g_uFirstQuestionMarkMajor = 4;

/** '\\?\': the long form, with either separator anywhere. */
bool rtNtPathIsLongForm(const char *pszPath)
{
    return rtPathIsDosSep(pszPath[0]) && rtPathIsDosSep(pszPath[1]) && pszPath[2] == '?' && rtPathIsDosSep(pszPath[3]);
}

/** '\\.\': a device path. */
bool rtNtPathIsDeviceForm(const char *pszPath)
{
    return rtPathIsDosSep(pszPath[0]) && rtPathIsDosSep(pszPath[1]) && pszPath[2] == '.' && rtPathIsDosSep(pszPath[3]);
}

/** Two separators and a server name. */
bool rtNtPathIsUncForm(const char *pszPath)
{
    return rtPathIsDosSep(pszPath[0]) && rtPathIsDosSep(pszPath[1]) && pszPath[2] != '\0' &&
           !rtPathIsDosSep(pszPath[2]);
}

void rtNtPathCopyChars(char *pszDst, const char *pszSrc, size_t cch)
{
    for (size_t off = 0; off < cch; off++)
        pszDst[off] = pszSrc[off];
}

/** The native prefix of an absolute path and how many of its leading characters it replaces. */
struct RTNTPATHPREFIX
{
    const char *psz;
    size_t cch;
    size_t cchReplaced;
    /** Where the absolute path goes so that the prefix, written at 0, overwrites exactly what it replaces. */
    size_t offPath;
};

RTNTPATHPREFIX rtNtPathPrefixFor(const char *pszAbsPath, bool fDosDevices)
{
    RTNTPATHPREFIX Prefix;
    if (rtNtPathIsDeviceForm(pszAbsPath))
    {
        Prefix.psz = fDosDevices ? "\\DosDevices\\" : "\\??\\";
        Prefix.cchReplaced = 4; /* '\\.\' */
    }
    else if (rtNtPathIsUncForm(pszAbsPath))
    {
        Prefix.psz = fDosDevices ? "\\DosDevices\\UNC\\" : "\\??\\UNC\\";
        Prefix.cchReplaced = 2; /* '\\' */
    }
    else
    {
        Prefix.psz = fDosDevices ? "\\DosDevices\\" : "\\??\\";
        Prefix.cchReplaced = 0;
    }
    Prefix.cch = RTStrLen(Prefix.psz);
    Prefix.offPath = Prefix.cch - Prefix.cchReplaced;
    return Prefix;
}

/** A buffer of @a cb bytes for the text: the first buffer when it is big enough, else a fresh heap one. */
char *rtNtPathTextRoom(RTNTPATHTEXT *pText, size_t cb)
{
    if (cb <= sizeof(pText->szFirst))
        return pText->szFirst;
    RTMemFree(pText->pszHeap);
    pText->pszHeap = (char *)RTMemAllocTag(cb, RTMEM_TAG);
    return pText->pszHeap;
}

/** The text is @a pszHead followed by @a pszRest. */
int rtNtPathTextJoin(RTNTPATHTEXT *pText, const char *pszHead, const char *pszRest)
{
    size_t const cchHead = RTStrLen(pszHead);
    size_t const cchRest = RTStrLen(pszRest);
    char *psz = rtNtPathTextRoom(pText, cchHead + cchRest + 1);
    if (!psz)
        return ERR_NO_TMP_MEMORY;
    rtNtPathCopyChars(psz, pszHead, cchHead);
    rtNtPathCopyChars(psz + cchHead, pszRest, cchRest + 1);
    pText->psz = psz;
    pText->cch = cchHead + cchRest;
    return INF_SUCCESS;
}

/** Size of the next attempt at making a path absolute after one that needed @a cbNeeded. */
size_t rtNtPathNextAbsSize(size_t cbOld, size_t cbNeeded, size_t offPath, unsigned iNextAttempt)
{
    size_t cbNew = RT_MAX(cbOld + 256, cbNeeded + offPath + 95) & ~(size_t)63;
    if (iNextAttempt == g_cAbsAttempts)
        cbNew = RT_MAX(cbNew, g_cbAbsLastAttempt);
    return cbNew;
}

/**
 * Puts the prefix in front of the absolute path at @a pszBuf + *poffPath
 * (@a cchAbs long, @a cbBuf the buffer's size). The absolute path's own form
 * picks the prefix: a relative path taken from a UNC current directory is a
 * UNC path. When that prefix wants the path elsewhere, it is moved if the
 * buffer has room; otherwise *poffPath is updated and ERR_BUFFER_OVERFLOW
 * returned so that the caller tries again with more room.
 */
int rtNtPathPrefixAbs(RTNTPATHTEXT *pText, char *pszBuf, size_t cbBuf, size_t *poffPath, size_t cchAbs,
                      bool fDosDevices)
{
    RTNTPATHPREFIX const Prefix = rtNtPathPrefixFor(pszBuf + *poffPath, fDosDevices);
    if (cchAbs < Prefix.cchReplaced)
        return ERR_INVALID_NAME;
    if (Prefix.offPath != *poffPath)
    {
        if (Prefix.offPath + cchAbs + 1 > cbBuf)
        {
            *poffPath = Prefix.offPath;
            return ERR_BUFFER_OVERFLOW;
        }
        char *pszFrom = pszBuf + *poffPath;
        char *pszTo = pszBuf + Prefix.offPath;
        if (pszTo < pszFrom)
            for (size_t off = 0; off <= cchAbs; off++)
                pszTo[off] = pszFrom[off];
        else
            for (size_t off = cchAbs + 1; off-- > 0;)
                pszTo[off] = pszFrom[off];
    }
    rtNtPathCopyChars(pszBuf, Prefix.psz, Prefix.cch);
    pText->psz = pszBuf;
    pText->cch = Prefix.offPath + cchAbs;
    return INF_SUCCESS;
}

/** Drive, root-relative, relative, UNC and device paths: made absolute, then prefixed. */
int rtNtPathTextFromDosPath(RTNTPATHTEXT *pText, const char *pszPath, bool fDosDevices)
{
    /* The input's form says where the absolute path most likely goes. */
    size_t offPath = rtNtPathPrefixFor(pszPath, fDosDevices).offPath;
    char *pszBuf = pText->szFirst;
    size_t cbBuf = sizeof(pText->szFirst);
    for (unsigned iAttempt = 1;; iAttempt++)
    {
        size_t cbAbs = cbBuf - offPath;
        int rc = RTPathAbsEx(NULL, pszPath, RTPATH_STYLE_DOS, pszBuf + offPath, &cbAbs);
        if (RT_SUCCESS(rc))
        {
            size_t const cchAbs = cbAbs;
            rc = rtNtPathPrefixAbs(pText, pszBuf, cbBuf, &offPath, cchAbs, fDosDevices);
            if (rc == ERR_BUFFER_OVERFLOW)
                cbAbs = cchAbs + 1;
        }
        if (rc != ERR_BUFFER_OVERFLOW)
            return rc;
        if (iAttempt == g_cAbsAttempts)
            return ERR_FILENAME_TOO_LONG;

        cbBuf = rtNtPathNextAbsSize(cbBuf, cbAbs, offPath, iAttempt + 1);
        pszBuf = rtNtPathTextRoom(pText, cbBuf);
        if (!pszBuf)
            return ERR_NO_TMP_MEMORY;
    }
}

} // namespace

void rtNtPathTextInit(RTNTPATHTEXT *pText)
{
    pText->psz = NULL;
    pText->cch = 0;
    pText->pszHeap = NULL;
}

void rtNtPathTextFree(RTNTPATHTEXT *pText)
{
    RTMemFree(pText->pszHeap);
    rtNtPathTextInit(pText);
}

bool rtNtPathHasRawPrefix(const char *pszPath)
{
    static const char s_szMiddle[] = ":soltnt:";
    if (!rtPathIsDosSep(pszPath[0]) || !rtPathIsDosSep(pszPath[1]))
        return false;
    for (size_t off = 0; off < sizeof(s_szMiddle) - 1; off++)
        if (pszPath[2 + off] != s_szMiddle[off])
            return false;
    return rtPathIsDosSep(pszPath[RTNTPATH_RAW_PREFIX_LEN - 1]);
}

bool rtNtPathUsesDosDevices(uint32_t uMajor)
{
    return uMajor < g_uFirstQuestionMarkMajor;
}

int rtNtPathTextFromWin(RTNTPATHTEXT *pText, const char *pszPath, uint32_t uOsMajor)
{
    pText->psz = NULL;
    pText->cch = 0;
    bool const fDosDevices = rtNtPathUsesDosDevices(uOsMajor);
    if (rtNtPathHasRawPrefix(pszPath))
        /* The native layer knows no '/': a path starting with it could never open. */
        return rtNtPathTextJoin(pText, "\\", pszPath + RTNTPATH_RAW_PREFIX_LEN);
    if (rtNtPathIsLongForm(pszPath))
        return rtNtPathTextJoin(pText, fDosDevices ? "\\DosDevices\\" : "\\??\\", pszPath + 4);
    int rc = rtNtPathTextFromDosPath(pText, pszPath, fDosDevices);
    if (RT_FAILURE(rc))
    {
        pText->psz = NULL;
        pText->cch = 0;
    }
    return rc;
}

int rtNtPathTextToUtf16(const char *pszText, RTUTF16 **ppwsz, size_t *pcwc)
{
    *ppwsz = NULL;
    *pcwc = 0;
    RTUTF16 *pwsz = NULL;
    size_t cwc = 0;
    int rc = RTStrToUtf16Ex(pszText, RTSTR_MAX, &pwsz, 0, &cwc, RTMEM_TAG);
    if (RT_FAILURE(rc))
        return rc;
    if (cwc > RTNTPATH_MAX_UNITS)
    {
        RTUtf16Free(pwsz);
        return ERR_FILENAME_TOO_LONG;
    }
    *ppwsz = pwsz;
    *pcwc = cwc;
    return INF_SUCCESS;
}
