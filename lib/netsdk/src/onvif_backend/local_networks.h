// The PC's own IPv4 networks, as the LAN scope sees them: the up, non-loopback interfaces, their
// networks (which alone may be contacted) and the addresses multicast probes leave from.
#pragma once

#include <cstdint>
#include <vector>

namespace netsdk::onvif_backend {

struct LocalInterface {
  std::uint32_t address = 0;  // host order
  std::uint32_t mask = 0;
  bool multicast = false;  // the interface can send multicast
};

// Read afresh at most every kLocalNetworksRefreshMs (a laptop moves between networks); a machine
// without interfaces gives none. Thread-safe.
std::vector<LocalInterface> LocalInterfaces();
inline constexpr double kLocalNetworksRefreshMs = 2000;

// Whether address lies in the network of one of interfaces.
bool OnLocalNetwork(std::uint32_t address, const std::vector<LocalInterface>& interfaces);

}  // namespace netsdk::onvif_backend
