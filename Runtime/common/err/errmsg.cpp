/** @file
 * The status message table: every status the runtime names or can produce from
 * a Windows error, with its symbolic name and a short message.
 *
 * All texts lie in one pool, each name followed by its message, both
 * NUL-terminated; an entry holds the value and the 16-bit offset of its name.
 * Without a pointer per text the table is a third of the size and needs no
 * base relocations. The contents are in errmsg-list.h, read twice here.
 */
#include <stddef.h>

#include <rt/string.h>
#include "internal/err.h"

namespace
{

/** The pool as a record of character arrays, one per text, so that offsetof
 * gives each text's offset at compile time (arrays of char have no padding
 * between them). Names are stored without their prefix ("ERR_", ...), which
 * the value and fWarning tell. */
struct RTSTATUSTEXTS
{
#define RTERR_STATUS(a_Prefix, a_Rest, a_szMsg)                                                                        \
    char a_Prefix##_##a_Rest##_szName[sizeof(#a_Rest)];                                                                \
    char a_Prefix##_##a_Rest##_szMsg[sizeof(a_szMsg)];
#include "errmsg-list.h"
#undef RTERR_STATUS
};

const RTSTATUSTEXTS g_StatusTexts = {
#define RTERR_STATUS(a_Prefix, a_Rest, a_szMsg) #a_Rest, a_szMsg,
#include "errmsg-list.h"
#undef RTERR_STATUS
};

constexpr bool rtErrIsWarningPrefix(const char *pszPrefix)
{
    return pszPrefix[0] == 'W';
}

} /* namespace */

/* Every offset must fit the entry's field. */
static_assert(sizeof(RTSTATUSTEXTS) <= RTSTATUSMSG_MAX_POOL, "status text pool too large for the offsets");

const RTSTATUSMSG g_aRTStatusMsgs[] = {
#define RTERR_STATUS(a_Prefix, a_Rest, a_szMsg)                                                                        \
    {offsetof(RTSTATUSTEXTS, a_Prefix##_##a_Rest##_szName), rtErrIsWarningPrefix(#a_Prefix), a_Prefix##_##a_Rest},
#include "errmsg-list.h"
#undef RTERR_STATUS
};

const size_t g_cRTStatusMsgs = RT_ELEMENTS(g_aRTStatusMsgs);

const char *rtErrStatusMsgNamePrefix(const RTSTATUSMSG *pEntry)
{
    if (pEntry->iValue < 0)
        return "ERR_";
    return pEntry->fWarning ? "WRN_" : "INF_";
}

const char *rtErrStatusMsgNameRest(const RTSTATUSMSG *pEntry)
{
    return reinterpret_cast<const char *>(&g_StatusTexts) + pEntry->offName;
}

const char *rtErrStatusMsgText(const RTSTATUSMSG *pEntry)
{
    const char *pszName = rtErrStatusMsgNameRest(pEntry);
    return pszName + RTStrLen(pszName) + 1;
}
