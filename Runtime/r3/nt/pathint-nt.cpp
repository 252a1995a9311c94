/** @file
 * Native (NT) paths: conversion from UTF-8 Win32 paths, opening, closing.
 */
#include <rt/path-win.h>
#include <rt/path.h>
#include <rt/err.h>
#include <rt/mem.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/nt.h"

namespace
{

/** Where the process environment block keeps OSMajorVersion. */
#ifdef _WIN64
const size_t g_offPebOsMajorVersion = 0x118;
#else
const size_t g_offPebOsMajorVersion = 0xA4;
#endif

/** Makes absolute paths in a stack buffer this big before resorting to the heap. */
const size_t g_cbAbsPathFirst = RTPATH_MAX;
/** Attempts at making a path absolute before it is declared too long. */
const unsigned g_cAbsPathAttempts = 8;
/** The last attempt gets at least this much room. */
const size_t g_cbAbsPathLastAttempt = 131072;

bool rtNtPathIsSep(char ch)
{
    return ch == '\\' || ch == '/';
}

/** "\\:soltnt:\" with either separator at each of the three places. */
bool rtNtPathHasRawPrefix(const char *pszPath)
{
    static const char s_szMiddle[] = ":soltnt:";
    if (!rtNtPathIsSep(pszPath[0]) || !rtNtPathIsSep(pszPath[1]))
        return false;
    for (size_t off = 0; off < sizeof(s_szMiddle) - 1; off++)
        if (pszPath[2 + off] != s_szMiddle[off])
            return false;
    return rtNtPathIsSep(pszPath[RTNTPATH_RAW_PREFIX_LEN - 1]);
}

/** '\\?\' with either separator anywhere. */
bool rtNtPathIsLongForm(const char *pszPath)
{
    return rtNtPathIsSep(pszPath[0]) && rtNtPathIsSep(pszPath[1]) && pszPath[2] == '?' && rtNtPathIsSep(pszPath[3]);
}

/** '\\.\': a device path. */
bool rtNtPathIsDeviceForm(const char *pszPath)
{
    return rtNtPathIsSep(pszPath[0]) && rtNtPathIsSep(pszPath[1]) && pszPath[2] == '.' && rtNtPathIsSep(pszPath[3]);
}

/** Two separators and a server name. */
bool rtNtPathIsUncForm(const char *pszPath)
{
    return rtNtPathIsSep(pszPath[0]) && rtNtPathIsSep(pszPath[1]) && pszPath[2] != '\0' && !rtNtPathIsSep(pszPath[2]);
}

bool rtNtPathUseDosDevices(void)
{
    return rtNtOsMajorVersion() < 4;
}

/** Hands @a pwsz of @a cwc units over to @a pNtName. */
void rtNtPathAdopt(RTNTPATH *pNtName, RTUTF16 *pwsz, size_t cwc)
{
    pNtName->Buffer = (PWSTR)pwsz;
    pNtName->Length = (USHORT)(cwc * sizeof(RTUTF16));
    pNtName->MaximumLength = (USHORT)(cwc * sizeof(RTUTF16) + sizeof(RTUTF16));
}

/** Converts UTF-8 to the native path unchanged, refusing what exceeds @a cwcMax units. */
int rtNtPathFromUtf8Verbatim(RTNTPATH *pNtName, const char *pszPath, size_t cwcMax)
{
    RTUTF16 *pwsz = NULL;
    size_t cwc = 0;
    int rc = RTStrToUtf16Ex(pszPath, RTSTR_MAX, &pwsz, 0, &cwc, RTMEM_TAG);
    if (RT_FAILURE(rc))
        return rc;
    if (cwc > cwcMax)
    {
        RTUtf16Free(pwsz);
        return ERR_FILENAME_TOO_LONG;
    }
    rtNtPathAdopt(pNtName, pwsz, cwc);
    return INF_SUCCESS;
}

/** A path behind the raw prefix: taken as it is, from the prefix's last separator on. */
int rtNtPathFromRaw(RTNTPATH *pNtName, const char *pszPath)
{
    int rc = rtNtPathFromUtf8Verbatim(pNtName, pszPath + RTNTPATH_RAW_PREFIX_LEN - 1, RTNTPATH_MAX_UNITS);
    if (RT_SUCCESS(rc))
        pNtName->Buffer[0] = '\\'; /* The native layer knows no '/': a path starting with it could never open. */
    return rc;
}

/** '\\?\x': '\??\x' (or '\DosDevices\x'), nothing else touched. */
int rtNtPathFromLongForm(RTNTPATH *pNtName, const char *pszPath)
{
    int rc = rtNtPathFromUtf8Verbatim(pNtName, pszPath, RTNTPATH_MAX_UNITS);
    if (RT_FAILURE(rc))
        return rc;
    RTUTF16 *pwsz = (RTUTF16 *)pNtName->Buffer;
    size_t const cwc = pNtName->Length / sizeof(RTUTF16);
    if (!rtNtPathUseDosDevices())
    {
        pwsz[0] = '\\';
        pwsz[1] = '?';
        pwsz[2] = '?';
        pwsz[3] = '\\';
        return INF_SUCCESS;
    }

    static const char s_szDosDevices[] = "\\DosDevices\\";
    size_t const cchPrefix = sizeof(s_szDosDevices) - 1;
    size_t const cwcNew = cwc - 4 + cchPrefix;
    if (cwcNew > RTNTPATH_MAX_UNITS)
        rc = ERR_FILENAME_TOO_LONG;
    else
    {
        RTUTF16 *pwszNew = RTUtf16Alloc((cwcNew + 1) * sizeof(RTUTF16), RTMEM_TAG);
        if (!pwszNew)
            rc = ERR_NO_UTF16_MEMORY;
        else
        {
            for (size_t off = 0; off < cchPrefix; off++)
                pwszNew[off] = (RTUTF16)s_szDosDevices[off];
            for (size_t off = 4; off <= cwc; off++)
                pwszNew[cchPrefix + off - 4] = pwsz[off];
            RTUtf16Free(pwsz);
            rtNtPathAdopt(pNtName, pwszNew, cwcNew);
            return INF_SUCCESS;
        }
    }
    RTUtf16Free(pwsz);
    pNtName->Buffer = NULL;
    pNtName->Length = pNtName->MaximumLength = 0;
    return rc;
}

/** The native prefix of an absolute path and how many of its leading characters it replaces. */
struct RTNTPATHPREFIX
{
    const char *psz;
    size_t cch;
    size_t cchReplaced;
};

RTNTPATHPREFIX rtNtPathPrefixFor(const char *pszPath)
{
    bool const fDosDevices = rtNtPathUseDosDevices();
    RTNTPATHPREFIX Prefix;
    if (rtNtPathIsDeviceForm(pszPath))
    {
        Prefix.psz = fDosDevices ? "\\DosDevices\\" : "\\??\\";
        Prefix.cchReplaced = 4; /* '\\.\' */
    }
    else if (rtNtPathIsUncForm(pszPath))
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
    return Prefix;
}

/** Size of the next attempt at making a path absolute after one that needed @a cbNeeded. */
size_t rtNtPathNextAbsSize(size_t cbOld, size_t cbNeeded, size_t offPath, unsigned iNextAttempt)
{
    size_t cbNew = RT_MAX(cbOld + 256, cbNeeded + offPath + 95) & ~(size_t)63;
    if (iNextAttempt == g_cAbsPathAttempts)
        cbNew = RT_MAX(cbNew, g_cbAbsPathLastAttempt);
    return cbNew;
}

/**
 * Makes @a pszPath absolute into @a pszBuf at @a offPath, growing into a heap
 * buffer (*ppszHeap, freed by the caller) while the result does not fit.
 * *ppszBuf receives the buffer that holds the result (its text starts at offset
 * 0 once the prefix is written), *pcchAbs the length made absolute.
 */
int rtNtPathAbsInto(const char *pszPath, size_t offPath, char *pszBuf, size_t cbBuf, char **ppszHeap, char **ppszBuf,
                    size_t *pcchAbs)
{
    for (unsigned iAttempt = 1;; iAttempt++)
    {
        size_t cbAbs = cbBuf - offPath;
        int rc = RTPathAbsEx(NULL, pszPath, RTPATH_STYLE_DOS, pszBuf + offPath, &cbAbs);
        if (rc != ERR_BUFFER_OVERFLOW)
        {
            *ppszBuf = pszBuf;
            *pcchAbs = cbAbs;
            return rc;
        }
        if (iAttempt == g_cAbsPathAttempts)
            return ERR_FILENAME_TOO_LONG;

        cbBuf = rtNtPathNextAbsSize(cbBuf, cbAbs, offPath, iAttempt + 1);
        RTMemFree(*ppszHeap);
        *ppszHeap = (char *)RTMemAllocTag(cbBuf, RTMEM_TAG);
        if (!*ppszHeap)
            return ERR_NO_TMP_MEMORY;
        pszBuf = *ppszHeap;
    }
}

/** Drive, root-relative, relative, UNC and device paths: made absolute, then prefixed. */
int rtNtPathFromDosPath(RTNTPATH *pNtName, const char *pszPath)
{
    RTNTPATHPREFIX const Prefix = rtNtPathPrefixFor(pszPath);
    size_t const offPath = Prefix.cch - Prefix.cchReplaced;

    char szFirst[g_cbAbsPathFirst];
    char *pszHeap = NULL;
    char *pszBuf = NULL;
    size_t cchAbs = 0;
    int rc = rtNtPathAbsInto(pszPath, offPath, szFirst, sizeof(szFirst), &pszHeap, &pszBuf, &cchAbs);
    if (RT_SUCCESS(rc))
    {
        /* The absolute form of a '\\.\' or '\\server' path keeps the characters the prefix replaces. */
        if (cchAbs < Prefix.cchReplaced)
            rc = ERR_INVALID_NAME;
        else
        {
            for (size_t off = 0; off < Prefix.cch; off++)
                pszBuf[off] = Prefix.psz[off];
            rc = rtNtPathFromUtf8Verbatim(pNtName, pszBuf, RTNTPATH_MAX_UNITS);
        }
    }
    RTMemFree(pszHeap);
    return rc;
}

NTSTATUS rtNtPathCreateFile(HANDLE *phFile, const RTNTPATH *pNtName, HANDLE hRootDir, ACCESS_MASK fDesiredAccess,
                            ULONG fShareAccess, ULONG fCreateOptions, ULONG fObjAttribs)
{
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, (PUNICODE_STRING)pNtName, fObjAttribs, hRootDir, NULL);
    IO_STATUS_BLOCK Ios;
    Ios.Status = 0;
    Ios.Information = 0;
    return RT_SEAM(g_rtSeamsNt, NtCreateFile)(phFile, fDesiredAccess, &ObjAttr, &Ios, NULL, FILE_ATTRIBUTE_NORMAL,
                                              fShareAccess, FILE_OPEN, fCreateOptions, NULL, 0);
}

bool rtNtPathEndsWithSep(const RTNTPATH *pNtName)
{
    size_t const cwc = pNtName->Length / sizeof(RTUTF16);
    return cwc > 0 && pNtName->Buffer[cwc - 1] == '\\';
}

/**
 * Volume roots ('\??\C:') refuse to open as directories without their
 * trailing separator: opens a copy of the path with one appended. Fails only
 * when the copy cannot be made; the open's own outcome goes to *prcNt.
 */
int rtNtPathCreateFileWithSep(HANDLE *phFile, const RTNTPATH *pNtName, HANDLE hRootDir, ACCESS_MASK fDesiredAccess,
                              ULONG fShareAccess, ULONG fCreateOptions, ULONG fObjAttribs, NTSTATUS *prcNt)
{
    size_t const cwc = pNtName->Length / sizeof(RTUTF16);
    RTUTF16 *pwsz = RTUtf16Alloc((cwc + 2) * sizeof(RTUTF16), RTMEM_TAG);
    if (!pwsz)
        return ERR_NO_TMP_MEMORY;
    for (size_t off = 0; off < cwc; off++)
        pwsz[off] = pNtName->Buffer[off];
    pwsz[cwc] = '\\';
    pwsz[cwc + 1] = '\0';
    RTNTPATH WithSep;
    rtNtPathAdopt(&WithSep, pwsz, cwc + 1);
    *prcNt = rtNtPathCreateFile(phFile, &WithSep, hRootDir, fDesiredAccess, fShareAccess, fCreateOptions, fObjAttribs);
    RTUtf16Free(pwsz);
    return INF_SUCCESS;
}

/** File access rights as the object directory understands them. */
ACCESS_MASK rtNtPathDirObjAccess(ACCESS_MASK fDesiredAccess)
{
    if ((fDesiredAccess & STANDARD_RIGHTS_ALL) == STANDARD_RIGHTS_ALL || (fDesiredAccess & GENERIC_ALL))
        return DIRECTORY_ALL_ACCESS;
    bool const fRead = (fDesiredAccess & (GENERIC_READ | READ_CONTROL | FILE_LIST_DIRECTORY)) != 0;
    bool const fWrite = (fDesiredAccess & (GENERIC_WRITE | READ_CONTROL | FILE_ADD_FILE)) != 0;
    ACCESS_MASK fDirAccess;
    if (fWrite && !fRead)
        fDirAccess = DIRECTORY_CREATE_OBJECT | DIRECTORY_CREATE_SUBDIRECTORY;
    else if (fWrite)
        fDirAccess = DIRECTORY_QUERY | DIRECTORY_CREATE_OBJECT | DIRECTORY_CREATE_SUBDIRECTORY;
    else
        fDirAccess = DIRECTORY_QUERY;
    if (fDesiredAccess & FILE_TRAVERSE)
        fDirAccess |= DIRECTORY_TRAVERSE;
    return fDirAccess;
}

NTSTATUS rtNtPathOpenDirObj(HANDLE *phDir, const RTNTPATH *pNtName, HANDLE hRootDir, ACCESS_MASK fDesiredAccess,
                            ULONG fObjAttribs)
{
    RTNTPATH Name = *pNtName;
    if (Name.Length > sizeof(RTUTF16) && rtNtPathEndsWithSep(&Name))
        Name.Length = (USHORT)(Name.Length - sizeof(RTUTF16));
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, &Name, fObjAttribs, hRootDir, NULL);
    return NtOpenDirectoryObject(phDir, rtNtPathDirObjAccess(fDesiredAccess), &ObjAttr);
}

} // namespace

uint32_t rtNtOsMajorVersion(void)
{
    uint8_t const *pbPeb = (uint8_t const *)RT_SEAM(g_rtSeamsNt, RtlGetCurrentPeb)();
    return *(ULONG const *)(pbPeb + g_offPebOsMajorVersion);
}

int RTNtPathFromWinUtf8(RTNTPATH *pNtName, HANDLE *phRootDir, const char *pszPath)
{
    if (!RT_VALID_PTR(pNtName) || !RT_VALID_PTR(phRootDir))
        return ERR_INVALID_POINTER;
    pNtName->Buffer = NULL;
    pNtName->Length = pNtName->MaximumLength = 0;
    *phRootDir = NULL;
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;

    if (rtNtPathHasRawPrefix(pszPath))
        return rtNtPathFromRaw(pNtName, pszPath);
    if (rtNtPathIsLongForm(pszPath))
        return rtNtPathFromLongForm(pNtName, pszPath);
    return rtNtPathFromDosPath(pNtName, pszPath);
}

void RTNtPathFree(RTNTPATH *pNtName)
{
    if (!RT_VALID_PTR(pNtName))
        return;
    RTUtf16Free((RTUTF16 *)pNtName->Buffer);
    pNtName->Buffer = NULL;
    pNtName->Length = pNtName->MaximumLength = 0;
}

int RTNtPathOpen(const RTNTPATH *pNtName, HANDLE hRootDir, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                 ULONG fCreateOptions, ULONG fObjAttribs, HANDLE *phHandle, bool *pfObjDir)
{
    if (!RT_VALID_PTR(phHandle))
        return ERR_INVALID_POINTER;
    *phHandle = INVALID_HANDLE_VALUE;
    if (pfObjDir)
    {
        if (!RT_VALID_PTR(pfObjDir))
            return ERR_INVALID_POINTER;
        *pfObjDir = false;
    }
    if (!RT_VALID_PTR(pNtName) || !RT_VALID_PTR(pNtName->Buffer))
        return ERR_INVALID_POINTER;

    HANDLE hFile = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt =
        rtNtPathCreateFile(&hFile, pNtName, hRootDir, fDesiredAccess, fShareAccess, fCreateOptions, fObjAttribs);
    if (rcNt == RTNT_STATUS_INVALID_PARAMETER && pNtName->Length < 65532 && !rtNtPathEndsWithSep(pNtName))
    {
        int rc = rtNtPathCreateFileWithSep(&hFile, pNtName, hRootDir, fDesiredAccess, fShareAccess, fCreateOptions,
                                           fObjAttribs, &rcNt);
        if (RT_FAILURE(rc))
            return rc;
    }
    if (NT_SUCCESS(rcNt))
    {
        *phHandle = hFile;
        return INF_SUCCESS;
    }

    if (pfObjDir && (rcNt == RTNT_STATUS_OBJECT_NAME_INVALID || rcNt == RTNT_STATUS_OBJECT_TYPE_MISMATCH))
    {
        HANDLE hDir = NULL;
        rcNt = rtNtPathOpenDirObj(&hDir, pNtName, hRootDir, fDesiredAccess, fObjAttribs);
        if (NT_SUCCESS(rcNt))
        {
            *phHandle = hDir;
            *pfObjDir = true;
            return INF_SUCCESS;
        }
    }
    return RTErrConvertFromNtStatus(rcNt);
}

int RTNtPathOpenDir(const char *pszPath, ACCESS_MASK fDesiredAccess, ULONG fShareAccess, ULONG fCreateOptions,
                    ULONG fObjAttribs, HANDLE *phHandle, bool *pfObjDir)
{
    if (!RT_VALID_PTR(phHandle))
        return ERR_INVALID_POINTER;
    *phHandle = INVALID_HANDLE_VALUE;
    if (pfObjDir)
    {
        if (!RT_VALID_PTR(pfObjDir))
            return ERR_INVALID_POINTER;
        *pfObjDir = false;
    }
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;

    RTNTPATH NtName;
    HANDLE hRootDir;
    int rc = RTNtPathFromWinUtf8(&NtName, &hRootDir, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    bool *pfObjDirAllowed = rtNtPathHasRawPrefix(pszPath) ? pfObjDir : NULL;
    rc = RTNtPathOpen(&NtName, hRootDir, fDesiredAccess, fShareAccess, fCreateOptions, fObjAttribs, phHandle,
                      pfObjDirAllowed);
    RTNtPathFree(&NtName);
    return rc;
}

int RTNtPathClose(HANDLE hHandle)
{
    NTSTATUS rcNt = NtClose(hHandle);
    if (NT_SUCCESS(rcNt))
        return INF_SUCCESS;
    return RTErrConvertFromNtStatus(rcNt);
}
