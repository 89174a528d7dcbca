#include "sim/detail/onvif_system.h"

#include <array>
#include <cctype>

#include "onvif/soap_xml.h"
#include "sim/detail/discovery.h"
#include "sim/detail/onvif_network.h"
#include "sim/detail/onvif_services.h"

namespace camsim::detail {
namespace {

using onvif::XmlEscape;

struct Medium {
  std::int64_t DeviceConfig::*size;
  const char* token;
  const char* path;
};

constexpr std::array<Medium, 3> kMedia = {{{&DeviceConfig::sd1, "SD1", "/mnt/sd1"},
                                           {&DeviceConfig::sd2, "SD2", "/mnt/sd2"},
                                           {&DeviceConfig::usb, "USB", "/mnt/usb"}}};

// A host name is letters, digits and hyphens: the serial number's, lower case.
std::string Hostname(const std::string& serial) {
  std::string name = "cam-";
  for (const char c : serial) {
    const auto byte = static_cast<unsigned char>(c);
    name += std::isalnum(byte) ? static_cast<char>(std::tolower(byte)) : '-';
  }
  return name;
}

}  // namespace

SoapAnswer DeviceGetServiceCapabilities(OnvifContext& context, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<tds:GetServiceCapabilitiesResponse>" +
                DeviceServiceCapabilities(context.device.Config().onvif) +
                "</tds:GetServiceCapabilitiesResponse>";
  return answer;
}

SoapAnswer GetScopes(OnvifContext& context, const xmlNode*) {
  SoapAnswer answer;
  answer.body = "<tds:GetScopesResponse>";
  for (const std::string& scope : DeviceScopes(context.device)) {
    answer.body += "<tds:Scopes><tt:ScopeDef>Fixed</tt:ScopeDef><tt:ScopeItem>" + XmlEscape(scope) +
                   "</tt:ScopeItem></tds:Scopes>";
  }
  answer.body += "</tds:GetScopesResponse>";
  return answer;
}

SoapAnswer GetHostname(OnvifContext& context, const xmlNode*) {
  SoapAnswer answer;
  answer.body =
      "<tds:GetHostnameResponse><tds:HostnameInformation><tt:FromDHCP>false"
      "</tt:FromDHCP><tt:Name>" +
      Hostname(context.device.Serial()) +
      "</tt:Name></tds:HostnameInformation></tds:GetHostnameResponse>";
  return answer;
}

SoapAnswer GetNTP(OnvifContext& context, const xmlNode*) {
  return GetNtpServers(context.device);
}

SoapAnswer GetDNS(OnvifContext& context, const xmlNode*) {
  return GetDnsServers(context.device);
}

SoapAnswer GetUsers(OnvifContext& context, const xmlNode*) {
  using Level = OnvifSettings::UserLevel;
  const DeviceConfig& config = context.device.Config();
  const Level level = config.onvif.userLevel;
  SoapAnswer answer;
  answer.body = "<tds:GetUsersResponse><tds:User><tt:Username>" + XmlEscape(config.user) +
                "</tt:Username><tt:UserLevel>" +
                (level == Level::kAdministrator ? "Administrator"
                 : level == Level::kOperator    ? "Operator"
                                                : "User") +
                "</tt:UserLevel></tds:User></tds:GetUsersResponse>";
  return answer;
}

SoapAnswer GetStorageConfigurations(OnvifContext& context, const xmlNode*) {
  const DeviceConfig& config = context.device.Config();
  SoapAnswer answer;
  answer.body = "<tds:GetStorageConfigurationsResponse>";
  for (const Medium& medium : kMedia) {
    if (config.*medium.size <= 0) continue;
    answer.journal += (answer.journal.empty() ? "" : " ") + std::string(medium.token);
    answer.body += "<tds:StorageConfigurations token=\"" + std::string(medium.token) +
                   "\"><tds:Data type=\"LocalStorage\"><tds:LocalPath>" + medium.path +
                   "</tds:LocalPath></tds:Data></tds:StorageConfigurations>";
  }
  answer.body += "</tds:GetStorageConfigurationsResponse>";
  return answer;
}

}  // namespace camsim::detail
