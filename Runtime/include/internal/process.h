/** @file
 * The executable-path store: the full path of the running executable, filled
 * once during start-up and read by whoever needs the program's name.
 */
#ifndef RT_INTERNAL_PROCESS_H
#define RT_INTERNAL_PROCESS_H

#include <rt/types.h>

/** Size of the executable-path buffer in bytes, terminator included. */
#define RTPROC_EXE_PATH_SIZE 4100

/** The executable's full path, UTF-8, NUL-terminated; empty until recorded. */
extern char g_szrtProcExePath[RTPROC_EXE_PATH_SIZE];
/** Length of g_szrtProcExePath in bytes; 0 until recorded. */
extern size_t g_cchrtProcExePath;
/** Length of the directory part, without the separator before the file name. */
extern size_t g_cchrtProcDir;
/** Offset of the file name within g_szrtProcExePath; 0 until recorded. */
extern size_t g_offrtProcName;

/**
 * The executable's file name ("setup.exe"), or null while the path is not
 * recorded (or the store is inconsistent: offset 0 or past the path).
 */
const char *rtProcGetExeName(void);

/** The size limit start-up passes to rtProcInitExePath. */
#define RTPROC_EXE_PATH_LIMIT 4068

/**
 * Writes the running executable's full path, UTF-8 and terminated, to
 * @a pszPath of @a cbPath bytes; start-up passes the store and
 * RTPROC_EXE_PATH_LIMIT. ERR_BUFFER_OVERFLOW when it does not fit,
 * ERR_FILENAME_TOO_LONG when the system's answer was cut short, the system's
 * error or a conversion error otherwise.
 */
int rtProcInitExePath(char *pszPath, size_t cbPath);

/**
 * Measures the path in g_szrtProcExePath as RTPathParseSimple does and records
 * its length, directory length and file-name offset (0 when it has no name).
 * Start-up calls it once the path is in the store.
 */
void rtProcMeasureExePath(void);

#ifdef RT_WITH_SEAMS
#include <rt/mem.h>
#include "internal/seam.h"

/** Test seams of the exit handlers: the allocation of a block of slots. */
typedef struct RTSEAMSATEXIT
{
    decltype(&RTMemAllocZTag) pfnRTMemAllocZTag;
} RTSEAMSATEXIT;
/** Drops every registered exit handler without running it, and the blocks that held them. */
void rtAtExitSeamsForget(void);
#endif

#endif
