#include "wire/codec.h"

namespace wire {
namespace {

template <typename T>
void PutLe(std::vector<std::uint8_t>& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

template <typename T>
T GetLe(const std::uint8_t* in) {
  T value = 0;
  for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<T>((value << 8) | in[i]);
  return value;
}

}  // namespace

Writer& Writer::U8(std::uint8_t value) {
  m_bytes.push_back(value);
  return *this;
}

Writer& Writer::U16(std::uint16_t value) {
  PutLe(m_bytes, value);
  return *this;
}

Writer& Writer::U32(std::uint32_t value) {
  PutLe(m_bytes, value);
  return *this;
}

Writer& Writer::U64(std::uint64_t value) {
  PutLe(m_bytes, value);
  return *this;
}

Writer& Writer::Str(const std::string& value) {
  U32(static_cast<std::uint32_t>(value.size()));
  return Raw(reinterpret_cast<const std::uint8_t*>(value.data()), value.size());
}

Writer& Writer::Raw(const std::uint8_t* data, std::size_t size) {
  m_bytes.insert(m_bytes.end(), data, data + size);
  return *this;
}

bool Reader::Take(std::size_t count) {
  if (!m_ok || count > m_size - m_pos) {
    m_ok = false;
    return false;
  }
  return true;
}

std::uint8_t Reader::U8() {
  if (!Take(1)) return 0;
  return m_data[m_pos++];
}

std::uint16_t Reader::U16() {
  if (!Take(2)) return 0;
  const auto value = GetLe<std::uint16_t>(m_data + m_pos);
  m_pos += 2;
  return value;
}

std::uint32_t Reader::U32() {
  if (!Take(4)) return 0;
  const auto value = GetLe<std::uint32_t>(m_data + m_pos);
  m_pos += 4;
  return value;
}

std::uint64_t Reader::U64() {
  if (!Take(8)) return 0;
  const auto value = GetLe<std::uint64_t>(m_data + m_pos);
  m_pos += 8;
  return value;
}

std::string Reader::Str(std::size_t maxLength) {
  const std::uint32_t length = U32();
  if (!m_ok) return {};
  if (length > maxLength || !Take(length)) {
    m_ok = false;
    return {};
  }
  std::string value(reinterpret_cast<const char*>(m_data + m_pos), length);
  m_pos += length;
  return value;
}

const std::uint8_t* Reader::Rest(std::size_t* size) {
  if (!m_ok) {
    *size = 0;
    return nullptr;
  }
  *size = m_size - m_pos;
  const std::uint8_t* rest = m_data + m_pos;
  m_pos = m_size;
  return rest;
}

}  // namespace wire
