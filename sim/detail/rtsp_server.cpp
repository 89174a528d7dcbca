#include "sim/detail/rtsp_server.h"

#include <optional>
#include <string_view>

#include "sim/detail/onvif_media.h"

namespace camsim::detail {
namespace {

// More connections than a LAN of 250 devices needs; beyond this a peer is flooding us.
constexpr std::size_t kMaxConnections = 4096;
constexpr std::string_view kPathPrefix = "/onvif/";
constexpr std::string_view kTrack = "/trackID=";

// The track a path names below a device's stream; nullopt when it names nothing there.
std::optional<int> TrackOf(std::string_view rest) {
  if (rest.empty() || rest == "/" || rest == "/*") return RtspSession::kAggregate;
  if (rest.substr(0, kTrack.size()) != kTrack || rest.size() != kTrack.size() + 1) {
    return std::nullopt;
  }
  const char digit = rest.back();
  return digit >= '0' && digit <= '9' ? std::optional(digit - '0') : std::nullopt;
}

}  // namespace

RtspServer::RtspServer(Environment& environment,
                       const std::vector<std::unique_ptr<Device>>& devices)
    : m_env(environment), m_devices(devices), m_acceptor(environment.io) {}

bool RtspServer::Listen(const asio::ip::address_v4& host, std::string* error) {
  std::error_code code;
  const asio::ip::tcp::endpoint address(host, 0);
  m_acceptor.open(address.protocol(), code);
  if (!code) m_acceptor.bind(address, code);
  if (!code) m_acceptor.listen(asio::socket_base::max_listen_connections, code);
  if (!code) m_port = m_acceptor.local_endpoint(code).port();
  if (code) {
    std::error_code ignored;
    m_acceptor.close(ignored);
    *error = "cannot listen for RTSP on " + host.to_string() + ": " + code.message();
    return false;
  }
  m_base = "rtsp://" + host.to_string() + ":" + std::to_string(m_port);
  return true;
}

void RtspServer::Serve() {
  Accept();
}

void RtspServer::Close() {
  std::error_code ignored;
  m_acceptor.close(ignored);
  // The stops are journaled now: after Close the network thread may not run again.
  for (const auto& [connection, session] : m_sessions) {
    session->End();
    connection->Close();
  }
  m_sessions.clear();
}

void RtspServer::Accept() {
  m_acceptor.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
    if (error == asio::error::operation_aborted || !m_acceptor.is_open()) return;
    if (!error && m_sessions.size() < kMaxConnections) {
      auto connection = std::make_shared<RtspConnection>(std::move(socket));
      m_sessions.emplace(connection, std::make_shared<RtspSession>(m_env, connection, m_base));
      std::weak_ptr<RtspConnection> weak = connection;
      connection->Start([this](const std::shared_ptr<RtspConnection>& target,
                               RtspRequest& request) { OnRequest(target, request); },
                        [this, weak] {
                          const auto found = m_sessions.find(weak.lock());
                          if (found == m_sessions.end()) return;
                          found->second->End();
                          m_sessions.erase(found);
                        });
    }
    Accept();
  });
}

void RtspServer::OnRequest(const std::shared_ptr<RtspConnection>& connection,
                           RtspRequest& request) {
  const auto found = m_sessions.find(connection);
  if (found == m_sessions.end()) return connection->Close();
  const std::shared_ptr<RtspSession> session = found->second;
  // The device's connections end when it goes away, restarts or moves.
  if (session->DeviceGone()) {
    session->End();
    return connection->Close();
  }
  const std::string_view path = request.path;
  Device* device = nullptr;
  int track = RtspSession::kAggregate;
  std::string profile;
  const std::size_t slash = path.find('/', kPathPrefix.size());
  if (path.substr(0, kPathPrefix.size()) == kPathPrefix && slash != std::string_view::npos) {
    const std::string_view ip = path.substr(kPathPrefix.size(), slash - kPathPrefix.size());
    const std::string_view rest = path.substr(slash + 1);
    profile = std::string(rest.substr(0, rest.find('/')));
    const std::optional<int> named = TrackOf(rest.substr(profile.size()));
    // Where several devices hold one address the first in scenario order answers, as for logins.
    for (std::size_t i = 0; i < m_devices.size() && named && device == nullptr; ++i) {
      if (m_devices[i]->Online() && m_devices[i]->Config().ip == ip) device = m_devices[i].get();
    }
    if (device != nullptr && !ProfileClip(device->Config(), profile)) device = nullptr;
    track = named.value_or(RtspSession::kAggregate);
  }
  session->OnRequest(request, device, track, profile);
}

}  // namespace camsim::detail
