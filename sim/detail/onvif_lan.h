// The virtual LAN as ONVIF devices: the WS-Discovery responder on UDP and the HTTP server on TCP,
// both on the simulator's one loopback address and port, and the RTSP server of their streams on
// a port of its own. A request's path names the device by
// its current address (/onvif/<ip>/...); a path that names no online device is not answered,
// the connection simply ends, as with a camera that is not there. Network thread only, except
// Listen before the thread starts.
#pragma once

#include <asio.hpp>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/detail/discovery.h"
#include "sim/detail/http_connection.h"
#include "sim/detail/onvif_device.h"
#include "sim/detail/rtsp_server.h"
#include "wire/endpoint.h"

namespace camsim::detail {

class OnvifLan {
 public:
  OnvifLan(Environment& environment, const std::vector<std::unique_ptr<Device>>& devices);

  bool Listen(const wire::Endpoint& endpoint, std::string* error);
  // After Listen: the WS-Discovery group's probes on the listen address's interface too.
  bool JoinDiscoveryGroup(std::string* error);
  std::uint16_t Port() const { return m_endpoint.port; }
  std::uint16_t RtspPort() const { return m_endpoint.rtspPort; }
  void Serve();
  void Close();

 private:
  bool Bind(const asio::ip::address_v4& host, std::uint16_t port, std::string* error);
  void Accept();
  void OnHead(const std::shared_ptr<HttpConnection>& connection, HttpRequest& request);

  Environment& m_env;
  const std::vector<std::unique_ptr<Device>>& m_devices;
  OnvifEndpoint m_endpoint;
  std::vector<std::unique_ptr<OnvifDevice>> m_faces;  // one for each device, in scenario order
  asio::ip::tcp::acceptor m_acceptor;
  DiscoveryResponder m_discovery;
  RtspServer m_rtsp;
  std::set<std::shared_ptr<HttpConnection>> m_connections;
};

}  // namespace camsim::detail
