// WS-Discovery for the ONVIF face: unicast Probes on UDP, answered by each matching online device
// with one ProbeMatches datagram after its search delay. Only loopback peers are answered, and
// nothing is ever announced by multicast. Network thread only, except Open before it starts.
#pragma once

#include <asio.hpp>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "onvif/soap_xml.h"
#include "sim/detail/device.h"

namespace camsim::detail {

// Datagrams larger than this are not probes: dropped unread.
constexpr std::size_t kMaxProbeBytes = 64 * 1024;

struct Probe {
  std::string messageId;
  std::vector<onvif::QualifiedName> types;  // prefixes resolved by the probe's own declarations
  std::vector<std::string> scopes;
  std::string matchBy;  // empty = the default RFC 3986 matching
};

// nullopt when the bytes are not a SOAP 1.2 Probe with a MessageID.
std::optional<Probe> ReadProbe(std::string_view datagram);
bool ProbeMatchesDevice(const Probe& probe, const Device& device);
// endpoint is the simulator's host:port; messageNumber the device's count of answers so far.
std::string ProbeMatchesMessage(const Probe& probe, const Device& device,
                                const std::string& endpoint, unsigned messageNumber);

class DiscoveryResponder {
 public:
  DiscoveryResponder(asio::io_context& io, const std::vector<std::unique_ptr<Device>>& devices);

  bool Open(const asio::ip::udp::endpoint& local, std::string* error);
  void Serve();
  void Close();

 private:
  void Receive();
  void OnDatagram(std::size_t size);

  const std::vector<std::unique_ptr<Device>>& m_devices;
  asio::ip::udp::socket m_socket;
  std::string m_endpoint;
  std::vector<char> m_buffer;
  asio::ip::udp::endpoint m_sender;
  std::map<const Device*, unsigned> m_messageNumbers;
};

}  // namespace camsim::detail
