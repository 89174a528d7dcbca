// Everything that exists between Init and Cleanup: the network thread and its io_context, the
// callback thread, the stream delivery thread, the search, the open logins and previews, and the
// firmware cache; with the ONVIF backend also its HTTP thread. The backend is chosen at Init and
// may change between searches (FollowSettings).
#pragma once

#include <asio.hpp>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "context.h"
#include "device_login.h"
#include "device_search.h"
#include "dispatcher.h"
#include "firmware_cache.h"
#include "onvif_backend/onvif_services.h"
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

  // The search of the backend in force; held by the caller, as FollowSettings may replace it.
  std::shared_ptr<DeviceSearch> Search() const;
  // Takes a backend (or, for ONVIF, a scope) the settings have been given since: the search and
  // the kind of login Open makes change, once no login and no preview is open; until then both
  // stay as they are. The ONVIF services, and with them the credentials devices refused, live as
  // long as the runtime, so that a change back and forth never sends a refused credential again.
  void FollowSettings();
  FirmwareCache& Firmware() { return m_firmware; }
  // false, with nothing sent, for a target the backend cannot use (the ONVIF backend refuses
  // credentials too long for the information block and addresses that are not IPv4).
  bool Open(int handle, LoginTarget target);
  std::shared_ptr<DeviceLogin> Find(int handle) const;
  std::shared_ptr<DeviceLogin> Remove(int handle);

  // Starts a preview of the login's device under handle; its packets are delivered once it is
  // released. false when the device offers no stream.
  bool OpenPreview(int handle, DeviceLogin& login, const PreviewTarget& target,
                   IP_NET_DVR_StreamDataCallBack callback, void* user);
  void ReleasePreview(int handle);
  // -1 for an unknown handle. Returns once no callback of the preview runs or will run.
  int ClosePreview(int handle);

 private:
  asio::io_context m_io;
  asio::executor_work_guard<asio::io_context::executor_type> m_work;
  Dispatcher m_dispatcher;
  StreamDelivery m_delivery;  // before the previews, which hand it their packets
  const Context m_context;
  FirmwareCache m_firmware;
  mutable std::mutex m_mutex;
  // The backend in force and, for ONVIF, the scope its discovery socket was opened for.
  Backend m_backend;
  Scope m_scope;
  // Created the first time the ONVIF backend is in force, then kept.
  std::unique_ptr<onvif_backend::OnvifServices> m_onvif;
  std::shared_ptr<DeviceSearch> m_search;
  std::map<int, std::shared_ptr<DeviceLogin>> m_sessions;
  std::map<int, std::shared_ptr<LivePreview>> m_previews;
  std::shared_ptr<DeviceSearch> MakeSearch();  // under m_mutex

  std::mutex m_stopMutex;
  bool m_stopped = false;
  std::thread m_thread;  // last, so that it starts once everything it uses exists
};

}  // namespace netsdk
