// The camera simulator: serves a scenario's devices on one loopback endpoint, the virtual LAN that
// the device library talks to. Runs its own network thread; every method is thread-safe.
//
//   camsim::Simulator sim(camsim::DefaultFleet(4));
//   sim.SetTimeScale(20);
//   std::string error;
//   sim.Start("127.0.0.1:0", &error);   // any free port; sim.Endpoint() says which
//   ... sim.GetJournal().Entries() ...
//   sim.Stop();                          // also done by the destructor
//
// With Protocol::kOnvif the same devices speak ONVIF instead, on the same address and port: a
// WS-Discovery responder on UDP, and HTTP on TCP with the services of each device under
// /onvif/<its current address>/ (device_service, media_service, media2_service). Their streams
// come from an RTSP server on a port of its own on the same address, RtspPort(), at
// rtsp://127.0.0.1:RtspPort()/onvif/<its current address>/main: digest login with the device's
// account, H.264 (and G.711 where the device has sound) interleaved on the RTSP connection.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/journal.h"
#include "sim/scenario.h"

namespace camsim {

// A device as it is now.
struct DeviceSnapshot {
  std::string serial;
  bool online = false;
  std::string ip;
  std::string mask;
  std::string gateway;
  std::string user;
  std::string password;
  std::uint8_t allNetState = 0;
  std::string version;
  std::string clock;                             // the Time="..." of the last time request it took
  std::int64_t clockOffsetS = 0;                 // the device's clock minus the host's UTC
  std::string timeZone;                          // POSIX form, as ONVIF reports it
  bool daylightSavings = false;                  // follows the zone's daylight-saving rule
  std::map<std::uint32_t, std::string> configs;  // configuration documents by code
  int logins = 0;                                // connections logged in now
  int restarts = 0;                              // times it left the network to restart
};

enum class Protocol { kFramed, kOnvif };

class Simulator {
 public:
  explicit Simulator(Scenario scenario = DefaultFleet(), Protocol protocol = Protocol::kFramed);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Listens on listen ("127.0.0.1:PORT", loopback only; port 0 = any free port) and serves.
  // false with a reason when the address is refused or the port is busy.
  bool Start(const std::string& listen, std::string* error);
  // The ONVIF face inside a network namespace of the caller's own only (a test's, made with
  // unshare -n): serves on listen ("ADDRESS:PORT", an address of one of the namespace's
  // interfaces) and answers the WS-Discovery group's probes that arrive on that interface.
  // Refused in the machine's namespace, where nothing but loopback is ever served.
  bool StartOnPrivateLan(const std::string& listen, std::string* error);
  void Stop();
  std::uint16_t Port() const;
  std::string Endpoint() const;
  Protocol GetProtocol() const;
  // The port of the RTSP server the ONVIF stream addresses name, any free one chosen at Start;
  // 0 before Start and for the framed face, which has none.
  std::uint16_t RtspPort() const;

  // Device-side durations last ms / factor real milliseconds. May change while running.
  void SetTimeScale(double factor);
  double TimeScale() const;
  // Program milliseconds since construction, on the simulator's clock.
  double NowMs() const;

  Journal& GetJournal();
  std::optional<DeviceSnapshot> Device(const std::string& serial) const;
  std::vector<DeviceSnapshot> Devices() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace camsim
