#include "onvif_backend/url.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace netsdk::onvif_backend {

bool ParseUrl(const std::string& text, Url* url) {
  const std::size_t schemeEnd = text.find("://");
  if (schemeEnd == std::string::npos || text.size() > 2048) return false;
  std::string scheme = text.substr(0, schemeEnd);
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::uint16_t port = 0;
  if (scheme == "http") {
    port = 80;
  } else if (scheme == "rtsp") {
    port = 554;
  } else {
    return false;
  }
  if (std::any_of(text.begin(), text.end(), [](unsigned char c) {
        return c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\';
      })) {
    return false;
  }
  const std::size_t authorityStart = schemeEnd + 3;
  const std::size_t pathStart = text.find_first_of("/?", authorityStart);
  const std::string authority = text.substr(authorityStart, pathStart - authorityStart);
  if (authority.empty() || authority.find('@') != std::string::npos ||
      authority.find('[') != std::string::npos) {
    return false;
  }
  const std::size_t colon = authority.find(':');
  const std::string host = authority.substr(0, colon);
  if (host.empty()) return false;
  if (colon != std::string::npos) {
    const std::string portText = authority.substr(colon + 1);
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(portText.data(), portText.data() + portText.size(), value);
    if (portText.empty() || error != std::errc() || end != portText.data() + portText.size() ||
        value == 0 || value > 65535) {
      return false;
    }
    port = static_cast<std::uint16_t>(value);
  }
  url->scheme = scheme;
  url->host = host;
  url->port = port;
  url->path = pathStart == std::string::npos ? "/" : text.substr(pathStart);
  if (url->path[0] == '?') url->path.insert(url->path.begin(), '/');
  return true;
}

Url WithAuthorityOf(Url url, const Url& answered) {
  if (url.host == answered.host) return url;
  url.host = answered.host;
  if (url.scheme == answered.scheme) url.port = answered.port;
  return url;
}

}  // namespace netsdk::onvif_backend
