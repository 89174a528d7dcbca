#include "settings.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "netsdk.h"
#include "netsdk_settings.h"

namespace netsdk {
namespace {

static_assert(std::string_view(NETSDK_DEFAULT_ENDPOINT) ==
              std::string_view(wire::kDefaultEndpoint));
using Source = Settings::Source;
static_assert(static_cast<int>(Source::kDefault) == NETSDK_OPTION_DEFAULT &&
              static_cast<int>(Source::kUser) == NETSDK_OPTION_USER &&
              static_cast<int>(Source::kFile) == NETSDK_OPTION_FILE &&
              static_cast<int>(Source::kEnvironment) == NETSDK_OPTION_ENVIRONMENT &&
              static_cast<int>(Source::kCall) == NETSDK_OPTION_CALL);

constexpr std::array<const char*, 8> kKeys = {"endpoint", "time_scale",  "backend", "probe",
                                              "scope",    "credentials", "restore", "rtsp_basic"};
// Configuration and credential files are a few lines; anything larger is not one of them.
constexpr std::size_t kMaxSettingsFile = 64 * 1024;

std::string EnvironmentName(const std::string& key) {
  std::string name = "NETSDK_";
  for (char c : key) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace

Settings::Settings() {
  Reset();
}

wire::Endpoint Settings::Endpoint() const {
  std::lock_guard lock(m_mutex);
  return m_endpoint;
}

bool Settings::SetEndpoint(const std::string& text) {
  std::string why;
  return Apply("endpoint", text, Source::kCall, &why);
}

bool Settings::SetTimeScale(double factor) {
  if (!m_scale.Set(factor)) return false;
  std::lock_guard lock(m_mutex);
  m_sources["time_scale"] = Source::kCall;
  return true;
}

Backend Settings::GetBackend() const {
  std::lock_guard lock(m_mutex);
  return m_backend;
}

ProbeSetting Settings::Probe() const {
  std::lock_guard lock(m_mutex);
  return m_probe;
}

Scope Settings::GetScope() const {
  std::lock_guard lock(m_mutex);
  return m_scope;
}

std::vector<Credential> Settings::Credentials() const {
  std::lock_guard lock(m_mutex);
  return m_credentials;
}

RestoreMode Settings::Restore() const {
  std::lock_guard lock(m_mutex);
  return m_restore;
}

RtspBasic Settings::GetRtspBasic() const {
  std::lock_guard lock(m_mutex);
  return m_rtspBasic;
}

bool Settings::SetOption(const std::string& key, const std::string& value, std::string* why) {
  return Apply(key, value, Source::kCall, why);
}

bool Settings::SetUserOption(const std::string& key, const std::string& value, std::string* why) {
  return Apply(key, value, Source::kUser, why);
}

struct Settings::Parsed {
  wire::Endpoint endpoint;
  double factor = 0;
  Backend backend{};
  ProbeSetting probe;
  Scope scope{};
  RestoreMode restore{};
  RtspBasic rtspBasic{};
  std::vector<Credential> credentials;
};

bool Settings::Outranked(const std::string& key, Source source) const {
  auto found = m_sources.find(key);
  return found != m_sources.end() && found->second > source;
}

bool Settings::Parse(const std::string& key, const std::string& value, bool inlineCredentials,
                     Parsed* parsed, std::string* why) {
  if (key == "endpoint") return wire::ParseLoopbackEndpoint(value, false, &parsed->endpoint, why);
  if (key == "time_scale") {
    char* end = nullptr;
    parsed->factor = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || *end != '\0' || !wire::TimeScale().Set(parsed->factor)) {
      *why = "'" + value + "' is not a positive factor";
      return false;
    }
    return true;
  }
  if (key == "backend") return ParseBackend(value, &parsed->backend, why);
  if (key == "probe") return ParseProbe(value, &parsed->probe, why);
  if (key == "scope") return ParseScope(value, &parsed->scope, why);
  if (key == "restore") return ParseRestore(value, &parsed->restore, why);
  if (key == "rtsp_basic") return ParseRtspBasic(value, &parsed->rtspBasic, why);
  if (key == "credentials") {
    // Neither the lines nor a refused line may appear in a reason: they hold passwords.
    std::string text = value;
    const std::string name = inlineCredentials ? std::string("the credentials") : "'" + value + "'";
    if (!inlineCredentials && !ReadSmallFile(value, kMaxSettingsFile, &text, why)) {
      *why = name + " " + *why;
      return false;
    }
    std::vector<std::string> errors;
    parsed->credentials = ParseCredentials(text, &errors);
    if (!errors.empty()) {
      *why = name + " " + errors.front();
      return false;
    }
    return true;
  }
  *why = "unknown setting";
  return false;
}

bool Settings::Apply(const std::string& key, const std::string& value, Source source,
                     std::string* why) {
  // The user's value is parsed even when it is outranked; the others skip the work (and the
  // credentials file) then.
  if (source != Source::kUser) {
    std::lock_guard lock(m_mutex);
    if (Outranked(key, source)) return true;
  }
  // Parsed outside the lock: the credentials file is read from disk.
  Parsed parsed;
  if (!Parse(key, value, source == Source::kUser, &parsed, why)) return false;
  std::lock_guard lock(m_mutex);
  if (Outranked(key, source)) return true;
  if (key == "endpoint") m_endpoint = parsed.endpoint;
  if (key == "time_scale") m_scale.Set(parsed.factor);
  if (key == "backend") m_backend = parsed.backend;
  if (key == "probe") m_probe = std::move(parsed.probe);
  if (key == "scope") m_scope = parsed.scope;
  if (key == "restore") m_restore = parsed.restore;
  if (key == "rtsp_basic") m_rtspBasic = parsed.rtspBasic;
  if (key == "credentials") {
    m_credentials = std::move(parsed.credentials);
    m_credentialsFile = source == Source::kUser ? std::string() : value;
  }
  m_sources[key] = source;
  return true;
}

bool Settings::GetOption(const std::string& key, Source* source, std::string* text) const {
  if (std::find(kKeys.begin(), kKeys.end(), key) == kKeys.end()) return false;
  std::lock_guard lock(m_mutex);
  auto found = m_sources.find(key);
  *source = found == m_sources.end() ? Source::kDefault : found->second;
  if (key == "endpoint") {
    *text = m_endpoint.ToString();
  } else if (key == "time_scale") {
    std::array<char, 32> factor{};
    std::snprintf(factor.data(), factor.size(), "%g", m_scale.Get());
    *text = factor.data();
  } else if (key == "backend") {
    *text = m_backend == Backend::kOnvif ? "onvif" : "sim";
  } else if (key == "probe") {
    *text = m_probe.multicast ? "multicast" : "";
    for (const ProbeTarget& target : m_probe.targets) {
      if (!text->empty()) *text += ",";
      *text += target.host + ":" + std::to_string(target.port);
    }
  } else if (key == "scope") {
    *text = m_scope == Scope::kLan ? "lan" : "loopback";
  } else if (key == "restore") {
    *text = m_restore == RestoreMode::kSoft ? "soft" : "hard";
  } else if (key == "rtsp_basic") {
    *text = m_rtspBasic == RtspBasic::kAllow ? "allow" : "refuse";
  } else {
    *text = m_credentialsFile;
  }
  return true;
}

std::vector<std::string> Settings::LoadAtInit(const std::string& configPath) {
  std::vector<std::string> reports;
  std::string text;
  std::string why;
  if (access(configPath.c_str(), F_OK) == 0) {
    if (!ReadSmallFile(configPath, kMaxSettingsFile, &text, &why)) {
      reports.push_back(configPath + ": " + why);
    }
    std::vector<std::string> errors;
    for (const OptionLine& line : ParseOptionLines(text, &errors)) {
      if (!Apply(line.key, line.value, Source::kFile, &why)) {
        errors.push_back("line " + std::to_string(line.number) + ": " + line.key + ": " + why);
      }
    }
    for (const std::string& error : errors) reports.push_back(configPath + ": " + error);
  }
  for (const char* key : kKeys) {
    const std::string name = EnvironmentName(key);
    if (const char* value = std::getenv(name.c_str()); value != nullptr) {
      if (!Apply(key, value, Source::kEnvironment, &why)) reports.push_back(name + ": " + why);
    }
  }
  return reports;
}

void Settings::Reset() {
  std::lock_guard lock(m_mutex);
  std::string why;
  wire::ParseLoopbackEndpoint(wire::kDefaultEndpoint, false, &m_endpoint, &why);
  m_sources.clear();
  m_scale.Set(1.0);
  m_backend = Backend::kSim;
  m_probe = ProbeSetting{};
  m_scope = Scope::kLoopback;
  m_credentials.clear();
  m_credentialsFile.clear();
  m_restore = RestoreMode::kHard;
  m_rtspBasic = RtspBasic::kRefuse;
}

std::string ConfigPathBesideExecutable() {
  std::array<char, 4096> path{};
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return "netsdk.conf";
  std::string folder(path.data(), static_cast<std::size_t>(length));
  folder.erase(folder.rfind('/') + 1);
  return folder + "netsdk.conf";
}

}  // namespace netsdk
