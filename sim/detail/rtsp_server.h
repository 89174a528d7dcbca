// The RTSP server of the ONVIF face: a TCP port of its own on the simulator's loopback host, any
// free one, chosen at Listen. Each device streams the clip of each of its profiles at
// /onvif/<its current address>/<profile token> (tracks .../main/trackID=0 and =1); a path that
// names no online device, or nothing of one, is answered 404. Network thread only, except Listen
// before the thread starts.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/detail/device.h"
#include "sim/detail/rtsp_connection.h"
#include "sim/detail/rtsp_session.h"

namespace camsim::detail {

class RtspServer {
 public:
  RtspServer(Environment& environment, const std::vector<std::unique_ptr<Device>>& devices);

  bool Listen(const asio::ip::address_v4& host, std::string* error);
  std::uint16_t Port() const { return m_port; }
  void Serve();
  // Ends every stream and connection.
  void Close();

 private:
  void Accept();
  void OnRequest(const std::shared_ptr<RtspConnection>& connection, RtspRequest& request);

  Environment& m_env;
  const std::vector<std::unique_ptr<Device>>& m_devices;
  asio::ip::tcp::acceptor m_acceptor;
  std::string m_base;  // rtsp://HOST:PORT
  std::uint16_t m_port = 0;
  std::map<std::shared_ptr<RtspConnection>, std::shared_ptr<RtspSession>> m_sessions;
};

}  // namespace camsim::detail
