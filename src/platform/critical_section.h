// A re-entrant lock, as a Win32 critical section: the owner may enter it again.
#pragma once

#include <mutex>

namespace platform {

class CriticalSection {
 public:
  void Enter() { m_mutex.lock(); }
  void Leave() { m_mutex.unlock(); }

  // BasicLockable, so that std::lock_guard and std::scoped_lock work.
  void lock() { m_mutex.lock(); }
  void unlock() { m_mutex.unlock(); }

 private:
  std::recursive_mutex m_mutex;
};

using CriticalSectionLock = std::lock_guard<CriticalSection>;

}  // namespace platform
