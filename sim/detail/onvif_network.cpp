#include "sim/detail/onvif_network.h"

#include <sstream>
#include <string>
#include <vector>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "sim/onvif_codes.h"

namespace camsim::detail {
namespace {

using onvif::Child;
using onvif::kNsDevice;
using onvif::kNsSchema;
using onvif::Text;

constexpr const char* kDefaultProtocols = "HTTP:1:80 HTTPS:0:443 RTSP:1:554";

struct NetworkProtocol {
  std::string name;
  bool enabled = false;
  std::vector<int> ports;
};

// Stored and journaled as "HTTP:1:80 HTTPS:0:443 RTSP:1:554".
std::vector<NetworkProtocol> ReadProtocols(const std::map<std::uint32_t, std::string>& configs) {
  const auto stored = configs.find(kOnvifSetNetworkProtocols);
  std::istringstream words(stored == configs.end() ? kDefaultProtocols : stored->second);
  std::vector<NetworkProtocol> protocols;
  for (std::string word; words >> word;) {
    NetworkProtocol protocol;
    const std::size_t first = word.find(':');
    const std::size_t second = word.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    protocol.name = word.substr(0, first);
    protocol.enabled = word[first + 1] == '1';
    std::istringstream ports(word.substr(second + 1));
    for (std::string port; std::getline(ports, port, ',');) {
      int number = 0;
      if (ParseInt(port, 1, 65535, &number)) protocol.ports.push_back(number);
    }
    protocols.push_back(std::move(protocol));
  }
  return protocols;
}

std::string WriteProtocols(const std::vector<NetworkProtocol>& protocols) {
  std::string text;
  for (const NetworkProtocol& protocol : protocols) {
    if (!text.empty()) text += ' ';
    text += protocol.name + ":" + (protocol.enabled ? "1" : "0") + ":";
    for (std::size_t i = 0; i < protocol.ports.size(); ++i) {
      text += (i == 0 ? "" : ",") + std::to_string(protocol.ports[i]);
    }
  }
  return text;
}

// The value of one key=value word of a stored setting ("FromDHCP=false NTP=a,b"), split at commas.
std::vector<std::string> StoredList(const std::map<std::uint32_t, std::string>& configs,
                                    std::uint32_t code, const std::string& key) {
  const auto stored = configs.find(code);
  std::vector<std::string> values;
  if (stored == configs.end()) return values;
  std::istringstream words(stored->second);
  for (std::string word; words >> word;) {
    if (word.compare(0, key.size() + 1, key + "=") != 0) continue;
    std::istringstream items(word.substr(key.size() + 1));
    for (std::string item; std::getline(items, item, ',');) {
      if (!item.empty()) values.push_back(item);
    }
  }
  return values;
}

std::string FromDhcp(const std::map<std::uint32_t, std::string>& configs, std::uint32_t code) {
  const auto flag = StoredList(configs, code, "FromDHCP");
  bool dhcp = false;
  return !flag.empty() && ParseBool(flag.front(), &dhcp) && dhcp ? "true" : "false";
}

}  // namespace

SoapAnswer GetNtpServers(const Device& device) {
  const auto& configs = device.Configs();
  SoapAnswer answer;
  answer.body = "<tds:GetNTPResponse><tds:NTPInformation><tt:FromDHCP>" +
                FromDhcp(configs, kOnvifSetNtp) + "</tt:FromDHCP>";
  for (const std::string& server : StoredList(configs, kOnvifSetNtp, "NTP")) {
    answer.body += UnicastAddress(server)
                       ? "<tt:NTPManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>" + server +
                             "</tt:IPv4Address></tt:NTPManual>"
                       : "<tt:NTPManual><tt:Type>DNS</tt:Type><tt:DNSname>" + server +
                             "</tt:DNSname></tt:NTPManual>";
  }
  answer.body += "</tds:NTPInformation></tds:GetNTPResponse>";
  return answer;
}

SoapAnswer GetDnsServers(const Device& device) {
  const auto& configs = device.Configs();
  SoapAnswer answer;
  answer.body = "<tds:GetDNSResponse><tds:DNSInformation><tt:FromDHCP>" +
                FromDhcp(configs, kOnvifSetDns) + "</tt:FromDHCP>";
  for (const std::string& domain : StoredList(configs, kOnvifSetDns, "SearchDomain")) {
    answer.body += "<tt:SearchDomain>" + domain + "</tt:SearchDomain>";
  }
  for (const std::string& server : StoredList(configs, kOnvifSetDns, "DNS")) {
    answer.body += "<tt:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>" + server +
                   "</tt:IPv4Address></tt:DNSManual>";
  }
  answer.body += "</tds:DNSInformation></tds:GetDNSResponse>";
  return answer;
}

SoapAnswer SetNtpServers(Device& device, const xmlNode* request) {
  const std::string fromDhcp = Text(Child(request, kNsDevice, "FromDHCP"));
  std::string servers;
  bool valid = true;
  for (const xmlNode* server : onvif::FindAll(request, kNsDevice, "NTPManual")) {
    const std::string type = Text(Child(server, kNsSchema, "Type"));
    const std::string value = type == "IPv4" ? Text(Child(server, kNsSchema, "IPv4Address"))
                                             : Text(Child(server, kNsSchema, "DNSname"));
    servers += (servers.empty() ? "" : ",") + value;
    valid &= type == "IPv4" ? UnicastAddress(value) : type == "DNS" && HostName(value);
  }
  bool dhcp = false;
  const std::string journal = "FromDHCP=" + fromDhcp + " NTP=" + servers;
  if (!ParseBool(fromDhcp, &dhcp) || !valid) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidIPv4Address",
                           "NTP servers are IPv4 unicast addresses or host names");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tds:SetNTPResponse/>";
  answer.then = [&device, journal] { device.StoreConfig(kOnvifSetNtp, journal); };
  return answer;
}

SoapAnswer SetDnsServers(Device& device, const xmlNode* request) {
  const std::string fromDhcp = Text(Child(request, kNsDevice, "FromDHCP"));
  std::string servers, domains;
  bool valid = true;
  for (const xmlNode* domain : onvif::FindAll(request, kNsDevice, "SearchDomain")) {
    domains += (domains.empty() ? "" : ",") + Text(domain);
    valid &= HostName(Text(domain));
  }
  for (const xmlNode* server : onvif::FindAll(request, kNsDevice, "DNSManual")) {
    const std::string value = Text(Child(server, kNsSchema, "IPv4Address"));
    servers += (servers.empty() ? "" : ",") + value;
    valid &= Text(Child(server, kNsSchema, "Type")) == "IPv4" && UnicastAddress(value);
  }
  bool dhcp = false;
  const std::string journal = "FromDHCP=" + fromDhcp + " DNS=" + servers +
                              (domains.empty() ? "" : " SearchDomain=" + domains);
  if (!ParseBool(fromDhcp, &dhcp) || !valid) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "InvalidIPv4Address",
                           "DNS servers are IPv4 unicast addresses");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tds:SetDNSResponse/>";
  answer.then = [&device, journal] { device.StoreConfig(kOnvifSetDns, journal); };
  return answer;
}

SoapAnswer ReadNetworkProtocols(const Device& device) {
  SoapAnswer answer;
  answer.body = "<tds:GetNetworkProtocolsResponse>";
  for (const NetworkProtocol& protocol : ReadProtocols(device.Configs())) {
    answer.body += "<tds:NetworkProtocols><tt:Name>" + protocol.name + "</tt:Name><tt:Enabled>" +
                   (protocol.enabled ? "true" : "false") + "</tt:Enabled>";
    for (const int port : protocol.ports) {
      answer.body += "<tt:Port>" + std::to_string(port) + "</tt:Port>";
    }
    answer.body += "</tds:NetworkProtocols>";
  }
  answer.body += "</tds:GetNetworkProtocolsResponse>";
  return answer;
}

SoapAnswer WriteNetworkProtocols(Device& device, const xmlNode* request) {
  std::vector<NetworkProtocol> protocols = ReadProtocols(device.Configs());
  std::vector<NetworkProtocol> asked;
  bool valid = true;
  for (const xmlNode* entry : onvif::FindAll(request, kNsDevice, "NetworkProtocols")) {
    NetworkProtocol protocol;
    protocol.name = Text(Child(entry, kNsSchema, "Name"));
    valid &= ParseBool(Text(Child(entry, kNsSchema, "Enabled")), &protocol.enabled);
    for (const xmlNode* port : onvif::FindAll(entry, kNsSchema, "Port")) {
      int number = 0;
      valid &= ParseInt(Text(port), 1, 65535, &number);
      protocol.ports.push_back(number);
    }
    valid &= !protocol.ports.empty() || !protocol.enabled;
    asked.push_back(protocol);
  }
  const std::string journal = WriteProtocols(asked);
  bool known = true;
  for (const NetworkProtocol& protocol : asked) {
    bool found = false;
    for (NetworkProtocol& current : protocols) {
      if (current.name != protocol.name) continue;
      found = true;
      current.enabled = protocol.enabled;
      if (!protocol.ports.empty()) current.ports = protocol.ports;
    }
    known &= found;
  }
  if (!known) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "ServiceNotSupported",
                           "the device serves HTTP, HTTPS and RTSP");
  }
  if (!valid || asked.empty()) {
    return SoapFaultAnswer(journal, SoapFault::kSender, "InvalidArgVal", "",
                           "each protocol needs Enabled and ports from 1 to 65535");
  }
  SoapAnswer answer;
  answer.journal = journal;
  answer.body = "<tds:SetNetworkProtocolsResponse/>";
  answer.then = [&device, stored = WriteProtocols(protocols)] {
    device.StoreConfig(kOnvifSetNetworkProtocols, stored);
  };
  return answer;
}

}  // namespace camsim::detail
