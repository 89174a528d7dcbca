#include "onvif_backend/onvif_search.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "onvif_backend/destination_guard.h"
#include "onvif_backend/discovery_messages.h"
#include "onvif_backend/local_networks.h"
#include "onvif_backend/text_encoding.h"
#include "timing.h"

namespace netsdk::onvif_backend {
namespace {

constexpr std::size_t kSerialBytes = 32;
// ModifyIPC makes up to three calls in a row.
constexpr double kModifyTimeoutMs = 3 * kSoapTimeoutMs;

std::string TypeOf(const std::string& model, bool transmitter) {
  return transmitter ? model : "NVR";
}

}  // namespace

OnvifSearch::OnvifSearch(const Context& context, OnvifServices& services)
    : m_context(context), m_services(services), m_socket(context.io), m_probeTimer(context.io) {}

void OnvifSearch::Start() {
  std::uint32_t searchId;
  {
    std::lock_guard lock(m_mutex);
    m_results.clear();
    searchId = ++m_searchId;
    m_active = true;
  }
  asio::post(m_context.io, [self = shared_from_this(), searchId] {
    self->m_fills.clear();
    self->m_transmitters.clear();
    self->m_probeIds.clear();
    self->m_reportedRefusal = false;
    self->Probe(searchId);
  });
}

void OnvifSearch::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_active = false;
  }
  asio::post(m_context.io, [self = shared_from_this()] { self->m_probeTimer.cancel(); });
}

int OnvifSearch::Count() const {
  std::lock_guard lock(m_mutex);
  return static_cast<int>(m_results.size());
}

int OnvifSearch::Read(int index, std::uint8_t* block) const {
  std::lock_guard lock(m_mutex);
  return CopyBlock(m_results, index, block);
}

bool OnvifSearch::OpenSocket() {
  if (m_socket.is_open()) return true;
  std::error_code error;
  const bool loopback = m_context.settings.GetScope() == Scope::kLoopback;
  m_socket.open(asio::ip::udp::v4(), error);
  if (!error) {
    m_socket.bind({loopback ? asio::ip::address_v4::loopback() : asio::ip::address_v4::any(), 0},
                  error);
  }
  if (error) {
    std::fprintf(stderr, "netsdk: discovery socket: %s\n", error.message().c_str());
    m_socket.close(error);
    return false;
  }
  Receive();
  return true;
}

void OnvifSearch::Probe(std::uint32_t searchId) {
  {
    std::lock_guard lock(m_mutex);
    if (!m_active || searchId != m_searchId) return;
  }
  const ProbeSetting probe = m_context.settings.Probe();
  const Scope scope = m_context.settings.GetScope();
  std::vector<asio::ip::udp::endpoint> destinations;
  std::vector<std::string> refusals;
  // Sending to the group needs no membership; only an installer's LAN scope allows it, and then
  // from every interface that can, so that cameras behind a second network card (or the wired
  // switch of a PC on Wi-Fi) hear it too.
  std::vector<asio::ip::address_v4> groupInterfaces;
  if (probe.multicast && scope == Scope::kLan) {
    for (const LocalInterface& local : LocalInterfaces()) {
      if (local.multicast) groupInterfaces.emplace_back(local.address);
    }
  } else if (probe.multicast) {
    refusals.push_back("multicast probes are refused with scope loopback");
  }
  for (const ProbeTarget& target : probe.targets) {
    std::string why;
    if (HostAllowed(target.host, m_context.settings, &why)) {
      destinations.emplace_back(asio::ip::make_address_v4(target.host), target.port);
    } else {
      refusals.push_back("probe target " + why);
    }
  }
  m_probesRefused += refusals.size();
  if (!m_reportedRefusal) {
    for (const std::string& refusal : refusals)
      std::fprintf(stderr, "netsdk: %s\n", refusal.c_str());
    m_reportedRefusal = true;
  }
  if ((!destinations.empty() || !groupInterfaces.empty()) && OpenSocket()) {
    const asio::ip::udp::endpoint group(asio::ip::make_address_v4(kDiscoveryGroup), kDiscoveryPort);
    for (ProbeType type : {ProbeType::kTransmitter, ProbeType::kDevice}) {
      ProbeDatagram datagram = ProbeMessage(type);
      m_probeIds.push_back(datagram.messageId);
      if (m_probeIds.size() > kProbeIdsKept) m_probeIds.pop_front();
      auto message = std::make_shared<std::string>(std::move(datagram.message));
      for (const auto& destination : destinations) {
        ++m_probesSent;
        m_socket.async_send_to(asio::buffer(*message), destination,
                               [message](const std::error_code&, std::size_t) {});
      }
      // The outgoing interface is a socket option, so these are sent at once, one by one.
      for (const asio::ip::address_v4& from : groupInterfaces) {
        std::error_code error;
        m_socket.set_option(asio::ip::multicast::outbound_interface(from), error);
        if (!error) m_socket.send_to(asio::buffer(*message), group, 0, error);
        if (!error) ++m_probesSent;
      }
    }
  }
  std::weak_ptr<OnvifSearch> weak = weak_from_this();
  m_probeTimer.expires_after(m_context.settings.Scale().Real(kProbeIntervalMs));
  m_probeTimer.async_wait([weak, searchId](const std::error_code& error) {
    if (auto self = weak.lock(); self && !error) self->Probe(searchId);
  });
}

void OnvifSearch::Receive() {
  std::weak_ptr<OnvifSearch> weak = weak_from_this();
  m_socket.async_receive_from(
      asio::buffer(m_datagram), m_sender, [weak](const std::error_code& error, std::size_t size) {
        auto self = weak.lock();
        if (!self || error == asio::error::operation_aborted || !self->m_socket.is_open()) return;
        std::uint32_t searchId = 0;
        bool active = false;
        {
          std::lock_guard lock(self->m_mutex);
          searchId = self->m_searchId;
          active = self->m_active;
        }
        // A datagram that filled the buffer may have been cut: not read.
        if (!error && active && size < self->m_datagram.size()) {
          for (const ProbeMatch& match :
               ReadProbeMatches(std::string_view(self->m_datagram.data(), size))) {
            self->OnMatch(searchId, match, self->m_sender.address());
          }
        }
        self->Receive();
      });
}

std::vector<Url> OnvifSearch::UsableAddresses(const ProbeMatch& match,
                                              const asio::ip::address& sender) const {
  std::vector<Url> onSender, others, linkLocal;
  for (const std::string& address : match.addresses) {
    Url url;
    std::string why;
    std::error_code error;
    if (!ParseUrl(address, &url) || url.scheme != "http" ||
        !HostAllowed(url.host, m_context.settings, &why)) {
      continue;
    }
    const asio::ip::address_v4 host = asio::ip::make_address_v4(url.host, error);
    // 169.254.0.0/16: an address the device gave itself, rarely the one it is reached at.
    if ((host.to_uint() & 0xFFFF0000u) == 0xA9FE0000u) {
      linkLocal.push_back(url);
    } else if (sender.is_v4() && host == sender.to_v4()) {
      onSender.push_back(url);
    } else {
      others.push_back(url);
    }
  }
  onSender.insert(onSender.end(), others.begin(), others.end());
  onSender.insert(onSender.end(), linkLocal.begin(), linkLocal.end());
  return onSender;
}

void OnvifSearch::OnMatch(std::uint32_t searchId, const ProbeMatch& match,
                          const asio::ip::address& sender) {
  // Only answers to this search's probes: a stray or replayed ProbeMatch names no device of ours.
  if (std::find(m_probeIds.begin(), m_probeIds.end(), match.relatesTo) == m_probeIds.end()) {
    return;
  }
  if (match.transmitter && m_transmitters.insert(match.endpoint).second) {
    // A device that answered the other probe first was listed as a recorder; it is a camera.
    std::lock_guard lock(m_mutex);
    for (Result& result : m_results) {
      if (result.endpoint == match.endpoint) {
        WriteText(result.block.data(), IPC_INFO_DEVICE_TYPE, kDeviceTypeSize, result.model);
      }
    }
  }
  auto fill = m_fills.find(match.endpoint);
  // A device whose fill failed (it was away, or busy) is tried again at its next answer.
  if (fill != m_fills.end() && fill->second != Fill::kFailed) return;
  if (fill == m_fills.end() && m_fills.size() >= kMaxEndpointsPerSearch) return;
  std::vector<Url> addresses = UsableAddresses(match, sender);
  if (addresses.empty()) return;
  m_fills[match.endpoint] = Fill::kRunning;
  std::weak_ptr<OnvifSearch> weak = weak_from_this();
  const std::string endpoint = match.endpoint;
  FetchDetails(m_services, endpoint, std::move(addresses), m_context.settings.Credentials(),
               [weak, searchId, endpoint](std::optional<DeviceDetails> details) {
                 if (auto self = weak.lock()) {
                   self->OnDetails(searchId, endpoint, std::move(details));
                 }
               });
}

void OnvifSearch::OnDetails(std::uint32_t searchId, const std::string& endpoint,
                            std::optional<DeviceDetails> details) {
  {
    std::lock_guard lock(m_mutex);
    if (searchId != m_searchId) return;
  }
  m_fills[endpoint] = details ? Fill::kListed : Fill::kFailed;
  if (!details) return;
  const Url& service = details->service;
  const Credential credential = details->channel->GetCredential();
  wire::DeviceInfo info;
  // The block holds the program's GBK texts.
  info.serial = Utf8ToGbkLossy(
      m_services.directory.StableSerial(endpoint, details->information.serialNumber));
  info.deviceType =
      Utf8ToGbkLossy(TypeOf(details->information.model, m_transmitters.count(endpoint) > 0));
  info.user = Utf8ToGbkLossy(credential.user);
  info.password = Utf8ToGbkLossy(credential.password);
  info.channel = 1;
  info.port = service.port;
  info.mac = Utf8ToGbkLossy(details->network.mac);
  info.ip = details->network.address;
  // Blank when the device gave no interface.
  info.mask = details->network.token.empty() ? "" : MaskOfPrefix(details->network.prefixLength);
  info.gateway = details->gateway;
  m_services.directory.Remember(info.ip, {endpoint, service});
  std::lock_guard lock(m_mutex);
  if (!m_active || searchId != m_searchId) return;
  Result result{MakeBlock(info),
                info.serial,
                endpoint,
                service,
                Utf8ToGbkLossy(details->information.model),
                details->network.token,
                credential,
                details->channel->ClockOffset()};
  m_results.push_back(std::move(result));
}

int OnvifSearch::Modify(int index, const std::uint8_t* block) {
  NetworkFields fields;
  if (block == nullptr || index < 0 || !ReadNetworkFields(block, &fields)) return -1;
  std::uint32_t address = 0;
  std::uint32_t gateway = 0;
  const std::optional<int> prefix = PrefixOfMask(fields.mask);
  // Checked before anything is sent: a device must never be left half configured by a value it
  // would refuse.
  if (!wire::ParseIPv4(fields.ip, &address) || !prefix ||
      (!fields.gateway.empty() && !wire::ParseIPv4(fields.gateway, &gateway))) {
    return -1;
  }
  Result target;
  {
    std::lock_guard lock(m_mutex);
    if (static_cast<std::size_t>(index) >= m_results.size()) return -1;
    target = m_results[static_cast<std::size_t>(index)];
  }
  const auto* serial = reinterpret_cast<const char*>(block + IPC_INFO_SERIAL);
  if (std::string(serial, strnlen(serial, kSerialBytes)) != target.serial) return -1;

  auto waiter = std::make_shared<Waiter>();
  asio::post(m_context.io, [this, self = shared_from_this(), target, fields, prefix, waiter] {
    auto channel = std::make_shared<SoapChannel>(m_services.http, m_services.refused,
                                                 target.endpoint, target.credential);
    channel->SetClockOffset(target.clockOffset);
    auto setInterface = [channel, target, fields, prefix, waiter] {
      channel->Call(target.service, DeviceAction("SetNetworkInterfaces"),
                    SetNetworkInterfacesBody(target.interfaceToken, fields.ip, *prefix), true,
                    [channel, target, waiter](CallResult result) {
                      if (!result.Ok()) return waiter->Set(-1);
                      if (!ReadRebootNeeded(result.Body())) return waiter->Set(0);
                      channel->Call(target.service, DeviceAction("SystemReboot"),
                                    SystemRebootBody(), true, [channel, waiter](CallResult reboot) {
                                      waiter->Set(reboot.Ok() ? 0 : -1);
                                    });
                    });
    };
    if (fields.gateway.empty()) return setInterface();
    // The gateway first: once the address changes the device no longer answers here.
    channel->Call(target.service, DeviceAction("SetNetworkDefaultGateway"),
                  SetNetworkDefaultGatewayBody(fields.gateway), true,
                  [setInterface, waiter](CallResult result) {
                    if (!result.Ok()) return waiter->Set(-1);
                    setInterface();
                  });
  });
  if (waiter->Wait(m_context.settings.Scale().Real(kModifyTimeoutMs), -1) != 0) return -1;

  std::lock_guard lock(m_mutex);
  if (static_cast<std::size_t>(index) < m_results.size()) {
    Result& result = m_results[static_cast<std::size_t>(index)];
    if (result.serial == target.serial) {
      fields.allNetState = result.block[IPC_INFO_ALLNET_STATE];
      WriteNetworkFields(result.block.data(), fields);
    }
  }
  return 0;
}

void OnvifSearch::Shutdown() {
  m_probeTimer.cancel();
  std::error_code ignored;
  m_socket.close(ignored);
}

}  // namespace netsdk::onvif_backend
