/** @file
 * The standard error message for an option-parser result.
 */
#include <rt/getopt.h>
#include <rt/err.h>
#include <rt/message.h>
#include <rt/string.h>

namespace
{

/** Exit code of a command-line error. */
const int EXIT_SYNTAX_ERROR = 2;

bool rtGetOptIsPrintableShort(int ch)
{
    return ch > 0x20 && ch < 0x7f;
}

/** Reports a failure whose value union holds the matched definition, naming the
 * option by its long name, else by its short form, else by its identifier. */
void rtGetOptReportDefinitionError(int rc, PCRTOPTDEF pDef)
{
    char szName[16];
    const char *pszName = pDef->pszLong;
    if (!pszName)
    {
        if (rtGetOptIsPrintableShort(pDef->iShort))
            RTStrBufPrintf(szName, sizeof(szName), "-%c", pDef->iShort);
        else
            RTStrBufPrintf(szName, sizeof(szName), "#%d", pDef->iShort);
        pszName = szName;
    }
    /* The value text is not kept with the definition; the option's name says which value is meant. */
    if (rc == ERR_OPT_BAD_VALUE_FORMAT)
        RTMsgError("The value given '%s' has an invalid format.", pszName);
    else
        RTMsgError("%s: %Rrs\n", pszName, rc);
}

} // namespace

int RTGetOptReportError(int ch, PCRTOPTVALUE pValue)
{
    const bool fValue = RT_VALID_PTR(pValue);
    if (ch == INF_OPT_NOT_OPTION)
        RTMsgError("Invalid parameter: %s", fValue ? pValue->psz : NULL);
    else if (rtGetOptIsPrintableShort(ch))
        RTMsgError("Unhandled option: -%c", ch);
    else if (ch >= 0)
        RTMsgError("Unhandled option: %i (%#x)", ch, ch);
    else if (ch == ERR_OPT_UNKNOWN_OPTION)
        RTMsgError("Unknown option: '%s'", fValue ? pValue->psz : NULL);
    else if (!fValue || !RT_VALID_PTR(pValue->pDef))
        RTMsgError("%Rrs\n", ch);
    else
        rtGetOptReportDefinitionError(ch, pValue->pDef);
    return EXIT_SYNTAX_ERROR;
}
