#include "sim/detail/digest_credentials.h"

#include <openssl/crypto.h>

#include "sim/detail/message_head.h"

namespace camsim::detail {

std::optional<std::map<std::string, std::string>> DigestParams(std::string_view text) {
  if (text.size() < 7 || Lower(text.substr(0, 6)) != "digest" || text[6] != ' ') {
    return std::nullopt;
  }
  std::map<std::string, std::string> params;
  std::size_t pos = 7;
  auto skipSpace = [&] {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  };
  for (;;) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == ',')) ++pos;
    if (pos >= text.size()) break;
    const std::size_t nameStart = pos;
    while (pos < text.size() && IsTokenChar(static_cast<unsigned char>(text[pos]))) ++pos;
    if (pos == nameStart) return std::nullopt;
    std::string name = Lower(text.substr(nameStart, pos - nameStart));
    skipSpace();
    if (pos >= text.size() || text[pos] != '=') return std::nullopt;
    ++pos;
    skipSpace();
    std::string value;
    if (pos < text.size() && text[pos] == '"') {
      ++pos;
      bool closed = false;
      while (pos < text.size()) {
        char c = text[pos++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\') {
          if (pos >= text.size()) return std::nullopt;
          c = text[pos++];
        }
        value += c;
      }
      if (!closed) return std::nullopt;
    } else {
      const std::size_t valueStart = pos;
      while (pos < text.size() && IsTokenChar(static_cast<unsigned char>(text[pos]))) ++pos;
      if (pos == valueStart) return std::nullopt;
      value = std::string(text.substr(valueStart, pos - valueStart));
    }
    if (!params.emplace(std::move(name), std::move(value)).second) return std::nullopt;
    skipSpace();
    if (pos < text.size() && text[pos] != ',') return std::nullopt;
  }
  return params;
}

std::optional<std::string> BasicCredential(std::string_view text) {
  if (text.size() < 7 || Lower(text.substr(0, 6)) != "basic ") return std::nullopt;
  std::string_view encoded = text.substr(6);
  while (!encoded.empty() && encoded.front() == ' ') encoded.remove_prefix(1);
  while (!encoded.empty() && encoded.back() == ' ') encoded.remove_suffix(1);
  if (encoded.empty() || encoded.size() % 4 != 0) return std::nullopt;
  std::string decoded(encoded.size() / 4 * 3, '\0');
  const int written = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(decoded.data()),
                                      reinterpret_cast<const unsigned char*>(encoded.data()),
                                      static_cast<int>(encoded.size()));
  if (written < 0) return std::nullopt;
  // The block decoder counts the padding as zero bytes.
  std::size_t size = static_cast<std::size_t>(written);
  for (std::size_t i = encoded.size(); i > 0 && encoded[i - 1] == '=' && size > 0; --i) --size;
  decoded.resize(size);
  if (decoded.find(':') == std::string::npos) return std::nullopt;
  return decoded;
}

std::string HexDigest(const EVP_MD* md, std::string_view data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(data.data(), data.size(), digest, &size, md, nullptr) != 1) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0xf];
  }
  return hex;
}

bool SameSecret(std::string_view a, std::string_view b) {
  return a.size() == b.size() && !a.empty() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace camsim::detail
