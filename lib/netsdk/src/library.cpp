#include "library.h"

#include <cstdio>
#include <limits>

namespace netsdk {

Library& Library::Instance() {
  // Never destroyed: a program may end without Cleanup while the library's threads still run, and
  // they must not find their state torn down by the exit's destructors.
  static union Storage {
    Storage() : library() {}
    ~Storage() {}
    Library library;
  } storage;
  return storage.library;
}

int Library::Init() {
  std::lock_guard lifecycle(m_lifecycle);
  {
    std::lock_guard lock(m_mutex);
    if (m_runtime) return 0;
  }
  // A refused setting must not pass unnoticed: the library would quietly use its default instead.
  for (const std::string& report : m_settings.LoadAtInit(ConfigPathBesideExecutable())) {
    std::fprintf(stderr, "netsdk: %s; ignored\n", report.c_str());
  }
  auto runtime = std::make_shared<Runtime>(m_settings, m_callbacks);
  std::lock_guard lock(m_mutex);
  m_runtime = std::move(runtime);
  return 0;
}

int Library::Cleanup() {
  std::shared_ptr<Runtime> runtime;
  {
    std::lock_guard lock(m_mutex);
    if (m_runtime && m_runtime->OnCallbackThread()) return -1;
  }
  std::lock_guard lifecycle(m_lifecycle);
  {
    std::lock_guard lock(m_mutex);
    runtime = std::move(m_runtime);
  }
  if (runtime) runtime->Stop();
  m_callbacks.Reset();
  m_settings.Reset();
  return 0;
}

std::shared_ptr<Runtime> Library::Current() const {
  std::lock_guard lock(m_mutex);
  return m_runtime;
}

int Library::NextHandle() {
  // Handles are never reused within a process, not even across Cleanup, so that a late event of
  // an old login can never be taken for a new one.
  int handle = ++m_lastHandle;
  if (handle <= 0) {
    m_lastHandle.store(1);
    handle = 1;
  }
  return handle;
}

}  // namespace netsdk
