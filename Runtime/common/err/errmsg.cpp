/** @file
 * The status message table: every status the runtime names or can produce from
 * a Windows error, with its symbolic name and a short message.
 *
 * All texts lie in one pool, each name followed by its message, both
 * NUL-terminated (a message that only spells the name, as "file not found"
 * does ERR_FILE_NOT_FOUND, is left empty there and spelled when read); an
 * entry holds the value and the 16-bit offset of its name.
 * Without a pointer per text the table is a third of the size and needs no
 * base relocations. The contents are in errmsg-list.h, read twice here.
 */
#include <stddef.h>

#include <rt/string.h>
#include "internal/err.h"

namespace
{

/** A character of a name as its message spells it. */
constexpr char rtErrSpellNameChar(char ch)
{
    return ch == '_' ? ' ' : ch >= 'A' && ch <= 'Z' ? (char)(ch - 'A' + 'a') : ch;
}

/** True when @a pszMsg is @a pszRest spelled as words: lower case, with
 * spaces for the underscores ("FILE_NOT_FOUND", "file not found"). */
constexpr bool rtErrMsgSpellsName(const char *pszRest, const char *pszMsg)
{
    for (; *pszRest; pszRest++, pszMsg++)
        if (*pszMsg != rtErrSpellNameChar(*pszRest))
            return false;
    return *pszMsg == '\0';
}

/** A message as the pool stores it: the text, or only its terminator when
 * the message spells the name (rtErrStatusMsgText spells it again). A record
 * of chars has the size of its array and no padding. */
template <size_t a_cb> struct RTSTATUSMSGTEXT
{
    char ach[a_cb];
};

template <size_t a_cb, size_t a_cbMsg> constexpr RTSTATUSMSGTEXT<a_cb> rtErrStoredMsg(const char (&achMsg)[a_cbMsg])
{
    RTSTATUSMSGTEXT<a_cb> Text{};
    for (size_t i = 0; i + 1 < a_cb; i++)
        Text.ach[i] = achMsg[i];
    return Text;
}

#define RTERR_STORED_MSG_SIZE(a_Rest, a_szMsg) (rtErrMsgSpellsName(#a_Rest, a_szMsg) ? 1 : sizeof(a_szMsg))

/** The pool as a record of character arrays, one per text, so that offsetof
 * gives each text's offset at compile time (arrays of char have no padding
 * between them). Names are stored without their prefix ("ERR_", ...), which
 * the value and fWarning tell. */
struct RTSTATUSTEXTS
{
#define RTERR_STATUS(a_Prefix, a_Rest, a_szMsg)                                                                        \
    char a_Prefix##_##a_Rest##_szName[sizeof(#a_Rest)];                                                                \
    RTSTATUSMSGTEXT<RTERR_STORED_MSG_SIZE(a_Rest, a_szMsg)> a_Prefix##_##a_Rest##_Msg;
#include "errmsg-list.h"
#undef RTERR_STATUS
};

const RTSTATUSTEXTS g_StatusTexts = {
#define RTERR_STATUS(a_Prefix, a_Rest, a_szMsg)                                                                        \
#a_Rest, rtErrStoredMsg < RTERR_STORED_MSG_SIZE(a_Rest, a_szMsg)>(a_szMsg),
#include "errmsg-list.h"
#undef RTERR_STATUS
};

constexpr bool rtErrIsWarningPrefix(const char *pszPrefix)
{
    return pszPrefix[0] == 'W';
}

} /* namespace */

/* Every offset must fit the entry's field, and every name a spelling buffer. */
static_assert(sizeof(RTSTATUSTEXTS) <= RTSTATUSMSG_MAX_POOL, "status text pool too large for the offsets");
#define RTERR_STATUS(a_Prefix, a_Rest, a_szMsg)                                                                        \
    static_assert(sizeof(#a_Rest) <= RTSTATUSMSG_TEXT_BUF, "name too long to spell as a message");
#include "errmsg-list.h"
#undef RTERR_STATUS

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

const char *rtErrStatusMsgText(const RTSTATUSMSG *pEntry, char *pszBuf)
{
    const char *pszName = rtErrStatusMsgNameRest(pEntry);
    const char *pszStored = pszName + RTStrLen(pszName) + 1;
    if (*pszStored)
        return pszStored;
    size_t off = 0;
    for (; pszName[off]; off++)
        pszBuf[off] = rtErrSpellNameChar(pszName[off]);
    pszBuf[off] = '\0';
    return pszBuf;
}
