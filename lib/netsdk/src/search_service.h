// The LAN search and ModifyIPC. While a search runs, a probe goes out on the LAN connection every
// kProbeIntervalMs; each answering device is listed once, by serial number, in the order of first
// answers, and a later answer updates its own entry. The results stay readable after Stop until the
// next Start. Public methods may be called from any thread.
#pragma once

#include <asio.hpp>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "context.h"
#include "device_search.h"
#include "info_block.h"
#include "waiter.h"
#include "wire/framed_connection.h"

namespace netsdk {

class SearchService : public DeviceSearch, public std::enable_shared_from_this<SearchService> {
 public:
  explicit SearchService(const Context& context);

  void Start() override;
  void Stop() override;
  int Count() const override;
  int Read(int index, std::uint8_t* block) const override;
  // Sends the block's address, mask, gateway and all-network state to the device listed at index
  // (found where it answered, whatever the block's address says).
  int Modify(int index, const std::uint8_t* block) override;
  // Closes the LAN connection and fails waiting calls.
  void Shutdown() override;

 private:
  struct Result {
    InfoBlock block;
    std::string serial;
    std::string ip;  // where the device answered, so it can still be reached after a ModifyIPC
    std::uint16_t port = 0;
  };
  struct Pending {
    wire::MsgType type;
    std::uint32_t id;
    std::vector<std::uint8_t> payload;
  };

  // Network thread only.
  void Probe(std::uint32_t searchId);
  void SendOnLan(wire::MsgType type, std::uint32_t id, std::vector<std::uint8_t> payload);
  void OnLanConnected(unsigned generation, asio::ip::tcp::socket socket);
  void OnLanLost(unsigned generation);
  void OnLanFrame(wire::Frame& frame);
  void OnProbeAnswer(std::uint32_t searchId, wire::DeviceInfo info);
  void FailModifies();

  const Context m_context;

  mutable std::mutex m_mutex;  // results, search id, active flag
  std::vector<Result> m_results;
  std::map<std::string, std::size_t> m_bySerial;
  std::uint32_t m_searchId = 0;
  bool m_active = false;
  std::atomic<std::uint32_t> m_nextModifyId{0};

  std::shared_ptr<wire::FramedConnection> m_lan;
  unsigned m_lanGeneration = 0;
  bool m_connecting = false;
  std::vector<Pending> m_pending;  // frames waiting for the LAN connection
  asio::steady_timer m_probeTimer;
  std::map<std::uint32_t, std::shared_ptr<Waiter>> m_modifyWaiters;
};

}  // namespace netsdk
