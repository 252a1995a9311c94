/** @file
 * Splitting a command line into an argument vector.
 *
 * Two quoting styles are understood:
 *
 * - RTARGV_STYLE_MSCRT, the rules Windows programs apply to their command line:
 *   '"' toggles quoting and is dropped; inside quotes a doubled '"' gives one
 *   literal '"' and stays inside; a run of n backslashes followed by '"' gives
 *   n/2 backslashes and, when n is odd, a literal '"'; backslashes not
 *   followed by '"' are kept as they are. The first argument (the program
 *   path) follows the same rules as all others.
 * - RTARGV_STYLE_SHELL, Bourne shell quoting: '...' is literal; "..." is
 *   literal except that '\' before '"', '\', '`', '$' or a line feed gives that
 *   character alone (before anything else the '\' is kept); outside quotes '\'
 *   takes the next character literally and is dropped (at the end of the line
 *   it is simply dropped). An unterminated quote runs to the end of the line.
 *
 * In both styles arguments are separated by runs of separator characters
 * outside quotes; leading and trailing separators never produce an empty
 * argument, while an empty pair of quotes does. The quoting characters of the
 * style take precedence over a separator set that contains them. The line must
 * be valid UTF-8: non-ASCII characters (and separators) are matched by code
 * point and copied unchanged; a malformed character fails the split with the
 * decoder's status.
 */
#ifndef RT_GETOPTARGV_H
#define RT_GETOPTARGV_H

#include <rt/types.h>

/** @name Flags of RTGetOptArgvSplit
 * @{ */
/** Style mask: the low two bits select the quoting style. */
#define RTARGV_STYLE_MASK UINT32_C(0x00000003)
/** Microsoft C runtime style quoting. */
#define RTARGV_STYLE_MSCRT UINT32_C(0x00000000)
/** Bourne shell style quoting. */
#define RTARGV_STYLE_SHELL UINT32_C(0x00000001)
/** Write the arguments into the command line itself instead of a fresh copy. */
#define RTARGV_IN_PLACE UINT32_C(0x00000004)
/** @} */

/** The separators used when none are given: space, tab, line feed, carriage return. */
#define RTARGV_DEFAULT_SEPARATORS " \t\n\r"

/**
 * Splits @a pszCmdLine into arguments.
 *
 * @returns INF_SUCCESS, or on failure:
 *          ERR_INVALID_POINTER for an invalid @a ppapszArgv, @a pcArgs, @a pszCmdLine or @a pszSeparators;
 *          ERR_INVALID_FLAGS for style 2 or 3 or any flag bit other than the style and RTARGV_IN_PLACE;
 *          ERR_INVALID_PARAMETER for an empty separator string;
 *          ERR_NO_STR_MEMORY when the copy of the line cannot be allocated;
 *          ERR_NO_MEMORY when the pointer array cannot be allocated or grown (it grows by 32 entries);
 *          the decoder's status (ERR_INVALID_UTF8_ENCODING and its companions) for malformed
 *          UTF-8 in the line or in the separators.
 * @param ppapszArgv    Receives the argument array: @a *pcArgs pointers followed by a null pointer.
 * @param pcArgs        Receives the number of arguments (0 for a line of separators only).
 * @param pszCmdLine    The command line, UTF-8. With RTARGV_IN_PLACE it must be writable: the
 *                      arguments are written over it (never past its terminator) and the array points
 *                      into it; otherwise it is only read.
 * @param fFlags        RTARGV_STYLE_MSCRT or RTARGV_STYLE_SHELL, optionally with RTARGV_IN_PLACE.
 * @param pszSeparators The separator characters (UTF-8, at least one), or null for
 *                      RTARGV_DEFAULT_SEPARATORS.
 *
 * On success the caller owns the array (RTMemFree) and, without RTARGV_IN_PLACE and with at
 * least one argument, one copy of the line (RTStrFree) that holds every argument and starts at
 * the first one; RTGetOptArgvFree releases both. On failure the
 * outputs are left untouched and everything allocated has been freed; with RTARGV_IN_PLACE the
 * line's content is then unspecified (its terminator stays where it was).
 */
int RTGetOptArgvSplit(char ***ppapszArgv, int *pcArgs, const char *pszCmdLine, uint32_t fFlags,
                      const char *pszSeparators);

/**
 * Frees what RTGetOptArgvSplit returned: the array, and without RTARGV_IN_PLACE in @a fFlags the
 * copy of the line as well. The entries may have been reordered (the option parser permutes them)
 * but must still be the pointers the split produced. A null @a papszArgv is allowed.
 *
 * @param papszArgv The array from RTGetOptArgvSplit.
 * @param fFlags    The flags given to RTGetOptArgvSplit.
 */
void RTGetOptArgvFree(char **papszArgv, uint32_t fFlags);

#endif
