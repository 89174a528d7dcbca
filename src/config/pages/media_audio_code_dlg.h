// Page 9, "音频编码" (dialog 143): the audio-encoding group.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_MEDIA_AUDIO_CODE = 143;
constexpr int IDC_AUDIO_CODE_ENABLE = 1186;
constexpr int IDC_AUDIO_CODE_ENCODE = 1187;
constexpr int IDC_AUDIO_CODE_TYPE = 1188;
constexpr int IDC_AUDIO_CODE_SAMPLE_RATE = 1022;
constexpr int IDC_AUDIO_CODE_BITRATE = 1189;
constexpr int IDC_AUDIO_CODE_SAVE = 1190;

class CMediaAudioCodeDlg : public SettingsPage {
 public:
  explicit CMediaAudioCodeDlg(QWidget* parent);
};

}  // namespace config
