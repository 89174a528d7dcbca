// The periods of the worker threads, in clock milliseconds.
#pragma once

#include "platform/win_types.h"

namespace batch {

// Polling workers: a pause when their list is empty, a pause between rounds, and a pause for
// each slot of a round's copy that has emptied since the copy was taken.
constexpr DWORD kEmptyListPauseMs = 300;
constexpr DWORD kRoundPauseMs = 1000;
constexpr DWORD kEmptySlotPauseMs = 100;

// Batch login: rounds while logins are outstanding, polls of the login-idle flag.
constexpr DWORD kBatchLoginRoundMs = 1000;
constexpr DWORD kLoginIdlePollMs = 500;

// Synchronous login: the wait for the login event.
constexpr DWORD kSyncLoginWaitMs = 1500;

// Closing the window waits this long for the threads before it goes on without them.
constexpr DWORD kCloseWaitMs = 200;

}  // namespace batch
