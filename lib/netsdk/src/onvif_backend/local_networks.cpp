#include "onvif_backend/local_networks.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <chrono>
#include <mutex>

namespace netsdk::onvif_backend {
namespace {

std::vector<LocalInterface> ReadInterfaces() {
  std::vector<LocalInterface> interfaces;
  ifaddrs* all = nullptr;
  if (getifaddrs(&all) != 0) return interfaces;
  for (const ifaddrs* entry = all; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_netmask == nullptr ||
        entry->ifa_addr->sa_family != AF_INET || (entry->ifa_flags & IFF_UP) == 0 ||
        (entry->ifa_flags & IFF_LOOPBACK) != 0) {
      continue;
    }
    LocalInterface local;
    local.address = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
    local.mask = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr);
    local.multicast = (entry->ifa_flags & IFF_MULTICAST) != 0;
    interfaces.push_back(local);
  }
  freeifaddrs(all);
  return interfaces;
}

}  // namespace

std::vector<LocalInterface> LocalInterfaces() {
  static std::mutex mutex;
  static std::vector<LocalInterface> cached;
  static std::chrono::steady_clock::time_point readAt;
  static bool read = false;
  std::lock_guard lock(mutex);
  const auto now = std::chrono::steady_clock::now();
  if (!read || now - readAt > std::chrono::duration<double, std::milli>(kLocalNetworksRefreshMs)) {
    cached = ReadInterfaces();
    readAt = now;
    read = true;
  }
  return cached;
}

bool OnLocalNetwork(std::uint32_t address, const std::vector<LocalInterface>& interfaces) {
  for (const LocalInterface& local : interfaces) {
    // A /32 or /31 still names its own hosts; a zero mask would name the whole Internet.
    if (local.mask != 0 && (address & local.mask) == (local.address & local.mask)) return true;
  }
  return false;
}

}  // namespace netsdk::onvif_backend
