// The library's settings: where the virtual LAN is reached, how fast the library's clock runs, and
// the options of library_options.h. Each comes, in falling precedence, from the IP_NET_DVR_Set*
// calls, the environment (NETSDK_ENDPOINT, NETSDK_TIME_SCALE, NETSDK_BACKEND, NETSDK_PROBE,
// NETSDK_SCOPE, NETSDK_CREDENTIALS, NETSDK_RESTORE, NETSDK_RTSP_BASIC) and netsdk.conf beside the
// executable, both read at Init, and the choices of the program's user (IP_NET_DVR_SetUserOption);
// else the defaults. Safe to use from any thread.
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
  // Where a value in force came from, in rising precedence; the numbers of NETSDK_OPTION_*.
  enum class Source { kDefault = 0, kUser = 1, kFile = 2, kEnvironment = 3, kCall = 4 };

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
  // One option as the program's user chose it, below every other source; credentials are the
  // user:password lines themselves (UTF-8) rather than a file. Checked even when a higher source
  // holds the key, so that a refusal always means the value does not parse.
  bool SetUserOption(const std::string& key, const std::string& value, std::string* why);
  // The source of key's value in force and its text: the word, the targets, the endpoint, the
  // factor; for credentials the file they were read from (empty for the user's own or none),
  // never a password. false for an unknown key.
  bool GetOption(const std::string& key, Source* source, std::string* text) const;

  // Takes the values of the configuration file (when it exists) and of the environment for what
  // was not set explicitly. Returns one message per value refused; those values are ignored.
  std::vector<std::string> LoadAtInit(const std::string& configPath);
  void Reset();

 private:
  struct Parsed;

  // Parses and takes the value unless a source of higher precedence set the key already.
  bool Apply(const std::string& key, const std::string& value, Source source, std::string* why);
  // Credentials are read from the file value names, or with inlineCredentials are value itself.
  static bool Parse(const std::string& key, const std::string& value, bool inlineCredentials,
                    Parsed* parsed, std::string* why);
  bool Outranked(const std::string& key, Source source) const;  // under m_mutex

  mutable std::mutex m_mutex;
  std::map<std::string, Source> m_sources;
  wire::Endpoint m_endpoint;
  wire::TimeScale m_scale;
  Backend m_backend = Backend::kSim;
  ProbeSetting m_probe;
  Scope m_scope = Scope::kLoopback;
  std::vector<Credential> m_credentials;
  std::string m_credentialsFile;
  RestoreMode m_restore = RestoreMode::kHard;
  RtspBasic m_rtspBasic = RtspBasic::kRefuse;
};

// netsdk.conf in the folder of the running executable.
std::string ConfigPathBesideExecutable();

}  // namespace netsdk
