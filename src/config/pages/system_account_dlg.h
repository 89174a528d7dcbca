// Page 11, "帐号管理" (dialog 139): the account group. Its controls are not built yet; the
// page already takes its place in the tree and the page map.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_SYSTEM_ACCOUNT = 139;

class CSystemAccountDlg : public SettingsPage {
 public:
  explicit CSystemAccountDlg(QWidget* parent);
};

}  // namespace config
