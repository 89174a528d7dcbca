#include "sdk/device_info_block.h"

#include <algorithm>
#include <cstring>

namespace sdk {

std::int32_t DeviceInfoBlock::Channel() const {
  const unsigned char* p = &m_bytes[kChannel.offset];
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

std::uint16_t DeviceInfoBlock::Port() const {
  const unsigned char* p = &m_bytes[kPort.offset];
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::string DeviceInfoBlock::Text(Field field) const {
  const char* begin = reinterpret_cast<const char*>(&m_bytes[field.offset]);
  return std::string(begin, strnlen(begin, field.size));
}

void DeviceInfoBlock::SetText(Field field, std::string_view text, std::size_t maxLength) {
  unsigned char* begin = &m_bytes[field.offset];
  std::memset(begin, 0, field.size);
  const std::size_t length = std::min({text.size(), maxLength, field.size - 1});
  std::memcpy(begin, text.data(), length);
}

}  // namespace sdk
