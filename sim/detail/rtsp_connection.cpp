#include "sim/detail/rtsp_connection.h"

#include "sim/detail/message_head.h"

#include <algorithm>
#include <chrono>

namespace camsim::detail {
namespace {

constexpr std::size_t kInterleavedHeaderSize = 4;
constexpr std::size_t kMaxLengthDigits = 18;
constexpr std::size_t kMaxCSeqDigits = 10;
// After its last answer the connection reads and drops what the peer still sends this long at most.
constexpr auto kLinger = std::chrono::seconds(2);

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 302:
      return "Moved Temporarily";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 404:
      return "Not Found";
    case 413:
      return "Request Entity Too Large";
    case 454:
      return "Session Not Found";
    case 455:
      return "Method Not Valid in This State";
    case 459:
      return "Aggregate Operation Not Allowed";
    case 461:
      return "Unsupported Transport";
    case 500:
      return "Internal Server Error";
    case 501:
      return "Not Implemented";
    case 503:
      return "Service Unavailable";
    case 505:
      return "RTSP Version Not Supported";
    default:
      return "Unknown";
  }
}

// The request line's target: an rtsp:// URI's path, an absolute path, or * for the server.
bool ParseTarget(std::string_view uri, std::string* path) {
  if (uri == "*") {
    path->clear();
    return true;
  }
  std::string_view rest = uri;
  if (Lower(uri.substr(0, 7)) == "rtsp://") {
    const std::size_t slash = uri.find('/', 7);
    rest = slash == std::string_view::npos ? std::string_view("/") : uri.substr(slash);
    if (uri.substr(7, slash == std::string_view::npos ? slash : slash - 7).empty()) return false;
  }
  if (rest.empty() || rest[0] != '/') return false;
  *path = std::string(rest.substr(0, rest.find('?')));
  return true;
}

// The head without its final empty line. status says why it was refused; the CSeq is kept
// whenever it was read, so that even a refusal names its request.
bool ParseHead(std::string_view head, RtspRequest* request, std::uint64_t* contentLength,
               int* status) {
  *status = 400;
  RequestLine line;
  if (!SplitHead(head, &line, &request->headers)) return false;
  bool valid = true;
  bool haveLength = false;
  for (const auto& [name, value] : request->headers) {
    if (name == "cseq") {
      if (!IsDigits(value, kMaxCSeqDigits) || (!request->cseq.empty() && request->cseq != value)) {
        valid = false;
      } else {
        request->cseq = value;
      }
    } else if (name == "content-length") {
      if (!IsDigits(value, kMaxLengthDigits)) return false;
      const std::uint64_t length = std::stoull(value);
      if (haveLength && length != *contentLength) return false;
      haveLength = true;
      *contentLength = length;
    }
  }
  if (!valid || request->cseq.empty()) return false;
  request->method = std::string(line.method);
  request->uri = std::string(line.target);
  if (!ParseTarget(request->uri, &request->path)) return false;
  if (line.version != "RTSP/1.0") {
    const std::string_view version = line.version;
    if (version.size() == 8 && version.substr(0, 5) == "RTSP/" && version[6] == '.') *status = 505;
    return false;
  }
  return true;
}

}  // namespace

const std::string* RtspRequest::Header(std::string_view name) const {
  return FindHeader(headers, name);
}

RtspConnection::RtspConnection(asio::ip::tcp::socket socket)
    : TcpConnection(std::move(socket)), m_idleTimer(m_socket.get_executor()) {}

void RtspConnection::Start(RequestHandler onRequest, std::function<void()> onClose) {
  m_onRequest = std::move(onRequest);
  m_onClose = std::move(onClose);
  ArmIdle();
  Process();
}

void RtspConnection::Respond(RtspResponse response) {
  if (m_closed || m_state != State::kWaiting) return;
  std::string text =
      "RTSP/1.0 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
  if (!m_cseq.empty()) text += "CSeq: " + m_cseq + "\r\n";
  for (const auto& [name, value] : response.headers) text += name + ": " + value + "\r\n";
  if (!response.contentType.empty()) text += "Content-Type: " + response.contentType + "\r\n";
  if (!response.body.empty()) {
    text += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
  }
  text += "\r\n" + response.body;
  m_state = response.close ? State::kClosing : State::kReading;
  Queue(std::move(text), response.close);
  if (!response.close && !m_processing) Process();
}

void RtspConnection::Send(std::string bytes) {
  if (m_closed || m_state == State::kClosing) return;
  Queue(std::move(bytes));
}

void RtspConnection::OnClosing() {
  m_state = State::kClosing;
  m_idleTimer.cancel();
}

void RtspConnection::DropHandlers() {
  m_onRequest = nullptr;
}

std::chrono::steady_clock::duration RtspConnection::LingerTime() const {
  return kLinger;
}

void RtspConnection::Fail(int status, std::string_view cseq) {
  m_state = State::kWaiting;
  m_cseq = std::string(cseq);
  RtspResponse response;
  response.status = status;
  response.close = true;
  Respond(std::move(response));
}

void RtspConnection::Process() {
  auto self = Self();  // the handler may drop the last other reference
  m_processing = true;
  while (!m_closed && m_state == State::kReading) {
    // Stray line ends between requests are tolerated, as after a body sent with a CRLF.
    std::size_t skip = 0;
    while (skip + 1 < m_in.size() && m_in[skip] == '\r' && m_in[skip + 1] == '\n') skip += 2;
    m_in.erase(0, skip);
    if (m_in.empty()) break;
    if (m_in[0] == '$') {
      if (m_in.size() < kInterleavedHeaderSize) break;
      const std::size_t size = kInterleavedHeaderSize + (static_cast<unsigned char>(m_in[2]) << 8 |
                                                         static_cast<unsigned char>(m_in[3]));
      if (m_in.size() < size) break;
      m_in.erase(0, size);
      continue;
    }
    std::size_t end = 0;
    const HeadScan scan = ScanHead(m_in, &end);
    if (scan == HeadScan::kBad) {
      Fail(400, "");
      break;
    }
    if ((scan == HeadScan::kNeedMore && m_in.size() >= kMaxRtspHeadBytes) ||
        (scan == HeadScan::kDone && end > kMaxRtspHeadBytes)) {
      Fail(413, "");
      break;
    }
    if (scan == HeadScan::kNeedMore) break;
    RtspRequest request;
    std::uint64_t length = 0;
    int status = 400;
    if (!ParseHead(std::string_view(m_in).substr(0, end - 2), &request, &length, &status)) {
      Fail(status, request.cseq);
      break;
    }
    if (length > kMaxRtspBodyBytes) {
      Fail(413, request.cseq);
      break;
    }
    if (m_in.size() - end < length) break;
    request.body = m_in.substr(end, static_cast<std::size_t>(length));
    m_in.erase(0, end + static_cast<std::size_t>(length));
    m_state = State::kWaiting;
    m_cseq = request.cseq;
    if (m_onRequest) m_onRequest(self, request);
  }
  m_processing = false;
  ReadMore();
}

void RtspConnection::ReadMore() {
  // While a request waits for its answer nothing more is read: the peer's bytes wait in the
  // socket, not in this connection's memory.
  if (m_closed || m_reading || m_state != State::kReading) return;
  m_reading = true;
  m_socket.async_read_some(asio::buffer(m_readBuffer),
                           [self = Self()](const std::error_code& error, std::size_t size) {
                             self->m_reading = false;
                             if (self->m_closed) return;
                             if (error) {
                               self->Close();
                               return;
                             }
                             if (self->m_lingering) return self->Drain();
                             self->ArmIdle();
                             self->m_in.append(self->m_readBuffer.data(), size);
                             self->Process();
                           });
}

void RtspConnection::ArmIdle() {
  m_idleTimer.expires_after(std::chrono::seconds(kRtspSessionTimeoutS));
  m_idleTimer.async_wait(
      [weak = std::weak_ptr(Self()), expiry = m_idleTimer.expiry()](const std::error_code& error) {
        auto self = weak.lock();
        // A wait that completed just as the timer was re-armed is not this expiry's.
        if (error || !self || self->m_closed || self->m_idleTimer.expiry() != expiry) return;
        self->Close();
      });
}

}  // namespace camsim::detail
