/** @file
 * Heap allocation.
 *
 * Every allocation names its source with a tag (a source-file text) that is
 * kept for diagnostics only. Memory comes from the process heap on Windows and
 * from malloc on the host build. All functions are thread-safe.
 */
#ifndef RT_MEM_H
#define RT_MEM_H

#include <rt/types.h>

/** Default tag: the source file of the caller. */
#define RTMEM_TAG __FILE__

/** Allocates @a cb bytes (uninitialised); null on failure. cb 0 allocates a minimal block. */
void *RTMemAllocTag(size_t cb, const char *pszTag);
/** Allocates @a cb zero-filled bytes (the heap is asked for zeroed memory); null on failure. */
void *RTMemAllocZTag(size_t cb, const char *pszTag);
/**
 * Resizes @a pv to @a cbNew bytes keeping the common prefix. A null @a pv allocates.
 * On failure returns null and leaves @a pv untouched.
 */
void *RTMemReallocTag(void *pv, size_t cbNew, const char *pszTag);
/** Frees memory from the functions above; null is allowed. */
void RTMemFree(void *pv);

#endif
