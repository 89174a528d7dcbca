// Page 6, "视频采集设置" (dialog 140): the video-capture group — the IR-cut filter with its night
// period, the picture values and the capture modes.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_MEDIA_CAPTURE = 140;
constexpr int IDC_CAPTURE_ENABLE = 1153;
constexpr int IDC_CAPTURE_IRCUT_MODE = 1154;
constexpr int IDC_CAPTURE_KEEP_COLOR = 1155;
constexpr int IDC_CAPTURE_IRCUT_SENSITIVITY = 1156;
constexpr int IDC_CAPTURE_NIGHT_START = 1168;
constexpr int IDC_CAPTURE_NIGHT_END = 1169;
constexpr int IDC_CAPTURE_BRIGHTNESS = 1092;
constexpr int IDC_CAPTURE_SATURATION = 1094;
constexpr int IDC_CAPTURE_SHARPNESS = 1091;
constexpr int IDC_CAPTURE_CONTRAST = 1095;
constexpr int IDC_CAPTURE_BACKLIGHT = 1093;
constexpr int IDC_CAPTURE_TV_SYSTEM = 1160;
constexpr int IDC_CAPTURE_DAY_NIGHT = 1161;
constexpr int IDC_CAPTURE_WHITE_BALANCE = 1162;
constexpr int IDC_CAPTURE_SWITCH_2A = 1163;
constexpr int IDC_CAPTURE_BINNING_SKIP = 1164;
constexpr int IDC_CAPTURE_HFLIP = 1165;
constexpr int IDC_CAPTURE_VFLIP = 1166;
constexpr int IDC_CAPTURE_SAVE = 1167;

class CMediaCaptureDlg : public SettingsPage {
 public:
  explicit CMediaCaptureDlg(QWidget* parent);
};

}  // namespace config
