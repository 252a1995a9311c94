/** @file
 * Internal interfaces between the formatter engine and its conversion families.
 */
#ifndef RT_INTERNAL_STRFORMAT_H
#define RT_INTERNAL_STRFORMAT_H

#include <rt/string.h>

/**
 * Formats one "%R" conversion. On entry *ppszFormat points at the character
 * after "R"; on return it points after the conversion's last character. Takes
 * its arguments from *pArgs. An unknown family or type name outputs nothing.
 * @returns the bytes written through pfnOutput.
 */
size_t rtstrFormatRt(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs, int cchWidth,
                     int cchPrecision, unsigned fFlags, char chArgSize);

/**
 * Writes @a cch bytes of @a pach padded with spaces to @a cchWidth: on the left,
 * or on the right with RTFMT_F_LEFT. Returns the bytes written.
 */
size_t rtstrFormatPadded(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *pach, size_t cch, int cchWidth,
                         unsigned fFlags);

/**
 * Writes the text for a pointer that must not be read: "<NULL>" for null, else
 * "<" + the pointer in at least 8 zero-padded hexadecimal digits + @a pszMarker
 * + ">" (the marker is e.g. "!BadStr"), padded to @a cchWidth like text.
 * @returns the bytes written.
 */
size_t rtstrFormatBadPointer(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const void *pv, int cchWidth, unsigned fFlags,
                             const char *pszMarker);

#endif
