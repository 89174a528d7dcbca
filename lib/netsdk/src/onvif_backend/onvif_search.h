// The search over ONVIF: WS-Discovery probes for both device types every kProbeIntervalMs while the
// search runs, from one UDP socket (never joining the group), to the multicast group or to each
// configured target. Matches are keyed by endpoint reference; a device is listed once its details
// are filled in, in the order they complete. ModifyIPC sets the gateway, then the interface, and
// reboots the device when it says the change needs one.
#pragma once

#include <array>
#include <asio.hpp>
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "context.h"
#include "device_search.h"
#include "info_block.h"
#include "onvif_backend/device_details.h"
#include "onvif_backend/discovery_messages.h"
#include "onvif_backend/onvif_services.h"
#include "waiter.h"

namespace netsdk::onvif_backend {

// Datagrams larger than this are not discovery messages and are dropped unread.
inline constexpr std::size_t kMaxDatagram = 64 * 1024;
// Devices one search keeps track of; answers of further ones are dropped, so that a flood of
// made-up endpoints cannot grow the library without bound.
inline constexpr std::size_t kMaxEndpointsPerSearch = 4096;
// Message ids of this search's probes that an answer may relate to; older ones are forgotten.
inline constexpr std::size_t kProbeIdsKept = 256;

class OnvifSearch : public DeviceSearch, public std::enable_shared_from_this<OnvifSearch> {
 public:
  OnvifSearch(const Context& context, OnvifServices& services);

  void Start() override;
  void Stop() override;
  int Count() const override;
  int Read(int index, std::uint8_t* block) const override;
  int Modify(int index, const std::uint8_t* block) override;
  void Shutdown() override;

  // Probe datagrams sent and destinations refused by the scope, for the guard's tests.
  std::uint64_t ProbesSent() const { return m_probesSent.load(); }
  std::uint64_t ProbesRefused() const { return m_probesRefused.load(); }

 private:
  struct Result {
    InfoBlock block;
    std::string serial;
    std::string endpoint;
    Url service;
    std::string model;
    std::string interfaceToken;
    Credential credential;
    std::int64_t clockOffset = 0;
  };
  enum class Fill { kRunning, kListed, kFailed };

  // Network thread only.
  bool OpenSocket();
  void Probe(std::uint32_t searchId);
  void Receive();
  void OnMatch(std::uint32_t searchId, const ProbeMatch& match, const asio::ip::address& sender);
  void OnDetails(std::uint32_t searchId, const std::string& endpoint,
                 std::optional<DeviceDetails> details);
  // The announced device service addresses the scope allows, in the order they are tried: those
  // on the sender's host, the others as announced, link-local ones last.
  std::vector<Url> UsableAddresses(const ProbeMatch& match, const asio::ip::address& sender) const;

  const Context m_context;
  OnvifServices& m_services;

  mutable std::mutex m_mutex;  // results, search id, active flag
  std::vector<Result> m_results;
  std::uint32_t m_searchId = 0;
  bool m_active = false;

  asio::ip::udp::socket m_socket;
  asio::steady_timer m_probeTimer;
  std::array<char, kMaxDatagram> m_datagram{};
  asio::ip::udp::endpoint m_sender;
  std::map<std::string, Fill> m_fills;   // by endpoint, this search
  std::set<std::string> m_transmitters;  // endpoints that announced a transmitter
  std::deque<std::string> m_probeIds;    // this search's, newest last
  bool m_reportedRefusal = false;
  std::atomic<std::uint64_t> m_probesSent{0};
  std::atomic<std::uint64_t> m_probesRefused{0};
};

}  // namespace netsdk::onvif_backend
