// WS-Discovery for the ONVIF face: unicast Probes on UDP, answered by each matching online device
// with one ProbeMatches datagram after its search delay. Only loopback peers are answered, and
// nothing is ever announced by multicast; inside a network namespace of its own the responder may
// also take the group's probes on one interface and answer peers there. Network thread only,
// except Open and JoinGroup before it starts.
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
// The WS-Discovery group, joined only inside a private network namespace.
constexpr const char* kDiscoveryGroupAddress = "239.255.255.250";
constexpr unsigned short kDiscoveryGroupPort = 3702;

struct Probe {
  std::string messageId;
  std::vector<onvif::QualifiedName> types;  // prefixes resolved by the probe's own declarations
  std::vector<std::string> scopes;
  std::string matchBy;  // empty = the default RFC 3986 matching
};

// The scopes a device announces and GetScopes lists, all fixed.
std::vector<std::string> DeviceScopes(const Device& device);
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
  // Takes probes sent to the WS-Discovery group that arrive on the interface with this address,
  // and answers any peer. Refused outside a private network namespace.
  bool JoinGroup(const asio::ip::address_v4& interface, std::string* error);
  void Serve();
  void Close();

 private:
  struct Listener {
    explicit Listener(asio::io_context& io) : socket(io), buffer(kMaxProbeBytes + 1) {}
    asio::ip::udp::socket socket;
    std::vector<char> buffer;
    asio::ip::udp::endpoint sender;
  };

  void Receive(Listener& listener);
  void OnDatagram(const Listener& listener, std::size_t size);

  const std::vector<std::unique_ptr<Device>>& m_devices;
  Listener m_unicast;
  Listener m_group;
  bool m_anyPeer = false;  // peers beyond loopback are answered
  std::string m_endpoint;
  std::map<const Device*, unsigned> m_messageNumbers;
};

}  // namespace camsim::detail
