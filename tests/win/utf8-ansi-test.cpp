/** @file
 * UTF-8 to the active ANSI code page on Windows: the code page's own bytes,
 * its default character for what it lacks, and out of memory at each step.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/string.h>
#include <rt/mem.h>
#include "support/alloc-failure.h"

namespace
{

TEST(StrUtf8ToAnsiWin, ConvertsToTheActiveCodePage)
{
    struct
    {
        const char *pszUtf8;
        const char *pszCp1252;
    } const s_aCases[] = {
        {"caf\xc3\xa9", "caf\xe9"},
        {"\xe2\x82\xac 5", "\x80 5"},  /* the euro sign sits at 0x80 in this code page */
        {"\xe4\xb8\xad.msi", "?.msi"}, /* not in the code page: its default character */
    };
    UINT uAcp = GetACP();
    if (uAcp != 1252 && uAcp != CP_UTF8)
        GTEST_SKIP() << "expectations are written for code pages 1252 and 65001, this one is " << uAcp;
    for (const auto &c : s_aCases)
    {
        char *pszAnsi = NULL;
        ASSERT_EQ(INF_SUCCESS, RTStrUtf8ToAnsi(&pszAnsi, c.pszUtf8, RTMEM_TAG)) << c.pszUtf8;
        EXPECT_STREQ(uAcp == CP_UTF8 ? c.pszUtf8 : c.pszCp1252, pszAnsi);
        RTStrFree(pszAnsi);
    }
}

TEST(StrUtf8ToAnsiWin, OutOfMemoryAtEachStep)
{
    char *pszAnsi = (char *)(uintptr_t)0x5000;
    if (GetACP() != CP_UTF8)
    {
        tst::AllocationFailures Failures(0);
        EXPECT_EQ(ERR_NO_UTF16_MEMORY, RTStrUtf8ToAnsi(&pszAnsi, "setup", RTMEM_TAG)); /* the UTF-16 copy */
        EXPECT_EQ(nullptr, pszAnsi);
    }
    tst::AllocationFailures Failures(GetACP() == CP_UTF8 ? 0 : 1);
    EXPECT_EQ(ERR_NO_TMP_MEMORY, RTStrUtf8ToAnsi(&pszAnsi, "setup", RTMEM_TAG)); /* the result */
    EXPECT_EQ(nullptr, pszAnsi);
}

/** Busy blocks on the process heap, where the runtime allocates. */
size_t CountProcessHeapBlocks()
{
    HANDLE hHeap = GetProcessHeap();
    size_t cBusy = 0;
    PROCESS_HEAP_ENTRY Entry;
    Entry.lpData = NULL;
    HeapLock(hHeap);
    while (HeapWalk(hHeap, &Entry))
        if (Entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            cBusy++;
    HeapUnlock(hHeap);
    return cBusy;
}

TEST(StrUtf8ToAnsiWin, FailuresLeaveNoBlockBehind)
{
    /* Repeat each failure so a leak shows as many blocks, not as noise. */
    const int cRounds = 64;
    int acFailures[3] = {0, 0, 0};
    size_t cBlocksBefore = CountProcessHeapBlocks();
    for (int i = 0; i < cRounds; i++)
    {
        char *pszAnsi = NULL;
        for (int32_t cAllocs = 0; cAllocs < 2; cAllocs++)
        {
            tst::AllocationFailures Failures(cAllocs);
            acFailures[cAllocs] += RT_FAILURE(RTStrUtf8ToAnsi(&pszAnsi, "caf\xc3\xa9", RTMEM_TAG));
        }
        acFailures[2] += RT_FAILURE(RTStrUtf8ToAnsi(&pszAnsi, "bad\xc0\x80", RTMEM_TAG));
    }
    EXPECT_EQ(cRounds, acFailures[0]);
    EXPECT_EQ(GetACP() == CP_UTF8 ? 0 : cRounds, acFailures[1]); /* the dup needs one block only */
    EXPECT_EQ(cRounds, acFailures[2]);
    EXPECT_EQ(cBlocksBefore, CountProcessHeapBlocks());
}

} // namespace
