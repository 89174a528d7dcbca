// The virtual LAN: accepts the library's connections on the loopback endpoint, answers search
// probes with every device, routes ModifyIPC by where the device is, and binds a hello to the
// device at the named address. Network thread only, except Listen before the thread starts.
#pragma once

#include <asio.hpp>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/detail/device.h"
#include "sim/detail/framed_device.h"
#include "sim/detail/link.h"
#include "sim/scenario.h"
#include "wire/endpoint.h"

namespace camsim::detail {

class Lan {
 public:
  Lan(Environment& environment, Scenario scenario);

  bool Listen(const wire::Endpoint& endpoint, std::string* error);
  std::uint16_t Port() const { return m_port; }
  void Serve();
  void Close();
  const std::vector<std::unique_ptr<Device>>& Devices() const { return m_devices; }
  // Every device's snapshot, in the scenario's order.
  std::vector<DeviceSnapshot> Snapshots() const;

 private:
  void Accept();
  void OnFrame(const std::shared_ptr<Link>& link, wire::Frame& frame);
  FramedDevice* FindAt(const std::string& ip, std::uint16_t port);

  Environment& m_env;
  asio::ip::tcp::acceptor m_acceptor;
  std::uint16_t m_port = 0;
  std::vector<std::unique_ptr<Device>> m_devices;
  std::vector<std::unique_ptr<FramedDevice>> m_framed;  // one face per device, in the same order
  std::set<std::shared_ptr<Link>> m_links;
};

}  // namespace camsim::detail
