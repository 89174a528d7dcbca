#include "runtime.h"

#include <chrono>

#include "onvif_backend/onvif_search.h"
#include "onvif_backend/onvif_session.h"
#include "onvif_backend/text_encoding.h"
#include "wire/endpoint.h"

namespace netsdk {

Runtime::Runtime(const Settings& settings, Callbacks& callbacks)
    : m_work(asio::make_work_guard(m_io)),
      m_dispatcher(callbacks),
      m_context{m_io, settings, m_dispatcher},
      m_backend(settings.GetBackend()),
      m_scope(settings.GetScope()),
      m_search(MakeSearch()),
      m_thread([this] { m_io.run(); }) {}

std::shared_ptr<DeviceSearch> Runtime::MakeSearch() {
  if (m_backend == Backend::kSim) return std::make_shared<SearchService>(m_context);
  if (!m_onvif) m_onvif = std::make_unique<onvif_backend::OnvifServices>(m_io, m_context.settings);
  return std::make_shared<onvif_backend::OnvifSearch>(m_context, *m_onvif);
}

std::shared_ptr<DeviceSearch> Runtime::Search() const {
  std::lock_guard lock(m_mutex);
  return m_search;
}

void Runtime::FollowSettings() {
  std::lock_guard stopLock(m_stopMutex);
  if (m_stopped) return;
  const Backend backend = m_context.settings.GetBackend();
  const Scope scope = m_context.settings.GetScope();
  std::shared_ptr<DeviceSearch> previous;
  {
    std::lock_guard lock(m_mutex);
    // The framed protocol reaches only the loopback endpoint, whatever the scope.
    const bool changed = backend != m_backend || (backend == Backend::kOnvif && scope != m_scope);
    if (!changed || !m_sessions.empty() || !m_previews.empty()) return;
    m_backend = backend;
    m_scope = scope;
    previous = std::move(m_search);
    m_search = MakeSearch();
  }
  // The old search's probes, socket and waiting calls end on the network thread, as at Stop.
  asio::post(m_io, [previous] { previous->Shutdown(); });
}

Runtime::~Runtime() {
  Stop();
}

void Runtime::Stop() {
  std::lock_guard stopLock(m_stopMutex);
  if (m_stopped) return;
  m_stopped = true;
  std::map<int, std::shared_ptr<DeviceLogin>> sessions;
  std::map<int, std::shared_ptr<LivePreview>> previews;
  std::shared_ptr<DeviceSearch> search;
  onvif_backend::OnvifServices* onvif = nullptr;
  {
    std::lock_guard lock(m_mutex);
    sessions.swap(m_sessions);
    previews.swap(m_previews);
    search = m_search;
    onvif = m_onvif.get();
  }
  for (auto& [handle, session] : sessions) session->Close();
  for (auto& [handle, preview] : previews) preview->Close();
  // Let the closes run, so that calls waiting for an answer return now rather than at their
  // time-out; the network thread is ours, so this wait is short.
  auto closed = std::make_shared<Waiter>();
  asio::post(m_io, [search, closed] {
    search->Shutdown();
    closed->Set(0);
  });
  closed->Wait(std::chrono::seconds(2), -1);
  // No transfer completes after this; the network thread may still hold completions, which are
  // dropped with it.
  if (onvif != nullptr) onvif->http.Stop();
  if (onvif != nullptr) onvif->rtsp.Stop();
  m_work.reset();
  m_io.stop();
  if (m_thread.joinable()) m_thread.join();
  m_dispatcher.Stop();
  m_delivery.Stop();
}

bool Runtime::Open(int handle, LoginTarget target) {
  std::shared_ptr<DeviceLogin> session;
  // The kind of login and its entry in the list are decided under one lock, so that
  // FollowSettings never changes the backend between them.
  std::unique_lock lock(m_mutex);
  if (m_backend == Backend::kOnvif) {
    std::uint32_t address = 0;
    // The program's GBK credential goes to the device as UTF-8.
    auto user = onvif_backend::GbkToUtf8(target.user);
    auto password = onvif_backend::GbkToUtf8(target.password);
    if (target.user.size() > wire::kMaxUser || target.password.size() > wire::kMaxPassword ||
        !wire::ParseIPv4(target.ip, &address) || !user || !password) {
      return false;
    }
    target.user = std::move(*user);
    target.password = std::move(*password);
    session = std::make_shared<onvif_backend::OnvifSession>(m_context, *m_onvif, handle,
                                                            std::move(target));
  } else {
    session = std::make_shared<Session>(m_context, handle, std::move(target));
  }
  m_sessions.emplace(handle, session);
  lock.unlock();
  session->Start();
  return true;
}

std::shared_ptr<DeviceLogin> Runtime::Find(int handle) const {
  std::lock_guard lock(m_mutex);
  auto found = m_sessions.find(handle);
  return found == m_sessions.end() ? nullptr : found->second;
}

std::shared_ptr<DeviceLogin> Runtime::Remove(int handle) {
  std::lock_guard lock(m_mutex);
  auto found = m_sessions.find(handle);
  if (found == m_sessions.end()) return nullptr;
  auto session = std::move(found->second);
  m_sessions.erase(found);
  return session;
}

bool Runtime::OpenPreview(int handle, DeviceLogin& login, const PreviewTarget& target,
                          IP_NET_DVR_StreamDataCallBack callback, void* user) {
  auto feed = m_delivery.Open(handle, callback, user);
  std::shared_ptr<LivePreview> preview = login.MakePreview(target, m_delivery, feed);
  if (!preview) {
    m_delivery.Close(*feed);
    return false;
  }
  {
    std::lock_guard lock(m_mutex);
    m_previews.emplace(handle, preview);
  }
  preview->Start();
  return true;
}

void Runtime::ReleasePreview(int handle) {
  std::shared_ptr<LivePreview> preview;
  {
    std::lock_guard lock(m_mutex);
    auto found = m_previews.find(handle);
    if (found == m_previews.end()) return;
    preview = found->second;
  }
  m_delivery.Release(preview->GetFeed());
}

int Runtime::ClosePreview(int handle) {
  std::shared_ptr<LivePreview> preview;
  {
    std::lock_guard lock(m_mutex);
    auto found = m_previews.find(handle);
    if (found == m_previews.end()) return -1;
    preview = std::move(found->second);
    m_previews.erase(found);
  }
  preview->Close();
  m_delivery.Close(preview->GetFeed());
  return 0;
}

}  // namespace netsdk
