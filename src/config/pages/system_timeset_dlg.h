// Page 12, "时钟设置" (dialog 146): the clock group. Its controls are not built yet; the
// page already takes its place in the tree and the page map.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_SYSTEM_TIMESET = 146;

class CSystemTimesetDlg : public SettingsPage {
 public:
  explicit CSystemTimesetDlg(QWidget* parent);
};

}  // namespace config
