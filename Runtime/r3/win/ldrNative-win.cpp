/** @file
 * System libraries on Windows: loading from the system directory (or where the
 * side-by-side redirection sends a name inside the Windows directory tree),
 * loading by path, and the operations of natively loaded modules.
 */
#include <windows.h>
#include <winternl.h>
#include <rt/err.h>
#include <rt/file.h>
#include <rt/mem.h>
#include <rt/path.h>
#include <rt/pathinfo.h>
#include <rt/string.h>
#include <rt/utf16.h>
#include "internal/fatal.h"
#include "internal/initterm.h"
#include "internal/ldr.h"
#include "internal/ldr-win.h"

namespace
{

typedef NTSTATUS(NTAPI *PFNRTLDOSAPPLYFILEISOLATIONREDIRECTIONUSTR)(ULONG fFlags, UNICODE_STRING *pOriginalName,
                                                                    UNICODE_STRING *pExtension,
                                                                    UNICODE_STRING *pStaticString,
                                                                    UNICODE_STRING *pDynamicString,
                                                                    UNICODE_STRING **ppNewName, ULONG *pfNewFlags,
                                                                    SIZE_T *pcbFileName, SIZE_T *pcbRequired);

/** Flag of the redirection look-up: the name is a DLL name. */
const ULONG g_fRedirectionDllName = 1;
/** Units of the system directory buffer (MAX_PATH). */
const UINT g_cwcSystemDir = MAX_PATH;
/** The longest name handed to the redirection look-up, in UTF-16 units. */
const size_t g_cwcRedirectionNameMax = MAX_PATH;
/** Size of the caller's buffer for the redirection's answer, in bytes. */
const USHORT g_cbRedirectionStatic = 518;

/** Dependencies of a library loaded with RTLDRLOAD_F_SEARCH_DLL_DIRS come only
 * from its own directory, the application directory and the system directory. */
const DWORD g_fLoadSearchDllDirs =
    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;

/** Whether LoadLibraryExW takes g_fLoadSearchDllDirs: 0 not known yet, 1 yes, -1 no
 * (older systems refuse the flags with ERROR_INVALID_PARAMETER). */
int volatile g_iSearchDllDirsSupported = 0;

/** RtlDosApplyFileIsolationRedirection_Ustr, looked up once; it may be absent. */
PFNRTLDOSAPPLYFILEISOLATIONREDIRECTIONUSTR volatile g_pfnApplyRedirection = NULL;
bool volatile g_fApplyRedirectionLookedUp = false;

PFNRTLDOSAPPLYFILEISOLATIONREDIRECTIONUSTR rtldrFindApplyRedirection(void)
{
    if (!g_fApplyRedirectionLookedUp)
    {
        /* Racing threads find and store the same address. */
        g_pfnApplyRedirection = (PFNRTLDOSAPPLYFILEISOLATIONREDIRECTIONUSTR)(void *)RT_SEAM(
            g_rtSeamsLdr, GetProcAddress)(g_hModNtDll, "RtlDosApplyFileIsolationRedirection_Ustr");
        g_fApplyRedirectionLookedUp = true;
    }
    return g_pfnApplyRedirection;
}

void rtldrInitUnicodeString(UNICODE_STRING *pStr, PWSTR pwsz, size_t cwc, size_t cbMax)
{
    pStr->Buffer = pwsz;
    pStr->Length = (USHORT)(cwc * sizeof(RTUTF16));
    pStr->MaximumLength = (USHORT)cbMax;
}

/**
 * Asks the side-by-side redirection where @a pszName lives and, when the answer
 * lies in the Windows directory tree of @a pwszSystemDir, puts it in @a pszPath.
 * False when there is no redirection, no acceptable answer, or any failure.
 */
bool rtldrTryRedirection(const char *pszName, const RTUTF16 *pwszSystemDir, char *pszPath, size_t cbPath)
{
    PFNRTLDOSAPPLYFILEISOLATIONREDIRECTIONUSTR const pfnApply = rtldrFindApplyRedirection();
    if (!pfnApply)
        return false;

    RTUTF16 wszName[g_cwcRedirectionNameMax + 1];
    RTUTF16 *pwszName = wszName;
    size_t cwcName = 0;
    if (RT_FAILURE(RTStrToUtf16Ex(pszName, RTSTR_MAX, &pwszName, RT_ELEMENTS(wszName), &cwcName, RTMEM_TAG)))
        return false;

    static WCHAR s_wszDefaultExt[] = L".dll";
    UNICODE_STRING Name, DefaultExt, StaticString, DynamicString;
    rtldrInitUnicodeString(&Name, (PWSTR)wszName, cwcName, sizeof(wszName));
    rtldrInitUnicodeString(&DefaultExt, s_wszDefaultExt, RT_ELEMENTS(s_wszDefaultExt) - 1, sizeof(s_wszDefaultExt));
    WCHAR wszStatic[g_cbRedirectionStatic / sizeof(WCHAR)];
    rtldrInitUnicodeString(&StaticString, wszStatic, 0, g_cbRedirectionStatic);
    rtldrInitUnicodeString(&DynamicString, NULL, 0, 0);
    UNICODE_STRING *pResult = NULL;

    bool fTaken = false;
    NTSTATUS const rcNt =
        pfnApply(g_fRedirectionDllName, &Name, &DefaultExt, &StaticString, &DynamicString, &pResult, NULL, NULL, NULL);
    if (NT_SUCCESS(rcNt) && pResult && pResult->Buffer)
    {
        size_t const cwcResult = pResult->Length / sizeof(RTUTF16);
        if (rtldrIsRedirectionInWindowsTree((const RTUTF16 *)pResult->Buffer, cwcResult, pwszSystemDir))
            fTaken = RT_SUCCESS(
                RTUtf16ToUtf8Ex((const RTUTF16 *)pResult->Buffer, cwcResult, &pszPath, cbPath, NULL, RTMEM_TAG));
    }
    RtlFreeUnicodeString(&DynamicString);
    return fTaken;
}

/** The system directory's path with @a pszName and then @a pszExt (when given) appended. */
int rtldrBuildSystemPath(const RTUTF16 *pwszSystemDir, const char *pszName, const char *pszExt, char *pszPath,
                         size_t cbPath)
{
    int rc = RTUtf16ToUtf8Ex(pwszSystemDir, RTSTR_MAX, &pszPath, cbPath, NULL, RTMEM_TAG);
    if (RT_SUCCESS(rc))
        rc = RTPathAppend(pszPath, cbPath, pszName);
    if (RT_SUCCESS(rc) && pszExt)
        rc = RTStrCat(pszPath, cbPath, pszExt);
    return rc;
}

bool rtldrIsRegularFile(const char *pszPath)
{
    RTOBJINFO ObjInfo;
    int const rc =
        RT_SEAM(g_rtSeamsLdr, RTPathQueryInfoEx)(pszPath, &ObjInfo, RTOBJINFOADD_NOTHING, RTPATH_F_FOLLOW_LINK);
    return RT_SUCCESS(rc) && (ObjInfo.fMode & RTFS_TYPE_MASK) == RTFS_TYPE_FILE;
}

/** @a pszPath in UTF-16 with '\' separators, with ".DLL" added unless it has a suffix or @a fNoSuffix. */
int rtldrConvertLoadPath(const char *pszPath, bool fNoSuffix, RTUTF16 **ppwszPath)
{
    static const RTUTF16 s_wszDllExt[] = {'.', 'D', 'L', 'L', '\0'};
    size_t const cwcExt = RT_ELEMENTS(s_wszDllExt) - 1;
    bool const fAddExt = !fNoSuffix && !RTPathHasSuffix(pszPath);
    int rc;
    size_t cwc = 0;
    if (fAddExt)
    {
        rc = RTStrUtf16Count(pszPath, RTSTR_MAX, &cwc);
        if (RT_SUCCESS(rc))
        {
            *ppwszPath = NULL;
            rc = RTStrToUtf16Ex(pszPath, RTSTR_MAX, ppwszPath, cwc + cwcExt + 1, &cwc, RTMEM_TAG);
        }
        if (RT_SUCCESS(rc))
            for (size_t i = 0; i <= cwcExt; i++)
                (*ppwszPath)[cwc + i] = s_wszDllExt[i];
    }
    else
        rc = RTStrToUtf16(pszPath, ppwszPath, RTMEM_TAG);
    if (RT_FAILURE(rc))
        return rc;
    for (RTUTF16 *pwc = *ppwszPath; *pwc; pwc++)
        if (*pwc == '/')
            *pwc = '\\';
    return INF_SUCCESS;
}

/** LoadLibraryExW with the restricted dependency search where it is wanted and supported. */
HMODULE rtldrLoadLibrary(const RTUTF16 *pwszPath, uint32_t fFlags)
{
    LPCWSTR const pwsz = (LPCWSTR)pwszPath;
    if (!(fFlags & RTLDRLOAD_F_SEARCH_DLL_DIRS) || g_iSearchDllDirsSupported == -1)
        return RT_SEAM(g_rtSeamsLdr, LoadLibraryExW)(pwsz, NULL, 0);

    HMODULE hMod = RT_SEAM(g_rtSeamsLdr, LoadLibraryExW)(pwsz, NULL, g_fLoadSearchDllDirs);
    if (g_iSearchDllDirsSupported == 0)
    {
        /* Only the first answer decides; racing threads reach the same one. */
        if (!hMod && GetLastError() == ERROR_INVALID_PARAMETER)
        {
            g_iSearchDllDirsSupported = -1;
            hMod = RT_SEAM(g_rtSeamsLdr, LoadLibraryExW)(pwsz, NULL, 0);
        }
        else
            g_iSearchDllDirsSupported = 1;
    }
    return hMod;
}

/*
 * Operations of natively loaded modules.
 */

int rtldrNativeClose(PRTLDRMODINTERNAL pMod)
{
    int rc = INF_SUCCESS;
    if (!(pMod->fFlags & RTLDRLOAD_F_NO_UNLOAD) && !RT_SEAM(g_rtSeamsLdr, FreeLibrary)((HMODULE)pMod->hNative))
        rc = RTErrConvertFromWinError(GetLastError());
    pMod->hNative = NIL_RTLDRMOD_NATIVE;
    return rc;
}

int rtldrNativeGetSymbol(PRTLDRMODINTERNAL pMod, const char *pszSymbol, void **ppvValue)
{
    FARPROC const pfn = RT_SEAM(g_rtSeamsLdr, GetProcAddress)((HMODULE)pMod->hNative, pszSymbol);
    if (!pfn)
    {
        *ppvValue = NULL;
        return RTErrConvertFromWinError(GetLastError());
    }
    *ppvValue = (void *)pfn;
    return INF_SUCCESS;
}

int rtldrNativeDone(PRTLDRMODINTERNAL pMod)
{
    (void)pMod;
    return INF_SUCCESS;
}

int rtldrNativeEnumSymbols(PRTLDRMODINTERNAL pMod, void *pvUser)
{
    (void)pMod;
    (void)pvUser;
    return ERR_REQUEST_NOT_SUPPORTED;
}

} // namespace

const RTLDROPS g_rtldrNativeOps = {
    RTLDROPS_NATIVE_NAME, rtldrNativeClose, rtldrNativeGetSymbol, rtldrNativeDone, rtldrNativeEnumSymbols, NULL, {},
    RTLDROPS_END_MARKER,
};

int rtldrNativeLoadSystem(const char *pszName, const char *pszExt, uint32_t fFlags, PRTLDRMOD phLdrMod)
{
    if (!g_hModKernel32)
        rtFatalStop("rtldrNativeLoadSystem(%s,,) is called before SOLT has configured the windows loader!\n", pszName);

    RTUTF16 wszSystemDir[g_cwcSystemDir];
    UINT const cwcSystemDir = RT_SEAM(g_rtSeamsLdr, GetSystemDirectoryW)((LPWSTR)wszSystemDir, g_cwcSystemDir);
    if (cwcSystemDir >= g_cwcSystemDir)
        return ERR_FILENAME_TOO_LONG;
    /* Without the directory the name would be looked for relative to the current one. */
    if (cwcSystemDir == 0)
        return RTErrConvertFromWinError(GetLastError());

    char szPath[RTPATH_MAX];
    if (!rtldrTryRedirection(pszName, wszSystemDir, szPath, sizeof(szPath)))
    {
        int const rc = rtldrBuildSystemPath(wszSystemDir, pszName, pszExt, szPath, sizeof(szPath));
        if (RT_FAILURE(rc))
            return rc;
    }
    if (!rtldrIsRegularFile(szPath))
        return ERR_MODULE_NOT_FOUND;
    return RTLdrOpenFile(szPath, phLdrMod, fFlags, NULL);
}

int rtldrNativeLoad(const char *pszPath, uintptr_t *phNative, uint32_t fFlags, RTERRINFO *pErrInfo)
{
    if (fFlags & RTLDRLOAD_F_LOCAL)
        return ERR_INVALID_FLAGS;
    /* A relative path would let the system search for it. */
    if (!RTPathStartsWithRoot(pszPath))
        return ERR_INTERNAL_ERROR_2;
    if (!g_hModKernel32)
        rtFatalStop("rtldrNativeLoad(%s,,) is called before SOLT has configured the windows loader!\n", pszPath);

    RTUTF16 *pwszPath = NULL;
    int rc = rtldrConvertLoadPath(pszPath, (fFlags & RTLDRLOAD_F_NO_SUFFIX) != 0, &pwszPath);
    if (RT_FAILURE(rc))
        return RTErrInfoSet(pErrInfo, rc, "Error converting UTF-8 to UTF-16 string.");

    HMODULE const hMod = rtldrLoadLibrary(pwszPath, fFlags);
    DWORD const uLastError = hMod ? NO_ERROR : GetLastError();
    RTUtf16Free(pwszPath);
    if (!hMod)
    {
        rc = RTErrConvertFromWinError(uLastError);
        return RTErrInfoSetF(pErrInfo, rc, "GetLastError=%u", (unsigned)uLastError);
    }
    *phNative = (uintptr_t)hMod;
    return INF_SUCCESS;
}

#ifdef RT_WITH_SEAMS
void rtLdrSeamsForget(void)
{
    g_iSearchDllDirsSupported = 0;
    g_pfnApplyRedirection = NULL;
    g_fApplyRedirectionLookedUp = false;
}
#endif
