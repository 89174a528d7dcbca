// HTTP digest authentication for a client (RFC 7616, with the RFC 2617 and RFC 2069 forms older
// devices still answer with): reading the server's challenge, writing the Authorization value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace onvif {

enum class DigestAlgorithm { kMd5, kMd5Sess, kSha256, kSha256Sess };

struct DigestChallenge {
  std::string realm;
  std::string nonce;
  std::optional<std::string> opaque;  // echoed back unchanged when the server sent one
  bool qopAuth = false;               // the server offered qop=auth; false means the RFC 2069 form
  bool stale = false;  // the nonce expired: retry with it, the credentials were not refused
  DigestAlgorithm algorithm = DigestAlgorithm::kMd5;
};

// The Digest challenge to answer from a WWW-Authenticate value, which may hold several challenges
// of several schemes. SHA-256 is preferred over MD5 when both are offered, otherwise the first
// usable one is taken. nullopt when the value does not parse or holds no usable Digest challenge
// (realm or nonce missing, an unknown algorithm, or only qop=auth-int, which needs the body).
std::optional<DigestChallenge> ParseDigestChallenge(std::string_view wwwAuthenticate);

struct DigestRequest {
  std::string_view method;  // e.g. POST
  std::string_view uri;     // the request target as sent, e.g. /onvif/device_service
  std::string_view user;
  std::string_view password;
  std::uint32_t nc = 1;     // how many times this nonce has been used, counting this request
  std::string_view cnonce;  // the client's nonce; required when the challenge offers qop=auth
};

// A fresh client nonce: random bytes in hex, safe in any header.
std::string HexNonce();

// The Authorization header value answering the challenge. nullopt when a value that is sent
// would break the header: a control character in the method, uri, user or cnonce, or a missing
// cnonce where qop=auth is used.
std::optional<std::string> DigestAuthorization(const DigestChallenge& challenge,
                                               const DigestRequest& request);

}  // namespace onvif
