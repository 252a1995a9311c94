/** @file
 * The runtime's own memcpy, memmove, memset and memcmp, tested in a program
 * without the C runtime: linked with -nostdlib, its calls can only reach the
 * runtime's implementations, and built with -fno-builtin, the compiler does
 * not answer them itself. Besides named cases, sweeps over every length up
 * to a few word rounds, every alignment of both pointers within a word pair
 * and every place of a difference check the word-wise code against plain
 * byte loops. Prints a line for each failing case (the first few of each
 * sweep) and a closing count; exits with 1 when any case failed.
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

/*
 * Sweeps against byte-by-byte references.
 */

/** Lengths 0 to this: every tail length after several 16-byte rounds. */
const size_t g_cbSweepMax = 70;
/** Offsets of a pointer from an 8-byte boundary: every head a word-wise loop can meet. */
const size_t g_cSweepAligns = 8;
/** Room on either side of a sweep's area, so a write past either end shows. */
const size_t g_cbGuard = 16;
const size_t g_cbSweepArena = g_cbGuard + g_cSweepAligns + g_cbSweepMax + g_cbGuard + 16;
/** Failures printed per sweep; the count covers all of them. */
const unsigned g_cSweepReportsMax = 5;

struct SWEEPTALLY
{
    const char *pszWhat;
    unsigned cFailed;
};

/** Counts one sweep case; prints the first few that fail, formatted like rtMemTestPrint. */
void rtMemTestSweepCase(SWEEPTALLY *pTally, bool fOk, const char *pszFormat, ...)
{
    if (fOk)
    {
        g_cPassed++;
        return;
    }
    g_cFailed++;
    if (pTally->cFailed++ < g_cSweepReportsMax)
    {
        char szCase[160];
        va_list args;
        va_start(args, pszFormat);
        RTStrBufPrintfV(szCase, sizeof(szCase), pszFormat, args);
        va_end(args);
        rtMemTestPrint("%s: %s", pTally->pszWhat, szCase);
    }
}

/** Fills the arena with the pattern, shifted by @a uSeed so source and destination differ. */
void rtMemTestFill(unsigned char *pb, size_t cb, size_t uSeed)
{
    for (size_t i = 0; i < cb; i++)
        pb[i] = rtMemTestPattern(i + uSeed);
}

/** The first offset at which the two arenas differ, or @a cb. */
size_t rtMemTestFirstDiff(const unsigned char *pb1, const unsigned char *pb2, size_t cb)
{
    for (size_t i = 0; i < cb; i++)
        if (pb1[i] != pb2[i])
            return i;
    return cb;
}

/** memcpy between two arenas: the area gets the source, nothing around it changes. */
void rtMemTestSweepCopy(void)
{
    SWEEPTALLY Tally = {"memcpy sweep", 0};
    alignas(8) unsigned char abSrc[g_cbSweepArena];
    alignas(8) unsigned char abDst[g_cbSweepArena];
    alignas(8) unsigned char abExpected[g_cbSweepArena];
    rtMemTestFill(abSrc, sizeof(abSrc), 101);
    for (size_t cb = 0; cb <= g_cbSweepMax; cb++)
        for (size_t offDst = g_cbGuard; offDst < g_cbGuard + g_cSweepAligns; offDst++)
            for (size_t offSrc = g_cbGuard; offSrc < g_cbGuard + g_cSweepAligns; offSrc++)
            {
                rtMemTestFill(abDst, sizeof(abDst), 0);
                rtMemTestFill(abExpected, sizeof(abExpected), 0);
                for (size_t i = 0; i < cb; i++)
                    abExpected[offDst + i] = abSrc[offSrc + i];
                void *pvRet = memcpy(&abDst[offDst], &abSrc[offSrc], cb);
                size_t const offBad = rtMemTestFirstDiff(abDst, abExpected, sizeof(abDst));
                rtMemTestSweepCase(&Tally, pvRet == &abDst[offDst] && offBad == sizeof(abDst),
                                   "%zu bytes from %zu to %zu: first wrong byte at %zu", cb, offSrc, offDst, offBad);
            }
}

/**
 * memmove within one arena, the destination from 9 bytes below to 9 bytes
 * above the source (every overlap a word and a round can have, both ways)
 * and farther apart.
 */
void rtMemTestSweepMove(void)
{
    static const int s_aiShifts[] = {-40, -17, -9, -8, -7, -5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 7, 8, 9, 17, 40};
    SWEEPTALLY Tally = {"memmove sweep", 0};
    size_t const offBase = g_cbGuard + 40;
    alignas(8) unsigned char abArena[g_cbSweepArena + 80];
    alignas(8) unsigned char abExpected[sizeof(abArena)];
    for (size_t cb = 0; cb <= g_cbSweepMax; cb++)
        for (size_t offAlign = 0; offAlign < g_cSweepAligns; offAlign++)
            for (unsigned iShift = 0; iShift < sizeof(s_aiShifts) / sizeof(s_aiShifts[0]); iShift++)
            {
                size_t const offSrc = offBase + offAlign;
                size_t const offDst = (size_t)((ptrdiff_t)offSrc + s_aiShifts[iShift]);
                rtMemTestFill(abArena, sizeof(abArena), 0);
                rtMemTestFill(abExpected, sizeof(abExpected), 0);
                for (size_t i = 0; i < cb; i++)
                    abExpected[offDst + i] = rtMemTestPattern(offSrc + i);
                void *pvRet = memmove(&abArena[offDst], &abArena[offSrc], cb);
                size_t const offBad = rtMemTestFirstDiff(abArena, abExpected, sizeof(abArena));
                rtMemTestSweepCase(&Tally, pvRet == &abArena[offDst] && offBad == sizeof(abArena),
                                   "%zu bytes from %zu to %zu: first wrong byte at %zu", cb, offSrc, offDst, offBad);
            }
}

/** memset with values that must be cut to their low byte: the area holds it, nothing around it changes. */
void rtMemTestSweepSet(void)
{
    static const int s_aiValues[] = {0, 0x5a, 0x80, 0xff, 0x1a7, -1, -0x7f};
    SWEEPTALLY Tally = {"memset sweep", 0};
    alignas(8) unsigned char abDst[g_cbSweepArena];
    alignas(8) unsigned char abExpected[g_cbSweepArena];
    for (size_t cb = 0; cb <= g_cbSweepMax; cb++)
        for (size_t offDst = g_cbGuard; offDst < g_cbGuard + g_cSweepAligns; offDst++)
            for (unsigned iValue = 0; iValue < sizeof(s_aiValues) / sizeof(s_aiValues[0]); iValue++)
            {
                rtMemTestFill(abDst, sizeof(abDst), 7);
                rtMemTestFill(abExpected, sizeof(abExpected), 7);
                for (size_t i = 0; i < cb; i++)
                    abExpected[offDst + i] = (unsigned char)s_aiValues[iValue];
                void *pvRet = memset(&abDst[offDst], s_aiValues[iValue], cb);
                size_t const offBad = rtMemTestFirstDiff(abDst, abExpected, sizeof(abDst));
                rtMemTestSweepCase(&Tally, pvRet == &abDst[offDst] && offBad == sizeof(abDst),
                                   "%zu bytes of value %#x at %zu: first wrong byte at %zu", cb, s_aiValues[iValue],
                                   offDst, offBad);
            }
}

/**
 * memcmp of equal blocks with one byte changed at every position (to a
 * value above and below, across 0x80 so that a signed comparison would
 * answer wrongly), and with bytes just past the count changed (they must
 * not count).
 */
void rtMemTestSweepCompare(void)
{
    SWEEPTALLY Tally = {"memcmp sweep", 0};
    alignas(8) unsigned char ab1[g_cbSweepArena];
    alignas(8) unsigned char ab2[g_cbSweepArena];
    for (size_t cb = 0; cb <= g_cbSweepMax; cb++)
        for (size_t off1 = 0; off1 < g_cSweepAligns; off1++)
            for (size_t off2 = 0; off2 < g_cSweepAligns; off2++)
            {
                rtMemTestFill(ab1, sizeof(ab1), 0);
                for (size_t i = 0; i < cb + 8; i++)
                    ab2[off2 + i] = ab1[off1 + i];
                /* Past the count: each block differs in the next 8 bytes. */
                for (size_t i = cb; i < cb + 8; i++)
                    ab2[off2 + i] = (unsigned char)~ab1[off1 + i];
                int iSign = memcmp(&ab1[off1], &ab2[off2], cb);
                rtMemTestSweepCase(&Tally, iSign == 0, "%zu equal bytes at %zu and %zu: result %d", cb, off1, off2,
                                   iSign);

                for (size_t idxDiff = 0; idxDiff < cb; idxDiff++)
                {
                    unsigned char const bOrg = ab2[off2 + idxDiff];
                    unsigned char const bNext = idxDiff + 1 < cb ? ab2[off2 + idxDiff + 1] : 0;
                    /* 0x70 against 0x90 and back: a signed comparison gets both wrong. A later
                       difference the other way must not count. */
                    ab1[off1 + idxDiff] = 0x70;
                    ab2[off2 + idxDiff] = 0x90;
                    if (idxDiff + 1 < cb)
                        ab2[off2 + idxDiff + 1] = (unsigned char)(bNext - 1);
                    iSign = rtMemTestSign(memcmp(&ab1[off1], &ab2[off2], cb));
                    rtMemTestSweepCase(&Tally, iSign == -1, "%zu bytes at %zu and %zu, left lower at %zu", cb, off1,
                                       off2, idxDiff);
                    ab1[off1 + idxDiff] = 0x90;
                    ab2[off2 + idxDiff] = 0x70;
                    if (idxDiff + 1 < cb)
                        ab2[off2 + idxDiff + 1] = (unsigned char)(bNext + 1);
                    iSign = rtMemTestSign(memcmp(&ab1[off1], &ab2[off2], cb));
                    rtMemTestSweepCase(&Tally, iSign == 1, "%zu bytes at %zu and %zu, left higher at %zu", cb, off1,
                                       off2, idxDiff);
                    ab1[off1 + idxDiff] = bOrg;
                    ab2[off2 + idxDiff] = bOrg;
                    if (idxDiff + 1 < cb)
                        ab2[off2 + idxDiff + 1] = bNext;
                }
            }
}

} // namespace

extern "C" DWORD WINAPI NoCrtMemTestEntry(void)
{
    for (unsigned i = 0; i < sizeof(g_aMoveCases) / sizeof(g_aMoveCases[0]); i++)
        rtMemTestMove(g_aMoveCases[i]);
    for (unsigned i = 0; i < sizeof(g_aCmpCases) / sizeof(g_aCmpCases[0]); i++)
        rtMemTestCompare(i, g_aCmpCases[i]);
    rtMemTestSweepCopy();
    rtMemTestSweepMove();
    rtMemTestSweepSet();
    rtMemTestSweepCompare();
    rtMemTestPrint("nocrt mem: %u passed, %u failed", g_cPassed, g_cFailed);
    ExitProcess(g_cFailed ? 1 : 0);
}
