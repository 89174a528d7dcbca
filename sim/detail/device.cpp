#include "sim/detail/device.h"

#include <algorithm>
#include <cstdio>

#include "wire/codes.h"
#include "wire/endpoint.h"

namespace camsim::detail {
namespace {

constexpr const char* kDiskNames[] = {"SD1", "SD2", "USB"};
constexpr std::uint32_t kCodeAccount = 223;
constexpr std::uint32_t kCodeEthernet = 325;

bool ValidAddress(const std::string& text) {
  std::uint32_t address = 0;
  return wire::ParseIPv4(text, &address);
}

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

std::string Attribute(const std::string& text, const std::string& name) {
  const std::string marker = name + "=\"";
  const std::size_t start = text.find(marker);
  if (start == std::string::npos) return {};
  const std::size_t from = start + marker.size();
  const std::size_t end = text.find('"', from);
  return end == std::string::npos ? std::string() : text.substr(from, end - from);
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
  for (const auto& weak : m_links) {
    if (auto link = weak.lock(); link && link->loggedIn) ++snapshot.logins;
  }
  return snapshot;
}

void Device::OnProbe(const std::shared_ptr<wire::FramedConnection>& lan, std::uint32_t searchId) {
  if (!m_online) return;
  std::weak_ptr<wire::FramedConnection> weak = lan;
  After(m_config.timings.searchMs, [this, weak, searchId] {
    const wire::DeviceInfo info{
        m_config.serial,  m_config.deviceType, m_config.user,          m_config.password,
        m_config.channel, m_config.port,       m_config.mac,           m_config.ip,
        m_config.mask,    m_config.gateway,    m_config.allNetSupport, m_config.allNetState};
    if (auto connection = weak.lock()) {
      connection->Send(wire::MsgType::kProbeAnswer, searchId, wire::Encode(info));
    }
  });
}

void Device::OnModify(const std::shared_ptr<wire::FramedConnection>& lan, std::uint32_t id,
                      const wire::Modify& modify) {
  Record(wire::kCodeModify, "modify",
         "IP=" + modify.ip + " Mask=" + modify.mask + " Gateway=" + modify.gateway +
             " AllNet=" + std::to_string(modify.allNetState));
  std::weak_ptr<wire::FramedConnection> weak = lan;
  After(m_config.timings.answerMs, [this, weak, id, modify] {
    const bool accepted = !m_config.faults.rejectModify && ValidAddress(modify.ip) &&
                          ValidAddress(modify.mask) && ValidAddress(modify.gateway);
    if (auto connection = weak.lock()) {
      connection->Send(wire::MsgType::kModifyResult, id, wire::EncodeFlag(accepted));
    }
    if (!accepted) return;
    if (m_config.allNetSupport == 0xFF) m_config.allNetState = modify.allNetState;
    SetAddress(modify.ip, modify.mask, modify.gateway);
  });
}

void Device::Attach(const std::shared_ptr<Link>& link) {
  std::erase_if(m_links, [](const std::weak_ptr<Link>& weak) { return weak.expired(); });
  link->device = this;
  m_links.push_back(link);
}

void Device::Detach(Link& link) {
  if (m_uploader == &link) m_uploader = nullptr;
  EndStream(link);
  link.device = nullptr;
}

void Device::OnStreamStart(const std::shared_ptr<Link>& link, const wire::StreamStart& start) {
  if (!link->loggedIn || link->stream) {
    link->connection->Close();
    return;
  }
  const std::string what = "start channel=" + std::to_string(start.channel);
  if (start.channel != m_config.channel) {
    Record(wire::kCodeStream, "refused stream", what);
    return;
  }
  Record(wire::kCodeStream, "stream", what);
  const DeviceFaults& faults = m_config.faults;
  auto sender = std::make_shared<StreamSender>(
      m_env.io, link->connection, StreamFaults{faults.badHeader, faults.corruptFrames});
  link->stream = sender;
  if (faults.noStream) return;
  std::weak_ptr<StreamSender> weak = sender;
  m_env.clips.Get(m_config.serial, m_config.ip, m_config.hasAudio,
                  [weak](std::shared_ptr<const PreviewClip> clip) {
                    if (auto target = weak.lock()) target->Play(std::move(clip));
                  });
}

void Device::EndStream(Link& link) {
  if (!link.stream) return;
  link.stream->Stop();
  link.stream.reset();
  Record(wire::kCodeStream, "stream", "stop");
}

void Device::OnLogin(const std::shared_ptr<Link>& link, const wire::Login& login) {
  Record(wire::kCodeLogin, "login", login.user);
  if (DropAt("login")) {
    link->connection->Close();
    return;
  }
  if (m_config.faults.ignoreLogin) return;
  std::weak_ptr<Link> weak = link;
  After(m_config.timings.loginMs, [this, weak, login] {
    auto target = weak.lock();
    if (!target) return;
    target->loggedIn = !m_config.faults.refuseLogin && login.user == m_config.user &&
                       login.password == m_config.password;
    target->connection->Send(wire::MsgType::kLoginResult, 0, wire::EncodeFlag(target->loggedIn));
  });
}

void Device::OnCommand(const std::shared_ptr<Link>& link, std::uint32_t id,
                       const wire::Command& command) {
  const std::uint32_t code = command.code;
  if (!link->loggedIn) {
    Answer(link, id, code, false, "not logged in", 0);
    return;
  }
  const auto kind = static_cast<wire::CommandKind>(command.kind);
  const bool format = kind == wire::CommandKind::kAction && code == wire::kCodeFormatDisk;
  // A cut or wrong configuration document is refused, and journaled as such.
  const ConfigDocument document = kind == wire::CommandKind::kConfig
                                      ? ReadConfigDocument(code, command.text)
                                      : ConfigDocument{};
  Record(code,
         kind == wire::CommandKind::kConfig    ? (document.valid ? "config" : "refused config")
         : kind == wire::CommandKind::kControl ? "control"
                                               : "action",
         format ? "disk=" + std::to_string(command.channel) : command.text);
  switch (GateCode(code)) {
    case Gate::kDrop:
      link->connection->Close();
      return;
    case Gate::kIgnore:
      return;
    case Gate::kRefuse:
      Answer(link, id, code, false, "", m_config.timings.answerMs);
      return;
    case Gate::kServe:
      break;
  }
  const DeviceFaults& faults = m_config.faults;
  const double answerMs = m_config.timings.answerMs;
  switch (kind) {
    case wire::CommandKind::kAction:
      if (code == wire::kCodeReboot) return RebootCommand(link, id);
      if (code == wire::kCodeRestore) return RestoreCommand(link, id);
      if (format) return Format(link, id, command.channel);
      break;
    case wire::CommandKind::kControl:
      if (code == wire::kCodeSetTime) return SetTimeCommand(link, id, command.text);
      if (code == wire::kCodeGetVersion) {
        return Answer(link, id, code, true,
                      "<Version FileSystemVersion=\"" + m_config.version + "\" DeviceType=\"" +
                          m_config.deviceType + "\"/>",
                      answerMs);
      }
      if (code == wire::kCodeGetStorage) {
        std::string text = "<Storage><Disk Name=\"SD1\" Total=\"" + std::to_string(m_config.sd1) +
                           "\"/><Disk Name=\"SD2\" Total=\"" + std::to_string(m_config.sd2) +
                           "\"/>";
        if (!faults.shortStorage) {
          text += "<Disk Name=\"USB\" Total=\"" + std::to_string(m_config.usb) + "\"/>";
        }
        return Answer(link, id, code, true, text + "</Storage>", answerMs);
      }
      break;
    case wire::CommandKind::kConfig:
      return TakeConfig(link, id, command, document);
  }
  Answer(link, id, code, false, "unknown command", answerMs);
}

void Device::RebootCommand(const std::shared_ptr<Link>& link, std::uint32_t id) {
  AnswerThen(link, id, wire::kCodeReboot, [this] { Reboot(); });
}

void Device::RestoreCommand(const std::shared_ptr<Link>& link, std::uint32_t id) {
  AnswerThen(link, id, wire::kCodeRestore, [this] { FactoryRestore(false); });
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

void Device::AnswerThen(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code,
                        std::function<void()> then) {
  std::weak_ptr<Link> weak = link;
  After(m_config.timings.answerMs, [weak, id, code, then = std::move(then)] {
    Reply(weak.lock(), id, code, true, "");
    then();
  });
}

void Device::SetTimeCommand(const std::shared_ptr<Link>& link, std::uint32_t id,
                            const std::string& text) {
  const bool valid = SetClock(Attribute(text, "Time"));
  Answer(link, id, wire::kCodeSetTime, valid, valid ? "" : "bad time", m_config.timings.answerMs);
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
  if (moved) DropLinks();
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

void Device::Format(const std::shared_ptr<Link>& link, std::uint32_t id, std::int32_t disk) {
  if (disk < 0 || disk > 2) {
    Answer(link, id, wire::kCodeFormatDisk, false, "no such medium", m_config.timings.answerMs);
    return;
  }
  // Every answer names its disk, so that a late answer is not taken for another disk's.
  const std::string answer = std::string("<Format Disk=\"") + kDiskNames[disk] + "\" Result=\"";
  const std::int64_t totals[] = {m_config.sd1, m_config.sd2, m_config.usb};
  if (totals[disk] <= 0) {
    Answer(link, id, wire::kCodeFormatDisk, false, answer + "Failed\" Reason=\"no such medium\"/>",
           m_config.timings.answerMs);
    return;
  }
  const bool ok = !m_config.faults.failFormat;
  Answer(link, id, wire::kCodeFormatDisk, ok, answer + (ok ? "OK" : "Failed") + "\"/>",
         m_config.timings.formatMs);
}

void Device::TakeConfig(const std::shared_ptr<Link>& link, std::uint32_t id,
                        const wire::Command& command, const ConfigDocument& document) {
  if (!document.valid) {
    Answer(link, id, command.code, false, "not a document of this command",
           m_config.timings.answerMs);
    return;
  }
  m_configs[command.code] = command.text;
  std::weak_ptr<Link> weak = link;
  After(m_config.timings.answerMs, [this, weak, id, code = command.code, document] {
    Reply(weak.lock(), id, code, true, "");
    ApplyConfig(code, document.settings);
  });
}

void Device::ApplyConfig(std::uint32_t code, const std::map<std::string, std::string>& settings) {
  auto value = [&settings](const char* name) {
    const auto found = settings.find(name);
    return found == settings.end() ? std::string() : found->second;
  };
  if (code == kCodeAccount) {
    // A later login needs the new password.
    if (settings.count("Password") > 0) m_config.password = value("Password");
    return;
  }
  if (code != kCodeEthernet || !ValidAddress(value("IPAddress"))) return;
  // The device answers at its new address only, as after a ModifyIPC.
  SetAddress(value("IPAddress"), ValidAddress(value("Netmask")) ? value("Netmask") : m_config.mask,
             ValidAddress(value("Gateway")) ? value("Gateway") : m_config.gateway);
}

void Device::OnUpgradeBegin(const std::shared_ptr<Link>& link, std::uint64_t size) {
  auto refuse = [&link](const char* reason) {
    link->connection->Send(wire::MsgType::kUpgradeFailed, 0, wire::EncodeText(reason));
  };
  if (!link->loggedIn) return refuse("not logged in");
  Record(wire::kCodeUpgrade, "upgrade", "size=" + std::to_string(size));
  if (m_uploader != nullptr && m_uploader != link.get()) return refuse("another transfer runs");
  if (size > kMaxFirmwareBytes) return refuse("file too large");
  link->upload = std::make_unique<Upload>();
  link->upload->size = size;
  link->upload->startMs = m_env.clock.NowMs();
  m_uploader = link.get();
  if (size == 0) AckUpload(link);
}

void Device::OnUpgradeData(const std::shared_ptr<Link>& link, std::uint64_t offset,
                           const std::uint8_t* data, std::size_t size) {
  Upload* upload = link->upload.get();
  if (upload == nullptr || upload->stalled) return;
  if (offset != upload->received || size > upload->size - upload->received) {
    link->upload.reset();
    m_uploader = nullptr;
    link->connection->Send(wire::MsgType::kUpgradeFailed, 0, wire::EncodeText("bad offset"));
    return;
  }
  upload->checker.Feed(data, size);
  upload->received += size;
  const int percent = static_cast<int>(upload->received * 100 / upload->size);
  switch (TransferAt(percent)) {
    case TransferStep::kFail:
      link->upload.reset();
      m_uploader = nullptr;
      link->connection->Send(wire::MsgType::kUpgradeFailed, 0, wire::EncodeText("transfer failed"));
      return;
    case TransferStep::kDrop:
      link->connection->Close();
      return;
    case TransferStep::kStall:
      upload->stalled = true;
      return;
    case TransferStep::kGo:
      break;
  }
  AckUpload(link);
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

void Device::AckUpload(const std::shared_ptr<Link>& link) {
  Upload& upload = *link->upload;
  const std::uint64_t received = upload.received;
  // The acknowledgement leaves when the device's transfer rate would have taken these bytes.
  const double delayMs = TransferWaitMs(upload.startMs, received);
  std::weak_ptr<Link> weak = link;
  After(delayMs, [this, weak, received] {
    auto target = weak.lock();
    if (!target || !target->upload) return;
    target->connection->Send(wire::MsgType::kUpgradeAck, 0, wire::EncodeCount(received));
    if (received < target->upload->size) return;
    std::shared_ptr<Upload> done = std::move(target->upload);
    m_uploader = nullptr;
    target->connection->Send(wire::MsgType::kUpgradeDone, 0, {});
    After(m_config.timings.checkMs, [this, weak, done] { CheckFirmware(weak.lock(), done); });
  });
}

void Device::CheckFirmware(const std::shared_ptr<Link>& link, std::shared_ptr<Upload> upload) {
  if (DropAt("check")) {
    if (link) link->connection->Close();
    return;
  }
  const FirmwareJudgement judgement = JudgeFirmware(upload->checker);
  Reply(link, 0, wire::kCodeUpgradeChecked, judgement.ok,
        judgement.ok ? "<Upgrade Result=\"OK\" Version=\"" + judgement.version + "\"/>"
                     : "<Upgrade Result=\"Failed\" Reason=\"" + judgement.reason + "\"/>");
  if (judgement.ok) RestartWithFirmware(judgement.version);
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
  DropLinks();
  if (ms < 0) return;
  After(ms, [this, onBack = std::move(onBack)] {
    if (onBack) onBack();
    m_online = true;
  });
}

void Device::DropLinks() {
  for (const auto& weak : m_links) {
    if (auto link = weak.lock()) {
      link->loggedIn = false;
      link->upload.reset();
      EndStream(*link);
      link->device = nullptr;
      link->connection->CloseWhenSent();
    }
  }
  m_links.clear();
  m_uploader = nullptr;
}

void Device::Answer(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code,
                    bool ok, std::string text, double delayMs) {
  std::weak_ptr<Link> weak = link;
  After(delayMs,
        [weak, id, code, ok, text = std::move(text)] { Reply(weak.lock(), id, code, ok, text); });
}

void Device::Reply(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code, bool ok,
                   const std::string& text) {
  if (!link) return;
  link->connection->Send(wire::MsgType::kCommandResult, id,
                         wire::Encode(wire::CommandResult{code, ok, text}));
}

void Device::Record(std::uint32_t code, std::string kind, std::string text) {
  m_env.journal.Add({m_env.clock.NowMs(), m_config.serial, code, std::move(kind), std::move(text)});
}

bool Device::DropAt(const std::string& step) {
  if (m_config.faults.dropSteps.count(step) == 0) return false;
  return m_dropped.insert(step).second;
}

}  // namespace camsim::detail
