#include "onvif_backend/onvif_session.h"

#include <cstdio>
#include <ctime>

#include "netsdk_settings.h"
#include "onvif_backend/device_details.h"
#include "onvif_backend/text_encoding.h"
#include "timing.h"
#include "waiter.h"

namespace netsdk::onvif_backend {
namespace {

// The device service of a device not found by a search: the address ONVIF devices use by default.
Url DefaultService(const LoginTarget& target) {
  Url url;
  url.scheme = "http";
  url.host = target.ip;
  url.port = target.port;
  url.path = "/onvif/device_service";
  return url;
}

// Time="YYYYMMDD hh:mm:ss" of a time request, as broken-down local time.
bool ReadRequestTime(const std::string& request, std::tm* local) {
  const std::size_t at = request.find("Time=\"");
  if (at == std::string::npos) return false;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char end = 0;
  if (std::sscanf(request.c_str() + at + 6, "%4d%2d%2d %2d:%2d:%2d%c", &year, &month, &day, &hour,
                  &minute, &second, &end) != 7 ||
      end != '"' || year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
      minute > 59 || second > 59 || hour < 0 || minute < 0 || second < 0) {
    return false;
  }
  *local = std::tm{};
  local->tm_year = year - 1900;
  local->tm_mon = month - 1;
  local->tm_mday = day;
  local->tm_hour = hour;
  local->tm_min = minute;
  local->tm_sec = second;
  local->tm_isdst = -1;
  return true;
}

}  // namespace

OnvifSession::OnvifSession(const Context& context, OnvifServices& services, int handle,
                           LoginTarget target)
    : m_context(context),
      m_services(services),
      m_handle(handle),
      m_target(std::move(target)),
      m_timer(context.io),
      m_uploadTimer(context.io) {
  if (auto known = m_services.directory.AtAddress(m_target.ip)) {
    m_service = known->service;
    m_device = known->endpoint;
  } else {
    m_service = DefaultService(m_target);
    m_device = m_service.ToString();
  }
}

void OnvifSession::Start() {
  asio::post(m_context.io, [self = shared_from_this()] {
    self->m_channel = std::make_shared<SoapChannel>(
        self->m_services.http, self->m_services.refused, self->m_device,
        Credential{self->m_target.user, self->m_target.password});
    self->LogIn();
  });
}

void OnvifSession::Close() {
  m_open->store(false);
  m_loggedIn = false;
  asio::post(m_context.io, [self = shared_from_this()] {
    self->m_timer.cancel();
    self->m_uploadTimer.cancel();
    self->m_channel.reset();
  });
}

void OnvifSession::Call(const std::string& operation, const std::string& body,
                        std::function<void(CallResult)> done) {
  if (!m_channel) return;
  m_channel->Call(m_service, DeviceAction(operation), body, true, std::move(done));
}

void OnvifSession::LogIn() {
  if (!m_open->load() || !m_channel) return;
  // A credential this device refused is not tried again, not even by a new login.
  if (m_channel->CredentialRefused()) {
    CallResult refused;
    refused.outcome = CallResult::Outcome::kRefused;
    return OnLoginFailed(refused);
  }
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  ReadClock(m_channel, m_service, [weak](const CallResult& result, const DeviceClock& clock) {
    auto self = weak.lock();
    if (!self || !self->m_open->load()) return;
    if (!result.Ok()) return self->OnLoginFailed(result);
    self->m_clock = clock;
    self->LearnServices();
  });
}

void OnvifSession::LearnServices() {
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  auto rewrite = [weak](ServiceMap services) {
    auto self = weak.lock();
    if (!self) return;
    self->m_serviceMap.clear();
    for (auto& [ns, address] : services) {
      Url url;
      if (ParseUrl(address, &url)) {
        self->m_serviceMap[ns] = WithAuthorityOf(url, self->m_service).ToString();
      }
    }
    self->ConfirmLogin();
  };
  Call("GetServices", GetServicesBody(), [weak, rewrite](CallResult result) {
    auto self = weak.lock();
    if (!self || !self->m_open->load()) return;
    ServiceMap services;
    if (result.Ok() && ReadServices(result.Body(), &services)) return rewrite(std::move(services));
    // Older devices answer GetServices with a fault, or with a bare HTTP error.
    if (!result.Answered()) return self->OnLoginFailed(result);
    self->Call("GetCapabilities", GetCapabilitiesBody(), [weak, rewrite](CallResult answer) {
      auto self = weak.lock();
      if (!self || !self->m_open->load()) return;
      ServiceMap capabilities;
      if (!answer.Ok() || !ReadCapabilities(answer.Body(), &capabilities)) {
        return self->OnLoginFailed(answer);
      }
      rewrite(std::move(capabilities));
    });
  });
}

void OnvifSession::ConfirmLogin() {
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  // Services are often open; the information is not, so it proves the credential.
  Call("GetDeviceInformation", GetDeviceInformationBody(), [weak](CallResult result) {
    auto self = weak.lock();
    if (!self || !self->m_open->load()) return;
    DeviceInformation information;
    if (!result.Ok() || !ReadDeviceInformation(result.Body(), &information)) {
      return self->OnLoginFailed(result);
    }
    const bool again = self->m_everLoggedIn;
    self->m_everLoggedIn = true;
    self->m_failureReported = false;
    self->m_loggedIn = true;
    self->StatusEvent(NETSDK_EVENT_LOGIN_OK, again ? NETSDK_VALUE_RECONNECTED : NETSDK_VALUE_NONE);
    self->ScheduleKeepAlive();
  });
}

void OnvifSession::OnLoginFailed(const CallResult& result) {
  m_loggedIn = false;
  const bool refused = result.outcome == CallResult::Outcome::kRefused;
  if (!m_failureReported) {
    m_failureReported = true;
    if (m_everLoggedIn) {
      StatusEvent(NETSDK_EVENT_DISCONNECTED, NETSDK_VALUE_NONE);
    } else {
      StatusEvent(NETSDK_EVENT_LOGIN_FAILED,
                  refused ? NETSDK_VALUE_REFUSED : NETSDK_VALUE_UNREACHABLE);
    }
  }
  // A device that is away may come back; a refused credential never will be taken.
  if (!refused) ScheduleReconnect();
}

void OnvifSession::ScheduleKeepAlive() {
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  m_timer.expires_after(m_context.settings.Scale().Real(kKeepAliveMs));
  m_timer.async_wait([weak](const std::error_code& error) {
    if (auto self = weak.lock(); self && !error) self->KeepAlive();
  });
}

void OnvifSession::KeepAlive() {
  if (!m_open->load() || !m_channel) return;
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  ReadClock(m_channel, m_service, [weak](const CallResult& result, const DeviceClock&) {
    auto self = weak.lock();
    if (!self || !self->m_open->load()) return;
    if (result.Ok()) return self->ScheduleKeepAlive();
    self->OnLost();
  });
}

void OnvifSession::OnLost() {
  m_loggedIn = false;
  if (!m_failureReported) {
    m_failureReported = true;
    StatusEvent(NETSDK_EVENT_DISCONNECTED, NETSDK_VALUE_NONE);
  }
  ScheduleReconnect();
}

void OnvifSession::ScheduleReconnect() {
  // Without auto-reconnect the login stays down until the program logs in again.
  if (!m_autoReconnect.load()) return;
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  m_timer.expires_after(m_context.settings.Scale().Real(kReconnectIntervalMs));
  m_timer.async_wait([weak](const std::error_code& error) {
    auto self = weak.lock();
    if (self && !error && self->m_autoReconnect.load()) self->LogIn();
  });
}

void OnvifSession::StatusEvent(int event, int value) {
  m_context.events.Status(m_open, m_handle, event, value);
}

void OnvifSession::Respond(std::uint32_t code, bool ok, std::string text) {
  m_context.events.Response(m_open, m_handle, ok ? code : (code | NETSDK_RESPONSE_FAILED),
                            std::move(text));
}

int OnvifSession::Action(std::uint32_t code, std::int32_t /*channel*/) {
  std::string operation;
  std::string body;
  if (code == wire::kCodeReboot) {
    operation = "SystemReboot";
    body = SystemRebootBody();
  } else if (code == wire::kCodeRestore) {
    operation = "SetSystemFactoryDefault";
    body = SetSystemFactoryDefaultBody(m_context.settings.Restore() == RestoreMode::kHard);
  } else {
    return -1;
  }
  if (!m_loggedIn.load()) return -1;
  auto waiter = std::make_shared<Waiter>();
  asio::post(m_context.io, [self = shared_from_this(), operation, body, waiter] {
    if (!self->m_channel) return waiter->Set(-1);
    std::weak_ptr<OnvifSession> weak = self;
    self->Call(operation, body, [weak, waiter](CallResult result) {
      waiter->Set(result.Ok() ? 0 : -1);
      // The device restarts now; the login is lost until it is back, as a connection would be.
      if (auto self = weak.lock(); self && result.Ok()) self->OnLost();
    });
  });
  return waiter->Wait(m_context.settings.Scale().Real(kSoapTimeoutMs), -1);
}

int OnvifSession::Command(wire::CommandKind kind, std::uint32_t code, std::int32_t /*channel*/,
                          std::string text) {
  // No ONVIF counterpart: answered at once, without traffic.
  if (code == wire::kCodeFormatDisk) return -1;
  if (!m_loggedIn.load()) return -1;
  asio::post(m_context.io, [self = shared_from_this(), kind, code, text = std::move(text)] {
    if (!self->m_channel) return;
    if (kind == wire::CommandKind::kControl && code == wire::kCodeGetVersion) {
      std::weak_ptr<OnvifSession> weak = self;
      return self->Call(
          "GetDeviceInformation", GetDeviceInformationBody(), [weak, code](CallResult result) {
            auto self = weak.lock();
            DeviceInformation information;
            if (!self) return;
            if (!result.Ok() || !ReadDeviceInformation(result.Body(), &information)) {
              return self->Respond(code, false, result.error);
            }
            self->Respond(
                code, true,
                Utf8ToGbkLossy("<Version FileSystemVersion=\"" + information.firmwareVersion +
                               "\" DeviceType=\"" + information.model + "\"/>"));
          });
    }
    if (kind == wire::CommandKind::kControl && code == wire::kCodeSetTime) {
      return self->SetTime(text);
    }
    if (kind == wire::CommandKind::kControl && code == wire::kCodeGetStorage) {
      return self->RunOperation(code, QueryStorage(self->Calls()));
    }
    if (kind == wire::CommandKind::kConfig && IsSettingsGroup(code)) {
      return self->RunOperation(code, PushSettingsGroup(self->Calls(), code, std::move(text)));
    }
    if (kind == wire::CommandKind::kConfig) return self->TakeConfig(code, text);
    self->Respond(code, false, kNotAvailable);
  });
  return 0;
}

void OnvifSession::SetTime(const std::string& request) {
  std::tm local{};
  if (!ReadRequestTime(request, &local)) {
    return Respond(wire::kCodeSetTime, false, "no time in the request");
  }
  // The request holds the PC's local time; the device is set in UTC, or in the local time it
  // mistakes for UTC.
  std::tm fields = local;
  const std::int64_t utc = m_clock.utcIsLocal ? static_cast<std::int64_t>(timegm(&fields))
                                              : static_cast<std::int64_t>(std::mktime(&fields));
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  Call("SetSystemDateAndTime", SetSystemDateAndTimeBody(utc, m_clock.timeZone),
       [weak](CallResult result) {
         auto self = weak.lock();
         if (!self || !self->m_channel) return;
         if (!result.Ok()) return self->Respond(wire::kCodeSetTime, false, result.error);
         // Tokens are created on the device's clock, which just changed.
         ReadClock(self->m_channel, self->m_service,
                   [weak](const CallResult& read, const DeviceClock& clock) {
                     if (auto self = weak.lock()) {
                       if (read.Ok()) self->m_clock = clock;
                       self->Respond(wire::kCodeSetTime, true, "");
                     }
                   });
       });
}

ServiceCalls OnvifSession::Calls() const {
  return ServiceCalls(m_channel, m_serviceMap, m_open);
}

void OnvifSession::RunOperation(std::uint32_t code, asio::awaitable<GroupOutcome> operation) {
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  asio::co_spawn(m_context.io, std::move(operation),
                 [weak, code](std::exception_ptr error, GroupOutcome outcome) {
                   auto self = weak.lock();
                   if (!self) return;
                   if (error) outcome = GroupOutcome::Failed("the operation could not run");
                   self->ReportGroup(code, outcome);
                 });
}

void OnvifSession::ReportGroup(std::uint32_t code, const GroupOutcome& outcome) {
  for (const std::string& note : outcome.notes) {
    std::fprintf(stderr, "netsdk: %s: settings %u: %s\n", m_target.ip.c_str(), code, note.c_str());
  }
  if (!outcome.ok) {
    std::fprintf(stderr, "netsdk: %s: settings %u not carried: %s\n", m_target.ip.c_str(), code,
                 outcome.reason.c_str());
  }
  Respond(code, outcome.ok, Utf8ToGbkLossy(outcome.ok ? outcome.answer : outcome.reason));
}

void OnvifSession::RunSteps(std::vector<SoapStep> steps,
                            std::function<void(const CallResult&)> done) {
  if (steps.empty()) {
    CallResult nothing;
    nothing.outcome = CallResult::Outcome::kOk;
    return done(nothing);
  }
  const SoapStep step = steps.front();
  steps.erase(steps.begin());
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  Call(step.operation, step.body,
       [weak, steps = std::move(steps), done = std::move(done)](CallResult result) mutable {
         auto self = weak.lock();
         if (!self) return;
         if (!result.Ok() || steps.empty()) return done(result);
         self->RunSteps(std::move(steps), std::move(done));
       });
}

void OnvifSession::TakeConfig(std::uint32_t code, const std::string& document) {
  ConfigPlan plan =
      PlanConfig(code, document, m_channel->GetCredential(),
                 static_cast<std::int64_t>(std::time(nullptr)) + m_channel->ClockOffset());
  if (!plan.available) return Respond(code, false, kNotAvailable);
  if (!plan.error.empty()) return ReportGroup(code, GroupOutcome::Failed(plan.error));
  std::weak_ptr<OnvifSession> weak = weak_from_this();
  auto finish = [weak, code, credential = plan.credential](const CallResult& result) {
    auto self = weak.lock();
    if (!self) return;
    // Later calls of this login authenticate with the account's new password.
    if (result.Ok() && credential && self->m_channel) self->m_channel->SetCredential(*credential);
    self->ReportGroup(code, result.Ok() ? GroupOutcome::Carried()
                                        : GroupOutcome::Failed(Reason("the device", result)));
  };
  if (!plan.interfaceAddress) return RunSteps(std::move(plan.steps), finish);
  // The interface goes last: once its address changes the device no longer answers here.
  Call("GetNetworkInterfaces", GetNetworkInterfacesBody(),
       [weak, plan = std::move(plan), finish](CallResult result) mutable {
         auto self = weak.lock();
         NetworkInterface network;
         if (!self) return;
         if (!result.Ok() || !ReadNetworkInterface(result.Body(), &network)) return finish(result);
         const auto& [ip, prefix] = *plan.interfaceAddress;
         plan.steps.push_back(
             {"SetNetworkInterfaces", SetNetworkInterfacesBody(network.token, ip, prefix)});
         self->RunSteps(std::move(plan.steps), [weak, finish](const CallResult& last) {
           auto self = weak.lock();
           if (!self || !last.Ok() || !ReadRebootNeeded(last.Body())) return finish(last);
           self->RunSteps({{"SystemReboot", SystemRebootBody()}}, finish);
         });
       });
}

}  // namespace netsdk::onvif_backend
