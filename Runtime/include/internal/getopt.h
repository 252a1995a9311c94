/** @file
 * Internal interface between the option parser and its value conversion.
 */
#ifndef RT_INTERNAL_GETOPT_H
#define RT_INTERNAL_GETOPT_H

#include <rt/getopt.h>

/**
 * Converts @a pszValue by the value type and base bits in @a fFlags into
 * @a pValue. On failure nothing of a partial value is stored: the union keeps
 * what the caller put there (the definition), except that the two boolean types
 * store the text for ERR_OPT_UNKNOWN_OPTION.
 * @returns INF_SUCCESS, ERR_OPT_BAD_VALUE_FORMAT, ERR_OPT_UNKNOWN_OPTION (boolean
 *          keywords) or ERR_INTERNAL_ERROR (unsupported type or base bits).
 */
int rtGetOptConvertValue(uint32_t fFlags, const char *pszValue, PRTOPTVALUE pValue);

#endif
