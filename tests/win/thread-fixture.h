/** @file
 * Shared by the thread and lock tests under Wine: the thread layer set up
 * once, and the process's handle count settling after threads end.
 */
#ifndef TESTS_WIN_THREAD_FIXTURE_H
#define TESTS_WIN_THREAD_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>
#include <vector>
#include <rt/thread.h>

namespace threadtest
{

/** Sets the thread layer up (the first caller becomes "main"); later calls are harmless. */
inline void initThreads()
{
    int rc = RTThreadSubsystemInit();
    ASSERT_TRUE(rc == 0 || rc == INF_ALREADY_INITIALIZED) << rc;
}

/** One entry of the system's handle list (SystemHandleInformation, class 16). */
struct SystemHandleEntry
{
    ULONG idProcess;
    UCHAR bObjectType;
    UCHAR fFlags;
    USHORT uHandle;
    void *pvObject;
    ACCESS_MASK fAccess;
};

/** The process's handles as the system's handle list counts them. */
inline DWORD handleCountFromSystemList()
{
    std::vector<uint8_t> abBuf(256 * 1024);
    for (;;)
    {
        ULONG cbNeeded = 0;
        NTSTATUS rcNt =
            NtQuerySystemInformation((SYSTEM_INFORMATION_CLASS)16, abBuf.data(), (ULONG)abBuf.size(), &cbNeeded);
        if (rcNt == (NTSTATUS)0xC0000004 /* STATUS_INFO_LENGTH_MISMATCH */ && abBuf.size() < 64 * 1024 * 1024)
        {
            abBuf.resize(abBuf.size() * 2);
            continue;
        }
        if (rcNt != 0)
            return 0;
        ULONG const cEntries = *(ULONG const *)abBuf.data();
        SystemHandleEntry const *paEntries = (SystemHandleEntry const *)(abBuf.data() + sizeof(void *));
        DWORD cHandles = 0;
        for (ULONG i = 0; i < cEntries; i++)
            cHandles += paEntries[i].idProcess == GetCurrentProcessId();
        return cHandles;
    }
}

/**
 * The process's open handles: GetProcessHandleCount, or where that answers 0
 * (Wine's stub) the count from the system's handle list.
 */
inline DWORD handleCount()
{
    DWORD cHandles = 0;
    if (!GetProcessHandleCount(GetCurrentProcess(), &cHandles) || cHandles == 0)
        cHandles = handleCountFromSystemList();
    if (cHandles == 0)
        ADD_FAILURE() << "the process's handles cannot be counted";
    return cHandles;
}

/**
 * The handle count once it is back at or below @a cExpected, or the last
 * count seen after about two seconds: a thread that has been waited for may
 * still be on its way out, closing its handles. (Below is fine: a record an
 * earlier test left to the registry may go when its identifier is reused.)
 */
inline DWORD handleCountSettledAt(DWORD cExpected)
{
    DWORD cHandles = handleCount();
    for (unsigned i = 0; i < 2000 && cHandles > cExpected; i++)
    {
        Sleep(1);
        cHandles = handleCount();
    }
    return cHandles;
}

} // namespace threadtest

#endif
