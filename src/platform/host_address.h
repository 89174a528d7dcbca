// The PC's own IPv4 address, as the installer's PC names itself on the camera LAN. Only a name:
// the program never sends anything to it.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The first non-loopback IPv4 address of the machine's interfaces; the host-name lookup when
// there is none. Empty when the address cannot be had: what is left is in 127.0.0.0/8, or
// nothing at all.
std::string PcAddress();

// Makes PcAddress answer this address from now on ("" = cannot be had); std::nullopt gives the
// machine's own again. Tests name the PC inside the simulated network this way.
void SetPcAddressForTesting(std::optional<std::string> address);

}  // namespace platform
