// One simulated device, whatever protocol reaches it: its settings, clock and address, its own
// delays, restarts, restores and firmware checks, the journal of what it was asked, and the
// faults that bend it. The framed face (FramedDevice) and the ONVIF face (OnvifDevice) both drive
// it. Runs on the simulator's network thread only.
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
#include "sim/detail/sim_clock.h"
#include "sim/device_config.h"
#include "sim/journal.h"
#include "sim/simulator.h"
#include "wire/firmware.h"
#include "wire/messages.h"

namespace camsim::detail {

struct Environment {
  asio::io_context& io;
  SimClock& clock;
  Journal& journal;
  ClipLibrary& clips;
};

// A firmware file larger than any camera's flash is refused before it is sent.
constexpr std::uint64_t kMaxFirmwareBytes = 512u * 1024 * 1024;

class Device {
 public:
  // What the scenario's faults make of a request with a command code.
  enum class Gate { kServe, kDrop, kIgnore, kRefuse };
  // What the transfer faults make of a firmware file received up to a percentage.
  enum class TransferStep { kGo, kFail, kDrop, kStall };
  struct FirmwareJudgement {
    bool ok = false;
    std::string version;
    std::string reason;  // why it was refused
  };

  Device(DeviceConfig config, Environment& environment);

  const std::string& Serial() const { return m_config.serial; }
  bool Online() const { return m_online; }
  // Online at this address and port.
  bool At(const std::string& ip, std::uint16_t port) const;
  // Everything but the logins, which the framed face counts on its links.
  DeviceSnapshot Snapshot() const;
  // The current settings and the faults.
  const DeviceConfig& Config() const { return m_config; }
  // Changes whenever the device restarts.
  unsigned Generation() const { return m_generation; }
  // The device's clock minus the host's UTC, in seconds.
  std::int64_t ClockOffsetS() const { return m_clockOffsetS; }

  // Runs action after ms program milliseconds, unless the device restarts meanwhile: then
  // ifRestarted runs instead, when there is one.
  void After(double ms, std::function<void()> action, std::function<void()> ifRestarted = nullptr);
  void Record(std::uint32_t code, std::string kind, std::string text);
  // True the first time a step named by the scenario's drop fault is reached.
  bool DropAt(const std::string& step);
  // The ignore, refuse and drop faults on code; a refusal with times counts down here.
  Gate GateCode(std::uint32_t code);

  // Leaves for the reboot time; an address set for the next reboot applies.
  void Reboot();
  // Leaves for the restore time (or for good), then comes back with the factory settings; the
  // address, mask and gateway stay when keepNetwork.
  void FactoryRestore(bool keepNetwork);
  // A "YYYYMMDD HH:MM:SS" time request; false when the text is not one.
  bool SetClock(const std::string& time);
  void SetClockOffset(std::int64_t seconds) { m_clockOffsetS = seconds; }
  void SetTimeZone(const std::string& tz) { m_config.onvif.timeZone = tz; }
  void SetDaylightSavings(bool adjust) { m_config.onvif.daylightSavings = adjust; }
  // Valid addresses only. The device answers at ip only from now on.
  void SetAddress(const std::string& ip, const std::string& mask, const std::string& gateway);
  // Takes ip and mask at the next Reboot.
  void SetAddressAtReboot(const std::string& ip, const std::string& mask);
  void SetGateway(const std::string& gateway) { m_config.gateway = gateway; }
  // A later login needs the new password.
  void SetPassword(const std::string& password) { m_config.password = password; }
  // The account's lock after the ONVIF lockout's count of wrong logins in a row, whichever
  // service (SOAP or RTSP) they came by; a restart lifts it. Empty while the account is open,
  // otherwise why a login is refused.
  std::string AccountLocked() const;
  void CountLogin(bool right);
  void StoreConfig(std::uint32_t code, std::string text) { m_configs[code] = std::move(text); }
  const std::map<std::uint32_t, std::string>& Configs() const { return m_configs; }
  // How long after the transfer's start the device's rate lets it have taken received bytes.
  double TransferWaitMs(double startMs, std::uint64_t received) const;
  TransferStep TransferAt(int percent);
  // The check of a whole file, journaled; refuse-firmware applies.
  FirmwareJudgement JudgeFirmware(wire::FirmwareChecker& checker);
  // Leaves for the upgrade restart and comes back with version, unless it keeps its old one.
  void RestartWithFirmware(const std::string& version);

  // Called whenever the device leaves the network (a restart) or moves to another address:
  // every connection a face holds to it is gone.
  void OnLinksLost(std::function<void()> listener);
  // ModifyIPC's all-network switch, on devices that have one.
  void SetAllNetState(std::uint8_t state) { m_config.allNetState = state; }

 private:
  // Leaves the network for ms (forever when negative), then runs onBack and answers again.
  void GoAway(double ms, std::function<void()> onBack);
  void LoseLinks();

  DeviceConfig m_config;  // the current settings; factory values stay in their own fields
  Environment& m_env;
  bool m_online = true;
  unsigned m_generation = 0;   // counts restarts; actions of an earlier life are dropped
  int m_wrongLoginsInRow = 0;  // this life's, for the lockout
  std::vector<std::function<void()>> m_linksLost;
  std::string m_clock;
  std::int64_t m_clockOffsetS = 0;
  std::string m_factoryTimeZone;
  bool m_factoryDaylightSavings = true;
  std::string m_rebootIp;  // with m_rebootMask, taken at the next reboot when not empty
  std::string m_rebootMask;
  std::map<std::uint32_t, std::string> m_configs;
  std::set<std::string> m_dropped;
};

}  // namespace camsim::detail
