// HTTP for the ONVIF backend: every transfer of the library runs on one thread of its own through
// libcurl's multi interface, and each completion is handed to the network thread. No redirects,
// no proxies; "Expect: 100-continue" for uploads only, so that a device refuses one (its
// credentials, its size) before the image is sent; the destination guard runs before a transfer
// starts and in the socket-open hook. Bodies of answers are bounded; time-outs run on the library's
// clock.
#pragma once

#include <asio.hpp>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "firmware_cache.h"
#include "onvif_backend/url.h"
#include "settings.h"

namespace netsdk::onvif_backend {

// Waits, in program milliseconds (the time scale divides them).
inline constexpr double kHttpConnectTimeoutMs = 5000;
inline constexpr double kSoapTimeoutMs = 10000;
// An upload without progress for this long, or without a status this long after its last byte,
// has failed.
inline constexpr double kUploadStallMs = 30000;
// Answers larger than this are cut off and count as broken.
inline constexpr std::size_t kMaxAnswerBytes = 1 << 20;

struct HttpRequest {
  Url url;
  std::string contentType;
  std::string authorization;  // the Authorization value, or empty
  std::string body;
  // Sent instead of body (a firmware upload): no overall time-out, only the stall time-out.
  std::shared_ptr<const FirmwareImage> upload;
  // Called on the HTTP thread as upload bytes leave; must not block.
  std::function<void(std::uint64_t sent, std::uint64_t total)> progress;
};

struct HttpResponse {
  enum class Outcome {
    kAnswered,     // a status line and a complete body arrived
    kRefused,      // the destination guard refused it; nothing was sent
    kUnreachable,  // no connection could be made
    kTimedOut,
    kBroken,  // the connection closed early or the answer was malformed or too large
  };
  Outcome outcome = Outcome::kBroken;
  long status = 0;
  std::vector<std::string> wwwAuthenticate;  // every WWW-Authenticate value, in order
  std::string body;
  std::string error;
};

class HttpClient {
 public:
  HttpClient(asio::io_context& io, const Settings& settings);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Starts the transfer; done runs on the network thread, unless the client stops first.
  void Send(HttpRequest request, std::function<void(HttpResponse)> done);
  // Abandons every transfer (their done handlers are not run) and ends the thread. Idempotent.
  void Stop();

  // Sockets the client opened / refused in its socket-open hook, for the guard's tests.
  std::uint64_t SocketsOpened() const { return m_opened.load(); }
  std::uint64_t SocketsRefused() const { return m_refusedInHook.load(); }

 private:
  struct Transfer;

  void Run();
  void Begin(std::unique_ptr<Transfer> transfer);
  void Finish(Transfer* transfer, int curlCode);

  asio::io_context& m_io;
  const Settings& m_settings;
  void* m_multi = nullptr;  // CURLM*, touched only by the HTTP thread once it runs
  std::mutex m_mutex;       // the queue and the stop flag
  std::vector<std::unique_ptr<Transfer>> m_queue;
  bool m_stopping = false;
  std::vector<std::unique_ptr<Transfer>> m_running;  // HTTP thread only
  std::atomic<std::uint64_t> m_opened{0};
  std::atomic<std::uint64_t> m_refusedInHook{0};
  std::thread m_thread;
};

}  // namespace netsdk::onvif_backend
