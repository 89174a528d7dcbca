#include "platform/host_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <memory>
#include <mutex>

namespace platform {
namespace {

std::string AddressText(const sockaddr_in* address) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
  return text;
}

bool IsLoopback(const sockaddr_in* address) {
  return (ntohl(address->sin_addr.s_addr) >> 24) == 127;
}

std::mutex g_overrideMutex;
std::optional<std::string> g_override;

std::string FromInterfaces() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};
  std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owner(list, freeifaddrs);
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    if (!IsLoopback(address)) return AddressText(address);
  }
  return {};
}

std::string FromHostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* result = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &result) != 0 || result == nullptr) return {};
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(result, freeaddrinfo);
  const auto* address = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
  return IsLoopback(address) ? std::string() : AddressText(address);
}

}  // namespace

std::string PcAddress() {
  {
    std::lock_guard lock(g_overrideMutex);
    if (g_override) return *g_override;
  }
  std::string address = FromInterfaces();
  if (address.empty()) address = FromHostName();
  return address;
}

void SetPcAddressForTesting(std::optional<std::string> address) {
  std::lock_guard lock(g_overrideMutex);
  g_override = std::move(address);
}

}  // namespace platform
