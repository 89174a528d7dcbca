// One connection to the RTSP server, over Asio: RTSP/1.0 requests, answered one at a time and in
// order with their CSeq echoed, and between the answers the interleaved RTP of the stream. The
// head is bounded (16 KiB) and so is a body (4 KiB); a head that does not parse gets 400, one
// beyond a bound 413, and then the connection ends, since nothing after it can be told apart.
// Interleaved data the peer sends ('$', channel, length: its RTCP) is read and dropped. A peer
// silent for the session time-out is cut off, in real time: clients keep sessions alive by
// their own clock, whatever the simulator's. Network thread only.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/detail/message_head.h"
#include "sim/detail/tcp_connection.h"

namespace camsim::detail {

constexpr std::size_t kMaxRtspHeadBytes = 16 * 1024;
constexpr std::size_t kMaxRtspBodyBytes = 4 * 1024;
// The time-out the Session header announces.
constexpr int kRtspSessionTimeoutS = 60;

struct RtspRequest {
  std::string method;
  std::string uri;   // as sent: rtsp://host:port/path, or *
  std::string path;  // uri's path without its query; empty for *
  HeaderFields headers;
  std::string cseq;
  std::string body;

  // The first header of this lower-case name; null when there is none.
  const std::string* Header(std::string_view name) const;
};

struct RtspResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;  // besides CSeq and Content-Length
  std::string contentType;
  std::string body;
  bool close = false;  // the connection ends once this is sent
};

class RtspConnection : public TcpConnection {
 public:
  // Gets every request once it has arrived whole; it, or someone later, must Respond or Close.
  using RequestHandler = std::function<void(const std::shared_ptr<RtspConnection>&, RtspRequest&)>;

  explicit RtspConnection(asio::ip::tcp::socket socket);
  RtspConnection(const RtspConnection&) = delete;
  RtspConnection& operator=(const RtspConnection&) = delete;

  // onClose runs once, later, when the connection has ended for any reason.
  void Start(RequestHandler onRequest, std::function<void()> onClose);
  // Answers the request handed out last; the next one is read after it.
  void Respond(RtspResponse response);
  // Interleaved packets, written after everything queued before them.
  void Send(std::string bytes);
  using TcpConnection::QueuedBytes;

 private:
  enum class State { kReading, kWaiting, kClosing };

  void OnClosing() override;
  void DropHandlers() override;
  std::chrono::steady_clock::duration LingerTime() const override;
  std::shared_ptr<RtspConnection> Self() {
    return std::static_pointer_cast<RtspConnection>(shared_from_this());
  }
  void Process();
  void ReadMore();
  void Fail(int status, std::string_view cseq);
  void ArmIdle();

  asio::steady_timer m_idleTimer;
  std::string m_in;
  std::string m_cseq;  // of the request being answered
  State m_state = State::kReading;
  bool m_processing = false;
  RequestHandler m_onRequest;
};

}  // namespace camsim::detail
