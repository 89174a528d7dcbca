// The configuration groups that ONVIF carries without reading the device first, turned into the
// device operations that carry them: the account (223, SetUser), the clock (222, SetNTP and
// SetSystemDateAndTime), Ethernet (325, SetDNS, SetNetworkDefaultGateway and SetNetworkInterfaces)
// and the streaming ports (620, SetNetworkProtocols). The media, overlay and motion groups need the
// device's options first (settings_groups.h). The documents arrive as the program writes them, in
// GBK.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "library_options.h"

namespace netsdk::onvif_backend {

struct SoapStep {
  std::string operation;
  std::string body;
};

struct ConfigPlan {
  bool available = false;  // false: the group has no ONVIF counterpart
  std::string error;       // not empty: the document cannot be carried (nothing is sent)
  std::vector<SoapStep> steps;
  // Ethernet: the new address and prefix, set last on the interface the device names.
  std::optional<std::pair<std::string, int>> interfaceAddress;
  // Account: the credential the login uses once the device took it.
  std::optional<Credential> credential;
};

// deviceUtcSeconds: the device's clock now, which a manual clock keeps.
ConfigPlan PlanConfig(std::uint32_t code, const std::string& gbkDocument, const Credential& current,
                      std::int64_t deviceUtcSeconds);

// The POSIX time zone of an offset east of UTC in minutes, e.g. 480 -> "UTC-8", -330 -> "UTC+5:30".
std::string PosixZone(int minutesEast);

}  // namespace netsdk::onvif_backend
