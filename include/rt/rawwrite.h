/** @file
 * Raw writers: text straight onto the standard error handle, without
 * buffering, formatting, conversion or allocation, for use before the runtime
 * is initialised and where nothing else can be trusted. Failures are ignored:
 * there is nowhere left to report them. Nothing is translated: line ends are
 * written as the caller gives them.
 */
#ifndef RT_RAWWRITE_H
#define RT_RAWWRITE_H

#include <rt/types.h>

/** Writes @a cch bytes of @a pch. */
void RTRawWrite(const char *pch, size_t cch);
/** Writes the string @a psz; a pointer in the first or last 4 KiB of the address
 * space is written as "<pszString=" + 8 hexadecimal digits + ">" instead. */
void RTRawWriteStr(const char *psz);
/** Writes @a uValue as 8 zero-padded hexadecimal digits, no prefix ("0000002a"). */
void RTRawWriteHex(size_t uValue);
/** Writes @a uValue as "0x" and its hexadecimal digits ("0x2a"). */
void RTRawWriteHexPrefixed(size_t uValue);
/** Writes @a uValue in unsigned decimal, then " (", the "0x"-prefixed hexadecimal and ")" ("42 (0x2a)"). */
void RTRawWriteDecHex(size_t uValue);
/** Writes @a cch bytes of @a pch, the status @a rc in signed decimal and "\r\n". */
void RTRawWriteMsgStatus(const char *pch, size_t cch, int rc);

#endif
