#include "settings.h"

#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <string_view>

#include "netsdk_settings.h"

namespace netsdk {
namespace {

static_assert(std::string_view(NETSDK_DEFAULT_ENDPOINT) ==
              std::string_view(wire::kDefaultEndpoint));

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

bool Settings::Apply(const std::string& key, const std::string& value, Source source,
                     std::string* why) {
  {
    std::lock_guard lock(m_mutex);
    if (auto found = m_sources.find(key); found != m_sources.end() && found->second > source) {
      return true;
    }
  }
  // Parsed outside the lock: the credentials file is read from disk.
  wire::Endpoint endpoint;
  double factor = 0;
  Backend backend{};
  ProbeSetting probe;
  Scope scope{};
  RestoreMode restore{};
  RtspBasic rtspBasic{};
  std::vector<Credential> credentials;
  if (key == "endpoint") {
    if (!wire::ParseLoopbackEndpoint(value, false, &endpoint, why)) return false;
  } else if (key == "time_scale") {
    char* end = nullptr;
    factor = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || *end != '\0' || !wire::TimeScale().Set(factor)) {
      *why = "'" + value + "' is not a positive factor";
      return false;
    }
  } else if (key == "backend") {
    if (!ParseBackend(value, &backend, why)) return false;
  } else if (key == "probe") {
    if (!ParseProbe(value, &probe, why)) return false;
  } else if (key == "scope") {
    if (!ParseScope(value, &scope, why)) return false;
  } else if (key == "restore") {
    if (!ParseRestore(value, &restore, why)) return false;
  } else if (key == "rtsp_basic") {
    if (!ParseRtspBasic(value, &rtspBasic, why)) return false;
  } else if (key == "credentials") {
    std::string text;
    if (!ReadSmallFile(value, kMaxSettingsFile, &text, why)) {
      *why = "'" + value + "' " + *why;
      return false;
    }
    std::vector<std::string> errors;
    credentials = ParseCredentials(text, &errors);
    if (!errors.empty()) {
      *why = "'" + value + "' " + errors.front();
      return false;
    }
  } else {
    *why = "unknown setting";
    return false;
  }
  std::lock_guard lock(m_mutex);
  if (key == "endpoint") m_endpoint = endpoint;
  if (key == "time_scale") m_scale.Set(factor);
  if (key == "backend") m_backend = backend;
  if (key == "probe") m_probe = std::move(probe);
  if (key == "scope") m_scope = scope;
  if (key == "restore") m_restore = restore;
  if (key == "rtsp_basic") m_rtspBasic = rtspBasic;
  if (key == "credentials") m_credentials = std::move(credentials);
  m_sources[key] = source;
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
