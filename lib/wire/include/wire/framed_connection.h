// One TCP connection that carries frames, on standalone Asio. Every method runs on the thread of
// the connection's io_context (the library and the simulator each run one such thread), so the
// connection needs no lock of its own.
#pragma once

#include <asio.hpp>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "wire/frame.h"

namespace wire {

class FramedConnection : public std::enable_shared_from_this<FramedConnection> {
 public:
  using FrameHandler = std::function<void(Frame& frame)>;
  using CloseHandler = std::function<void()>;

  explicit FramedConnection(asio::ip::tcp::socket socket);
  FramedConnection(const FramedConnection&) = delete;
  FramedConnection& operator=(const FramedConnection&) = delete;

  // Starts reading. onFrame gets each frame; onClose runs once, later, when the peer closed, sent
  // something that is not a frame, or Close was called. Both are dropped after onClose.
  void Start(FrameHandler onFrame, CloseHandler onClose);
  void Send(MsgType type, std::uint32_t id, std::vector<std::uint8_t> payload);
  // A frame whose payload is prefix followed by size bytes at data. The bytes are not copied:
  // keeper keeps them alive until they are written, so many connections can send one buffer.
  void SendShared(MsgType type, std::uint32_t id, std::vector<std::uint8_t> prefix,
                  std::shared_ptr<const void> keeper, const std::uint8_t* data, std::size_t size);
  void Close();
  // Stops taking frames and closes once everything queued is written: a device's last answer
  // before it restarts still arrives.
  void CloseWhenSent();
  bool IsOpen() const { return !m_closed; }
  // Bytes queued and not yet written.
  std::size_t QueuedBytes() const { return m_queuedBytes; }

 private:
  struct Outgoing {
    std::vector<std::uint8_t> head;  // frame header and payload prefix
    std::shared_ptr<const void> keeper;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
  };

  void ReadMore();
  void WriteNext();

  asio::ip::tcp::socket m_socket;
  FrameAssembler m_assembler;
  std::vector<std::uint8_t> m_readBuffer;
  std::deque<Outgoing> m_queue;
  std::size_t m_queuedBytes = 0;
  bool m_writing = false;
  bool m_closed = false;
  bool m_draining = false;
  FrameHandler m_onFrame;
  CloseHandler m_onClose;
};

}  // namespace wire
