#include "platform/named_event.h"

#include <map>

#include "platform/clock.h"

namespace platform {

void AutoResetEvent::Set() {
  {
    std::lock_guard lock(m_mutex);
    m_isSet = true;
  }
  m_signalled.notify_one();
}

void AutoResetEvent::Reset() {
  std::lock_guard lock(m_mutex);
  m_isSet = false;
}

bool AutoResetEvent::Wait(DWORD ms) {
  std::unique_lock lock(m_mutex);
  if (!m_signalled.wait_for(lock, RealDuration(ms), [this] { return m_isSet; })) return false;
  m_isSet = false;
  return true;
}

std::shared_ptr<AutoResetEvent> CreateNamedEvent(const std::string& name) {
  static std::mutex registryMutex;
  static std::map<std::string, std::weak_ptr<AutoResetEvent>> registry;
  std::lock_guard lock(registryMutex);
  if (auto existing = registry[name].lock()) return existing;
  auto event = std::make_shared<AutoResetEvent>();
  registry[name] = event;
  return event;
}

}  // namespace platform
