#include "sim/detail/framed_device.h"

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

std::string Attribute(const std::string& text, const std::string& name) {
  const std::string marker = name + "=\"";
  const std::size_t start = text.find(marker);
  if (start == std::string::npos) return {};
  const std::size_t from = start + marker.size();
  const std::size_t end = text.find('"', from);
  return end == std::string::npos ? std::string() : text.substr(from, end - from);
}

}  // namespace

FramedDevice::FramedDevice(Device& device, Environment& environment)
    : m_device(device), m_env(environment) {
  m_device.OnLinksLost([this] { DropLinks(); });
}

DeviceSnapshot FramedDevice::Snapshot() const {
  DeviceSnapshot snapshot = m_device.Snapshot();
  for (const auto& weak : m_links) {
    if (auto link = weak.lock(); link && link->loggedIn) ++snapshot.logins;
  }
  return snapshot;
}

void FramedDevice::OnProbe(const std::shared_ptr<wire::FramedConnection>& lan,
                           std::uint32_t searchId) {
  if (!m_device.Online()) return;
  std::weak_ptr<wire::FramedConnection> weak = lan;
  m_device.After(m_device.Config().timings.searchMs, [this, weak, searchId] {
    const wire::DeviceInfo info{m_device.Config().serial,        m_device.Config().deviceType,
                                m_device.Config().user,          m_device.Config().password,
                                m_device.Config().channel,       m_device.Config().port,
                                m_device.Config().mac,           m_device.Config().ip,
                                m_device.Config().mask,          m_device.Config().gateway,
                                m_device.Config().allNetSupport, m_device.Config().allNetState};
    if (auto connection = weak.lock()) {
      connection->Send(wire::MsgType::kProbeAnswer, searchId, wire::Encode(info));
    }
  });
}

void FramedDevice::OnModify(const std::shared_ptr<wire::FramedConnection>& lan, std::uint32_t id,
                            const wire::Modify& modify) {
  m_device.Record(wire::kCodeModify, "modify",
                  "IP=" + modify.ip + " Mask=" + modify.mask + " Gateway=" + modify.gateway +
                      " AllNet=" + std::to_string(modify.allNetState));
  std::weak_ptr<wire::FramedConnection> weak = lan;
  m_device.After(m_device.Config().timings.answerMs, [this, weak, id, modify] {
    const bool accepted = !m_device.Config().faults.rejectModify && ValidAddress(modify.ip) &&
                          ValidAddress(modify.mask) && ValidAddress(modify.gateway);
    if (auto connection = weak.lock()) {
      connection->Send(wire::MsgType::kModifyResult, id, wire::EncodeFlag(accepted));
    }
    if (!accepted) return;
    if (m_device.Config().allNetSupport == 0xFF) m_device.SetAllNetState(modify.allNetState);
    m_device.SetAddress(modify.ip, modify.mask, modify.gateway);
  });
}

void FramedDevice::Attach(const std::shared_ptr<Link>& link) {
  std::erase_if(m_links, [](const std::weak_ptr<Link>& weak) { return weak.expired(); });
  link->device = this;
  m_links.push_back(link);
}

void FramedDevice::Detach(Link& link) {
  if (m_uploader == &link) m_uploader = nullptr;
  EndStream(link);
  link.device = nullptr;
}

void FramedDevice::OnStreamStart(const std::shared_ptr<Link>& link,
                                 const wire::StreamStart& start) {
  if (!link->loggedIn || link->stream) {
    link->connection->Close();
    return;
  }
  const std::string what = "start channel=" + std::to_string(start.channel);
  if (start.channel != m_device.Config().channel) {
    m_device.Record(wire::kCodeStream, "refused stream", what);
    return;
  }
  m_device.Record(wire::kCodeStream, "stream", what);
  const DeviceFaults& faults = m_device.Config().faults;
  auto sender = std::make_shared<StreamSender>(
      m_env.io, link->connection, StreamFaults{faults.badHeader, faults.corruptFrames});
  link->stream = sender;
  if (faults.noStream) return;
  std::weak_ptr<StreamSender> weak = sender;
  m_env.clips.Get(m_device.Config().serial, m_device.Config().ip, m_device.Config().hasAudio,
                  [weak](std::shared_ptr<const PreviewClip> clip) {
                    if (auto target = weak.lock()) target->Play(std::move(clip));
                  });
}

void FramedDevice::EndStream(Link& link) {
  if (!link.stream) return;
  link.stream->Stop();
  link.stream.reset();
  m_device.Record(wire::kCodeStream, "stream", "stop");
}

void FramedDevice::OnLogin(const std::shared_ptr<Link>& link, const wire::Login& login) {
  m_device.Record(wire::kCodeLogin, "login", login.user);
  if (m_device.DropAt("login")) {
    link->connection->Close();
    return;
  }
  if (m_device.Config().faults.ignoreLogin) return;
  std::weak_ptr<Link> weak = link;
  m_device.After(m_device.Config().timings.loginMs, [this, weak, login] {
    auto target = weak.lock();
    if (!target) return;
    target->loggedIn = !m_device.Config().faults.refuseLogin &&
                       login.user == m_device.Config().user &&
                       login.password == m_device.Config().password;
    target->connection->Send(wire::MsgType::kLoginResult, 0, wire::EncodeFlag(target->loggedIn));
  });
}

void FramedDevice::OnCommand(const std::shared_ptr<Link>& link, std::uint32_t id,
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
  m_device.Record(code,
                  kind == wire::CommandKind::kConfig
                      ? (document.valid ? "config" : "refused config")
                  : kind == wire::CommandKind::kControl ? "control"
                                                        : "action",
                  format ? "disk=" + std::to_string(command.channel) : command.text);
  switch (m_device.GateCode(code)) {
    case Device::Gate::kDrop:
      link->connection->Close();
      return;
    case Device::Gate::kIgnore:
      return;
    case Device::Gate::kRefuse:
      Answer(link, id, code, false, "", m_device.Config().timings.answerMs);
      return;
    case Device::Gate::kServe:
      break;
  }
  const DeviceFaults& faults = m_device.Config().faults;
  const double answerMs = m_device.Config().timings.answerMs;
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
                      "<Version FileSystemVersion=\"" + m_device.Config().version +
                          "\" DeviceType=\"" + m_device.Config().deviceType + "\"/>",
                      answerMs);
      }
      if (code == wire::kCodeGetStorage) {
        std::string text =
            "<Storage><Disk Name=\"SD1\" Total=\"" + std::to_string(m_device.Config().sd1) +
            "\"/><Disk Name=\"SD2\" Total=\"" + std::to_string(m_device.Config().sd2) + "\"/>";
        if (!faults.shortStorage) {
          text += "<Disk Name=\"USB\" Total=\"" + std::to_string(m_device.Config().usb) + "\"/>";
        }
        return Answer(link, id, code, true, text + "</Storage>", answerMs);
      }
      break;
    case wire::CommandKind::kConfig:
      return TakeConfig(link, id, command, document);
  }
  Answer(link, id, code, false, "unknown command", answerMs);
}

void FramedDevice::RebootCommand(const std::shared_ptr<Link>& link, std::uint32_t id) {
  AnswerThen(link, id, wire::kCodeReboot, [this] { m_device.Reboot(); });
}

void FramedDevice::RestoreCommand(const std::shared_ptr<Link>& link, std::uint32_t id) {
  AnswerThen(link, id, wire::kCodeRestore, [this] { m_device.FactoryRestore(false); });
}

void FramedDevice::AnswerThen(const std::shared_ptr<Link>& link, std::uint32_t id,
                              std::uint32_t code, std::function<void()> then) {
  std::weak_ptr<Link> weak = link;
  m_device.After(m_device.Config().timings.answerMs, [weak, id, code, then = std::move(then)] {
    Reply(weak.lock(), id, code, true, "");
    then();
  });
}

void FramedDevice::SetTimeCommand(const std::shared_ptr<Link>& link, std::uint32_t id,
                                  const std::string& text) {
  const bool valid = m_device.SetClock(Attribute(text, "Time"));
  Answer(link, id, wire::kCodeSetTime, valid, valid ? "" : "bad time",
         m_device.Config().timings.answerMs);
}

void FramedDevice::Format(const std::shared_ptr<Link>& link, std::uint32_t id, std::int32_t disk) {
  if (disk < 0 || disk > 2) {
    Answer(link, id, wire::kCodeFormatDisk, false, "no such medium",
           m_device.Config().timings.answerMs);
    return;
  }
  // Every answer names its disk, so that a late answer is not taken for another disk's.
  const std::string answer = std::string("<Format Disk=\"") + kDiskNames[disk] + "\" Result=\"";
  const std::int64_t totals[] = {m_device.Config().sd1, m_device.Config().sd2,
                                 m_device.Config().usb};
  if (totals[disk] <= 0) {
    Answer(link, id, wire::kCodeFormatDisk, false, answer + "Failed\" Reason=\"no such medium\"/>",
           m_device.Config().timings.answerMs);
    return;
  }
  const bool ok = !m_device.Config().faults.failFormat;
  Answer(link, id, wire::kCodeFormatDisk, ok, answer + (ok ? "OK" : "Failed") + "\"/>",
         m_device.Config().timings.formatMs);
}

void FramedDevice::TakeConfig(const std::shared_ptr<Link>& link, std::uint32_t id,
                              const wire::Command& command, const ConfigDocument& document) {
  if (!document.valid) {
    Answer(link, id, command.code, false, "not a document of this command",
           m_device.Config().timings.answerMs);
    return;
  }
  m_device.StoreConfig(command.code, command.text);
  std::weak_ptr<Link> weak = link;
  m_device.After(m_device.Config().timings.answerMs,
                 [this, weak, id, code = command.code, document] {
                   Reply(weak.lock(), id, code, true, "");
                   ApplyConfig(code, document.settings);
                 });
}

void FramedDevice::ApplyConfig(std::uint32_t code,
                               const std::map<std::string, std::string>& settings) {
  auto value = [&settings](const char* name) {
    const auto found = settings.find(name);
    return found == settings.end() ? std::string() : found->second;
  };
  if (code == kCodeAccount) {
    // A later login needs the new password.
    if (settings.count("Password") > 0) m_device.SetPassword(value("Password"));
    return;
  }
  if (code != kCodeEthernet || !ValidAddress(value("IPAddress"))) return;
  // The device answers at its new address only, as after a ModifyIPC.
  m_device.SetAddress(
      value("IPAddress"),
      ValidAddress(value("Netmask")) ? value("Netmask") : m_device.Config().mask,
      ValidAddress(value("Gateway")) ? value("Gateway") : m_device.Config().gateway);
}

void FramedDevice::OnUpgradeBegin(const std::shared_ptr<Link>& link, std::uint64_t size) {
  auto refuse = [&link](const char* reason) {
    link->connection->Send(wire::MsgType::kUpgradeFailed, 0, wire::EncodeText(reason));
  };
  if (!link->loggedIn) return refuse("not logged in");
  m_device.Record(wire::kCodeUpgrade, "upgrade", "size=" + std::to_string(size));
  if (m_uploader != nullptr && m_uploader != link.get()) return refuse("another transfer runs");
  if (size > kMaxFirmwareBytes) return refuse("file too large");
  link->upload = std::make_unique<Upload>();
  link->upload->size = size;
  link->upload->startMs = m_env.clock.NowMs();
  m_uploader = link.get();
  if (size == 0) AckUpload(link);
}

void FramedDevice::OnUpgradeData(const std::shared_ptr<Link>& link, std::uint64_t offset,
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
  switch (m_device.TransferAt(percent)) {
    case Device::TransferStep::kFail:
      link->upload.reset();
      m_uploader = nullptr;
      link->connection->Send(wire::MsgType::kUpgradeFailed, 0, wire::EncodeText("transfer failed"));
      return;
    case Device::TransferStep::kDrop:
      link->connection->Close();
      return;
    case Device::TransferStep::kStall:
      upload->stalled = true;
      return;
    case Device::TransferStep::kGo:
      break;
  }
  AckUpload(link);
}

void FramedDevice::AckUpload(const std::shared_ptr<Link>& link) {
  Upload& upload = *link->upload;
  const std::uint64_t received = upload.received;
  // The acknowledgement leaves when the device's transfer rate would have taken these bytes.
  const double delayMs = m_device.TransferWaitMs(upload.startMs, received);
  std::weak_ptr<Link> weak = link;
  m_device.After(delayMs, [this, weak, received] {
    auto target = weak.lock();
    if (!target || !target->upload) return;
    target->connection->Send(wire::MsgType::kUpgradeAck, 0, wire::EncodeCount(received));
    if (received < target->upload->size) return;
    std::shared_ptr<Upload> done = std::move(target->upload);
    m_uploader = nullptr;
    target->connection->Send(wire::MsgType::kUpgradeDone, 0, {});
    m_device.After(m_device.Config().timings.checkMs,
                   [this, weak, done] { CheckFirmware(weak.lock(), done); });
  });
}

void FramedDevice::CheckFirmware(const std::shared_ptr<Link>& link,
                                 std::shared_ptr<Upload> upload) {
  if (m_device.DropAt("check")) {
    if (link) link->connection->Close();
    return;
  }
  const Device::FirmwareJudgement judgement = m_device.JudgeFirmware(upload->checker);
  Reply(link, 0, wire::kCodeUpgradeChecked, judgement.ok,
        judgement.ok ? "<Upgrade Result=\"OK\" Version=\"" + judgement.version + "\"/>"
                     : "<Upgrade Result=\"Failed\" Reason=\"" + judgement.reason + "\"/>");
  if (judgement.ok) m_device.RestartWithFirmware(judgement.version);
}

void FramedDevice::DropLinks() {
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

void FramedDevice::Answer(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code,
                          bool ok, std::string text, double delayMs) {
  std::weak_ptr<Link> weak = link;
  m_device.After(delayMs, [weak, id, code, ok, text = std::move(text)] {
    Reply(weak.lock(), id, code, ok, text);
  });
}

void FramedDevice::Reply(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code,
                         bool ok, const std::string& text) {
  if (!link) return;
  link->connection->Send(wire::MsgType::kCommandResult, id,
                         wire::Encode(wire::CommandResult{code, ok, text}));
}

}  // namespace camsim::detail
