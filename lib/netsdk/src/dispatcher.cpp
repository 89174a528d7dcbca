#include "dispatcher.h"

namespace netsdk {

void Callbacks::SetStatus(IP_NET_DVR_StatusCallBack callback, void* user) {
  std::lock_guard lock(m_mutex);
  m_status = callback;
  m_statusUser = user;
}

void Callbacks::SetResponse(IP_NET_DVR_ResponseCallBack callback, void* user) {
  std::lock_guard lock(m_mutex);
  m_response = callback;
  m_responseUser = user;
}

void Callbacks::Reset() {
  SetStatus(nullptr, nullptr);
  SetResponse(nullptr, nullptr);
}

void Callbacks::Status(int handle, int event, int value) {
  IP_NET_DVR_StatusCallBack callback;
  void* user;
  {
    std::lock_guard lock(m_mutex);
    callback = m_status;
    user = m_statusUser;
  }
  if (callback != nullptr) callback(handle, event, value, user);
}

void Callbacks::Response(int handle, std::uint32_t code, const std::string& text) {
  IP_NET_DVR_ResponseCallBack callback;
  void* user;
  {
    std::lock_guard lock(m_mutex);
    callback = m_response;
    user = m_responseUser;
  }
  if (callback != nullptr) callback(handle, code, text.c_str(), user);
}

Dispatcher::Dispatcher(Callbacks& callbacks)
    : m_callbacks(callbacks), m_thread([this] { Run(); }) {}

Dispatcher::~Dispatcher() {
  Stop();
}

void Dispatcher::Status(OpenFlag open, int handle, int event, int value) {
  Post(std::move(open), [this, handle, event, value] { m_callbacks.Status(handle, event, value); });
}

void Dispatcher::Response(OpenFlag open, int handle, std::uint32_t code, std::string text) {
  Post(std::move(open),
       [this, handle, code, text = std::move(text)] { m_callbacks.Response(handle, code, text); });
}

void Dispatcher::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    m_queue.clear();
  }
  m_wake.notify_all();
  if (!m_thread.joinable()) return;
  // Cleanup refuses to run inside a callback, so the thread is never asked to join itself; detach
  // rather than terminate should it happen anyway.
  if (OnDispatcherThread()) {
    m_thread.detach();
  } else {
    m_thread.join();
  }
}

void Dispatcher::Post(OpenFlag open, std::function<void()> call) {
  {
    std::lock_guard lock(m_mutex);
    if (m_stopping) return;
    m_queue.emplace_back(std::move(open), std::move(call));
  }
  m_wake.notify_one();
}

void Dispatcher::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
    if (m_stopping) return;
    auto [open, call] = std::move(m_queue.front());
    m_queue.pop_front();
    lock.unlock();
    if (open == nullptr || open->load()) call();
    lock.lock();
  }
}

}  // namespace netsdk
