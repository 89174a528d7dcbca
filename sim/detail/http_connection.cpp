#include "sim/detail/http_connection.h"

#include "sim/detail/message_head.h"

#include <algorithm>

namespace camsim::detail {
namespace {

// Content-Length values beyond this are refused as malformed before any bound is compared.
constexpr std::size_t kMaxLengthDigits = 18;
// After its last answer the connection reads and drops what the peer still sends, this long at
// most (program milliseconds): closing with unread bytes would reset the connection and could
// destroy that answer before the peer reads it.
constexpr double kLingerMs = 2000;

const char* ReasonPhrase(int status) {
  switch (status) {
    case 100:
      return "Continue";
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 413:
      return "Content Too Large";
    case 415:
      return "Unsupported Media Type";
    case 500:
      return "Internal Server Error";
    case 501:
      return "Not Implemented";
    case 503:
      return "Service Unavailable";
    case 505:
      return "HTTP Version Not Supported";
    default:
      return "Unknown";
  }
}

// The head without its final empty line; status says why it was refused.
bool ParseHead(std::string_view head, HttpRequest* request, int* status) {
  *status = 400;
  RequestLine line;
  if (!SplitHead(head, &line, &request->headers)) return false;
  request->method = std::string(line.method);
  std::string_view target = line.target;
  const std::string_view version = line.version;
  // The absolute form names the authority too; only its path routes.
  if (target.substr(0, 7) == "http://") {
    const std::size_t slash = target.find('/', 7);
    target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
  }
  if (target.empty() || target[0] != '/') return false;
  request->target = std::string(target);
  if (version == "HTTP/1.0") {
    request->keepAlive = false;
  } else if (version != "HTTP/1.1") {
    if (version.size() == 8 && version.substr(0, 5) == "HTTP/" && version[6] == '.') *status = 505;
    return false;
  }

  bool haveLength = false;
  for (const auto& [name, value] : request->headers) {
    if (name == "content-length") {
      if (!IsDigits(value, kMaxLengthDigits)) return false;
      const std::uint64_t length = std::stoull(value);
      if (haveLength && length != request->contentLength) return false;
      haveLength = true;
      request->contentLength = length;
    } else if (name == "transfer-encoding") {
      *status = 501;
      return false;
    } else if (name == "connection") {
      const std::string tokens = Lower(value);
      std::size_t pos = 0;
      while (pos <= tokens.size()) {
        const std::size_t comma = std::min(tokens.find(',', pos), tokens.size());
        const std::string_view token = Trim(std::string_view(tokens).substr(pos, comma - pos));
        if (token == "close") request->keepAlive = false;
        if (token == "keep-alive" && version == "HTTP/1.0") request->keepAlive = true;
        pos = comma + 1;
      }
    } else if (name == "expect") {
      request->expectContinue = Lower(value) == "100-continue";
    }
  }
  return true;
}

}  // namespace

const std::string* HttpRequest::Header(std::string_view name) const {
  return FindHeader(headers, name);
}

HttpConnection::HttpConnection(asio::ip::tcp::socket socket, SimClock& clock)
    : TcpConnection(std::move(socket)),
      m_clock(clock),
      m_stallTimer(m_socket.get_executor()),
      m_pauseTimer(m_socket.get_executor()) {}

void HttpConnection::Start(HeadHandler onHead, std::function<void()> onClose) {
  m_onHead = std::move(onHead);
  m_onClose = std::move(onClose);
  Process();
}

void HttpConnection::BufferBody(std::uint64_t maxBytes,
                                std::function<void(HttpRequest&)> onComplete) {
  m_streaming = false;
  m_onComplete = std::move(onComplete);
  TakeBody(maxBytes);
}

void HttpConnection::StreamBody(std::uint64_t maxBytes,
                                std::function<void(const std::uint8_t*, std::size_t)> onData,
                                std::function<void()> onEnd) {
  m_streaming = true;
  m_onData = std::move(onData);
  m_onEnd = std::move(onEnd);
  TakeBody(maxBytes);
}

void HttpConnection::TakeBody(std::uint64_t maxBytes) {
  if (m_state != State::kDeciding) return;
  if (m_request.contentLength > maxBytes) {
    Fail(413, "the body is larger than " + std::to_string(maxBytes) + " bytes");
    return;
  }
  m_state = State::kBody;
  m_remaining = m_request.contentLength;
  if (m_request.expectContinue && m_remaining > 0) Queue("HTTP/1.1 100 Continue\r\n\r\n");
  ArmStall();
}

void HttpConnection::PauseFor(double ms) {
  if (m_closed || m_state != State::kBody) return;
  m_paused = true;
  DisarmStall();
  m_pauseTimer.expires_after(m_clock.Real(ms));
  m_pauseTimer.async_wait([weak = std::weak_ptr(Self())](const std::error_code& error) {
    auto self = weak.lock();
    if (error || !self || self->m_closed) return;
    self->m_paused = false;
    self->ArmStall();
    self->Process();
  });
}

void HttpConnection::Hold() {
  if (m_closed) return;
  m_paused = true;
  DisarmStall();
  m_pauseTimer.cancel();
}

void HttpConnection::Respond(HttpResponse response) {
  if (m_closed || m_state == State::kClosing || m_state == State::kHead) return;
  const bool unread =
      m_state == State::kBody || (m_state == State::kDeciding && m_request.contentLength > 0);
  const bool close = response.close || !m_request.keepAlive || unread;
  std::string text =
      "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
  if (!response.contentType.empty()) text += "Content-Type: " + response.contentType + "\r\n";
  for (const auto& [name, value] : response.headers) text += name + ": " + value + "\r\n";
  text += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
  if (close) text += "Connection: close\r\n";
  text += "\r\n";
  text += response.body;
  m_paused = false;
  m_pauseTimer.cancel();
  DisarmStall();
  m_state = close ? State::kClosing : State::kHead;
  Queue(std::move(text), close);
  if (!close && !m_processing) Process();
}

void HttpConnection::OnClosing() {
  m_state = State::kClosing;
  m_stallTimer.cancel();
  m_pauseTimer.cancel();
}

void HttpConnection::DropHandlers() {
  m_onHead = nullptr;
  m_onComplete = nullptr;
  m_onData = nullptr;
  m_onEnd = nullptr;
}

std::chrono::steady_clock::duration HttpConnection::LingerTime() const {
  return m_clock.Real(kLingerMs);
}

void HttpConnection::Fail(int status, std::string reason) {
  // Also for a head that never became a request.
  if (m_state == State::kHead) m_state = State::kDeciding;
  HttpResponse response;
  response.status = status;
  response.contentType = "text/plain; charset=utf-8";
  response.body = std::move(reason) + "\n";
  response.close = true;
  Respond(std::move(response));
}

void HttpConnection::Process() {
  auto self = Self();  // a handler below may drop the last other reference
  m_processing = true;
  while (!m_closed) {
    if (m_state == State::kHead) {
      // Stray line ends between requests are tolerated, as after a body sent with a CRLF.
      std::size_t skip = 0;
      while (skip + 1 < m_in.size() && m_in[skip] == '\r' && m_in[skip + 1] == '\n') skip += 2;
      m_in.erase(0, skip);
      if (m_in.empty()) {
        DisarmStall();
        break;
      }
      std::size_t end = 0;
      const HeadScan scan = ScanHead(m_in, &end);
      if (scan == HeadScan::kBad) {
        Fail(400, "malformed request head");
        break;
      }
      if ((scan == HeadScan::kNeedMore && m_in.size() >= kMaxHttpHeadBytes) ||
          (scan == HeadScan::kDone && end > kMaxHttpHeadBytes)) {
        Fail(413, "request head larger than 16 KiB");
        break;
      }
      if (scan == HeadScan::kNeedMore) {
        ArmStall();
        break;
      }
      HttpRequest request;
      int status = 400;
      if (!ParseHead(std::string_view(m_in).substr(0, end - 2), &request, &status)) {
        Fail(status, "malformed request");
        break;
      }
      m_in.erase(0, end);
      m_request = std::move(request);
      m_state = State::kDeciding;
      DisarmStall();
      if (m_onHead) m_onHead(self, m_request);
      if (m_state == State::kDeciding) Close();
      continue;
    }
    if (m_state == State::kBody) {
      if (m_paused) break;
      if (m_remaining == 0) {
        FinishBody();
        continue;
      }
      if (m_in.empty()) break;
      const std::size_t take =
          static_cast<std::size_t>(std::min<std::uint64_t>(m_remaining, m_in.size()));
      m_remaining -= take;
      if (m_streaming) {
        const std::string chunk = m_in.substr(0, take);
        m_in.erase(0, take);
        if (m_onData) m_onData(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size());
      } else {
        m_request.body.append(m_in, 0, take);
        m_in.erase(0, take);
      }
      continue;
    }
    break;  // waiting for this request's answer, or closing
  }
  m_processing = false;
  ReadMore();
}

void HttpConnection::FinishBody() {
  DisarmStall();
  m_state = State::kWaiting;
  m_onData = nullptr;
  if (m_streaming) {
    if (auto onEnd = std::move(m_onEnd)) onEnd();
  } else if (auto onComplete = std::move(m_onComplete)) {
    onComplete(m_request);
  }
}

void HttpConnection::ReadMore() {
  const bool wanted = m_state == State::kHead || (m_state == State::kBody && !m_paused);
  if (m_closed || m_reading || !wanted) return;
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
                             self->m_in.append(self->m_readBuffer.data(), size);
                             if (self->m_state == State::kHead || self->m_state == State::kBody)
                               self->ArmStall();
                             self->Process();
                           });
}

void HttpConnection::ArmStall() {
  if (m_closed || m_paused) return;
  const unsigned round = ++m_stallRound;
  m_stallTimer.expires_after(m_clock.Real(kHttpStallMs));
  m_stallTimer.async_wait([weak = std::weak_ptr(Self()), round](const std::error_code& error) {
    auto self = weak.lock();
    if (error || !self || self->m_closed || round != self->m_stallRound) return;
    self->Close();
  });
}

void HttpConnection::DisarmStall() {
  ++m_stallRound;
  m_stallTimer.cancel();
}

}  // namespace camsim::detail
