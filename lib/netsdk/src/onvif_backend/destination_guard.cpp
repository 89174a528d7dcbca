#include "onvif_backend/destination_guard.h"

namespace netsdk::onvif_backend {

bool UnicastAllowed(const asio::ip::address& address, Scope scope, std::string* why) {
  if (!address.is_v4()) {
    *why = address.to_string() + " is not an IPv4 address";
    return false;
  }
  const asio::ip::address_v4 v4 = address.to_v4();
  if (v4.is_multicast() || v4 == asio::ip::address_v4::broadcast() || v4.is_unspecified()) {
    *why = v4.to_string() + " is not a unicast address";
    return false;
  }
  if (scope == Scope::kLoopback && !v4.is_loopback()) {
    *why = v4.to_string() + " is outside 127.0.0.0/8 and the scope is loopback";
    return false;
  }
  return true;
}

bool HostAllowed(const std::string& host, Scope scope, std::string* why) {
  std::error_code error;
  const asio::ip::address_v4 address = asio::ip::make_address_v4(host, error);
  if (error) {
    *why = "'" + host + "' is not an IPv4 address";
    return false;
  }
  return UnicastAllowed(address, scope, why);
}

}  // namespace netsdk::onvif_backend
