// The WS-Security UsernameToken header (password digest form), for devices that take their
// credentials inside the SOAP message instead of through an HTTP digest challenge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace onvif {

// Nonce length; the token profile asks for enough randomness that a nonce never repeats.
inline constexpr std::size_t kNonceBytes = 16;

// The wsse:Security header element for Envelope()'s header, whose declarations of the s, wsse and
// wsu prefixes it relies on. PasswordDigest = Base64(SHA1(nonce + created + password)) over the
// raw bytes; the password itself is never sent. Empty when the digest cannot be computed.
std::string UsernameTokenHeader(std::string_view user, std::string_view password,
                                std::string_view nonceBytes, std::string_view createdUtc);

// The instant as YYYY-MM-DDThh:mm:ssZ. Instants outside the years 0000-9999 are clamped to them,
// the range four year digits can write.
std::string FormatCreated(std::int64_t unixSeconds);

// kNonceBytes bytes from the OpenSSL generator; empty if it cannot supply them, so a predictable
// nonce is never used.
std::string RandomNonce();

}  // namespace onvif
