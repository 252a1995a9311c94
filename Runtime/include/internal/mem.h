/** @file
 * Internals of the heap allocation: the system calls behind RTMemAllocTag,
 * RTMemAllocZTag and RTMemReallocTag, replaceable by tests so that they can
 * reach the out-of-memory paths.
 */
#ifndef RT_INTERNAL_MEM_H
#define RT_INTERNAL_MEM_H

#include <rt/types.h>
#include "internal/seam.h"

#ifdef RT_WITH_SEAMS
/* The allocators of the two builds make different calls, so each has its own table. */
#ifdef RT_OS_WINDOWS
#include <windows.h>

/** The calls of the Windows allocators that tests may replace (see internal/seam.h). */
typedef struct RTSEAMSMEM
{
    decltype(&HeapAlloc) pfnHeapAlloc;
    decltype(&HeapReAlloc) pfnHeapReAlloc;
} RTSEAMSMEM;
#else
#include <stdlib.h>

/** The calls of the host allocators that tests may replace (see internal/seam.h). */
typedef struct RTSEAMSMEM
{
    decltype(&malloc) pfnmalloc;
    decltype(&calloc) pfncalloc;
    decltype(&realloc) pfnrealloc;
} RTSEAMSMEM;
#endif
#endif

#endif
