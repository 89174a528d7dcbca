#include "sim/detail/tcp_connection.h"

namespace camsim::detail {
namespace {

constexpr std::size_t kReadBufferSize = 64 * 1024;

}  // namespace

TcpConnection::TcpConnection(asio::ip::tcp::socket socket)
    : m_socket(std::move(socket)),
      m_readBuffer(kReadBufferSize),
      m_lingerTimer(m_socket.get_executor()) {
  std::error_code ignored;
  m_socket.set_option(asio::ip::tcp::no_delay(true), ignored);
}

void TcpConnection::Close() {
  if (m_closed) return;
  m_closed = true;
  OnClosing();
  std::error_code ignored;
  m_lingerTimer.cancel();
  m_socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  m_socket.close(ignored);
  // Never inside the caller's own call: the close handler may drop the last reference.
  asio::post(m_socket.get_executor(), [self = shared_from_this()] {
    auto onClose = std::move(self->m_onClose);
    self->m_onClose = nullptr;
    self->DropHandlers();
    if (onClose) onClose();
  });
}

void TcpConnection::Queue(std::string bytes, bool last) {
  if (last) m_ending = true;
  m_queuedBytes += bytes.size();
  m_out.push_back(std::move(bytes));
  WriteNext();
}

void TcpConnection::WriteNext() {
  if (m_writing || m_closed) return;
  if (m_out.empty()) {
    if (m_ending) Linger();
    return;
  }
  m_writing = true;
  asio::async_write(m_socket, asio::buffer(m_out.front()),
                    [self = shared_from_this()](const std::error_code& error, std::size_t) {
                      self->m_writing = false;
                      if (self->m_closed) return;
                      if (error) {
                        self->Close();
                        return;
                      }
                      self->m_queuedBytes -= self->m_out.front().size();
                      self->m_out.pop_front();
                      self->WriteNext();
                    });
}

void TcpConnection::Linger() {
  if (m_lingering) return;
  m_lingering = true;
  std::error_code ignored;
  m_socket.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
  m_lingerTimer.expires_after(LingerTime());
  m_lingerTimer.async_wait([weak = weak_from_this()](const std::error_code& error) {
    if (auto self = weak.lock(); self && !error) self->Close();
  });
  if (!m_reading) Drain();
}

void TcpConnection::Drain() {
  m_socket.async_read_some(asio::buffer(m_readBuffer),
                           [self = shared_from_this()](const std::error_code& error, std::size_t) {
                             if (self->m_closed) return;
                             if (error) {
                               self->Close();
                               return;
                             }
                             self->Drain();
                           });
}

}  // namespace camsim::detail
