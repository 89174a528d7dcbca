// What a server needs of HTTP authentication, shared by the ONVIF services and the RTSP server:
// the realm every device challenges with, the auth-params of a Digest credential, the user and
// password of a Basic one, and hex digests compared in constant time.
#pragma once

#include <openssl/evp.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace camsim::detail {

constexpr std::string_view kDigestRealm = "camsim";

// The auth-params of a "Digest k=v, k="v"" credential, names in lower case; nullopt when the
// value is not one, or names a parameter twice.
std::optional<std::map<std::string, std::string>> DigestParams(std::string_view text);
// "user:password" of a "Basic <base64>" credential; nullopt when the value is not one.
std::optional<std::string> BasicCredential(std::string_view text);
// Lower-case hex of md over data; empty when the digest fails.
std::string HexDigest(const EVP_MD* md, std::string_view data);
// Equal and not empty, compared in constant time.
bool SameSecret(std::string_view a, std::string_view b);

}  // namespace camsim::detail
