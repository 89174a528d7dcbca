// What the connections of the ONVIF face's HTTP and RTSP servers share: bytes written in order,
// one write at a time; the end after a last answer, which shuts the sending side and reads and
// drops what the peer still sends until it closes or the linger ends (closing with unread bytes
// would reset the connection and could destroy that answer); and a Close whose handler runs later,
// never inside the caller's own call. Network thread only.
#pragma once

#include <asio.hpp>
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace camsim::detail {

class TcpConnection : public std::enable_shared_from_this<TcpConnection> {
 public:
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;
  virtual ~TcpConnection() = default;

  // Ends the connection at once, without an answer.
  void Close();
  bool IsOpen() const { return !m_closed; }

 protected:
  explicit TcpConnection(asio::ip::tcp::socket socket);

  // Close stops the derived class's own timers here...
  virtual void OnClosing() {}
  // ...and, later, drops its handlers, just before the close handler runs.
  virtual void DropHandlers() {}
  // How long what the peer sends after the last answer is read and dropped.
  virtual std::chrono::steady_clock::duration LingerTime() const = 0;

  // last: the connection ends once these bytes have left.
  void Queue(std::string bytes, bool last = false);
  // Queued and not yet taken by the socket's buffer: a measure of how far the peer is behind.
  std::size_t QueuedBytes() const { return m_queuedBytes; }
  // Reads and drops what the peer sends until it closes: a read of the derived class that
  // completes while the connection lingers hands over to this.
  void Drain();

  asio::ip::tcp::socket m_socket;
  std::vector<char> m_readBuffer;
  bool m_reading = false;  // a read of the derived class is under way
  bool m_closed = false;
  bool m_lingering = false;
  std::function<void()> m_onClose;

 private:
  void WriteNext();
  void Linger();

  asio::steady_timer m_lingerTimer;
  std::deque<std::string> m_out;
  std::size_t m_queuedBytes = 0;
  bool m_writing = false;
  bool m_ending = false;
};

}  // namespace camsim::detail
