#include "sim/detail/onvif_ids.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>

namespace camsim::detail {
namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    text += kHex[bytes[i] >> 4];
    text += kHex[bytes[i] & 0xf];
  }
  return text;
}

void RandomBytes(std::uint8_t* bytes, std::size_t count) {
  if (RAND_bytes(bytes, static_cast<int>(count)) == 1) return;
  // Only the simulator's own identifiers depend on this; a weaker source still keeps them apart.
  std::random_device device;
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(device());
}

std::string FormatUuid(std::array<std::uint8_t, 16> bytes, std::uint8_t version) {
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0f) | (version << 4));
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3f) | 0x80);
  const std::string hex = Hex(bytes.data(), bytes.size());
  return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
         hex.substr(16, 4) + "-" + hex.substr(20);
}

}  // namespace

std::string RandomHex(std::size_t count) {
  std::string bytes(count, '\0');
  RandomBytes(reinterpret_cast<std::uint8_t*>(bytes.data()), count);
  return Hex(reinterpret_cast<const std::uint8_t*>(bytes.data()), count);
}

std::string RandomUuid() {
  std::array<std::uint8_t, 16> bytes{};
  RandomBytes(bytes.data(), bytes.size());
  return FormatUuid(bytes, 4);
}

std::string SerialUuid(const std::string& serial) {
  const std::string name = "camsim device " + serial;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  std::array<std::uint8_t, 16> bytes{};
  if (EVP_Digest(name.data(), name.size(), digest, &size, EVP_sha1(), nullptr) == 1 && size >= 16) {
    std::copy(digest, digest + 16, bytes.begin());
  } else {
    // Still stable: the serial's own bytes.
    for (std::size_t i = 0; i < serial.size(); ++i)
      bytes[i % 16] ^= static_cast<std::uint8_t>(serial[i]);
  }
  return FormatUuid(bytes, 5);
}

}  // namespace camsim::detail
