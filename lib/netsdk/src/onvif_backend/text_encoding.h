// The program's texts are GBK, ONVIF's are UTF-8: every text crosses here on its way in or out.
// Binary values travel in base64.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace netsdk::onvif_backend {

// nullopt when the bytes are not valid in the encoding they are read in, or the text has no form
// in the other one.
std::optional<std::string> GbkToUtf8(std::string_view gbk);
std::optional<std::string> Utf8ToGbk(std::string_view utf8);
// For texts a device sends for display: what cannot be converted becomes '?'.
std::string Utf8ToGbkLossy(std::string_view utf8);

// ASCII letters in one case; other bytes (GBK, UTF-8) as they are.
std::string AsciiLower(std::string text);
std::string AsciiUpper(std::string text);

// Standard base64 with padding.
std::string Base64(std::string_view bytes);

}  // namespace netsdk::onvif_backend
