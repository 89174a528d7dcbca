// Page 8, "视频编码" (dialog 142): the video-encoding group — a column of settings for the main
// stream and one for the sub stream, then the encode profile and the private data.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_MEDIA_VIDEO_CODE = 142;
constexpr int IDC_VIDEO_CODE_ENABLE = 1175;
constexpr int IDC_VIDEO_CODE_MAIN_FORMAT = 1176;
constexpr int IDC_VIDEO_CODE_SUB_FORMAT = 1177;
constexpr int IDC_VIDEO_CODE_MAIN_RESOLUTION = 1178;
constexpr int IDC_VIDEO_CODE_SUB_RESOLUTION = 1179;
constexpr int IDC_VIDEO_CODE_MAIN_BITRATE_CONTROL = 1180;
constexpr int IDC_VIDEO_CODE_SUB_BITRATE_CONTROL = 1026;
constexpr int IDC_VIDEO_CODE_MAIN_INITQUANT = 1181;
constexpr int IDC_VIDEO_CODE_SUB_INITQUANT = 1182;
constexpr int IDC_VIDEO_CODE_MAIN_BITRATE = 1183;
constexpr int IDC_VIDEO_CODE_SUB_BITRATE = 1184;
constexpr int IDC_VIDEO_CODE_MAIN_FRAMERATE = 1025;
constexpr int IDC_VIDEO_CODE_SUB_FRAMERATE = 1027;
constexpr int IDC_VIDEO_CODE_PROFILE = 1028;
constexpr int IDC_VIDEO_CODE_PRIVATE_DATA = 1029;
constexpr int IDC_VIDEO_CODE_SAVE = 1185;

class CMediaVideoCodeDlg : public SettingsPage {
 public:
  explicit CMediaVideoCodeDlg(QWidget* parent);

  // Also shows the enable flag, as the page's own initialisation does.
  BOOL OnInitDialog() override;
};

}  // namespace config
