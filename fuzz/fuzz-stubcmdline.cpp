/** @file
 * Fuzzes the installer's command line: arbitrary argument vectors through
 * StubParseCommandLine, with the console, the message boxes and the program
 * messages' output replaced by checking sinks (defined here, so the linker
 * takes them instead of the real ones).
 *
 * Input: split at NUL bytes into arguments (after a fixed program name), each
 * copied into a heap block of exactly its size so that any over-read shows.
 * The result must be STUB_CONTINUE, 0, 1 or 2; every settings buffer must be
 * terminated inside itself; a message is shown for every error result and
 * never for STUB_CONTINUE.
 */
#include <stdlib.h>
#include <string.h>
#include <vector>
#include "TarnStubConsole.h"
#include "TarnStubMsgBox.h"
#include "TarnStubCmdLine.h"
#include "internal/message.h"
#include <rt/utf16.h>

namespace
{

size_t g_cMessages;

void countMessage(const char *pch, size_t cch)
{
    if (cch && memchr(pch, '\0', cch))
        abort();
    g_cMessages++;
}

} // namespace

/* The program messages' output, in place of the runtime's (silent-mode errors). */
void rtMsgWriteStdErr(const char *pch, size_t cch)
{
    countMessage(pch, cch);
}

void stubConsoleWrite(StubStdHandle enmHandle, const char *pch, size_t cch)
{
    if (enmHandle != STUBSTDHANDLE_OUTPUT && enmHandle != STUBSTDHANDLE_ERROR)
        abort();
    countMessage(pch, cch);
}

void stubMsgBoxW(const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fStyle)
{
    if (RTUtf16Len(pwszCaption) != 18 || (fStyle != 0x10 && fStyle != 0x40) || !pwszText)
        abort();
    g_cMessages++;
}

void stubMsgBoxA(const char *pszText, const char *pszCaption, uint32_t fStyle)
{
    if (strcmp(pszCaption, "Tarnvale Installer") != 0 || (fStyle != 0x10 && fStyle != 0x40) || !pszText)
        abort();
    g_cMessages++;
}

static bool terminatedWithin(const char *pch, size_t cb)
{
    return memchr(pch, '\0', cb) != NULL;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData)
{
    std::vector<char *> apszArgs;
    apszArgs.push_back(strdup("setup.exe"));
    size_t off = 0;
    while (off < cbData && apszArgs.size() < 64)
    {
        const uint8_t *pbEnd = (const uint8_t *)memchr(pbData + off, 0, cbData - off);
        size_t cch = pbEnd ? (size_t)(pbEnd - (pbData + off)) : cbData - off;
        char *psz = (char *)malloc(cch + 1);
        memcpy(psz, pbData + off, cch);
        psz[cch] = '\0';
        apszArgs.push_back(psz);
        off += cch + 1;
    }
    apszArgs.push_back(NULL);

    g_fSilent = false;
    g_cVerbosity = 0;
    g_cMessages = 0;
    static StubSettings s_Settings;
    int rc = StubParseCommandLine((int)apszArgs.size() - 1, apszArgs.data(), &s_Settings);
    if (rc != STUB_CONTINUE && rc != 0 && rc != 1 && rc != 2)
        abort();
    if ((rc == STUB_CONTINUE) != (g_cMessages == 0))
        abort();
    if (!terminatedWithin(s_Settings.szExtractPath, sizeof(s_Settings.szExtractPath)) ||
        !terminatedWithin(s_Settings.szMsiLogFile, sizeof(s_Settings.szMsiLogFile)) ||
        !terminatedWithin(s_Settings.szMsiParams, sizeof(s_Settings.szMsiParams)))
        abort();

    for (char *psz : apszArgs)
        free(psz);
    return 0;
}
