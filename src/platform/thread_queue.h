// Thread message queues, as on Win32: a thread creates its queue once, other threads post
// numbered messages with two parameters to it by thread id, and the thread takes them in order.
#pragma once

#include "platform/win_types.h"

namespace platform {

constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_USER = 0x0400;

struct MSG {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// A small process-wide number for the calling thread, never 0.
DWORD GetCurrentThreadId();

// Creates the calling thread's queue if it has none (the PeekMessage step of a message thread).
void CreateMessageQueue();

// Appends a message to the queue of the thread with that id; false when that thread has no queue.
bool PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

// Takes the next message of the calling thread's queue, waiting for one. Returns false for
// WM_QUIT, true otherwise. Creates the queue when the thread has none.
bool GetMessage(MSG* msg);

constexpr DWORD INFINITE = 0xFFFFFFFF;

enum class MessageWait { kMessage, kTimedOut, kQuit };
// GetMessage that waits at most ms clock milliseconds (INFINITE: as long as it takes).
MessageWait GetMessage(MSG* msg, DWORD ms);

}  // namespace platform
