// Addresses: the virtual LAN's endpoint (always on loopback) and the dotted quads that name
// devices inside the simulation.
#pragma once

#include <cstdint>
#include <string>

namespace wire {

// The library's default endpoint and camsim's default listen address: the same, so that a demo
// needs no setting at all. The port lies below Linux's range of ephemeral ports, so that no
// outgoing connection holds it when camsim starts.
constexpr const char* kDefaultEndpoint = "127.0.0.1:29120";

struct Endpoint {
  std::string host;  // dotted quad in 127.0.0.0/8
  std::uint16_t port = 0;
  std::string ToString() const { return host + ":" + std::to_string(port); }
};

// Strict dotted quad: four decimal numbers 0..255 without signs, blanks or leading zeros.
bool ParseIPv4(const std::string& text, std::uint32_t* address);

// "A.B.C.D:PORT" in 127.0.0.0/8. Port 0 is accepted only when allowPortZero (a listener that lets
// the system choose). On failure why says what is wrong.
bool ParseLoopbackEndpoint(const std::string& text, bool allowPortZero, Endpoint* endpoint,
                           std::string* why);

}  // namespace wire
