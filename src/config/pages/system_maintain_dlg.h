// Page 13, "定时维护" (dialog 147): the maintenance group — whether the devices restart on a
// schedule, on which day and at what time.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_SYSTEM_MAINTAIN = 147;
constexpr int IDC_MAINTAIN_ENABLE = 1203;
constexpr int IDC_MAINTAIN_SWITCH = 1204;
constexpr int IDC_MAINTAIN_DAY = 1205;
constexpr int IDC_MAINTAIN_TIME = 1206;
constexpr int IDC_MAINTAIN_SAVE = 1207;

class CSystemMaintainDlg : public SettingsPage {
 public:
  explicit CSystemMaintainDlg(QWidget* parent);
};

}  // namespace config
