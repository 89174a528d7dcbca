// Page 6, "视频采集设置" (dialog 140): the video-capture group. Its controls are not built yet; the
// page already takes its place in the tree and the page map.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_MEDIA_CAPTURE = 140;

class CMediaCaptureDlg : public SettingsPage {
 public:
  explicit CMediaCaptureDlg(QWidget* parent);
};

}  // namespace config
