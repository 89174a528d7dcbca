#include "sim/detail/lan.h"

namespace camsim::detail {
namespace {
// More connections than a LAN of 250 devices needs; beyond this a peer is flooding us.
constexpr std::size_t kMaxLinks = 4096;
}  // namespace

Lan::Lan(Environment& environment, Scenario scenario)
    : m_env(environment), m_acceptor(environment.io) {
  for (DeviceConfig& config : scenario.devices) {
    m_devices.push_back(std::make_unique<Device>(std::move(config), m_env));
    m_framed.push_back(std::make_unique<FramedDevice>(*m_devices.back(), m_env));
  }
}

std::vector<DeviceSnapshot> Lan::Snapshots() const {
  std::vector<DeviceSnapshot> snapshots;
  for (const auto& device : m_framed) snapshots.push_back(device->Snapshot());
  return snapshots;
}

bool Lan::Listen(const wire::Endpoint& endpoint, std::string* error) {
  std::error_code code;
  const asio::ip::tcp::endpoint address(asio::ip::make_address_v4(endpoint.host, code),
                                        endpoint.port);
  if (!code) m_acceptor.open(address.protocol(), code);
  if (!code) m_acceptor.set_option(asio::socket_base::reuse_address(true), code);
  if (!code) m_acceptor.bind(address, code);
  if (!code) m_acceptor.listen(asio::socket_base::max_listen_connections, code);
  if (code) {
    std::error_code ignored;
    m_acceptor.close(ignored);
    *error = "cannot listen on " + endpoint.ToString() + ": " + code.message();
    return false;
  }
  m_port = m_acceptor.local_endpoint(code).port();
  return true;
}

void Lan::Serve() {
  Accept();
}

void Lan::Close() {
  std::error_code ignored;
  m_acceptor.close(ignored);
  for (const auto& link : m_links) link->connection->Close();
  m_links.clear();
}

void Lan::Accept() {
  m_acceptor.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
    if (error == asio::error::operation_aborted || !m_acceptor.is_open()) return;
    if (!error && m_links.size() < kMaxLinks) {
      auto link =
          std::make_shared<Link>(std::make_shared<wire::FramedConnection>(std::move(socket)));
      m_links.insert(link);
      std::weak_ptr<Link> weak = link;
      link->connection->Start(
          [this, weak](wire::Frame& frame) {
            if (auto target = weak.lock()) OnFrame(target, frame);
          },
          [this, weak] {
            auto target = weak.lock();
            if (!target) return;
            if (target->device != nullptr) target->device->Detach(*target);
            m_links.erase(target);
          });
    }
    Accept();
  });
}

FramedDevice* Lan::FindAt(const std::string& ip, std::uint16_t port) {
  for (const auto& device : m_framed) {
    if (device->GetDevice().At(ip, port)) return device.get();
  }
  return nullptr;
}

void Lan::OnFrame(const std::shared_ptr<Link>& link, wire::Frame& frame) {
  // A frame that does not decode, or that only a device may send, marks a misbehaving peer.
  bool valid = true;
  switch (frame.type) {
    case wire::MsgType::kProbe:
      for (const auto& device : m_framed) device->OnProbe(link->connection, frame.id);
      break;
    case wire::MsgType::kModify: {
      wire::Modify modify;
      valid = wire::Decode(frame.payload, &modify);
      if (!valid) break;
      // Nobody answers for a device that is not at the named place any more.
      for (const auto& device : m_framed) {
        const Device& model = device->GetDevice();
        if (model.At(modify.targetIp, modify.targetPort) && model.Serial() == modify.serial) {
          device->OnModify(link->connection, frame.id, modify);
          break;
        }
      }
      break;
    }
    case wire::MsgType::kHello: {
      wire::Hello hello;
      valid = wire::Decode(frame.payload, &hello);
      if (!valid || link->device != nullptr) break;
      if (FramedDevice* device = FindAt(hello.ip, hello.port)) {
        device->Attach(link);
        link->connection->Send(wire::MsgType::kHelloAnswer, frame.id,
                               wire::EncodeText(device->GetDevice().Serial()));
      }
      break;
    }
    case wire::MsgType::kLogin: {
      wire::Login login;
      valid = wire::Decode(frame.payload, &login);
      if (valid && link->device != nullptr) link->device->OnLogin(link, login);
      break;
    }
    case wire::MsgType::kCommand: {
      wire::Command command;
      valid = wire::Decode(frame.payload, &command);
      if (valid && link->device != nullptr) link->device->OnCommand(link, frame.id, command);
      break;
    }
    case wire::MsgType::kStreamStart: {
      wire::StreamStart start;
      valid = wire::Decode(frame.payload, &start);
      if (valid && link->device != nullptr) link->device->OnStreamStart(link, start);
      break;
    }
    case wire::MsgType::kUpgradeBegin: {
      std::uint64_t size = 0;
      valid = wire::DecodeCount(frame.payload, &size);
      if (valid && link->device != nullptr) link->device->OnUpgradeBegin(link, size);
      break;
    }
    case wire::MsgType::kUpgradeData: {
      std::uint64_t offset = 0;
      const std::uint8_t* data = nullptr;
      std::size_t size = 0;
      valid = wire::DecodeUpgradeData(frame.payload, &offset, &data, &size);
      if (valid && link->device != nullptr) link->device->OnUpgradeData(link, offset, data, size);
      break;
    }
    default:
      valid = false;
      break;
  }
  if (!valid) link->connection->Close();
}

}  // namespace camsim::detail
