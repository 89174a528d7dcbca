#include "onvif_backend/device_messages.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "onvif/namespaces.h"
#include "onvif/posix_time_zone.h"
#include "onvif/soap_xml.h"
#include "wire/endpoint.h"

namespace netsdk::onvif_backend {
namespace {

using onvif::Child;
using onvif::Find;
using onvif::kNsDevice;
using onvif::kNsMedia;
using onvif::kNsSchema;
using onvif::Text;
using onvif::XmlEscape;

bool ReadNumber(const xmlNode* parent, std::string_view name, int min, int max, int* value) {
  const xmlNode* node = Child(parent, kNsSchema, name);
  if (node == nullptr) return false;
  const std::string text = Text(node);
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || number < min || number > max) return false;
  *value = static_cast<int>(number);
  return true;
}

// A tt:DateTime (Date Year/Month/Day, Time Hour/Minute/Second) in seconds since 1970, read as UTC.
bool ReadDateTime(const xmlNode* dateTime, std::int64_t* seconds) {
  const xmlNode* date = Child(dateTime, kNsSchema, "Date");
  const xmlNode* time = Child(dateTime, kNsSchema, "Time");
  std::tm fields{};
  if (date == nullptr || time == nullptr ||
      !ReadNumber(date, "Year", 1970, 9999, &fields.tm_year) ||
      !ReadNumber(date, "Month", 1, 12, &fields.tm_mon) ||
      !ReadNumber(date, "Day", 1, 31, &fields.tm_mday) ||
      !ReadNumber(time, "Hour", 0, 23, &fields.tm_hour) ||
      !ReadNumber(time, "Minute", 0, 59, &fields.tm_min) ||
      !ReadNumber(time, "Second", 0, 61, &fields.tm_sec)) {
    return false;
  }
  fields.tm_year -= 1900;
  fields.tm_mon -= 1;
  *seconds = static_cast<std::int64_t>(timegm(&fields));
  return true;
}

// The zone's offset east of UTC in force at a local time: the device's own daylight-saving flag
// decides when it gave one, else the zone's rule.
std::int64_t OffsetAtLocal(const onvif::PosixTimeZone& zone, const xmlNode* daylightFlag,
                           std::int64_t localSeconds) {
  if (!zone.hasDaylightSaving) return zone.standardEastS;
  const std::string flag = Text(daylightFlag);
  if (flag == "true" || flag == "1") return zone.daylightEastS;
  if (flag == "false" || flag == "0") return zone.standardEastS;
  return zone.OffsetAtLocal(localSeconds);
}

std::string Tag(std::string_view element, const std::string& text) {
  std::string open(element);
  return "<" + open + ">" + XmlEscape(text) + "</" + open + ">";
}

}  // namespace

std::string DeviceAction(std::string_view operation) {
  return std::string(kNsDevice) + "/" + std::string(operation);
}

std::string SoapContentType(const std::string& action) {
  return "application/soap+xml; charset=utf-8; action=\"" + action + "\"";
}

std::string GetSystemDateAndTimeBody() {
  return "<tds:GetSystemDateAndTime/>";
}
std::string GetDeviceInformationBody() {
  return "<tds:GetDeviceInformation/>";
}
std::string GetNetworkInterfacesBody() {
  return "<tds:GetNetworkInterfaces/>";
}
std::string GetNetworkDefaultGatewayBody() {
  return "<tds:GetNetworkDefaultGateway/>";
}
std::string GetServicesBody() {
  return "<tds:GetServices><tds:IncludeCapability>false</tds:IncludeCapability></tds:GetServices>";
}
std::string GetCapabilitiesBody() {
  return "<tds:GetCapabilities><tds:Category>All</tds:Category></tds:GetCapabilities>";
}
std::string SystemRebootBody() {
  return "<tds:SystemReboot/>";
}

std::string SetSystemFactoryDefaultBody(bool hard) {
  return std::string("<tds:SetSystemFactoryDefault><tds:FactoryDefault>") +
         (hard ? "Hard" : "Soft") + "</tds:FactoryDefault></tds:SetSystemFactoryDefault>";
}

std::string SetSystemDateAndTimeBody(std::int64_t utcSeconds, const std::string& timeZone) {
  const std::time_t seconds = static_cast<std::time_t>(utcSeconds);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  const auto zone = onvif::ParsePosixTimeZone(timeZone);
  char text[512];
  std::snprintf(text, sizeof text,
                "<tt:Date><tt:Year>%d</tt:Year><tt:Month>%d</tt:Month><tt:Day>%d</tt:Day></tt:Date>"
                "<tt:Time><tt:Hour>%d</tt:Hour><tt:Minute>%d</tt:Minute><tt:Second>%d</tt:Second>"
                "</tt:Time>",
                utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                utc.tm_sec);
  return std::string(
             "<tds:SetSystemDateAndTime><tds:DateTimeType>Manual</tds:DateTimeType>"
             "<tds:DaylightSavings>") +
         (zone && zone->hasDaylightSaving ? "true" : "false") + "</tds:DaylightSavings>" +
         (zone ? "<tds:TimeZone>" + Tag("tt:TZ", timeZone) + "</tds:TimeZone>" : "") +
         "<tds:UTCDateTime>" + text + "</tds:UTCDateTime></tds:SetSystemDateAndTime>";
}

std::string SetNtpClockBody(const std::string& posixZone) {
  return std::string(
             "<tds:SetSystemDateAndTime><tds:DateTimeType>NTP</tds:DateTimeType>"
             "<tds:DaylightSavings>false</tds:DaylightSavings><tds:TimeZone>") +
         Tag("tt:TZ", posixZone) + "</tds:TimeZone></tds:SetSystemDateAndTime>";
}

std::string SetNetworkInterfacesBody(const std::string& token, const std::string& address,
                                     int prefixLength) {
  return "<tds:SetNetworkInterfaces>" + Tag("tds:InterfaceToken", token) +
         "<tds:NetworkInterface><tt:Enabled>true</tt:Enabled><tt:IPv4><tt:Enabled>true</tt:Enabled>"
         "<tt:Manual>" +
         Tag("tt:Address", address) + Tag("tt:PrefixLength", std::to_string(prefixLength)) +
         "</tt:Manual><tt:DHCP>false</tt:DHCP></tt:IPv4></tds:NetworkInterface>"
         "</tds:SetNetworkInterfaces>";
}

std::string SetNetworkDefaultGatewayBody(const std::string& gateway) {
  return "<tds:SetNetworkDefaultGateway>" + Tag("tds:IPv4Address", gateway) +
         "</tds:SetNetworkDefaultGateway>";
}

std::string StartFirmwareUpgradeBody() {
  return "<tds:StartFirmwareUpgrade/>";
}

std::string SetUserBody(const std::string& user, const std::string& password) {
  return "<tds:SetUser><tds:User>" + Tag("tt:Username", user) + Tag("tt:Password", password) +
         "<tt:UserLevel>Administrator</tt:UserLevel></tds:User></tds:SetUser>";
}

std::string SetNtpBody(bool fromDhcp, const std::string& server) {
  std::string body =
      std::string("<tds:SetNTP><tds:FromDHCP>") + (fromDhcp ? "true" : "false") + "</tds:FromDHCP>";
  if (!fromDhcp) {
    body += "<tds:NTPManual><tt:Type>IPv4</tt:Type>" + Tag("tt:IPv4Address", server) +
            "</tds:NTPManual>";
  }
  return body + "</tds:SetNTP>";
}

std::string SetDnsBody(const std::string& server) {
  return "<tds:SetDNS><tds:FromDHCP>false</tds:FromDHCP><tds:DNSManual><tt:Type>IPv4</tt:Type>" +
         Tag("tt:IPv4Address", server) + "</tds:DNSManual></tds:SetDNS>";
}

std::string SetNetworkProtocolsBody(int httpPort, int rtspPort) {
  auto protocol = [](const char* name, int port) {
    return std::string("<tds:NetworkProtocols><tt:Name>") + name +
           "</tt:Name><tt:Enabled>true</tt:Enabled><tt:Port>" + std::to_string(port) +
           "</tt:Port></tds:NetworkProtocols>";
  };
  return "<tds:SetNetworkProtocols>" + protocol("HTTP", httpPort) + protocol("RTSP", rtspPort) +
         "</tds:SetNetworkProtocols>";
}

bool ReadDeviceClock(const xmlNode* body, DeviceClock* clock) {
  const xmlNode* system = Find(body, kNsSchema, "SystemDateAndTime");
  if (system == nullptr) system = Find(body, kNsDevice, "SystemDateAndTime");
  if (system == nullptr) return false;
  const xmlNode* utc = Child(system, kNsSchema, "UTCDateTime");
  const xmlNode* local = Child(system, kNsSchema, "LocalDateTime");
  const xmlNode* daylightFlag = Child(system, kNsSchema, "DaylightSavings");
  clock->timeZone = Text(Find(system, kNsSchema, "TZ"));
  const std::optional<onvif::PosixTimeZone> zone = onvif::ParsePosixTimeZone(clock->timeZone);
  std::int64_t localSeconds = 0;
  const bool hasLocal = local != nullptr && ReadDateTime(local, &localSeconds);
  const std::int64_t east = zone && hasLocal ? OffsetAtLocal(*zone, daylightFlag, localSeconds) : 0;
  clock->utcIsLocal = false;
  if (utc == nullptr) {
    // Some devices give only their local time and zone; without a zone it is taken as UTC.
    if (!hasLocal) return false;
    clock->utcSeconds = localSeconds - east;
    return true;
  }
  if (!ReadDateTime(utc, &clock->utcSeconds)) return false;
  clock->utcIsLocal = hasLocal && east != 0 && localSeconds == clock->utcSeconds;
  // Its own clock still runs on UTC (it checks tokens on it); only the field is mislabelled.
  if (clock->utcIsLocal) clock->utcSeconds = localSeconds - east;
  return true;
}

bool ReadDeviceInformation(const xmlNode* body, DeviceInformation* information) {
  const xmlNode* answer = Find(body, kNsDevice, "GetDeviceInformationResponse");
  if (answer == nullptr) return false;
  information->manufacturer = Text(Child(answer, kNsDevice, "Manufacturer"));
  information->model = Text(Child(answer, kNsDevice, "Model"));
  information->firmwareVersion = Text(Child(answer, kNsDevice, "FirmwareVersion"));
  information->serialNumber = Text(Child(answer, kNsDevice, "SerialNumber"));
  information->hardwareId = Text(Child(answer, kNsDevice, "HardwareId"));
  return !information->serialNumber.empty();
}

bool ReadNetworkInterface(const xmlNode* body, NetworkInterface* interface) {
  // The first enabled interface with an IPv4 configuration.
  for (const xmlNode* candidate : onvif::FindAll(body, kNsDevice, "NetworkInterfaces")) {
    const xmlNode* ipv4 = Child(candidate, kNsSchema, "IPv4");
    const xmlNode* config = Child(ipv4, kNsSchema, "Config");
    if (config == nullptr) continue;
    // With DHCP on, a manual address the device still lists is a stale one.
    const bool dhcp = Text(Child(config, kNsSchema, "DHCP")) == "true";
    const xmlNode* manual = Child(config, kNsSchema, "Manual");
    const xmlNode* leased = Child(config, kNsSchema, "FromDHCP");
    const xmlNode* chosen =
        dhcp ? (leased != nullptr ? leased : manual) : (manual != nullptr ? manual : leased);
    if (chosen == nullptr) continue;
    std::uint32_t address = 0;
    int prefix = 0;
    const std::string text = Text(Child(chosen, kNsSchema, "Address"));
    if (!wire::ParseIPv4(text, &address) || !ReadNumber(chosen, "PrefixLength", 0, 32, &prefix)) {
      continue;
    }
    interface->token = onvif::Attribute(candidate, "token");
    interface->mac = Text(Find(candidate, kNsSchema, "HwAddress"));
    interface->address = text;
    interface->prefixLength = prefix;
    return !interface->token.empty();
  }
  return false;
}

bool ReadDefaultGateway(const xmlNode* body, std::string* gateway) {
  const xmlNode* answer = Find(body, kNsDevice, "GetNetworkDefaultGatewayResponse");
  const xmlNode* address = Find(answer, kNsSchema, "IPv4Address");
  std::uint32_t parsed = 0;
  *gateway = Text(address);
  // A device without a gateway answers an empty list.
  return answer != nullptr && (address == nullptr || wire::ParseIPv4(*gateway, &parsed));
}

bool ReadServices(const xmlNode* body, ServiceMap* services) {
  for (const xmlNode* service : onvif::FindAll(body, kNsDevice, "Service")) {
    const std::string ns = Text(Child(service, kNsDevice, "Namespace"));
    const std::string address = Text(Child(service, kNsDevice, "XAddr"));
    if (!ns.empty() && !address.empty()) services->emplace(ns, address);
  }
  return !services->empty();
}

bool ReadCapabilities(const xmlNode* body, ServiceMap* services) {
  const xmlNode* capabilities = Find(body, kNsDevice, "Capabilities");
  if (capabilities == nullptr) return false;
  // The imaging and analytics entries name the services of ONVIF 2.0 and later.
  const std::pair<const char*, std::string_view> categories[] = {
      {"Device", kNsDevice},
      {"Media", kNsMedia},
      {"Imaging", onvif::kNsImaging},
      {"Analytics", onvif::kNsAnalytics}};
  for (const auto& [category, ns] : categories) {
    const std::string address =
        Text(Find(Child(capabilities, kNsSchema, category), kNsSchema, "XAddr"));
    if (!address.empty()) services->emplace(std::string(ns), address);
  }
  return !services->empty();
}

bool ReadRebootNeeded(const xmlNode* body) {
  return Text(Find(body, kNsDevice, "RebootNeeded")) == "true";
}

bool ReadFirmwareUpload(const xmlNode* body, FirmwareUpload* upload) {
  const xmlNode* answer = Find(body, kNsDevice, "StartFirmwareUpgradeResponse");
  if (answer == nullptr) return false;
  upload->uri = Text(Child(answer, kNsDevice, "UploadUri"));
  const auto delay = ParseDuration(Text(Child(answer, kNsDevice, "UploadDelay")));
  // Some firmware asks for absurd waits; the upload starts after kMaxUploadDelayMs at the latest.
  upload->delayMs = std::min(delay.value_or(0), kMaxUploadDelayMs);
  return !upload->uri.empty() && delay.has_value();
}

std::optional<double> ParseDuration(const std::string& text) {
  if (text.size() < 2 || text.size() > 64 || text[0] != 'P') return std::nullopt;
  double total = 0;
  bool inTime = false;
  bool any = false;
  std::size_t at = 1;
  while (at < text.size()) {
    if (text[at] == 'T') {
      if (inTime) return std::nullopt;
      inTime = true;
      ++at;
      continue;
    }
    // Digits with an optional fraction only: no sign, exponent, "inf" or hexadecimal.
    const std::size_t start = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    const std::size_t whole = at - start;
    if (at < text.size() && text[at] == '.') {
      ++at;
      while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    }
    if (whole == 0 || whole > 12 || at >= text.size()) return std::nullopt;
    const double value = std::strtod(text.substr(start, at - start).c_str(), nullptr);
    const char unit = text[at++];
    if (!inTime && (unit == 'Y' || unit == 'M')) {
      // A year or month has no fixed length; devices write "P0Y0M0DT…".
      if (value != 0) return std::nullopt;
    } else if (!inTime && unit == 'D') {
      total += value * 86400000.0;
    } else if (inTime && unit == 'H') {
      total += value * 3600000.0;
    } else if (inTime && unit == 'M') {
      total += value * 60000.0;
    } else if (inTime && unit == 'S') {
      total += value * 1000.0;
    } else {
      return std::nullopt;
    }
    any = true;
  }
  if (!any) return std::nullopt;
  return std::min(total, kMaxDurationMs);
}

std::string MaskOfPrefix(int prefixLength) {
  const std::uint32_t mask = prefixLength <= 0    ? 0
                             : prefixLength >= 32 ? 0xFFFFFFFFu
                                                  : ~((1u << (32 - prefixLength)) - 1);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", mask >> 24, (mask >> 16) & 0xFF,
                (mask >> 8) & 0xFF, mask & 0xFF);
  return text;
}

std::optional<int> PrefixOfMask(const std::string& mask) {
  std::uint32_t bits = 0;
  if (!wire::ParseIPv4(mask, &bits)) return std::nullopt;
  const std::uint32_t inverted = ~bits;
  // Contiguous: the host part is a run of ones from the bottom.
  if ((inverted & (inverted + 1)) != 0) return std::nullopt;
  int prefix = 0;
  while (prefix < 32 && (bits & (0x80000000u >> prefix)) != 0) ++prefix;
  return prefix;
}

}  // namespace netsdk::onvif_backend
