// WS-Discovery (2005/04) as the backend speaks it: Probe messages for one type each, and the
// ProbeMatches answers read tolerantly — namespaces declared anywhere, several addresses, both
// urn:uuid: and uuid: endpoint references.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace netsdk::onvif_backend {

enum class ProbeType { kTransmitter, kDevice };

struct ProbeMatch {
  std::string endpoint;      // the endpoint reference, normalised: lower case, without urn:/uuid:
  std::string relatesTo;     // the message the answer relates to, normalised as endpoint
  bool transmitter = false;  // announces dn:NetworkVideoTransmitter
  std::vector<std::string> addresses;  // the XAddrs, in the device's order
};

struct ProbeDatagram {
  std::string message;
  std::string messageId;  // normalised as a ProbeMatch's relatesTo
};
// A Probe for the type, with a fresh message id.
ProbeDatagram ProbeMessage(ProbeType type);
// The matches of a ProbeMatches datagram; empty for anything else, malformed input included.
std::vector<ProbeMatch> ReadProbeMatches(std::string_view datagram);
// "urn:uuid:ABC", "uuid:abc" and "abc" all give "abc".
std::string NormaliseEndpoint(std::string_view reference);

}  // namespace netsdk::onvif_backend
