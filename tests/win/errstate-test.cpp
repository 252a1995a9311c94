/** @file
 * Saving and restoring the thread's Windows error state, with and without the
 * socket library bound.
 */
#include <gtest/gtest.h>
#include <windows.h>
#include <rt/err.h>
#include "internal/err.h"
#include "internal/initterm.h"

namespace
{

/* Start-up (run before every test) has loaded the socket library and bound
 * the accessors, as it does in every program. */

TEST(ErrState, RoundTripsTheLastError)
{
    RTERRSTATE State;
    for (DWORD uError : {DWORD(0), DWORD(5), DWORD(1234), DWORD(0xC000042C), DWORD(0xffffffff)})
    {
        SetLastError(uError);
        ASSERT_EQ(&State, RTErrStateSave(&State));
        EXPECT_EQ(uError, GetLastError()) << "saving must not disturb the error";
        EXPECT_EQ(RTERRSTATE_MAGIC, State.u32Magic);
        EXPECT_EQ(uError, State.uLastError);

        SetLastError(87);
        RTErrStateRestore(&State);
        EXPECT_EQ(uError, GetLastError());
    }
}

TEST(ErrState, SocketErrorSavedOnceStartUpBoundIt)
{
    ASSERT_NE(nullptr, g_rtR3WinSock.pfnWSASetLastError);
    auto pfnSet = reinterpret_cast<void(WINAPI *)(int)>(g_rtR3WinSock.pfnWSASetLastError);
    RTERRSTATE State;
    pfnSet(10054);
    RTErrStateSave(&State);
    EXPECT_EQ(10054, State.iSocketError);
}

TEST(ErrState, BadMagicChangesNothing)
{
    RTERRSTATE State;
    SetLastError(1234);
    RTErrStateSave(&State);
    State.u32Magic = ~RTERRSTATE_MAGIC;
    SetLastError(77);
    RTErrStateRestore(&State);
    EXPECT_EQ(77u, GetLastError());
}

TEST(ErrState, InvalidPointersAreRefused)
{
    SetLastError(42);
    EXPECT_EQ(nullptr, RTErrStateSave(nullptr));
    RTErrStateRestore(nullptr);
    RTErrStateRestore(reinterpret_cast<RTERRSTATE const *>(uintptr_t(16)));
    EXPECT_EQ(42u, GetLastError());
}

TEST(ErrState, BindingNeverLoadsTheSocketLibrary)
{
    if (GetModuleHandleW(L"ws2_32.dll") || GetModuleHandleW(L"wsock32.dll"))
        GTEST_SKIP() << "a socket library is already loaded in this process";
    rtErrStateInitSockets();
    EXPECT_EQ(nullptr, GetModuleHandleW(L"ws2_32.dll"));
    EXPECT_EQ(nullptr, GetModuleHandleW(L"wsock32.dll"));

    RTERRSTATE State;
    SetLastError(10054);
    RTErrStateSave(&State);
    EXPECT_EQ(RTERRSTATE_NO_SOCKET_ERROR, State.iSocketError);
}

/* Binds the accessors for the rest of the process: keep it last in this file. */
TEST(ErrStateSockets, SavesAndRestoresTheSocketError)
{
    HMODULE hMod = LoadLibraryW(L"ws2_32.dll");
    ASSERT_NE(nullptr, hMod);
    auto pfnGet =
        reinterpret_cast<int(WINAPI *)(void)>(reinterpret_cast<void *>(GetProcAddress(hMod, "WSAGetLastError")));
    auto pfnSet =
        reinterpret_cast<void(WINAPI *)(int)>(reinterpret_cast<void *>(GetProcAddress(hMod, "WSASetLastError")));
    ASSERT_NE(nullptr, pfnGet);
    ASSERT_NE(nullptr, pfnSet);
    rtErrStateInitSockets();

    RTERRSTATE State;
    pfnSet(10054);
    RTErrStateSave(&State);
    EXPECT_EQ(10054, State.iSocketError);

    pfnSet(0);
    SetLastError(0);
    RTErrStateRestore(&State);
    EXPECT_EQ(10054, pfnGet());
    EXPECT_EQ(State.uLastError, GetLastError());
}

} /* namespace */
