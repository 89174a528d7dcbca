// One simulated device: answers probes, ModifyIPC, logins and commands with its own delays, takes
// firmware, restarts, restores, and misbehaves as its faults say. Runs on the simulator's network
// thread only.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/detail/clip_library.h"
#include "sim/detail/config_document.h"
#include "sim/detail/link.h"
#include "sim/detail/sim_clock.h"
#include "sim/device_config.h"
#include "sim/journal.h"
#include "sim/simulator.h"
#include "wire/messages.h"

namespace camsim::detail {

struct Environment {
  asio::io_context& io;
  SimClock& clock;
  Journal& journal;
  ClipLibrary& clips;
};

class Device {
 public:
  Device(DeviceConfig config, Environment& environment);

  const std::string& Serial() const { return m_config.serial; }
  bool Online() const { return m_online; }
  // Online at this address and port.
  bool At(const std::string& ip, std::uint16_t port) const;
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
  // Runs action after ms program milliseconds unless the device restarts meanwhile.
  void After(double ms, std::function<void()> action);
  // Leaves the network for ms (forever when negative), then runs onBack and answers again.
  void GoAway(double ms, std::function<void()> onBack);
  void DropLinks();
  void EndStream(Link& link);
  void Answer(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code, bool ok,
              std::string text, double delayMs);
  // Sends a command's answer now, if the link is still there.
  static void Reply(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code,
                    bool ok, const std::string& text);
  // Accepts an action, then leaves the network: the answer still goes out first.
  void AnswerThenGoAway(const std::shared_ptr<Link>& link, std::uint32_t id, std::uint32_t code,
                        double awayMs, std::function<void()> onBack);
  void Record(std::uint32_t code, const char* kind, std::string text);
  // True the first time a step named by the scenario's drop fault is reached.
  bool DropAt(const std::string& step);

  void Reboot(const std::shared_ptr<Link>& link, std::uint32_t id);
  void Restore(const std::shared_ptr<Link>& link, std::uint32_t id);
  void SetTime(const std::shared_ptr<Link>& link, std::uint32_t id, const std::string& text);
  void Format(const std::shared_ptr<Link>& link, std::uint32_t id, std::int32_t disk);
  void TakeConfig(const std::shared_ptr<Link>& link, std::uint32_t id, const wire::Command& command,
                  const ConfigDocument& document);
  // Ethernet moves the device, the account changes its password.
  void ApplyConfig(std::uint32_t code, const std::map<std::string, std::string>& settings);
  void AckUpload(const std::shared_ptr<Link>& link);
  void CheckFirmware(const std::shared_ptr<Link>& link, std::shared_ptr<Upload> upload);

  DeviceConfig m_config;  // the current settings; factory values stay in their own fields
  Environment& m_env;
  bool m_online = true;
  unsigned m_generation = 0;  // counts restarts; actions of an earlier life are dropped
  std::vector<std::weak_ptr<Link>> m_links;
  Link* m_uploader = nullptr;  // one firmware transfer at a time
  std::string m_clock;
  std::map<std::uint32_t, std::string> m_configs;
  std::set<std::string> m_dropped;
};

}  // namespace camsim::detail
