#include "onvif_backend/discovery_messages.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

#include "onvif/namespaces.h"
#include "onvif/soap_xml.h"
#include "onvif/ws_security.h"

namespace netsdk::onvif_backend {
namespace {

std::string RandomUuid() {
  std::string bytes = onvif::RandomNonce();
  bytes.resize(16, '\0');
  bytes[6] = static_cast<char>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<char>((bytes[8] & 0x3F) | 0x80);
  std::string text;
  for (std::size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
    text += pair;
  }
  return text;
}

// Whether the QName list holds ns:name, each prefix resolved where the list is written.
bool ListsType(const xmlNode* types, std::string_view ns, std::string_view name) {
  std::istringstream words(onvif::Text(types));
  for (std::string word; words >> word;) {
    const std::size_t colon = word.find(':');
    const std::string prefix = colon == std::string::npos ? "" : word.substr(0, colon);
    const std::string local = colon == std::string::npos ? word : word.substr(colon + 1);
    const xmlNs* declared =
        xmlSearchNs(types->doc, const_cast<xmlNode*>(types),
                    prefix.empty() ? nullptr : reinterpret_cast<const xmlChar*>(prefix.c_str()));
    if (declared == nullptr || declared->href == nullptr) continue;
    if (local == name && reinterpret_cast<const char*>(declared->href) == ns) return true;
  }
  return false;
}

}  // namespace

ProbeDatagram ProbeMessage(ProbeType type) {
  const std::string id = RandomUuid();
  const std::string header =
      "<wsa:MessageID>urn:uuid:" + id +
      "</wsa:MessageID><wsa:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</wsa:To>"
      "<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</wsa:Action>";
  const char* types = type == ProbeType::kTransmitter ? "dn:NetworkVideoTransmitter" : "tds:Device";
  return {
      onvif::Envelope(header, std::string("<d:Probe><d:Types>") + types + "</d:Types></d:Probe>"),
      id};
}

std::vector<ProbeMatch> ReadProbeMatches(std::string_view datagram) {
  std::vector<ProbeMatch> matches;
  std::string error;
  const auto document = onvif::ParseSoap(datagram, &error);
  if (!document) return matches;
  const std::string relatesTo = NormaliseEndpoint(
      onvif::Text(onvif::Child(document->Header(), onvif::kNsAddressing, "RelatesTo")));
  const xmlNode* all = onvif::Find(document->Root(), onvif::kNsDiscovery, "ProbeMatches");
  for (const xmlNode* node : onvif::FindAll(all, onvif::kNsDiscovery, "ProbeMatch")) {
    ProbeMatch match;
    match.relatesTo = relatesTo;
    const xmlNode* reference = onvif::Find(node, onvif::kNsAddressing, "Address");
    match.endpoint = NormaliseEndpoint(onvif::Text(reference));
    if (match.endpoint.empty()) continue;
    const xmlNode* types = onvif::Child(node, onvif::kNsDiscovery, "Types");
    match.transmitter =
        types != nullptr && ListsType(types, onvif::kNsNetwork, "NetworkVideoTransmitter");
    std::istringstream words(onvif::Text(onvif::Child(node, onvif::kNsDiscovery, "XAddrs")));
    for (std::string word; words >> word;) match.addresses.push_back(word);
    matches.push_back(std::move(match));
  }
  return matches;
}

std::string NormaliseEndpoint(std::string_view reference) {
  std::string text(reference);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* prefix : {"urn:uuid:", "uuid:"}) {
    const std::string_view p(prefix);
    if (text.rfind(p, 0) == 0) {
      text.erase(0, p.size());
      break;
    }
  }
  if (text.size() > 255) return {};
  return text;
}

}  // namespace netsdk::onvif_backend
