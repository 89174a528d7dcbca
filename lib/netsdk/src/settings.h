// Where the virtual LAN is reached and how fast the library's clock runs. Set by
// IP_NET_DVR_SetEndpoint / IP_NET_DVR_SetTimeScale, else from NETSDK_ENDPOINT / NETSDK_TIME_SCALE
// at Init, else the defaults. Safe to use from any thread.
#pragma once

#include <mutex>
#include <string>

#include "wire/endpoint.h"
#include "wire/time_scale.h"

namespace netsdk {

class Settings {
 public:
  Settings();

  wire::Endpoint Endpoint() const;
  // Refuses anything but a loopback address with a port.
  bool SetEndpoint(const std::string& text);
  bool SetTimeScale(double factor);
  const wire::TimeScale& Scale() const { return m_scale; }

  // Takes the environment's values for what was not set explicitly.
  void ApplyEnvironment();
  void Reset();

 private:
  mutable std::mutex m_mutex;
  wire::Endpoint m_endpoint;
  bool m_endpointSet = false;
  bool m_scaleSet = false;
  wire::TimeScale m_scale;
};

}  // namespace netsdk
