// The PC's own IPv4 address, as the installer's PC would name itself on the camera LAN. Only a
// name: the program never sends anything to it.
#pragma once

#include <string>

namespace platform {

// The first non-loopback IPv4 address of the machine's interfaces; the host-name lookup when
// there is none; "127.0.0.1" when both fail.
std::string FirstIPv4Address();

}  // namespace platform
