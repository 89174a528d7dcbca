#include "platform/worker_thread.h"

#include <algorithm>
#include <future>

#include "platform/clock.h"
#include "platform/thread_queue.h"

namespace platform {

WorkerThread::~WorkerThread() {
  Stop(0);
}

void WorkerThread::Start(std::function<void(const StopToken&)> body) {
  if (m_thread.joinable()) return;
  m_state = std::make_shared<StopToken::State>();
  std::promise<DWORD> started;
  std::future<DWORD> id = started.get_future();
  m_thread = std::thread([state = m_state, body = std::move(body), &started]() mutable {
    CreateMessageQueue();
    started.set_value(GetCurrentThreadId());
    body(StopToken(state));
    state->finished = true;
  });
  m_id = id.get();
}

void WorkerThread::RequestStop() {
  if (!m_state) return;
  m_state->stopRequested = true;
  PostThreadMessage(m_id, WM_QUIT, 0, 0);
}

bool StopToken::Sleep(DWORD ms) const {
  constexpr DWORD kSliceMs = 50;
  DWORD slept = 0;
  while (slept < ms) {
    if (StopRequested()) return false;
    const DWORD slice = std::min(kSliceMs, ms - slept);
    platform::Sleep(slice);
    slept += slice;
  }
  return !StopRequested();
}

bool WorkerThread::Stop(DWORD ms) {
  // A thread left behind by an earlier stop is still running until it says it has finished.
  if (!m_thread.joinable()) return !m_state || m_state->finished.load();
  RequestStop();
  const DWORD start = GetTickCount();
  while (!m_state->finished && GetTickCount() - start < ms) platform::Sleep(5);
  if (m_state->finished) {
    m_thread.join();
    return true;
  }
  m_thread.detach();
  return false;
}

}  // namespace platform
