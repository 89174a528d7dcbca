// The http:// and rtsp:// addresses devices hand out: parsed strictly enough to check where they
// point, and rewritten to the host that answered when a device advertises another one.
#pragma once

#include <cstdint>
#include <string>

namespace netsdk::onvif_backend {

struct Url {
  std::string scheme;  // http or rtsp, lower case
  std::string host;    // as written; IPv6 literals are not accepted
  std::uint16_t port = 0;
  std::string path;  // from the first '/' on, query included; "/" when absent

  std::string Authority() const { return host + ":" + std::to_string(port); }
  std::string ToString() const { return scheme + "://" + Authority() + path; }
};

// false for another scheme, user information, a bad port or characters that do not belong in a
// URL (blanks, controls, quotes).
bool ParseUrl(const std::string& text, Url* url);

// url with the host of `answered` when its own differs (and then the port too, for the same
// scheme): devices behind NAT or with several interfaces
// advertise addresses the library cannot reach, while the address that answered is known to work.
Url WithAuthorityOf(Url url, const Url& answered);

}  // namespace netsdk::onvif_backend
