#include "sim/detail/discovery.h"

#include <cstdio>
#include <sstream>

#include "onvif/namespaces.h"
#include "sim/detail/onvif_ids.h"

namespace camsim::detail {
namespace {

constexpr std::string_view kTransmitter = "NetworkVideoTransmitter";
constexpr std::string_view kDeviceType = "Device";
constexpr std::string_view kMatchRfc3986 =
    "http://schemas.xmlsoap.org/ws/2005/04/discovery/rfc3986";
constexpr std::string_view kMatchStrcmp0 =
    "http://schemas.xmlsoap.org/ws/2005/04/discovery/strcmp0";

std::vector<onvif::QualifiedName> DeviceTypes(const Device& device) {
  const OnvifSettings& settings = device.Config().onvif;
  std::vector<onvif::QualifiedName> types;
  // A recorder sends no video of its own.
  if (settings.types != OnvifSettings::Types::kDevice && device.Config().deviceType != "NVR") {
    types.push_back({std::string(onvif::kNsNetwork), std::string(kTransmitter)});
  }
  if (settings.types != OnvifSettings::Types::kTransmitter) {
    types.push_back({std::string(onvif::kNsDevice), std::string(kDeviceType)});
  }
  return types;
}

// Scope segments are URI text: anything outside the unreserved characters is percent-encoded.
std::string ScopeSegment(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~') {
      out += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
      out += escaped;
    }
  }
  return out;
}

std::vector<std::string> DeviceScopes(const Device& device) {
  return {"onvif://www.onvif.org/type/video_encoder",
          "onvif://www.onvif.org/hardware/" + ScopeSegment(device.Config().deviceType),
          "onvif://www.onvif.org/name/" + ScopeSegment(device.Serial())};
}

bool ScopeMatches(const std::string& wanted, const std::string& scope, const std::string& matchBy) {
  if (wanted.empty()) return false;
  if (matchBy == kMatchStrcmp0) return wanted == scope;
  if (!matchBy.empty() && matchBy != kMatchRfc3986) return false;
  // RFC 3986 matching compares whole path segments: .../name/RD1 does not match .../name/RD12.
  if (scope.compare(0, wanted.size(), wanted) != 0) return false;
  return scope.size() == wanted.size() || wanted.back() == '/' || scope[wanted.size()] == '/';
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

std::optional<Probe> ReadProbe(std::string_view datagram) {
  const auto document = onvif::ParseSoap(datagram, nullptr);
  if (!document) return std::nullopt;
  const xmlNode* probeNode = onvif::Child(document->Body(), onvif::kNsDiscovery, "Probe");
  Probe probe;
  probe.messageId =
      onvif::Text(onvif::Child(document->Header(), onvif::kNsAddressing, "MessageID"));
  if (probeNode == nullptr || probe.messageId.empty()) return std::nullopt;
  if (const xmlNode* types = onvif::Child(probeNode, onvif::kNsDiscovery, "Types")) {
    for (const std::string& word : Words(onvif::Text(types))) {
      const std::size_t colon = word.find(':');
      const std::string prefix = colon == std::string::npos ? std::string() : word.substr(0, colon);
      onvif::QualifiedName name;
      name.name = colon == std::string::npos ? word : word.substr(colon + 1);
      const xmlNs* ns = xmlSearchNs(types->doc, const_cast<xmlNode*>(types),
                                    prefix.empty() ? nullptr : BAD_CAST prefix.c_str());
      // An undeclared prefix names no type any device has.
      name.ns = ns != nullptr && ns->href != nullptr ? reinterpret_cast<const char*>(ns->href)
                                                     : "undeclared:" + prefix;
      probe.types.push_back(std::move(name));
    }
  }
  if (const xmlNode* scopes = onvif::Child(probeNode, onvif::kNsDiscovery, "Scopes")) {
    probe.scopes = Words(onvif::Text(scopes));
    probe.matchBy = onvif::Attribute(scopes, "MatchBy");
  }
  return probe;
}

bool ProbeMatchesDevice(const Probe& probe, const Device& device) {
  const auto types = DeviceTypes(device);
  for (const auto& wanted : probe.types) {
    bool found = false;
    for (const auto& type : types) found |= type.ns == wanted.ns && type.name == wanted.name;
    if (!found) return false;
  }
  const auto scopes = DeviceScopes(device);
  for (const std::string& wanted : probe.scopes) {
    bool found = false;
    for (const std::string& scope : scopes) found |= ScopeMatches(wanted, scope, probe.matchBy);
    if (!found) return false;
  }
  return true;
}

std::string ProbeMatchesMessage(const Probe& probe, const Device& device,
                                const std::string& endpoint, unsigned messageNumber) {
  const DeviceConfig& config = device.Config();
  std::string types;
  for (const auto& type : DeviceTypes(device)) {
    if (!types.empty()) types += ' ';
    types += (type.ns == onvif::kNsDevice ? "tds:" : "dn:") + type.name;
  }
  std::string scopes;
  for (const std::string& scope : DeviceScopes(device)) {
    if (!scopes.empty()) scopes += ' ';
    scopes += scope;
  }
  std::string xaddrs = "http://" + endpoint + "/onvif/" + config.ip + "/device_service";
  if (config.onvif.lanXAddr) xaddrs = "http://" + config.ip + "/onvif/device_service " + xaddrs;
  const std::string header =
      "<wsa:MessageID>urn:uuid:" + RandomUuid() + "</wsa:MessageID><wsa:RelatesTo>" +
      onvif::XmlEscape(probe.messageId) +
      "</wsa:RelatesTo><wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous"
      "</wsa:To><wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches"
      "</wsa:Action><d:AppSequence InstanceId=\"" +
      std::to_string(device.Generation() + 1) + "\" MessageNumber=\"" +
      std::to_string(messageNumber) + "\"/>";
  const std::string body =
      "<d:ProbeMatches><d:ProbeMatch><wsa:EndpointReference><wsa:Address>urn:uuid:" +
      SerialUuid(config.serial) + "</wsa:Address></wsa:EndpointReference><d:Types>" + types +
      "</d:Types><d:Scopes>" + onvif::XmlEscape(scopes) + "</d:Scopes><d:XAddrs>" + xaddrs +
      "</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion></d:ProbeMatch></d:ProbeMatches>";
  return onvif::Envelope(header, body);
}

DiscoveryResponder::DiscoveryResponder(asio::io_context& io,
                                       const std::vector<std::unique_ptr<Device>>& devices)
    : m_devices(devices), m_socket(io), m_buffer(kMaxProbeBytes + 1) {}

bool DiscoveryResponder::Open(const asio::ip::udp::endpoint& local, std::string* error) {
  std::error_code code;
  m_socket.open(local.protocol(), code);
  if (!code) m_socket.bind(local, code);
  if (code) {
    std::error_code ignored;
    m_socket.close(ignored);
    *error = "cannot listen for probes on " + local.address().to_string() + ":" +
             std::to_string(local.port()) + ": " + code.message();
    return false;
  }
  m_endpoint = local.address().to_string() + ":" + std::to_string(local.port());
  return true;
}

void DiscoveryResponder::Serve() {
  Receive();
}

void DiscoveryResponder::Close() {
  std::error_code ignored;
  m_socket.close(ignored);
}

void DiscoveryResponder::Receive() {
  m_socket.async_receive_from(
      asio::buffer(m_buffer), m_sender, [this](const std::error_code& error, std::size_t size) {
        if (error == asio::error::operation_aborted || !m_socket.is_open()) {
          return;
        }
        if (!error) OnDatagram(size);
        Receive();
      });
}

void DiscoveryResponder::OnDatagram(std::size_t size) {
  const asio::ip::address source = m_sender.address();
  if (size > kMaxProbeBytes || !source.is_v4() || !source.to_v4().is_loopback()) return;
  const auto probe = ReadProbe(std::string_view(m_buffer.data(), size));
  if (!probe) return;
  const asio::ip::udp::endpoint peer = m_sender;
  for (const auto& device : m_devices) {
    if (!device->Online() || !ProbeMatchesDevice(*probe, *device)) continue;
    Device* target = device.get();
    target->After(target->Config().timings.searchMs, [this, target, probe = *probe, peer] {
      if (!m_socket.is_open()) return;
      auto message = std::make_shared<std::string>(
          ProbeMatchesMessage(probe, *target, m_endpoint, ++m_messageNumbers[target]));
      m_socket.async_send_to(asio::buffer(*message), peer,
                             [message](const std::error_code&, std::size_t) {});
    });
  }
}

}  // namespace camsim::detail
