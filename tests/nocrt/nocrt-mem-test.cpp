/** @file
 * The runtime's own memmove and memcmp, tested in a program without the C
 * runtime: linked with -nostdlib, its calls can only reach the runtime's
 * implementations, and built with -fno-builtin, the compiler does not answer
 * them itself. Prints a line for each case that fails and a closing count;
 * exits with 1 when any case failed.
 */
#include <windows.h>
#include <stdarg.h>
#include <string.h>
#include <rt/string.h>

namespace
{

unsigned g_cPassed = 0;
unsigned g_cFailed = 0;

void rtMemTestPrint(const char *pszFormat, ...)
{
    char szLine[256];
    va_list args;
    va_start(args, pszFormat);
    size_t cch = RTStrBufPrintfV(szLine, sizeof(szLine) - 2, pszFormat, args);
    va_end(args);
    szLine[cch++] = '\r';
    szLine[cch++] = '\n';
    DWORD cbWritten = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), szLine, (DWORD)cch, &cbWritten, NULL);
}

/** A byte pattern without repeats, half of it at or above 0x80. */
unsigned char rtMemTestPattern(size_t idx)
{
    return (unsigned char)(idx * 37 + 11);
}

const size_t g_cbArena = 64;

struct MEMMOVECASE
{
    const char *pszWhat;
    size_t offDst;
    size_t offSrc;
    size_t cb;
};

const MEMMOVECASE g_aMoveCases[] = {
    {"nothing to move", 5, 3, 0},
    {"onto itself", 9, 9, 7},
    {"one byte up", 10, 11, 1},
    {"one byte down", 11, 10, 1},
    {"overlapping, destination below the source", 3, 5, 13},
    {"overlapping, destination above the source", 5, 3, 13},
    {"overlapping in all but one byte, destination below", 0, 1, 63},
    {"overlapping in all but one byte, destination above", 1, 0, 63},
    {"apart, destination below", 0, 32, 17},
    {"apart, destination above", 40, 2, 17},
};

/** Moves within an arena and compares the whole arena with what it must hold. */
void rtMemTestMove(const MEMMOVECASE &Case)
{
    unsigned char abArena[g_cbArena];
    unsigned char abExpected[g_cbArena];
    for (size_t i = 0; i < g_cbArena; i++)
        abArena[i] = abExpected[i] = rtMemTestPattern(i);
    for (size_t i = 0; i < Case.cb; i++)
        abExpected[Case.offDst + i] = rtMemTestPattern(Case.offSrc + i);

    void *pvRet = memmove(&abArena[Case.offDst], &abArena[Case.offSrc], Case.cb);

    bool fOk = pvRet == &abArena[Case.offDst];
    size_t offBad = g_cbArena;
    for (size_t i = 0; i < g_cbArena && offBad == g_cbArena; i++)
        if (abArena[i] != abExpected[i])
            offBad = i;
    if (fOk && offBad == g_cbArena)
        g_cPassed++;
    else
    {
        g_cFailed++;
        rtMemTestPrint("memmove %s (%zu bytes from %zu to %zu): %s return value, first wrong byte at %zu", Case.pszWhat,
                       Case.cb, Case.offSrc, Case.offDst, fOk ? "right" : "wrong", offBad);
    }
}

struct MEMCMPCASE
{
    const char *pszLeft;
    const char *pszRight;
    size_t cb;
    int iSign;
};

const MEMCMPCASE g_aCmpCases[] = {
    {"", "", 0, 0},
    {"\x01", "\x02", 0, 0}, /* no bytes compared */
    {"a", "a", 1, 0},
    {"a", "b", 1, -1},
    {"b", "a", 1, 1},
    {"\x80", "\x7f", 1, 1}, /* bytes compare unsigned */
    {"\x7f", "\x80", 1, -1},
    {"\xff", "\x01", 1, 1},
    {"\x01", "\xff", 1, -1},
    {"abcdefg", "abcdefg", 7, 0},
    {"abcdefg", "abcdefh", 7, -1}, /* only the last byte differs */
    {"abcdef\x90", "abcdef\x10", 7, 1},
    {"\x01\xff\xff", "\x02\x00\x00", 3, -1}, /* the first difference decides */
    {"abcX", "abcY", 3, 0},                  /* bytes past the count do not count */
};

int rtMemTestSign(int i)
{
    return i < 0 ? -1 : i > 0 ? 1 : 0;
}

void rtMemTestCompare(unsigned idxCase, const MEMCMPCASE &Case)
{
    int iSign = rtMemTestSign(memcmp(Case.pszLeft, Case.pszRight, Case.cb));
    if (iSign == Case.iSign)
        g_cPassed++;
    else
    {
        g_cFailed++;
        rtMemTestPrint("memcmp case %u (%zu bytes): sign %d, expected %d", idxCase, Case.cb, iSign, Case.iSign);
    }
}

} // namespace

extern "C" DWORD WINAPI NoCrtMemTestEntry(void)
{
    for (unsigned i = 0; i < sizeof(g_aMoveCases) / sizeof(g_aMoveCases[0]); i++)
        rtMemTestMove(g_aMoveCases[i]);
    for (unsigned i = 0; i < sizeof(g_aCmpCases) / sizeof(g_aCmpCases[0]); i++)
        rtMemTestCompare(i, g_aCmpCases[i]);
    rtMemTestPrint("nocrt mem: %u passed, %u failed", g_cPassed, g_cFailed);
    ExitProcess(g_cFailed ? 1 : 0);
}
