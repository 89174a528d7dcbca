#include "wire/endpoint.h"

#include <charconv>

namespace wire {
namespace {

bool ParseNumber(const std::string& text, unsigned long max, unsigned long* value) {
  if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) return false;
  unsigned long number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number > max) return false;
  *value = number;
  return true;
}

}  // namespace

bool ParseIPv4(const std::string& text, std::uint32_t* address) {
  std::uint32_t result = 0;
  std::size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = text.find('.', start);
    if ((part < 3) == (dot == std::string::npos)) return false;
    unsigned long number = 0;
    if (!ParseNumber(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start),
                     255, &number)) {
      return false;
    }
    result = (result << 8) | static_cast<std::uint32_t>(number);
    start = dot + 1;
  }
  *address = result;
  return true;
}

bool ParseLoopbackEndpoint(const std::string& text, bool allowPortZero, Endpoint* endpoint,
                           std::string* why) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) {
    *why = "expected ADDRESS:PORT";
    return false;
  }
  const std::string host = text.substr(0, colon);
  std::uint32_t address = 0;
  if (!ParseIPv4(host, &address)) {
    *why = "'" + host + "' is not an IPv4 address";
    return false;
  }
  if ((address >> 24) != 127) {
    *why = "'" + host + "' is not a loopback address (127.0.0.0/8)";
    return false;
  }
  unsigned long port = 0;
  if (!ParseNumber(text.substr(colon + 1), 65535, &port) || (port == 0 && !allowPortZero)) {
    *why = "'" + text.substr(colon + 1) + "' is not a port number";
    return false;
  }
  endpoint->host = host;
  endpoint->port = static_cast<std::uint16_t>(port);
  return true;
}

}  // namespace wire
