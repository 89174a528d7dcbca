// The framed-protocol face of one device: its answer to search probes and ModifyIPC, and the links
// bound to it by a hello with their logins, commands, live streams and firmware transfers, each
// mapped onto the device's own behaviour (Device), which the ONVIF face shares. Network thread
// only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/detail/config_document.h"
#include "sim/detail/device.h"
#include "sim/detail/link.h"
#include "sim/simulator.h"
#include "wire/messages.h"

namespace camsim::detail {

class FramedDevice {
 public:
  // Drops its links whenever the device leaves the network or moves.
  FramedDevice(Device& device, Environment& environment);

  Device& GetDevice() { return m_device; }
  // The device's snapshot with the links logged in now.
  DeviceSnapshot Snapshot() const;

  void OnProbe(const std::shared_ptr<wire::FramedConnection>& lan, std::uint32_t searchId);
  void OnModify(const std::shared_ptr<wire::FramedConnection>& lan, std::uint32_t id,
                const wire::Modify& modify);
  void Attach(const std::shared_ptr<Link>& link);
  void Detach(Link& link);
  void OnLogin(const std::shared_ptr<Link>& link, const wire::Login& login);
  void OnCommand(const std::shared_ptr<Link>& link, std::uint32_t id, const wire::Command& command);
  void OnStreamStart(const std::shared_ptr<Link>& link, const wire::StreamStart& start);
  void OnUpgradeBegin(const std::shared_ptr<Link>& link, std::uint64_t size);
  void OnUpgradeData(const std::shared_ptr<Link>& link, std::uint64_t offset,
                     const std::uint8_t* data, std::size_t size);

 private:
  void DropLinks();
  void EndStream(Link& link);
  void Answer(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code, bool ok,
              std::string text, double delayMs);
  // Sends a command's answer now, if the link is still there.
  static void Reply(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code,
                    bool ok, const std::string& text);
  // Accepts an action, then does it: the answer still goes out first.
  void AnswerThen(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code,
                  std::function<void()> then);

  void RebootCommand(const std::shared_ptr<Link>& link, std::uint32_t id);
  void RestoreCommand(const std::shared_ptr<Link>& link, std::uint32_t id);
  void SetTimeCommand(const std::shared_ptr<Link>& link, std::uint32_t id, const std::string& text);
  void Format(const std::shared_ptr<Link>& link, std::uint32_t id, std::int32_t disk);
  void TakeConfig(const std::shared_ptr<Link>& link, std::uint32_t id, const wire::Command& command,
                  const ConfigDocument& document);
  // Ethernet moves the device, the account changes its password.
  void ApplyConfig(std::uint32_t code, const std::map<std::string, std::string>& settings);
  void AckUpload(const std::shared_ptr<Link>& link);
  void CheckFirmware(const std::shared_ptr<Link>& link, std::shared_ptr<Upload> upload);

  Device& m_device;
  Environment& m_env;
  std::vector<std::weak_ptr<Link>> m_links;
  Link* m_uploader = nullptr;  // one firmware transfer at a time
};

}  // namespace camsim::detail
