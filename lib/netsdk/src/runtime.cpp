#include "runtime.h"

#include <chrono>

namespace netsdk {

Runtime::Runtime(const Settings& settings, Callbacks& callbacks)
    : m_work(asio::make_work_guard(m_io)),
      m_dispatcher(callbacks),
      m_context{m_io, settings, m_dispatcher},
      m_search(std::make_shared<SearchService>(m_context)),
      m_thread([this] { m_io.run(); }) {}

Runtime::~Runtime() {
  Stop();
}

void Runtime::Stop() {
  std::lock_guard stopLock(m_stopMutex);
  if (m_stopped) return;
  m_stopped = true;
  std::map<int, std::shared_ptr<Session>> sessions;
  std::map<int, std::shared_ptr<Preview>> previews;
  {
    std::lock_guard lock(m_mutex);
    sessions.swap(m_sessions);
    previews.swap(m_previews);
  }
  for (auto& [handle, session] : sessions) session->Close();
  for (auto& [handle, preview] : previews) preview->Close();
  // Let the closes run, so that calls waiting for an answer return now rather than at their
  // time-out; the network thread is ours, so this wait is short.
  auto closed = std::make_shared<Waiter>();
  asio::post(m_io, [search = m_search, closed] {
    search->Shutdown();
    closed->Set(0);
  });
  closed->Wait(std::chrono::seconds(2), -1);
  m_work.reset();
  m_io.stop();
  if (m_thread.joinable()) m_thread.join();
  m_dispatcher.Stop();
  m_delivery.Stop();
}

void Runtime::Open(int handle, LoginTarget target) {
  auto session = std::make_shared<Session>(m_context, handle, std::move(target));
  {
    std::lock_guard lock(m_mutex);
    m_sessions.emplace(handle, session);
  }
  session->Start();
}

std::shared_ptr<Session> Runtime::Find(int handle) const {
  std::lock_guard lock(m_mutex);
  auto found = m_sessions.find(handle);
  return found == m_sessions.end() ? nullptr : found->second;
}

std::shared_ptr<Session> Runtime::Remove(int handle) {
  std::lock_guard lock(m_mutex);
  auto found = m_sessions.find(handle);
  if (found == m_sessions.end()) return nullptr;
  auto session = std::move(found->second);
  m_sessions.erase(found);
  return session;
}

void Runtime::OpenPreview(int handle, PreviewTarget target, IP_NET_DVR_StreamDataCallBack callback,
                          void* user) {
  auto preview = std::make_shared<Preview>(m_context, std::move(target), m_delivery,
                                           m_delivery.Open(handle, callback, user));
  {
    std::lock_guard lock(m_mutex);
    m_previews.emplace(handle, preview);
  }
  preview->Start();
}

void Runtime::ReleasePreview(int handle) {
  std::shared_ptr<Preview> preview;
  {
    std::lock_guard lock(m_mutex);
    auto found = m_previews.find(handle);
    if (found == m_previews.end()) return;
    preview = found->second;
  }
  m_delivery.Release(preview->GetFeed());
}

int Runtime::ClosePreview(int handle) {
  std::shared_ptr<Preview> preview;
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
