// Where the ONVIF backend may send anything. With scope loopback only 127.0.0.0/8. With scope lan
// the networks of the PC's own interfaces and the configured probe targets, never loopback, and
// the WS-Discovery group for probes. Checked before a socket opens, and again in the HTTP client's
// socket-open hook for every address a transfer would connect to.
#pragma once

#include <asio.hpp>
#include <string>
#include <vector>

#include "library_options.h"
#include "onvif_backend/local_networks.h"
#include "settings.h"

namespace netsdk::onvif_backend {

// The WS-Discovery group, reached only with scope lan and only by probes.
inline constexpr const char* kDiscoveryGroup = "239.255.255.250";
inline constexpr unsigned short kDiscoveryPort = 3702;

// A unicast destination: false with the reason for anything the scope does not allow, multicast
// and broadcast (a local network's included) always.
bool UnicastAllowed(const asio::ip::address& address, const Settings& settings, std::string* why);
// The host of an http:// or rtsp:// address, which must be an IPv4 literal (no name is ever looked
// up: a resolver query would itself leave the machine).
bool HostAllowed(const std::string& host, const Settings& settings, std::string* why);

// The rule itself, for the given interfaces and probe targets.
bool UnicastAllowed(const asio::ip::address& address, Scope scope,
                    const std::vector<LocalInterface>& interfaces,
                    const std::vector<ProbeTarget>& targets, std::string* why);

}  // namespace netsdk::onvif_backend
