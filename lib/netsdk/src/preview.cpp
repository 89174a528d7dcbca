#include "preview.h"

#include "netsdk.h"
#include "timing.h"
#include "wire/messages.h"

namespace netsdk {

Preview::Preview(const Context& context, PreviewTarget target, StreamDelivery& delivery,
                 std::shared_ptr<StreamDelivery::Feed> feed)
    : m_context(context),
      m_target(std::move(target)),
      m_delivery(delivery),
      m_feed(std::move(feed)),
      m_timer(context.io) {}

void Preview::Start() {
  asio::post(m_context.io, [self = shared_from_this()] { self->Connect(); });
}

void Preview::Close() {
  asio::post(m_context.io, [self = shared_from_this()] {
    self->m_phase = Phase::kClosed;
    self->m_timer.cancel();
    self->DropConnection();
  });
}

void Preview::Connect() {
  if (m_phase == Phase::kClosed || m_phase == Phase::kRefused) return;
  const unsigned attempt = ++m_attempt;
  m_phase = Phase::kConnecting;
  std::weak_ptr<Preview> weak = weak_from_this();
  m_timer.expires_after(m_context.settings.Scale().Real(kConnectTimeoutMs));
  m_timer.async_wait([weak, attempt](const std::error_code& error) {
    auto self = weak.lock();
    if (!self || error || attempt != self->m_attempt) return;
    // The time-out covers the hello and the login too: a device that takes the connection and
    // then says nothing is tried again rather than waited for for ever.
    if (self->m_phase == Phase::kConnecting || self->m_phase == Phase::kGreeting ||
        self->m_phase == Phase::kLoggingIn) {
      self->OnLost(attempt);
    }
  });
  ConnectToLan(m_context,
               [weak, attempt](const std::error_code& error, asio::ip::tcp::socket socket) {
                 auto self = weak.lock();
                 if (!self || attempt != self->m_attempt || self->m_phase != Phase::kConnecting)
                   return;
                 if (error) {
                   self->OnLost(attempt);
                 } else {
                   self->OnConnected(attempt, std::move(socket));
                 }
               });
}

void Preview::OnConnected(unsigned attempt, asio::ip::tcp::socket socket) {
  std::weak_ptr<Preview> weak = weak_from_this();
  m_connection = std::make_shared<wire::FramedConnection>(std::move(socket));
  m_connection->Start(
      [weak, attempt](wire::Frame& frame) {
        if (auto self = weak.lock()) self->OnFrame(attempt, frame);
      },
      [weak, attempt] {
        if (auto self = weak.lock()) self->OnLost(attempt);
      });
  m_phase = Phase::kGreeting;
  m_connection->Send(wire::MsgType::kHello, 0,
                     wire::Encode(wire::Hello{m_target.ip, m_target.port}));
}

void Preview::OnFrame(unsigned attempt, wire::Frame& frame) {
  if (attempt != m_attempt || !m_connection) return;
  if (frame.type == wire::MsgType::kHelloAnswer && m_phase == Phase::kGreeting) {
    m_phase = Phase::kLoggingIn;
    m_connection->Send(wire::MsgType::kLogin, 0,
                       wire::Encode(wire::Login{m_target.user, m_target.password}));
  } else if (frame.type == wire::MsgType::kLoginResult && m_phase == Phase::kLoggingIn) {
    bool accepted = false;
    if (!wire::DecodeFlag(frame.payload, &accepted)) return;
    if (!accepted) {
      // Wrong credentials stay wrong: the window stays black instead of locking the account.
      m_phase = Phase::kRefused;
      DropConnection();
      return;
    }
    m_timer.cancel();
    m_phase = Phase::kStreaming;
    m_connection->Send(wire::MsgType::kStreamStart, 0,
                       wire::Encode(wire::StreamStart{m_target.channel, m_target.streamType}));
  } else if (frame.type == wire::MsgType::kStreamData && m_phase == Phase::kStreaming) {
    OnStreamData(frame);
  }
}

void Preview::OnStreamData(wire::Frame& frame) {
  wire::StreamPacket decoded;
  if (!wire::DecodeStreamData(frame.payload, &decoded)) return;
  // A header shorter than its layout or an unknown kind would make the window read past it.
  if (decoded.dataKind > NETSDK_STREAM_HEADER) return;
  if (decoded.dataKind == NETSDK_STREAM_HEADER && decoded.size < STREAM_HEADER_SIZE) return;
  StreamPacket packet;
  packet.dataKind = decoded.dataKind;
  packet.frameKind = decoded.frameKind;
  packet.timeStampMs = static_cast<double>(decoded.timeMs);
  packet.offset = static_cast<std::size_t>(decoded.data - frame.payload.data());
  packet.payload = std::move(frame.payload);
  m_delivery.Push(m_feed, std::move(packet));
}

void Preview::OnLost(unsigned attempt) {
  if (attempt != m_attempt || m_phase == Phase::kClosed || m_phase == Phase::kRefused) return;
  DropConnection();
  m_phase = Phase::kDown;
  const unsigned retry = ++m_attempt;
  std::weak_ptr<Preview> weak = weak_from_this();
  m_timer.expires_after(m_context.settings.Scale().Real(kReconnectIntervalMs));
  m_timer.async_wait([weak, retry](const std::error_code& error) {
    auto self = weak.lock();
    if (self && !error && retry == self->m_attempt && self->m_phase == Phase::kDown) {
      self->Connect();
    }
  });
}

void Preview::DropConnection() {
  if (m_connection) m_connection->Close();
  m_connection.reset();
}

}  // namespace netsdk
