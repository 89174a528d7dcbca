// A result that one thread waits for, bounded, and another thread delivers once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace netsdk {

class Waiter {
 public:
  void Set(int result) {
    {
      std::lock_guard lock(m_mutex);
      if (m_result) return;
      m_result = result;
    }
    m_done.notify_all();
  }

  // The delivered result, or fallback when none came within timeout.
  int Wait(std::chrono::microseconds timeout, int fallback) {
    std::unique_lock lock(m_mutex);
    m_done.wait_for(lock, timeout, [this] { return m_result.has_value(); });
    return m_result.value_or(fallback);
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_done;
  std::optional<int> m_result;
};

}  // namespace netsdk
