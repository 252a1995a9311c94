/** @file
 * Internal interfaces between the "%R" dispatcher and the files that render
 * its families, plus the small stack buffer they assemble items in.
 */
#ifndef RT_INTERNAL_STRFORMATRT_H
#define RT_INTERNAL_STRFORMATRT_H

#include "internal/strformat.h"

/** Everything a "%R" family renderer needs besides the format position. */
typedef struct RTSTRFMTRT
{
    PFNRTSTROUTPUT pfnOutput;
    void *pvArgOutput;
    va_list *pArgs;   /**< Arguments; renderers take theirs from here. */
    int cchWidth;     /**< Field width, 0 when none. */
    int cchPrecision; /**< Precision; meaningful only with RTFMT_F_PRECISION. */
    unsigned fFlags;  /**< RTFMT_F_* of the conversion. */
} RTSTRFMTRT;

/**
 * One converted item assembled on the stack. Appends that do not fit are
 * dropped (callers size their items to fit), so the text never overruns.
 */
typedef struct RTSTRFMTBUF
{
    size_t cch;
    char ach[RTSTR_NUMBER_BUF_SIZE];
} RTSTRFMTBUF;

/** Appends one character. */
void rtstrFmtBufAddCh(RTSTRFMTBUF *pBuf, char ch);
/** Appends a NUL-terminated string. */
void rtstrFmtBufAddStr(RTSTRFMTBUF *pBuf, const char *psz);
/** Appends a number formatted by RTStrFmtNumber. */
void rtstrFmtBufAddNum(RTSTRFMTBUF *pBuf, uint64_t uValue, unsigned uiBase, int cchWidth, unsigned fFlags);
/** Outputs the buffer padded to the conversion's width and returns the bytes written. */
size_t rtstrFmtBufOutputPadded(const RTSTRFMTRT *pCtx, const RTSTRFMTBUF *pBuf);

/** Length of @a pszForm when the format text @a psz starts with it, else 0. */
size_t rtstrFmtMatchForm(const char *psz, const char *pszForm);

/**
 * True when @a cb bytes at @a pv may be read: the first and the last byte lie
 * outside the first and the last 4 KiB of the address space and the range does
 * not wrap around. A length of 0 needs only a valid start.
 */
bool rtstrFmtIsReadable(const void *pv, size_t cb);

/** @name Family renderers
 * Each is called with *ppszFormat at its family letter, advances it past the
 * conversion, takes its arguments and returns the bytes written. A form it
 * does not know outputs nothing and consumes only the family letter.
 * @{ */
size_t rtstrFormatRtBaseName(const RTSTRFMTRT *pCtx, const char **ppszFormat);     /* b */
size_t rtstrFormatRtFunctionName(const RTSTRFMTRT *pCtx, const char **ppszFormat); /* f */
size_t rtstrFormatRtXmlEscaped(const RTSTRFMTRT *pCtx, const char **ppszFormat);   /* M */
size_t rtstrFormatRtHexDump(const RTSTRFMTRT *pCtx, const char **ppszFormat);      /* h */
size_t rtstrFormatRtRegister(const RTSTRFMTRT *pCtx, const char **ppszFormat);     /* A */
size_t rtstrFormatRtCustomType(const RTSTRFMTRT *pCtx, const char **ppszFormat);   /* [ */
size_t rtstrFormatRtStatus(const RTSTRFMTRT *pCtx, const char **ppszFormat);       /* r */
size_t rtstrFormatRtWinError(const RTSTRFMTRT *pCtx, const char **ppszFormat);     /* w */
/** @} */

/** @name Network kinds of the named types
 * Each renders one already fetched argument padded to the conversion's width.
 * @{ */
size_t rtstrFormatRtIPv4(const RTSTRFMTRT *pCtx, uint32_t u32Addr);
size_t rtstrFormatRtIPv6(const RTSTRFMTRT *pCtx, const void *pvAddr);
size_t rtstrFormatRtMac(const RTSTRFMTRT *pCtx, const void *pvMac);
size_t rtstrFormatRtNetAddr(const RTSTRFMTRT *pCtx, const void *pvNetAddr);
/** @} */

/** Renders an error-info record ("%RTeic" with @a fWithStatus, else "%RTeim"),
 * padded to the conversion's width. */
size_t rtstrFormatRtErrInfo(const RTSTRFMTRT *pCtx, const void *pvErrInfo, bool fWithStatus);

#endif
