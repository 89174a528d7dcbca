// Page 8, "视频编码" (dialog 142): the video-encoding group. Its controls are not built yet; the
// page already takes its place in the tree and the page map.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_MEDIA_VIDEO_CODE = 142;

class CMediaVideoCodeDlg : public SettingsPage {
 public:
  explicit CMediaVideoCodeDlg(QWidget* parent);
};

}  // namespace config
