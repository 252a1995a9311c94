/** @file
 * Internals of the directory code: the open-directory record, the split
 * between its portable part and the native open, and the test seams.
 */
#ifndef RT_INTERNAL_DIR_H
#define RT_INTERNAL_DIR_H

#include <rt/dir.h>
#include "internal/seam.h"

typedef struct RTDIRINTERNAL RTDIRINTERNAL;

/** Tells whether an entry name (UTF-8) passes the directory's filter. */
typedef bool FNRTDIRFILTER(RTDIRINTERNAL const *pDir, const char *pszName);
typedef FNRTDIRFILTER *PFNRTDIRFILTER;

/**
 * The open-directory record. It is allocated in one block with the folded
 * filter, the filter text and the path behind it.
 */
struct RTDIRINTERNAL
{
    /** RTDIR_MAGIC while open, RTDIR_MAGIC_DEAD once closed. */
    uint32_t u32Magic;
    /** RTDIRFILTER_NONE or RTDIRFILTER_WINNT. */
    RTDIRFILTER enmFilter;
    /** The matcher for entry names; null without a filter. */
    PFNRTDIRFILTER pfnFilter;
    /** The filter as upper-case code points (terminated by 0), or null. */
    RTUNICP *puszFilter;
    /** Number of code points in puszFilter. */
    size_t cucFilter;
    /** The filter text, or null. */
    char *pszFilter;
    /** Its length in bytes. */
    size_t cchFilter;
    /** The directory's path, ending with a separator (absolute unless RTDIR_F_NO_ABS_PATH). */
    char *pszPath;
    /** Its length in bytes. */
    size_t cchPath;
    /** The RTDIR_F_XXX flags of the open. */
    uint32_t fFlags;
    /** Whether the path as passed ended with a separator. */
    bool fDirSlash;
    /** The native handle, (void *)-1 when there is none. */
    void *hDir;
    /** Whether hDir is an object directory of the native namespace rather than a file-system directory. */
    bool fIsObjDir;
};

/** The native handle value meaning "none". */
#define RTDIR_NIL_NATIVE ((void *)~(uintptr_t)0)

/**
 * Opens the directory of a prepared record (pDir->pszPath, pDir->fFlags,
 * pDir->fDirSlash) natively and stores the handle in pDir->hDir and the
 * object-directory flag in pDir->fIsObjDir.
 */
int rtDirNativeOpen(RTDIRINTERNAL *pDir);

/** Closes the native handle of @a pDir (when it has one); the status is informational. */
int rtDirNativeClose(RTDIRINTERNAL *pDir);

/** Upper-case folding of one code point, as file names compare on this system. */
RTUNICP rtDirFoldUpper(RTUNICP uc);

#ifdef RT_WITH_SEAMS
#include <rt/rand.h>

/** The calls of the directory code that tests may replace (see internal/seam.h):
 * the random draws and the creation of RTDirCreateTemp. */
typedef struct RTSEAMSDIR
{
    decltype(&RTRandU32Ex) pfnRTRandU32Ex;
    decltype(&RTDirCreate) pfnRTDirCreate;
} RTSEAMSDIR;

/** Forgets the remembered answer of RTDirOpenFiltered about FILE_OPEN_REPARSE_POINT. */
void rtDirSeamsForget(void);
#endif

#endif
