#include "sim/scenario.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "onvif/posix_time_zone.h"
#include "sim/detail/onvif_time.h"
#include "wire/codes.h"
#include "wire/endpoint.h"

namespace camsim {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

// Names invented for the simulation.
constexpr const char* kCameraTypes[] = {"IPC-R2M", "IPC-R4B", "IPC-R8D"};
constexpr int kFleetMax = 250 * 4;
// Ten years either way: any clock a field device could plausibly be left with.
constexpr long long kMaxSkewS = 10LL * 366 * 86400;

bool ParseInt(const std::string& text, long long min, long long max, long long* value) {
  long long number = 0;
  int base = 10;
  const char* begin = text.data();
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    begin += 2;
  }
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(begin, end, number, base);
  if (begin == end || error != std::errc() || stop != end || number < min || number > max) {
    return false;
  }
  *value = number;
  return true;
}

bool ParseMs(const std::string& text, double* value) {
  long long number = 0;
  if (!ParseInt(text, 0, 24LL * 3600 * 1000, &number)) return false;
  *value = static_cast<double>(number);
  return true;
}

bool ValidAddress(const std::string& text) {
  std::uint32_t address = 0;
  return wire::ParseIPv4(text, &address);
}

std::string Mac(int number) {
  char text[32];
  std::snprintf(text, sizeof text, "02:52:44:%02X:%02X:%02X", (number >> 16) & 0xFF,
                (number >> 8) & 0xFF, number & 0xFF);
  return text;
}

// A setter takes the text of a key and says what is wrong with it, or nothing.
using Setter = std::function<std::string(DeviceConfig&, const std::string&)>;

Setter Text(std::string DeviceConfig::*field, std::size_t max) {
  return [field, max](DeviceConfig& device, const std::string& value) -> std::string {
    if (value.size() > max) return "longer than " + std::to_string(max) + " characters";
    device.*field = value;
    return {};
  };
}

Setter Address(std::string DeviceConfig::*field) {
  return [field](DeviceConfig& device, const std::string& value) -> std::string {
    if (!ValidAddress(value)) return "'" + value + "' is not an IPv4 address";
    device.*field = value;
    return {};
  };
}

// The part of a device's configuration that a key's field belongs to.
template <typename Owner>
Owner& SettingsOf(DeviceConfig& device);
template <>
DeviceConfig& SettingsOf<DeviceConfig>(DeviceConfig& device) {
  return device;
}
template <>
OnvifSettings& SettingsOf<OnvifSettings>(DeviceConfig& device) {
  return device.onvif;
}

template <typename Owner, typename T>
Setter Number(T Owner::*field, long long min, long long max) {
  return [field, min, max](DeviceConfig& device, const std::string& value) -> std::string {
    long long number = 0;
    if (!ParseInt(value, min, max, &number)) {
      return "'" + value + "' is not a number from " + std::to_string(min) + " to " +
             std::to_string(max);
    }
    SettingsOf<Owner>(device).*field = static_cast<T>(number);
    return {};
  };
}

template <typename T>
Setter Choice(T OnvifSettings::*field, std::vector<std::pair<std::string, T>> names) {
  return [field, names](DeviceConfig& device, const std::string& value) -> std::string {
    std::string expected;
    for (const auto& [name, choice] : names) {
      if (name == value) {
        device.onvif.*field = choice;
        return {};
      }
      expected += (expected.empty() ? "" : ", ") + name;
    }
    return "'" + value + "' is not one of " + expected;
  };
}

std::string SetDigest(DeviceConfig& device, const std::string& value) {
  if (value != "md5" && value != "sha256" && value != "both") {
    return "'" + value + "' is not one of md5, sha256, both";
  }
  device.onvif.digestMd5 = value != "sha256";
  device.onvif.digestSha256 = value != "md5";
  return {};
}

std::string SetTimeZone(DeviceConfig& device, const std::string& value) {
  if (value.size() > 63 || !onvif::ParsePosixTimeZone(value)) {
    return "'" + value +
           "' is not a POSIX time zone such as UTC0, CST-8 or CET-1CEST,M3.5.0,M10.5.0/3";
  }
  device.onvif.timeZone = value;
  return {};
}

// Comma-separated http:// addresses or "self"; nothing that could break the datagram.
std::string SetXAddrs(DeviceConfig& device, const std::string& value) {
  std::vector<std::string> addresses;
  std::stringstream list(value);
  for (std::string item; std::getline(list, item, ',');) {
    const bool plain = std::all_of(item.begin(), item.end(), [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || std::strchr(":/._-[]", c) != nullptr;
    });
    if (item != "self" && (item.rfind("http://", 0) != 0 || !plain || item.size() > 200)) {
      return "'" + item + "' is not self or an http:// address";
    }
    addresses.push_back(item);
  }
  if (addresses.empty()) return "no address";
  device.onvif.xaddrs = std::move(addresses);
  return {};
}

// Any short text of duration characters: the device's own, however malformed.
std::string SetUploadDelay(DeviceConfig& device, const std::string& value) {
  if (value.size() > 64 || !std::all_of(value.begin(), value.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
      })) {
    return "'" + value + "' is not a duration text";
  }
  device.onvif.uploadDelay = value;
  return {};
}

// A host name or dotted quad with a port (optional unless portNeeded): nothing that could break
// the URL it is written into.
bool IsHostPort(const std::string& value, bool portNeeded) {
  const std::size_t colon = value.rfind(':');
  const std::string host = value.substr(0, colon);
  long long port = 0;
  const bool hostOk =
      !host.empty() && host.size() <= 253 && std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '-';
      });
  const bool portOk =
      colon == std::string::npos ? !portNeeded : ParseInt(value.substr(colon + 1), 1, 65535, &port);
  return hostOk && portOk;
}

std::string SetServiceHost(DeviceConfig& device, const std::string& value) {
  if (!IsHostPort(value, false)) return "'" + value + "' is not lan or HOST[:PORT]";
  device.onvif.serviceHost = value;
  return {};
}

std::string SetRtspRedirect(DeviceConfig& device, const std::string& value) {
  if (!IsHostPort(value, true)) return "'" + value + "' is not HOST:PORT";
  device.onvif.rtspRedirect = value;
  return {};
}

Setter Timing(double DeviceTimings::*field) {
  return [field](DeviceConfig& device, const std::string& value) -> std::string {
    if (!ParseMs(value, &(device.timings.*field))) return "'" + value + "' is not a duration in ms";
    return {};
  };
}

const std::map<std::string, Setter>& DeviceKeys() {
  static const std::map<std::string, Setter> keys = {
      {"serial", Text(&DeviceConfig::serial, wire::kMaxSerial)},
      {"type", Text(&DeviceConfig::deviceType, wire::kMaxDeviceType)},
      {"user", Text(&DeviceConfig::user, wire::kMaxUser)},
      {"password", Text(&DeviceConfig::password, wire::kMaxPassword)},
      {"mac", Text(&DeviceConfig::mac, wire::kMaxMac)},
      {"version", Text(&DeviceConfig::version, 63)},
      {"factory_user", Text(&DeviceConfig::factoryUser, wire::kMaxUser)},
      {"factory_password", Text(&DeviceConfig::factoryPassword, wire::kMaxPassword)},
      {"ip", Address(&DeviceConfig::ip)},
      {"mask", Address(&DeviceConfig::mask)},
      {"gateway", Address(&DeviceConfig::gateway)},
      {"factory_ip", Address(&DeviceConfig::factoryIp)},
      {"channel", Number(&DeviceConfig::channel, 0, 255)},
      {"port", Number(&DeviceConfig::port, 1, 65535)},
      {"allnet", Number(&DeviceConfig::allNetSupport, 0, 255)},
      {"allnet_state", Number(&DeviceConfig::allNetState, 0, 255)},
      {"factory_allnet_state", Number(&DeviceConfig::factoryAllNetState, 0, 255)},
      {"sd1", Number(&DeviceConfig::sd1, 0, 1LL << 40)},
      {"sd2", Number(&DeviceConfig::sd2, 0, 1LL << 40)},
      {"usb", Number(&DeviceConfig::usb, 0, 1LL << 40)},
      {"audio", Number(&DeviceConfig::hasAudio, 0, 1)},
      {"login_ms", Timing(&DeviceTimings::loginMs)},
      {"answer_ms", Timing(&DeviceTimings::answerMs)},
      {"search_ms", Timing(&DeviceTimings::searchMs)},
      {"reboot_ms", Timing(&DeviceTimings::rebootMs)},
      {"restore_ms", Timing(&DeviceTimings::restoreMs)},
      {"format_ms", Timing(&DeviceTimings::formatMs)},
      {"check_ms", Timing(&DeviceTimings::checkMs)},
      {"upgrade_restart_ms", Timing(&DeviceTimings::upgradeRestartMs)},
      {"rate_kib", Timing(&DeviceTimings::rateKiBps)},
  };
  return keys;
}

// Only the ONVIF face reads these; fleet lines take them too.
const std::map<std::string, Setter>& OnvifKeys() {
  using Auth = OnvifSettings::Auth;
  using Types = OnvifSettings::Types;
  using Level = OnvifSettings::UserLevel;
  using Interfaces = OnvifSettings::Interfaces;
  using RtspAuth = OnvifSettings::RtspAuth;
  static const std::map<std::string, Setter> keys = {
      {"onvif_auth",
       Choice(&OnvifSettings::auth,
              {{"digest", Auth::kDigest}, {"token", Auth::kToken}, {"both", Auth::kBoth}})},
      {"digest", SetDigest},
      {"clock_skew_s", Number(&OnvifSettings::clockSkewS, -kMaxSkewS, kMaxSkewS)},
      {"time_zone", SetTimeZone},
      {"utc_is_local", Number(&OnvifSettings::utcIsLocal, 0, 1)},
      {"utc_field", Number(&OnvifSettings::utcField, 0, 1)},
      {"daylight_savings", Number(&OnvifSettings::daylightSavings, 0, 1)},
      {"time_needs_login", Number(&OnvifSettings::timeNeedsLogin, 0, 1)},
      {"lockout", Number(&OnvifSettings::lockout, 0, 1000)},
      {"nonce_ttl_s", Number(&OnvifSettings::nonceTtlS, 1, 86400)},
      {"stale_flag", Number(&OnvifSettings::staleFlag, 0, 1)},
      {"user_level", Choice(&OnvifSettings::userLevel, {{"administrator", Level::kAdministrator},
                                                        {"operator", Level::kOperator},
                                                        {"user", Level::kUser}})},
      {"upload_auth", Choice(&OnvifSettings::uploadDigest, {{"none", false}, {"digest", true}})},
      {"reboot_needed", Number(&OnvifSettings::rebootNeeded, 0, 1)},
      {"service_host", SetServiceHost},
      {"lan_xaddr", Number(&OnvifSettings::lanXAddr, 0, 1)},
      {"xaddrs", SetXAddrs},
      {"relates_to", Choice(&OnvifSettings::relatesToOther, {{"probe", false}, {"other", true}})},
      {"interfaces", Choice(&OnvifSettings::interfaces, {{"normal", Interfaces::kNormal},
                                                         {"none", Interfaces::kNone},
                                                         {"fault", Interfaces::kFault},
                                                         {"dhcp", Interfaces::kDhcp}})},
      {"services_error", Number(&OnvifSettings::servicesError, 0, 599)},
      {"upload_delay", SetUploadDelay},
      {"probe_types", Choice(&OnvifSettings::types, {{"transmitter", Types::kTransmitter},
                                                     {"device", Types::kDevice},
                                                     {"both", Types::kBoth}})},
      {"media2", Number(&OnvifSettings::media2, 0, 1)},
      {"http_upgrade", Number(&OnvifSettings::httpUpgrade, 0, 1)},
      {"reboot_before_status", Number(&OnvifSettings::rebootBeforeStatus, 0, 1)},
      {"rtsp_redirect", SetRtspRedirect},
      {"rtsp_auth", Choice(&OnvifSettings::rtspAuth, {{"md5", RtspAuth::kMd5},
                                                      {"sha256", RtspAuth::kSha256},
                                                      {"both", RtspAuth::kBoth},
                                                      {"basic", RtspAuth::kBasic}})},
      {"main_codec", Choice(&OnvifSettings::mainCodec, {{"h264", OnvifSettings::Codec::kH264},
                                                        {"h265", OnvifSettings::Codec::kH265},
                                                        {"mpeg4", OnvifSettings::Codec::kMpeg4}})},
      {"onvif_model", Choice(&OnvifSettings::model, {{"a", OnvifSettings::Model::kA},
                                                     {"b", OnvifSettings::Model::kB},
                                                     {"c", OnvifSettings::Model::kC}})},
      {"imaging", Number(&OnvifSettings::imaging, 0, 1)},
      {"analytics", Number(&OnvifSettings::analytics, 0, 1)},
      {"osd", Number(&OnvifSettings::osd, 0, 1)},
      {"h264_only", Number(&OnvifSettings::h264Only, 0, 1)},
  };
  return keys;
}

const Setter* FindKey(const std::string& key) {
  if (const auto found = DeviceKeys().find(key); found != DeviceKeys().end()) return &found->second;
  if (const auto found = OnvifKeys().find(key); found != OnvifKeys().end()) return &found->second;
  return nullptr;
}

// Splits a line into words; a word may hold a double-quoted part with blanks and '#'.
bool SplitLine(const std::string& line, std::vector<std::string>* words, std::string* error) {
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (char c : line) {
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else {
        word += c;
      }
    } else if (c == '"') {
      quoted = true;
      inWord = true;
    } else if (c == '#') {
      break;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words->push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) {
    *error = "unterminated quote";
    return false;
  }
  if (inWord) words->push_back(word);
  return true;
}

bool SplitValues(const std::vector<std::string>& words, Values* values, std::string* error) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::size_t equals = words[i].find('=');
    if (equals == std::string::npos || equals == 0) {
      *error = "expected key=value, found '" + words[i] + "'";
      return false;
    }
    values->emplace_back(words[i].substr(0, equals), words[i].substr(equals + 1));
  }
  return true;
}

std::string ApplyDeviceKeys(DeviceConfig& device, const Values& values, const char* directive,
                            const std::set<std::string>& excluded) {
  for (const auto& [key, value] : values) {
    const Setter* setter = FindKey(key);
    if (setter == nullptr || excluded.count(key) > 0) {
      return "unknown key '" + key + "' for " + directive;
    }
    if (std::string why = (*setter)(device, value); !why.empty()) return key + ": " + why;
  }
  return {};
}

DeviceConfig MakeNvr(const DeviceConfig& base, int first) {
  DeviceConfig nvr = base;
  char text[40];
  std::snprintf(text, sizeof text, "RD26N%06d", first + 1);
  nvr.serial = text;
  nvr.deviceType = "NVR";
  nvr.ip = "192.168.1.20";
  nvr.mac = Mac(0xA00000 + first + 1);
  nvr.usb = 1907729;
  nvr.timings.searchMs = 150;
  return nvr;
}

// first numbers the serials and MAC addresses, so that two fleets of one scenario do not collide.
void AppendFleet(Scenario& scenario, const DeviceConfig& base, int cameras, bool withNvr,
                 int first) {
  for (int i = 0; i < cameras; ++i) {
    DeviceConfig device = base;
    char text[40];
    std::snprintf(text, sizeof text, "RD26C%06d", first + i + 1);
    device.serial = text;
    device.deviceType = kCameraTypes[i % 3];
    // Host numbers 64 to 254, leaving out 123: a camera is never found at a factory-default
    // address before it was restored.
    const int host = 64 + i % 190;
    std::snprintf(text, sizeof text, "192.168.%d.%d", 1 + i / 190, host >= 123 ? host + 1 : host);
    device.ip = text;
    std::snprintf(text, sizeof text, "192.168.%d.1", 1 + i / 190);
    device.gateway = text;
    device.mac = Mac(first + i + 1);
    static constexpr std::int64_t kStorage[4][3] = {
        {30436, 0, 0}, {60906, 30436, 0}, {122070, 0, 15258}, {0, 0, 0}};
    device.sd1 = kStorage[i % 4][0];
    device.sd2 = kStorage[i % 4][1];
    device.usb = kStorage[i % 4][2];
    device.allNetSupport = i % 3 == 2 ? 0 : 0xFF;
    device.allNetState = i % 3 == 0 ? 1 : 0;
    device.factoryIp = i % 5 == 4 ? "192.168.0.123" : "192.168.1.123";
    device.timings.searchMs = 100 + (i * 137) % 900;
    device.timings.formatMs = base.timings.formatMs + (i % 3) * 2000;
    scenario.devices.push_back(std::move(device));
    // The NVR answers among the first, as a recorder on the same switch would.
    if (withNvr && i == std::min(cameras, 5) - 1) scenario.devices.push_back(MakeNvr(base, first));
  }
  if (withNvr && cameras == 0) scenario.devices.push_back(MakeNvr(base, first));
}

class Parser {
 public:
  Parser(Scenario* scenario) : m_scenario(scenario) {}

  std::string Line(const std::vector<std::string>& words) {
    const std::string& directive = words[0];
    if (directive != "defaults" && directive != "device" && directive != "fleet" &&
        directive != "fault") {
      return "unknown directive '" + directive + "' (expected defaults, device, fleet or fault)";
    }
    Values values;
    std::string error;
    if (!SplitValues(words, &values, &error)) return error;
    if (directive == "defaults")
      return ApplyDeviceKeys(m_defaults, values, "defaults", {"serial", "ip", "mac"});
    if (directive == "device") return Device(values);
    if (directive == "fleet") return Fleet(values);
    return Fault(values);
  }

 private:
  std::string Device(const Values& values) {
    DeviceConfig device = m_defaults;
    if (std::string why = ApplyDeviceKeys(device, values, "device", {}); !why.empty()) return why;
    if (device.serial.empty()) return "device without serial";
    if (device.ip.empty()) return "device without ip";
    if (device.mac.empty()) device.mac = Mac(static_cast<int>(m_scenario->devices.size()) + 1);
    return Add(std::move(device));
  }

  std::string Fleet(const Values& values) {
    long long count = 24;
    long long nvr = 1;
    DeviceConfig base = m_defaults;
    for (const auto& [key, value] : values) {
      if (key == "count") {
        if (!ParseInt(value, 0, kFleetMax, &count))
          return "count: '" + value + "' is not 0 to 1000";
      } else if (key == "nvr") {
        if (!ParseInt(value, 0, 1, &nvr)) return "nvr: expected 0 or 1";
      } else if (const auto onvif = OnvifKeys().find(key); onvif != OnvifKeys().end()) {
        if (std::string why = onvif->second(base, value); !why.empty()) return key + ": " + why;
      } else {
        return "unknown key '" + key + "' for fleet (expected count, nvr or an ONVIF key)";
      }
    }
    Scenario fleet;
    AppendFleet(fleet, base, static_cast<int>(count), nvr == 1,
                static_cast<int>(m_scenario->devices.size()));
    for (DeviceConfig& device : fleet.devices) {
      if (std::string why = Add(std::move(device)); !why.empty()) return why;
    }
    return {};
  }

  std::string Add(DeviceConfig device) {
    if (!m_serials.insert(device.serial).second) return "duplicate serial '" + device.serial + "'";
    m_scenario->devices.push_back(std::move(device));
    return {};
  }

  std::string Fault(const Values& values) {
    std::string serial;
    std::string kind;
    std::map<std::string, std::string> options;
    for (const auto& [key, value] : values) {
      if (key == "serial") {
        serial = value;
      } else if (key == "kind") {
        kind = value;
      } else if (key == "code" || key == "at" || key == "ip" || key == "version" || key == "on" ||
                 key == "times") {
        options[key] = value;
      } else {
        return "unknown key '" + key + "' for fault";
      }
    }
    if (serial.empty() || kind.empty()) return "fault needs serial= and kind=";
    std::vector<DeviceConfig*> targets;
    for (DeviceConfig& device : m_scenario->devices) {
      if (serial == "*" || device.serial == serial) targets.push_back(&device);
    }
    if (targets.empty()) return "fault for unknown device '" + serial + "'";
    for (DeviceConfig* device : targets) {
      if (std::string why = ApplyFault(device->faults, kind, options); !why.empty()) return why;
    }
    return {};
  }

  static std::string ApplyFault(DeviceFaults& faults, const std::string& kind,
                                const std::map<std::string, std::string>& options) {
    auto option = [&options](const char* key) {
      auto found = options.find(key);
      return found == options.end() ? std::string() : found->second;
    };
    long long code = 0;
    long long percent = 50;
    if (!option("at").empty() && !ParseInt(option("at"), 0, 100, &percent)) {
      return "at: expected a percentage from 0 to 100";
    }
    const bool needsCode = kind == "ignore-code" || kind == "refuse-code";
    if (needsCode && !ParseInt(option("code"), 1, 0xFFFFFF, &code)) {
      return kind + " needs code=N";
    }
    if (kind == "refuse-login") {
      faults.refuseLogin = true;
    } else if (kind == "ignore-login") {
      faults.ignoreLogin = true;
    } else if (kind == "ignore-code") {
      faults.ignoreCodes.insert(static_cast<std::uint32_t>(code));
    } else if (kind == "refuse-code") {
      long long times = 0;
      if (option("times").empty()) {
        faults.refuseCodes.insert(static_cast<std::uint32_t>(code));
      } else if (ParseInt(option("times"), 1, 1000000, &times)) {
        faults.refuseCodeTimes[static_cast<std::uint32_t>(code)] = static_cast<int>(times);
      } else {
        return "times: expected a count from 1";
      }
    } else if (kind == "refuse-firmware") {
      faults.refuseFirmware = true;
      faults.refuseFirmwareVersion = option("version");
    } else if (kind == "keep-version") {
      faults.keepVersion = true;
    } else if (kind == "stall-transfer") {
      faults.stallAtPercent = static_cast<int>(percent);
    } else if (kind == "fail-transfer") {
      faults.failAtPercent = static_cast<int>(percent);
    } else if (kind == "fail-format") {
      faults.failFormat = true;
    } else if (kind == "reject-modify") {
      faults.rejectModify = true;
    } else if (kind == "vanish-after-restore") {
      faults.vanishAfterRestore = true;
    } else if (kind == "restore-to") {
      if (!ValidAddress(option("ip"))) return "restore-to needs ip= with an IPv4 address";
      faults.restoreIp = option("ip");
    } else if (kind == "short-storage") {
      faults.shortStorage = true;
    } else if (kind == "no-stream") {
      faults.noStream = true;
    } else if (kind == "bad-header") {
      faults.badHeader = true;
    } else if (kind == "corrupt-frames") {
      faults.corruptFrames = true;
    } else if (kind == "drop") {
      const std::string step = option("on");
      if (step != "login" && step != "transfer" && step != "check" &&
          !ParseInt(step, 1, 0xFFFFFF, &code)) {
        return "drop needs on=login, transfer, check or a command code";
      }
      faults.dropSteps[step] = static_cast<int>(percent);
    } else {
      return "unknown fault kind '" + kind + "'";
    }
    return {};
  }

  Scenario* m_scenario;
  DeviceConfig m_defaults;
  std::set<std::string> m_serials;
};

}  // namespace

Scenario DefaultFleet(int cameras, bool withNvr) {
  Scenario scenario;
  AppendFleet(scenario, DeviceConfig{}, std::clamp(cameras, 0, kFleetMax), withNvr, 0);
  return scenario;
}

bool ParseScenario(const std::string& text, const std::string& name, Scenario* scenario,
                   std::string* error) {
  Scenario result;
  Parser parser(&result);
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::vector<std::string> words;
    std::string why;
    if (SplitLine(line, &words, &why) && !words.empty()) why = parser.Line(words);
    if (!why.empty()) {
      *error = name + ":" + std::to_string(number) + ": " + why;
      return false;
    }
  }
  *scenario = std::move(result);
  return true;
}

bool LoadScenario(const std::string& path, Scenario* scenario, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseScenario(text.str(), path, scenario, error);
}

}  // namespace camsim
