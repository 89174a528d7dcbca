#include "search_service.h"

#include <cstring>

#include "timing.h"
#include "wire/messages.h"

namespace netsdk {

namespace {
// Frames waiting for the LAN connection; more than this means the endpoint is not there.
constexpr std::size_t kMaxPending = 64;
constexpr std::size_t kSerialBytes = 32;
}  // namespace

SearchService::SearchService(const Context& context)
    : m_context(context), m_probeTimer(context.io) {}

void SearchService::Start() {
  std::uint32_t searchId;
  {
    std::lock_guard lock(m_mutex);
    m_results.clear();
    m_bySerial.clear();
    searchId = ++m_searchId;
    m_active = true;
  }
  asio::post(m_context.io, [self = shared_from_this(), searchId] { self->Probe(searchId); });
}

void SearchService::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_active = false;
  }
  asio::post(m_context.io, [self = shared_from_this()] { self->m_probeTimer.cancel(); });
}

int SearchService::Count() const {
  std::lock_guard lock(m_mutex);
  return static_cast<int>(m_results.size());
}

int SearchService::Read(int index, std::uint8_t* block) const {
  std::lock_guard lock(m_mutex);
  return CopyBlock(m_results, index, block);
}

int SearchService::Modify(int index, const std::uint8_t* block) {
  NetworkFields fields;
  if (block == nullptr || index < 0 || !ReadNetworkFields(block, &fields)) return -1;
  wire::Modify modify;
  std::uint32_t searchId;
  {
    std::lock_guard lock(m_mutex);
    if (static_cast<std::size_t>(index) >= m_results.size()) return -1;
    const Result& result = m_results[static_cast<std::size_t>(index)];
    // A block from an earlier search may name another device at this index now: never change
    // a device the caller did not mean.
    const auto* serial = reinterpret_cast<const char*>(block + IPC_INFO_SERIAL);
    if (std::string(serial, strnlen(serial, kSerialBytes)) != result.serial) return -1;
    modify.targetIp = result.ip;
    modify.targetPort = result.port;
    modify.serial = result.serial;
    searchId = m_searchId;
  }
  modify.ip = fields.ip;
  modify.mask = fields.mask;
  modify.gateway = fields.gateway;
  modify.allNetState = fields.allNetState;

  std::uint32_t id = ++m_nextModifyId;
  if (id == 0) id = ++m_nextModifyId;
  auto waiter = std::make_shared<Waiter>();
  asio::post(m_context.io,
             [self = shared_from_this(), waiter, id, payload = wire::Encode(modify)]() mutable {
               self->m_modifyWaiters[id] = waiter;
               self->SendOnLan(wire::MsgType::kModify, id, std::move(payload));
             });
  const int outcome = waiter->Wait(m_context.settings.Scale().Real(kCommandTimeoutMs), -1);
  asio::post(m_context.io, [self = shared_from_this(), id] { self->m_modifyWaiters.erase(id); });
  if (outcome != 0) return -1;

  // The device lives at its new address now; later answers confirm it.
  std::lock_guard lock(m_mutex);
  if (searchId == m_searchId && static_cast<std::size_t>(index) < m_results.size()) {
    Result& result = m_results[static_cast<std::size_t>(index)];
    if (result.serial == modify.serial) {
      result.ip = fields.ip;
      if (result.block[IPC_INFO_ALLNET_SUPPORT] != 0xFF) {
        fields.allNetState = result.block[IPC_INFO_ALLNET_STATE];
      }
      WriteNetworkFields(result.block.data(), fields);
    }
  }
  return 0;
}

void SearchService::Shutdown() {
  m_probeTimer.cancel();
  ++m_lanGeneration;
  if (m_lan) m_lan->Close();
  m_lan.reset();
  m_pending.clear();
  m_connecting = false;
  FailModifies();
}

void SearchService::Probe(std::uint32_t searchId) {
  {
    std::lock_guard lock(m_mutex);
    if (!m_active || searchId != m_searchId) return;
  }
  SendOnLan(wire::MsgType::kProbe, searchId, {});
  std::weak_ptr<SearchService> weak = weak_from_this();
  m_probeTimer.expires_after(m_context.settings.Scale().Real(kProbeIntervalMs));
  m_probeTimer.async_wait([weak, searchId](const std::error_code& error) {
    if (auto self = weak.lock(); self && !error) self->Probe(searchId);
  });
}

void SearchService::SendOnLan(wire::MsgType type, std::uint32_t id,
                              std::vector<std::uint8_t> payload) {
  if (m_lan && m_lan->IsOpen()) {
    m_lan->Send(type, id, std::move(payload));
    return;
  }
  if (m_pending.size() < kMaxPending) m_pending.push_back({type, id, std::move(payload)});
  if (m_connecting) return;
  m_connecting = true;
  const unsigned generation = ++m_lanGeneration;
  std::weak_ptr<SearchService> weak = weak_from_this();
  ConnectToLan(m_context,
               [weak, generation](const std::error_code& error, asio::ip::tcp::socket socket) {
                 auto self = weak.lock();
                 if (!self || generation != self->m_lanGeneration) return;
                 self->m_connecting = false;
                 if (error) {
                   // No LAN there: the probes are lost, the waiting ModifyIPC calls fail now.
                   self->m_pending.clear();
                   self->FailModifies();
                   return;
                 }
                 self->OnLanConnected(generation, std::move(socket));
               });
}

void SearchService::OnLanConnected(unsigned generation, asio::ip::tcp::socket socket) {
  std::weak_ptr<SearchService> weak = weak_from_this();
  m_lan = std::make_shared<wire::FramedConnection>(std::move(socket));
  m_lan->Start(
      [weak](wire::Frame& frame) {
        if (auto self = weak.lock()) self->OnLanFrame(frame);
      },
      [weak, generation] {
        if (auto self = weak.lock()) self->OnLanLost(generation);
      });
  for (Pending& pending : m_pending)
    m_lan->Send(pending.type, pending.id, std::move(pending.payload));
  m_pending.clear();
}

void SearchService::OnLanLost(unsigned generation) {
  if (generation != m_lanGeneration) return;
  m_lan.reset();
  // Their answers would have come on this connection.
  FailModifies();
}

void SearchService::OnLanFrame(wire::Frame& frame) {
  if (frame.type == wire::MsgType::kProbeAnswer) {
    wire::DeviceInfo info;
    if (wire::Decode(frame.payload, &info)) OnProbeAnswer(frame.id, std::move(info));
  } else if (frame.type == wire::MsgType::kModifyResult) {
    bool accepted = false;
    if (!wire::DecodeFlag(frame.payload, &accepted)) return;
    if (auto found = m_modifyWaiters.find(frame.id); found != m_modifyWaiters.end()) {
      found->second->Set(accepted ? 0 : -1);
      m_modifyWaiters.erase(found);
    }
  }
}

void SearchService::OnProbeAnswer(std::uint32_t searchId, wire::DeviceInfo info) {
  if (info.serial.empty()) return;
  std::lock_guard lock(m_mutex);
  // Answers to an earlier search, or arriving after Stop, do not change the results.
  if (!m_active || searchId != m_searchId) return;
  Result result{MakeBlock(info), info.serial, info.ip, info.port};
  if (auto found = m_bySerial.find(info.serial); found != m_bySerial.end()) {
    m_results[found->second] = std::move(result);
    return;
  }
  m_bySerial.emplace(info.serial, m_results.size());
  m_results.push_back(std::move(result));
}

void SearchService::FailModifies() {
  for (auto& [id, waiter] : m_modifyWaiters) waiter->Set(-1);
  m_modifyWaiters.clear();
}

}  // namespace netsdk
