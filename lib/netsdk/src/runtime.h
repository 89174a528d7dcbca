// Everything that exists between Init and Cleanup: the network thread and its io_context, the
// callback thread, the search, the open logins and the firmware cache.
#pragma once

#include <asio.hpp>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "context.h"
#include "dispatcher.h"
#include "firmware_cache.h"
#include "search_service.h"
#include "session.h"

namespace netsdk {

class Runtime {
 public:
  Runtime(const Settings& settings, Callbacks& callbacks);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // Closes every login and the search, then ends both threads. Idempotent.
  void Stop();
  bool OnCallbackThread() const { return m_dispatcher.OnDispatcherThread(); }

  SearchService& Search() { return *m_search; }
  FirmwareCache& Firmware() { return m_firmware; }
  void Open(int handle, LoginTarget target);
  std::shared_ptr<Session> Find(int handle) const;
  std::shared_ptr<Session> Remove(int handle);

 private:
  asio::io_context m_io;
  asio::executor_work_guard<asio::io_context::executor_type> m_work;
  Dispatcher m_dispatcher;
  const Context m_context;
  std::shared_ptr<SearchService> m_search;
  FirmwareCache m_firmware;
  mutable std::mutex m_mutex;
  std::map<int, std::shared_ptr<Session>> m_sessions;
  std::mutex m_stopMutex;
  bool m_stopped = false;
  std::thread m_thread;  // last, so that it starts once everything it uses exists
};

}  // namespace netsdk
