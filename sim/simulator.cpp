#include "sim/simulator.h"

#include <asio.hpp>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "sim/detail/lan.h"
#include "sim/detail/sim_clock.h"
#include "wire/endpoint.h"

namespace camsim {

struct Simulator::Impl {
  explicit Impl(Scenario scenario) : lan(environment, std::move(scenario)) {}

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
  detail::Lan lan;
  mutable std::mutex mutex;  // running, stopped, endpoint
  bool running = false;
  bool stopped = false;
  std::string endpoint;
  std::thread thread;
};

Simulator::Simulator(Scenario scenario) : m_impl(std::make_unique<Impl>(std::move(scenario))) {}

Simulator::~Simulator() {
  Stop();
}

bool Simulator::Start(const std::string& listen, std::string* error) {
  std::lock_guard lock(m_impl->mutex);
  if (m_impl->running || m_impl->stopped) {
    *error = "the simulator was started before";
    return false;
  }
  wire::Endpoint endpoint;
  std::string why;
  if (!wire::ParseLoopbackEndpoint(listen, true, &endpoint, &why)) {
    *error = "refusing to listen on '" + listen + "': " + why +
             "; the virtual LAN is served on loopback only";
    return false;
  }
  if (!m_impl->lan.Listen(endpoint, error)) return false;
  endpoint.port = m_impl->lan.Port();
  m_impl->endpoint = endpoint.ToString();
  m_impl->lan.Serve();
  m_impl->running = true;
  m_impl->thread = std::thread([impl = m_impl.get()] { impl->io.run(); });
  return true;
}

void Simulator::Stop() {
  {
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->running) return;
  }
  // Close the connections while the thread still runs, so that peers see them end.
  m_impl->OnNetworkThread([impl = m_impl.get()] {
    impl->lan.Close();
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
  return m_impl->lan.Port();
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
    for (const auto& device : m_impl->lan.Devices()) {
      if (device->Serial() == serial) return device->Snapshot();
    }
    return std::nullopt;
  });
}

std::vector<DeviceSnapshot> Simulator::Devices() const {
  return m_impl->OnNetworkThread([this] {
    std::vector<DeviceSnapshot> snapshots;
    for (const auto& device : m_impl->lan.Devices()) snapshots.push_back(device->Snapshot());
    return snapshots;
  });
}

}  // namespace camsim
