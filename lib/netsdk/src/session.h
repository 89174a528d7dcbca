// One login: its connection to a device through the virtual LAN, the login itself, commands and
// their answers, the firmware transfer and the reconnection. The public methods may be called from
// any thread; everything else runs on the network thread.
#pragma once

#include <asio.hpp>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "context.h"
#include "device_login.h"
#include "firmware_cache.h"
#include "waiter.h"
#include "wire/codes.h"
#include "wire/framed_connection.h"

namespace netsdk {

class Session : public DeviceLogin, public std::enable_shared_from_this<Session> {
 public:
  Session(const Context& context, int handle, LoginTarget target);

  // Connects to the device through the virtual LAN.
  void Start() override;
  void SetAutoReconnect(bool enable) override;
  void Close() override;
  int Command(wire::CommandKind kind, std::uint32_t code, std::int32_t channel,
              std::string text) override;
  // Waits for the device's answer.
  int Action(std::uint32_t code, std::int32_t channel) override;
  // Streams the image in acknowledged chunks.
  int StartUpgrade(std::shared_ptr<const FirmwareImage> image) override;
  int UpgradeState() const override { return m_upgradeStarted.load() ? 0 : -1; }
  bool LoggedIn() const override { return m_loggedIn.load(); }
  std::uint16_t Port() const override { return m_target.port; }
  // A connection of its own through the virtual LAN.
  std::shared_ptr<LivePreview> MakePreview(const PreviewTarget& target, StreamDelivery& delivery,
                                           std::shared_ptr<StreamDelivery::Feed> feed) override;
  // Percentage of the file the device has acknowledged.
  int UpgradeProgress() const override { return m_progress.load(); }

 private:
  enum class Phase {
    kIdle,
    kConnecting,
    kGreeting,
    kLoggingIn,
    kLoggedIn,
    kDown,
    kRefused,
    kClosed
  };

  void Connect();
  void OnConnected(unsigned attempt, asio::ip::tcp::socket socket);
  void OnFrame(unsigned attempt, wire::Frame& frame);
  void OnLoginResult(const wire::Frame& frame);
  void OnCommandResult(const wire::Frame& frame);
  void OnConnectionClosed(unsigned attempt);
  void OnUnreachable();
  void ScheduleRetry();
  void DropConnection();
  void FailWaiters();
  void StatusEvent(int event, int value);

  void BeginUpgrade(std::shared_ptr<const FirmwareImage> image);
  void OnUpgradeFrame(const wire::Frame& frame);
  void PumpUpgrade();
  void ArmStallTimer();
  void FinishUpgrade(bool transferred);

  const Context m_context;
  const int m_handle;
  const LoginTarget m_target;
  const std::shared_ptr<std::atomic<bool>> m_open = std::make_shared<std::atomic<bool>>(true);
  std::atomic<bool> m_autoReconnect{false};
  std::atomic<bool> m_loggedIn{false};
  std::atomic<std::uint32_t> m_nextRequestId{0};
  std::atomic<bool> m_upgradeActive{false};
  std::atomic<bool> m_upgradeStarted{false};
  std::atomic<int> m_progress{0};

  // Network thread only.
  Phase m_phase = Phase::kIdle;
  unsigned m_attempt = 0;  // stale handlers of an earlier connection compare and give up
  bool m_everLoggedIn = false;
  bool m_failureReported = false;  // a lost or failed login is reported once until the next success
  std::shared_ptr<wire::FramedConnection> m_connection;
  asio::steady_timer m_timer;  // connect time-out, reconnection pause
  std::map<std::uint32_t, std::shared_ptr<Waiter>> m_waiters;
  std::shared_ptr<const FirmwareImage> m_image;  // the transfer in progress
  std::uint64_t m_sent = 0;
  std::uint64_t m_acked = 0;
  asio::steady_timer m_stallTimer;
  unsigned m_stallArm = 0;
};

}  // namespace netsdk
