#include "onvif_backend/onvif_services.h"

namespace netsdk::onvif_backend {

void DeviceDirectory::Remember(const std::string& ip, const KnownDevice& device) {
  std::lock_guard lock(m_mutex);
  m_byAddress[ip] = device;
}

std::optional<KnownDevice> DeviceDirectory::AtAddress(const std::string& ip) const {
  std::lock_guard lock(m_mutex);
  auto found = m_byAddress.find(ip);
  if (found == m_byAddress.end()) return std::nullopt;
  return found->second;
}

std::string DeviceDirectory::StableSerial(const std::string& endpoint, const std::string& serial) {
  std::lock_guard lock(m_mutex);
  return m_serials.emplace(endpoint, serial).first->second;
}

}  // namespace netsdk::onvif_backend
