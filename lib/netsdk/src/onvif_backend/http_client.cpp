#include "onvif_backend/http_client.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "onvif_backend/destination_guard.h"

namespace netsdk::onvif_backend {
namespace {

// curl_global_init is not thread-safe and must run once before any handle exists.
void GlobalInitOnce() {
  static const bool done = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    return true;
  }();
  (void)done;
}

}  // namespace

struct HttpClient::Transfer {
  HttpClient* client = nullptr;
  HttpRequest request;
  std::function<void(HttpResponse)> done;
  HttpResponse response;
  CURL* easy = nullptr;
  curl_slist* headers = nullptr;
  std::uint64_t uploaded = 0;  // bytes handed to curl so far
  std::uint64_t progressSeen = 0;
  std::chrono::steady_clock::time_point lastProgress = std::chrono::steady_clock::now();
  std::chrono::microseconds stall{0};
  bool refusedInHook = false;
  bool tooLarge = false;
  std::string guardReason;

  ~Transfer() {
    if (easy != nullptr) curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    const size_t bytes = size * count;
    if (transfer->response.body.size() + bytes > kMaxAnswerBytes) {
      transfer->tooLarge = true;
      return 0;  // aborts the transfer
    }
    transfer->response.body.append(data, bytes);
    return bytes;
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    const size_t bytes = size * count;
    std::string line(data, bytes);
    // A new status line (after a 100 Continue or an interim answer) starts the headers afresh.
    if (line.rfind("HTTP/", 0) == 0) transfer->response.wwwAuthenticate.clear();
    static constexpr char kName[] = "www-authenticate:";
    if (line.size() > sizeof kName - 1 && strncasecmp(line.c_str(), kName, sizeof kName - 1) == 0) {
      std::string value = line.substr(sizeof kName - 1);
      const std::size_t first = value.find_first_not_of(" \t");
      const std::size_t last = value.find_last_not_of(" \t\r\n");
      if (first != std::string::npos) {
        transfer->response.wwwAuthenticate.push_back(value.substr(first, last - first + 1));
      }
    }
    return bytes;
  }

  static size_t OnRead(char* buffer, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    const auto& bytes = transfer->request.upload->bytes;
    const size_t room = size * count;
    const size_t left = bytes.size() - static_cast<size_t>(transfer->uploaded);
    const size_t chunk = std::min(room, left);
    std::memcpy(buffer, bytes.data() + transfer->uploaded, chunk);
    transfer->uploaded += chunk;
    return chunk;
  }

  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploadNow) {
    auto* transfer = static_cast<Transfer*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (transfer->request.upload) {
      const auto total = transfer->request.upload->bytes.size();
      if (transfer->request.progress && uploadNow > 0) {
        transfer->request.progress(static_cast<std::uint64_t>(uploadNow), total);
      }
    }
    // Any movement of the upload counts as progress; once every byte left, the wait for the
    // status counts from the last byte.
    if (uploadNow > 0 && static_cast<std::uint64_t>(uploadNow) != transfer->progressSeen) {
      transfer->progressSeen = static_cast<std::uint64_t>(uploadNow);
      transfer->lastProgress = now;
    }
    if (transfer->stall.count() > 0 && now - transfer->lastProgress > transfer->stall) return 1;
    return 0;
  }

  static curl_socket_t OnOpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
    auto* transfer = static_cast<Transfer*>(self);
    HttpClient& client = *transfer->client;
    asio::ip::address destination;
    if (address->family == AF_INET) {
      sockaddr_in in{};
      std::memcpy(&in, &address->addr, std::min<size_t>(sizeof in, address->addrlen));
      destination = asio::ip::address_v4(ntohl(in.sin_addr.s_addr));
    }
    std::string why = "not an IPv4 address";
    if (destination.is_unspecified() || !UnicastAllowed(destination, client.m_settings, &why)) {
      transfer->refusedInHook = true;
      transfer->guardReason = why;
      ++client.m_refusedInHook;
      return CURL_SOCKET_BAD;
    }
    ++client.m_opened;
    return socket(address->family, address->socktype, address->protocol);
  }
};

HttpClient::HttpClient(asio::io_context& io, const Settings& settings)
    : m_io(io), m_settings(settings) {
  GlobalInitOnce();
  m_multi = curl_multi_init();
  m_thread = std::thread([this] { Run(); });
}

HttpClient::~HttpClient() {
  Stop();
  curl_multi_cleanup(static_cast<CURLM*>(m_multi));
}

void HttpClient::Send(HttpRequest request, std::function<void(HttpResponse)> done) {
  auto transfer = std::make_unique<Transfer>();
  transfer->client = this;
  transfer->request = std::move(request);
  transfer->done = std::move(done);
  std::string why;
  if (!HostAllowed(transfer->request.url.host, m_settings, &why)) {
    HttpResponse refused;
    refused.outcome = HttpResponse::Outcome::kRefused;
    refused.error = why;
    asio::post(m_io, [done = std::move(transfer->done), refused = std::move(refused)]() mutable {
      done(std::move(refused));
    });
    return;
  }
  {
    std::lock_guard lock(m_mutex);
    if (m_stopping) return;
    m_queue.push_back(std::move(transfer));
  }
  curl_multi_wakeup(static_cast<CURLM*>(m_multi));
}

void HttpClient::Stop() {
  {
    std::lock_guard lock(m_mutex);
    if (m_stopping && !m_thread.joinable()) return;
    m_stopping = true;
  }
  curl_multi_wakeup(static_cast<CURLM*>(m_multi));
  if (m_thread.joinable()) m_thread.join();
}

void HttpClient::Begin(std::unique_ptr<Transfer> transfer) {
  CURL* easy = curl_easy_init();
  transfer->easy = easy;
  Transfer* t = transfer.get();
  const HttpRequest& request = t->request;
  const std::string url = request.url.ToString();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  // Never through a proxy from the environment: the destination must be the device itself.
  curl_easy_setopt(easy, CURLOPT_PROXY, "");
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_PRIVATE, t);
  curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &Transfer::OnOpenSocket);
  curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, t);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, t);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, t);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, t);
  const auto connectTimeout = m_settings.Scale().Real(kHttpConnectTimeoutMs);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(std::max<std::int64_t>(1, connectTimeout.count() / 1000)));
  curl_easy_setopt(easy, CURLOPT_POST, 1L);
  t->headers = curl_slist_append(t->headers, request.upload ? "Expect: 100-continue" : "Expect:");
  if (!request.contentType.empty()) {
    t->headers = curl_slist_append(t->headers, ("Content-Type: " + request.contentType).c_str());
  }
  if (!request.authorization.empty()) {
    t->headers = curl_slist_append(t->headers, ("Authorization: " + request.authorization).c_str());
  }
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, t->headers);
  if (request.upload) {
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Transfer::OnRead);
    curl_easy_setopt(easy, CURLOPT_READDATA, t);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.upload->bytes.size()));
    t->stall = m_settings.Scale().Real(kUploadStallMs);
  } else {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.c_str());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.body.size()));
    const auto timeout = m_settings.Scale().Real(kSoapTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                     static_cast<long>(std::max<std::int64_t>(1, timeout.count() / 1000)));
  }
  curl_multi_add_handle(static_cast<CURLM*>(m_multi), easy);
  m_running.push_back(std::move(transfer));
}

void HttpClient::Finish(Transfer* transfer, int curlCode) {
  HttpResponse& response = transfer->response;
  curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &response.status);
  const auto code = static_cast<CURLcode>(curlCode);
  if (transfer->refusedInHook) {
    response.outcome = HttpResponse::Outcome::kRefused;
    response.error = transfer->guardReason;
  } else if (code == CURLE_OK) {
    response.outcome = HttpResponse::Outcome::kAnswered;
  } else if (code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
             (code == CURLE_OPERATION_TIMEDOUT && response.status == 0 && transfer->uploaded == 0 &&
              response.body.empty())) {
    response.outcome = HttpResponse::Outcome::kUnreachable;
  } else if (code == CURLE_OPERATION_TIMEDOUT || code == CURLE_ABORTED_BY_CALLBACK) {
    response.outcome =
        transfer->tooLarge ? HttpResponse::Outcome::kBroken : HttpResponse::Outcome::kTimedOut;
  } else {
    response.outcome = HttpResponse::Outcome::kBroken;
  }
  if (response.outcome != HttpResponse::Outcome::kAnswered && response.error.empty()) {
    response.error = transfer->tooLarge ? "answer too large" : curl_easy_strerror(code);
  }
  asio::post(m_io, [done = std::move(transfer->done), response = std::move(response)]() mutable {
    done(std::move(response));
  });
}

void HttpClient::Run() {
  auto* multi = static_cast<CURLM*>(m_multi);
  for (;;) {
    std::vector<std::unique_ptr<Transfer>> arrived;
    {
      std::lock_guard lock(m_mutex);
      if (m_stopping) break;
      arrived.swap(m_queue);
    }
    for (auto& transfer : arrived) Begin(std::move(transfer));
    int running = 0;
    curl_multi_perform(multi, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      Transfer* transfer = nullptr;
      curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
      const CURLcode result = message->data.result;
      curl_multi_remove_handle(multi, message->easy_handle);
      Finish(transfer, result);
      std::erase_if(m_running, [transfer](const auto& item) { return item.get() == transfer; });
    }
    // Wakes for sockets, for Send and Stop (curl_multi_wakeup), and at least every 50 ms so that
    // the stall checks of the progress callback run.
    curl_multi_poll(multi, nullptr, 0, 50, nullptr);
  }
  for (auto& transfer : m_running) curl_multi_remove_handle(multi, transfer->easy);
  m_running.clear();
  std::lock_guard lock(m_mutex);
  m_queue.clear();
}

}  // namespace netsdk::onvif_backend
