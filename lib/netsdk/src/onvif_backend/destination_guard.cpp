#include "onvif_backend/destination_guard.h"

namespace netsdk::onvif_backend {
namespace {

bool IsProbeTarget(const asio::ip::address_v4& address, const std::vector<ProbeTarget>& targets) {
  for (const ProbeTarget& target : targets) {
    std::error_code error;
    if (asio::ip::make_address_v4(target.host, error) == address && !error) return true;
  }
  return false;
}

bool IsNetworkBroadcast(std::uint32_t address, const std::vector<LocalInterface>& interfaces) {
  for (const LocalInterface& local : interfaces) {
    // Networks of /31 and /32 have no broadcast address.
    if (local.mask != 0 && local.mask < 0xFFFFFFFEu &&
        address == ((local.address & local.mask) | ~local.mask)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool UnicastAllowed(const asio::ip::address& address, Scope scope,
                    const std::vector<LocalInterface>& interfaces,
                    const std::vector<ProbeTarget>& targets, std::string* why) {
  if (!address.is_v4()) {
    *why = address.to_string() + " is not an IPv4 address";
    return false;
  }
  const asio::ip::address_v4 v4 = address.to_v4();
  if (v4.is_multicast() || v4 == asio::ip::address_v4::broadcast() || v4.is_unspecified() ||
      (scope == Scope::kLan && IsNetworkBroadcast(v4.to_uint(), interfaces))) {
    *why = v4.to_string() + " is not a unicast address";
    return false;
  }
  if (scope == Scope::kLoopback) {
    if (v4.is_loopback()) return true;
    *why = v4.to_string() + " is outside 127.0.0.0/8 and the scope is loopback";
    return false;
  }
  if (v4.is_loopback()) {
    *why = v4.to_string() + " is loopback and the scope is lan";
    return false;
  }
  if (OnLocalNetwork(v4.to_uint(), interfaces) || IsProbeTarget(v4, targets)) return true;
  *why = v4.to_string() + " is on none of the PC's networks and is no probe target";
  return false;
}

bool UnicastAllowed(const asio::ip::address& address, const Settings& settings, std::string* why) {
  const Scope scope = settings.GetScope();
  // The interfaces are read only for the LAN scope: loopback needs none.
  return UnicastAllowed(address, scope,
                        scope == Scope::kLan ? LocalInterfaces() : std::vector<LocalInterface>{},
                        settings.Probe().targets, why);
}

bool HostAllowed(const std::string& host, const Settings& settings, std::string* why) {
  std::error_code error;
  const asio::ip::address_v4 address = asio::ip::make_address_v4(host, error);
  if (error) {
    *why = "'" + host + "' is not an IPv4 address";
    return false;
  }
  return UnicastAllowed(address, settings, why);
}

}  // namespace netsdk::onvif_backend
