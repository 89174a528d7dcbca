// What the request tests share: a group's document or a marker when it is not sent, raw bytes
// in a text field (as a hand-edited config.dat could hold them), and the int32 extremes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "config/requests/group_requests.h"

namespace config {

inline const std::string kNotSent = "(not sent)";
inline constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

inline std::string Request(PushGroup group, const ConfigSet& set) {
  return BuildGroupRequest(group, set).value_or(kNotSent);
}

inline void SetBytes(ConfigSet& set, TextField field, std::string_view bytes) {
  ConfigImage image = set.Image();
  std::fill_n(image.begin() + field.offset, kTextFieldSize, std::uint8_t{0});
  std::copy(bytes.begin(), bytes.end(), image.begin() + field.offset);
  set.SetImage(image);
}

}  // namespace config
