// The library's settings: where the virtual LAN is reached, how fast the library's clock runs, and
// the options of library_options.h. Each comes, in falling precedence, from the IP_NET_DVR_Set*
// calls, the environment (NETSDK_ENDPOINT, NETSDK_TIME_SCALE, NETSDK_BACKEND, NETSDK_PROBE,
// NETSDK_SCOPE, NETSDK_CREDENTIALS, NETSDK_RESTORE, NETSDK_RTSP_BASIC) and netsdk.conf beside the
// executable, all read at Init; else the defaults. Safe to use from any thread.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "library_options.h"
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

  Backend GetBackend() const;
  ProbeSetting Probe() const;
  Scope GetScope() const;
  std::vector<Credential> Credentials() const;
  RestoreMode Restore() const;
  RtspBasic GetRtspBasic() const;

  // One option by its netsdk.conf key (endpoint, time_scale, backend, probe, scope, credentials =
  // a file path, restore, rtsp_basic), as an explicit call sets it. false with the reason when
  // refused.
  bool SetOption(const std::string& key, const std::string& value, std::string* why);

  // Takes the values of the configuration file (when it exists) and of the environment for what
  // was not set explicitly. Returns one message per value refused; those values are ignored.
  std::vector<std::string> LoadAtInit(const std::string& configPath);
  void Reset();

 private:
  enum class Source { kDefault, kFile, kEnvironment, kCall };

  // Parses and takes the value unless a source of higher precedence set the key already.
  bool Apply(const std::string& key, const std::string& value, Source source, std::string* why);

  mutable std::mutex m_mutex;
  std::map<std::string, Source> m_sources;
  wire::Endpoint m_endpoint;
  wire::TimeScale m_scale;
  Backend m_backend = Backend::kSim;
  ProbeSetting m_probe;
  Scope m_scope = Scope::kLoopback;
  std::vector<Credential> m_credentials;
  RestoreMode m_restore = RestoreMode::kHard;
  RtspBasic m_rtspBasic = RtspBasic::kRefuse;
};

// netsdk.conf in the folder of the running executable.
std::string ConfigPathBesideExecutable();

}  // namespace netsdk
