// The configuration set: the 12324-byte image that holds every setting that outlives a run, with
// typed accessors at the positions of config_fields.h.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "config/config_fields.h"

namespace config {

using ConfigImage = std::array<std::uint8_t, kConfigSize>;

// Pages and main-window handlers write the process-wide set on the window thread while push
// threads read it; every access takes the set's own lock, so a reader sees each field whole
// (a text never half-copied), though not a group as of one instant.
//
// Integers are little-endian whatever the host. A field that does not lie inside the image reads
// as zero or empty and is not written.
class ConfigSet {
 public:
  ConfigSet() = default;
  ConfigSet(const ConfigSet& other);
  ConfigSet& operator=(const ConfigSet& other);

  std::int32_t Get(Int32Field field) const;
  void Set(Int32Field field, std::int32_t value);
  std::uint16_t Get(Uint16Field field) const;
  void Set(Uint16Field field, std::uint16_t value);
  std::uint8_t Get(ByteField field) const;
  void Set(ByteField field, std::uint8_t value);
  float Get(FloatField field) const;
  void Set(FloatField field, float value);

  // Text up to the first zero byte or the end of the field, converted from GBK.
  QString Get(TextField field) const;
  // Stores at most 255 bytes of GBK (cut at a character boundary) and zeroes the rest of the field.
  void Set(TextField field, const QString& text);
  // The field's GBK bytes as stored, up to the first zero byte or the end of the field.
  std::string GetAnsi(TextField field) const;

  ConfigImage Image() const;
  void SetImage(const ConfigImage& image);
  void Clear();

  // Writes the header a stored file carries: magic with its zero byte, version 1.2, total size.
  // The reserved header bytes are left as they are.
  void SetHeader();

 private:
  mutable std::mutex m_mutex;
  ConfigImage m_bytes{};
};

// The one block the whole process shares; all zero until loaded or set.
ConfigSet& ProcessConfigSet();

}  // namespace config
