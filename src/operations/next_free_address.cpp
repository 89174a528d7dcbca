#include "operations/next_free_address.h"

#include <cstdlib>

namespace operations {
namespace {

// The number after the last '.', as the devices' addresses write it.
int LastNumber(const std::string& address) {
  const std::size_t dot = address.rfind('.');
  return std::atoi(address.c_str() + (dot == std::string::npos ? 0 : dot + 1));
}

}  // namespace

bool IsDottedQuad(const std::string& text) {
  int parts = 0;
  std::size_t i = 0;
  while (i <= text.size()) {
    std::size_t digits = 0;
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
      value = value * 10 + (text[i] - '0');
      ++digits;
      ++i;
    }
    if (digits == 0 || digits > 3 || value > 255) return false;
    ++parts;
    if (i == text.size()) return parts == 4;
    if (text[i] != '.' || parts == 4) return false;
    ++i;
  }
  return false;
}

std::string AddressPrefix(const std::string& address) {
  const std::size_t dot = address.rfind('.');
  return dot == std::string::npos ? std::string() : address.substr(0, dot + 1);
}

std::string GatewayFor(const std::string& pcAddress, const StartAddressSettings& settings) {
  return settings.mode == 1 ? settings.gateway : AddressPrefix(pcAddress) + "1";
}

int NextFreeAddress(const std::string& pcAddress, const StartAddressSettings& settings,
                    const std::function<bool(const std::string&)>& taken, std::string* out) {
  if (out == nullptr || !IsDottedQuad(pcAddress)) return -1;
  if (settings.mode == 1 && !IsDottedQuad(settings.startAddress)) return -1;
  const int own = LastNumber(pcAddress);
  const std::string& source = settings.mode == 1 ? settings.startAddress : pcAddress;
  const std::string prefix = AddressPrefix(source);
  const std::string gateway = GatewayFor(pcAddress, settings);
  int n = settings.mode == 1 ? LastNumber(source) : kFirstHostNumber;
  for (;; ++n) {
    if (n < kLowestHostNumber) n = kLowestHostNumber;
    // The PC's own host number is skipped, also in start-address mode.
    if (n == own) ++n;
    if (n > kHighestHostNumber) return -2;
    const std::string candidate = prefix + std::to_string(n);
    if (candidate != gateway && !taken(candidate)) {
      *out = candidate;
      return 0;
    }
  }
}

}  // namespace operations
