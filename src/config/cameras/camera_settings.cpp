#include "config/cameras/camera_settings.h"

#include <array>
#include <cstdio>

#include "platform/ansi_text.h"
#include "sdk/sdk.h"

namespace config {
namespace {

// Long enough for any value in force: a probe list or a credentials file's path.
constexpr int kOptionTextSize = 4096;

}  // namespace

CameraLibraryCalls::CameraLibraryCalls()
    : setUserOption(IP_NET_DVR_SetUserOption), getOption(IP_NET_DVR_GetOption) {}

const CameraOptionName& NameOf(CameraOption option) {
  return kCameraOptions[static_cast<std::size_t>(option)];
}

bool OptionInForce::Outranks() const {
  return source == NETSDK_OPTION_FILE || source == NETSDK_OPTION_ENVIRONMENT ||
         source == NETSDK_OPTION_CALL;
}

std::string OptionValue(const CameraChoice& choice, CameraOption option) {
  switch (option) {
    case CameraOption::kBackend:
      return choice.onvif ? "onvif" : "sim";
    case CameraOption::kScope:
      return choice.lan ? "lan" : "loopback";
    case CameraOption::kProbe:
      return choice.probe.trimmed().isEmpty() ? std::string("multicast")
                                              : platform::ToAnsi(choice.probe);
    case CameraOption::kCredentials: {
      std::string lines;
      for (const CameraCredential& credential : choice.credentials)
        lines +=
            platform::ToAnsi(credential.user) + ":" + platform::ToAnsi(credential.password) + "\n";
      return lines;
    }
    case CameraOption::kRestore:
      return choice.softRestore ? "soft" : "hard";
  }
  return {};
}

CameraSettings::CameraSettings(CameraLibraryCalls calls) : m_calls(std::move(calls)) {}

void CameraSettings::Load(const QString& directory) {
  m_directory = directory;
  const std::optional<CameraChoice> stored = LoadCameraChoice(directory);
  m_saved = stored.value_or(CameraChoice{});
  m_pending = stored.has_value();
}

bool CameraSettings::Save(const CameraChoice& choice) {
  m_saved = choice;
  m_pending = true;
  return StoreCameraChoice(choice, m_directory);
}

void CameraSettings::HandPendingToLibrary() {
  if (!m_pending) return;
  m_pending = false;
  for (const CameraOptionName& name : kCameraOptions) {
    const std::string value = OptionValue(m_saved, name.option);
    // Only the key is told: the value may be a password.
    if (m_calls.setUserOption(name.key, value.c_str()) != 0)
      std::fprintf(stderr, "ravendock: the device library refused the stored %s; ignored\n",
                   name.key);
  }
}

OptionInForce CameraSettings::InForce(CameraOption option) const {
  std::array<char, kOptionTextSize> text{};
  OptionInForce inForce;
  inForce.source = m_calls.getOption(NameOf(option).key, text.data(), kOptionTextSize);
  if (inForce.source >= 0) inForce.text = platform::FromAnsi(text.data(), text.size());
  return inForce;
}

}  // namespace config
