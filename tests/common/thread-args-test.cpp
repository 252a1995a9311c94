/** @file
 * Thread creation arguments: the order of the checks, the name length limit,
 * the flag mask, the type range, and the priority of every thread type.
 */
#include <gtest/gtest.h>
#include <rt/thread.h>
#include "internal/thread.h"

namespace
{

int threadFn(RTTHREAD, void *)
{
    return 0;
}

TEST(ThreadArgs, ChecksInOrder)
{
    RTTHREAD hThread = NIL_RTTHREAD;
    PRTTHREAD const pBad = (PRTTHREAD)(uintptr_t)0x10;
    struct
    {
        PRTTHREAD phThread;
        PFNRTTHREAD pfn;
        RTTHREADTYPE enmType;
        uint32_t fFlags;
        const char *pszName;
        int rcExpected;
    } const aCases[] = {
        /* Each failure wins over every later one. */
        {pBad, threadFn, RTTHREADTYPE_INVALID, 0x10, NULL, ERR_INVALID_POINTER},
        {&hThread, NULL, RTTHREADTYPE_INVALID, 0x10, NULL, ERR_INVALID_POINTER},
        {&hThread, threadFn, RTTHREADTYPE_INVALID, 0x10, NULL, ERR_INVALID_PARAMETER},
        {&hThread, threadFn, RTTHREADTYPE_INVALID, 0x10, "", ERR_INVALID_PARAMETER},
        {&hThread, threadFn, RTTHREADTYPE_INVALID, 0x10, "sixteen-chars-xx", ERR_INVALID_PARAMETER},
        {&hThread, threadFn, RTTHREADTYPE_INVALID, 0x10, "ok", ERR_INVALID_FLAGS},
        {&hThread, threadFn, RTTHREADTYPE_INVALID, 0, "ok", ERR_INVALID_PARAMETER},
        {&hThread, threadFn, RTTHREADTYPE_END, 0, "ok", ERR_INVALID_PARAMETER},
        /* Accepted: no out-pointer, 15 characters, every known flag bit, both ends of the type range. */
        {NULL, threadFn, RTTHREADTYPE_DEFAULT, 0, "fifteen-chars-x", 0},
        {&hThread, threadFn, RTTHREADTYPE_BACKGROUND, 0xF, "a", 0},
        {&hThread, threadFn, RTTHREADTYPE_TIMER, 0x8, "a", 0},
    };
    for (size_t i = 0; i < RT_ELEMENTS(aCases); i++)
    {
        auto const &c = aCases[i];
        EXPECT_EQ(c.rcExpected, rtThreadValidateCreateArgs(c.phThread, c.pfn, c.enmType, c.fFlags, c.pszName))
            << "case " << i;
    }
}

TEST(ThreadArgs, PriorityByType)
{
    int const aiExpected[] = {-2, -1, 0, 0, 0, 0, 0, 1, 1, 2, 2};
    for (int i = RTTHREADTYPE_BACKGROUND; i < RTTHREADTYPE_END; i++)
        EXPECT_EQ(aiExpected[i - 1], rtThreadTypePriority((RTTHREADTYPE)i)) << "type " << i;
}

} // namespace
