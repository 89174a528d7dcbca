// How the settings pages turn what a control shows into a field of the configuration set.
#pragma once

#include <QString>
#include <cstdint>

#include "config/config_fields.h"
#include "config/config_set.h"

namespace config {

// The integer conversion of a number edit: optional leading blanks and sign, then the leading
// decimal digits; no digits give 0. Values beyond the int32 range saturate rather than wrap, so a
// long run of digits can never turn into an unrelated port.
std::int32_t WideToInt(const QString& text);

// An address control's dotted text: at most 255 bytes of it and a zero byte after it; the rest of
// the field is left as it was (only the text up to the zero byte is ever read or sent).
void StoreAddressText(ConfigSet& set, TextField field, const QString& text);

}  // namespace config
