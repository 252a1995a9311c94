/** @file
 * The host shim's whole-buffer write: every byte arrives, in order, although
 * signals interrupt the writer while it waits on a full pipe.
 */
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#include "internal/write-all-host.h"

#include <atomic>
#include <thread>
#include <vector>

namespace
{

void ignoreSignal(int) {}

/** Installs a handler for SIGUSR1 without SA_RESTART (so a blocked write returns early) while it lives. */
class ScopedInterruptingSignal
{
  public:
    ScopedInterruptingSignal()
    {
        struct sigaction Action = {};
        Action.sa_handler = ignoreSignal;
        sigemptyset(&Action.sa_mask);
        sigaction(SIGUSR1, &Action, &m_Saved);
    }
    ~ScopedInterruptingSignal() { sigaction(SIGUSR1, &m_Saved, nullptr); }

  private:
    struct sigaction m_Saved;
};

TEST(HostWriteAll, EveryByteArrivesThroughInterruptsAndShortWrites)
{
    ScopedInterruptingSignal Signal;
    int afd[2];
    ASSERT_EQ(0, pipe(afd));
    /* Far more than a pipe holds: the writer blocks, and each signal ends its write() early, after part of
       the buffer (a short write) or before any of it (EINTR). */
    std::vector<char> Data(4 << 20);
    for (size_t i = 0; i < Data.size(); i++)
        Data[i] = (char)(i * 7 + i / 4093);
    std::atomic<bool> fWriting{true};
    std::thread Writer(
        [&]
        {
            rtHostWriteAll(afd[1], Data.data(), Data.size());
            fWriting = false;
            close(afd[1]);
        });

    for (int i = 0; i < 20 && fWriting; i++)
    {
        pthread_kill(Writer.native_handle(), SIGUSR1);
        usleep(1000);
    }
    std::vector<char> Received;
    char abChunk[16384];
    ssize_t cbRead;
    while ((cbRead = read(afd[0], abChunk, sizeof(abChunk))) > 0)
    {
        Received.insert(Received.end(), abChunk, abChunk + cbRead);
        if (fWriting)
            pthread_kill(Writer.native_handle(), SIGUSR1);
    }
    Writer.join();
    close(afd[0]);
    ASSERT_EQ(Data.size(), Received.size());
    EXPECT_TRUE(Data == Received);
}

} // namespace
