/** @file
 * Host build only: writing a whole buffer to a file descriptor.
 */
#ifndef RT_INTERNAL_WRITE_ALL_HOST_H
#define RT_INTERNAL_WRITE_ALL_HOST_H

#include <rt/types.h>

/**
 * Writes @a cch bytes of @a pch to the descriptor @a fd, again and again until
 * all are written: a short write goes on with the rest and a write that a
 * signal interrupted (EINTR) is repeated. Stops at the first other failure or
 * at a write of nothing, leaving the rest unwritten; the callers are error
 * and console output, which have nobody left to report that to.
 */
void rtHostWriteAll(int fd, const char *pch, size_t cch);

#endif
