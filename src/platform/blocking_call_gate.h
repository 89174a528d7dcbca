// The way back from a blocking call for a thread that closing may leave behind. The thread is
// inside the gate while it runs and steps out only for the call that may block; whoever frees
// what the thread uses closes the gate first. Closing waits for the threads inside — asked to
// stop, they run only short, non-blocking steps before they end — and from then on a thread
// coming back from its call finds the gate shut and returns without touching anything. The gate
// is shared: a thread left behind keeps it alive.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform {

class BlockingCallGate {
 public:
  class Pass;

  // Waits until no thread is inside, then shuts the gate for good.
  void Close();

 private:
  bool Enter();
  void Leave();

  std::mutex m_mutex;
  std::condition_variable m_left;
  int m_inside = 0;
  bool m_closed = false;
};

// A thread's passage: inside from construction (unless the gate is already shut) to destruction.
class BlockingCallGate::Pass {
 public:
  explicit Pass(std::shared_ptr<BlockingCallGate> gate);
  ~Pass();
  Pass(const Pass&) = delete;
  Pass& operator=(const Pass&) = delete;

  // False once the gate is shut: the thread must return at once.
  explicit operator bool() const { return m_inside; }

  // Runs call outside the gate. False when the gate was shut meanwhile: the thread must return
  // at once, using nothing but what it owns.
  template <typename Call>
  bool Outside(Call&& call) {
    if (m_inside) m_gate->Leave();
    m_inside = false;
    call();
    m_inside = m_gate->Enter();
    return m_inside;
  }

 private:
  std::shared_ptr<BlockingCallGate> m_gate;
  bool m_inside = false;
};

}  // namespace platform
