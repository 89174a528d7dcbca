#include "config/requests/group_requests.h"

#include <array>
#include <cstddef>

#include "config/requests/group_builders.h"

namespace config {
namespace {

struct PasswordPair {
  TextField password;
  TextField confirmation;
};

struct GroupRequestRule {
  std::string (*build)(const ConfigSet& set);
  // The longest text the group may send: its buffer less the terminating zero.
  std::size_t limit;
  std::optional<PasswordPair> password;
};

// Indexed by PushGroup. Ethernet's buffer is 4096 bytes, but its text has always been held to the
// 2047 bytes of the 2048-byte groups; a longer one is refused rather than risked.
constexpr std::array<GroupRequestRule, kPushGroupCount> kRules{{
    {requests::BuildEthernet, 2047, std::nullopt},
    {requests::BuildCloud, 2047, std::nullopt},
    {requests::BuildFtp, 2047, std::nullopt},
    {requests::BuildSmtp, 4095, PasswordPair{kSmtpPassword, kSmtpPasswordConfirm}},
    {requests::BuildStreaming, 1023, std::nullopt},
    {requests::BuildPlatformAccess, 1023, std::nullopt},
    {requests::BuildVideoCapture, 2047, std::nullopt},
    {requests::BuildTimeTitle, 2047, std::nullopt},
    {requests::BuildVideoEncoding, 2047, std::nullopt},
    {requests::BuildAudioEncoding, 1023, std::nullopt},
    {requests::BuildMotion, 2047, std::nullopt},
    {requests::BuildAccount, 2047, PasswordPair{kAccountPassword, kAccountPasswordConfirm}},
    {requests::BuildClock, 1023, std::nullopt},
    {requests::BuildMaintenance, 2047, std::nullopt},
    {requests::BuildLanguage, 1023, std::nullopt},
}};

}  // namespace

std::optional<std::string> BuildGroupRequest(PushGroup group, const ConfigSet& set) {
  const auto index = static_cast<std::size_t>(group);
  if (index >= kRules.size()) return std::nullopt;
  const GroupRequestRule& rule = kRules[index];
  // Pages may write the process-wide set meanwhile; one copy keeps the document consistent.
  const ConfigSet snapshot(set);
  if (!PasswordsAgree(group, snapshot)) return std::nullopt;
  std::string text = rule.build(snapshot);
  if (text.size() > rule.limit) return std::nullopt;
  return text;
}

bool PasswordsAgree(PushGroup group, const ConfigSet& set) {
  const auto index = static_cast<std::size_t>(group);
  if (index >= kRules.size() || !kRules[index].password) return true;
  const PasswordPair& pair = *kRules[index].password;
  return set.GetAnsi(pair.password) == set.GetAnsi(pair.confirmation);
}

}  // namespace config
