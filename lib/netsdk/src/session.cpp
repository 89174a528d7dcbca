#include "session.h"

#include <algorithm>

#include "netsdk.h"
#include "netsdk_settings.h"
#include "preview.h"
#include "timing.h"
#include "wire/messages.h"

namespace netsdk {

Session::Session(const Context& context, int handle, LoginTarget target)
    : m_context(context),
      m_handle(handle),
      m_target(std::move(target)),
      m_timer(context.io),
      m_stallTimer(context.io) {}

void Session::Start() {
  asio::post(m_context.io, [self = shared_from_this()] { self->Connect(); });
}

void Session::SetAutoReconnect(bool enable) {
  m_autoReconnect.store(enable);
  if (!enable) return;
  asio::post(m_context.io, [self = shared_from_this()] {
    if (self->m_phase == Phase::kDown) self->ScheduleRetry();
  });
}

void Session::Close() {
  m_open->store(false);
  m_autoReconnect.store(false);
  m_loggedIn.store(false);
  asio::post(m_context.io, [self = shared_from_this()] {
    self->m_phase = Phase::kClosed;
    self->m_timer.cancel();
    self->DropConnection();
    self->FailWaiters();
    self->m_image.reset();
    self->m_stallTimer.cancel();
  });
}

int Session::Command(wire::CommandKind kind, std::uint32_t code, std::int32_t channel,
                     std::string text) {
  if (!m_loggedIn.load()) return -1;
  wire::Command command{code, channel, static_cast<std::uint8_t>(kind), std::move(text)};
  asio::post(m_context.io, [self = shared_from_this(), command = std::move(command)] {
    // A command that meets a lost connection is lost with it, as on a real network.
    if (self->m_phase == Phase::kLoggedIn && self->m_connection) {
      self->m_connection->Send(wire::MsgType::kCommand, 0, wire::Encode(command));
    }
  });
  return 0;
}

int Session::Action(std::uint32_t code, std::int32_t channel) {
  if (!m_loggedIn.load()) return -1;
  auto waiter = std::make_shared<Waiter>();
  std::uint32_t id = ++m_nextRequestId;
  if (id == 0) id = ++m_nextRequestId;  // 0 marks answers for the response callback
  const wire::Command command{
      code, channel, static_cast<std::uint8_t>(wire::CommandKind::kAction), {}};
  asio::post(m_context.io, [self = shared_from_this(), waiter, id, command] {
    if (self->m_phase != Phase::kLoggedIn || !self->m_connection) {
      waiter->Set(-1);
      return;
    }
    self->m_waiters[id] = waiter;
    self->m_connection->Send(wire::MsgType::kCommand, id, wire::Encode(command));
  });
  const int result = waiter->Wait(m_context.settings.Scale().Real(kCommandTimeoutMs), -1);
  asio::post(m_context.io, [self = shared_from_this(), id] { self->m_waiters.erase(id); });
  return result;
}

int Session::StartUpgrade(std::shared_ptr<const FirmwareImage> image) {
  if (!m_loggedIn.load() || image == nullptr) return -1;
  bool idle = false;
  if (!m_upgradeActive.compare_exchange_strong(idle, true)) return -1;
  m_upgradeStarted.store(true);
  m_progress.store(0);
  asio::post(m_context.io, [self = shared_from_this(), image = std::move(image)]() mutable {
    self->BeginUpgrade(std::move(image));
  });
  return 0;
}

void Session::Connect() {
  if (m_phase == Phase::kClosed) return;
  const unsigned attempt = ++m_attempt;
  m_phase = Phase::kConnecting;
  std::weak_ptr<Session> weak = weak_from_this();
  m_timer.expires_after(m_context.settings.Scale().Real(kConnectTimeoutMs));
  m_timer.async_wait([weak, attempt](const std::error_code& error) {
    auto self = weak.lock();
    if (!self || error || attempt != self->m_attempt) return;
    if (self->m_phase == Phase::kConnecting || self->m_phase == Phase::kGreeting) {
      self->OnUnreachable();
    }
  });
  ConnectToLan(m_context,
               [weak, attempt](const std::error_code& error, asio::ip::tcp::socket socket) {
                 auto self = weak.lock();
                 if (!self || attempt != self->m_attempt || self->m_phase != Phase::kConnecting)
                   return;
                 if (error) {
                   self->OnUnreachable();
                   return;
                 }
                 self->OnConnected(attempt, std::move(socket));
               });
}

void Session::OnConnected(unsigned attempt, asio::ip::tcp::socket socket) {
  std::weak_ptr<Session> weak = weak_from_this();
  m_connection = std::make_shared<wire::FramedConnection>(std::move(socket));
  m_connection->Start(
      [weak, attempt](wire::Frame& frame) {
        if (auto self = weak.lock()) self->OnFrame(attempt, frame);
      },
      [weak, attempt] {
        if (auto self = weak.lock()) self->OnConnectionClosed(attempt);
      });
  m_phase = Phase::kGreeting;
  m_connection->Send(wire::MsgType::kHello, 0,
                     wire::Encode(wire::Hello{m_target.ip, m_target.port}));
}

void Session::OnFrame(unsigned attempt, wire::Frame& frame) {
  if (attempt != m_attempt) return;
  switch (frame.type) {
    case wire::MsgType::kHelloAnswer: {
      std::string serial;
      if (m_phase != Phase::kGreeting || !wire::DecodeText(frame.payload, &serial)) return;
      m_timer.cancel();
      m_phase = Phase::kLoggingIn;
      m_connection->Send(wire::MsgType::kLogin, 0,
                         wire::Encode(wire::Login{m_target.user, m_target.password}));
      return;
    }
    case wire::MsgType::kLoginResult:
      OnLoginResult(frame);
      return;
    case wire::MsgType::kCommandResult:
      OnCommandResult(frame);
      return;
    case wire::MsgType::kUpgradeAck:
    case wire::MsgType::kUpgradeDone:
    case wire::MsgType::kUpgradeFailed:
      OnUpgradeFrame(frame);
      return;
    default:
      return;  // nothing else is meant for a login; ignore rather than trust it
  }
}

void Session::OnLoginResult(const wire::Frame& frame) {
  bool accepted = false;
  if (m_phase != Phase::kLoggingIn || !wire::DecodeFlag(frame.payload, &accepted)) return;
  if (accepted) {
    m_phase = Phase::kLoggedIn;
    m_loggedIn.store(true);
    m_failureReported = false;
    StatusEvent(NETSDK_EVENT_LOGIN_OK,
                m_everLoggedIn ? NETSDK_VALUE_RECONNECTED : NETSDK_VALUE_NONE);
    m_everLoggedIn = true;
    return;
  }
  // Wrong credentials do not get better by retrying, so a refused login stays refused.
  m_phase = Phase::kRefused;
  m_failureReported = true;
  ++m_attempt;
  DropConnection();
  StatusEvent(NETSDK_EVENT_LOGIN_FAILED, NETSDK_VALUE_REFUSED);
}

void Session::OnCommandResult(const wire::Frame& frame) {
  wire::CommandResult result;
  if (m_phase != Phase::kLoggedIn || !wire::Decode(frame.payload, &result)) return;
  if (frame.id != 0) {
    if (auto found = m_waiters.find(frame.id); found != m_waiters.end()) {
      found->second->Set(result.ok ? 0 : -1);
      m_waiters.erase(found);
    }
    return;
  }
  const std::uint32_t code =
      result.ok ? result.code : (result.code & NETSDK_RESPONSE_CODE_MASK) | NETSDK_RESPONSE_FAILED;
  m_context.events.Response(m_open, m_handle, code, std::move(result.text));
}

void Session::OnConnectionClosed(unsigned attempt) {
  if (attempt != m_attempt || m_phase == Phase::kClosed) return;
  m_connection.reset();
  FailWaiters();
  if (m_image) FinishUpgrade(false);
  switch (m_phase) {
    case Phase::kLoggedIn:
      m_loggedIn.store(false);
      m_phase = Phase::kDown;
      m_failureReported = true;
      StatusEvent(NETSDK_EVENT_DISCONNECTED, NETSDK_VALUE_NONE);
      if (m_autoReconnect.load()) ScheduleRetry();
      return;
    case Phase::kConnecting:
    case Phase::kGreeting:
    case Phase::kLoggingIn:
      OnUnreachable();
      return;
    default:
      return;
  }
}

void Session::OnUnreachable() {
  ++m_attempt;
  DropConnection();
  m_phase = Phase::kDown;
  if (!m_failureReported) {
    m_failureReported = true;
    StatusEvent(NETSDK_EVENT_LOGIN_FAILED, NETSDK_VALUE_UNREACHABLE);
  }
  if (m_autoReconnect.load()) ScheduleRetry();
}

void Session::ScheduleRetry() {
  const unsigned attempt = ++m_attempt;
  std::weak_ptr<Session> weak = weak_from_this();
  m_timer.expires_after(m_context.settings.Scale().Real(kReconnectIntervalMs));
  m_timer.async_wait([weak, attempt](const std::error_code& error) {
    auto self = weak.lock();
    if (!self || error || attempt != self->m_attempt || self->m_phase != Phase::kDown ||
        !self->m_autoReconnect.load()) {
      return;
    }
    self->Connect();
  });
}

void Session::DropConnection() {
  if (m_connection) m_connection->Close();
  m_connection.reset();
}

void Session::FailWaiters() {
  for (auto& [id, waiter] : m_waiters) waiter->Set(-1);
  m_waiters.clear();
}

void Session::StatusEvent(int event, int value) {
  m_context.events.Status(m_open, m_handle, event, value);
}

void Session::BeginUpgrade(std::shared_ptr<const FirmwareImage> image) {
  if (m_phase != Phase::kLoggedIn || !m_connection) {
    m_upgradeActive.store(false);
    StatusEvent(NETSDK_EVENT_UPGRADE_TRANSFER_FAILED, NETSDK_VALUE_NONE);
    return;
  }
  m_image = std::move(image);
  m_sent = 0;
  m_acked = 0;
  m_connection->Send(wire::MsgType::kUpgradeBegin, 0, wire::EncodeCount(m_image->bytes.size()));
  ArmStallTimer();
  PumpUpgrade();
}

void Session::OnUpgradeFrame(const wire::Frame& frame) {
  if (!m_image) return;
  const std::uint64_t size = m_image->bytes.size();
  if (frame.type == wire::MsgType::kUpgradeAck) {
    std::uint64_t received = 0;
    if (!wire::DecodeCount(frame.payload, &received)) return;
    received = std::min(received, m_sent);
    if (received <= m_acked) return;
    m_acked = received;
    m_progress.store(static_cast<int>(m_acked * 100 / size));
    ArmStallTimer();
    PumpUpgrade();
  } else if (frame.type == wire::MsgType::kUpgradeDone) {
    m_progress.store(100);
    FinishUpgrade(true);
  } else {
    FinishUpgrade(false);
  }
}

void Session::PumpUpgrade() {
  if (!m_image || !m_connection) return;
  const std::uint64_t size = m_image->bytes.size();
  while (m_sent < size && m_sent - m_acked < kTransferWindow) {
    const std::size_t chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(wire::kUpgradeChunk, size - m_sent));
    m_connection->SendShared(wire::MsgType::kUpgradeData, 0, wire::EncodeUpgradeDataPrefix(m_sent),
                             m_image, m_image->bytes.data() + m_sent, chunk);
    m_sent += chunk;
  }
}

void Session::ArmStallTimer() {
  // An expiry already queued cannot be cancelled any more; the arm count tells it apart.
  const unsigned arm = ++m_stallArm;
  std::weak_ptr<Session> weak = weak_from_this();
  m_stallTimer.expires_after(m_context.settings.Scale().Real(kTransferStallMs));
  m_stallTimer.async_wait([weak, arm](const std::error_code& error) {
    auto self = weak.lock();
    if (self && !error && arm == self->m_stallArm && self->m_image) self->FinishUpgrade(false);
  });
}

void Session::FinishUpgrade(bool transferred) {
  m_image.reset();
  ++m_stallArm;
  m_stallTimer.cancel();
  m_upgradeActive.store(false);
  StatusEvent(transferred ? NETSDK_EVENT_UPGRADE_TRANSFERRED : NETSDK_EVENT_UPGRADE_TRANSFER_FAILED,
              NETSDK_VALUE_NONE);
}

std::shared_ptr<LivePreview> Session::MakePreview(const PreviewTarget& target,
                                                  StreamDelivery& delivery,
                                                  std::shared_ptr<StreamDelivery::Feed> feed) {
  return std::make_shared<Preview>(m_context, target, delivery, std::move(feed));
}

}  // namespace netsdk
