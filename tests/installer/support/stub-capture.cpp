/** @file
 * The recording fixture of the installer's tests.
 */
#include "stub-capture.h"
#include "TarnStubConsole.h"
#include "TarnStubMsgBox.h"
#include "TarnStubCmdLine.h"
#include "internal/message.h"
#include "internal/process.h"
#include <rt/stream.h>
#include <rt/string.h>
#include <rt/utf16.h>

#include <cstring>

namespace
{

StubCaptureTest *g_pActive = NULL;

std::string utf16ToUtf8(const RTUTF16 *pwsz)
{
    char *psz = NULL;
    EXPECT_EQ(0, RTUtf16ToUtf8Ex(pwsz, RTSTR_MAX, &psz, 0, NULL, "test"));
    std::string str(psz ? psz : "");
    RTStrFree(psz);
    return str;
}

void setExePath(const char *pszPath)
{
    size_t cch = strlen(pszPath);
    memcpy(g_szrtProcExePath, pszPath, cch + 1);
    g_cchrtProcExePath = cch;
    const char *pszSlash = strrchr(pszPath, '\\');
    g_cchrtProcDir = pszSlash ? (size_t)(pszSlash - pszPath) : 0;
    g_offrtProcName = pszSlash ? g_cchrtProcDir + 1 : 0;
}

} // namespace

/* Friends of the fixture by file scope: they reach the active test's records. */
struct StubCaptureAccess
{
    static void console(StubStdHandle enmHandle, const char *pch, size_t cch)
    {
        (enmHandle == STUBSTDHANDLE_OUTPUT ? g_pActive->m_strStdOut : g_pActive->m_strStdErr).append(pch, cch);
    }
    static size_t append(void *pvArg, const char *pch, size_t cch)
    {
        static_cast<std::string *>(pvArg)->append(pch, cch);
        return cch;
    }
    static int programMessage(PRTSTREAM pStream, const char *pszFormat, va_list va)
    {
        std::string *pstr = pStream == g_pStdOut ? &g_pActive->m_strStdOut : &g_pActive->m_strStdErr;
        return (int)RTStrFmtV(append, pstr, NULL, NULL, pszFormat, va);
    }
    static void boxW(const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fStyle)
    {
        g_pActive->m_aBoxes.push_back({true, utf16ToUtf8(pwszText), utf16ToUtf8(pwszCaption), fStyle});
    }
    static void boxA(const char *pszText, const char *pszCaption, uint32_t fStyle)
    {
        g_pActive->m_aBoxes.push_back({false, pszText, pszCaption, fStyle});
    }
};

void StubCaptureTest::SetUp()
{
    g_pActive = this;
    g_fSilent = false;
    g_cVerbosity = 0;
    setExePath("C:\\Downloads\\setup.exe");
    g_StubSeamsConsole.pfnstubConsoleWrite = StubCaptureAccess::console;
    g_StubSeamsMsgBox.pfnstubMsgBoxW = StubCaptureAccess::boxW;
    g_StubSeamsMsgBox.pfnstubMsgBoxA = StubCaptureAccess::boxA;
    g_rtSeamsMsg.pfnRTStreamPrintfV = StubCaptureAccess::programMessage;
}

void StubCaptureTest::TearDown()
{
    g_rtSeamsMsg.pfnRTStreamPrintfV = NULL;
    setExePath("");
    g_fSilent = false;
    g_cVerbosity = 0;
    g_pActive = NULL;
}

std::string StubCaptureTest::boxes() const
{
    std::string str;
    for (const CapturedBox &Box : m_aBoxes)
    {
        char szStyle[16];
        snprintf(szStyle, sizeof(szStyle), "%#x", Box.fStyle);
        str += std::string(Box.fWide ? "W|" : "A|") + szStyle + "|" + Box.strCaption + "|" + Box.strText + "\n";
    }
    return str;
}
