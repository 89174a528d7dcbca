// The request documents of the fifteen configuration groups: what a push sends to a device for
// each group, built from the configuration set alone.
#pragma once

#include <optional>
#include <string>

#include "config/config_set.h"

namespace config {

// The fifteen groups in response-flag order (do not change the order or numbering).
enum class PushGroup {
  kEthernet = 0,
  kCloud,
  kFtp,
  kSmtp,
  kStreaming,
  kPlatformAccess,
  kVideoCapture,
  kTimeTitle,
  kVideoEncoding,
  kAudioEncoding,
  kMotion,
  kAccount,
  kClock,
  kMaintenance,
  kLanguage
};
inline constexpr int kPushGroupCount = 15;

// The group's request document built from one copy of the set, serialised in TinyXML's compact
// stream form (the exact bytes the device gets, without a terminating zero). std::nullopt when the
// group must not be sent: the document is longer than the group's limit (a cut document would be
// malformed XML or a silently shortened value), or the group carries a password whose
// confirmation field differs (the account and SMTP groups), since a mistyped password would lock
// the installer out of every device at once. A group outside the fifteen gives std::nullopt too.
std::optional<std::string> BuildGroupRequest(PushGroup group, const ConfigSet& set);

// False when the group carries a password that differs from its confirmation: no attempt of the
// push could ever send it.
bool PasswordsAgree(PushGroup group, const ConfigSet& set);

}  // namespace config
