#include "wire/framed_connection.h"

#include <array>

namespace wire {

namespace {
constexpr std::size_t kReadBufferSize = 64 * 1024;
}  // namespace

FramedConnection::FramedConnection(asio::ip::tcp::socket socket)
    : m_socket(std::move(socket)), m_readBuffer(kReadBufferSize) {
  std::error_code ignored;
  m_socket.set_option(asio::ip::tcp::no_delay(true), ignored);
}

void FramedConnection::Start(FrameHandler onFrame, CloseHandler onClose) {
  m_onFrame = std::move(onFrame);
  m_onClose = std::move(onClose);
  ReadMore();
}

void FramedConnection::Send(MsgType type, std::uint32_t id, std::vector<std::uint8_t> payload) {
  SendShared(type, id, std::move(payload), nullptr, nullptr, 0);
}

void FramedConnection::SendShared(MsgType type, std::uint32_t id, std::vector<std::uint8_t> prefix,
                                  std::shared_ptr<const void> keeper, const std::uint8_t* data,
                                  std::size_t size) {
  if (m_closed || m_draining) return;
  Outgoing out;
  out.head.resize(kHeaderSize);
  WriteHeader(out.head.data(), type, id, prefix.size() + size);
  out.head.insert(out.head.end(), prefix.begin(), prefix.end());
  out.keeper = std::move(keeper);
  out.data = data;
  out.size = size;
  m_queuedBytes += out.head.size() + size;
  m_queue.push_back(std::move(out));
  WriteNext();
}

void FramedConnection::Close() {
  if (m_closed) return;
  m_closed = true;
  std::error_code ignored;
  m_socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  m_socket.close(ignored);
  // The close handler never runs inside the caller's own call: it may drop the last reference of
  // whoever called Close.
  asio::post(m_socket.get_executor(), [self = shared_from_this()] {
    CloseHandler onClose = std::move(self->m_onClose);
    self->m_onClose = nullptr;
    self->m_onFrame = nullptr;
    if (onClose) onClose();
  });
}

void FramedConnection::CloseWhenSent() {
  if (m_closed) return;
  m_draining = true;
  m_onFrame = nullptr;
  if (m_queue.empty()) Close();
}

void FramedConnection::ReadMore() {
  m_socket.async_read_some(
      asio::buffer(m_readBuffer),
      [self = shared_from_this()](const std::error_code& error, std::size_t size) {
        if (self->m_closed) return;
        if (error) {
          self->Close();
          return;
        }
        self->m_assembler.Feed(self->m_readBuffer.data(), size);
        Frame frame;
        for (;;) {
          const FrameAssembler::Result result = self->m_assembler.Next(&frame);
          if (result == FrameAssembler::Result::kNeedMore) break;
          if (result == FrameAssembler::Result::kBad) {
            self->Close();
            return;
          }
          if (self->m_onFrame) self->m_onFrame(frame);
          if (self->m_closed) return;
        }
        self->ReadMore();
      });
}

void FramedConnection::WriteNext() {
  if (m_writing || m_queue.empty() || m_closed) return;
  m_writing = true;
  const Outgoing& out = m_queue.front();
  std::array<asio::const_buffer, 2> buffers = {asio::buffer(out.head),
                                               asio::buffer(out.data, out.size)};
  asio::async_write(m_socket, buffers,
                    [self = shared_from_this()](const std::error_code& error, std::size_t) {
                      self->m_writing = false;
                      if (self->m_closed) return;
                      if (error) {
                        self->Close();
                        return;
                      }
                      const Outgoing& done = self->m_queue.front();
                      self->m_queuedBytes -= done.head.size() + done.size;
                      self->m_queue.pop_front();
                      if (self->m_draining && self->m_queue.empty()) {
                        self->Close();
                        return;
                      }
                      self->WriteNext();
                    });
}

}  // namespace wire
