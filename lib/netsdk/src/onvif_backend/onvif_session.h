// One login over ONVIF. The login reads the device's clock, its services (GetServices, else
// GetCapabilities) and, authenticated, its information: event 4, or 5 refused / unreachable. A
// keep-alive query every kKeepAliveMs notices a device that went away (event 6) and, with
// auto-reconnect, logs in again (event 4, reconnected). Public methods may be called from any
// thread; the rest runs on the network thread. The stream lookup is in onvif_session_stream.cpp,
// the firmware upgrade in onvif_session_upgrade.cpp.
#pragma once

#include <asio.hpp>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "context.h"
#include "device_login.h"
#include "library_options.h"
#include "onvif_backend/config_mapping.h"
#include "onvif_backend/device_messages.h"
#include "onvif_backend/media_messages.h"
#include "onvif_backend/onvif_services.h"
#include "onvif_backend/service_calls.h"
#include "onvif_backend/settings_groups.h"
#include "onvif_backend/url.h"
#include "settings.h"

namespace netsdk::onvif_backend {

inline constexpr double kKeepAliveMs = 10000;
inline constexpr char kNotAvailable[] = "not available over ONVIF";

class OnvifSession : public DeviceLogin, public std::enable_shared_from_this<OnvifSession> {
 public:
  OnvifSession(const Context& context, OnvifServices& services, int handle, LoginTarget target);

  void Start() override;
  void SetAutoReconnect(bool enable) override { m_autoReconnect = enable; }
  void Close() override;
  int Command(wire::CommandKind kind, std::uint32_t code, std::int32_t channel,
              std::string text) override;
  int Action(std::uint32_t code, std::int32_t channel) override;
  int StartUpgrade(std::shared_ptr<const FirmwareImage> image) override;
  int UpgradeState() const override { return m_upgradeStarted.load() ? 0 : -1; }
  int UpgradeProgress() const override { return m_progress->load(); }
  bool LoggedIn() const override { return m_loggedIn.load(); }
  std::uint16_t Port() const override { return m_service.port; }
  // An RTSP preview of the device's first profile whose video the player decodes (Media2, else
  // Media), whose address the preview asks for when it starts.
  std::shared_ptr<LivePreview> MakePreview(const PreviewTarget& target, StreamDelivery& delivery,
                                           std::shared_ptr<StreamDelivery::Feed> feed) override;

 private:
  // Network thread only.
  void LogIn();
  void LearnServices();
  void ConfirmLogin();
  void OnLoginFailed(const CallResult& result);
  void ScheduleKeepAlive();
  void KeepAlive();
  void OnLost();
  void ScheduleReconnect();
  void Respond(std::uint32_t code, bool ok, std::string text);
  void StatusEvent(int event, int value);
  void Call(const std::string& operation, const std::string& body,
            std::function<void(CallResult)> done);
  // The stream address of the first playable profile through the media service of version;
  // empty when there is none.
  void ResolveStream(MediaVersion version, std::function<void(std::string)> done);
  // Any thread but the network thread: the guarded stream address of the session behind weak,
  // rewritten to the host of service; nullopt when there is none, the session is gone or closed
  // is set.
  static std::optional<Url> LocateStream(asio::io_context& io, const Settings& settings,
                                         std::weak_ptr<OnvifSession> weak, const Url& service,
                                         const std::atomic<bool>& closed);
  void SetTime(const std::string& request);
  void TakeConfig(std::uint32_t code, const std::string& document);
  // The login's calls to the device's services, for an operation that outlives this call.
  ServiceCalls Calls() const;
  // Runs a device operation and answers code with its outcome; a failure is logged with its
  // reason, and so is every value carried approximately.
  void RunOperation(std::uint32_t code, asio::awaitable<GroupOutcome> operation);
  void ReportGroup(std::uint32_t code, const GroupOutcome& outcome);
  // Runs the steps one after another; done(last result) after the last or the first failure.
  void RunSteps(std::vector<SoapStep> steps, std::function<void(const CallResult&)> done);
  void Upload(std::shared_ptr<const FirmwareImage> image, const FirmwareUpload& upload);
  // One POST of the image, with the Authorization when it is not empty.
  void SendImage(std::shared_ptr<const FirmwareImage> image, const Url& url,
                 const std::string& authorization);

  const Context m_context;
  OnvifServices& m_services;
  const int m_handle;
  const LoginTarget m_target;
  Url m_service;
  std::string m_device;  // names the device for refused credentials
  const std::shared_ptr<std::atomic<bool>> m_open = std::make_shared<std::atomic<bool>>(true);
  std::atomic<bool> m_autoReconnect{false};
  std::atomic<bool> m_loggedIn{false};
  std::atomic<bool> m_upgradeActive{false};
  std::atomic<bool> m_upgradeStarted{false};
  // Shared with the upload's progress callback on the HTTP thread, which must never own the
  // session (its last owner would destroy the timers off the network thread).
  const std::shared_ptr<std::atomic<int>> m_progress = std::make_shared<std::atomic<int>>(0);

  // Network thread only.
  std::shared_ptr<SoapChannel> m_channel;
  ServiceMap m_serviceMap;  // by namespace, rewritten to the host that answered
  bool m_everLoggedIn = false;
  bool m_failureReported = false;
  DeviceClock m_clock;         // the last time answer: its zone is kept when the time is set
  asio::steady_timer m_timer;  // keep-alive, reconnection
  asio::steady_timer m_uploadTimer;
};

}  // namespace netsdk::onvif_backend
