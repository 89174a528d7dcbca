// Page 9, "音频编码" (dialog 143): the audio-encoding group. Its controls are not built yet; the
// page already takes its place in the tree and the page map.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_MEDIA_AUDIO_CODE = 143;

class CMediaAudioCodeDlg : public SettingsPage {
 public:
  explicit CMediaAudioCodeDlg(QWidget* parent);
};

}  // namespace config
