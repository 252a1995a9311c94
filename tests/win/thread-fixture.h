/** @file
 * Shared by the thread and lock tests under Wine: the thread layer set up
 * once, and the process's handle count settling after threads end.
 */
#ifndef TESTS_WIN_THREAD_FIXTURE_H
#define TESTS_WIN_THREAD_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <rt/thread.h>

namespace threadtest
{

/** Sets the thread layer up (the first caller becomes "main"); later calls are harmless. */
inline void initThreads()
{
    int rc = RTThreadSubsystemInit();
    ASSERT_TRUE(rc == 0 || rc == INF_ALREADY_INITIALIZED) << rc;
}

inline DWORD handleCount()
{
    DWORD cHandles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &cHandles);
    return cHandles;
}

/**
 * The handle count once it is back at @a cExpected, or the last count seen
 * after about two seconds: a thread that has been waited for may still be on
 * its way out, closing its handles.
 */
inline DWORD handleCountSettledAt(DWORD cExpected)
{
    DWORD cHandles = handleCount();
    for (unsigned i = 0; i < 2000 && cHandles != cExpected; i++)
    {
        Sleep(1);
        cHandles = handleCount();
    }
    return cHandles;
}

} // namespace threadtest

#endif
