// Everything that exists between Init and Cleanup: the network thread and its io_context, the
// callback thread, the stream delivery thread, the search, the open logins and previews, and the
// firmware cache.
#pragma once

#include <asio.hpp>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "context.h"
#include "dispatcher.h"
#include "firmware_cache.h"
#include "preview.h"
#include "search_service.h"
#include "session.h"
#include "stream_delivery.h"

namespace netsdk {

class Runtime {
 public:
  Runtime(const Settings& settings, Callbacks& callbacks);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // Closes every login and the search, then ends both threads. Idempotent.
  void Stop();
  bool OnCallbackThread() const {
    return m_dispatcher.OnDispatcherThread() || m_delivery.OnDeliveryThread();
  }

  SearchService& Search() { return *m_search; }
  FirmwareCache& Firmware() { return m_firmware; }
  void Open(int handle, LoginTarget target);
  std::shared_ptr<Session> Find(int handle) const;
  std::shared_ptr<Session> Remove(int handle);

  // Starts a preview under handle; its packets are delivered once it is released.
  void OpenPreview(int handle, PreviewTarget target, IP_NET_DVR_StreamDataCallBack callback,
                   void* user);
  void ReleasePreview(int handle);
  // -1 for an unknown handle. Returns once no callback of the preview runs or will run.
  int ClosePreview(int handle);

 private:
  asio::io_context m_io;
  asio::executor_work_guard<asio::io_context::executor_type> m_work;
  Dispatcher m_dispatcher;
  StreamDelivery m_delivery;  // before the previews, which hand it their packets
  const Context m_context;
  std::shared_ptr<SearchService> m_search;
  FirmwareCache m_firmware;
  mutable std::mutex m_mutex;
  std::map<int, std::shared_ptr<Session>> m_sessions;
  std::map<int, std::shared_ptr<Preview>> m_previews;
  std::mutex m_stopMutex;
  bool m_stopped = false;
  std::thread m_thread;  // last, so that it starts once everything it uses exists
};

}  // namespace netsdk
