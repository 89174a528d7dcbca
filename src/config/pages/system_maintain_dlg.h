// Page 13, "定时维护" (dialog 147): the maintenance group. Its controls are not built yet; the
// page already takes its place in the tree and the page map.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_SYSTEM_MAINTAIN = 147;

class CSystemMaintainDlg : public SettingsPage {
 public:
  explicit CSystemMaintainDlg(QWidget* parent);
};

}  // namespace config
