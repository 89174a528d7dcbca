#include "sim/detail/discovery.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <sstream>

#include "onvif/namespaces.h"
#include "sim/detail/onvif_ids.h"
#include "sim/detail/private_network.h"

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

std::vector<std::string> DeviceScopes(const Device& device) {
  return {"onvif://www.onvif.org/type/video_encoder",
          "onvif://www.onvif.org/hardware/" + ScopeSegment(device.Config().deviceType),
          "onvif://www.onvif.org/name/" + ScopeSegment(device.Serial())};
}

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
  const std::string own = "http://" + endpoint + "/onvif/" + config.ip + "/device_service";
  std::string xaddrs = own;
  if (config.onvif.lanXAddr) xaddrs = "http://" + config.ip + "/onvif/device_service " + own;
  if (!config.onvif.xaddrs.empty()) {
    xaddrs.clear();
    for (const std::string& address : config.onvif.xaddrs) {
      xaddrs += (xaddrs.empty() ? "" : " ") + (address == "self" ? own : address);
    }
  }
  const std::string relatesTo =
      config.onvif.relatesToOther ? "urn:uuid:" + RandomUuid() : probe.messageId;
  const std::string header =
      "<wsa:MessageID>urn:uuid:" + RandomUuid() + "</wsa:MessageID><wsa:RelatesTo>" +
      onvif::XmlEscape(relatesTo) +
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
    : m_devices(devices), m_unicast(io), m_group(io) {}

bool DiscoveryResponder::Open(const asio::ip::udp::endpoint& local, std::string* error) {
  std::error_code code;
  m_unicast.socket.open(local.protocol(), code);
  if (!code) m_unicast.socket.bind(local, code);
  if (code) {
    std::error_code ignored;
    m_unicast.socket.close(ignored);
    *error = "cannot listen for probes on " + local.address().to_string() + ":" +
             std::to_string(local.port()) + ": " + code.message();
    return false;
  }
  m_endpoint = local.address().to_string() + ":" + std::to_string(local.port());
  return true;
}

bool DiscoveryResponder::JoinGroup(const asio::ip::address_v4& interface, std::string* error) {
  if (!InPrivateNetworkNamespace()) {
    *error = "the discovery group is joined only inside a network namespace of the simulator's own";
    return false;
  }
  const asio::ip::address_v4 group = asio::ip::make_address_v4(kDiscoveryGroupAddress);
  std::error_code code;
  asio::ip::udp::socket& socket = m_group.socket;
  socket.open(asio::ip::udp::v4(), code);
  if (!code) socket.set_option(asio::socket_base::reuse_address(true), code);
  // Only the group on this interface, not every group any socket of the namespace joined.
  const int all = 0;
  if (!code &&
      setsockopt(socket.native_handle(), IPPROTO_IP, IP_MULTICAST_ALL, &all, sizeof all) != 0) {
    code = std::error_code(errno, std::system_category());
  }
  if (!code) socket.bind({asio::ip::address_v4::any(), kDiscoveryGroupPort}, code);
  if (!code) socket.set_option(asio::ip::multicast::join_group(group, interface), code);
  if (code) {
    std::error_code ignored;
    socket.close(ignored);
    *error = "cannot join the discovery group on " + interface.to_string() + ": " + code.message();
    return false;
  }
  m_anyPeer = true;
  return true;
}

void DiscoveryResponder::Serve() {
  Receive(m_unicast);
  if (m_group.socket.is_open()) Receive(m_group);
}

void DiscoveryResponder::Close() {
  std::error_code ignored;
  m_unicast.socket.close(ignored);
  m_group.socket.close(ignored);
}

void DiscoveryResponder::Receive(Listener& listener) {
  listener.socket.async_receive_from(
      asio::buffer(listener.buffer), listener.sender,
      [this, &listener](const std::error_code& error, std::size_t size) {
        if (error == asio::error::operation_aborted || !listener.socket.is_open()) return;
        if (!error) OnDatagram(listener, size);
        Receive(listener);
      });
}

void DiscoveryResponder::OnDatagram(const Listener& listener, std::size_t size) {
  const asio::ip::address source = listener.sender.address();
  if (size > kMaxProbeBytes || !source.is_v4() || (!m_anyPeer && !source.to_v4().is_loopback())) {
    return;
  }
  const auto probe = ReadProbe(std::string_view(listener.buffer.data(), size));
  if (!probe) return;
  const asio::ip::udp::endpoint peer = listener.sender;
  for (const auto& device : m_devices) {
    if (!device->Online() || !ProbeMatchesDevice(*probe, *device)) continue;
    Device* target = device.get();
    target->After(target->Config().timings.searchMs, [this, target, probe = *probe, peer] {
      if (!m_unicast.socket.is_open()) return;
      auto message = std::make_shared<std::string>(
          ProbeMatchesMessage(probe, *target, m_endpoint, ++m_messageNumbers[target]));
      m_unicast.socket.async_send_to(asio::buffer(*message), peer,
                                     [message](const std::error_code&, std::size_t) {});
    });
  }
}

}  // namespace camsim::detail
