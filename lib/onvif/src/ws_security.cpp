#include "onvif/ws_security.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "onvif/soap_xml.h"

namespace onvif {
namespace {

constexpr std::string_view kPasswordDigestType =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0"
    "#PasswordDigest";
constexpr std::string_view kBase64EncodingType =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-soap-message-security-1.0"
    "#Base64Binary";

// 0000-01-01T00:00:00Z and 9999-12-31T23:59:59Z.
constexpr std::int64_t kEarliestCreated = -62167219200;
constexpr std::int64_t kLatestCreated = 253402300799;

std::string Base64(std::string_view bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                      reinterpret_cast<const unsigned char*>(bytes.data()),
                                      static_cast<int>(bytes.size()));
  out.resize(written < 0 ? 0 : static_cast<std::size_t>(written));
  return out;
}

}  // namespace

std::string UsernameTokenHeader(std::string_view user, std::string_view password,
                                std::string_view nonceBytes, std::string_view createdUtc) {
  std::string material;
  material.reserve(nonceBytes.size() + createdUtc.size() + password.size());
  material.append(nonceBytes).append(createdUtc).append(password);
  unsigned char digest[SHA_DIGEST_LENGTH];
  unsigned int size = 0;
  if (EVP_Digest(material.data(), material.size(), digest, &size, EVP_sha1(), nullptr) != 1) {
    return {};
  }
  const std::string passwordDigest =
      Base64(std::string_view(reinterpret_cast<const char*>(digest), size));

  std::string xml = "<wsse:Security s:mustUnderstand=\"1\"><wsse:UsernameToken>";
  xml.append("<wsse:Username>").append(XmlEscape(user)).append("</wsse:Username>");
  xml.append("<wsse:Password Type=\"").append(kPasswordDigestType).append("\">");
  xml.append(passwordDigest).append("</wsse:Password>");
  xml.append("<wsse:Nonce EncodingType=\"").append(kBase64EncodingType).append("\">");
  xml.append(Base64(nonceBytes)).append("</wsse:Nonce>");
  xml.append("<wsu:Created>").append(XmlEscape(createdUtc)).append("</wsu:Created>");
  xml.append("</wsse:UsernameToken></wsse:Security>");
  return xml;
}

std::string FormatCreated(std::int64_t unixSeconds) {
  using namespace std::chrono;
  const sys_seconds instant{seconds(std::clamp(unixSeconds, kEarliestCreated, kLatestCreated))};
  const sys_days day = floor<days>(instant);
  const year_month_day date(day);
  const hh_mm_ss time(instant - day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

std::string RandomNonce() {
  std::string nonce(kNonceBytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(nonce.data()), static_cast<int>(nonce.size())) !=
      1) {
    return {};
  }
  return nonce;
}

}  // namespace onvif
