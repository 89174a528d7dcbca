// The library's process-wide state behind the C functions: settings and callbacks, which outlive
// Init/Cleanup, and the runtime, which exists between them.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "dispatcher.h"
#include "runtime.h"
#include "settings.h"

namespace netsdk {

class Library {
 public:
  static Library& Instance();

  int Init();
  // Back to the state before Init: logins, search, threads, callbacks and settings. Refused (-1)
  // from inside a callback, whose thread it would have to end.
  int Cleanup();
  // Null before Init and after Cleanup.
  std::shared_ptr<Runtime> Current() const;
  int NextHandle();

  Settings& GetSettings() { return m_settings; }
  Callbacks& GetCallbacks() { return m_callbacks; }

 private:
  Library() = default;

  std::mutex m_lifecycle;  // one Init or Cleanup at a time
  mutable std::mutex m_mutex;
  std::shared_ptr<Runtime> m_runtime;
  Settings m_settings;
  Callbacks m_callbacks;
  std::atomic<int> m_lastHandle{0};
};

}  // namespace netsdk
