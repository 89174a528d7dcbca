#include "sim/detail/onvif_lan.h"

#include <string_view>

namespace camsim::detail {
namespace {

// More connections than a LAN of 250 devices needs; beyond this a peer is flooding us.
constexpr std::size_t kMaxConnections = 4096;
// With port 0 the system chooses the TCP port, and the UDP port of that number may be taken.
constexpr int kBindAttempts = 20;
constexpr std::string_view kPathPrefix = "/onvif/";

}  // namespace

OnvifLan::OnvifLan(Environment& environment, const std::vector<std::unique_ptr<Device>>& devices)
    : m_env(environment),
      m_devices(devices),
      m_acceptor(environment.io),
      m_discovery(environment.io, devices),
      m_rtsp(environment, devices) {
  for (const auto& device : m_devices) {
    m_faces.push_back(std::make_unique<OnvifDevice>(*device, m_env, m_endpoint));
  }
}

bool OnvifLan::Listen(const wire::Endpoint& endpoint, std::string* error) {
  std::error_code code;
  const asio::ip::address_v4 host = asio::ip::make_address_v4(endpoint.host, code);
  if (code) {
    *error = "cannot listen on " + endpoint.ToString() + ": " + code.message();
    return false;
  }
  const int attempts = endpoint.port == 0 ? kBindAttempts : 1;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (Bind(host, endpoint.port, error)) {
      m_endpoint.host = endpoint.host;
      break;
    }
  }
  if (m_endpoint.port == 0) return false;
  if (!m_rtsp.Listen(host, error)) {
    Close();
    return false;
  }
  m_endpoint.rtspPort = m_rtsp.Port();
  return true;
}

bool OnvifLan::JoinDiscoveryGroup(std::string* error) {
  std::error_code code;
  const asio::ip::address_v4 host = asio::ip::make_address_v4(m_endpoint.host, code);
  if (code) {
    *error = "not listening";
    return false;
  }
  return m_discovery.JoinGroup(host, error);
}

bool OnvifLan::Bind(const asio::ip::address_v4& host, std::uint16_t port, std::string* error) {
  std::error_code code;
  const asio::ip::tcp::endpoint address(host, port);
  m_acceptor.open(address.protocol(), code);
  if (!code) m_acceptor.set_option(asio::socket_base::reuse_address(true), code);
  if (!code) m_acceptor.bind(address, code);
  if (!code) m_acceptor.listen(asio::socket_base::max_listen_connections, code);
  const std::uint16_t bound = code ? port : m_acceptor.local_endpoint(code).port();
  if (code) {
    std::error_code ignored;
    m_acceptor.close(ignored);
    *error =
        "cannot listen on " + host.to_string() + ":" + std::to_string(port) + ": " + code.message();
    return false;
  }
  if (!m_discovery.Open(asio::ip::udp::endpoint(host, bound), error)) {
    std::error_code ignored;
    m_acceptor.close(ignored);
    return false;
  }
  m_endpoint.port = bound;
  return true;
}

void OnvifLan::Serve() {
  m_discovery.Serve();
  m_rtsp.Serve();
  Accept();
}

void OnvifLan::Close() {
  std::error_code ignored;
  m_acceptor.close(ignored);
  m_discovery.Close();
  m_rtsp.Close();
  for (const auto& connection : m_connections) connection->Close();
  m_connections.clear();
}

void OnvifLan::Accept() {
  m_acceptor.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
    if (error == asio::error::operation_aborted || !m_acceptor.is_open()) return;
    if (!error && m_connections.size() < kMaxConnections) {
      auto connection = std::make_shared<HttpConnection>(std::move(socket), m_env.clock);
      m_connections.insert(connection);
      std::weak_ptr<HttpConnection> weak = connection;
      connection->Start([this](const std::shared_ptr<HttpConnection>& target,
                               HttpRequest& request) { OnHead(target, request); },
                        [this, weak] {
                          if (auto target = weak.lock()) m_connections.erase(target);
                        });
    }
    Accept();
  });
}

void OnvifLan::OnHead(const std::shared_ptr<HttpConnection>& connection, HttpRequest& request) {
  const std::string path = request.target.substr(0, request.target.find('?'));
  const std::size_t slash = path.find('/', kPathPrefix.size());
  if (path.compare(0, kPathPrefix.size(), kPathPrefix) != 0 || slash == std::string::npos) {
    return connection->Close();
  }
  const std::string ip = path.substr(kPathPrefix.size(), slash - kPathPrefix.size());
  const std::string rest = path.substr(slash + 1);
  // Where several devices hold one address the first in scenario order answers, as for logins.
  OnvifDevice* face = nullptr;
  for (std::size_t i = 0; i < m_devices.size() && face == nullptr; ++i) {
    if (m_devices[i]->Online() && m_devices[i]->Config().ip == ip) face = m_faces[i].get();
  }
  if (face == nullptr) return connection->Close();
  if (rest == "device_service" || rest == "media_service" || rest == "media2_service" ||
      rest == "imaging_service" || rest == "analytics_service" || rest == "event_service") {
    return face->OnServiceRequest(connection, request, rest);
  }
  constexpr std::string_view kFirmware = "firmware/";
  if (rest.compare(0, kFirmware.size(), kFirmware) == 0) {
    return face->OnUpload(connection, request, rest.substr(kFirmware.size()));
  }
  constexpr std::string_view kSnapshot = "snapshot/";
  if (rest.compare(0, kSnapshot.size(), kSnapshot) == 0) {
    return face->OnSnapshot(connection, request, rest.substr(kSnapshot.size()));
  }
  connection->Respond({404, "text/plain; charset=utf-8", {}, "no such service\n", false});
}

}  // namespace camsim::detail
