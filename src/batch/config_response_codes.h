// The configuration command codes whose answers the response callback records, indexed by the
// record's response flag: the flags are in group order Ethernet, cloud, FTP, SMTP, streaming,
// platform access, video capture, time and title, video encoding, audio encoding, motion
// detection, account, clock, maintenance, language.
#pragma once

#include <array>

#include "discovery/device_record.h"

namespace batch {

inline constexpr std::array<int, discovery::kConfigGroupCount> kConfigResponseCodes = {
    325,  // Ethernet
    335,  // cloud
    421,  // FTP
    422,  // SMTP
    620,  // streaming
    670,  // platform access
    524,  // video capture
    525,  // time and title
    523,  // video encoding
    522,  // audio encoding
    822,  // motion detection
    223,  // account
    222,  // clock
    228,  // maintenance
    227,  // language
};

// The response flag index of a configuration command code; -1 for any other code.
constexpr int ConfigFlagIndex(int code) {
  for (int i = 0; i < static_cast<int>(kConfigResponseCodes.size()); ++i) {
    if (kConfigResponseCodes[i] == code) return i;
  }
  return -1;
}

static_assert(ConfigFlagIndex(325) == 0 && ConfigFlagIndex(227) == 14);
static_assert(ConfigFlagIndex(1009) == -1);

}  // namespace batch
