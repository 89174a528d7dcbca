// Page 4, "流媒体设置" (dialog 145): the streaming group — authentication, the access, PTZ and
// web ports and the RTP transport.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_NETWORK_STREAM = 145;
constexpr int IDC_STREAM_ENABLE = 1139;
constexpr int IDC_STREAM_AUTH = 1140;
constexpr int IDC_STREAM_VIDEO_PORT = 1141;
constexpr int IDC_STREAM_PROTOCOL = 1142;
constexpr int IDC_STREAM_PTZ_PORT = 1143;
constexpr int IDC_STREAM_WEB_PORT = 1144;
constexpr int IDC_STREAM_SAVE = 1145;

class CNetworkStreamDlg : public SettingsPage {
 public:
  explicit CNetworkStreamDlg(QWidget* parent);
};

}  // namespace config
