/** @file
 * The loader's module record, its operations table, and what the portable
 * part of the loader asks of the OS part (rtldrNativeLoadSystem,
 * rtldrNativeLoad, g_rtldrNativeOps).
 */
#ifndef RT_INTERNAL_LDR_H
#define RT_INTERNAL_LDR_H

#include <rt/ldr.h>

/** RTLDRMODINTERNAL::u32Magic of an open module; a closed one holds this plus one. */
#define RTLDRMOD_MAGIC UINT32_C(0x19531118)

/** Life of a module record. */
typedef enum RTLDRSTATE
{
    RTLDRSTATE_INVALID = 0, /**< Closed (or never opened). */
    RTLDRSTATE_OPENED = 3   /**< Open and usable. */
} RTLDRSTATE;

/** Kinds of image the loader knows; only the system's own loader here. */
typedef enum RTLDRFMT
{
    RTLDRFMT_INVALID = 0,
    RTLDRFMT_NATIVE = 1
} RTLDRFMT;

/** What the image is: a shared library. */
#define RTLDRTYPE_SHARED_LIBRARY 6
/** Byte order of the image: little endian. */
#define RTLDRENDIAN_LITTLE 1
/** Architecture the record reports: the host's own. */
#define RTLDRARCH_HOST 4

/** Name RTLDROPS::pszName of the native operations. */
#define RTLDROPS_NATIVE_NAME "native"
/** RTLDROPS::u32EndMarker: proves the table has the layout the loader expects. */
#define RTLDROPS_END_MARKER UINT32_C(42)
/** Number of optional operations no loader here provides, besides RTLDROPS::pfnGetSymbolEx. */
#define RTLDROPS_RESERVED_COUNT 15

typedef struct RTLDRMODINTERNAL RTLDRMODINTERNAL;
typedef RTLDRMODINTERNAL *PRTLDRMODINTERNAL;

/** Releases the image behind @a pMod and sets its native handle to NIL_RTLDRMOD_NATIVE. */
typedef int FNRTLDRCLOSE(PRTLDRMODINTERNAL pMod);
/** Looks up @a pszSymbol; on failure stores null in @a *ppvValue. */
typedef int FNRTLDRGETSYMBOL(PRTLDRMODINTERNAL pMod, const char *pszSymbol, void **ppvValue);
/** Releases what an image keeps only while it is being worked on. */
typedef int FNRTLDRDONE(PRTLDRMODINTERNAL pMod);
/** Calls back for every export; @a pvUser is handed through. */
typedef int FNRTLDRENUMSYMBOLS(PRTLDRMODINTERNAL pMod, void *pvUser);
/** Looks up @a pszSymbol, or the export @a iOrdinal when the name is null. */
typedef int FNRTLDRGETSYMBOLEX(PRTLDRMODINTERNAL pMod, const char *pszSymbol, uint32_t iOrdinal, void **ppvValue);

/** The operations of one kind of image. */
typedef struct RTLDROPS
{
    const char *pszName;                                 /**< Kind of image ("native"). */
    FNRTLDRCLOSE *pfnClose;                              /**< Always present. */
    FNRTLDRGETSYMBOL *pfnGetSymbol;                      /**< Null when only pfnGetSymbolEx exists. */
    FNRTLDRDONE *pfnDone;                                /**< Always present. */
    FNRTLDRENUMSYMBOLS *pfnEnumSymbols;                  /**< Always present. */
    FNRTLDRGETSYMBOLEX *pfnGetSymbolEx;                  /**< Optional. */
    void (*apfnReserved[RTLDROPS_RESERVED_COUNT])(void); /**< Optional operations no image here has. */
    uint32_t u32EndMarker;                               /**< RTLDROPS_END_MARKER. */
} RTLDROPS;

/** The record behind an RTLDRMOD. */
struct RTLDRMODINTERNAL
{
    uint32_t u32Magic;    /**< RTLDRMOD_MAGIC while open. */
    RTLDRSTATE enmState;  /**< RTLDRSTATE_OPENED while open. */
    const RTLDROPS *pOps; /**< How to work on the image. */
    void *pReader;        /**< Where an image is read from; null for the system's loader. */
    RTLDRFMT enmFormat;   /**< RTLDRFMT_NATIVE. */
    uint32_t enmType;     /**< RTLDRTYPE_SHARED_LIBRARY. */
    uint32_t enmEndian;   /**< RTLDRENDIAN_LITTLE. */
    uint32_t enmArch;     /**< RTLDRARCH_HOST. */
    uintptr_t hNative;    /**< The system's handle; NIL_RTLDRMOD_NATIVE until loaded and after close. */
    uint32_t fFlags;      /**< RTLDRLOAD_F_XXX the module was opened with. */
};

/** Whether @a hLdrMod points at an open module record. */
bool rtldrIsValidModule(RTLDRMOD hLdrMod);

/** Validates a bare system library name as RTLdrOpenSystemLibraryEx does:
 * INF_SUCCESS or ERR_INVALID_PARAMETER. */
int rtldrCheckSystemLibraryName(const char *pszName);

/*
 * Provided by the OS part.
 */

/** The operations of libraries the system's loader loaded. */
extern const RTLDROPS g_rtldrNativeOps;

/**
 * Loads the system library @a pszName (checked already) with @a pszExt (null
 * for none) appended, from the system directory only. On success @a *phLdrMod
 * is the new module; otherwise it is left untouched.
 * @returns INF_SUCCESS; ERR_FILENAME_TOO_LONG; ERR_MODULE_NOT_FOUND; path and
 *          conversion statuses; what RTLdrOpenFile returns.
 */
int rtldrNativeLoadSystem(const char *pszName, const char *pszExt, uint32_t fFlags, PRTLDRMOD phLdrMod);

/**
 * Lets the system's loader load the library at @a pszPath (checked already)
 * with @a fFlags; the system's handle goes to @a *phNative.
 * @returns INF_SUCCESS or a status, explained in @a pErrInfo when given.
 */
int rtldrNativeLoad(const char *pszPath, uintptr_t *phNative, uint32_t fFlags, RTERRINFO *pErrInfo);

/*
 * Side-by-side redirection.
 */

/**
 * Whether the side-by-side redirection's answer @a pwszResult (@a cwcResult
 * units, not necessarily terminated) lies in the Windows directory tree of
 * the system directory @a pwszSystemDir (terminated).
 *
 * Both are walked from the start while they agree ('\' and '/' equal, ASCII
 * letters without case, everything else exactly); the answer is inside when
 * the agreeing part passes at least two runs of separators after the first
 * position ("C:\Windows\"). An answer with a ".." component is never inside,
 * however it starts.
 */
bool rtldrIsRedirectionInWindowsTree(const RTUTF16 *pwszResult, size_t cwcResult, const RTUTF16 *pwszSystemDir);

#endif
