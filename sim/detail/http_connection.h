// One HTTP/1.1 connection of the ONVIF face, over Asio: requests with Content-Length bodies, kept
// alive between requests and answered in order. The head is bounded (16 KiB) and so is each body
// (by whoever takes the request); what exceeds a bound gets 413, what does not parse gets 400, and
// a peer that stalls in the middle of a request is cut off after a time-out on the simulator's
// clock. Network thread only.
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
#include "sim/detail/sim_clock.h"
#include "sim/detail/tcp_connection.h"

namespace camsim::detail {

constexpr std::size_t kMaxHttpHeadBytes = 16 * 1024;
// A request that stops arriving for this long (program milliseconds) is abandoned.
constexpr double kHttpStallMs = 30000;

struct HttpRequest {
  std::string method;
  std::string target;  // as sent, e.g. /onvif/192.168.1.64/device_service
  HeaderFields headers;
  std::uint64_t contentLength = 0;
  bool keepAlive = true;
  bool expectContinue = false;
  std::string body;  // when the body was buffered

  // The first header of this lower-case name; null when there is none.
  const std::string* Header(std::string_view name) const;
};

struct HttpResponse {
  int status = 200;
  std::string contentType;
  std::vector<std::pair<std::string, std::string>> headers;  // further header lines
  std::string body;
  bool close = false;  // the connection ends once this is sent
};

class HttpConnection : public TcpConnection {
 public:
  // Gets every request once its head has arrived. Before it returns it must choose: take the body
  // (BufferBody or StreamBody), Respond, or Close.
  using HeadHandler = std::function<void(const std::shared_ptr<HttpConnection>&, HttpRequest&)>;

  HttpConnection(asio::ip::tcp::socket socket, SimClock& clock);

  // onClose runs once, later, when the connection has ended for any reason.
  void Start(HeadHandler onHead, std::function<void()> onClose);

  // Reads the body into the request, then onComplete gets it. A larger body gets 413.
  void BufferBody(std::uint64_t maxBytes, std::function<void(HttpRequest&)> onComplete);
  // Hands the body over as it arrives, then calls onEnd. A larger body gets 413. onData may
  // pace the transfer with PauseFor or Hold, or end it with Respond or Close.
  void StreamBody(std::uint64_t maxBytes,
                  std::function<void(const std::uint8_t*, std::size_t)> onData,
                  std::function<void()> onEnd);
  void PauseFor(double ms);
  // Reads nothing more of this body, ever: the sender's writes block as on a hung device.
  void Hold();

  // Answers the current request. When its body was not read to the end, the connection closes
  // after the answer, since nothing that follows can be told apart from that body.
  void Respond(HttpResponse response);

 private:
  enum class State { kHead, kDeciding, kBody, kWaiting, kClosing };

  void OnClosing() override;
  void DropHandlers() override;
  std::chrono::steady_clock::duration LingerTime() const override;
  std::shared_ptr<HttpConnection> Self() {
    return std::static_pointer_cast<HttpConnection>(shared_from_this());
  }
  void Process();
  void ReadMore();
  void Fail(int status, std::string reason);
  void TakeBody(std::uint64_t maxBytes);
  void FinishBody();
  void ArmStall();
  void DisarmStall();

  SimClock& m_clock;
  asio::steady_timer m_stallTimer;
  asio::steady_timer m_pauseTimer;
  unsigned m_stallRound = 0;  // a stall timer that fired after being re-armed is ignored
  std::string m_in;
  State m_state = State::kHead;
  HttpRequest m_request;
  std::uint64_t m_remaining = 0;
  bool m_streaming = false;
  bool m_paused = false;
  bool m_processing = false;
  HeadHandler m_onHead;
  std::function<void(HttpRequest&)> m_onComplete;
  std::function<void(const std::uint8_t*, std::size_t)> m_onData;
  std::function<void()> m_onEnd;
};

}  // namespace camsim::detail
