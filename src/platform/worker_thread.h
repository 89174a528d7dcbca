// A worker thread that runs from start-up to exit. Closing the program asks it to stop and never
// waits for it when it is blocked (in a library call, say): the thread is then left behind and
// ends with the process.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/win_types.h"

namespace platform {

// What a worker's body sees of its thread: the stop request. It shares the thread's state, so it
// stays valid after the WorkerThread object is gone.
class StopToken {
 public:
  struct State {
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> finished{false};
  };
  explicit StopToken(std::shared_ptr<State> state) : m_state(std::move(state)) {}

  bool StopRequested() const { return m_state->stopRequested.load(); }
  // Sleeps ms clock milliseconds in short slices; false as soon as a stop is requested.
  bool Sleep(DWORD ms) const;

 private:
  std::shared_ptr<State> m_state;
};

class WorkerThread {
 public:
  WorkerThread() = default;
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Starts body on a new thread; returns once the thread's id and message queue exist, so that
  // messages may be posted to it at once.
  void Start(std::function<void(const StopToken&)> body);

  DWORD Id() const { return m_id; }
  bool IsRunning() const { return m_state && !m_state->finished.load(); }

  // Asks the thread to stop: the flag its loops test, and WM_QUIT for a message loop.
  void RequestStop();
  bool StopRequested() const { return m_state && m_state->stopRequested.load(); }

  // Requests a stop and waits up to ms clock milliseconds for the thread to end; a thread that
  // has not ended by then is detached. True when it ended; a later call on a thread left
  // behind stays false until that thread has finished.
  bool Stop(DWORD ms);

 private:
  std::shared_ptr<StopToken::State> m_state;
  std::thread m_thread;
  DWORD m_id = 0;
};

}  // namespace platform
