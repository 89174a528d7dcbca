// An auto-reset event, found by name: a signal releases exactly one waiter (or the next one to
// wait), then the event is non-signalled again.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "platform/win_types.h"

namespace platform {

class AutoResetEvent {
 public:
  void Set();
  void Reset();
  // Waits up to ms clock milliseconds; true when the event was signalled.
  bool Wait(DWORD ms);

 private:
  std::mutex m_mutex;
  std::condition_variable m_signalled;
  bool m_isSet = false;
};

// Creates the named event, or returns the existing one of that name. Initially non-signalled.
std::shared_ptr<AutoResetEvent> CreateNamedEvent(const std::string& name);

}  // namespace platform
