#include "sim/detail/device.h"

#include <algorithm>
#include <cstdio>

#include "wire/codes.h"

namespace camsim::detail {
namespace {

// "YYYYMMDD HH:MM:SS" with plausible fields, as the time request carries it.
bool ValidTime(const std::string& time) {
  int year, month, day, hour, minute, second;
  char end;
  if (time.size() != 17 || std::sscanf(time.c_str(), "%4d%2d%2d %2d:%2d:%2d%c", &year, &month, &day,
                                       &hour, &minute, &second, &end) != 6) {
    return false;
  }
  return year >= 1970 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 23 &&
         minute <= 59 && second <= 59 && hour >= 0 && minute >= 0 && second >= 0;
}

std::string Gateway(const std::string& ip) {
  return ip.substr(0, ip.rfind('.')) + ".1";
}

}  // namespace

Device::Device(DeviceConfig config, Environment& environment)
    : m_config(std::move(config)),
      m_env(environment),
      m_clockOffsetS(m_config.onvif.clockSkewS),
      m_factoryTimeZone(m_config.onvif.timeZone),
      m_factoryDaylightSavings(m_config.onvif.daylightSavings) {}

bool Device::At(const std::string& ip, std::uint16_t port) const {
  return m_online && m_config.ip == ip && m_config.port == port;
}

DeviceSnapshot Device::Snapshot() const {
  DeviceSnapshot snapshot;
  snapshot.serial = m_config.serial;
  snapshot.online = m_online;
  snapshot.ip = m_config.ip;
  snapshot.mask = m_config.mask;
  snapshot.gateway = m_config.gateway;
  snapshot.user = m_config.user;
  snapshot.password = m_config.password;
  snapshot.allNetState = m_config.allNetState;
  snapshot.version = m_config.version;
  snapshot.clock = m_clock;
  snapshot.clockOffsetS = m_clockOffsetS;
  snapshot.restarts = static_cast<int>(m_generation);
  snapshot.timeZone = m_config.onvif.timeZone;
  snapshot.daylightSavings = m_config.onvif.daylightSavings;
  snapshot.configs = m_configs;
  return snapshot;
}

void Device::Reboot() {
  GoAway(m_config.timings.rebootMs, [this] {
    if (m_rebootIp.empty()) return;
    m_config.ip = m_rebootIp;
    m_config.mask = m_rebootMask;
    m_rebootIp.clear();
  });
}

void Device::FactoryRestore(bool keepNetwork) {
  const double awayMs = m_config.faults.vanishAfterRestore ? -1 : m_config.timings.restoreMs;
  GoAway(awayMs, [this, keepNetwork] {
    if (!keepNetwork) {
      m_config.ip =
          m_config.faults.restoreIp.empty() ? m_config.factoryIp : m_config.faults.restoreIp;
      m_config.mask = "255.255.255.0";
      m_config.gateway = Gateway(m_config.ip);
    }
    m_config.user = m_config.factoryUser;
    m_config.password = m_config.factoryPassword;
    m_config.allNetState = m_config.allNetSupport == 0xFF ? m_config.factoryAllNetState : 0;
    m_config.onvif.timeZone = m_factoryTimeZone;
    m_config.onvif.daylightSavings = m_factoryDaylightSavings;
    m_rebootIp.clear();
    m_configs.clear();
    m_clock.clear();
  });
}

bool Device::SetClock(const std::string& time) {
  if (!ValidTime(time)) return false;
  m_clock = time;
  return true;
}

void Device::SetAddress(const std::string& ip, const std::string& mask,
                        const std::string& gateway) {
  const bool moved = ip != m_config.ip;
  m_config.ip = ip;
  m_config.mask = mask;
  m_config.gateway = gateway;
  // The network restarts on the new address: connections to the old one are gone.
  if (moved) LoseLinks();
}

void Device::SetAddressAtReboot(const std::string& ip, const std::string& mask) {
  m_rebootIp = ip;
  m_rebootMask = mask;
}

Device::Gate Device::GateCode(std::uint32_t code) {
  if (DropAt(std::to_string(code))) return Gate::kDrop;
  const DeviceFaults& faults = m_config.faults;
  if (faults.ignoreCodes.count(code) > 0) return Gate::kIgnore;
  if (faults.refuseCodes.count(code) > 0) return Gate::kRefuse;
  if (auto times = m_config.faults.refuseCodeTimes.find(code);
      times != m_config.faults.refuseCodeTimes.end() && times->second > 0) {
    --times->second;
    return Gate::kRefuse;
  }
  return Gate::kServe;
}

Device::TransferStep Device::TransferAt(int percent) {
  const DeviceFaults& faults = m_config.faults;
  if (faults.failAtPercent >= 0 && percent >= faults.failAtPercent) {
    Record(wire::kCodeUpgrade, "upgrade", "transfer abandoned at " + std::to_string(percent) + "%");
    return TransferStep::kFail;
  }
  if (auto drop = faults.dropSteps.find("transfer");
      drop != faults.dropSteps.end() && percent >= drop->second && DropAt("transfer")) {
    return TransferStep::kDrop;
  }
  if (faults.stallAtPercent >= 0 && percent >= faults.stallAtPercent) return TransferStep::kStall;
  return TransferStep::kGo;
}

double Device::TransferWaitMs(double startMs, std::uint64_t received) const {
  const double rate = m_config.timings.rateKiBps;
  if (rate <= 0) return 0;
  const double dueMs = startMs + static_cast<double>(received) / (rate * 1.024);
  return std::max(0.0, dueMs - m_env.clock.NowMs());
}

Device::FirmwareJudgement Device::JudgeFirmware(wire::FirmwareChecker& checker) {
  const wire::FirmwareVerdict verdict = checker.Finish(m_config.deviceType);
  FirmwareJudgement judgement;
  judgement.version = checker.Version();
  judgement.ok = verdict == wire::FirmwareVerdict::kOk;
  judgement.reason = wire::VerdictText(verdict);
  const DeviceFaults& faults = m_config.faults;
  if (judgement.ok && faults.refuseFirmware &&
      (faults.refuseFirmwareVersion.empty() || faults.refuseFirmwareVersion == judgement.version)) {
    judgement.ok = false;
    judgement.reason = "refused by the device";
  }
  Record(wire::kCodeUpgradeChecked, "check",
         judgement.ok ? "accepted " + judgement.version : judgement.reason);
  return judgement;
}

void Device::RestartWithFirmware(const std::string& version) {
  GoAway(m_config.timings.upgradeRestartMs, [this, version] {
    if (!m_config.faults.keepVersion) m_config.version = version;
  });
}

void Device::After(double ms, std::function<void()> action, std::function<void()> ifRestarted) {
  const unsigned generation = m_generation;
  auto run = [this, generation, action = std::move(action), ifRestarted = std::move(ifRestarted)] {
    if (generation == m_generation) {
      action();
    } else if (ifRestarted) {
      ifRestarted();
    }
  };
  if (ms <= 0) {
    asio::post(m_env.io, std::move(run));
    return;
  }
  auto timer = std::make_shared<asio::steady_timer>(m_env.io, m_env.clock.Real(ms));
  timer->async_wait([timer, run = std::move(run)](const std::error_code& error) {
    if (!error) run();
  });
}

std::string Device::AccountLocked() const {
  const int lockout = m_config.onvif.lockout;
  if (lockout <= 0 || m_wrongLoginsInRow < lockout) return {};
  return "locked after " + std::to_string(lockout) + " wrong logins";
}

void Device::CountLogin(bool right) {
  m_wrongLoginsInRow = right ? 0 : m_wrongLoginsInRow + 1;
}

void Device::GoAway(double ms, std::function<void()> onBack) {
  m_online = false;
  ++m_generation;
  m_wrongLoginsInRow = 0;
  LoseLinks();
  if (ms < 0) return;
  After(ms, [this, onBack = std::move(onBack)] {
    if (onBack) onBack();
    m_online = true;
  });
}

void Device::Record(std::uint32_t code, std::string kind, std::string text) {
  m_env.journal.Add({m_env.clock.NowMs(), m_config.serial, code, std::move(kind), std::move(text)});
}

void Device::OnLinksLost(std::function<void()> listener) {
  m_linksLost.push_back(std::move(listener));
}

void Device::LoseLinks() {
  for (const auto& listener : m_linksLost) listener();
}

bool Device::DropAt(const std::string& step) {
  if (m_config.faults.dropSteps.count(step) == 0) return false;
  return m_dropped.insert(step).second;
}

}  // namespace camsim::detail
