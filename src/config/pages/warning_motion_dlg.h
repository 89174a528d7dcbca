// Page 10, "移动侦测" (dialog 144): the motion-detection group. Its controls are not built yet; the
// page already takes its place in the tree and the page map.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_WARNING_MOTION = 144;

class CWarningMotionDlg : public SettingsPage {
 public:
  explicit CWarningMotionDlg(QWidget* parent);
};

}  // namespace config
