#include "sim/simulator.h"

#include <asio.hpp>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "sim/detail/lan.h"
#include "sim/detail/onvif_lan.h"
#include "sim/detail/private_network.h"
#include "sim/detail/sim_clock.h"
#include "wire/endpoint.h"

namespace camsim {

struct Simulator::Impl {
  Impl(Scenario scenario, Protocol face) : protocol(face), lan(environment, std::move(scenario)) {
    // The devices stay the framed LAN's; the ONVIF face only speaks for them.
    if (protocol == Protocol::kOnvif)
      onvif = std::make_unique<detail::OnvifLan>(environment, lan.Devices());
  }

  std::uint16_t ServedPort() const { return onvif ? onvif->Port() : lan.Port(); }

  // Listens on endpoint, joining the discovery group there when asked, and starts the thread.
  bool Serve(wire::Endpoint endpoint, bool joinGroup, std::string* error) {
    std::lock_guard lock(mutex);
    if (running || stopped) {
      *error = "the simulator was started before";
      return false;
    }
    if (onvif) {
      if (!onvif->Listen(endpoint, error)) return false;
      if (joinGroup && !onvif->JoinDiscoveryGroup(error)) {
        onvif->Close();
        return false;
      }
      onvif->Serve();
    } else {
      if (!lan.Listen(endpoint, error)) return false;
      lan.Serve();
    }
    endpoint.port = ServedPort();
    this->endpoint = endpoint.ToString();
    running = true;
    thread = std::thread([this] { io.run(); });
    return true;
  }

  // Runs fn on the network thread and waits for it; fn reads device state that only that thread
  // may touch. Before Start and after Stop there is no such thread and fn runs here.
  template <typename Fn>
  auto OnNetworkThread(Fn fn) const -> decltype(fn()) {
    {
      std::lock_guard lock(mutex);
      if (running) {
        auto task = std::make_shared<std::packaged_task<decltype(fn())()>>(std::move(fn));
        auto result = task->get_future();
        asio::post(io, [task] { (*task)(); });
        return result.get();
      }
    }
    return fn();
  }

  mutable asio::io_context io;
  asio::executor_work_guard<asio::io_context::executor_type> work = asio::make_work_guard(io);
  detail::SimClock clock;
  Journal journal;
  detail::ClipLibrary clips{io};
  detail::Environment environment{io, clock, journal, clips};
  const Protocol protocol;
  detail::Lan lan;
  std::unique_ptr<detail::OnvifLan> onvif;
  mutable std::mutex mutex;  // running, stopped, endpoint
  bool running = false;
  bool stopped = false;
  std::string endpoint;
  std::thread thread;
};

Simulator::Simulator(Scenario scenario, Protocol protocol)
    : m_impl(std::make_unique<Impl>(std::move(scenario), protocol)) {}

Simulator::~Simulator() {
  Stop();
}

bool Simulator::Start(const std::string& listen, std::string* error) {
  wire::Endpoint endpoint;
  std::string why;
  if (!wire::ParseLoopbackEndpoint(listen, true, &endpoint, &why)) {
    *error = "refusing to listen on '" + listen + "': " + why +
             "; the virtual LAN is served on loopback only";
    return false;
  }
  return m_impl->Serve(endpoint, false, error);
}

bool Simulator::StartOnPrivateLan(const std::string& listen, std::string* error) {
  const std::size_t colon = listen.rfind(':');
  std::error_code code;
  wire::Endpoint endpoint;
  endpoint.host = listen.substr(0, colon == std::string::npos ? 0 : colon);
  asio::ip::make_address_v4(endpoint.host, code);
  const std::string port = colon == std::string::npos ? "" : listen.substr(colon + 1);
  if (code || port.empty() || port.size() > 5 ||
      port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) > 65535) {
    *error = "'" + listen + "' is not ADDRESS:PORT";
    return false;
  }
  endpoint.port = static_cast<std::uint16_t>(std::stoi(port));
  if (m_impl->protocol != Protocol::kOnvif || !detail::InPrivateNetworkNamespace()) {
    *error = "a LAN address is served only by the ONVIF face inside a network namespace of its own";
    return false;
  }
  return m_impl->Serve(endpoint, true, error);
}

void Simulator::Stop() {
  {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->running) return;
  }
  // Close the connections while the thread still runs, so that peers see them end.
  m_impl->OnNetworkThread([impl = m_impl.get()] {
    impl->lan.Close();
    if (impl->onvif) impl->onvif->Close();
    return 0;
  });
  m_impl->clips.Stop();
  {
    std::lock_guard lock(m_impl->mutex);
    m_impl->running = false;
    m_impl->stopped = true;
  }
  m_impl->work.reset();
  m_impl->io.stop();
  if (m_impl->thread.joinable()) m_impl->thread.join();
}

std::uint16_t Simulator::Port() const {
  std::lock_guard lock(m_impl->mutex);
  return m_impl->ServedPort();
}

Protocol Simulator::GetProtocol() const {
  return m_impl->protocol;
}

std::uint16_t Simulator::RtspPort() const {
  std::lock_guard lock(m_impl->mutex);
  return m_impl->onvif ? m_impl->onvif->RtspPort() : 0;
}

std::string Simulator::Endpoint() const {
  std::lock_guard lock(m_impl->mutex);
  return m_impl->endpoint;
}

void Simulator::SetTimeScale(double factor) {
  m_impl->clock.SetScale(factor);
}

double Simulator::TimeScale() const {
  return m_impl->clock.Scale();
}

double Simulator::NowMs() const {
  return m_impl->clock.NowMs();
}

Journal& Simulator::GetJournal() {
  return m_impl->journal;
}

std::optional<DeviceSnapshot> Simulator::Device(const std::string& serial) const {
  return m_impl->OnNetworkThread([this, &serial]() -> std::optional<DeviceSnapshot> {
    for (DeviceSnapshot& snapshot : m_impl->lan.Snapshots()) {
      if (snapshot.serial == serial) return std::move(snapshot);
    }
    return std::nullopt;
  });
}

std::vector<DeviceSnapshot> Simulator::Devices() const {
  return m_impl->OnNetworkThread([this] { return m_impl->lan.Snapshots(); });
}

}  // namespace camsim
