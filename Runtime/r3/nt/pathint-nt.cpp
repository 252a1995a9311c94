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
#include "internal/ntpathtext.h"

namespace
{

/** Where the process environment block keeps OSMajorVersion. */
#ifdef _WIN64
const size_t g_offPebOsMajorVersion = 0x118;
#else
const size_t g_offPebOsMajorVersion = 0xA4;
#endif

/** Hands @a pwsz of @a cwc units over to @a pNtName. */
void rtNtPathAdopt(RTNTPATH *pNtName, RTUTF16 *pwsz, size_t cwc)
{
    pNtName->Buffer = (PWSTR)pwsz;
    pNtName->Length = (USHORT)(cwc * sizeof(RTUTF16));
    pNtName->MaximumLength = (USHORT)(cwc * sizeof(RTUTF16) + sizeof(RTUTF16));
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

    RTNTPATHTEXT Text;
    rtNtPathTextInit(&Text);
    int rc = rtNtPathTextFromWin(&Text, pszPath, rtNtOsMajorVersion());
    if (RT_SUCCESS(rc))
    {
        RTUTF16 *pwsz;
        size_t cwc;
        rc = rtNtPathTextToUtf16(Text.psz, &pwsz, &cwc);
        if (RT_SUCCESS(rc))
            rtNtPathAdopt(pNtName, pwsz, cwc);
    }
    rtNtPathTextFree(&Text);
    return rc;
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
