/** @file
 * The read-write semaphore's write side under Wine: recursion by the holder,
 * release by a non-holder, time-outs while another thread holds it, hand-over
 * to a waiting writer, what a writer that gave up leaves behind, and
 * destruction while held.
 */
#include "win/thread-fixture.h"

#include <rt/semaphore.h>
#include <rt/thread.h>
#include "internal/seam.h"
#include "internal/sem-nt.h"

namespace
{

class SemRW : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        threadtest::initThreads();
        ASSERT_EQ(0, RTSemRWMake(&m_hRW, 0));
    }
    void TearDown() override { EXPECT_EQ(0, RTSemRWDispose(m_hRW)); }
    RTSEMRW m_hRW = NIL_RTSEMRW;
};

TEST_F(SemRW, HolderMayRelock)
{
    EXPECT_FALSE(RTSemRWIsWriteOwner(m_hRW));
    EXPECT_EQ(0, RTSemRWWriteLock(m_hRW, 0));
    EXPECT_EQ(0, RTSemRWWriteLock(m_hRW, RT_INDEFINITE_WAIT));
    EXPECT_TRUE(RTSemRWIsWriteOwner(m_hRW));
    EXPECT_EQ(0, RTSemRWWriteUnlock(m_hRW));
    EXPECT_TRUE(RTSemRWIsWriteOwner(m_hRW));
    EXPECT_EQ(0, RTSemRWWriteUnlock(m_hRW));
    EXPECT_FALSE(RTSemRWIsWriteOwner(m_hRW));
    EXPECT_EQ(ERR_NOT_OWNER, RTSemRWWriteUnlock(m_hRW));
}

TEST_F(SemRW, DestroyWhileHeldIsBusy)
{
    EXPECT_EQ(0, RTSemRWWriteLock(m_hRW, 0));
    EXPECT_EQ(ERR_SEM_BUSY, RTSemRWDispose(m_hRW));
    EXPECT_EQ(0, RTSemRWWriteUnlock(m_hRW));
}

TEST_F(SemRW, InvalidArguments)
{
    RTSEMRW hRW = NIL_RTSEMRW;
    EXPECT_EQ(ERR_INVALID_PARAMETER, RTSemRWMake(&hRW, 2));
    EXPECT_EQ(0, RTSemRWDispose(NIL_RTSEMRW));
    RTSEMRW const hBad = (RTSEMRW)(uintptr_t)0x30;
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemRWDispose(hBad));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemRWWriteLock(hBad, 0));
    EXPECT_EQ(ERR_INVALID_HANDLE, RTSemRWWriteUnlock(hBad));
}

struct Other
{
    RTSEMRW hRW;
    HANDLE hRelease;
    int rcUnlockByOther = 1;
};

/** Takes the lock, signals, holds it until told, releases. */
int holdUntilReleased(RTTHREAD hSelf, void *pvUser)
{
    Other *pOther = (Other *)pvUser;
    int rc = RTSemRWWriteLock(pOther->hRW, RT_INDEFINITE_WAIT);
    RTThreadSignalUserEvent(hSelf);
    if (RT_FAILURE(rc))
        return rc;
    WaitForSingleObject(pOther->hRelease, INFINITE);
    return RTSemRWWriteUnlock(pOther->hRW);
}

TEST_F(SemRW, OtherHolderMakesWaitsTimeOut)
{
    Other other = {m_hRW, CreateEventW(NULL, TRUE, FALSE, NULL)};
    RTTHREAD hThread = NIL_RTTHREAD;
    ASSERT_EQ(0, RTThreadCreate(&hThread, holdUntilReleased, &other, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE,
                                "holder"));
    ASSERT_EQ(0, RTThreadWaitUserEvent(hThread, 5000));
    EXPECT_EQ(ERR_TIMEOUT, RTSemRWWriteLock(m_hRW, 0));
    EXPECT_EQ(ERR_TIMEOUT, RTSemRWWriteLock(m_hRW, 30));
    EXPECT_EQ(ERR_NOT_OWNER, RTSemRWWriteUnlock(m_hRW));
    EXPECT_EQ(ERR_SEM_BUSY, RTSemRWDispose(m_hRW));

    /* Released while we wait: the lock passes to us. */
    SetEvent(other.hRelease);
    EXPECT_EQ(0, RTSemRWWriteLock(m_hRW, 5000));
    EXPECT_TRUE(RTSemRWIsWriteOwner(m_hRW));
    int rcThread = 1;
    EXPECT_EQ(0, RTThreadWaitForExit(hThread, 5000, &rcThread));
    EXPECT_EQ(0, rcThread);
    EXPECT_EQ(0, RTSemRWWriteUnlock(m_hRW));
    CloseHandle(other.hRelease);
}

/** Kernel waits begun by threads blocked as writers on a read-write semaphore. */
uint32_t volatile g_cWriterKernelWaits;

NTSTATUS NTAPI countWriterKernelWaits(HANDLE hEvent, BOOLEAN fAlertable, PLARGE_INTEGER pTimeout)
{
    if (RTThreadGetState(RTThreadSelf()) == RTTHREADSTATE_RW_WRITE)
        __atomic_add_fetch(&g_cWriterKernelWaits, 1, __ATOMIC_SEQ_CST);
    return NtWaitForSingleObject(hEvent, fAlertable, pTimeout);
}

struct Writer
{
    RTSEMRW hRW;
    uint32_t cMillies;
};

/** Takes the lock with the writer's time limit and releases it again. */
int lockOnce(RTTHREAD, void *pvUser)
{
    Writer const *pWriter = (Writer const *)pvUser;
    int rc = RTSemRWWriteLock(pWriter->hRW, pWriter->cMillies);
    return RT_SUCCESS(rc) ? RTSemRWWriteUnlock(pWriter->hRW) : rc;
}

int lockOnceOnThread(Writer *pWriter)
{
    RTTHREAD hThread = NIL_RTTHREAD;
    int rc = RTThreadCreate(&hThread, lockOnce, pWriter, 0, RTTHREADTYPE_DEFAULT, RTTHREADCREATE_F_WAITABLE, "writer");
    if (RT_FAILURE(rc))
        return rc;
    int rcThread = 1;
    rc = RTThreadWaitForExit(hThread, RT_INDEFINITE_WAIT, &rcThread);
    return RT_SUCCESS(rc) ? rcThread : rc;
}

TEST_F(SemRW, WriterThatGaveUpLeavesNoWaiterBehind)
{
    /* A second writer gives up while this thread holds the lock. */
    ASSERT_EQ(0, RTSemRWWriteLock(m_hRW, RT_INDEFINITE_WAIT));
    Writer TimedOut = {m_hRW, 30};
    EXPECT_EQ(ERR_TIMEOUT, lockOnceOnThread(&TimedOut));
    EXPECT_EQ(0, RTSemRWWriteUnlock(m_hRW));

    /* The lock is free again: every later writer has it at once, none waits for the one that left. */
    g_cWriterKernelWaits = 0;
    g_rtSeamsSemNt.pfnNtWaitForSingleObject = countWriterKernelWaits;
    Writer Later = {m_hRW, RT_INDEFINITE_WAIT};
    EXPECT_EQ(0, lockOnceOnThread(&Later));
    EXPECT_EQ(0, RTSemRWWriteLock(m_hRW, 5000));
    EXPECT_EQ(0, RTSemRWWriteUnlock(m_hRW));
    EXPECT_EQ(0, lockOnceOnThread(&Later));
    EXPECT_EQ(0u, g_cWriterKernelWaits);
}

} // namespace
