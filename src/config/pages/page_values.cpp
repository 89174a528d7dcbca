#include "config/pages/page_values.h"

#include <algorithm>
#include <limits>
#include <string>

#include "platform/ansi_text.h"

namespace config {

std::int32_t WideToInt(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i].isSpace()) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i].unicode() - u'0');
    // One past the limit still tells INT_MIN from an overflow.
    if (value > kLimit + 1) value = kLimit + 1;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(value > kLimit ? kLimit : value);
}

void StoreAddressText(ConfigSet& set, TextField field, const QString& text) {
  if (field.offset < 0 || field.offset + kTextFieldSize > kConfigSize) return;
  const std::string ansi = platform::ToAnsi(text, kTextFieldSize - 1);
  // Pages are the only writers and run on the window thread, so reading the image and handing it
  // back whole cannot lose another writer's change, and a push thread never sees half a text.
  ConfigImage image = set.Image();
  std::copy(ansi.begin(), ansi.end(), image.begin() + field.offset);
  image[static_cast<std::size_t>(field.offset) + ansi.size()] = 0;
  set.SetImage(image);
}

}  // namespace config
