#include "config/config_set.h"

#include <bit>
#include <cstring>

#include "config/detail/layout_check.h"
#include "platform/ansi_text.h"

namespace config {
namespace {

constexpr bool Inside(int offset, int size) {
  return offset >= 0 && size >= 0 && offset <= kConfigSize - size;
}

std::uint32_t ReadLittleEndian(const std::uint8_t* p, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

void WriteLittleEndian(std::uint8_t* p, int size, std::uint32_t value) {
  for (int i = 0; i < size; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

ConfigSet::ConfigSet(const ConfigSet& other) : m_bytes(other.Image()) {}

ConfigSet& ConfigSet::operator=(const ConfigSet& other) {
  if (this != &other) SetImage(other.Image());
  return *this;
}

std::int32_t ConfigSet::Get(Int32Field field) const {
  if (!Inside(field.offset, 4)) return 0;
  std::lock_guard lock(m_mutex);
  return static_cast<std::int32_t>(ReadLittleEndian(&m_bytes[field.offset], 4));
}

void ConfigSet::Set(Int32Field field, std::int32_t value) {
  if (!Inside(field.offset, 4)) return;
  std::lock_guard lock(m_mutex);
  WriteLittleEndian(&m_bytes[field.offset], 4, static_cast<std::uint32_t>(value));
}

std::uint16_t ConfigSet::Get(Uint16Field field) const {
  if (!Inside(field.offset, 2)) return 0;
  std::lock_guard lock(m_mutex);
  return static_cast<std::uint16_t>(ReadLittleEndian(&m_bytes[field.offset], 2));
}

void ConfigSet::Set(Uint16Field field, std::uint16_t value) {
  if (!Inside(field.offset, 2)) return;
  std::lock_guard lock(m_mutex);
  WriteLittleEndian(&m_bytes[field.offset], 2, value);
}

std::uint8_t ConfigSet::Get(ByteField field) const {
  if (!Inside(field.offset, 1)) return 0;
  std::lock_guard lock(m_mutex);
  return m_bytes[field.offset];
}

void ConfigSet::Set(ByteField field, std::uint8_t value) {
  if (!Inside(field.offset, 1)) return;
  std::lock_guard lock(m_mutex);
  m_bytes[field.offset] = value;
}

float ConfigSet::Get(FloatField field) const {
  if (!Inside(field.offset, 4)) return 0.0f;
  std::lock_guard lock(m_mutex);
  return std::bit_cast<float>(ReadLittleEndian(&m_bytes[field.offset], 4));
}

void ConfigSet::Set(FloatField field, float value) {
  if (!Inside(field.offset, 4)) return;
  std::lock_guard lock(m_mutex);
  WriteLittleEndian(&m_bytes[field.offset], 4, std::bit_cast<std::uint32_t>(value));
}

QString ConfigSet::Get(TextField field) const {
  return platform::FromAnsi(GetAnsi(field));
}

void ConfigSet::Set(TextField field, const QString& text) {
  if (!Inside(field.offset, kTextFieldSize)) return;
  // Convert before taking the lock: the conversion is the slow part.
  char converted[kTextFieldSize];
  platform::CopyAnsiField(text, converted, sizeof converted);
  std::lock_guard lock(m_mutex);
  std::memcpy(&m_bytes[field.offset], converted, sizeof converted);
}

std::string ConfigSet::GetAnsi(TextField field) const {
  if (!Inside(field.offset, kTextFieldSize)) return {};
  std::lock_guard lock(m_mutex);
  // A hand-edited file may fill a field without a zero byte: the text then ends with the field.
  const auto* begin = reinterpret_cast<const char*>(&m_bytes[field.offset]);
  return std::string(begin, strnlen(begin, kTextFieldSize));
}

ConfigImage ConfigSet::Image() const {
  std::lock_guard lock(m_mutex);
  return m_bytes;
}

void ConfigSet::SetImage(const ConfigImage& image) {
  std::lock_guard lock(m_mutex);
  m_bytes = image;
}

void ConfigSet::Clear() {
  std::lock_guard lock(m_mutex);
  m_bytes.fill(0);
}

void ConfigSet::SetHeader() {
  {
    std::lock_guard lock(m_mutex);
    std::memcpy(&m_bytes[kMagicOffset], kMagic, kMagicSize);
  }
  Set(kVersion, kVersionValue);
  Set(kTotalSize, kConfigSize);
}

ConfigSet& ProcessConfigSet() {
  static ConfigSet set;
  return set;
}

}  // namespace config
