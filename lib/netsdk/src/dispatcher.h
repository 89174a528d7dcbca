// The thread that calls the program's callbacks. The network thread only queues events here, so a
// slow callback never stalls the network, and a callback may call back into the library (even a
// call that waits for the network) without a deadlock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "netsdk.h"

namespace netsdk {

// The registered callbacks; registration may happen before Init and from any thread.
class Callbacks {
 public:
  void SetStatus(IP_NET_DVR_StatusCallBack callback, void* user);
  void SetResponse(IP_NET_DVR_ResponseCallBack callback, void* user);
  void Reset();
  void Status(int handle, int event, int value);
  void Response(int handle, std::uint32_t code, const std::string& text);

 private:
  std::mutex m_mutex;
  IP_NET_DVR_StatusCallBack m_status = nullptr;
  void* m_statusUser = nullptr;
  IP_NET_DVR_ResponseCallBack m_response = nullptr;
  void* m_responseUser = nullptr;
};

// Cleared by Logout: events of a closed login that are still queued are not delivered.
using OpenFlag = std::shared_ptr<const std::atomic<bool>>;

class Dispatcher {
 public:
  explicit Dispatcher(Callbacks& callbacks);
  ~Dispatcher();
  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;

  void Status(OpenFlag open, int handle, int event, int value);
  void Response(OpenFlag open, int handle, std::uint32_t code, std::string text);
  // Drops what is still queued and ends the thread.
  void Stop();
  bool OnDispatcherThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

 private:
  void Post(OpenFlag open, std::function<void()> call);
  void Run();

  Callbacks& m_callbacks;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::pair<OpenFlag, std::function<void()>>> m_queue;
  bool m_stopping = false;
  std::thread m_thread;
};

}  // namespace netsdk
